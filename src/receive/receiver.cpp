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
            take(m_serial.Input());
            const qint16 value = *s.RxValue;
            m_monitor.append(quint8(value), Monitor::Separator::Burst);
            if (position == 1) {
                s.ReportModule = value;
            } else if (position == 2) {
                s.ReportHigh = value;
            } else {
                s.ReportLow = value;
                S88(s.InputState, s.ReportModule, s.ReportHigh, s.ReportLow);
                if (m_observer)
                    m_observer->reportDecoded(s.ReportModule);
            }
            ++position;
        }
    }
    return true;
}

void Receiver::MSComm1_OnComm() {
    FormState& s = m_state;
    bool complete = true;
    if (!s.Flags[2]) {
        if (m_serial.InBufferCount() != 0) {
            take(m_serial.Input());
            m_monitor.append(quint8(*s.RxValue), Monitor::Separator::Echo);
            if (m_observer && !s.Flags[1] && s.RxChar != protocol::kBurstStart)
                m_observer->strayByte(quint8(*s.RxValue));
        }
    } else {
        complete = readBurst();
        if (m_observer)
            m_observer->burstEnded(complete);
    }
    s.Flags[2] = false;
    if (!complete) {
        // Given up mid-burst: back to idle. Reports already decoded stay decoded.
        s.Flags[1] = false;
    } else {
        if (s.Flags[1]) {
            s.ReportCount = s.RxValue.value_or(0);
            s.Flags[1] = false;
            s.Flags[2] = true;
        }
        if (s.RxChar == protocol::kBurstStart) {
            s.Flags[1] = true;
            s.Flags[10] = false;
        }
    }
    m_refresh.arbejd();
}
