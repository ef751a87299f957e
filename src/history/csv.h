#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <limits>

class ChangeHistory;
namespace names {
class Names;
}
class QIODevice;
struct ChangeEvent;

// The two reports as CSV, shared by the command line and the window's "Gem CSV…". Cells are
// separated by `separator`: a comma, or a semicolon for spreadsheets that expect one.
namespace csv {

// time_ms,input,module,contact,state,since_ms,clock (since_ms empty for an input's first
// change; clock the wall time, ISO 8601 local time with its offset, to the millisecond)
inline constexpr char kHistoryHeader[] = "time_ms,input,module,contact,state,since_ms,clock\n";
// input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,unstable,last_clock for
// every input that changed at least once; empty cells where there was no complete pulse or
// gap; last_clock the wall time of its last change.
inline constexpr char kInputsHeader[] = "input,module,contact,changes,shortest_active_ms,"
                                        "shortest_inactive_ms,unstable,last_clock\n";

// A header with `separator` between its names; with `nameColumn`, "name" added last.
QByteArray header(const char* names, char separator, bool nameColumn = false);
// With `names`, the input's name (quoted as the separator needs) added as the last cell of the
// line that `out` ends with.
void appendName(QByteArray& out, const names::Names* names, int input, char separator);

// Wall times of a history as text, "2026-03-14T09:26:53.589+01:00" (local) or
// "2026-03-14T08:26:53.589Z" (UTC): the date, time and offset are formatted once a second, so a
// report of millions of lines, or a stream of change events, stays cheap. The history's time 0
// is read at every call: a history given a new origin is followed.
class Clock {
public:
    enum class Zone { Local, Utc };
    explicit Clock(const ChangeHistory& history, Zone zone = Zone::Local);
    void append(QByteArray& out, qint64 timeMs);

private:
    const ChangeHistory& m_history;
    Zone m_zone;
    qint64 m_second = std::numeric_limits<qint64>::min(); // of the cached text, since 1970
    QByteArray m_date;                                    // "2026-03-14T09:26:53"
    QByteArray m_offset;                                  // "+01:00", or "Z"
};

void appendHistoryRow(QByteArray& out, const ChangeEvent& event, Clock& clock,
                      char separator = ',');
// The header and every kept event that `shown` accepts (every one when it is empty), oldest
// first; with `names`, a name column added last. False when writing failed.
bool writeHistory(QIODevice& out, const ChangeHistory& history, char separator = ',',
                  const std::function<bool(const ChangeEvent&)>& shown = {},
                  const names::Names* names = nullptr);

QByteArray inputs(const ChangeHistory& history, char separator = ',');

// time_ms,inputs,modules,noise,given_up for each noise burst and each burst given up.
inline constexpr char kBurstsHeader[] = "time_ms,inputs,modules,noise,given_up\n";

// A text cell that a spreadsheet keeps as text: one beginning with =, +, -, @, a tab or a
// carriage return (a formula to a spreadsheet) gets a leading ', and so does one that begins
// with ' before one of those, so that unguarded() gives every text back. Numbers the reports
// write themselves are not text cells and never pass here.
QString guarded(const QString& text);
// The text of a cell that guarded() wrote: one leading ' taken off where guarded() put one.
QString unguarded(const QString& cell);

// A text cell, guarded, and quoted when it holds the separator, a quote, a line break or edge
// spaces. Every text cell of every CSV the programs write goes through here.
QByteArray quoted(const QString& text, char separator = ',');

} // namespace csv
