#pragma once

#include <QByteArray>
#include <QString>
#include <bitset>
#include <functional>
#include <optional>

class ChangeHistory;

// The module check of a recording as text, one "name: value" line each: the modules the last
// count command announced, those that reported, are missing or unknown, the short and given-up
// bursts, stray bytes and unstable inputs (--summary).
QByteArray moduleSummary(const ChangeHistory& history, std::optional<int> configured);

// The numbers 0..count-1 that `has` as runs, "2, 4-7, 12"; empty for none. With `most` >= 0,
// at most that many runs and then "…".
QString numberRanges(int count, const std::function<bool(int)>& has, int most = -1);
template <std::size_t N> QString numberRanges(const std::bitset<N>& set, int most = -1) {
    return numberRanges(
        int(N), [&set](int n) { return set.test(std::size_t(n)); }, most);
}
