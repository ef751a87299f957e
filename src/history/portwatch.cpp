#include "history/portwatch.h"

#include <QCoreApplication>

void PortWatch::update(int port, bool open, quint64 bursts, qint64 nowMs) {
    if (open && (!m_open || port != m_port || bursts > m_bursts))
        m_since = nowMs;
    m_port = port;
    m_open = open;
    m_bursts = bursts;
    m_silent = open && nowMs - m_since >= kSilentMs;
}

QString PortWatch::silentText(int port, const QString& device) {
    const QString where =
        device.isEmpty() ? QCoreApplication::translate("PortWatch", "ingen enhed") : device;
    return QCoreApplication::translate(
               "PortWatch", "Ingen data fra port %1 (%2): forkert port, eller er modulet tændt?")
        .arg(port)
        .arg(where);
}

QString PortWatch::portText(int port, const QString& device) {
    return QCoreApplication::translate("PortWatch", "Port %1: %2")
        .arg(port)
        .arg(device.isEmpty() ? QCoreApplication::translate("PortWatch", "ingen enhed") : device);
}
