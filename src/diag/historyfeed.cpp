#include "diag/historyfeed.h"

#include "diag/changefeed.h"
#include "history/changehistory.h"

#include <algorithm>

void followHistory(const ChangeHistory& history, ChangeFeed& feed) {
    QObject::connect(&history, &ChangeHistory::eventsAdded, &feed,
                     [&history, &feed, next = history.total()]() mutable {
                         for (quint64 seq = std::max(next, history.firstKept());
                              seq < history.total(); ++seq) {
                             const ChangeEvent& e = history.event(seq);
                             feed.publish(e.input, e.active, e.timeMs);
                         }
                         next = history.total();
                     });
}
