#include "serial/qtserialcontrol.h"

#include "state/protocol.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <limits>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {
// Whether the device behind the open port has hung up or failed. Qt also reports a read that
// found nothing as a read error, on a perfectly live line (a wake-up whose data a wait inside
// a handler had already taken), so that error alone does not mean the line is gone.
bool lineGone(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    pollfd p{int(port.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    Q_UNUSED(port);
    return true;
#endif
}
} // namespace

QtSerialControl::QtSerialControl(DeviceResolver resolver, QObject* parent)
    : SerialControl(parent), m_resolver(std::move(resolver)), m_port(this) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialControl::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialControl::onError);
    m_port.setReadBufferSize(kReadBlock);
    m_block.reserve(kReadBlock);
}

void QtSerialControl::discardInput() {
    m_block.clear();
    m_next = 0;
}

void QtSerialControl::setCommPort(int port) {
    if (port < protocol::kFirstPort || port > protocol::kLastPort)
        throw PlatformError(QStringLiteral("Ugyldigt portnummer %1").arg(port));
    m_commPort = port;
}

void QtSerialControl::setPortOpen(bool open) {
    if (!open) {
        m_port.close();
        discardInput(); // like the classic control, closing empties the input buffer
        m_lost = false;
        return;
    }
    if (m_port.isOpen())
        return;
    const QString device = m_resolver ? m_resolver(m_commPort) : QString();
    if (device.isEmpty())
        throw PlatformError(QStringLiteral("Port %1: ingen enhed fundet").arg(m_commPort));
    m_port.setPortName(device);
    m_device = device;
    m_port.setBaudRate(protocol::kBaudRate);
    m_port.setDataBits(QSerialPort::DataBits(protocol::kDataBits));
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::StopBits(protocol::kStopBits));
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_lost = false;
    discardInput();
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QString text = openFailure(m_commPort, device, m_port.error(), m_port.errorString());
        m_port.clearError();
        throw PlatformError(text);
    }
}

QString QtSerialControl::openFailure(int port, const QString& device,
                                     QSerialPort::SerialPortError error, const QString& why) {
    QString text = QStringLiteral("Port %1 (%2): %3").arg(port).arg(device, why);
#ifdef Q_OS_LINUX
    // Serial devices belong to the group dialout, which a new user is not in. Qt reports a
    // device in use the same way, but with the system's own words for that.
    if (error == QSerialPort::PermissionError && why == qt_error_string(EACCES))
        text += QStringLiteral(
            ". Husk at tilføje dig selv til gruppen dialout (sudo usermod -aG dialout $USER) og "
            "at logge ind igen.");
#else
    Q_UNUSED(error);
#endif
    return text;
}

void QtSerialControl::Output(const QByteArray& bytes) {
    if (!PortOpen())
        throw PlatformError(QStringLiteral("Porten er ikke åben"));
    if (m_port.write(bytes) != bytes.size())
        throw PlatformError(m_port.errorString());
    tapSent(bytes);
}

int QtSerialControl::InBufferCount() const {
    if (!PortOpen())
        return 0;
    const qint64 n = (m_block.size() - m_next) + m_port.bytesAvailable();
    return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(n);
}

char QtSerialControl::takeOne() {
    if (m_next == m_block.size()) {
        const qint64 want = std::min(kReadBlock, m_port.bytesAvailable());
        m_block.resize(qsizetype(want));
        const qint64 got = m_port.read(m_block.data(), want);
        m_block.resize(qsizetype(std::max<qint64>(got, 0)));
        m_next = 0;
        m_lastRead = m_block.size();
        if (m_block.isEmpty())
            return 0; // only when called with nothing waiting
    }
    return m_block.at(m_next++);
}

// Whether the device has characters for QSerialPort to read. Asking QSerialPort itself with
// a zero wait costs a time-out error, a signal and a translated message each time nothing came.
bool QtSerialControl::deviceReadable() const {
#ifdef Q_OS_UNIX
    pollfd p{int(m_port.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
#else
    return true;
#endif
}

bool QtSerialControl::waitForInput(int msecs) {
    if (InBufferCount() > 0)
        return true;
    if (!PortOpen())
        return false;
    m_waiting = true;
    QElapsedTimer waited;
    waited.start();
    constexpr int kCharMicros = 10'000'000 / protocol::kBaudRate;
    // At the line rate (the last read brought no more than a gathering's worth) the wanted
    // characters are still on the wire: sleep for as long as they take, at most kGatherMs,
    // then take them with one wake-up instead of one each. A faster peer is not kept waiting.
    const bool lineRate = m_lastRead <= 2 * kGatherMs * 1000 / kCharMicros;
    if (lineRate && !deviceReadable())
        QThread::usleep(std::min({kGatherMs * 1000, wantedInput() * kCharMicros, msecs * 1000}));
    if (deviceReadable()) {
        m_port.waitForReadyRead(0);
    } else {
        const int left = msecs - int(waited.elapsed());
        if (left > 0 && PortOpen())
            m_port.waitForReadyRead(left);
    }
    m_waiting = false;
    const bool ready = InBufferCount() > 0;
    // Outside a drain nobody else would pick up what arrived during the wait.
    if (ready && !draining())
        scheduleDrain();
    return ready;
}

void QtSerialControl::onReadyRead() {
    if (!m_waiting)
        drain();
}

void QtSerialControl::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_lost)
        return;
    if (!lineGone(m_port)) {
        m_port.clearError();
        // With a leftover EAGAIN the empty read comes as a resource error, after which Qt has
        // stopped reading; a read on the empty buffer starts it again and takes nothing.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_port.isOpen())
                    return;
                if (m_port.bytesAvailable() > 0) {
                    scheduleDrain();
                } else {
                    char none;
                    m_port.read(&none, 1);
                }
            },
            Qt::QueuedConnection);
        return;
    }
    // This may be raised from inside QSerialPort (even within a wait in a handler), so the
    // close and the report happen from the event loop.
    m_lost = true;
    // A hang-up shows as an empty read, for which Qt's error text is a leftover of some
    // earlier call; only a real failure's text says anything.
    const QString reason = error == QSerialPort::ReadError
                               ? QStringLiteral("enheden er væk eller lukket")
                               : m_port.errorString();
    const QString why = QStringLiteral("Forbindelsen til port %1 (%2) er afbrudt: %3")
                            .arg(m_commPort)
                            .arg(m_device, reason);
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (!m_lost)
                return; // closed or reopened by the user meanwhile
            m_port.close();
            discardInput();
            m_lost = false;
            emit PortLost(why);
        },
        Qt::QueuedConnection);
}
