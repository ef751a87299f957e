#pragma once

#include "receive/monitor.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

class QPlainTextEdit;

// Shows the monitor's stream in its text box. The box is brought up to date at most once per
// frame, with lines broken only between entries.
class MonitorView final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 16;
    // Lines the widget holds; older lines scroll out of it (they stay in the monitor's text).
    static constexpr int kWidgetLines = 1000;
    // Laying out text is the costly part of showing it, so one frame lays out about this many
    // new lines at most: when more arrived since the last frame, the widget starts afresh
    // with the newest of them.
    static constexpr int kLinesPerFrame = 50;

    MonitorView(const Monitor& monitor, QPlainTextEdit& view, QObject* parent = nullptr);

    // New entries were appended: the box follows within a frame.
    void schedule() {
        if (m_shown != m_monitor.entries() && !m_frame.isActive())
            m_frame.start();
    }
    // Writes what is pending to the widget now (otherwise done by the frame timer).
    void flush();

private:
    void measure();
    int lineWidth() const;
    void render(quint64 from, quint64 to, bool freshLine);

    const Monitor& m_monitor;
    QPlainTextEdit& m_view;
    quint64 m_shown = 0; // entries already in the widget, or skipped as too old to show
    QTimer m_frame;
    QString m_chunk; // reused for each flush
    std::array<int, 256> m_valueWidth{};
    std::array<int, 2> m_separatorWidth{};
    int m_lineWidth = 0;   // pixels used on the widget's last line
    int m_widestEntry = 1; // pixels
};
