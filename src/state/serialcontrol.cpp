#include "state/serialcontrol.h"

#include "state/clock.h"

#include <QElapsedTimer>

qint64 SerialControl::clockMs() const {
    return monotonicMs();
}

void SerialControl::drain() {
    if (m_draining)
        return; // a wait inside a handler; the outer loop carries on when the handler returns
    m_draining = true;
    QElapsedTimer budget;
    budget.start();
    // A handler run may legitimately take nothing (a burst of zero reports), but never twice
    // in a row while input waits; stop rather than spin if it ever does.
    int idleRuns = 0;
    m_awaiting = false;
    for (unsigned runs = 1; InBufferCount() > 0 && PortOpen() && idleRuns < 2 && !m_awaiting;
         ++runs) {
        const quint64 before = m_taken;
        if (m_handler)
            m_handler();
        idleRuns = (m_taken == before) ? idleRuns + 1 : 0;
        // Reading the clock costs more than a handler run; look at it every 64 runs, after a
        // run that waited for input, or after one that took a block of characters at once.
        const bool look = runs % 64 == 0 || m_waited || m_taken - before >= 64;
        m_waited = false;
        if (look && InBufferCount() > 0 && budget.elapsed() >= kDrainBudgetMs) {
            scheduleDrain();
            break;
        }
    }
    m_draining = false;
    afterDrain();
}

void SerialControl::scheduleDrain() {
    if (m_continuationQueued)
        return;
    m_continuationQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_continuationQueued = false;
            drain();
        },
        Qt::QueuedConnection);
}
