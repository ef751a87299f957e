#include "serial/qtserialcontrol.h"

#include "state/protocol.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {
// Whether the device behind the open port has hung up or failed. Qt also reports a failed
// write or a read that found nothing as an error on a perfectly live line, so an error alone
// does not mean the line is gone.
bool lineGone(const QSerialPort& port) {
#ifdef Q_OS_UNIX
    pollfd p{int(port.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    Q_UNUSED(port);
    return true;
#endif
}

constexpr int kCharMicros = 10'000'000 / protocol::kBaudRate;
// The longest nap a wait takes while the characters it wants are still on the wire.
constexpr int kLongestNapMs = 100;
// How much later than their time on the wire characters may be handed over: adapters and
// pseudo terminals pass them on in batches every few milliseconds. A gathering for the
// characters the reader awaits lasts this much longer, so that it finds them all.
constexpr int kHandOverMs = 4;
// A read came at the line rate when it brought no more than the line carries in the time since
// the last one (counted up to a nap's length) and a gathering's worth (twice, for slack) more.
constexpr qsizetype kLineRateSlack = 2 * SerialControl::kGatherMs * 1000 / kCharMicros;
bool atLineRate(qsizetype got, qint64 sinceLastUs) {
    return got <=
           std::min<qint64>(sinceLastUs, kLongestNapMs * 1000) / kCharMicros + kLineRateSlack;
}
} // namespace

QtSerialControl::QtSerialControl(DeviceResolver resolver, QObject* parent)
    : SerialControl(parent), m_resolver(std::move(resolver)), m_port(this),
      m_block(std::size_t(kReadBlock)), m_arrival(std::size_t(kReadBlock)) {
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialControl::onError);
    m_port.setReadBufferSize(kReadBlock);
    m_gather.setSingleShot(true);
    m_gather.setTimerType(Qt::PreciseTimer);
    connect(&m_gather, &QTimer::timeout, this, [this] { onReadable(false); });
}

QtSerialControl::~QtSerialControl() = default;

void QtSerialControl::discardInput() {
    m_next = 0;
    m_end = 0;
    m_lineRate = false;
    m_expected = 0;
    m_lastFillBrought = false;
}

void QtSerialControl::setCommPort(int port) {
    if (port < protocol::kFirstPort || port > protocol::kLastPort)
        throw PlatformError(
            QCoreApplication::translate("QtSerialControl", "Ugyldigt portnummer %1").arg(port));
    m_commPort = port;
}

void QtSerialControl::setPortOpen(bool open) {
    if (!open) {
        takeArrived();
        m_gather.stop();
        m_readable.reset();
        stopReader();
        m_port.close();
        discardInput(); // like the classic control, closing empties the input buffer
        m_lost = false;
        return;
    }
    if (m_port.isOpen())
        return;
    const QString device = m_resolver ? m_resolver(m_commPort) : QString();
    if (device.isEmpty())
        throw PlatformError(
            QCoreApplication::translate("QtSerialControl", "Port %1: ingen enhed fundet")
                .arg(m_commPort));
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
    muteQtReader();
#ifdef Q_OS_UNIX
    if (!m_reader.start(int(m_port.handle()))) {
        const QString why = qt_error_string(errno);
        m_port.close();
        throw PlatformError(openFailure(m_commPort, device, QSerialPort::UnknownError, why));
    }
#endif
    m_readable = std::make_unique<QSocketNotifier>(readFd(), QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, [this] { onReadable(true); });
}

// QSerialPort reads the device from a notifier of its own as soon as anything arrives; the
// control reads it instead, so that one is kept off. It is QSerialPort's only child that
// watches the device for reading.
void QtSerialControl::muteQtReader() {
    const auto notifiers = m_port.findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier* n : notifiers) {
        if (n->type() == QSocketNotifier::Read)
            n->setEnabled(false);
    }
}

QString QtSerialControl::openFailure(int port, const QString& device,
                                     QSerialPort::SerialPortError error, const QString& why) {
    QString text = QCoreApplication::translate("QtSerialControl", "Port %1 (%2): %3")
                       .arg(port)
                       .arg(device, why);
#ifdef Q_OS_LINUX
    // Serial devices belong to the group dialout, which a new user is not in. Qt reports a
    // device in use the same way, but with the system's own words for that.
    if (error == QSerialPort::PermissionError && why == qt_error_string(EACCES))
        text += QCoreApplication::translate(
            "QtSerialControl",
            ". Husk at tilføje dig selv til gruppen dialout (sudo usermod -aG dialout $USER) og "
            "at logge ind igen.");
#else
    Q_UNUSED(error);
#endif
    return text;
}

void QtSerialControl::Output(const QByteArray& bytes) {
    if (!PortOpen())
        throw PlatformError(QCoreApplication::translate("QtSerialControl", "Porten er ikke åben"));
    if (m_port.write(bytes) != bytes.size())
        throw PlatformError(m_port.errorString());
    tapSent(bytes);
}

// Reads what the device holds into the room after the characters not yet taken. `woken`: a
// poll said the device has something, so a read that brings nothing means it hung up.
QtSerialControl::Read QtSerialControl::fill(bool woken) {
    if (!PortOpen())
        return Read::None;
    if (m_next > 0) {
        // What is not yet taken (the start of a burst being gathered) moves to the front, so
        // the room after it never runs out however long bursts are gathered in pieces.
        m_takenArrival = m_arrival[std::size_t(m_next - 1)];
        std::memmove(m_block.data(), m_block.data() + m_next, std::size_t(m_end - m_next));
        std::memmove(m_arrival.data(), m_arrival.data() + m_next,
                     std::size_t(m_end - m_next) * sizeof(qint64));
        m_end -= m_next;
        m_next = 0;
    }
    const qsizetype room = kReadBlock - m_end;
    if (room == 0)
        return Read::Some;
    qint64 got = 0;
    if (m_port.bytesAvailable() > 0) {
        // Should Qt ever have read for itself, what it holds came before the rest.
        got = m_port.read(m_block.data() + m_end, room);
        muteQtReader(); // its read switches its own reader on again
        std::fill_n(m_arrival.begin() + m_end, std::max<qint64>(got, 0), clockMs());
    } else {
#ifdef Q_OS_UNIX
        // The reader's pipe: the device's bytes, each stamped when the reader read it.
        do {
            got = ::read(readFd(), m_block.data() + m_end, std::size_t(room));
        } while (got < 0 && errno == EINTR);
        m_lastFillBrought = got > 0;
        // An empty line reads as nothing (or EAGAIN). A hung-up or failed one ends the
        // reader, which the poll that woke us tells apart.
        int error = 0;
        if (got <= 0) {
            if (!woken || !m_reader.ended(&error))
                return Read::None;
            lose(error == 0
                     ? QCoreApplication::translate("QtSerialControl", "enheden er væk eller lukket")
                     : qt_error_string(error));
            return Read::Failed;
        }
        m_reader.stamp(m_arrival.data() + m_end, got);
#else
        got = m_port.read(m_block.data() + m_end, room);
        std::fill_n(m_arrival.begin() + m_end, std::max<qint64>(got, 0), clockMs());
#endif
    }
    m_lastFillBrought = got > 0;
    if (got <= 0)
        return Read::None;
    m_end += got;
    m_lineRate = atLineRate(got, m_sinceRead.isValid() ? m_sinceRead.nsecsElapsed() / 1000 : 0);
    m_sinceRead.start();
    return Read::Some;
}

bool QtSerialControl::waitForInput(int msecs) {
    if (InBufferCount() > 0)
        return true;
    if (!PortOpen())
        return false;
    if (m_closing)
        return fillArrived();
    QElapsedTimer waited;
    waited.start();
    // A read that finds nothing costs no more than asking whether there is something.
    fill();
    // At the line rate the wanted characters are still on the wire: sleep for as long as they
    // take (a burst's rest, at most kLongestNapMs), then take them with one wake-up instead of
    // one each. A faster peer is not kept waiting.
    if (InBufferCount() == 0 && PortOpen() && m_lineRate) {
        QThread::usleep(
            std::min({kLongestNapMs * 1000, wantedInput() * kCharMicros, msecs * 1000}));
        fill();
    }
#ifdef Q_OS_UNIX
    if (InBufferCount() == 0 && PortOpen()) {
        const int left = msecs - int(waited.elapsed());
        if (left > 0) {
            pollfd p{readFd(), POLLIN, 0};
            fill(::poll(&p, 1, left) > 0);
        }
    }
#endif
    const bool ready = InBufferCount() > 0;
    // Outside a drain nobody else would pick up what arrived during the wait.
    if (ready && !draining())
        scheduleDrain();
    return ready;
}

void QtSerialControl::onReadable(bool woken) {
    if (!PortOpen())
        return;
    const Read read = fill(woken);
    if (read == Read::Failed)
        return;
    if (InBufferCount() > 0)
        drain();
    else
        afterDrain(); // nothing came: wait for the next character
}

// After the handlers took what they could: a block not yet taken waits for its queued drain;
// a read at the line rate is followed by a gathering; otherwise the next arrival wakes us.
void QtSerialControl::afterDrain() {
    if (!m_readable || !PortOpen() || m_closing)
        return;
    const bool gather = m_lastFillBrought && m_lineRate;
    if (InBufferCount() > 0 && !(awaiting() && gather)) {
        // The device is read again once the block is taken; a drain that stopped short of it
        // without a continuation is raised again by the next arrival, as before. A reader that
        // awaits more than can be gathered waits for it in a handler after all.
        m_gather.stop();
        m_expected = 0;
        if (awaiting())
            scheduleDrain();
        m_readable->setEnabled(!continuationQueued());
        return;
    }
    m_readable->setEnabled(!gather);
    if (gather) {
        m_gather.start(m_expected > 0
                           ? std::clamp((m_expected * kCharMicros + 999) / 1000 + kHandOverMs, 1,
                                        kLongestNapMs)
                           : kGatherMs);
    } else {
        m_gather.stop();
    }
    m_expected = 0;
}

// Before the port closes, what had arrived when it was asked to is taken as if the line had
// fallen silent after it: shown and recorded, and a burst whose rest is not here is given up as
// a stalled one is. What arrives meanwhile is left, so a flood cannot hold the close up.
void QtSerialControl::takeArrived() {
    if (!m_readable || !PortOpen())
        return;
    m_closing = true;
    m_gather.stop();
    m_toTake = 0;
#ifdef Q_OS_UNIX
    int inPipe = 0;
    if (::ioctl(readFd(), FIONREAD, &inPipe) == 0)
        m_toTake = inPipe;
#endif
    for (int idle = 0; idle < 2 && PortOpen() && (InBufferCount() > 0 || fillArrived());) {
        const quint64 before = charactersTaken();
        drain();
        idle = charactersTaken() == before ? idle + 1 : 0;
    }
    m_closing = false;
}

// Reads what is left of takeArrived()'s share; whether anything waits.
bool QtSerialControl::fillArrived() {
    if (m_toTake > 0) {
        const qsizetype before = InBufferCount();
        if (fill() == Read::Some)
            m_toTake -= std::max<qsizetype>(InBufferCount() - before, 1);
        else
            m_toTake = 0;
    }
    return InBufferCount() > 0;
}

// Only at the line rate, where the characters are still on the wire; a faster peer or a quiet
// line is read as soon as anything arrives.
bool QtSerialControl::gatherFor(int chars) {
    if (!m_readable || !PortOpen() || m_closing || !m_lineRate || !m_lastFillBrought ||
        chars > kReadBlock - InBufferCount())
        return false;
    m_expected = chars;
    return true;
}

void QtSerialControl::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_lost)
        return;
    if (!lineGone(m_port)) {
        m_port.clearError();
        return;
    }
    // A hang-up shows as an empty read, for which Qt's error text is a leftover of some
    // earlier call; only a real failure's text says anything.
    lose(error == QSerialPort::ReadError
             ? QCoreApplication::translate("QtSerialControl", "enheden er væk eller lukket")
             : m_port.errorString());
}

// The line failed underneath. This may be found inside a wait in a handler, so the close and
// the report happen from the event loop.
void QtSerialControl::lose(const QString& reason) {
    if (m_lost)
        return;
    m_lost = true;
    m_gather.stop();
    if (m_readable)
        m_readable->setEnabled(false);
    const QString why = QCoreApplication::translate("QtSerialControl",
                                                    "Forbindelsen til port %1 (%2) er afbrudt: %3")
                            .arg(m_commPort)
                            .arg(m_device, reason);
    QMetaObject::invokeMethod(
        this,
        [this, why] {
            if (!m_lost)
                return; // closed or reopened by the user meanwhile
            m_readable.reset();
            stopReader();
            m_port.close();
            discardInput();
            m_lost = false;
            emit PortLost(why);
        },
        Qt::QueuedConnection);
}

QString QtSerialControl::deviceName() const {
    if (m_port.isOpen())
        return m_device;
    return m_resolver ? m_resolver(m_commPort) : QString();
}

int QtSerialControl::readFd() const {
#ifdef Q_OS_UNIX
    return m_reader.fd();
#else
    return int(m_port.handle());
#endif
}

void QtSerialControl::stopReader() {
#ifdef Q_OS_UNIX
    m_reader.stop();
#endif
}

qint64 QtSerialControl::arrivalOf(qsizetype index) const {
    const qsizetype at = m_next + index;
    if (at < 0)
        return m_takenArrival;
    return at < m_end ? m_arrival[std::size_t(at)] : clockMs();
}
