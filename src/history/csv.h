#pragma once

#include <QByteArray>

class ChangeHistory;
namespace names {
class Names;
}
class QIODevice;
struct ChangeEvent;

// The two reports as CSV, shared by the command line and the window's "Gem CSV…".
namespace csv {

// time_ms,input,module,contact,state,since_ms (since_ms empty for an input's first change)
inline constexpr char kHistoryHeader[] = "time_ms,input,module,contact,state,since_ms\n";
void appendHistoryRow(QByteArray& out, const ChangeEvent& event);
// The header and every kept event, oldest first. False when writing failed.
// With `names`, a name column added last.
bool writeHistory(QIODevice& out, const ChangeHistory& history,
                  const names::Names* names = nullptr);

// input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,unstable for every
// input that changed at least once; empty cells where there was no complete pulse or gap.
inline constexpr char kInputsHeader[] =
    "input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,unstable\n";
QByteArray inputs(const ChangeHistory& history);

// time_ms,inputs,modules,noise,given_up for each noise burst and each burst given up.
inline constexpr char kBurstsHeader[] = "time_ms,inputs,modules,noise,given_up\n";

// A cell's text, quoted when it holds a comma, a quote, a line break or edge spaces.
QByteArray quoted(const QString& text);

} // namespace csv
