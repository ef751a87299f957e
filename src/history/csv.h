#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

class ChangeHistory;
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

// A header with `separator` between its names.
QByteArray header(const char* names, char separator);

// Wall times of a history as text, "2026-03-14T09:26:53.589+01:00": the date, time and offset
// are formatted once a second, so a report of millions of lines stays fast.
class Clock {
public:
    explicit Clock(const ChangeHistory& history);
    void append(QByteArray& out, qint64 timeMs);

private:
    qint64 m_originMs;
    qint64 m_second = -1; // of the cached text, in seconds since 1970
    QByteArray m_date;    // "2026-03-14T09:26:53"
    QByteArray m_offset;  // "+01:00"
};

void appendHistoryRow(QByteArray& out, const ChangeEvent& event, Clock& clock,
                      char separator = ',');
// The header and every kept event that `shown` accepts (every one when it is empty), oldest
// first. False when writing failed.
bool writeHistory(QIODevice& out, const ChangeHistory& history, char separator = ',',
                  const std::function<bool(const ChangeEvent&)>& shown = {});

QByteArray inputs(const ChangeHistory& history, char separator = ',');

} // namespace csv
