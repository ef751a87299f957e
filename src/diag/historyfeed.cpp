#include "diag/historyfeed.h"

#include "diag/changefeed.h"
#include "history/changehistory.h"

void followHistory(const ChangeHistory& history, ChangeFeed& feed) {
    feed.setClock([&history] { return history.nowMs(); });
    QObject::connect(&history, &ChangeHistory::eventsAdded, &feed,
                     [&history, &feed, next = history.total()]() mutable {
                         next = history.forEachNew(next, [&feed](const ChangeEvent& e) {
                             feed.publish(e.input, e.active, e.timeMs);
                         });
                     });
}
