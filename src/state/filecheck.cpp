#include "state/filecheck.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filecheck {

// The reasons are the gate's (history/pathgate.h), whose paths the user gives.
namespace {

void fail(QString* why, const QString& text) {
    if (why)
        *why = text;
}

QString system(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

QString notRegular(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? QCoreApplication::translate("pathgate", "is a folder")
                               : QCoreApplication::translate("pathgate", "is not a regular file");
}

qint64 nanoseconds(const struct timespec& t) {
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

} // namespace

int openRead(const QByteArray& name, QString* why, bool* absent) {
    struct stat st {};
    if (absent)
        *absent = false;
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0) {
        const bool missing = name.isEmpty() || errno == ENOENT;
        if (absent)
            *absent = missing;
        fail(why,
             missing ? QCoreApplication::translate("pathgate", "no such file") : system(errno));
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        fail(why, notRegular(st));
        return -1;
    }
    // Non-blocking, so that a file swapped for a pipe since the look cannot hold us up.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        fail(why, QCoreApplication::translate("pathgate", "cannot be read: %1").arg(system(errno)));
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        fail(why, notRegular(st));
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool identify(int fd, Identity* identity) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    *identity = {st.st_dev, st.st_ino, qint64(st.st_size), nanoseconds(st.st_mtim),
                 nanoseconds(st.st_ctim)};
    return true;
}

bool writable(const QByteArray& name, QString* why) {
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        fail(why, notRegular(st));
        return false;
    }
    return true;
}

} // namespace filecheck
