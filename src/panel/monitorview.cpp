#include "panel/monitorview.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

MonitorView::MonitorView(const Monitor& monitor, QPlainTextEdit& view, QObject* parent)
    : QObject(parent), m_monitor(monitor), m_view(view) {
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMs);
    connect(&m_frame, &QTimer::timeout, this, &MonitorView::flush);
    m_view.setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view.setMaximumBlockCount(kWidgetLines);
    measure();
}

void MonitorView::measure() {
    const QFontMetrics metrics(m_view.font());
    for (int v = 0; v < 256; ++v)
        m_valueWidth[std::size_t(v)] = metrics.horizontalAdvance(Monitor::valueText(quint8(v)));
    for (int s = 0; s < 2; ++s)
        m_separatorWidth[std::size_t(s)] =
            metrics.horizontalAdvance(Monitor::separatorText(Monitor::Separator(s)));
    m_widestEntry = *std::max_element(m_valueWidth.begin(), m_valueWidth.end()) +
                    *std::max_element(m_separatorWidth.begin(), m_separatorWidth.end());
}

int MonitorView::lineWidth() const {
    return std::max(40,
                    m_view.viewport()->width() - 2 * int(m_view.document()->documentMargin()) - 4);
}

// Appends entries [from, to) to m_chunk, breaking lines between entries where the next one
// would not fit the widget's width.
void MonitorView::render(quint64 from, quint64 to, bool freshLine) {
    const int maxWidth = lineWidth();
    if (freshLine)
        m_lineWidth = 0;
    for (quint64 i = std::max(from, m_monitor.firstKept()); i < to; ++i) {
        const quint16 entry = m_monitor.entry(i);
        const quint8 value = Monitor::valueOf(entry);
        const Monitor::Separator sep = Monitor::separatorOf(entry);
        const int width = m_valueWidth[value] + m_separatorWidth[std::size_t(sep)];
        if (m_lineWidth > 0 && m_lineWidth + width > maxWidth) {
            m_chunk += QLatin1Char('\n');
            m_lineWidth = 0;
        }
        m_chunk += Monitor::valueText(value);
        m_chunk += Monitor::separatorText(sep);
        m_lineWidth += width;
    }
}

void MonitorView::flush() {
    m_frame.stop();
    const quint64 appended = m_monitor.entries();
    if (m_shown == appended)
        return;
    const quint64 pending = appended - m_shown;
    // Entries that surely fill kLinesPerFrame lines, however wide they are.
    const quint64 perLine = quint64(std::max(1, lineWidth() / m_widestEntry));
    const quint64 fit = quint64(kLinesPerFrame) * perLine;
    m_chunk.clear();
    QScrollBar* bar = m_view.verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    if (pending > fit) {
        // Nobody reads a flood line by line: what fills the box is enough.
        const int visible = m_view.viewport()->height() / m_view.fontMetrics().lineSpacing() + 1;
        render(appended - quint64(visible) * perLine, appended, true);
        m_view.setPlainText(m_chunk);
    } else {
        render(m_shown, appended, m_view.document()->isEmpty());
        QTextCursor end(m_view.document());
        end.movePosition(QTextCursor::End);
        end.insertText(m_chunk); // at the end, whatever the user did with the caret
    }
    m_shown = appended;
    if (follow)
        bar->setValue(bar->maximum());
}
