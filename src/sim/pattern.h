#pragma once

#include "state/protocol.h"

#include <QByteArray>
#include <QtGlobal>
#include <vector>

namespace sim {

// What the virtual module's inputs show, step by step, without any clock: a "train" occupying
// three consecutive inputs moves one input along per step over the configured inputs,
// wrapping at the end, and every few steps one input picked at random (from the seed) toggles.
// The same seed and the same calls give the same states, so a run can be followed and tests
// need no timing.
class Pattern {
public:
    static constexpr int kInputsPerModule = protocol::kInputsPerModule;
    static constexpr int kMaxModules = 255;
    static constexpr int kTrainLength = 3;
    static constexpr int kMaxLit = 4;       // toggled inputs lit at once; the oldest goes out first
    static constexpr int kMinToggleGap = 3; // steps between toggles: 3 to 6
    static constexpr int kMaxToggleGap = 6;

    explicit Pattern(quint32 seed);

    // Clamped to 0..255. Lit inputs beyond the new range go out.
    void setModules(int modules);
    int modules() const { return m_modules; }
    int inputCount() const { return m_modules * kInputsPerModule; }

    void step();
    quint64 stepCount() const { return m_steps; }

    // Walk mode: instead of the train and the toggles, from the next setModules() on (the
    // module-count command), after two quiet steps each configured input in turn is active
    // for one step and inactive for the next three, once: a person checking the wiring contact
    // by contact, who takes a moment from one contact to the next.
    void setWalk(bool on) { m_walk = on; }

    // Inputs are numbered from 1; anything outside 1..inputCount() is inactive.
    bool inTrain(int input) const;
    bool isLit(int input) const;
    bool isActive(int input) const;
    // The sixteen inputs of module m (from 1): bit k is input (m - 1) * 16 + k + 1.
    quint16 moduleInputs(int module) const;

    // A whole report burst for the configured modules: 'i', N, then (module, inputs 9..16,
    // inputs 1..8) for modules 1..N.
    QByteArray burst() const;
    void appendBurst(QByteArray& out) const;

private:
    quint64 random();
    void toggleOne();

    quint64 m_random;
    int m_modules = 0;
    quint64 m_steps = 0;
    int m_untilToggle = kMinToggleGap;
    std::vector<int> m_lit; // oldest first
    bool m_walk = false;
    quint64 m_walkFrom = 0; // the step of the last setModules()
};

} // namespace sim
