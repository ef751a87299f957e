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

// Start of the first entry at or after `from`: a digit following a separator's blank.
qsizetype entryStart(const QString& text, qsizetype from) {
    for (qsizetype i = std::max<qsizetype>(from, 1); i < text.size(); ++i) {
        if (text[i - 1] == QLatin1Char(' ') && text[i].isDigit())
            return i;
    }
    return text.size();
}
} // namespace

Monitor::Monitor(QPlainTextEdit& view, QObject* parent) : QObject(parent), m_view(view) {
    m_text.reserve(2 * kKeep + 16);
    m_pending.reserve(4096);
    m_frame.setSingleShot(true);
    m_frame.setInterval(kFrameMs);
    connect(&m_frame, &QTimer::timeout, this, &Monitor::flush);
    m_view.setLineWrapMode(QPlainTextEdit::NoWrap);
    // Enough lines for the kept stream; the widget drops the oldest beyond that.
    m_view.setMaximumBlockCount(4000);
    measure();
}

void Monitor::measure() {
    const QFontMetrics metrics(m_view.font());
    for (int v = 0; v < 256; ++v)
        m_valueWidth[std::size_t(v)] = metrics.horizontalAdvance(table().value[std::size_t(v)]);
    for (int s = 0; s < 2; ++s)
        m_separatorWidth[std::size_t(s)] =
            metrics.horizontalAdvance(table().separator[std::size_t(s)]);
}

void Monitor::append(quint8 value, Separator separator) {
    const auto sep = std::size_t(separator);
    m_text += table().value[value];
    m_text += table().separator[sep];
    if (m_text.size() > 2 * kKeep) // amortised: one move per kKeep characters appended
        m_text.remove(0, entryStart(m_text, m_text.size() - kKeep));

    // Entries that would scroll out of the widget before the next frame need not reach it.
    if (m_pending.size() >= std::size_t(kKeep / 4))
        m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(kKeep / 8));
    m_pending.push_back(quint16(value | (sep << 8)));
    if (!m_frame.isActive())
        m_frame.start();
}

void Monitor::flush() {
    m_frame.stop();
    if (m_pending.empty())
        return;
    m_maxLineWidth =
        std::max(40, m_view.viewport()->width() - 2 * int(m_view.document()->documentMargin()) - 4);
    m_chunk.clear();
    for (const quint16 entry : m_pending) {
        const auto value = std::size_t(entry & 0xff);
        const auto sep = std::size_t(entry >> 8);
        // The value and its separator stay on one line.
        const int width = m_valueWidth[value] + m_separatorWidth[sep];
        if (m_lineWidth > 0 && m_lineWidth + width > m_maxLineWidth) {
            m_chunk += QLatin1Char('\n');
            m_lineWidth = 0;
        }
        m_chunk += table().value[value];
        m_chunk += table().separator[sep];
        m_lineWidth += width;
    }
    m_pending.clear();

    QScrollBar* bar = m_view.verticalScrollBar();
    const bool follow = bar->value() == bar->maximum();
    QTextCursor end(m_view.document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_chunk); // at the end, whatever the user did with the caret
    if (follow)
        bar->setValue(bar->maximum());
}
