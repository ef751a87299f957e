#include "history/csv.h"

#include "history/changehistory.h"
#include "history/names.h"
#include "state/protocol.h"

#include <QDateTime>
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

void appendInput(QByteArray& out, int input, int module, int contact, char sep) {
    appendNumber(out, input);
    out.append(sep);
    appendNumber(out, module);
    out.append(sep);
    appendNumber(out, contact);
    out.append(sep);
}

} // namespace

QByteArray header(const char* names, char separator, bool nameColumn) {
    QByteArray text(names);
    if (nameColumn)
        text.insert(text.size() - 1, ",name");
    text.replace(',', separator);
    return text;
}

void appendName(QByteArray& out, const names::Names* names, int input, char separator) {
    if (!names)
        return;
    out.chop(1); // the line's end
    out.append(separator).append(quoted(names->name(input), separator)).append('\n');
}

Clock::Clock(const ChangeHistory& history, Zone zone) : m_history(history), m_zone(zone) {}

void Clock::append(QByteArray& out, qint64 timeMs) {
    const qint64 ms = m_history.wallMs(timeMs);
    const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (second != m_second) {
        m_second = second;
        const bool utc = m_zone == Zone::Utc;
        const QDateTime at =
            QDateTime::fromMSecsSinceEpoch(second * 1000, utc ? Qt::UTC : Qt::LocalTime);
        m_date = at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
        const int offset = at.offsetFromUtc() / 60;
        const int magnitude = offset < 0 ? -offset : offset;
        m_offset = utc ? QByteArray("Z")
                       : QStringLiteral("%1%2:%3")
                             .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                             .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
                             .arg(magnitude % 60, 2, 10, QLatin1Char('0'))
                             .toLatin1();
    }
    const int milli = int(ms - second * 1000);
    out.append(m_date);
    out.append('.');
    out.append(char('0' + milli / 100));
    out.append(char('0' + milli / 10 % 10));
    out.append(char('0' + milli % 10));
    out.append(m_offset);
}

void appendHistoryRow(QByteArray& out, const ChangeEvent& event, Clock& clock, char separator) {
    appendNumber(out, event.timeMs);
    out.append(separator);
    appendInput(out, event.input, event.module(), event.contact(), separator);
    out.append(event.active ? '1' : '0');
    out.append(separator);
    appendCell(out, event.sinceMs);
    out.append(separator);
    clock.append(out, event.timeMs);
    out.append('\n');
}

bool writeHistory(QIODevice& out, const ChangeHistory& history, char separator,
                  const std::function<bool(const ChangeEvent&)>& shown, const names::Names* names) {
    QByteArray text = header(kHistoryHeader, separator, names != nullptr);
    Clock clock(history);
    bool written = true;
    history.forEachNew(0, [&](const ChangeEvent& event) {
        if (!written || (shown && !shown(event)))
            return;
        appendHistoryRow(text, event, clock, separator);
        appendName(text, names, event.input, separator);
        if (text.size() >= 64 * 1024) {
            written = out.write(text) == text.size();
            text.clear();
        }
    });
    return written && out.write(text) == text.size();
}

QByteArray inputs(const ChangeHistory& history, char separator) {
    QByteArray text = header(kInputsHeader, separator);
    Clock clock(history);
    for (int n = 1; n <= FormState::kLastInput; ++n) {
        const InputStats& s = history.input(n);
        if (s.changes == 0)
            continue;
        appendInput(text, n, protocol::moduleOf(n), protocol::contactOf(n), separator);
        appendNumber(text, qint64(s.changes));
        text.append(separator);
        appendCell(text, s.shortestActiveMs);
        text.append(separator);
        appendCell(text, s.shortestInactiveMs);
        text.append(separator);
        text.append(s.unstable() ? '1' : '0');
        text.append(separator);
        clock.append(text, s.lastChangeMs);
        text.append('\n');
    }
    return text;
}

namespace {

bool formulaStart(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

// Whether guarded() puts a ' before the text: it begins as a formula, or as ' before one (any
// number of them), which is what a guarded text looks like.
bool needsGuard(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u'\'')
        ++i;
    return i < text.size() && formulaStart(text[i]);
}

} // namespace

QString guarded(const QString& text) {
    return needsGuard(text) ? u'\'' + text : text;
}

QString unguarded(const QString& cell) {
    return cell.startsWith(u'\'') && needsGuard(QStringView(cell).sliced(1)) ? cell.sliced(1)
                                                                             : cell;
}

QByteArray quoted(const QString& cell, char separator) {
    const QString text = guarded(cell);
    QByteArray utf8 = text.toUtf8();
    const bool quote =
        !text.isEmpty() &&
        (text.contains(QLatin1Char(separator)) || text.contains(u'"') || text.contains(u'\n') ||
         text.contains(u'\r') || text.front().isSpace() || text.back().isSpace());
    if (!quote)
        return utf8;
    utf8.replace('"', "\"\"");
    return '"' + utf8 + '"';
}

} // namespace csv
