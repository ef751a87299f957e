#include "history/station.h"

#include "state/platformerror.h"
#include "state/serialcontrol.h"

Station::Station(SerialControl& serial, qsizetype capacity, QObject* parent)
    : QObject(parent), m_serial(serial), m_receiver(m_state, serial, m_monitor, m_refresh),
      m_history([&serial] { return serial.clockMs(); }, capacity), m_recorder(serial) {
    m_receiver.setObserver(&m_history);
    connect(&serial, &SerialControl::PortLost, this, [this](const QString& why) {
        m_recorder.notePort(m_serial.CommPort(), false);
        emit portLost(why);
    });
    connect(&m_history, &ChangeHistory::cleared, this, [this] {
        m_burstsAtSample = 0;
        m_rate = 0;
        m_changesAtStart.fill(0);
    });
    m_sampleTimer.setInterval(kSampleMs);
    connect(&m_sampleTimer, &QTimer::timeout, this, &Station::sample);
    m_watchClock.start();
    m_watchTimer.setSingleShot(true);
    m_watchTimer.setTimerType(Qt::PreciseTimer); // the silence is due to the millisecond
    connect(&m_watchTimer, &QTimer::timeout, this, &Station::watchPort);
}

Station::~Station() {
    m_serial.setOnCommHandler({});
}

void Station::listen(std::function<void(const QString&)> failed, std::function<void()> after) {
    m_serial.setOnCommHandler([this, failed = std::move(failed), after = std::move(after)] {
        try {
            m_receiver.takeWaiting();
        } catch (const PlatformError& e) {
            failed(e.message());
        } catch (const std::exception& e) {
            failed(QString::fromLocal8Bit(e.what()));
        }
        watchPort();
        if (after)
            after();
    });
}

void Station::setConfiguredModules(std::optional<int> modules, bool sent) {
    const bool nowSent = m_countsSent || sent;
    if (modules == m_configured && nowSent == m_countsSent)
        return;
    m_configured = modules;
    m_countsSent = nowSent;
    emit countsChanged();
}

void Station::startSampling() {
    m_sampleAtMs = m_history.nowMs();
    m_burstsAtSample = m_history.bursts().complete;
    m_sampleTimer.start();
}

void Station::sample() {
    const quint64 bursts = m_history.bursts().complete;
    const qint64 now = m_history.nowMs();
    const qint64 ms = now - m_sampleAtMs;
    m_sampleAtMs = now;
    if (ms > 0 && bursts >= m_burstsAtSample)
        m_rate = double(bursts - m_burstsAtSample) * 1000.0 / double(ms);
    m_burstsAtSample = bursts;
    emit sampled();
}

ModuleCheck Station::check(const ModuleCheck::Changes& changesAtStart) const {
    ModuleCheck c = ModuleCheck::of(m_history, m_configured, changesAtStart, m_rate);
    c.countsSent(m_countsSent);
    return c;
}

// Follows the port: its device when it is chosen or opened, and whether it gives data.
void Station::watchPort() {
    const quint64 bursts = PortWatch::dataBursts(m_history.bursts());
    const bool open = m_serial.PortOpen();
    const int port = m_serial.CommPort();
    if (open == m_watchedOpen && bursts == m_watch.bursts() && port == m_watchedPort &&
        (m_watchTimer.isActive() || !open || m_watch.silent()))
        return; // a read that completed no burst: nothing to look at
    bool changed = false;
    if (port != m_watchedPort || open != m_watchedOpen) {
        m_watchedPort = port;
        m_watchedOpen = open;
        m_device = m_serial.deviceName(); // may scan the system's ports: only on a change
        changed = true;
    }
    const bool wasSilent = m_watch.silent();
    const bool more = bursts > m_watch.bursts();
    const qint64 now = m_watchClock.elapsed();
    m_watch.update(m_watchedPort, open, bursts, now);
    // The deadline only moves later: a timer still running looks again, early, and sets it anew.
    if (const qint64 wait = m_watch.msUntilSilent(now); wait < 0)
        m_watchTimer.stop();
    else if (!m_watchTimer.isActive())
        m_watchTimer.start(int(wait));
    if (changed || m_watch.silent() != wasSilent)
        emit portWatchChanged();
    if (more)
        emit burstsReceived();
}
