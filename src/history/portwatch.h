#pragma once

#include "history/changehistory.h"

#include <QString>
#include <QtGlobal>

// Whether a started port gives data: open for kSilentMs without one burst (nothing at all, or
// only bytes that never make a burst) is silent, until a burst comes. A short burst (a module
// missing from the reply) is data as much as a complete one. No clock of its own: the caller
// says what the time is.
class PortWatch {
public:
    static constexpr qint64 kSilentMs = 3000;

    // The bursts that count as data: complete and short ones alike.
    static quint64 dataBursts(const BurstStats& bursts) {
        return bursts.complete + bursts.shortBursts;
    }

    // The port's state now: which port, open or not, the bursts received so far (dataBursts();
    // fewer than before: the history was cleared, which is no sign of data), the time. Another port
    // starts the count afresh.
    void update(int port, bool open, quint64 bursts, qint64 nowMs);
    bool silent() const { return m_silent; }
    quint64 bursts() const { return m_bursts; } // as last told
    // How long after `nowMs` the port falls silent unless a burst comes; -1 when it is closed or
    // silent already.
    qint64 msUntilSilent(qint64 nowMs) const {
        return m_open && !m_silent ? m_since + kSilentMs - nowMs : -1;
    }

    // The line the diagnostics show while the port is silent.
    static QString silentText(int port, const QString& device);
    // The chosen port beside the module check: "Port 1: /dev/ttyUSB0".
    static QString portText(int port, const QString& device);

private:
    int m_port = 0;
    bool m_open = false;
    bool m_silent = false;
    quint64 m_bursts = 0;
    qint64 m_since = 0; // port opened or last burst
};
