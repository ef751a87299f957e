#pragma once

#include "receive/receiver.h"
#include "state/formstate.h"

#include <QDateTime>
#include <QObject>
#include <algorithm>
#include <array>
#include <bitset>
#include <deque>
#include <functional>
#include <type_traits>
#include <vector>

// One change of one input, as a decoded report made it.
struct ChangeEvent {
    qint64 timeMs = 0;   // from the history's origin to the arrival of the report's last byte
    qint64 sinceMs = -1; // from this input's previous change; -1 for its first (since a clear)
    quint16 input = 0;   // 1..200
    bool active = false; // the new state

    int module() const { return protocol::moduleOf(input); }
    int contact() const { return protocol::contactOf(input); }
};

// When an input counts as unstable: a pulse (active) or gap (inactive) shorter than
// shortestMs, or `changes` changes within less than windowMs.
struct StabilityLimits {
    qint64 shortestMs = 50;
    int changes = 5; // 2..kMaxChanges
    qint64 windowMs = 1000;

    static constexpr int kMaxChanges = 32;
    friend bool operator==(const StabilityLimits&, const StabilityLimits&) = default;
};

struct InputStats {
    enum Reason : quint8 { ShortPulse = 1, ShortGap = 2, Frequent = 4 };

    quint64 changes = 0;
    qint64 shortestActiveMs = -1;   // shortest complete pulse; -1 while there was none
    qint64 shortestInactiveMs = -1; // shortest complete gap between two pulses; -1: none
    qint64 lastChangeMs = -1;       // on the history's clock; -1: never changed
    quint8 reasons = 0;             // Reason bits; sticky until clear()

    bool unstable() const { return reasons != 0; }
};

struct BurstStats {
    quint64 complete = 0;   // bursts whose reports all arrived
    quint64 givenUp = 0;    // bursts abandoned part-way (the line fell silent)
    quint64 strayBytes = 0; // bytes between bursts that neither start one nor count it
    // Short bursts: the module announced more reports than it sent, so the receive path took
    // the next burst's start as a report (module byte 'i', then what reads as its count). That
    // report, the rest of the short burst and the stray bytes up to the next report are the
    // next burst's, lost: they count here, not as modules or stray bytes.
    quint64 shortBursts = 0;
    quint64 lostBytes = 0; // bytes of bursts lost behind a short one
    // Modules 1..count that a short burst left out, when the count and the reports name them;
    // short bursts where they do not (the modules are not numbered 1..count).
    std::bitset<256> shortMissing;
    quint64 shortUnnamed = 0;
    quint64 noise = 0; // noise bursts (see NoiseRule)
};

// A noise burst: one burst in which at least `inputs` inputs, across at least two modules,
// change at once. A module's first report states its inputs and changes none of them here.
struct NoiseRule {
    int inputs = 8; // 2..160
};

// A burst worth marking on a timeline: a noise burst, or one given up part-way.
struct BurstMark {
    qint64 timeMs = 0; // when the burst ended
    int inputs = 0;    // inputs that changed in it
    int modules = 0;   // modules whose inputs changed in it
    bool noise = false;
    bool givenUp = false;
};

// The change history of inputs 1..200, fed by the receive path report by report (it is the
// Receiver's observer). Events are numbered from 0 in the order they happened; the newest
// `capacity` stay readable, older ones are dropped and counted. Qt Core only: the window, the
// walk test and the command-line reports all read the same object.
class ChangeHistory final : public QObject, public ReceiveObserver {
    Q_OBJECT

public:
    static constexpr qsizetype kDefaultCapacity = 100'000;
    static constexpr int kModules = 256; // module numbers as received, 0..255

    // Takes the inputs from the reports handed on and times each change by its report's
    // arrival; `clockMs` (the line's clock, in milliseconds) tells the time now. Time 0 is the
    // clock's reading now; see setOrigin().
    explicit ChangeHistory(std::function<qint64()> clockMs, qsizetype capacity = kDefaultCapacity,
                           QObject* parent = nullptr);
    ~ChangeHistory() override;

    // Time 0 of the events: `clockMs` on the clock, `wall` on the wall clock.
    void setOrigin(qint64 clockMs, const QDateTime& wall);
    QDateTime wallTime(qint64 timeMs) const { return m_wallOrigin.addMSecs(timeMs); }
    // The same as milliseconds since 1970 UTC, without a date's arithmetic.
    qint64 wallMs(qint64 timeMs) const { return m_wallOriginMs + timeMs; }
    // The time of day of `timeMs` as every view shows it: hh:mm:ss.zzz.
    QString timeOfDay(qint64 timeMs) const;
    // Now, on the history's time scale.
    qint64 nowMs() const;
    // Another clock than the line's, in milliseconds: a recording's while it is replayed, which
    // then also times the changes (the recorded time of the byte being taken). Empty: the
    // line's clock and the reports' arrival again.
    void setClock(std::function<qint64()> clockMs) { m_replayClockMs = std::move(clockMs); }

    void setLimits(const StabilityLimits& limits); // applies to changes from now on

    // Sequence numbers: every event ever added has one; firstKept() <= seq < total() are
    // readable.
    quint64 total() const { return m_total; }
    quint64 firstKept() const { return m_firstKept; }
    quint64 dropped() const { return m_dropped; } // lost to the bound since the last clear()
    qsizetype capacity() const { return m_capacity; }
    using QObject::event; // not hidden by the one below
    const ChangeEvent& event(quint64 seq) const {
        return m_ring[std::size_t(seq % quint64(m_capacity))];
    }

    // The one way through the events: calls fn(event), or fn(seq, event), for every readable
    // event from sequence number `from` on, oldest first (those dropped or cleared meanwhile
    // are skipped), and returns the position to pass as `from` next time.
    template <typename Fn> quint64 forEachNew(quint64 from, Fn&& fn) const {
        for (quint64 seq = std::max(from, m_firstKept); seq < m_total; ++seq) {
            if constexpr (std::is_invocable_v<Fn&, quint64, const ChangeEvent&>)
                fn(seq, event(seq));
            else
                fn(event(seq));
        }
        return m_total;
    }

    const InputStats& input(int n) const { return m_inputs[std::size_t(n)]; }    // 1..200
    quint64 reports(int module) const { return m_reports[std::size_t(module)]; } // 0..255
    const BurstStats& bursts() const { return m_bursts; }
    void setNoiseRule(const NoiseRule& rule); // applies to bursts from now on
    const NoiseRule& noiseRule() const { return m_noise; }
    // Noise and given-up bursts, oldest first; the newest kMaxMarks stay.
    static constexpr qsizetype kMaxMarks = 10'000;
    const std::deque<BurstMark>& marks() const { return m_marks; }

    // Forgets the events, the statistics and the counts (sequence numbers go on). The inputs'
    // current states are kept, so the next change is measured against what the lamps show.
    void clear();

    void reportDecoded(const DecodedReport& report) override;
    void burstEnded(bool complete, qint64 atMs) override;
    void strayByte(quint8 value) override;

signals:
    // At the end of a burst that added events: total() has grown. One per burst, not per event.
    void eventsAdded();
    void cleared();

private:
    void add(int input, bool active, qint64 now);
    // `arrivalMs` on the history's time scale (a replay's clock, while there is one).
    qint64 timeOf(qint64 arrivalMs) const;
    // True when this report is the next burst's start read as a report, or comes after one.
    bool swallowed(int module, const DecodedReport& report);
    void shortBurstEnded();

    struct Recent { // the input's newest change times, for the changes-in-a-window rule
        std::array<qint64, StabilityLimits::kMaxChanges> times{};
        int next = 0;
    };

    std::function<qint64()> m_clockMs;
    std::function<qint64()> m_replayClockMs;
    qsizetype m_capacity;
    std::vector<ChangeEvent> m_ring;
    quint64 m_total = 0;
    quint64 m_firstKept = 0;
    quint64 m_dropped = 0;
    qint64 m_origin = 0;
    QDateTime m_wallOrigin;
    qint64 m_wallOriginMs; // m_wallOrigin since 1970 UTC
    StabilityLimits m_limits;
    std::array<bool, FormState::kInputCount> m_known{}; // inputs as the last report left them
    std::array<InputStats, FormState::kInputCount> m_inputs{};
    std::array<Recent, FormState::kInputCount> m_recent{};
    std::array<quint64, kModules> m_reports{};
    BurstStats m_bursts;
    bool m_added = false;                 // events added in the burst under way
    std::bitset<kModules> m_burstModules; // the modules of the burst under way's own reports
    int m_burstReports = 0;               // how many of those reports
    int m_shortCount = -1;                // the burst under way is short: the count it announced
    bool m_afterShort = false;            // stray bytes now are the lost burst's
    NoiseRule m_noise;
    std::deque<BurstMark> m_marks;
    std::bitset<kModules> m_seen;    // modules that reported since the history began
    std::bitset<kModules> m_changed; // modules whose inputs changed in the burst under way
    int m_burstChanges = 0;          // inputs changed in the burst under way
};
