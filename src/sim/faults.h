#pragma once

#include "sim/pattern.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <bitset>
#include <optional>
#include <utility>
#include <vector>

namespace sim {

// Wiring faults the virtual module can show, so the change history and the diagnostics can be
// seen without hardware. Given as KIND:VALUE (--fault, repeatable):
//   chatter:N  input N chatters: it flips in every burst
//   silent:M   module M never reports (left out of the bursts, which announce one fewer)
//   zero:M     module M reports all sixteen inputs inactive
//   missing:M  module M's report is left out, but the burst still announces it
//   noise:S    every S seconds one burst flips half of all inputs at random
//   swap:N,M   inputs N and M are wired the wrong way round: each reports the other's state
struct Faults {
    std::bitset<Pattern::kMaxModules * Pattern::kInputsPerModule + 1> chatter;
    std::bitset<Pattern::kMaxModules + 1> silent;
    std::bitset<Pattern::kMaxModules + 1> zero;
    std::bitset<Pattern::kMaxModules + 1> missing;
    int noiseSeconds = 0;
    std::vector<std::pair<int, int>> swaps{};

    bool any() const {
        return chatter.any() || silent.any() || zero.any() || missing.any() || noiseSeconds > 0 ||
               !swaps.empty();
    }
    // Adds one KIND:VALUE; the reason when it is not one.
    std::optional<QString> add(const QString& given);

    static const char* const kSyntax;

    // A whole burst for the pattern's modules with these faults. `burst` counts the bursts
    // (chatter flips with it); `noise` flips inputs at random, null for none this burst.
    void appendBurst(QByteArray& out, const Pattern& pattern, quint64 burst,
                     QRandomGenerator* noise) const;

private:
    quint16 wired(const Pattern& pattern, int module) const;
};

} // namespace sim
