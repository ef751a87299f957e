#pragma once

#include "history/replayclock.h"

#include <QString>

class SerialControl;

// A recording played through the virtual module behind one port. The bytes the receive path
// takes from that port are the recording's received bytes in order, so their count gives the
// recording's time of the byte being taken; bytes taken from any other port do not count.
class ReplaySession {
public:
    ReplaySession(const SerialControl& serial, int port) : m_serial(serial), m_port(port) {}

    bool open(const QString& path, QString* error) { return m_clock.open(path, error); }
    qint64 startEpochMs() const { return m_clock.startEpochMs(); }
    std::optional<int> modulesSent() const { return m_clock.modulesSent(); }

    // After every port handler: where the port stands now.
    void notePort(int port, bool open);
    // The recording's bytes taken so far.
    quint64 taken() const;
    // The recorded time of the last byte taken.
    qint64 clockMs();
    bool ended() const { return taken() >= m_clock.bytes(); }
    // For the diagnostics area: waiting, running or ended, on the recording's time of day.
    QString text();

private:
    const SerialControl& m_serial;
    const int m_port;
    ReplayClock m_clock;
    quint64 m_foreign = 0;      // bytes taken from other ports
    quint64 m_foreignFrom = 0;  // the count when another port was opened
    bool m_foreignOpen = false; // another port is open now
};
