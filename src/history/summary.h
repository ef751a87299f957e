#pragma once

#include <QByteArray>
#include <optional>

class ChangeHistory;

// The module check of a recording as text, one "name: value" line each: the modules the last
// count command announced, those that reported, are missing or unknown, the short and given-up
// bursts, stray bytes and unstable inputs (--summary).
QByteArray moduleSummary(const ChangeHistory& history, std::optional<int> configured);
