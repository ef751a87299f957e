#pragma once

#include "serial/arrivalreader.h"
#include "state/protocol.h"
#include "state/serialcontrol.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

// The serial control on a real port through Qt Serial Port, 9600 8N1, no flow control.
// Port numbers become device names through the resolver given at construction.
//
// QSerialPort opens the port, sets the line and writes; the control reads the device itself:
// on Unix a reader thread (ArrivalReader) reads it and stamps each read with its arrival, and
// the control reads the reader's pipe from its own notifier, as it would the device. At the line
// rate a read that brought a few characters mutes the notifier for as long as the characters the
// reader awaits take on the wire (kGatherMs when it did not say), so a slow line wakes the program
// about once a burst instead of once a byte; a character after a quiet spell is still read at once,
// and a flood is read a block per wake-up.
class QtSerialControl final : public SerialControl {
    Q_OBJECT

public:
    using DeviceResolver = std::function<QString(int port)>;
    explicit QtSerialControl(DeviceResolver resolver, QObject* parent = nullptr);
    ~QtSerialControl() override;

    int CommPort() const override { return m_commPort; }
    void setCommPort(int port) override;
    bool PortOpen() const override { return m_port.isOpen() && !m_lost; }
    void setPortOpen(bool open) override;
    void Output(const QByteArray& bytes) override;
    int InBufferCount() const override { return PortOpen() ? int(m_end - m_next) : 0; }
    QByteArrayView waitingBlock() const override {
        return PortOpen() ? QByteArrayView(m_block.data() + m_next, m_end - m_next)
                          : QByteArrayView();
    }
    QString deviceName() const override;

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
    char takeOne() override { return m_block[std::size_t(m_next++)]; }
    qint64 arrivalOf(qsizetype index) const override;
    void skip(qsizetype count) override { m_next += count; }
    bool waitForInput(int msecs) override;
    bool gatherFor(int chars) override;
    void afterDrain() override;

private:
    enum class Read { Some, None, Failed };
    Read fill(bool woken = false);
    void onReadable(bool woken);
    void onError(QSerialPort::SerialPortError error);
    void lose(const QString& reason);
    void muteQtReader();
    void discardInput();
    void takeArrived();
    bool fillArrived();
    int readFd() const; // what the device's bytes are read from
    void stopReader();

    DeviceResolver m_resolver;
    QSerialPort m_port;
    std::unique_ptr<QSocketNotifier> m_readable; // while the port is open
    QTimer m_gather;
    QString m_device;              // as resolved when the port was opened
    std::vector<char> m_block;     // read from the device; m_next..m_end not yet taken
    std::vector<qint64> m_arrival; // when each byte of m_block arrived
    qint64 m_takenArrival = 0;     // the arrival of the last byte moved out of m_block
#ifdef Q_OS_UNIX
    ArrivalReader m_reader; // reads the device while the port is open
#endif
    qsizetype m_next = 0;
    qsizetype m_end = 0;
    bool m_lineRate = false;        // the last read that brought any came at the line rate
    bool m_lastFillBrought = false; // whether the last read brought any
    int m_expected = 0;             // characters the reader awaits (AwaitInput()), 0 unknown
    QElapsedTimer m_sinceRead;      // since the last read that brought any
    int m_commPort = 1;
    bool m_lost = false;    // failed underneath; closed from the event loop
    bool m_closing = false; // taking what arrived before the port closes
    qsizetype m_toTake = 0; // of it, the bytes still in the reader's pipe
};
