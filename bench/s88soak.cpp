// Long run of the window (offscreen) on the virtual module at full speed, with line noise
// between the bursts and Start/Stop now and then. Samples throughput, memory and how quickly
// the event loop answers; at the end lets one clean burst through and checks that the lamps
// show what the module last reported. Figures are reported, not judged; only the final
// comparison sets the exit code.
//
//   s88soak [--minutes M] [--garbage PERCENT] [--seed N] [--sample SECONDS] [--cycle SECONDS]
#include "app/form1.h"
#include "panel/lamp.h"
#include "receive/monitor.h"
#include "receive/receiver.h"
#include "serial/qtserialcontrol.h"
#include "sim/virtualmodule.h"
#include "support/formsupport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// Resident and peak resident memory of this process, in kB.
struct Memory {
    long rss = -1;
    long peak = -1;
};

Memory memory() {
    Memory m;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            m.rss = line.mid(6).trimmed().split(' ').first().toLong();
        else if (line.startsWith("VmHWM:"))
            m.peak = line.mid(6).trimmed().split(' ').first().toLong();
    }
    return m;
}

double mb(long kb) {
    return double(kb) / 1024.0;
}

void spin(int msecs) {
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool spinUntil(const std::function<bool()>& done, int msecs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > msecs)
            return false;
        spin(10);
    }
    return true;
}

// Runs the event loop until `value` has not changed for `quietMs`; false if it never settles.
bool settle(const std::function<quint64()>& value, int quietMs, int msecs) {
    QElapsedTimer total;
    total.start();
    QElapsedTimer quiet;
    quiet.start();
    quint64 last = value();
    while (total.elapsed() < msecs) {
        spin(20);
        const quint64 now = value();
        if (now != last) {
            last = now;
            quiet.restart();
        } else if (quiet.elapsed() >= quietMs) {
            return true;
        }
    }
    return false;
}

// How late the event loop gets to a timer: a heartbeat that notes how far each beat slipped.
class LoopWatch {
public:
    static constexpr int kBeatMs = 20;

    LoopWatch() {
        m_beat.setTimerType(Qt::PreciseTimer);
        m_beat.setInterval(kBeatMs);
        QObject::connect(&m_beat, &QTimer::timeout, &m_beat, [this] {
            const qint64 late = m_since.elapsed() - kBeatMs;
            m_since.restart();
            m_max = std::max(m_max, late);
            m_windowMax = std::max(m_windowMax, late);
        });
        m_since.start();
        m_beat.start();
    }
    qint64 max() const { return m_max; }
    // The largest slip since the last call.
    qint64 takeWindowMax() { return std::exchange(m_windowMax, 0); }

private:
    QTimer m_beat;
    QElapsedTimer m_since;
    qint64 m_max = 0;
    qint64 m_windowMax = 0;
};

// How long a timer queued now takes to fire.
qint64 queuedTimerDelay() {
    QElapsedTimer timer;
    timer.start();
    qint64 firedAfter = -1;
    QTimer::singleShot(0, [&] { firedAfter = timer.elapsed(); });
    spinUntil([&] { return firedAfter >= 0; }, 60000);
    return firedAfter;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("s88soak"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Soak run of the monitor window on the virtual module at full speed."));
    parser.addHelpOption();
    const QCommandLineOption minutesOption(QStringLiteral("minutes"),
                                           QStringLiteral("Duration (default 30)."),
                                           QStringLiteral("M"), QStringLiteral("30"));
    const QCommandLineOption garbageOption(
        QStringLiteral("garbage"),
        QStringLiteral("Noise bytes per hundred burst bytes (default 10)."),
        QStringLiteral("PERCENT"), QStringLiteral("10"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the module and the clicks."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption sampleOption(QStringLiteral("sample"),
                                          QStringLiteral("Seconds between samples (default 5)."),
                                          QStringLiteral("SECONDS"), QStringLiteral("5"));
    const QCommandLineOption cycleOption(
        QStringLiteral("cycle"),
        QStringLiteral("Mean seconds between Stop/Start cycles (default 30)."),
        QStringLiteral("SECONDS"), QStringLiteral("30"));
    parser.addOptions({minutesOption, garbageOption, seedOption, sampleOption, cycleOption});
    parser.process(app);
    const double minutes = parser.value(minutesOption).toDouble();
    const int garbage = parser.value(garbageOption).toInt();
    const quint32 seed = parser.value(seedOption).toUInt();
    const int sampleMs = std::max(1, parser.value(sampleOption).toInt()) * 1000;
    const int cycleMs = std::max(1, parser.value(cycleOption).toInt()) * 1000;
    const qint64 durationMs = qint64(minutes * 60'000);

    VirtualModule::Options options;
    options.seed = seed;
    options.baudRate = 0;
    options.burstIntervalMs = 0;
    options.garbagePercent = garbage;
    VirtualModule module(options);
    QString why;
    if (!module.start(&why)) {
        std::fprintf(stderr, "the virtual module did not start: %s\n", qPrintable(why));
        return 2;
    }

    WindowRig rig([&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    QtSerialControl& serial = rig.serial;
    Form1& form = rig.form;
    const CapturedMessages& messages = rig.messages;
    // Errors Qt reports on the open line; unless one is followed by a message, the line was
    // fine and reading went on.
    int lineErrors = 0;
    QObject::connect(&serial.port(), &QSerialPort::errorOccurred, &form,
                     [&lineErrors](QSerialPort::SerialPortError e) {
                         if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError)
                             ++lineErrors;
                     });
    const Controls& c = form.controls();
    c.Text1->setText(QStringLiteral("4"));
    c.Text2->setText(QStringLiteral("3"));
    c.Text3->setText(QStringLiteral("3"));
    c.Command3->click();
    c.Command1->click();
    if (!spinUntil([&] { return module.moduleCount() == 10; }, 10000)) {
        std::fprintf(stderr, "the module did not take the counts\n");
        return 2;
    }

    std::printf("soak: %.1f min, full speed, %d %% noise, seed %u\n", minutes, garbage, seed);
    std::printf("%8s %14s %12s %9s %9s %10s %10s\n", "time s", "bytes", "bytes/s", "RSS MB",
                "peak MB", "slip ms", "queued ms");
    std::fflush(stdout);

    LoopWatch watch;
    QRandomGenerator random(seed);
    const auto nextCycleIn = [&] { return qint64(cycleMs / 3 + random.bounded(cycleMs * 4 / 3)); };
    QElapsedTimer run;
    run.start();
    qint64 nextSample = sampleMs;
    qint64 nextCycle = nextCycleIn();
    quint64 lastBytes = serial.charactersTaken();
    qint64 lastSampleAt = 0;
    long rssAtMinute = -1;
    qint64 maxQueued = 0;
    int lateSamples = 0;
    int cycles = 0;
    while (run.elapsed() < durationMs) {
        spin(int(std::clamp<qint64>(std::min(nextSample, nextCycle) - run.elapsed(), 1, 200)));
        const qint64 now = run.elapsed();
        if (now >= nextCycle) {
            c.Command4->click(); // Stop
            spin(int(100 + random.bounded(900)));
            c.Command3->click(); // Start
            ++cycles;
            nextCycle = run.elapsed() + nextCycleIn();
        }
        if (now >= nextSample) {
            const qint64 queued = queuedTimerDelay();
            maxQueued = std::max(maxQueued, queued);
            if (queued > 100)
                ++lateSamples;
            const quint64 bytes = serial.charactersTaken();
            const double rate = double(bytes - lastBytes) * 1000.0 / double(now - lastSampleAt);
            lastBytes = bytes;
            lastSampleAt = now;
            const Memory m = memory();
            if (rssAtMinute < 0 && now >= 60'000)
                rssAtMinute = m.rss;
            std::printf("%8.0f %14llu %12.0f %9.1f %9.1f %10lld %10lld\n", double(now) / 1000,
                        (unsigned long long)bytes, rate, mb(m.rss), mb(m.peak),
                        (long long)watch.takeWindowMax(), (long long)queued);
            std::fflush(stdout);
            nextSample += sampleMs;
        }
    }
    const double seconds = double(run.elapsed()) / 1000.0;
    const quint64 totalBytes = serial.charactersTaken();
    const Memory atEnd = memory();
    if (rssAtMinute < 0)
        rssAtMinute = atEnd.rss;

    // The end: no more noise, the link started, a few clean bursts to settle the receiver,
    // then hold the module and let single bursts through until one finds the receiver idle.
    module.setGarbagePercent(0);
    if (form.state().PortStarted != 1)
        c.Command3->click();
    QStringList problems;
    const quint64 sentBefore = module.burstsSent();
    if (!spinUntil([&] { return module.burstsSent() >= sentBefore + 20; }, 30000))
        problems << QStringLiteral("the module stopped sending");
    module.limitBursts(0);
    const auto taken = [&] { return serial.charactersTaken(); };
    const int quietMs = Receiver::kBurstSilenceMs + 300;
    if (!settle(taken, quietMs, 60000))
        problems << QStringLiteral("the line never fell quiet");
    const auto idle = [&] { return !form.state().Flags[1] && !form.state().Flags[2]; };
    const auto oneBurst = [&] {
        const quint64 sent = module.burstsSent();
        module.limitBursts(1);
        const bool ok = spinUntil([&] { return module.burstsSent() > sent; }, 10000);
        return settle(taken, quietMs, 60000) && ok;
    };
    for (int attempt = 0; attempt < 10 && !idle(); ++attempt)
        oneBurst();
    if (!idle())
        problems << QStringLiteral("the receiver never came back to idle");
    if (!oneBurst())
        problems << QStringLiteral("the clean burst did not arrive");

    const QList<quint16> reported = module.lastSentStates();
    const FormState& s = form.state();
    int wrong = 0;
    int active = 0;
    for (int m = 1; m <= int(reported.size()); ++m) {
        for (int k = 0; k < 16; ++k) {
            const int n = (m - 1) * 16 + k + 1;
            const bool on = (reported[m - 1] >> k) & 1;
            active += on ? 1 : 0;
            if (n <= FormState::kLastInput && s.InputState[std::size_t(n)] != on)
                ++wrong;
            if (n <= FormState::kLampCount &&
                c.Lampe[std::size_t(n - 1)]->isElementVisible(1) != on)
                ++wrong;
        }
    }
    if (reported.size() != 10)
        problems << QStringLiteral("the module reported %1 modules").arg(reported.size());
    if (wrong > 0)
        problems << QStringLiteral("%1 inputs or lamps differ from the last burst").arg(wrong);
    if (!messages.shown.isEmpty())
        problems << QStringLiteral("%1 messages, the first: %2")
                        .arg(messages.shown.size())
                        .arg(messages.shown.first());

    const auto row = [](const char* figure, const QString& value) {
        std::printf("%-30s %s\n", figure, qPrintable(value));
    };
    std::printf("\n");
    row("duration", QStringLiteral("%1 min").arg(seconds / 60, 0, 'f', 1));
    row("bytes processed", QString::number(totalBytes));
    row("bytes/s", QString::number(double(totalBytes) / seconds, 'f', 0));
    row("bursts sent by the module", QString::number(module.burstsSent()));
    row("monitor entries", QString::number(form.monitor().entries()));
    row("Stop/Start cycles", QString::number(cycles));
    row("read/resource errors from Qt", QString::number(lineErrors));
    row("RSS at 1 min", QStringLiteral("%1 MB").arg(mb(rssAtMinute), 0, 'f', 1));
    row("RSS at end (peak)", QStringLiteral("%1 MB (%2 MB)")
                                 .arg(mb(atEnd.rss), 0, 'f', 1)
                                 .arg(mb(atEnd.peak), 0, 'f', 1));
    row("max event-loop delay", QStringLiteral("%1 ms").arg(watch.max()));
    row("max queued-timer delay",
        QStringLiteral("%1 ms (%2 samples over 100 ms)").arg(maxQueued).arg(lateSamples));
    row("final comparison",
        problems.isEmpty()
            ? QStringLiteral("OK (%1 of %2 inputs active)").arg(active).arg(reported.size() * 16)
            : QStringLiteral("FAIL: ") + problems.join(QStringLiteral("; ")));
    std::fflush(stdout);
    module.stop();
    return problems.isEmpty() ? 0 : 1;
}
