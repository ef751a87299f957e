#pragma once

#include "diag/timelinepainter.h"
#include "frame/framegate.h"
#include "history/names.h"
#include "history/timeline.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class ChangeHistory;
class MessageSink;
class QCheckBox;
class QLabel;
class QPushButton;
class QScrollBar;

// The change history drawn in time, painted through the frame gate. Follows the present while
// its right edge is at it; the wheel zooms (100 ms to 1 hour across the view), a drag pans.
class TimelineView final : public QWidget, public FrameView {
    Q_OBJECT

public:
    static constexpr qint64 kMinSpanMs = 100;
    static constexpr qint64 kMaxSpanMs = 3'600'000;
    // Repaints for new changes or the moving present at most this often: a picture of time
    // need not follow every burst, and each frame lays out its labels afresh.
    static constexpr int kChangesMs = 250;

    TimelineView(const ChangeHistory& history, const names::Names& names,
                 QWidget* parent = nullptr);

    void setSpanMs(qint64 span);
    qint64 spanMs() const { return m_span; }
    bool following() const { return m_follow; }
    void followPresent(); // "Nu"
    // Configured inputs as rows (0: rows for the inputs that changed).
    void setConfigured(int inputs);
    void setFirstRow(int row);
    int rowCount() const { return int(m_model.rows().size()); }
    int rowsShown() const { return m_painter.rowsShown(rect()); }
    // What is shown, as an image.
    QImage picture() const;
    // The time under the cursor; -1 when it is not over the view.
    qint64 cursorMs() const { return m_cursor; }
    const timeline::Model& model() const { return m_model; }

    void paintFrame() override;

signals:
    void viewChanged(); // span, following, rows or the time under the cursor

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuild();
    void showHover(const QPoint& pos, const QPoint& global);
    void scheduleFollow();
    void historyChanged();

    const ChangeHistory& m_history;
    const names::Names& m_names;
    timeline::Model m_model;
    timeline::Painter m_painter;
    QTimer m_follower; // moves the view with the present
    QTimer m_throttle; // at most one repaint for changes per kChangesMs, when not following
    bool m_changed = false;
    qint64 m_span = 60'000;
    qint64 m_end = 0; // the right edge, when not following
    bool m_follow = true;
    int m_configured = 0;
    int m_firstRow = 0;
    qint64 m_cursor = -1;
    int m_dragX = -1;
    qint64 m_dragEnd = 0;
};

// "Tidslinje": the view with "Nu", a toggle for the configured inputs, the span and the time
// under the cursor, and "Gem billede…".
class TimelineWindow final : public QWidget {
    Q_OBJECT

public:
    using FileChooser = std::function<QString(const QString& caption, const QString& filter)>;

    TimelineWindow(const ChangeHistory& history, const names::Names& names, FrameGate& gate,
                   MessageSink& messages, std::function<int()> configuredInputs,
                   QWidget* parent = nullptr);

    TimelineView& view() { return *m_view; }
    void setFileChooser(FileChooser choose) { m_choose = std::move(choose); }
    bool savePicture(const QString& path);

private:
    void showStatus();

    const ChangeHistory& m_history;
    MessageSink& m_messages;
    TimelineView* m_view = nullptr;
    QScrollBar* m_rows = nullptr;
    QPushButton* m_now = nullptr;
    QCheckBox* m_all = nullptr;
    QLabel* m_status = nullptr;
    std::function<int()> m_configured;
    FileChooser m_choose;
};
