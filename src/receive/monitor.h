#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <vector>

class QPlainTextEdit;

// The receive monitor. Its content is the exact stream of entries (a byte's value in decimal,
// then a separator), of which the newest kKeepEntries are kept: at least kKeep characters,
// since no entry is shorter than four. An append stores a two-byte code in a ring; text is
// made only for what is shown, and the widget is brought up to date at most once per frame
// with lines broken only between entries, so appending costs the same after an hour as
// after a second.
class Monitor final : public QObject {
    Q_OBJECT

public:
    enum class Separator : quint8 { Echo, Burst }; // " - - " and " + "

    static constexpr qsizetype kKeep = 64 * 1024;
    static constexpr qsizetype kKeepEntries = kKeep / 4;
    static constexpr int kFrameMs = 16;
    // Lines the widget holds; older lines scroll out of it (they stay in text()).
    static constexpr int kWidgetLines = 1000;
    // Laying out text is the costly part of showing it, so one frame lays out about this many
    // new lines at most: when more arrived since the last frame, the widget starts afresh
    // with the newest of them.
    static constexpr int kLinesPerFrame = 50;

    explicit Monitor(QPlainTextEdit& view, QObject* parent = nullptr);

    void append(quint8 value, Separator separator) {
        m_ring[std::size_t(m_appended % kKeepEntries)] = quint16(value | (quint16(separator) << 8));
        ++m_appended;
        if (!m_frame.isActive())
            m_frame.start();
    }
    // The kept stream, oldest entry first.
    QString text() const;
    // Entries appended since the monitor was made.
    quint64 entries() const { return m_appended; }
    // Writes what is pending to the widget now (otherwise done by the frame timer).
    void flush();

private:
    void measure();
    int lineWidth() const;
    void render(quint64 from, quint64 to, bool freshLine);

    QPlainTextEdit& m_view;
    std::vector<quint16> m_ring; // value | separator << 8
    quint64 m_appended = 0;
    quint64 m_shown = 0; // entries already in the widget, or skipped as too old to show
    QTimer m_frame;
    QString m_chunk; // reused for each flush
    std::array<int, 256> m_valueWidth{};
    std::array<int, 2> m_separatorWidth{};
    int m_lineWidth = 0;   // pixels used on the widget's last line
    int m_widestEntry = 1; // pixels
};
