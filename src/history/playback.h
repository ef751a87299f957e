#pragma once

#include "history/recording.h"
#include "state/serialcontrol.h"

class ChangeHistory;

// A serial control that plays a recording's received bytes into the receive path: each byte
// is taken at its recorded time (clockMs()), and a wait for input advances that clock to the
// next byte or by the wait's length, whichever comes first. The receive state machine then
// does with the recording exactly what it did in the window.
class Playback final : public SerialControl {
    Q_OBJECT

public:
    explicit Playback(recording::Reader& reader, QObject* parent = nullptr);

    // Runs the whole recording through the receive state machine and decoder into `history`
    // (whose origin must be the recording's start, clock 0). Connect to the history's
    // eventsAdded() to see every event before its bound drops old ones. False when the
    // recording has a fault; the reader says which.
    static bool run(recording::Reader& reader, ChangeHistory& history);

    int CommPort() const override { return m_port; }
    void setCommPort(int port) override { m_port = port; }
    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override { m_open = open; }
    void Output(const QByteArray&) override {}
    int InBufferCount() const override { return int(m_bytes.size() - m_next); }
    qint64 clockMs() const override { return m_now; }

    // The next record; false at the end. Received bytes become input, the rest is applied.
    bool advance();

protected:
    char takeOne() override { return m_bytes[m_next++]; }
    bool waitForInput(int msecs) override;

private:
    recording::Reader& m_reader;
    recording::Record m_record;
    QByteArrayView m_bytes;
    qsizetype m_next = 0;
    qint64 m_now = 0;
    bool m_pending = false; // m_record is read but not yet applied
    int m_port = 1;
    bool m_open = false;
};
