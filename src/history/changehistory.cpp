#include "history/changehistory.h"

#include "state/serialcontrol.h"

#include <algorithm>

ChangeHistory::ChangeHistory(const FormState& state, const SerialControl& clock, qsizetype capacity,
                             QObject* parent)
    : QObject(parent), m_state(state), m_clock(clock), m_capacity(std::max<qsizetype>(1, capacity)),
      m_origin(clock.clockMs()), m_wallOrigin(QDateTime::currentDateTime()),
      m_known(state.InputState) {}

ChangeHistory::~ChangeHistory() = default;

void ChangeHistory::setOrigin(qint64 clockMs, const QDateTime& wall) {
    m_origin = clockMs;
    m_wallOrigin = wall;
}

qint64 ChangeHistory::nowMs() const {
    return m_clock.clockMs() - m_origin;
}

void ChangeHistory::setLimits(const StabilityLimits& limits) {
    m_limits = limits;
    m_limits.changes = std::clamp(m_limits.changes, 2, StabilityLimits::kMaxChanges);
}

void ChangeHistory::clear() {
    m_firstKept = m_total;
    m_dropped = 0;
    m_inputs.fill({});
    m_recent.fill({});
    m_reports.fill(0);
    m_bursts = {};
    m_added = false;
    emit cleared();
}

void ChangeHistory::reportDecoded(qint16 module) {
    const int m = std::clamp<int>(module, 0, kModules - 1);
    ++m_reports[std::size_t(m)];
    const int first = std::max(1, m * 16 - 15);
    const int last = std::min(FormState::kLastInput, m * 16);
    qint64 now = -1; // read once, and only when something changed
    for (int n = first; n <= last; ++n) {
        const bool active = m_state.InputState[std::size_t(n)];
        if (active == m_known[std::size_t(n)])
            continue;
        if (now < 0)
            now = nowMs();
        m_known[std::size_t(n)] = active;
        add(n, active, now);
    }
}

void ChangeHistory::add(int input, bool active, qint64 now) {
    InputStats& s = m_inputs[std::size_t(input)];
    ChangeEvent e;
    e.timeMs = now;
    e.input = quint16(input);
    e.active = active;
    if (s.lastChangeMs >= 0) {
        // The period that just ended is complete: bounded by a change at either end.
        const qint64 length = now - s.lastChangeMs;
        e.sinceMs = length;
        qint64& shortest = active ? s.shortestInactiveMs : s.shortestActiveMs;
        if (shortest < 0 || length < shortest)
            shortest = length;
        if (length < m_limits.shortestMs)
            s.reasons |= active ? InputStats::ShortGap : InputStats::ShortPulse;
    }
    ++s.changes;
    s.lastChangeMs = now;

    Recent& r = m_recent[std::size_t(input)];
    r.times[std::size_t(r.next % StabilityLimits::kMaxChanges)] = now;
    ++r.next;
    if (r.next >= m_limits.changes) {
        const qint64 oldest =
            r.times[std::size_t((r.next - m_limits.changes) % StabilityLimits::kMaxChanges)];
        if (now - oldest < m_limits.windowMs)
            s.reasons |= InputStats::Frequent;
    }

    const std::size_t slot = std::size_t(m_total % quint64(m_capacity));
    if (slot < m_ring.size())
        m_ring[slot] = e;
    else
        m_ring.push_back(e);
    ++m_total;
    if (m_total - m_firstKept > quint64(m_capacity)) {
        ++m_firstKept;
        ++m_dropped;
    }
    m_added = true;
}

void ChangeHistory::burstEnded(bool complete) {
    ++(complete ? m_bursts.complete : m_bursts.givenUp);
    if (m_added) {
        m_added = false;
        emit eventsAdded();
    }
}

void ChangeHistory::strayByte(quint8) {
    ++m_bursts.strayBytes;
}
