#pragma once

#include "serialcontrol.h"

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
    bool WaitForInput(int msecs) override;

    QString deviceName() const { return m_port.portName(); }

protected:
    char takeOne() override;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);

    DeviceResolver m_resolver;
    QSerialPort m_port;
    int m_commPort = 1;
    bool m_waiting = false;
    bool m_lost = false; // failed underneath; closed from the event loop
};
