#include "receive/receiver.h"

#include "receive/decoder.h"
#include "receive/monitor.h"
#include "state/protocol.h"
#include "state/serialcontrol.h"

#include <algorithm>

Receiver::Receiver(FormState& state, SerialControl& serial, Monitor& monitor, Refresh& refresh)
    : m_state(state), m_serial(serial), m_monitor(monitor), m_refresh(refresh) {}

void Receiver::take(char c) {
    m_state.RxText = c;
    m_state.RxChar = c;
    m_state.RxValue = qint16(quint8(c));
}

// A byte outside a burst: shown, and counted as stray unless it starts a burst or is its count.
void Receiver::echo(char c) {
    FormState& s = m_state;
    take(c);
    m_monitor.append(quint8(c), Monitor::Separator::Echo);
    if (m_observer && !s.Flags[1] && c != protocol::kBurstStart)
        m_observer->strayByte(quint8(c));
}

// Byte `position` (1..3) of the current report.
void Receiver::reportByte(int position, char c) {
    FormState& s = m_state;
    take(c);
    const qint16 value = qint16(quint8(c));
    m_monitor.append(quint8(c), Monitor::Separator::Burst);
    if (position == 1) {
        s.ReportModule = value;
    } else if (position == 2) {
        s.ReportHigh = value;
    } else {
        s.ReportLow = value;
        S88(s.InputState, s.ReportModule, s.ReportHigh, s.ReportLow);
        decoded();
    }
}

// The report just decoded, to the observer, timed by the arrival of its last byte.
void Receiver::decoded() {
    if (!m_observer)
        return;
    const FormState& s = m_state;
    m_observer->reportDecoded(
        {s.ReportModule, s.ReportHigh, s.ReportLow, s.ReportCount, m_serial.arrivalMs()});
}

// Reads the pending burst's reports, waiting for bytes that have not arrived yet. False when
// the line fell silent for too long in the middle, or the burst as a whole took too long; both
// are measured on the serial control's clock, so a recording played back ends the same way.
bool Receiver::readBurst() {
    FormState& s = m_state;
    const qint64 deadline = m_serial.clockMs() + burstBoundMs(s.ReportCount);
    for (s.LoopCounter = 1; s.LoopCounter <= s.ReportCount; ++s.LoopCounter) {
        int position = 1;
        while (position < 4) {
            if (m_serial.InBufferCount() == 0) {
                const qint64 left = deadline - m_serial.clockMs();
                const int missing = (s.ReportCount - s.LoopCounter) * protocol::kReportSize +
                                    protocol::kReportSize - position + 1;
                if (left <= 0 ||
                    !m_serial.WaitForInput(int(std::min<qint64>(kBurstSilenceMs, left)), missing))
                    return false;
                continue;
            }
            reportByte(position, m_serial.Input());
            ++position;
        }
    }
    return true;
}

// The burst's reports, all of which have arrived: what readBurst() does when it never waits.
// Only the last byte is left as the one received: nothing looks at it in between.
void Receiver::burstFrom(const char* bytes) {
    FormState& s = m_state;
    for (s.LoopCounter = 1; s.LoopCounter <= s.ReportCount; ++s.LoopCounter) {
        const quint8 module = quint8(bytes[0]);
        const quint8 high = quint8(bytes[1]);
        const quint8 low = quint8(bytes[2]);
        m_monitor.append(module, Monitor::Separator::Burst);
        m_monitor.append(high, Monitor::Separator::Burst);
        m_monitor.append(low, Monitor::Separator::Burst);
        s.ReportModule = module;
        s.ReportHigh = high;
        s.ReportLow = low;
        S88(s.InputState, s.ReportModule, s.ReportHigh, s.ReportLow);
        decoded();
        bytes += protocol::kReportSize;
    }
    if (s.ReportCount >= 1)
        take(bytes[-1]);
}

void Receiver::endEvent(bool complete) {
    FormState& s = m_state;
    s.Flags[2] = false;
    if (!complete) {
        // Given up mid-burst: back to idle. Reports already decoded stay decoded.
        s.Flags[1] = false;
    } else {
        if (s.Flags[1]) {
            s.ReportCount = s.RxValue.value_or(0);
            s.Flags[1] = false;
            s.Flags[2] = true;
            m_burstGathered = false;
        }
        if (s.RxChar == protocol::kBurstStart) {
            s.Flags[1] = true;
            s.Flags[10] = false;
        }
    }
}

void Receiver::burstDone(bool complete) {
    const quint64 end = m_serial.charactersTaken();
    m_lastSpan = complete && m_lastBurstEnd > 0 ? end - m_lastBurstEnd : 0;
    m_lastBurstEnd = end;
    if (m_observer)
        m_observer->burstEnded(complete, complete ? m_serial.arrivalMs() : m_serial.clockMs());
}

// Nothing waits and no burst is pending: the next one likely takes as long as the last did.
void Receiver::awaitNextBurst() {
    const quint64 since = m_serial.charactersTaken() - m_lastBurstEnd;
    if (m_lastSpan > since)
        m_serial.AwaitInput(int(std::min<quint64>(m_lastSpan - since, protocol::kMaxBurstSize)));
}

void Receiver::MSComm1_OnComm() {
    FormState& s = m_state;
    bool complete = true;
    if (!s.Flags[2]) {
        if (m_serial.InBufferCount() != 0)
            echo(m_serial.Input());
    } else {
        complete = readBurst();
        burstDone(complete);
    }
    endEvent(complete);
    m_refresh.arbejd();
}

void Receiver::takeWaiting() {
    FormState& s = m_state;
    const QByteArrayView block = m_serial.waitingBlock();
    // An echoed byte changes no input, so its refresh would find nothing to do; one refresh
    // after the last of them does what theirs would have done.
    bool refreshDue = false;
    qsizetype used = 0;
    qsizetype missing = 0; // of a burst whose rest is still on its way
    while (used < block.size()) {
        if (!s.Flags[2]) {
            echo(block[used++]);
            m_serial.markRun(used);
            endEvent(true);
            refreshDue = true;
            continue;
        }
        const qsizetype length = qsizetype(std::max<int>(s.ReportCount, 0)) * protocol::kReportSize;
        if (length > block.size() - used) {
            missing = length - (block.size() - used);
            break; // the rest is still on its way: gathered, or waited for below
        }
        m_serial.markRun(used + length); // the burst's changes are timed by its last byte
        burstFrom(block.data() + used);
        used += length;
        burstDone(true);
        endEvent(true);
        m_refresh.arbejd();
        refreshDue = false;
    }
    if (s.Flags[2] && used == block.size()) // a burst announced, none of it here yet
        missing = qsizetype(std::max<int>(s.ReportCount, 0)) * protocol::kReportSize;
    if (used > 0)
        m_serial.takeBlock(used); // the tap sees them in one piece, in the same order
    if (refreshDue)
        m_refresh.arbejd();
    // One gathering a burst: what is still missing after it is waited for as before, within
    // the burst's bounds.
    if (missing > 0 && !m_burstGathered) {
        m_burstGathered = true;
        if (m_serial.AwaitInput(int(missing)))
            return;
    }
    if (missing == 0 && m_serial.InBufferCount() == 0)
        awaitNextBurst();
    if (used == 0 && m_serial.InBufferCount() > 0)
        MSComm1_OnComm();
}
