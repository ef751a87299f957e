#include "history/csv.h"

#include "history/changehistory.h"

#include <QIODevice>

namespace csv {

namespace {

// Faster than QByteArray::number, which matters for a report of millions of lines.
void appendNumber(QByteArray& out, qint64 value) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(0) - quint64(value) : quint64(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        out.append('-');
    while (n > 0)
        out.append(digits[--n]);
}

// A number, or an empty cell for "none" (negative).
void appendCell(QByteArray& out, qint64 value) {
    if (value >= 0)
        appendNumber(out, value);
}

void appendInput(QByteArray& out, int input, int module, int contact) {
    appendNumber(out, input);
    out.append(',');
    appendNumber(out, module);
    out.append(',');
    appendNumber(out, contact);
    out.append(',');
}

} // namespace

void appendHistoryRow(QByteArray& out, const ChangeEvent& event) {
    appendNumber(out, event.timeMs);
    out.append(',');
    appendInput(out, event.input, event.module(), event.contact());
    out.append(event.active ? '1' : '0');
    out.append(',');
    appendCell(out, event.sinceMs);
    out.append('\n');
}

bool writeHistory(QIODevice& out, const ChangeHistory& history) {
    QByteArray text(kHistoryHeader);
    bool written = true;
    history.forEachNew(0, [&](const ChangeEvent& event) {
        if (!written)
            return;
        appendHistoryRow(text, event);
        if (text.size() >= 64 * 1024) {
            written = out.write(text) == text.size();
            text.clear();
        }
    });
    return written && out.write(text) == text.size();
}

QByteArray inputs(const ChangeHistory& history) {
    QByteArray text(kInputsHeader);
    for (int n = 1; n <= FormState::kLastInput; ++n) {
        const InputStats& s = history.input(n);
        if (s.changes == 0)
            continue;
        appendInput(text, n, ChangeEvent::moduleOf(n), ChangeEvent::contactOf(n));
        appendNumber(text, qint64(s.changes));
        text.append(',');
        appendCell(text, s.shortestActiveMs);
        text.append(',');
        appendCell(text, s.shortestInactiveMs);
        text.append(',');
        text.append(s.unstable() ? '1' : '0');
        text.append('\n');
    }
    return text;
}

} // namespace csv
