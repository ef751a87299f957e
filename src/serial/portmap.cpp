#include "serial/portmap.h"

#include "state/protocol.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
#include <algorithm>

namespace {
bool validPort(int port) {
    return port >= protocol::kFirstPort && port <= protocol::kLastPort;
}
} // namespace

std::optional<PortMap::Assignment> PortMap::parse(const QString& option) {
    const qsizetype eq = option.indexOf(QLatin1Char('='));
    if (eq <= 0 || eq == option.size() - 1)
        return std::nullopt;
    bool ok = false;
    const int port = option.left(eq).trimmed().toInt(&ok);
    if (!ok || !validPort(port))
        return std::nullopt;
    return Assignment{port, option.mid(eq + 1)};
}

void PortMap::assign(int port, const QString& device, const QString& description) {
    if (validPort(port))
        m_assigned[port - 1] = {device, description};
}

void PortMap::setSystemPorts(const QStringList& devices) {
    m_system = devices;
}

QString PortMap::systemPort(int port) const {
    // Asked afresh each time (a port is resolved only when it is opened), so an adapter
    // plugged in after the program started is found.
    QStringList names;
    if (m_system) {
        names = *m_system;
    } else {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            names << info.systemLocation();
        std::sort(names.begin(), names.end());
    }
    // Only the ports not taken by an explicit assignment are numbered from the system list.
    int n = 0;
    for (int p = protocol::kFirstPort; p <= port; ++p) {
        if (m_assigned[p - 1].device.isEmpty())
            ++n;
    }
    return n >= 1 && n <= names.size() ? names.at(n - 1) : QString();
}

QString PortMap::device(int port) const {
    if (!validPort(port))
        return {};
    const Entry& entry = m_assigned[port - 1];
    return entry.device.isEmpty() ? systemPort(port) : entry.device;
}

QString PortMap::describe(int port) const {
    if (!validPort(port))
        return {};
    const Entry& entry = m_assigned[port - 1];
    const QString dev = device(port);
    if (!entry.description.isEmpty())
        return QCoreApplication::translate("PortMap", "Port %1: %2 (%3)")
            .arg(port)
            .arg(entry.description, dev);
    if (dev.isEmpty())
        return QCoreApplication::translate("PortMap", "Port %1: ingen enhed fundet").arg(port);
    return QCoreApplication::translate("PortMap", "Port %1: %2").arg(port).arg(dev);
}
