#pragma once

#include "history/changehistory.h"
#include "history/recording.h"
#include "history/station.h"
#include "state/formstate.h"
#include "state/serialcontrol.h"

#include <optional>

// A serial control that plays a recording's received bytes into the receive path: each byte
// is taken at its recorded time (clockMs()), and a wait for input advances that clock to the
// next byte or by the wait's length, whichever comes first. The receive state machine then
// does with the recording exactly what it did in the window.
class Playback final : public SerialControl {
    Q_OBJECT

public:
    explicit Playback(recording::Reader& reader, QObject* parent = nullptr);

    int CommPort() const override { return m_port; }
    void setCommPort(int port) override { m_port = port; }
    bool PortOpen() const override { return m_open; }
    void setPortOpen(bool open) override { m_open = open; }
    void Output(const QByteArray&) override {}
    int InBufferCount() const override { return int(m_bytes.size() - m_next); }
    qint64 clockMs() const override { return m_now; }
    QByteArrayView waitingBlock() const override { return m_bytes.sliced(m_next); }

    // The next record; false at the end. Received bytes become input, the rest is applied.
    bool advance();
    // Left + Mid + Right of the last module-count command sent; nothing before one.
    std::optional<int> modulesSent() const { return m_modulesSent; }

protected:
    char takeOne() override { return m_bytes[m_next++]; }
    void skip(qsizetype count) override { m_next += count; }
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
    std::optional<int> m_modulesSent;
};

// A recording run through a station of its own (the very receive state machine, decoder and
// module check the window uses), into a change history whose time 0 is the recording's start.
// The counts are those of the last count command the recording sent.
class PlaybackRun {
public:
    explicit PlaybackRun(recording::Reader& reader,
                         qsizetype capacity = ChangeHistory::kDefaultCapacity);

    // Connect to eventsAdded() before run() to see every event before the bound drops it.
    ChangeHistory& history() { return m_station.history(); }
    const FormState& state() const { return m_station.state(); }
    const Playback& line() const { return m_line; }
    const Station& station() const { return m_station; }

    // Plays the whole recording; false when it has a fault (the reader says which). What
    // came before the fault has been played.
    bool run();

private:
    recording::Reader& m_reader;
    Playback m_line;
    Station m_station;
};
