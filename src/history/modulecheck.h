#pragma once

#include "history/summary.h"
#include "state/formstate.h"

#include <QString>
#include <array>
#include <bitset>
#include <optional>

class ChangeHistory;

// The module check: the modules the counts announce (Left + Mid + Right, numbered from 1)
// against the modules the bursts report, modules whose inputs never changed, the short bursts,
// the unstable inputs and how the bursts arrive. The one rule of what "missing", "unknown" and
// a short burst mean: the window's line, --summary and the MQTT check topic all take it here.
struct ModuleCheck {
    static constexpr int kModules = 256; // module numbers as received
    using Modules = std::bitset<kModules>;
    using Inputs = std::bitset<FormState::kInputCount>;          // entry n input n
    using Changes = std::array<quint64, FormState::kInputCount>; // per input, entry n input n

    std::optional<int> configured; // nothing while the counts are not known
    Modules reported;              // at least one report
    Modules missing;               // counted, never reported
    Modules unexpected;            // reported, not counted
    Modules unchanged;             // reported, none of its inputs changed since `changesAtStart`
    quint64 bursts = 0;            // complete ones
    quint64 givenUp = 0;
    quint64 noise = 0; // noise bursts (ChangeHistory's NoiseRule)
    quint64 strayBytes = 0;
    quint64 shortBursts = 0; // bursts that announced more reports than they sent
    Modules shortMissing;    // the modules those bursts left out, where they could be named
    Inputs unstable;         // inputs the stability limits call unstable
    double burstsPerSecond = 0;
    // The counts have not been sent with Indsæt (s) in this session, while modules are
    // counted and unreported: they may simply not be sent yet, so none is called missing.
    bool countsNotSent = false;

    static ModuleCheck of(const ChangeHistory& history, std::optional<int> configured,
                          const Changes& changesAtStart, double burstsPerSecond);
    // Whether the counts were sent in this session: until they are, the modules not reported
    // are not missing (`countsNotSent` says why instead).
    void countsSent(bool sent);
    // Every input's change count now, for `changesAtStart`.
    static Changes changesNow(const ChangeHistory& history);
    static Inputs unstableInputs(const ChangeHistory& history);

    // The line as plain text, and with the faults in colour for the window.
    QString text() const;
    QString html() const;
    // What each part of the line means.
    static QString explanation();
    // "4, 6-9, 12": at most `most` parts, then "…".
    template <std::size_t N> static QString list(const std::bitset<N>& set, int most = 3) {
        return numberRanges(set, most);
    }

private:
    enum class Tone { Plain, Hint, Fault };
    template <typename Add> void parts(Add&& add) const;
    // The short bursts from the history; a module they name is not also "mangler".
    void takeShortBursts(const ChangeHistory& history);
    QString shortBurstText() const;
    template <typename Add> void unsentPart(Add&& add) const;
};
