#include "history/changehistory.h"

#include "state/protocol.h"

#include <algorithm>
#include <cstring>

ChangeHistory::ChangeHistory(std::function<qint64()> clockMs, qsizetype capacity, QObject* parent)
    : QObject(parent), m_clockMs(std::move(clockMs)), m_capacity(std::max<qsizetype>(1, capacity)),
      m_origin(m_clockMs()), m_wallOrigin(QDateTime::currentDateTime()),
      m_wallOriginMs(m_wallOrigin.toMSecsSinceEpoch()) {}

ChangeHistory::~ChangeHistory() = default;

void ChangeHistory::setOrigin(qint64 clockMs, const QDateTime& wall) {
    m_origin = clockMs;
    m_wallOrigin = wall;
    m_wallOriginMs = wall.toMSecsSinceEpoch();
}

QString ChangeHistory::timeOfDay(qint64 timeMs) const {
    return wallTime(timeMs).toString(QStringLiteral("hh:mm:ss.zzz"));
}

qint64 ChangeHistory::nowMs() const {
    return (m_replayClockMs ? m_replayClockMs() : m_clockMs()) - m_origin;
}

qint64 ChangeHistory::timeOf(qint64 arrivalMs) const {
    return (m_replayClockMs ? m_replayClockMs() : arrivalMs) - m_origin;
}

void ChangeHistory::setLimits(const StabilityLimits& limits) {
    m_limits = limits;
    m_limits.changes = std::clamp(m_limits.changes, 2, StabilityLimits::kMaxChanges);
}

void ChangeHistory::setNoiseRule(const NoiseRule& rule) {
    m_noise.inputs = std::clamp(rule.inputs, 2, FormState::kLampCount);
}

void ChangeHistory::clear() {
    m_firstKept = m_total;
    m_dropped = 0;
    m_inputs.fill({});
    m_recent.fill({});
    m_reports.fill(0);
    m_bursts = {};
    m_marks.clear();
    m_changed.reset();
    m_burstChanges = 0;
    m_added = false;
    m_burstModules.reset();
    m_burstReports = 0;
    m_shortCount = -1;
    m_afterShort = false;
    emit cleared();
}

void ChangeHistory::reportDecoded(const DecodedReport& report) {
    const int m = std::clamp<int>(report.module, 0, kModules - 1);
    m_afterShort = false;
    // A report of the burst lost behind a short one is not the module's, and counts as none;
    // the inputs it set changed all the same, as the lamps show, and are told as changes.
    const bool lost = swallowed(m, report);
    if (!lost) {
        ++m_burstReports;
        m_burstModules.set(std::size_t(m));
        ++m_reports[std::size_t(m)];
    }
    const int first = std::max(1, protocol::inputOf(m, 1));
    const int last =
        std::min(protocol::kLastInput, protocol::inputOf(m, protocol::kInputsPerModule));
    qint64 now = -1; // read once, and only when something changed
    const bool firstReport = lost || !m_seen.test(std::size_t(m));
    if (!lost)
        m_seen.set(std::size_t(m));
    if (first > last)
        return;
    // Most reports repeat what the module said last time: one comparison finds it so.
    std::array<bool, protocol::kInputsPerModule> inputs;
    for (int k = 0; k < protocol::kInputsPerModule; ++k)
        inputs[std::size_t(k)] = report.input(k + 1);
    const bool* reported = &inputs[std::size_t(first - protocol::inputOf(m, 1))];
    if (std::memcmp(reported, &m_known[std::size_t(first)], std::size_t(last - first + 1)) == 0)
        return;
    for (int n = first; n <= last; ++n) {
        const bool active = reported[n - first];
        if (active == m_known[std::size_t(n)])
            continue;
        if (now < 0)
            now = timeOf(report.arrivalMs);
        m_known[std::size_t(n)] = active;
        add(n, active, now);
        if (!firstReport) {
            ++m_burstChanges;
            m_changed.set(std::size_t(m));
        }
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

void ChangeHistory::burstEnded(bool complete, qint64 atMs) {
    // A short burst that the receive path then gave up counts as both.
    const bool wasShort = m_shortCount >= 0;
    if (wasShort)
        shortBurstEnded();
    if (!complete)
        ++m_bursts.givenUp;
    else if (!wasShort)
        ++m_bursts.complete;
    m_burstReports = 0;
    m_burstModules.reset();
    BurstMark mark;
    mark.inputs = m_burstChanges;
    mark.givenUp = !complete;
    // Counted, and the clock read, only for a burst that may be kept as a mark.
    if (mark.givenUp || mark.inputs >= m_noise.inputs) {
        mark.modules = int(m_changed.count());
        mark.noise = mark.inputs >= m_noise.inputs && mark.modules >= 2;
    }
    m_burstChanges = 0;
    m_changed.reset();
    if (mark.noise)
        ++m_bursts.noise;
    if (mark.noise || mark.givenUp) {
        mark.timeMs = timeOf(atMs);
        if (qsizetype(m_marks.size()) >= kMaxMarks)
            m_marks.pop_front();
        m_marks.push_back(mark);
    }
    if (m_added) {
        m_added = false;
        emit eventsAdded();
    }
}

void ChangeHistory::strayByte(quint8) {
    ++(m_afterShort ? m_bursts.lostBytes : m_bursts.strayBytes);
}

// A burst start read as a report: module byte 'i', then a count, then the first module of the
// next burst (or, for an empty one, whatever follows it). No module 105 is ever counted.
bool ChangeHistory::swallowed(int module, const DecodedReport& report) {
    if (m_shortCount >= 0) {
        m_bursts.lostBytes += protocol::kReportSize;
        return true;
    }
    const bool header =
        module == quint8(protocol::kBurstStart) && (report.high == 0 || report.low >= 1);
    if (!header)
        return false;
    m_shortCount = report.count;
    m_bursts.lostBytes += protocol::kReportSize;
    return true;
}

// The modules missing from a short burst are named when exactly as many of 1..count are absent
// as reports are missing: with modules numbered from 1, as the counts number them.
void ChangeHistory::shortBurstEnded() {
    ++m_bursts.shortBursts;
    const int count = std::clamp<int>(m_shortCount, 0, kModules - 1);
    std::bitset<kModules> absent;
    for (int m = 1; m <= count; ++m)
        absent[std::size_t(m)] = !m_burstModules.test(std::size_t(m));
    if (absent.any() && int(absent.count()) == count - m_burstReports)
        m_bursts.shortMissing |= absent;
    else
        ++m_bursts.shortUnnamed;
    m_shortCount = -1;
    m_afterShort = true;
}
