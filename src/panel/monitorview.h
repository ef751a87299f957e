#pragma once

#include "frame/framegate.h"
#include "receive/monitor.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <deque>

// The monitor's box: a view straight over the monitor's ring. Entries are laid out in lines
// broken only between entries; a frame lays out what arrived since the last one (a few
// additions per entry) and paints only the lines that changed, each entry a picture made once,
// so a frame costs what is shown, never what arrived. Everything in the ring can be scrolled
// to; scrolled up, the view stays where it is, at the bottom it follows new entries.
class MonitorView final : public QAbstractScrollArea, public FrameView {
    Q_OBJECT

public:
    explicit MonitorView(const Monitor& monitor, QWidget* parent = nullptr);

    // New entries were appended: they are shown with the next frame.
    void schedule() {
        if (m_laidOut != m_monitor.entries())
            requestFrame();
    }
    // Lays out and paints what is pending now (otherwise done by the frame gate).
    void flush() {
        paintFrame();
        syncScrollBar();
    }
    void paintFrame() override;

    // Lines the view holds (all of the ring), and the one at the top of the box.
    int lineCount() const { return int(m_lineStart.size()); }
    int topLine() const;
    // Entries [first, end) of line `line` (0 = oldest line held).
    quint64 lineFirst(int line) const;
    quint64 lineEnd(int line) const;
    // How many of the 512 entry pictures are made ahead so far.
    int picturesMadeAhead() const { return m_premade; }
    // Every line's text, lines separated by '\n'.
    QString toPlainText() const;

    // The selected entries [first, end), empty when nothing is selected.
    quint64 selectionFirst() const;
    quint64 selectionEnd() const;
    void select(quint64 first, quint64 end);
    // The selected entries' text, as copied by Ctrl+C.
    QString selectedText() const;
    void copy() const;
    void copyAll() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static constexpr int kMargin = 4; // as a text box's document margin

    void measure();
    // Makes the next few pictures not yet made: the rest of them are made ahead in idle time,
    // so that a stream meets them ready (a picture costs about as much as a frame).
    void premakePictures();
    int entryWidth(quint16 entry) const { return m_width[entry & 0x1ff]; }
    const QPixmap& picture(quint16 entry);
    // Lays out entries up to the ring's end; false when the layout had to start afresh.
    bool layOut();
    void relayOut();
    void dropOldLines();
    int lastTop() const { return std::max(0, lineCount() - visibleLines()); }
    // The scroll bar shows m_top; while the view follows new entries it catches up at most
    // twice a second (its range grows with every frame, and a repainted bar costs more than
    // the lines it describes), in the first frame once it is due, or by its own timer when no
    // frame comes; at once otherwise.
    void syncScrollBar();
    void syncScrollBarSoon(bool following);
    int visibleLines() const;
    quint64 entryAt(const QPoint& pos) const;
    void updateLines(int from, int to);

    const Monitor& m_monitor;
    std::deque<quint64> m_lineStart; // first entry of each line held
    quint64 m_firstLine = 0;         // absolute number of m_lineStart.front()
    quint64 m_laidOut = 0;           // entries laid out
    int m_lastLineWidth = 0;         // pixels used on the last line
    int m_lineHeight = 1;
    qreal m_ascent = 0;
    std::array<int, 512> m_width{};
    std::array<QPixmap, 512> m_pictures; // made ahead, or when first shown
    int m_premade = 0;                   // pictures [0, m_premade) are made
    QTimer m_premake;
    quint64 m_anchor = 0; // selection: where the mouse was pressed
    quint64 m_selFirst = 0;
    quint64 m_selEnd = 0;
    bool m_adjusting = false; // the scroll bar moves with the content, not over it
    int m_top = 0;            // the line at the top of the box
    int m_barValue = 0;       // the scroll bar's value as last set here
    QTimer m_barSync;
    QElapsedTimer m_barSynced;
};
