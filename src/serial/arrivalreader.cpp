#include "serial/arrivalreader.h"

#include "state/clock.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr std::size_t kReadSize = 4096;

bool openPipe(int (&ends)[2]) {
    if (::pipe(ends) != 0)
        return false;
    for (int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

void closeEnd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Whether the device has hung up or failed; an empty read alone does not say so.
bool gone(int device) {
    pollfd p{device, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}
} // namespace

ArrivalReader::~ArrivalReader() {
    stop();
}

bool ArrivalReader::start(int device) {
    stop();
    if (!openPipe(m_out))
        return false;
    if (!openPipe(m_wake)) {
        const int error = errno;
        stop();
        errno = error;
        return false;
    }
    m_reads.clear();
    m_stamped = 0;
    m_ended = false;
    m_error = 0;
    try {
        m_thread = std::thread([this, device] { run(device); });
    } catch (const std::system_error& e) {
        stop();
        errno = e.code().value();
        return false;
    }
    return true;
}

void ArrivalReader::stop() {
    if (m_thread.joinable()) {
        const char wake = 0;
        while (::write(m_wake[1], &wake, 1) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    for (int* fd : {&m_out[0], &m_out[1], &m_wake[0], &m_wake[1]})
        closeEnd(*fd);
}

void ArrivalReader::stamp(qint64* stamps, qsizetype count) {
    const std::lock_guard lock(m_mutex);
    for (qsizetype i = 0; i < count; ++i) {
        while (!m_reads.empty() && m_reads.front().end <= m_stamped)
            m_reads.pop_front();
        // Every byte in the pipe was stamped before it went in; now is only a fallback.
        stamps[i] = m_reads.empty() ? monotonicMs() : m_reads.front().ms;
        ++m_stamped;
    }
}

bool ArrivalReader::ended(int* error) const {
    const bool ended = m_ended;
    if (ended && error)
        *error = m_error;
    return ended;
}

void ArrivalReader::run(int device) {
    char buffer[kReadSize];
    quint64 total = 0;
    pollfd p[2] = {{device, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    for (;;) {
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (p[1].revents != 0)
            return; // stop(): the pipe is closed there
        const ssize_t got = ::read(device, buffer, sizeof buffer);
        const qint64 ms = monotonicMs();
        if (got > 0) {
            total += quint64(got);
            {
                const std::lock_guard lock(m_mutex);
                m_reads.push_back({total, ms});
            }
            if (!pass(buffer, got))
                return;
            continue;
        }
        const int error = got < 0 ? errno : 0;
        if (error == EINTR)
            continue;
        if (gone(device)) {
            m_error = error == EAGAIN || error == EWOULDBLOCK ? 0 : error;
            break;
        }
        // Nothing after all, on a live line: give the line a moment rather than spin.
        ::usleep(1000);
    }
    m_ended = true;
    closeEnd(m_out[1]); // the pipe's reader sees its end after the last bytes
}

// Writes the bytes into the pipe, waiting while it is full (the device is not read meanwhile,
// so a fast peer is held back by the line); false when told to stop.
bool ArrivalReader::pass(const char* bytes, qsizetype count) {
    while (count > 0) {
        const ssize_t put = ::write(m_out[1], bytes, std::size_t(count));
        if (put > 0) {
            bytes += put;
            count -= put;
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        pollfd p[2] = {{m_out[1], POLLOUT, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(p, 2, -1) > 0 && p[1].revents != 0)
            return false;
    }
    return true;
}
