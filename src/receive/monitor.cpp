#include "monitor.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <algorithm>

namespace {
// Decimal texts of all byte values, made once: no per-byte formatting or allocation.
struct Table {
    std::array<QString, 256> value;
    std::array<QString, 2> separator{QStringLiteral(" - - "), QStringLiteral(" + ")};
    Table() {
        for (int v = 0; v < 256; ++v)
            value[std::size_t(v)] = QString::number(v);
    }
};
const Table& table() {
    static const Table t;
    return t;
}
} // namespace

Monitor::Monitor(QPlainTextEdit& view, QObject* parent)
    : QObject(parent), m_view(view), m_ring(std::size_t(kKeepEntries)) {
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMs);
    connect(&m_frame, &QTimer::timeout, this, &Monitor::flush);
    m_view.setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view.setMaximumBlockCount(kWidgetLines);
    measure();
}

void Monitor::measure() {
    const QFontMetrics metrics(m_view.font());
    for (int v = 0; v < 256; ++v)
        m_valueWidth[std::size_t(v)] = metrics.horizontalAdvance(table().value[std::size_t(v)]);
    for (int s = 0; s < 2; ++s)
        m_separatorWidth[std::size_t(s)] =
            metrics.horizontalAdvance(table().separator[std::size_t(s)]);
    m_widestEntry = *std::max_element(m_valueWidth.begin(), m_valueWidth.end()) +
                    *std::max_element(m_separatorWidth.begin(), m_separatorWidth.end());
}

int Monitor::lineWidth() const {
    return std::max(40,
                    m_view.viewport()->width() - 2 * int(m_view.document()->documentMargin()) - 4);
}

QString Monitor::text() const {
    const quint64 first = m_appended > quint64(kKeepEntries) ? m_appended - kKeepEntries : 0;
    QString out;
    out.reserve(qsizetype(m_appended - first) * 8);
    for (quint64 i = first; i < m_appended; ++i) {
        const quint16 entry = m_ring[std::size_t(i % kKeepEntries)];
        out += table().value[entry & 0xff];
        out += table().separator[entry >> 8];
    }
    return out;
}

// Appends entries [from, to) to m_chunk, breaking lines between entries where the next one
// would not fit the widget's width.
void Monitor::render(quint64 from, quint64 to, bool freshLine) {
    const int maxWidth = lineWidth();
    if (freshLine)
        m_lineWidth = 0;
    for (quint64 i = from; i < to; ++i) {
        const quint16 entry = m_ring[std::size_t(i % kKeepEntries)];
        const auto value = std::size_t(entry & 0xff);
        const auto sep = std::size_t(entry >> 8);
        const int width = m_valueWidth[value] + m_separatorWidth[sep];
        if (m_lineWidth > 0 && m_lineWidth + width > maxWidth) {
            m_chunk += QLatin1Char('\n');
            m_lineWidth = 0;
        }
        m_chunk += table().value[value];
        m_chunk += table().separator[sep];
        m_lineWidth += width;
    }
}

void Monitor::flush() {
    m_frame.stop();
    if (m_shown == m_appended)
        return;
    const quint64 pending = m_appended - m_shown;
    // Entries that surely fill kLinesPerFrame lines, however wide they are.
    const quint64 perLine = quint64(std::max(1, lineWidth() / m_widestEntry));
    const quint64 fit = quint64(kLinesPerFrame) * perLine;
    m_chunk.clear();
    QScrollBar* bar = m_view.verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    if (pending > fit) {
        // Nobody reads a flood line by line: what fills the box is enough.
        const int visible = m_view.viewport()->height() / m_view.fontMetrics().lineSpacing() + 1;
        render(m_appended - quint64(visible) * perLine, m_appended, true);
        m_view.setPlainText(m_chunk);
    } else {
        render(m_shown, m_appended, m_view.document()->isEmpty());
        QTextCursor end(m_view.document());
        end.movePosition(QTextCursor::End);
        end.insertText(m_chunk); // at the end, whatever the user did with the caret
    }
    m_shown = m_appended;
    if (follow)
        bar->setValue(bar->maximum());
}
