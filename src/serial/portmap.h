#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// Which device each of the port numbers 1..8 opens. Ports given on the command line (or the
// virtual module) come first; any other port n is the n-th serial port the system reports,
// sorted by name, so a lone USB adapter is port 1.
class PortMap {
public:
    struct Assignment {
        int port = 0;
        QString device;
    };
    // Parses "N=DEVICE" with N from 1 to 8.
    static std::optional<Assignment> parse(const QString& option);

    void assign(int port, const QString& device, const QString& description = {});
    QString device(int port) const;
    // A line for the port's tooltip: the device it opens, or that there is none.
    QString describe(int port) const;

    // Replaces the system's port list (tests; otherwise it is read whenever needed).
    void setSystemPorts(const QStringList& devices);

private:
    QString systemPort(int port) const;

    struct Entry {
        QString device;
        QString description;
    };
    std::array<Entry, 8> m_assigned;
    std::optional<QStringList> m_system;
};
