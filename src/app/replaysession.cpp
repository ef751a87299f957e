#include "app/replaysession.h"

#include "state/serialcontrol.h"

#include <QCoreApplication>
#include <QDateTime>

void ReplaySession::notePort(int port, bool open) {
    const quint64 now = m_serial.charactersTaken();
    if (m_foreignOpen)
        m_foreign += now - m_foreignFrom;
    m_foreignOpen = open && port != m_port;
    m_foreignFrom = now;
}

quint64 ReplaySession::taken() const {
    const quint64 now = m_serial.charactersTaken();
    return now - m_foreign - (m_foreignOpen ? now - m_foreignFrom : 0);
}

qint64 ReplaySession::clockMs() {
    return m_clock.timeOfByte(taken());
}

QString ReplaySession::text() {
    const auto at = [this](qint64 ms) {
        return QDateTime::fromMSecsSinceEpoch(m_clock.startEpochMs() + ms)
            .toString(QStringLiteral("hh:mm:ss"));
    };
    if (taken() == 0)
        return QCoreApplication::translate("Form1", "Afspilning fra %1: tryk Start").arg(at(0));
    if (ended())
        return QCoreApplication::translate("Form1", "Afspilning slut (%1)")
            .arg(at(m_clock.endMs()));
    return QCoreApplication::translate("Form1", "Afspiller optagelse: %1").arg(at(clockMs()));
}
