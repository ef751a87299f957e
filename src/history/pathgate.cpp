#include "history/pathgate.h"

#include "history/filename.h"
#include "state/filecheck.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace pathgate {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("pathgate", text);
}

bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

QString system(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

int openRead(const QString& path, QString* why) {
    return filecheck::openRead(filename::toNative(path), why);
}

bool readable(const QString& path, QString* why) {
    const int fd = openRead(path, why);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::optional<QByteArray> readWhole(const QString& path, qint64 maxBytes, QString* why) {
    const int fd = openRead(path, why);
    if (fd < 0)
        return std::nullopt;
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(why, tr("cannot be read: %1").arg(system(errno)));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        if (data.size() + n > maxBytes) {
            fail(why, tr("larger than %1 KB").arg(maxBytes / 1024));
            ::close(fd);
            return std::nullopt;
        }
        data.append(buffer, n);
    }
    ::close(fd);
    return data;
}

bool writable(const QString& path, const QStringList& inputs, QString* why) {
    const QByteArray name = filename::toNative(path);
    if (name.isEmpty())
        return fail(why, tr("no file name"));
    if (!filecheck::writable(name, why))
        return false;
    for (const QString& input : inputs) {
        if (!input.isEmpty() && sameFile(path, input))
            return fail(why, tr("is %1, which is being read").arg(input));
    }
    return true;
}

bool writeWhole(const QString& path, const QByteArray& bytes, const QStringList& inputs,
                QString* why) {
    if (!writable(path, inputs, why))
        return false;
    // Written with the system's own calls: a short write (a file-size limit) is an error here,
    // where a buffered writer may let it pass.
    QByteArray temp = filename::toNative(path) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return fail(why, system(errno));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    const int error = done < bytes.size() ? (errno != 0 ? errno : EIO) : 0;
    const bool ok = error == 0 && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
    const int closeError = ::close(fd) == 0 ? 0 : errno;
    if (ok && closeError == 0 && ::rename(temp.constData(), filename::toNative(path)) == 0)
        return true;
    const int cause = error != 0 ? error : closeError != 0 ? closeError : errno;
    ::unlink(temp.constData());
    return fail(why, system(cause));
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(filename::toNative(a).constData(), &sa) == 0 &&
           ::stat(filename::toNative(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace pathgate
