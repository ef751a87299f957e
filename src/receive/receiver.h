#pragma once

#include "state/formstate.h"
#include "state/protocol.h"

class Monitor;
class SerialControl;

// What ends every receive event: the panel refresh in the window, nothing (or a record of the
// states) elsewhere.
class Refresh {
public:
    virtual ~Refresh() = default;
    virtual void arbejd() = 0;
};

// The receive state machine, run on every OnComm of the serial control. Between events its
// state is Flags(1) (a count byte is expected) and Flags(2) (a burst is pending):
//   idle --'i'--> count expected --count--> burst pending --reports--> idle
// Every byte is echoed to the monitor; every event ends with the panel refresh.
// Who wants to know what the state machine made of the stream beyond the form state: the
// change history and the recording. Called on the receive path, so it must be cheap.
// One decoded report, as the state machine hands it on.
struct DecodedReport {
    qint16 module = 0;    // as received, 0..255
    qint16 high = 0;      // its inputs 9..16, weight 1 first
    qint16 low = 0;       // its inputs 1..8
    qint16 count = 0;     // the reports the burst under way announced
    qint64 arrivalMs = 0; // when its last byte arrived, on the serial control's clock

    // The report's contact 1..16: on or off.
    bool input(int contact) const {
        const int value = contact <= 8 ? low : high;
        return ((value >> ((contact - 1) % 8)) & 1) != 0;
    }
};

class ReceiveObserver {
public:
    virtual ~ReceiveObserver() = default;
    // A report was decoded (into InputState as well).
    virtual void reportDecoded(const DecodedReport& report) = 0;
    // A burst's reports all arrived (complete) or it was given up part-way, at `atMs` on the
    // serial control's clock: when its last byte arrived, or when it was given up.
    virtual void burstEnded(bool complete, qint64 atMs) = 0;
    // A byte outside a burst that neither starts one nor is its count.
    virtual void strayByte(quint8 value) = 0;
};

class Receiver {
public:
    // Longest silence tolerated inside an announced burst. A 9600-baud byte takes about a
    // millisecond and USB adapters batch bytes every few; half a second of nothing means the
    // module has stopped mid-burst, so the burst is given up and the machine returns to idle.
    static constexpr int kBurstSilenceMs = 500;
    // Longest a whole burst of `reports` may take: twice its length at the line rate plus the
    // silence bound (2.1 s for 255 reports). A device that drips the bytes just within the
    // silence bound would otherwise hold the window for minutes.
    static constexpr qint64 burstBoundMs(int reports) {
        return kBurstSilenceMs + qint64(reports) * 2 * protocol::kReportSize * 10'000 /
                                     protocol::kBaudRate; // 10 bits a byte
    }

    Receiver(FormState& state, SerialControl& serial, Monitor& monitor, Refresh& refresh);

    // One OnComm event: a byte outside a burst, or a whole burst (waiting for its bytes).
    void MSComm1_OnComm();
    // The events of the characters the serial control offers in one piece, in one call, run
    // straight from its block (no call per byte); when it offers none that make a whole event,
    // one ordinary event (a burst whose bytes are still on their way). The state machine, the
    // monitor, the observer and the lamps see exactly what the same events one by one show.
    // Raised while characters wait, as MSComm1_OnComm() is.
    void takeWaiting();

    // At most one; null for none.
    void setObserver(ReceiveObserver* observer) { m_observer = observer; }

private:
    void take(char c);
    void echo(char c);
    void reportByte(int position, char c);
    bool readBurst();
    void burstFrom(const char* bytes);
    void endEvent(bool complete);
    void burstDone(bool complete);
    void decoded();
    void awaitNextBurst();

    FormState& m_state;
    SerialControl& m_serial;
    Monitor& m_monitor;
    Refresh& m_refresh;
    ReceiveObserver* m_observer = nullptr;
    // Characters taken up to the end of the last complete burst, and how many it took since
    // the one before it (0: not known): what the next burst will likely take.
    quint64 m_lastBurstEnd = 0;
    quint64 m_lastSpan = 0;
    bool m_burstGathered = false; // the pending burst's rest was left to a gathering once
};
