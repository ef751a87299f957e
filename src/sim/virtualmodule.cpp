#include "sim/virtualmodule.h"

#include "sim/commandparser.h"
#include "sim/pattern.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#elif defined(Q_OS_FREEBSD)
#include <libutil.h>
#else
#include <pty.h>
#endif
#endif

namespace {

// What the module thread reports to the owner's thread, and what the owner asks of it.
struct Counters {
    std::atomic<int> modules{0};
    std::atomic<quint64> commands{0};
    std::atomic<quint64> bursts{0};
    std::atomic<quint64> sent{0};
    std::atomic<int> garbagePercent{0};
    std::atomic<int> allowance{-1}; // bursts still allowed; negative: no limit
    mutable QMutex lastMutex;
    QList<quint16> last; // guarded by lastMutex
};

#ifdef Q_OS_UNIX

constexpr int kPaceMs = 2;       // the pacing tick: fine enough to keep a 9600-baud line busy
constexpr int kProbeMs = 25;     // how often a line nobody holds is checked for a listener
constexpr double kMaxCredit = 3; // bytes a late tick may catch up on at once

// The module's side of the line. Lives on the module thread: created there, driven there by
// its own notifier and timers, and destroyed there.
class Line final : public QObject {
public:
    Line(int master, const VirtualModule::Options& options, Counters& counters)
        : m_fd(master), m_options(options), m_counters(counters),
          m_reader(master, QSocketNotifier::Read), m_pattern(options.seed),
          m_garbage(options.seed ^ 0x5a5a5a5au) {
        m_pattern.setWalk(options.walk);
        m_pace.setTimerType(Qt::PreciseTimer);
        m_pace.setInterval(kPaceMs);
        m_next.setTimerType(Qt::PreciseTimer);
        m_next.setSingleShot(true);
        m_probe.setInterval(kProbeMs);
        connect(&m_reader, &QSocketNotifier::activated, this, &Line::readCommands);
        connect(&m_pace, &QTimer::timeout, this, &Line::pump);
        connect(&m_next, &QTimer::timeout, this, &Line::startBurst);
        connect(&m_probe, &QTimer::timeout, this, [this] {
            if (!hungUp())
                setListening(true);
        });
    }

    void begin() {
        m_clock.start();
        setListening(!hungUp());
        m_next.start(replaying() ? 0 : m_options.idleIntervalMs);
    }

private:
    // With nobody holding the other end open, the master reports a hang-up; writes would
    // still be queued by the kernel and reach whoever opens the port next.
    bool hungUp() const {
        pollfd p{m_fd, 0, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    void setListening(bool listening) {
        m_listening = listening;
        // A hung-up master is always readable, so reading is switched off until someone
        // opens the port again, and a slow probe looks for that instead.
        m_reader.setEnabled(listening);
        if (listening) {
            m_probe.stop();
            if (replaying() && !m_next.isActive())
                m_next.start(0);
        } else {
            if (!m_probe.isActive())
                m_probe.start();
            if (sending() && !replaying())
                endBurst(); // the rest of the burst is lost, as on a closed real port
        }
    }

    void readCommands() {
        char buffer[256];
        while (true) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    if (const std::optional<sim::ChainCounts> c = m_parser.feed(buffer[i]))
                        apply(*c);
                }
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return;
            setListening(false); // EIO: the last holder of the port closed it
            return;
        }
    }

    void apply(const sim::ChainCounts& counts) {
        const int modules = counts.modules();
        catchUp(false); // a walk starts from the step the command arrived in
        m_pattern.setModules(modules);
        m_counters.modules.store(modules);
        m_counters.commands.fetch_add(1);
        // Configured modules report at their own pace rather than after the idle wait.
        if (!sending() && modules > 0 && m_next.remainingTime() > m_options.burstIntervalMs)
            m_next.start(m_options.burstIntervalMs);
    }

    bool sending() const { return m_sent < m_out.size(); }

    bool replaying() const { return bool(m_options.replay); }

    // Sends what is due of the recording, then sleeps until the next piece is due.
    void replayStep() {
        const qint64 now = m_clock.elapsed();
        if (!m_listening || hungUp()) {
            if (m_listening)
                setListening(false); // the probe wakes the replay when the port is opened again
            m_replayPaused = now;
            return;
        }
        if (m_replayPaused >= 0) { // recording time stood still while nobody listened
            m_replayOffset += now - m_replayPaused;
            m_replayPaused = -1;
        }
        const double speed = m_options.replaySpeed;
        while (true) {
            if (m_sent == m_out.size()) {
                m_out.clear();
                m_sent = 0;
                if (!m_options.replay(m_replayAt, m_out) || m_out.isEmpty())
                    return; // the end: the line stays quiet
                if (m_replayStart < 0) {
                    m_replayStart = m_replayAt;
                    m_replayOffset = now;
                }
            }
            if (speed > 0) {
                const qint64 due =
                    m_replayOffset + qint64(double(m_replayAt - m_replayStart) / speed);
                if (due > now) {
                    m_next.start(int(std::min<qint64>(due - now, 1000)));
                    return;
                }
            }
            const ssize_t n =
                ::write(m_fd, m_out.constData() + m_sent, size_t(m_out.size() - m_sent));
            if (n > 0) {
                m_sent += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                m_next.start(1); // the host has not read yet
                return;
            }
            setListening(false);
            return;
        }
    }

    void catchUp(bool oneAtMost) {
        const quint64 step = quint64(m_clock.elapsed() / std::max(1, m_options.stepMs));
        while (m_pattern.stepCount() < step) {
            m_pattern.step();
            if (oneAtMost)
                break;
        }
    }

    void startBurst() {
        if (replaying()) {
            replayStep();
            return;
        }
        if (m_counters.allowance.load() == 0) {
            m_next.start(kProbeMs); // held: look again shortly
            return;
        }
        // A walk shows every step in some burst, even when the module falls behind.
        catchUp(m_options.walk);
        m_counters.bursts.fetch_add(1);
        m_out.clear();
        m_sent = 0;
        if (!m_listening || hungUp()) {
            if (m_listening)
                setListening(false);
            // Unheard, so nothing is sent; waiting at least a probe's time keeps a module
            // with no pause between bursts from spinning.
            endBurst(kProbeMs);
            return;
        }
        if (!takeAllowance()) {
            m_next.start(kProbeMs);
            return;
        }
        appendGarbage(m_pattern.modules() * 3 + 2);
        if (m_options.faults.any()) {
            const qint64 noiseMs = qint64(m_options.faults.noiseSeconds) * 1000;
            const bool noise = noiseMs > 0 && m_clock.elapsed() - m_lastNoise >= noiseMs;
            if (noise)
                m_lastNoise = m_clock.elapsed();
            m_options.faults.appendBurst(m_out, m_pattern, m_counters.bursts.load(),
                                         noise ? &m_garbage : nullptr);
        } else {
            m_pattern.appendBurst(m_out);
        }
        m_reported.clear();
        for (int m = 1; m <= m_pattern.modules(); ++m)
            m_reported.append(m_pattern.moduleInputs(m));
        m_credit = 1; // the first byte goes out at once
        m_lastTick.start();
        pump();
        if (sending())
            m_pace.start();
    }

    // Writes what the line rate allows since the last tick.
    void pump() {
        if (!sending())
            return;
        if (hungUp()) {
            setListening(false);
            return;
        }
        qsizetype allowed = m_out.size() - m_sent;
        if (m_options.baudRate > 0) {
            const double perNs = m_options.baudRate / 10.0 / 1e9;
            m_credit = std::min(m_credit + double(m_lastTick.nsecsElapsed()) * perNs, kMaxCredit);
            m_lastTick.start();
            allowed = std::min(allowed, qsizetype(std::floor(m_credit)));
        }
        while (allowed > 0) {
            const ssize_t n = ::write(m_fd, m_out.constData() + m_sent, size_t(allowed));
            if (n > 0) {
                m_sent += n;
                allowed -= n;
                m_credit -= double(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                break; // the host is not reading; try again on the next tick
            setListening(false);
            return;
        }
        if (!sending()) {
            {
                const QMutexLocker lock(&m_counters.lastMutex);
                m_counters.last = m_reported;
            }
            m_counters.sent.fetch_add(1);
            endBurst();
        }
    }

    bool takeAllowance() {
        int left = m_counters.allowance.load();
        while (left != 0) {
            if (left < 0 || m_counters.allowance.compare_exchange_weak(left, left - 1))
                return true;
        }
        return false;
    }

    void appendGarbage(int burstSize) {
        const int percent = m_counters.garbagePercent.load();
        if (percent <= 0)
            return;
        // On average `percent` per hundred burst bytes, in runs of varying length.
        const int mean = std::max(1, burstSize * percent / 100);
        for (int n = int(m_garbage.bounded(2 * mean + 1)); n > 0; --n) {
            char b = char(m_garbage.bounded(255));
            if (b == 'i')
                b = char(255);
            m_out.append(b);
        }
    }

    void endBurst(int atLeastMs = 0) {
        m_pace.stop();
        m_out.clear();
        m_sent = 0;
        const int pause =
            m_pattern.modules() > 0 ? m_options.burstIntervalMs : m_options.idleIntervalMs;
        m_next.start(std::max(pause, atLeastMs));
    }

    const int m_fd;
    const VirtualModule::Options m_options;
    Counters& m_counters;
    QSocketNotifier m_reader;
    QTimer m_pace;
    QTimer m_next;
    QTimer m_probe;
    QElapsedTimer m_clock;
    QElapsedTimer m_lastTick;
    sim::Pattern m_pattern;
    QRandomGenerator m_garbage;
    sim::CommandParser m_parser;
    QByteArray m_out;
    QList<quint16> m_reported; // what the burst under way reports
    qsizetype m_sent = 0;
    double m_credit = 0;
    qint64 m_lastNoise = 0;
    qint64 m_replayAt = 0;      // recording time of the piece in m_out
    qint64 m_replayStart = -1;  // recording time of the first piece
    qint64 m_replayOffset = 0;  // when (on m_clock) the first piece went out, plus pauses
    qint64 m_replayPaused = -1; // since when nobody listens
    bool m_listening = false;
};

// Runs the line on a thread of its own; the line is built and torn down in run(), so every
// timer and notifier belongs to that thread for its whole life.
class ModuleThread final : public QThread {
public:
    ModuleThread(int master, const VirtualModule::Options& options, Counters& counters)
        : m_master(master), m_options(options), m_counters(counters) {}

protected:
    void run() override {
        Line line(m_master, m_options, m_counters);
        line.begin();
        exec();
    }

private:
    const int m_master;
    const VirtualModule::Options m_options;
    Counters& m_counters;
};

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

#endif

} // namespace

class VirtualModule::Impl {
public:
    explicit Impl(Options options) : m_options(options) {}
    ~Impl() { stop(); }

    bool start(QString* error);
    void stop();

    Options m_options;
    Counters m_counters;
    QString m_path;
#ifdef Q_OS_UNIX
    int m_master = -1;
    std::unique_ptr<ModuleThread> m_thread;
#endif
};

#ifdef Q_OS_UNIX

bool VirtualModule::Impl::start(QString* error) {
    if (m_thread)
        return true;
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return fail(systemError("openpty"));
    // Raw before anyone opens it, so no byte value is ever translated or swallowed.
    termios raw{};
    if (::tcgetattr(slave, &raw) == 0) {
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    // Not held open here: the master can then tell whether anybody has the port open.
    ::close(slave);
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
        const QString why = systemError("fcntl");
        ::close(master);
        return fail(why);
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);

    m_master = master;
    m_path = QString::fromLocal8Bit(name);
    m_counters.modules.store(0);
    m_counters.garbagePercent.store(m_options.garbagePercent);
    m_thread = std::make_unique<ModuleThread>(master, m_options, m_counters);
    m_thread->setObjectName(QStringLiteral("virtual module"));
    m_thread->start();
    return true;
}

void VirtualModule::Impl::stop() {
    if (m_thread) {
        m_thread->quit(); // also honoured when the thread has not reached its loop yet
        m_thread->wait();
        m_thread.reset();
    }
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_path.clear();
}

#else

bool VirtualModule::Impl::start(QString* error) {
    if (error)
        *error = QCoreApplication::translate("VirtualModule",
                                             "pseudo terminals are not available on this platform");
    return false;
}

void VirtualModule::Impl::stop() {}

#endif

VirtualModule::VirtualModule(Options options) : m_impl(std::make_unique<Impl>(options)) {}
VirtualModule::~VirtualModule() = default;

bool VirtualModule::available() {
#ifdef Q_OS_UNIX
    return true;
#else
    return false;
#endif
}

bool VirtualModule::start(QString* error) {
    return m_impl->start(error);
}

void VirtualModule::stop() {
    m_impl->stop();
}

QString VirtualModule::devicePath() const {
    return m_impl->m_path;
}

int VirtualModule::moduleCount() const {
    return m_impl->m_counters.modules.load();
}

quint64 VirtualModule::commandCount() const {
    return m_impl->m_counters.commands.load();
}

quint64 VirtualModule::burstCount() const {
    return m_impl->m_counters.bursts.load();
}

quint64 VirtualModule::burstsSent() const {
    return m_impl->m_counters.sent.load();
}

QList<quint16> VirtualModule::lastSentStates() const {
    const QMutexLocker lock(&m_impl->m_counters.lastMutex);
    return m_impl->m_counters.last;
}

void VirtualModule::setGarbagePercent(int percent) {
    m_impl->m_counters.garbagePercent.store(std::max(0, percent));
}

void VirtualModule::limitBursts(int count) {
    m_impl->m_counters.allowance.store(count < 0 ? -1 : count);
}
