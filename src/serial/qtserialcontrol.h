#pragma once

#include "state/protocol.h"
#include "state/serialcontrol.h"

#include <QSerialPort>
#include <functional>

// The serial control on a real port through Qt Serial Port, 9600 8N1, no flow control.
// Port numbers become device names through the resolver given at construction.
class QtSerialControl final : public SerialControl {
    Q_OBJECT

public:
    using DeviceResolver = std::function<QString(int port)>;
    explicit QtSerialControl(DeviceResolver resolver, QObject* parent = nullptr);

    int CommPort() const override { return m_commPort; }
    void setCommPort(int port) override;
    bool PortOpen() const override { return m_port.isOpen() && !m_lost; }
    void setPortOpen(bool open) override;
    void Output(const QByteArray& bytes) override;
    int InBufferCount() const override;

    // How much the control reads from the device at once. Reading ahead in blocks keeps the
    // per-character cost to an index step; the bound keeps a fast peer from filling memory
    // (the device is not read while the block waits, so the peer is held back by the line).
    static constexpr qint64 kReadBlock = 16 * 1024;

    static_assert(kReadBlock >= protocol::kMaxBurstSize);

    // The port itself, for tools that watch its errors.
    const QSerialPort& port() const { return m_port; }

    // The message for a port that would not open, from Qt's error and its text.
    static QString openFailure(int port, const QString& device, QSerialPort::SerialPortError error,
                               const QString& why);

protected:
    char takeOne() override;
    bool waitForInput(int msecs) override;

private:
    bool deviceReadable() const;
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    DeviceResolver m_resolver;
    void discardInput();

    QSerialPort m_port;
    QString m_device;   // as resolved when the port was opened
    QByteArray m_block; // read from the device, not yet taken
    qsizetype m_next = 0;
    qsizetype m_lastRead = 0; // characters the last read from the device brought
    int m_commPort = 1;
    bool m_waiting = false;
    bool m_lost = false; // failed underneath; closed from the event loop
};
