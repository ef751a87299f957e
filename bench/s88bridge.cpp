// The MQTT bridge's figures, through a real Mosquitto broker on loopback and a real pty:
//   latency  from a burst's last byte on the pty to a subscriber's receipt of its event,
//            500 bursts after quiet spells (p50, p99, max), with TCP no-delay on and off on
//            the bridge's socket and on the broker's (set_tcp_nodelay);
//   flood    all 160 inputs flipping every burst at the line rate: messages a second, the
//            backlog (changes not yet at the subscriber) at the start and the end, and this
//            process's processor share with and without the bridge;
//   headless the built program with --headless on a pty fed at 9600 baud with the shared window
//            bench's stream, with and without --mqtt: processor share, wake-ups and resident
//            memory.
// Figures are printed one a line; nothing is judged.
//   s88bridge [--seconds N] [--program PATH] [--headless-only] [--mqtt-only]
#include "bridge/bridge.h"
#include "history/station.h"
#include "serial/qtserialcontrol.h"
#include "support/broker.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Program {
    PtyPair pty;
    QtSerialControl serial{[this](int) { return pty.devicePath(); }};
    Station station{serial};
    ChangeHistory& history = station.history();
    std::unique_ptr<Bridge> bridge;

    Program() {
        station.listen([](const QString&) {});
        serial.setPortOpen(true);
    }
};

QByteArray allModules(bool on) {
    QList<Report> reports;
    for (int m = 1; m <= 10; ++m)
        reports.append({m, on ? quint16(0xffff) : quint16(0)});
    return burstOf(reports);
}

// Writes bursts at the line rate (10 bits a byte at 9600 baud) until stopped.
void flood(PtyPair& pty, std::atomic<bool>& stop) {
    bool on = false;
    const auto start = std::chrono::steady_clock::now();
    qint64 bytes = 0;
    while (!stop) {
        on = !on;
        const QByteArray burst = allModules(on);
        pty.write(burst);
        bytes += burst.size();
        std::this_thread::sleep_until(start + std::chrono::microseconds(bytes * 10'000'000 / 9600));
    }
}

// A number from /proc/PID/status ("VmRSS:" in kB, "voluntary_ctxt_switches:"); -1 when unknown.
long statusValue(qint64 pid, const QByteArray& key) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}

// Processor time of a process in seconds: the sum of its threads' run time in nanoseconds from
// /proc/PID/task/*/schedstat, so that a share of a fraction of a percent is not lost in the
// 10 ms ticks of /proc/PID/stat, which it falls back to; -1 when unknown. Threads that ended
// between two readings are not counted: the program's threads live as long as it does.
double processCpuSeconds(qint64 pid) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    qint64 ns = 0;
    bool any = false;
    for (const QString& tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + '/' + tid + QStringLiteral("/schedstat"));
        if (!schedstat.open(QIODevice::ReadOnly))
            continue;
        bool ok = false;
        ns += schedstat.readAll().split(' ').first().toLongLong(&ok);
        any = any || ok;
    }
    if (any)
        return double(ns) / 1e9;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return double(f[11].toLongLong() + f[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// The normal stream, as the shared window bench sends it: bursts of ten modules, a train of
// three inputs moving one input a burst (two changes each), two stray bytes (never an i)
// between bursts, 36 bytes a burst; written every 5 ms as far as the line rate has come.
QByteArray normalBytes(qsizetype size) {
    QByteArray out;
    quint32 seed = 88;
    for (int k = 0; out.size() < size; ++k) {
        QList<Report> reports;
        for (int m = 0; m < 10; ++m) {
            quint16 word = 0;
            for (int j = 0; j < 3; ++j) {
                const int lit = (k + j) % 160;
                if (lit / 16 == m)
                    word |= quint16(1 << (lit % 16));
            }
            reports.append({m + 1, word});
        }
        out += burstOf(reports);
        for (int i = 0; i < 2; ++i) {
            seed = seed * 1103515245 + 12345;
            const int stray = int((seed >> 16) % 255);
            out += char(stray >= 105 ? stray + 1 : stray); // 0..255 without 105
        }
    }
    return out;
}

void normalStream(PtyPair& pty, std::atomic<bool>& stop) {
    const QByteArray stream = normalBytes(960 * 3600);
    const auto start = std::chrono::steady_clock::now();
    qsizetype sent = 0;
    while (!stop && sent < stream.size()) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        const qsizetype due = std::min<qsizetype>(stream.size(), elapsed.count() * 960 / 1'000'000);
        // Written only while the line takes it: a program that ended no longer reads, and a
        // write into a full line would never return.
        pollfd out{pty.masterFd(), POLLOUT, 0};
        if (due > sent && ::poll(&out, 1, 0) == 1 && pty.write(stream.mid(sent, due - sent)))
            sent = due;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"seconds", "Length of the flood and the headless run.", "N", "60"});
    parser.addOption({"program", "The built s88monitor, for the headless figures.", "PATH"});
    parser.addOption({"headless-only", "Only the headless figures."});
    parser.addOption({"mqtt-only", "Of the headless figures, only those with --mqtt."});
    parser.process(app);
    const int seconds = parser.value("seconds").toInt();
    if (!Broker::available()) {
        std::fprintf(stderr, "s88bridge: mosquitto is not installed\n");
        return 1;
    }
    Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "s88bridge: the broker did not start\n%s\n", qPrintable(broker.log()));
        return 1;
    }
    Bridge::Options options;
    options.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/b").arg(broker.port()));

    const bool all = !parser.isSet("headless-only");
    // Latency, with and without no-delay on the bridge's socket and on the broker's
    // ("set_tcp_nodelay true"): the event is the second message of a change, behind its state.
    for (const auto& [clientNoDelay, brokerNoDelay] :
         {std::pair{true, true}, {false, true}, {true, false}, {false, false}}) {
        if (!all)
            break;
        Broker own({}, brokerNoDelay);
        if (!own.start())
            return 1;
        Bridge::Options o;
        o.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/b").arg(own.port()));
        o.noDelay = clientNoDelay;
        Program p;
        p.bridge = std::make_unique<Bridge>(p.station, o);
        p.bridge->setLink(Bridge::Link::Started);
        p.bridge->start();
        // A subscriber of the state and the event, as JMRI and a logger together would be.
        Subscriber sub(own.port(), {QStringLiteral("b/track/sensor/1"), QStringLiteral("b/event")});
        sub.connect();
        sub.waitFor([&] { return p.bridge->isConnected(); });
        auto events = [&] { return sub.on(QStringLiteral("b/event")); };
        std::vector<double> ms;
        for (int i = 0; i < 500; ++i) {
            spin(20); // a quiet spell
            const qsizetype before = events().size();
            p.pty.write(burstOf({{1, quint16(i % 2 == 0 ? 1 : 0)}}));
            const qint64 t0 = nowNs();
            QElapsedTimer clock;
            clock.start();
            while (events().size() == before && clock.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
            const QList<Subscriber::Message> got = events();
            if (got.size() > before)
                ms.push_back(double(got[before].receivedNs - t0) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        if (ms.empty())
            return 1;
        std::printf("latency (no-delay: bridge %s, broker %s): %zu bursts, last byte to "
                    "subscriber: p50 %.2f ms, p99 %.2f ms, max %.2f ms (goal p99 <= 5 ms)\n",
                    clientNoDelay ? "on" : "off", brokerNoDelay ? "on" : "off", ms.size(),
                    ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
    }

    for (const bool withBridge : {false, true}) { // Flood.
        if (!all)
            break;
        Program p;
        if (withBridge) {
            p.bridge = std::make_unique<Bridge>(p.station, options);
            p.bridge->setLink(Bridge::Link::Started);
            p.bridge->start();
        }
        Subscriber sub(broker.port(), {QStringLiteral("b/event")});
        sub.connect();
        if (withBridge)
            sub.waitFor([&] { return p.bridge->isConnected(); });
        const qsizetype before = sub.messages().size();
        std::atomic<bool> stop{false};
        const double cpu0 = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        std::thread writer([&] { flood(p.pty, stop); });
        const int span = withBridge ? seconds : std::max(10, seconds / 6);
        QList<qint64> backlog;
        for (int s = 0; s < span; ++s) {
            spin(1000);
            backlog.append(qint64(p.history.total()) - (sub.messages().size() - before));
        }
        stop = true;
        writer.join();
        const double wall = double(clock.elapsed()) / 1000.0; // a busy loop stretches the span
        const double cpu = (cpuSeconds() - cpu0) / (double(clock.elapsed()) / 1000.0) * 100.0;
        if (withBridge) {
            QStringList samples;
            for (qint64 b : backlog)
                samples.append(QString::number(b));
            std::printf("flood backlog each second: %s\n", qPrintable(samples.join(u' ')));
            const qint64 received = sub.messages().size() - before;
            std::printf(
                "flood with the bridge: %.0f s, %llu changes (%.0f a second, %.0f messages a "
                "second with the states), backlog after 1 s %lld, at the end %lld, "
                "largest %lld; this process %.1f %% of a core (subscriber thread "
                "included), %lld events received\n",
                wall, static_cast<unsigned long long>(p.history.total()),
                double(p.history.total()) / wall, 2.0 * double(p.history.total()) / wall,
                backlog.first(), backlog.last(), *std::max_element(backlog.begin(), backlog.end()),
                cpu, received);
        } else {
            std::printf("flood without the bridge: %.0f s, %llu changes; this process %.1f %% of a "
                        "core\n",
                        wall, static_cast<unsigned long long>(p.history.total()), cpu);
        }
    }

    const QString program = parser.value("program");
    // Headless, on a pty fed with the normal stream at the line rate, with and without --mqtt.
    for (const bool withMqtt : {true, false}) {
        if (program.isEmpty() || (!withMqtt && parser.isSet("mqtt-only")))
            break;
        QTemporaryDir config;
        PtyPair pty;
        QProcess p;
        p.setProcessEnvironment(withoutDisplay(config.path()));
        QStringList arguments{"--headless", "--port", QStringLiteral("1=%1").arg(pty.devicePath()),
                              "--counts", "4,3,3"};
        if (withMqtt)
            arguments << "--mqtt" << QStringLiteral("mqtt://127.0.0.1:%1/h").arg(broker.port());
        p.start(program, arguments);
        if (!p.waitForStarted())
            return 1;
        std::atomic<bool> stop{false};
        std::thread writer([&] { normalStream(pty, stop); });
        spin(3000); // settled
        const double cpu0 = processCpuSeconds(p.processId());
        const long wakes0 = statusValue(p.processId(), "voluntary_ctxt_switches:");
        QElapsedTimer clock;
        clock.start();
        spin(seconds * 1000);
        const double wall = double(clock.elapsed()) / 1000.0;
        const double cpu = (processCpuSeconds(p.processId()) - cpu0) / wall * 100.0;
        const double wakes =
            double(statusValue(p.processId(), "voluntary_ctxt_switches:") - wakes0) / wall;
        const long rss = statusValue(p.processId(), "VmRSS:");
        p.terminate();
        p.waitForFinished(10000);
        stop = true;
        writer.join();
        std::printf("headless at 9600 baud (a pty, the normal stream, %s): %.2f %% of a core over "
                    "%d s (goal <= 0.5 %%), %.0f wake-ups a second (%.1f a burst), RSS %.1f MB "
                    "(goal < 20 MB), exit %d\n",
                    withMqtt ? "--mqtt" : "no --mqtt", cpu, seconds, wakes, wakes / (960.0 / 36),
                    double(rss) / 1024.0, p.exitCode());
    }
    return 0;
}
