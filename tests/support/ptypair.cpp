#include "support/ptypair.h"

#include "state/clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair() {
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // Not inherited by a program the test starts, which would keep the line up after
    // closeMaster().
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    m_path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair() {
    closeMaster();
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyPair::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray PtyPair::read(int atLeast, int msecs) {
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    while (out.size() < atLeast && m_master >= 0) {
        const qint64 left = msecs - timer.elapsed();
        if (left <= 0)
            break;
        pollfd p{m_master, POLLIN, 0};
        if (::poll(&p, 1, int(left)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            break;
    }
    return out;
}

void PtyPair::setNonBlocking(bool on) {
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}

void PtyPair::closeMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

bool PtyPair::denyAccess() {
    return m_slave >= 0 && ::fchmod(m_slave, 0) == 0;
}

namespace {
constexpr unsigned kOverrides = (1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH);

// Raw system calls: capabilities are per thread, and libcap is not needed for two bits.
bool capabilities(__user_cap_data_struct (&data)[2], bool set) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}
} // namespace

FilePermissionsApply::FilePermissionsApply() {
    __user_cap_data_struct data[2] = {};
    if (!capabilities(data, false) || (data[0].effective & kOverrides) == 0)
        return;
    m_effective = data[0].effective;
    data[0].effective &= ~kOverrides;
    m_changed = capabilities(data, true);
}

FilePermissionsApply::~FilePermissionsApply() {
    __user_cap_data_struct data[2] = {};
    if (m_changed && capabilities(data, false)) {
        data[0].effective = m_effective;
        capabilities(data, true);
    }
}

QByteArray readSent(PtyPair& pty, int atLeast, int msecs) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < atLeast && timer.elapsed() < msecs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        got += pty.read(1, 10);
    }
    return got;
}

namespace {
// Writes all of `data` to a non-blocking descriptor, waiting while the line is full; gives up
// when `stop` is raised.
bool writeAll(int fd, QByteArrayView data, const std::atomic<bool>& stop) {
    while (!data.isEmpty()) {
        const ssize_t n = ::write(fd, data.data(), std::size_t(data.size()));
        if (n > 0) {
            data = data.sliced(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (stop)
                return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else {
            return false;
        }
    }
    return true;
}
} // namespace

Feeder::Feeder(PtyPair& pty, QList<QByteArray> chunks, std::chrono::milliseconds pause)
    : m_pty(pty) {
    pty.setNonBlocking(true);
    m_thread = std::thread([this, chunks = std::move(chunks), pause] {
        for (qsizetype i = 0; i < chunks.size() && !m_stop; ++i) {
            if (i > 0 && pause.count() > 0)
                std::this_thread::sleep_for(pause);
            if (!writeAll(m_pty.masterFd(), chunks[i], m_stop))
                m_failed = true;
            m_writtenAtMs.push_back(monotonicMs());
        }
        m_done = true;
    });
}

Feeder::~Feeder() {
    m_stop = true;
    m_thread.join();
    m_pty.setNonBlocking(false);
}

QList<QByteArray> randomPieces(const QByteArray& stream, quint32 seed, int maxSize) {
    QRandomGenerator random(seed);
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype size = qsizetype(1 + random.bounded(maxSize));
        pieces << stream.mid(at, size);
        at += size;
    }
    return pieces;
}
