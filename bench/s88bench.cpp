// Speed, cost and memory of the monitor, each figure measured in one run and, where it is a
// ratio, against a reference measured in the same run. Prints one table; figures are
// reported, never judged: a missed goal is marked, not failed.
//
//   s88bench [--quick] [--plot FILE.png] [--program PATH-TO-s88monitor]
#include "app/form1.h"
#include "frame/framegate.h"
#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "receive/monitor.h"
#include "serial/qtserialcontrol.h"
#include "sim/virtualmodule.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Row {
    QString figure, value, goal;
    bool met;
};
QList<Row> rows;

void report(const QString& figure, const QString& value, const QString& goal, bool met) {
    rows << Row{figure, value, goal, met};
    std::printf("%-66s %-26s %-16s %s\n", qPrintable(figure), qPrintable(value), qPrintable(goal),
                met ? "met" : "MISSED");
    std::fflush(stdout);
}

// Runs the event loop until `done` holds or `msecs` pass; false on time-out.
bool spinUntil(const std::function<bool()>& done, int msecs) {
    if (done())
        return true;
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > msecs)
            loop.quit();
    });
    check.start();
    loop.exec();
    return done();
}

// Lets the event loop run for `msecs` without doing anything of its own.
void idle(int msecs) {
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long peakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// A realistic stream: bursts of ten modules in which one or two inputs change from one burst
// to the next (trains moving over occupancy sections), a few stray bytes between bursts.
// No data byte is 105, so every burst is read as one.
QByteArray traffic(qsizetype size, quint32 seed) {
    QRandomGenerator random(seed);
    std::array<quint16, 10> inputs{};
    QByteArray out;
    out.reserve(size + 64);
    auto safe = [](int b) { return char(b == 'i' ? 0 : b); };
    while (out.size() < size) {
        for (int k = 1 + int(random.bounded(2)); k > 0; --k)
            inputs[random.bounded(10)] ^= quint16(1u << random.bounded(16));
        out.append('i');
        out.append(char(10));
        for (int m = 1; m <= 10; ++m) {
            out.append(char(m));
            out.append(safe(inputs[std::size_t(m - 1)] >> 8));
            out.append(safe(inputs[std::size_t(m - 1)] & 0xff));
        }
        for (int k = int(random.bounded(3)); k > 0; --k)
            out.append(safe(int(random.bounded(256))));
    }
    return out;
}

// Writes `stream` into the pty from another thread, as fast as the reader takes it.
std::thread writer(PtyPair& pty, const QByteArray& stream) {
    return std::thread([&pty, &stream] {
        for (qsizetype at = 0; at < stream.size(); at += 4096)
            pty.write(stream.mid(at, 4096));
    });
}

void throughput(qsizetype size) {
    const QByteArray stream = traffic(size, 7);

    // Reference: a plain QSerialPort reader taking everything from a pty.
    double rawRate = 0;
    {
        PtyPair pty;
        QSerialPort port(pty.devicePath());
        port.open(QIODevice::ReadOnly);
        qsizetype got = 0;
        QObject::connect(&port, &QSerialPort::readyRead, &port,
                         [&] { got += port.readAll().size(); });
        QElapsedTimer timer;
        timer.start();
        std::thread w = writer(pty, stream);
        spinUntil([&] { return got >= stream.size(); }, 120000);
        rawRate = double(got) / (double(timer.nsecsElapsed()) / 1e9);
        w.join();
    }

    double windowRate = 0;
    {
        PtyPair pty;
        WindowRig window(pty);
        window.start();
        const quint64 start = window.serial.charactersTaken();
        QElapsedTimer timer;
        timer.start();
        std::thread w = writer(pty, stream);
        spinUntil([&] { return window.serial.charactersTaken() - start >= quint64(stream.size()); },
                  300000);
        windowRate =
            double(window.serial.charactersTaken() - start) / (double(timer.nsecsElapsed()) / 1e9);
        w.join();
    }
    const double ratio = windowRate / rawRate;
    report(QStringLiteral("1. Throughput: window / plain QSerialPort reader"),
           QStringLiteral("%1 / %2 MB/s = %3")
               .arg(windowRate / 1e6, 0, 'f', 2)
               .arg(rawRate / 1e6, 0, 'f', 2)
               .arg(ratio, 0, 'f', 2),
           QStringLiteral(">= 0.5"), ratio >= 0.5);
}

// With gapMs 0 the bursts follow back to back and the line is never idle (960 bytes a
// second, each byte its own wake-up on a pseudo terminal).
void cpuAtLineRate(int seconds, int gapMs) {
    VirtualModule module(VirtualModule::Options{3, 9600, gapMs});
    QString why;
    if (!module.start(&why)) {
        report(QStringLiteral("2. Processor share at 9600 baud"), QStringLiteral("n/a: ") + why,
               QStringLiteral("<= 1 %"), false);
        return;
    }
    WindowRig window([&](int) { return module.devicePath(); });
    QtSerialControl& serial = window.serial;
    window.c().Text1->setText(QStringLiteral("4"));
    window.c().Text2->setText(QStringLiteral("3"));
    window.c().Text3->setText(QStringLiteral("3"));
    window.start();
    window.c().Command1->click();
    idle(1000); // let the first bursts arrive
    const quint64 before = serial.charactersTaken();
    const double cpu0 = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    idle(seconds * 1000);
    const double share = (threadCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9);
    const quint64 bytes = serial.charactersTaken() - before;
    report(QStringLiteral("2. Processor share at 9600 baud, 10 modules, %1 ms gaps, %2 s")
               .arg(gapMs)
               .arg(seconds),
           QStringLiteral("%1 % (%2 bytes/s)")
               .arg(share * 100, 0, 'f', 2)
               .arg(double(bytes) / seconds, 0, 'f', 0),
           QStringLiteral("<= 1 %"), share <= 0.01);
}

// Latency from a burst's last byte leaving the writer to the lamp painted in its new state.
// With quietMs > FrameGate::kQuietMs each burst comes after a quiet spell; with 0 the bursts
// follow each other as soon as the lamp is painted, and the window paints fewer frames.
QList<double> latency(int bursts, int quietMs) {
    PtyPair pty;
    WindowRig window(pty);
    window.start();
    Lamp* lamp = window.c().Lampe[0];
    std::atomic<qint64> lastByteNs{0};
    QList<double> samples;
    qint64 waitingSince = -1;
    struct PaintWatch : QObject {
        std::function<void()> painted;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                painted();
            return false;
        }
    } watch;
    bool expected = false;
    watch.painted = [&] {
        if (waitingSince >= 0 && lamp->isElementVisible(1) == expected) {
            const qint64 now = Clock::now().time_since_epoch().count();
            samples << double(now - lastByteNs.load()) / 1e6;
            waitingSince = -1;
        }
    };
    lamp->installEventFilter(&watch);

    for (int b = 0; b < bursts; ++b) {
        expected = (b % 2) == 0;
        QList<Report> reports;
        for (int m = 1; m <= 10; ++m)
            reports << Report{m, quint16(m == 1 && expected ? 1 : 0)};
        const QByteArray burst = burstOf(reports);
        // 9600 baud: one byte every 1.04 ms.
        std::thread w([&] {
            auto next = Clock::now();
            for (const char c : burst) {
                std::this_thread::sleep_until(next);
                pty.write(QByteArray(1, c));
                next += std::chrono::microseconds(1042);
            }
            lastByteNs = Clock::now().time_since_epoch().count();
        });
        waitingSince = 0;
        spinUntil([&] { return waitingSince < 0; }, 5000);
        w.join();
        if (quietMs > 0)
            idle(quietMs);
    }
    return samples;
}

double percentile(QList<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[qsizetype(p * double(v.size() - 1))];
}

void memory(qsizetype total) {
    PtyPair pty;
    WindowRig window(pty);
    window.start();
    // Both streams exist before the first reading, so only the program's growth is measured.
    const QByteArray first = traffic(1'000'000, 11);
    const QByteArray chunk = traffic(10'000'000, 12);
    const quint64 start = window.serial.charactersTaken();
    std::thread w1 = writer(pty, first);
    spinUntil([&] { return window.serial.charactersTaken() - start >= quint64(first.size()); },
              120000);
    w1.join();
    window.form.monitorView().flush();
    const long after1 = peakRssKb();

    for (qsizetype sent = first.size(); sent < total; sent += chunk.size()) {
        const quint64 at = window.serial.charactersTaken();
        std::thread w = writer(pty, chunk);
        spinUntil([&] { return window.serial.charactersTaken() - at >= quint64(chunk.size()); },
                  300000);
        w.join();
    }
    window.form.monitorView().flush();
    const long afterAll = peakRssKb();
    const double growth = double(afterAll - after1) / double(after1);
    report(QStringLiteral("4. Peak memory after 1 MB / %1 MB of traffic").arg(total / 1'000'000),
           QStringLiteral("%1 / %2 MB (%3%4 %)")
               .arg(double(after1) / 1024, 0, 'f', 1)
               .arg(double(afterAll) / 1024, 0, 'f', 1)
               .arg(growth >= 0 ? "+" : "")
               .arg(growth * 100, 0, 'f', 1),
           QStringLiteral("< 80 MB, +-10 %"), afterAll < 80 * 1024 && std::abs(growth) <= 0.10);
}

void startup(const QString& program, int runs) {
    if (program.isEmpty() || !QFile::exists(program)) {
        report(QStringLiteral("5. Start-up to window shown"), QStringLiteral("n/a: no program"),
               QStringLiteral("< 300 ms"), false);
        return;
    }
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("."));
    QFile conf(config.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
    conf.open(QIODevice::WriteOnly);
    conf.write("[S88Left]\nAntal=1\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    conf.close();
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        p.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        p.start(program, {QStringLiteral("--exit-when-shown")});
        p.waitForFinished(30000);
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    const double median = percentile(times, 0.5);
    report(QStringLiteral("5. Start-up to window shown, median of %1").arg(runs),
           QStringLiteral("%1 ms").arg(median, 0, 'f', 0), QStringLiteral("< 300 ms"),
           median < 300);
}

// Cost of one monitor append (with its share of the frame flushes), early and late.
void monitorCost(qsizetype total) {
    Monitor monitor;
    MonitorView monitorView(monitor);
    monitorView.resize(313, 121);
    QRandomGenerator random(5);
    auto batch = [&](int entries) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < entries; ++i) {
            monitor.append(quint8(random.bounded(256)),
                           (i % 3) ? Monitor::Separator::Burst : Monitor::Separator::Echo);
            if (i % 16384 == 16383)
                monitorView.flush(); // about one frame's worth of bytes at full speed
        }
        monitorView.flush();
        return double(timer.nsecsElapsed()) / entries;
    };
    constexpr int kEntries = 200'000; // about 1 MB of monitor text
    const double early = batch(kEntries);
    qsizetype written = 0;
    while (written < total) {
        batch(kEntries);
        written += 1'000'000;
    }
    const double late = batch(kEntries);
    const double ratio = late / early;
    report(QStringLiteral("6. Monitor append cost after %1 MB / after 1 MB").arg(total / 1'000'000),
           QStringLiteral("%1 / %2 ns = %3")
               .arg(late, 0, 'f', 0)
               .arg(early, 0, 'f', 0)
               .arg(ratio, 0, 'f', 2),
           QStringLiteral("<= 1.2"), ratio <= 1.2);
}

// The window bench's figures (scripts/window-bench.sh), one line each:
// figure|window|minimal reader|goal|met, drawn as a table under the latency plot.
QList<QStringList> windowFigures(const QString& file) {
    QList<QStringList> rows;
    QFile in(file);
    if (!file.isEmpty() && in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : in.readAll().split('\n')) {
            const QStringList cells = QString::fromUtf8(line).split(QLatin1Char('|'));
            if (cells.size() == 5)
                rows << cells;
        }
    }
    return rows;
}

void plot(const QList<double>& samples, const QString& file, const QString& besideFile) {
    const QList<QStringList> beside = windowFigures(besideFile);
    constexpr int W = 640, H = 360, left = 60, bottom = 40, top = 30, right = 20;
    const int tableH = beside.isEmpty() ? 0 : 24 + 18 * int(beside.size() + 1);
    QImage image(W, H + tableH, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double maxMs = std::max(16.0, percentile(samples, 0.99) * 2); // outliers in the last bar
    constexpr int kBins = 64;
    QList<int> bins(kBins, 0);
    for (double s : samples)
        ++bins[std::min(kBins - 1, int(s / maxMs * kBins))];
    const int peak = std::max(1, *std::max_element(bins.begin(), bins.end()));
    const int plotW = W - left - right, plotH = H - top - bottom;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 40));
    for (int b = 0; b < kBins; ++b) {
        const int h = int(double(bins[b]) / peak * plotH);
        p.drawRect(left + b * plotW / kBins, H - bottom - h, plotW / kBins - 1, h);
    }
    p.setPen(QPen(Qt::red, 1, Qt::DashLine));
    const int frameX = left + int(16.0 / maxMs * plotW);
    p.drawLine(frameX, top, frameX, H - bottom);
    p.setPen(Qt::black);
    p.drawLine(left, H - bottom, W - right, H - bottom);
    p.drawLine(left, top, left, H - bottom);
    for (int t = 0; t <= 4; ++t) {
        const double ms = maxMs * t / 4;
        p.drawText(left + t * plotW / 4 - 15, H - bottom + 16, QString::number(ms, 'f', 1));
    }
    p.drawText(W / 2 - 120, H - 8,
               QStringLiteral("ms from a burst's last byte to the lamp painted"));
    p.drawText(frameX + 4, top + 12, QStringLiteral("one frame (16 ms)"));
    p.drawText(
        left, 18,
        QStringLiteral("Latency at 9600 baud, %1 bursts: median %2 ms, 99th percentile %3 ms")
            .arg(samples.size())
            .arg(percentile(samples, 0.5), 0, 'f', 2)
            .arg(percentile(samples, 0.99), 0, 'f', 2));
    if (!beside.isEmpty()) {
        const std::array<int, 5> x{10, 250, 350, 480, 580};
        const std::array<QString, 5> head{
            QStringLiteral("Real window under Xvfb (xcb)"), QStringLiteral("window"),
            QStringLiteral("minimal C reader"), QStringLiteral("goal"), QString()};
        int y = H + 20;
        QFont bold = p.font();
        bold.setBold(true);
        p.setFont(bold);
        for (std::size_t c = 0; c < x.size(); ++c)
            p.drawText(x[c], y, head[c]);
        p.setFont(QFont());
        for (const QStringList& row : beside) {
            y += 18;
            for (std::size_t c = 0; c < x.size(); ++c) {
                p.setPen(c == 4 && row[4] != QLatin1String("met") ? Qt::red : Qt::black);
                p.drawText(x[c], y, row[qsizetype(c)]);
            }
        }
    }
    p.end();
    image.save(file);
}

void latencies(int bursts, const QString& plotFile, const QString& besideFile) {
    const QList<double> samples = latency(bursts, FrameGate::kQuietMs + 20);
    report(QStringLiteral("3. Latency, last byte to lamp painted, %1 bursts after a quiet spell")
               .arg(samples.size()),
           QStringLiteral("median %1 ms, p99 %2 ms")
               .arg(percentile(samples, 0.5), 0, 'f', 2)
               .arg(percentile(samples, 0.99), 0, 'f', 2),
           QStringLiteral("p99 <= 16 ms"), percentile(samples, 0.99) <= 16);
    if (!plotFile.isEmpty())
        plot(samples, plotFile, besideFile);
    const QList<double> streaming = latency(bursts, 0);
    report(QStringLiteral("3b. The same with the bursts back to back (fewer frames)"),
           QStringLiteral("median %1 ms, p99 %2 ms")
               .arg(percentile(streaming, 0.5), 0, 'f', 2)
               .arg(percentile(streaming, 0.99), 0, 'f', 2),
           QStringLiteral("(reported)"), true);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("Smaller volumes."));
    const QCommandLineOption plotFile(QStringLiteral("plot"), QStringLiteral("Latency plot."),
                                      QStringLiteral("file"));
    const QCommandLineOption program(QStringLiteral("program"),
                                     QStringLiteral("The s88monitor to start."),
                                     QStringLiteral("path"));
    const QCommandLineOption besideFile(
        QStringLiteral("beside"),
        QStringLiteral("The window bench's figures, drawn under the plot."),
        QStringLiteral("file"));
    parser.addOptions({quick, plotFile, program, besideFile});
    parser.process(app);
    const bool small = parser.isSet(quick);
    const QString only = qEnvironmentVariable("S88BENCH_ONLY"); // e.g. "1" to profile one figure

    std::printf("%-66s %-26s %-16s %s\n", "figure", "measured", "goal", "");
    if (only == QLatin1String("1")) {
        throughput(small ? 2'000'000 : 20'000'000);
        return 0;
    }
    if (only == QLatin1String("2")) {
        cpuAtLineRate(small ? 5 : 20, 100);
        cpuAtLineRate(small ? 5 : 20, 0);
        return 0;
    }
    if (only == QLatin1String("3")) {
        latencies(small ? 100 : 500, parser.value(plotFile), parser.value(besideFile));
        return 0;
    }
    if (only == QLatin1String("6")) {
        monitorCost(small ? 10'000'000 : 100'000'000);
        return 0;
    }
    throughput(small ? 2'000'000 : 20'000'000);
    cpuAtLineRate(small ? 5 : 20, 100);
    cpuAtLineRate(small ? 5 : 20, 0);
    latencies(small ? 100 : 500, parser.value(plotFile), parser.value(besideFile));
    memory(small ? 10'000'000 : 100'000'000);
    startup(parser.value(program), 10);
    monitorCost(small ? 10'000'000 : 100'000'000);
    return 0;
}
