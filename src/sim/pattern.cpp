#include "sim/pattern.h"

#include "state/protocol.h"

#include <algorithm>

namespace sim {

Pattern::Pattern(quint32 seed) : m_random(seed) {
    m_untilToggle = kMinToggleGap + int(random() % (kMaxToggleGap - kMinToggleGap + 1));
}

// splitmix64: tiny, and the same sequence on every platform and library (unlike the
// distributions of <random>), which keeps a seed's run reproducible everywhere.
quint64 Pattern::random() {
    quint64 z = (m_random += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

void Pattern::setModules(int modules) {
    m_modules = std::clamp(modules, 0, kMaxModules);
    const int inputs = inputCount();
    std::erase_if(m_lit, [inputs](int input) { return input > inputs; });
    m_walkFrom = m_steps;
}

bool Pattern::isActive(int input) const {
    if (!m_walk)
        return inTrain(input) || isLit(input);
    constexpr quint64 kQuietSteps = 2;
    constexpr quint64 kStepsPerContact = 4; // one active, three to reach the next
    const quint64 walked = m_steps - m_walkFrom;
    return input >= 1 && input <= inputCount() && walked >= kQuietSteps &&
           walked == kQuietSteps + quint64(input - 1) * kStepsPerContact;
}

void Pattern::step() {
    ++m_steps;
    if (--m_untilToggle > 0)
        return;
    toggleOne();
    m_untilToggle = kMinToggleGap + int(random() % (kMaxToggleGap - kMinToggleGap + 1));
}

void Pattern::toggleOne() {
    const quint64 r = random(); // drawn even with no inputs, so the sequence stays aligned
    if (inputCount() == 0)
        return;
    const int input = 1 + int(r % quint64(inputCount()));
    const auto it = std::find(m_lit.begin(), m_lit.end(), input);
    if (it != m_lit.end()) {
        m_lit.erase(it);
        return;
    }
    m_lit.push_back(input);
    if (int(m_lit.size()) > kMaxLit)
        m_lit.erase(m_lit.begin());
}

bool Pattern::inTrain(int input) const {
    const int inputs = inputCount();
    if (input < 1 || input > inputs)
        return false;
    const int head = int(m_steps % quint64(inputs)); // 0-based first input of the train
    const int offset = (input - 1 - head + inputs) % inputs;
    return offset < kTrainLength;
}

bool Pattern::isLit(int input) const {
    return std::find(m_lit.begin(), m_lit.end(), input) != m_lit.end();
}

quint16 Pattern::moduleInputs(int module) const {
    quint16 bits = 0;
    if (module < 1 || module > m_modules)
        return bits;
    const int first = protocol::inputOf(module, 1);
    for (int k = 0; k < kInputsPerModule; ++k) {
        if (isActive(first + k))
            bits |= quint16(1u << k);
    }
    return bits;
}

QByteArray Pattern::burst() const {
    QByteArray out;
    appendBurst(out);
    return out;
}

void Pattern::appendBurst(QByteArray& out) const {
    out.reserve(out.size() + 2 + protocol::kReportSize * m_modules);
    protocol::appendBurstStart(out, m_modules);
    for (int m = 1; m <= m_modules; ++m)
        protocol::appendReport(out, m, moduleInputs(m));
}

} // namespace sim
