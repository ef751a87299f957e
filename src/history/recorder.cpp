#include "history/recorder.h"

#include "history/filename.h"
#include "history/recording.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr qint64 kReserve = 1024 * 1024; // reserved ahead of the writing

QString say(bool danish, const char* english, const QString& dansk) {
    return danish ? dansk : QCoreApplication::translate("Recorder", english);
}

// The system's reason, in the window's words where there are some.
QString reason(int error, bool danish) {
    if (danish) {
        switch (error) {
        case ENOSPC:
            return QCoreApplication::translate("Recorder", "disken er fuld");
        case EDQUOT:
            return QCoreApplication::translate("Recorder", "din diskkvote er brugt op");
        case EFBIG:
            return QCoreApplication::translate("Recorder", "filen er blevet for stor");
        case EACCES:
        case EPERM:
            return QCoreApplication::translate("Recorder", "ingen adgang");
        case EROFS:
            return QCoreApplication::translate("Recorder", "disken er skrivebeskyttet");
        case EIO:
            return QCoreApplication::translate("Recorder", "skrivefejl på disken");
        default:
            break;
        }
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

// Who holds a lock on the file, where the system says (/proc/locks): "name (pid N)".
QString lockHolder(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    const QByteArray file = QString::asprintf("%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                                              (unsigned long long)st.st_ino)
                                .toLatin1();
    for (int lines = 0; lines < 10000 && !locks.atEnd(); ++lines) {
        const QList<QByteArray> f = locks.readLine(512).simplified().split(' ');
        // "1: FLOCK ADVISORY WRITE 1234 08:01:5678 0 EOF"
        if (f.size() < 6 || f[5] != file)
            continue;
        const QByteArray pid = f[4];
        QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
        const QString name = comm.open(QIODevice::ReadOnly)
                                 ? QString::fromLocal8Bit(comm.readLine(64).trimmed())
                                 : QString();
        return name.isEmpty() ? QStringLiteral("pid %1").arg(QString::fromLatin1(pid))
                              : QStringLiteral("%1 (pid %2)").arg(name, QString::fromLatin1(pid));
    }
    return {};
}

} // namespace

Recorder::Recorder(SerialControl& serial, QObject* parent) : QObject(parent), m_serial(serial) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &Recorder::flush);
}

Recorder::~Recorder() {
    stop();
}

bool Recorder::start(const QString& path, QString* error, bool danish) {
    stop();
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(say(danish, QT_TRANSLATE_NOOP("Recorder", "no file name"),
                        QCoreApplication::translate("Recorder", "intet filnavn")));
    const QByteArray name = filename::toNative(path);
    const QString notRegular = say(
        danish, QT_TRANSLATE_NOOP("Recorder", "not a regular file (a pipe, a device or a folder)"),
        QCoreApplication::translate("Recorder", "ikke en almindelig fil"));
    // Looked at before it is opened: opening a pipe or a device could wait or do something.
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(notRegular);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(reason(errno, danish));
    const auto refuse = [&](const QString& why) {
        ::close(fd);
        return fail(why);
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return refuse(notRegular);
    // Another recording into the same file, in this program or another, holds the lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return refuse(reason(errno, danish));
        const QString holder = lockHolder(fd);
        if (holder.isEmpty())
            return refuse(say(
                danish,
                QT_TRANSLATE_NOOP("Recorder", "the file is in use (being recorded or replayed)"),
                QCoreApplication::translate("Recorder", "filen er i brug")));
        return refuse(
            danish
                ? QCoreApplication::translate("Recorder", "filen er i brug af %1").arg(holder)
                : QCoreApplication::translate("Recorder", "the file is in use by %1").arg(holder));
    }
    if (::ftruncate(fd, 0) != 0)
        return refuse(reason(errno, danish));
    m_fd = fd;
    m_path = path;
    m_reserved = 0;
    m_written = 0;
    m_buffer = recording::header(QDateTime::currentMSecsSinceEpoch());
    m_buffer.reserve(kFlushSize + recording::kMaxPayload);
    m_chunk.resize(0); // keeps its room: no allocation per byte
    m_startMs = m_serial.clockMs();
    m_lastMs = 0;
    m_port = 0;
    // The header is on disk at once: a file that is there is a recording.
    int code = 0;
    if (!writeOut(&code)) {
        closeFile();
        return fail(reason(code, danish));
    }
    notePort(m_serial.CommPort(), m_serial.PortOpen());
    m_serial.setTap(this);
    return true;
}

void Recorder::stop() {
    if (!isRecording())
        return;
    m_serial.setTap(nullptr);
    endChunk();
    recording::appendEnd(m_buffer, delta());
    flush();
    closeFile();
}

void Recorder::closeFile() {
    m_flushTimer.stop();
    if (m_fd < 0)
        return;
    // Gives back the room reserved past the end, and any part of a record a failed write
    // left: the file ends with its last whole record.
    if (::ftruncate(m_fd, off_t(m_written)) != 0) {
        // Nothing more to do: the reader stops at a part record by itself.
    }
    ::close(m_fd); // and with it the lock
    m_fd = -1;
}

bool Recorder::writeOut(int* error) {
    const qint64 end = qint64(m_written) + m_buffer.size();
    if (end > m_reserved) {
        // The room first, ahead of the writing where the disk has it, else just for these
        // bytes: a full disk is met here, before any part of a record is written, and not
        // later when the system writes its cache out. The file's length stays, so what is
        // written reads as it is. Where the file system cannot reserve, the writes meet a
        // full disk themselves.
        const auto reserve = [&](qint64 to) {
            return ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, off_t(m_written),
                               off_t(to - qint64(m_written))) == 0;
        };
        if (reserve(end + kReserve)) {
            m_reserved = end + kReserve;
        } else if (errno == ENOSPC && reserve(end)) {
            m_reserved = end;
        } else if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EIO) {
            *error = errno;
            return false;
        }
    }
    qsizetype at = 0;
    while (at < m_buffer.size()) {
        const ssize_t n = ::write(m_fd, m_buffer.constData() + at, size_t(m_buffer.size() - at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return *error = n < 0 ? errno : ENOSPC, false;
        at += n;
    }
    m_written += quint64(at);
    m_buffer.resize(0);
    return true;
}

qint64 Recorder::elapsedMs() const {
    return isRecording() ? m_serial.clockMs() - m_startMs : 0;
}

qint64 Recorder::delta() {
    const qint64 now = std::max(m_serial.clockMs() - m_startMs, m_lastMs);
    const qint64 d = now - m_lastMs;
    m_lastMs = now;
    return d;
}

void Recorder::endChunk() {
    if (m_chunk.isEmpty())
        return;
    recording::appendReceived(m_buffer, m_chunkMs - m_lastMs, m_chunk);
    m_lastMs = m_chunkMs;
    m_chunk.resize(0); // keeps its room: no allocation per byte
    if (m_buffer.size() >= kFlushSize)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void Recorder::received(char c) {
    // Bytes that arrived within one millisecond make one record; reading the arrival per byte
    // costs far less than a byte's time on the line.
    const qint64 now = std::max(m_serial.arrivalMs() - m_startMs, m_lastMs);
    if (!m_chunk.isEmpty() && (now != m_chunkMs || m_chunk.size() == recording::kMaxPayload))
        endChunk();
    if (m_chunk.isEmpty())
        m_chunkMs = now;
    m_chunk.append(c);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void Recorder::sent(const QByteArray& bytes) {
    endChunk();
    recording::appendSent(m_buffer, delta(), bytes);
    flush();
}

void Recorder::notePort(int port, bool open) {
    if (!isRecording() || (port == m_port && open == m_open))
        return;
    m_port = port;
    m_open = open;
    endChunk();
    recording::appendPort(m_buffer, delta(), port, open);
    flush();
}

void Recorder::flush() {
    endChunk();
    if (m_buffer.isEmpty() || !isRecording())
        return;
    int code = 0;
    if (!writeOut(&code)) {
        m_serial.setTap(nullptr);
        closeFile();
        m_buffer.resize(0);
        m_chunk.resize(0); // keeps its room: no allocation per byte
        emit failed(QCoreApplication::translate("Recorder", "Optagelsen til %1 er stoppet: %2")
                        .arg(filename::shown(m_path), reason(code, true)));
    }
}
