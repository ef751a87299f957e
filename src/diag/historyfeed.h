#pragma once

class ChangeFeed;
class ChangeHistory;

// From now on, publishes every event the history adds on the feed, in order, with the
// history's times, so the walk test and reading aloud work alike on a live line and on a
// replayed recording. Make it before the first event: the feed learns the inputs' states
// from the events alone. Events dropped by the history or cleared ("Ryd") before they were
// read are skipped. The connection lives as long as both objects.
void followHistory(const ChangeHistory& history, ChangeFeed& feed);
