// The --history report on a big recording: writes a recording of 9600-baud traffic (ten
// modules, a burst every 100 ms, every byte in a millisecond of its own: the format's worst
// case), then times the program's --history and --inputs on it. Prints one figure a line.
//   s88history --program PATH-TO-s88monitor [--mb 100] [--file PATH]
#include "history/recorder.h"
#include "history/recording.h"
#include "sim/pattern.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// Writes `megabytes` of recording; returns the hours of traffic it holds.
double writeRecording(const QString& path, qint64 megabytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    sim::Pattern pattern(7);
    pattern.setModules(10);
    QByteArray out = recording::header(0);
    recording::appendPort(out, 0, 1, true);
    double lineMs = 0;  // when the line is free again
    qint64 lastMs = 0;  // of the previous record
    qint64 burstMs = 0; // the next burst's start
    while (file.size() + out.size() < megabytes * 1000 * 1000) {
        while (pattern.stepCount() < quint64(burstMs / 250))
            pattern.step();
        for (char c : pattern.burst()) {
            lineMs = std::max(lineMs, double(burstMs)) + 1000.0 / 960; // a byte at 9600 baud
            recording::appendReceived(out, qint64(lineMs) - lastMs, QByteArrayView(&c, 1));
            lastMs = qint64(lineMs);
        }
        burstMs = qint64(lineMs) + 100;
        if (out.size() > (1 << 20)) {
            file.write(out);
            out.clear();
        }
    }
    recording::appendEnd(out, 0);
    file.write(out);
    return double(lastMs) / 3.6e6;
}

double timeReport(const QString& program, const QString& option, const QString& path,
                  qint64* lines) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, {option, path});
    qint64 count = 0;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
        p.waitForReadyRead(1000);
        count += p.readAll().count('\n');
    }
    p.waitForFinished();
    if (lines)
        *lines = count;
    return p.exitCode() == 0 ? double(t.nsecsElapsed()) / 1e9 : -1;
}

// A line whose clock moves one millisecond per byte: every byte a record of its own.
class SteppedLine final : public SerialControl {
public:
    qint64 now = 0;
    int CommPort() const override { return 1; }
    void setCommPort(int) override {}
    bool PortOpen() const override { return true; }
    void setPortOpen(bool) override {}
    void Output(const QByteArray&) override {}
    int InBufferCount() const override { return 0; }
    qint64 clockMs() const override { return now; }

protected:
    char takeOne() override { return 0; }
    bool waitForInput(int) override { return false; }
};

// The recorder's processor time per received byte, file writes included.
double recorderNsPerByte(const QString& path) {
    SteppedLine line;
    Recorder recorder(line);
    if (!recorder.start(path))
        return -1;
    constexpr int kBytes = 20'000'000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kBytes; ++i) {
        ++line.now;
        recorder.received(char(i));
    }
    recorder.stop();
    return double(t.nsecsElapsed()) / kBytes;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto value = [&](const QString& name, const QString& fallback) {
        const qsizetype i = args.indexOf(name);
        return i > 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const QString program = value(QStringLiteral("--program"), QString());
    const qint64 mb = value(QStringLiteral("--mb"), QStringLiteral("100")).toLongLong();
    QTemporaryDir dir;
    const QString path = value(QStringLiteral("--file"), dir.filePath(QStringLiteral("big.s88")));
    std::printf("recorder: %.1f ns per received byte, each byte a record of its own\n",
                recorderNsPerByte(dir.filePath(QStringLiteral("recorder.s88"))));
    const double hours = writeRecording(path, mb);
    const double size = double(QFile(path).size()) / 1e6;
    std::printf("recording: %.1f MB for %.1f hours of 9600-baud bursts: %.2f MB per hour\n", size,
                hours, size / hours);
    if (program.isEmpty())
        return 0;
    qint64 lines = 0;
    const double history = timeReport(program, QStringLiteral("--history"), path, &lines);
    std::printf("--history: %.2f s, %.0f MB/s, %lld lines\n", history, size / history, lines);
    const double inputs = timeReport(program, QStringLiteral("--inputs"), path, nullptr);
    std::printf("--inputs: %.2f s, %.0f MB/s\n", inputs, size / inputs);
    return 0;
}
