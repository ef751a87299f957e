#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

void ScriptedSerialControl::deliver(const QByteArray& bytes) {
    m_input.append(bytes);
    drain();
}

void ScriptedSerialControl::lose(const QString& error) {
    m_open = false;
    emit PortLost(error);
}

void ScriptedSerialControl::setPortOpen(bool open) {
    if (open) {
        if (failOpen)
            throw PlatformError(*failOpen);
        ++opens;
        openedPorts << m_port;
    } else {
        if (failClose)
            throw PlatformError(*failClose);
        ++closes;
    }
    m_open = open;
}

void ScriptedSerialControl::Output(const QByteArray& bytes) {
    if (!m_open)
        throw PlatformError(QStringLiteral("port closed"));
    if (failOutput)
        throw PlatformError(*failOutput);
    output.append(bytes);
}

bool ScriptedSerialControl::waitForInput(int msecs) {
    ++m_waits;
    if (!m_arrivals.isEmpty())
        m_input.append(m_arrivals.takeFirst());
    if (InBufferCount() > 0 || !m_scriptedMs)
        return InBufferCount() > 0;
    if (!m_timed.empty() && m_timed.front().first <= *m_scriptedMs + msecs) {
        m_scriptedMs = std::max(*m_scriptedMs, m_timed.front().first);
        m_input.append(m_timed.front().second);
        m_timed.pop_front();
        return true;
    }
    *m_scriptedMs += msecs;
    return false;
}

void ScriptedSerialControl::deliverTimed() {
    while (!m_timed.empty()) {
        auto [ms, bytes] = m_timed.front();
        m_timed.pop_front();
        if (m_scriptedMs)
            m_scriptedMs = std::max(*m_scriptedMs, ms);
        deliver(bytes);
        // Taken whole before the next comes, even where the drain left some to the event loop.
        if (!QTest::qWaitFor([this] { return InBufferCount() == 0; }, 5000))
            return;
    }
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray burstOf(const QList<Report>& reports) {
    QByteArray out = bytes({'i', int(reports.size())});
    for (const Report& r : reports)
        out += bytes({r.module, r.inputs >> 8, r.inputs & 0xff});
    return out;
}

QByteArray onlyInput73() {
    QList<Report> reports;
    for (int m = 1; m <= 8; ++m)
        reports.append({m, quint16(m == 5 ? 0x0100 : 0)});
    return burstOf(reports);
}

QByteArray randomBurst(QRandomGenerator& random, const QList<int>& modules) {
    QList<Report> reports;
    for (const int module : modules)
        reports << Report{module, quint16(random.bounded(65536))};
    if (!reports.isEmpty() && (reports.back().inputs & 0xff) == 105)
        reports.back().inputs ^= 1;
    return burstOf(reports);
}

QList<int> reportedInputs(const QByteArray& burst) {
    QList<int> active;
    for (qsizetype at = 2; at + 2 < burst.size(); at += 3) {
        const int first = (quint8(burst[at]) - 1) * 16 + 1;
        const int inputs = quint8(burst[at + 1]) << 8 | quint8(burst[at + 2]);
        for (int bit = 0; bit < 16; ++bit) {
            if ((inputs >> bit) & 1)
                active << first + bit;
        }
    }
    std::sort(active.begin(), active.end());
    active.erase(std::unique(active.begin(), active.end()), active.end());
    return active;
}

QString shownBurst(const QByteArray& burst) {
    QString text;
    for (qsizetype at = 0; at < burst.size(); ++at)
        text += QString::number(quint8(burst[at])) +
                (at < 2 ? QStringLiteral(" - - ") : QStringLiteral(" + "));
    return text;
}

bool waitWhileProgressing(const std::function<bool()>& done,
                          const std::function<quint64()>& progress, int stallMs) {
    quint64 last = progress();
    QElapsedTimer still;
    still.start();
    while (!done()) {
        if (still.elapsed() > stallMs)
            return false;
        QTest::qWait(20);
        if (const quint64 now = progress(); now != last) {
            last = now;
            still.restart();
        }
    }
    return true;
}

SettingsDirectory::~SettingsDirectory() {
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void SettingsDirectory::use(const QString& path) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
}

CapturedStderr::CapturedStderr() {
    std::fflush(stderr);
    m_file = ::open(QFile::encodeName(m_dir.filePath(QStringLiteral("stderr"))).constData(),
                    O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    m_saved = ::dup(STDERR_FILENO);
    if (m_file >= 0 && m_saved >= 0)
        ::dup2(m_file, STDERR_FILENO);
}

CapturedStderr::~CapturedStderr() {
    std::fflush(stderr);
    if (m_saved >= 0) {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    if (m_file >= 0)
        ::close(m_file);
}

QStringList CapturedStderr::lines() const {
    std::fflush(stderr);
    QFile f(m_dir.filePath(QStringLiteral("stderr")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool makeNotAFile(const QString& path, const QString& kind) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == u"pipe")
        return ::mkfifo(name.constData(), 0600) == 0;
    if (kind == u"device")
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0 ||
               QFile::link(QStringLiteral("/dev/null"), path);
    return kind == u"folder" && QDir().mkpath(path);
}

bool finishesWithin(const std::function<void()>& work, const QString& fifo, int ms) {
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < ms)
        QThread::msleep(10);
    const bool inTime = done;
    // Both ends opened at once let a reader or a writer waiting on either go on: the reader
    // to the end of the file, the writer to a broken pipe, not to the signal.
    const auto before = std::signal(SIGPIPE, SIG_IGN);
    while (!done) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        char drain[4096];
        while (fd >= 0 && ::read(fd, drain, sizeof drain) > 0) {
        }
        if (fd >= 0)
            ::close(fd);
        QThread::msleep(10);
    }
    worker.join();
    std::signal(SIGPIPE, before);
    return inTime;
}

QProcessEnvironment withoutDisplay(const QString& configHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (!configHome.isEmpty())
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return env;
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QString megabyteText() {
    return QStringLiteral("0123456789 æøå ÆØÅ ").repeated(1 << 16).left(1 << 20);
}

QList<int> reportedModules(const QByteArray& burst) {
    QList<int> numbers;
    for (qsizetype at = 2; at < burst.size(); at += 3)
        numbers << quint8(burst[at]);
    return numbers;
}

QList<int> oneTo(int n) {
    QList<int> list;
    for (int i = 1; i <= n; ++i)
        list << i;
    return list;
}
