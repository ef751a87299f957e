// The change history, its statistics, recordings and the two reports: statistics rules and
// file faults as tables, and a recording made by the window on a pty, replayed and reported.
#include "app/form1.h"
#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "history/changehistory.h"
#include "history/csv.h"
#include "history/playback.h"
#include "history/portwatch.h"
#include "history/recorder.h"
#include "history/recording.h"
#include "history/replayclock.h"
#include "history/station.h"
#include "sim/faults.h"
#include "sim/virtualmodule.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <csignal>
#include <limits>

namespace {

using Times = QList<qint64>;

// A finished recording in which input 1 changes (from inactive) at each of `times`.
QByteArray toggling(const Times& times) {
    QByteArray r = recording::header(0);
    qint64 last = 0;
    bool on = false;
    for (qint64 t : times) {
        on = !on;
        recording::appendReceived(r, t - last, bytes({'i', 1, 1, 0, on ? 1 : 0}));
        last = t;
    }
    recording::appendEnd(r, 0);
    return r;
}

// The received bytes on disk in a recording so far, in order.
QByteArray receivedOnDisk(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    recording::Reader reader(data);
    recording::Record r;
    QByteArray received;
    while (reader.next(r)) {
        if (r.kind == recording::Record::Kind::Received)
            received += r.bytes.toByteArray();
    }
    return received;
}

struct ProgramRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// The real program, with no display at all.
ProgramRun runProgram(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(QStringLiteral(S88MONITOR), args);
    if (!p.waitForFinished(20000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void stabilityRules_data();
    void stabilityRules();
    void cursorTakesEachKeptEventOnce_data();
    void cursorTakesEachKeptEventOnce();
    void ratesOnTheHistorysClock_data();
    void ratesOnTheHistorysClock();
    void truncatedRecordingReadsToLastWholeRecord();
    void startTimeLimits_data();
    void startTimeLimits();
    void badFiles_data();
    void badFiles();
    void faultsShapeTheBursts_data();
    void faultsShapeTheBursts();
    void inputsReport_data();
    void inputsReport();
    void stopAndStartInsideRecordedBurst_data();
    void stopAndStartInsideRecordedBurst();
    void recordingReachesDiskWhileRunning_data();
    void recordingReachesDiskWhileRunning();
    void windowRecordingReplaysAndReports();
    void clockColumn_data();
    void clockColumn();
    void replayRunsOnRecordingClock_data();
    void replayRunsOnRecordingClock();
    void replayClockTimesEachByte_data();
    void replayClockTimesEachByte();
    void reportOptions_data();
    void reportOptions();
    void sigtermEndsRecordingProperly();
    void namesAndBurstsInReports_data();
    void namesAndBurstsInReports();
    void textCellsGuarded_data();
    void textCellsGuarded();
};

void TestHistory::stabilityRules_data() {
    QTest::addColumn<Times>("times");
    QTest::addColumn<int>("shortestMs");
    QTest::addColumn<qint64>("pulse");
    QTest::addColumn<qint64>("gap");
    QTest::addColumn<int>("reasons");
    const int pulse = InputStats::ShortPulse, gap = InputStats::ShortGap;
    const int frequent = InputStats::Frequent;
    QTest::newRow("first switch-on is no gap") << Times{500} << 50 << -1LL << -1LL << 0;
    QTest::newRow("pulse at the limit") << Times{0, 50} << 50 << 50LL << -1LL << 0;
    QTest::newRow("pulse under the limit") << Times{0, 49} << 50 << 49LL << -1LL << pulse;
    QTest::newRow("gap at the limit") << Times{0, 100, 150, 300} << 50 << 100LL << 50LL << 0;
    QTest::newRow("gap under the limit") << Times{0, 100, 149, 300} << 50 << 100LL << 49LL << gap;
    QTest::newRow("limit set lower") << Times{0, 10, 20} << 10 << 10LL << 10LL << 0;
    QTest::newRow("4 changes in 300 ms") << Times{0, 100, 200, 300} << 50 << 100LL << 100LL << 0;
    QTest::newRow("5 changes in 999 ms")
        << Times{0, 250, 500, 750, 999} << 50 << 250LL << 249LL << frequent;
    QTest::newRow("5 changes in 1000 ms")
        << Times{0, 250, 500, 750, 1000} << 50 << 250LL << 250LL << 0;
    QTest::newRow("5 within a later second")
        << Times{0, 2000, 2300, 2600, 2900, 2999} << 50 << 99LL << 300LL << frequent;
    QTest::newRow("short pulse and frequent")
        << Times{0, 10, 20, 30, 40} << 50 << 10LL << 10LL << (pulse | gap | frequent);
}

void TestHistory::stabilityRules() {
    QFETCH(Times, times);
    QFETCH(int, shortestMs);
    const QByteArray data = toggling(times);
    recording::Reader reader(data);
    PlaybackRun run(reader);
    StabilityLimits limits;
    limits.shortestMs = shortestMs;
    run.history().setLimits(limits);
    QVERIFY(run.run());
    const InputStats& s = run.history().input(1);
    QCOMPARE(s.changes, quint64(times.size()));
    QTEST(s.shortestActiveMs, "pulse");
    QTEST(s.shortestInactiveMs, "gap");
    QTEST(int(s.reasons), "reasons");
    QCOMPARE(s.lastChangeMs, times.last());
    QCOMPARE(run.history().total(), quint64(times.size()));
}

void TestHistory::cursorTakesEachKeptEventOnce_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<int>("before"); // changes before a clear (none when 0)
    QTest::addColumn<int>("after");  // changes after it
    QTest::addColumn<quint64>("from");
    QTest::addColumn<QList<quint64>>("seqs");
    using Seqs = QList<quint64>;
    QTest::newRow("all from the start") << 8 << 0 << 3 << quint64(0) << Seqs{0, 1, 2};
    QTest::newRow("from the middle") << 8 << 0 << 3 << quint64(2) << Seqs{2};
    QTest::newRow("from the end: nothing new") << 8 << 0 << 3 << quint64(3) << Seqs{};
    QTest::newRow("none yet") << 8 << 0 << 0 << quint64(0) << Seqs{};
    QTest::newRow("one under the bound") << 4 << 0 << 3 << quint64(0) << Seqs{0, 1, 2};
    QTest::newRow("at the bound") << 4 << 0 << 4 << quint64(0) << Seqs{0, 1, 2, 3};
    QTest::newRow("one over the bound: oldest skipped")
        << 4 << 0 << 5 << quint64(0) << Seqs{1, 2, 3, 4};
    QTest::newRow("cleared: only the changes after it") << 8 << 3 << 2 << quint64(1) << Seqs{3, 4};
    QTest::newRow("cleared, nothing since") << 8 << 3 << 0 << quint64(0) << Seqs{};
}

// The one cursor over the changes: each readable change once, in order, and the position
// to go on from.
void TestHistory::cursorTakesEachKeptEventOnce() {
    QFETCH(int, capacity);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(quint64, from);
    QFETCH(QList<quint64>, seqs);
    FormState state;
    ScriptedSerialControl clock;
    ChangeHistory history([&clock] { return clock.clockMs(); }, capacity);
    int changed = 0;
    const auto change = [&] { // inputs 1, 2, 3... of module 1 switch on in turn
        ++changed;
        state.InputState[std::size_t(changed)] = true;
        history.reportDecoded(reportOf(state, 1, clock.clockMs()));
    };
    for (int i = 0; i < before; ++i)
        change();
    if (before > 0)
        history.clear();
    for (int i = 0; i < after; ++i)
        change();

    QList<quint64> seen;
    QList<int> inputs;
    const quint64 next = history.forEachNew(from, [&](quint64 seq, const ChangeEvent& e) {
        seen << seq;
        inputs << e.input;
    });
    QCOMPARE(seen, seqs);
    QList<int> expectedInputs;
    for (quint64 seq : seqs)
        expectedInputs << int(seq) + 1;
    QCOMPARE(inputs, expectedInputs);
    QCOMPARE(next, quint64(before + after));
    // The one-argument form sees the same changes, and from `next` there is nothing new.
    QList<int> again;
    history.forEachNew(from, [&again](const ChangeEvent& e) { again << e.input; });
    QCOMPARE(again, expectedInputs);
    int more = 0;
    QCOMPARE(history.forEachNew(next, [&more](const ChangeEvent&) { ++more; }), next);
    QCOMPARE(more, 0);
}

void TestHistory::ratesOnTheHistorysClock_data() {
    QTest::addColumn<int>("bursts");
    QTest::addColumn<qint64>("passedMs"); // on the history's clock between two samples
    QTest::addColumn<double>("rate");
    QTest::newRow("7 in a recorded second") << 7 << qint64(1000) << 7.0;
    QTest::newRow("7 in 4 recorded seconds") << 7 << qint64(4000) << 1.75;
    QTest::newRow("none in a recorded second") << 0 << qint64(1000) << 0.0;
    QTest::newRow("7, the clock stood still: no new rate") << 7 << qint64(0) << 0.0;
    QTest::newRow("7 in 1 ms") << 7 << qint64(1) << 7000.0;
}

// Bursts a second are counted on the history's clock, a replay's while there is one: a replay
// at any speed shows the recording's rate, however little wall time passed.
void TestHistory::ratesOnTheHistorysClock() {
    QFETCH(int, bursts);
    QFETCH(qint64, passedMs);
    QFETCH(double, rate);
    ScriptedSerialControl serial;
    Station station(serial);
    station.listen([](const QString&) {});
    qint64 t = 1000;
    station.history().setClock([&t] { return t; });
    serial.setPortOpen(true);
    station.startSampling();
    for (int b = 0; b < bursts; ++b)
        serial.deliver(burstOf({{1, quint16(b % 2)}}));
    QCOMPARE(station.history().bursts().complete, quint64(bursts));
    t += passedMs;
    station.sample();
    QCOMPARE(station.burstsPerSecond(), rate);
}

void TestHistory::truncatedRecordingReadsToLastWholeRecord() {
    QByteArray data = recording::header(1700000000000);
    QList<qsizetype> ends; // where each record ends
    recording::appendPort(data, 3, 1, true);
    ends << data.size();
    recording::appendReceived(data, 1, bytes({'i', 1}));
    ends << data.size();
    recording::appendReceived(data, 200, bytes({1}));
    ends << data.size();
    recording::appendReceived(data, 1, bytes({0, 5}));
    ends << data.size();
    recording::appendSent(data, 7, QByteArray("s\x01\x00\x00\r", 5));
    ends << data.size();
    recording::appendEnd(data, 0);
    for (qsizetype cut = recording::kHeaderSize; cut < data.size(); ++cut) {
        recording::Reader reader(QByteArrayView(data).first(cut));
        recording::Record r;
        int read = 0;
        while (reader.next(r))
            ++read;
        const auto whole =
            std::count_if(ends.begin(), ends.end(), [&](qsizetype e) { return e <= cut; });
        QCOMPARE(read, int(whole));
        QCOMPARE(reader.status(), recording::Reader::Status::Truncated);
        QCOMPARE(reader.offset(), whole ? ends[whole - 1] : recording::kHeaderSize);
    }
    // Up to the cut, the history is what the whole recording gives: inputs 1 and 3 on at 205.
    recording::Reader reader(QByteArrayView(data).first(ends[3]));
    PlaybackRun run(reader);
    QVERIFY(!run.run());
    QCOMPARE(run.history().total(), quint64(2));
    QCOMPARE(run.history().event(1).input, quint16(3));
    QCOMPARE(run.history().event(1).timeMs, 205);
    QCOMPARE(run.history().wallTime(0).toMSecsSinceEpoch(), 1700000000000);
    QCOMPARE(
        run.history().timeOfDay(205),
        QDateTime::fromMSecsSinceEpoch(1700000000205).toString(QStringLiteral("hh:mm:ss.zzz")));
}

void TestHistory::badFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("reported"); // the CSV up to the fault is printed
    const QByteArray good = toggling({0, 100});
    QByteArray later = good;
    later[recording::kMagicSize] = 2;
    QTest::newRow("missing") << QByteArray("-") << "no such file" << false;
    QTest::newRow("empty") << QByteArray() << "the file is empty" << false;
    QTest::newRow("text") << QByteArray("time_ms,input\n1,2\n") << "not a recording" << false;
    QTest::newRow("later version") << later << "version 2" << false;
    QTest::newRow("cut in header") << good.first(10) << "inside its header" << false;
    QTest::newRow("cut in record") << good.chopped(3) << "inside a record" << true;
    QTest::newRow("no end record") << good.chopped(2) << "without its end record" << true;
    QTest::newRow("unknown record")
        << good.chopped(2) + QByteArray("\x07\x00", 2) << "unknown record type 0x07" << true;
    QTest::newRow("zero-length record")
        << good.chopped(2) + QByteArray("\x01\x00\x00", 3) << "record of 0 bytes" << true;
    QTest::newRow("data after end") << good + "x"
                                    << "data after the end" << true;
}

void TestHistory::startTimeLimits_data() {
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<bool>("ok");
    QTest::newRow("1970") << 0LL << true;
    QTest::newRow("before 1970") << -1LL << false;
    QTest::newRow("the last of 9999") << 253'402'300'799'999LL << true;
    QTest::newRow("year 10000") << 253'402'300'800'000LL << false;
    QTest::newRow("the largest") << std::numeric_limits<qint64>::max() << false;
}

// A recording's start time is read from its header; one no clock can add to is refused.
void TestHistory::startTimeLimits() {
    QFETCH(qint64, startMs);
    QFETCH(bool, ok);
    QByteArray content = toggling({0, 100});
    qToLittleEndian<qint64>(startMs, content.data() + 8); // after the magic and the version
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("start.s88"));
    QVERIFY(writeFile(path, content));
    const ProgramRun r = runProgram({QStringLiteral("--history"), path});
    QCOMPARE(r.status, ok ? 0 : 2);
    QCOMPARE(r.err.contains("start time"), !ok);
    QCOMPARE(r.out.count('\n'), ok ? 3 : 0); // the header and the two changes
}

void TestHistory::badFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(bool, reported);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.s88"));
    if (content != "-") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // The picture, like the reports, is drawn up to the fault and ends with status 2.
    const QString png = dir.filePath(QStringLiteral("t.png"));
    for (const char* report : {"--history", "--inputs", "--timeline"}) {
        const bool timeline = qstrcmp(report, "--timeline") == 0;
        QStringList arguments{QLatin1String(report), path};
        if (timeline)
            arguments << QStringLiteral("--png") << png;
        const ProgramRun r = runProgram(arguments);
        QCOMPARE(r.status, 2);
        // The program's own lines (a picture's toolkit may add a warning of its own).
        QCOMPARE(r.err.count("s88monitor: "), 1);
        QVERIFY2(r.err.contains(path.toLocal8Bit()) && r.err.contains(message.toLocal8Bit()),
                 r.err.constData());
        if (!timeline)
            QCOMPARE(r.err.count('\n'), 1);
        QCOMPARE(!(timeline ? QImage(png).isNull() : r.out.isEmpty()), reported);
    }
}

void TestHistory::faultsShapeTheBursts_data() {
    QTest::addColumn<QStringList>("givens");
    QTest::addColumn<QByteArray>("even");
    QTest::addColumn<QByteArray>("odd");
    // Modules 1..3 all inactive (the pattern at step 0 lights inputs 1..3 only).
    QTest::newRow("none") << QStringList{} << bytes({'i', 3, 1, 0, 7, 2, 0, 0, 3, 0, 0})
                          << bytes({'i', 3, 1, 0, 7, 2, 0, 0, 3, 0, 0});
    QTest::newRow("chatter input 25")
        << QStringList{"chatter:25"} << bytes({'i', 3, 1, 0, 7, 2, 0, 0, 3, 0, 0})
        << bytes({'i', 3, 1, 0, 7, 2, 1, 0, 3, 0, 0});
    QTest::newRow("silent and zero")
        << QStringList{"silent:2", "zero:1"} << bytes({'i', 2, 1, 0, 0, 3, 0, 0})
        << bytes({'i', 2, 1, 0, 0, 3, 0, 0});
    QTest::newRow("swap across modules")
        << QStringList{"swap:2,17"} << bytes({'i', 3, 1, 0, 5, 2, 0, 1, 3, 0, 0})
        << bytes({'i', 3, 1, 0, 5, 2, 0, 1, 3, 0, 0});
    QTest::newRow("missing announced")
        << QStringList{"missing:3"} << bytes({'i', 3, 1, 0, 7, 2, 0, 0})
        << bytes({'i', 3, 1, 0, 7, 2, 0, 0});
}

void TestHistory::faultsShapeTheBursts() {
    QFETCH(QStringList, givens);
    sim::Faults faults;
    for (const QString& given : givens)
        QCOMPARE(faults.add(given), std::nullopt);
    sim::Pattern pattern(1);
    pattern.setModules(3);
    QByteArray even, odd;
    faults.appendBurst(even, pattern, 0, nullptr);
    faults.appendBurst(odd, pattern, 1, nullptr);
    QTEST(even, "even");
    QTEST(odd, "odd");
    for (const char* bad : {"chatter", "chatter:0", "silent:256", "noise:0", "hum:3", "zero:x",
                            "swap:3", "swap:3,3", "swap:0,2", "swap:1,2,3"})
        QVERIFY(faults.add(QLatin1String(bad)).has_value());
}

void TestHistory::inputsReport_data() {
    QTest::addColumn<Times>("times"); // input 1 changes at each
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("row"); // the report's one row after its header

    const Times pulseAndGap{0, 100, 300}; // a 100 ms pulse, then a 200 ms gap
    QTest::newRow("100 ms pulse, 200 ms gap")
        << pulseAndGap << QStringList{} << QByteArray("1,1,1,3,100,200,0");
    QTest::newRow("off again 0 ms after")
        << Times{500, 500} << QStringList{} << QByteArray("1,1,1,2,0,,1");
    QTest::newRow("on again 0 ms after")
        << Times{0, 100, 100} << QStringList{} << QByteArray("1,1,1,3,100,0,1");
    QTest::newRow("one change") << Times{700} << QStringList{} << QByteArray("1,1,1,1,,,0");
    for (const auto& [ms, unstable] : {std::pair{99, '0'}, {100, '0'}, {101, '1'}, {150, '1'}}) {
        QTest::addRow("--unstable-ms %d on the 100 ms pulse", ms)
            << pulseAndGap << QStringList{"--unstable-ms", QString::number(ms)}
            << QByteArray("1,1,1,3,100,200,") + unstable;
    }
    QTest::newRow("--unstable-ms=101")
        << pulseAndGap << QStringList{"--unstable-ms=101"} << QByteArray("1,1,1,3,100,200,1");
    // Three changes within 300 ms: frequent when the window is longer than that.
    for (const auto& [window, unstable] : {std::pair{299, '0'}, {300, '0'}, {301, '1'}}) {
        QTest::addRow("--unstable-changes 3/%d", window)
            << pulseAndGap << QStringList{"--unstable-changes", QStringLiteral("3/%1").arg(window)}
            << QByteArray("1,1,1,3,100,200,") + unstable;
    }
    QTest::newRow("--unstable-changes=4/1000, 3 changes")
        << pulseAndGap << QStringList{"--unstable-changes=4/1000"}
        << QByteArray("1,1,1,3,100,200,0");
    QTest::newRow("-unstable-ms 101, one dash")
        << pulseAndGap << QStringList{"-unstable-ms", "101"} << QByteArray("1,1,1,3,100,200,1");
    QTest::newRow("-unstable-changes 3/301, one dash")
        << pulseAndGap << QStringList{"-unstable-changes", "3/301"}
        << QByteArray("1,1,1,3,100,200,1");
    QTest::newRow("both limits") << pulseAndGap
                                 << QStringList{"--unstable-ms", "50", "--unstable-changes",
                                                "3/301"}
                                 << QByteArray("1,1,1,3,100,200,1");
}

// --inputs over a recording: its columns in order, and the limits it is given applied.
void TestHistory::inputsReport() {
    QFETCH(Times, times);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, row);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pulse.s88"));
    QVERIFY(writeFile(path, toggling(times)));
    const ProgramRun r = runProgram(QStringList{QStringLiteral("--inputs"), path} + options);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    // The last cell is the clock of the input's last change.
    const QByteArray start = "input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,"
                             "unstable,last_clock\n" +
                             row + ',';
    QVERIFY2(r.out.startsWith(start) && r.out.endsWith('\n'), r.out.constData());
    const QDateTime clock = QDateTime::fromString(
        QString::fromLatin1(r.out.mid(start.size()).chopped(1)), Qt::ISODateWithMs);
    QCOMPARE(clock, QDateTime::fromMSecsSinceEpoch(times.last()));
}

void TestHistory::stopAndStartInsideRecordedBurst_data() {
    QTest::addColumn<QByteArray>("recording");
    QTest::addColumn<QByteArray>("history"); // what --history prints after its header

    // Two reports announced; the first comes, the second 150 ms later.
    const auto burst = [](const std::function<void(QByteArray&)>& between, qint64 lastDelta) {
        QByteArray r = recording::header(0);
        recording::appendPort(r, 0, 1, true);
        recording::appendReceived(r, 0, bytes({'i', 2, 1, 0, 3}));
        between(r);
        recording::appendReceived(r, lastDelta, bytes({2, 128, 0}));
        recording::appendEnd(r, 0);
        return r;
    };
    const QByteArray firstReport("0,1,1,1,1,\n0,2,1,2,1,\n");
    QTest::newRow("a pause inside the burst")
        << burst([](QByteArray&) {}, 150) << firstReport + "150,32,2,16,1,\n";
    QTest::newRow("Stop and Start inside the burst: given up")
        << burst(
               [](QByteArray& r) {
                   recording::appendPort(r, 50, 1, false);
                   recording::appendPort(r, 50, 1, true);
               },
               50)
        << firstReport;
    QTest::newRow("a command sent inside the burst: given up")
        << burst(
               [](QByteArray& r) {
                   recording::appendSent(r, 50, bytes({'s', 1, 0, 0, 13}));
               },
               100)
        << firstReport;
}

// The window takes no click while it waits inside a burst: by the time a Stop or a command
// is taken, the burst has been given up. A recording with one there is played the same way.
void TestHistory::stopAndStartInsideRecordedBurst() {
    QFETCH(QByteArray, recording);
    QFETCH(QByteArray, history);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stopped.s88"));
    QVERIFY(writeFile(path, recording));
    const ProgramRun r = runProgram({QStringLiteral("--history"), path});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    // Every line ends in its clock: the recording's start (1970 here) plus time_ms.
    QByteArrayList lines = r.out.split('\n');
    QCOMPARE(lines.takeFirst(), "time_ms,input,module,contact,state,since_ms,clock");
    QByteArray rows;
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        const qsizetype last = line.lastIndexOf(',');
        const QDateTime clock =
            QDateTime::fromString(QString::fromLatin1(line.mid(last + 1)), Qt::ISODateWithMs);
        QCOMPARE(clock, QDateTime::fromMSecsSinceEpoch(line.split(',')[0].toLongLong()));
        rows += line.first(last) + '\n';
    }
    QCOMPARE(rows, history);
}

void TestHistory::recordingReachesDiskWhileRunning_data() {
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("a byte between bursts") << bytes({7});
    QTest::newRow("a burst") << bytes({'i', 1, 1, 0, 1});
}

// What the window receives is on disk within half a second (and a little room for a loaded
// machine), while the recording goes on.
void TestHistory::recordingReachesDiskWhileRunning() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QByteArray, sent);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("running.s88"));
    PtyPair pty;
    WindowRig rig(pty);
    QString why;
    QVERIFY2(rig.form.recorder().start(path, &why), qPrintable(why));
    rig.start();
    QVERIFY(pty.write(sent));
    QTRY_COMPARE_WITH_TIMEOUT(receivedOnDisk(path), sent, 900);
    QVERIFY(rig.form.recorder().isRecording());
    QCOMPARE(rig.serial.charactersTaken(), quint64(sent.size()));
}

// Bursts sent on a pty to the window, recorded; replayed at speed 0 to a second window; and
// the history of the recording from the command line.
void TestHistory::windowRecordingReplaysAndReports() {
    SKIP_WITHOUT_PTYS();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("session.s88"));
    QList<int> lamps;
    {
        PtyPair pty;
        WindowRig rig([&pty](int) { return pty.devicePath(); });
        QString why;
        QVERIFY2(rig.form.recorder().start(path, &why), qPrintable(why));
        rig.start();
        const QList<QByteArray> bursts{
            bytes({'i', 2, 1, 0, 5, 2, 0x80, 0}), // inputs 1, 3 and 32 on
            bytes({'i', 1, 1, 0, 4}),             // input 1 off
            bytes({'i', 2, 3, 1, 0, 1, 0, 4}),    // input 41 (3.9) on, 1 unchanged
        };
        for (const QByteArray& burst : bursts) {
            const quint64 before = rig.form.history().bursts().complete;
            // The burst is read when the next byte arrives: a stray byte between bursts.
            QVERIFY(pty.write(burst + bytes({0})));
            QTRY_COMPARE_WITH_TIMEOUT(rig.form.history().bursts().complete, before + 1, 5000);
        }
        lamps = greenLamps(rig.form);
        QCOMPARE(lamps, (QList<int>{3, 32, 41}));
        QCOMPARE(rig.form.history().total(), quint64(5));
        rig.stop();
        QVERIFY(rig.form.recorder().bytesWritten() > quint64(recording::kHeaderSize));
    } // the window closes, and with it the recording

    {
        QString why, warning;
        VirtualModule::Options options;
        options.replay = recording::receivedPieces(path, &why, &warning);
        QVERIFY2(options.replay, qPrintable(why));
        QVERIFY2(warning.isEmpty(), qPrintable(warning));
        options.replaySpeed = 0;
        VirtualModule module(options);
        QVERIFY2(module.start(&why), qPrintable(why));
        WindowRig replay([&module](int) { return module.devicePath(); });
        replay.start();
        QTRY_COMPARE_WITH_TIMEOUT(replay.form.history().bursts().complete, quint64(3), 5000);
        QCOMPARE(greenLamps(replay.form), lamps);
    }

    const ProgramRun r = runProgram({QStringLiteral("--history"), path});
    QCOMPARE(r.status, 0);
    QList<QByteArray> lines = r.out.split('\n');
    QCOMPARE(lines.takeFirst(), "time_ms,input,module,contact,state,since_ms,clock");
    QCOMPARE(lines.takeLast(), "");
    QCOMPARE(lines.size(), 5);
    // input,module,contact,state for each change, in the order sent.
    const QList<QByteArray> expected{"1,1,1,1", "3,1,3,1", "32,2,16,1", "1,1,1,0", "41,3,9,1"};
    qint64 previous = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QList<QByteArray> cells = lines[i].split(',');
        QCOMPARE(cells.size(), 7);
        QCOMPARE(cells.mid(1, 4).join(','), expected[i]);
        QVERIFY(cells[0].toLongLong() >= previous);
        previous = cells[0].toLongLong();
        QCOMPARE(cells[5].isEmpty(), i != 3);
    }
    // Input 1 went off one burst after it came on.
    QCOMPARE(lines[3].split(',')[5].toLongLong(),
             lines[3].split(',')[0].toLongLong() - lines[0].split(',')[0].toLongLong());
}

void TestHistory::clockColumn_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint64>("startMs"); // the recording's start, ms since 1970 UTC
    QTest::addColumn<qint64>("timeMs");  // of the change, from the start
    QTest::addColumn<QByteArray>("clock");
    QTest::addColumn<QByteArray>("utc"); // as the bridge's events give it

    const qint64 winter = 1'700'000'000'000; // 2023-11-14 22:13:20 UTC
    const qint64 summer = 1'690'000'000'000; // 2023-07-22 04:26:40 UTC
    QTest::newRow("UTC") << QByteArray("UTC") << winter << 5LL
                         << QByteArray("2023-11-14T22:13:20.005+00:00")
                         << QByteArray("2023-11-14T22:13:20.005Z");
    QTest::newRow("winter in Copenhagen")
        << QByteArray("Europe/Copenhagen") << winter << 999LL
        << QByteArray("2023-11-14T23:13:20.999+01:00") << QByteArray("2023-11-14T22:13:20.999Z");
    QTest::newRow("next second") << QByteArray("Europe/Copenhagen") << winter << 1000LL
                                 << QByteArray("2023-11-14T23:13:21.000+01:00")
                                 << QByteArray("2023-11-14T22:13:21.000Z");
    QTest::newRow("summer in Copenhagen")
        << QByteArray("Europe/Copenhagen") << summer << 1LL
        << QByteArray("2023-07-22T06:26:40.001+02:00") << QByteArray("2023-07-22T04:26:40.001Z");
    QTest::newRow("west of Greenwich, past midnight")
        << QByteArray("America/St_Johns") << winter << 3'600'000LL + 7
        << QByteArray("2023-11-14T19:43:20.007-03:30") << QByteArray("2023-11-14T23:13:20.007Z");
    QTest::newRow("a millisecond before midnight UTC")
        << QByteArray("Europe/Copenhagen") << winter << 6'399'999LL
        << QByteArray("2023-11-15T00:59:59.999+01:00") << QByteArray("2023-11-14T23:59:59.999Z");
    QTest::newRow("midnight UTC") << QByteArray("Europe/Copenhagen") << winter << 6'400'000LL
                                  << QByteArray("2023-11-15T01:00:00.000+01:00")
                                  << QByteArray("2023-11-15T00:00:00.000Z");
    QTest::newRow("before 1970") << QByteArray("UTC") << 0LL << -1LL
                                 << QByteArray("1969-12-31T23:59:59.999+00:00")
                                 << QByteArray("1969-12-31T23:59:59.999Z");
}

// The clock column of both CSVs: ISO 8601, local time with its offset, to the millisecond; and
// the bridge's event times, the same in UTC.
void TestHistory::clockColumn() {
    QFETCH(QByteArray, zone);
    QFETCH(qint64, startMs);
    QFETCH(qint64, timeMs);
    QFETCH(QByteArray, clock);
    QFETCH(QByteArray, utc);
    // Without the zone's file every zone is UTC, and the offsets below would be wrong.
    if (zone.contains('/') && !QFileInfo::exists(QLatin1String("/usr/share/zoneinfo/" + zone)))
        QFAIL("no time zone " + zone + ": tzdata is not installed (scripts/setup.sh installs it)");
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    ScriptedSerialControl serial;
    ChangeHistory history([&serial] { return serial.clockMs(); });
    history.setOrigin(0, QDateTime::fromMSecsSinceEpoch(startMs));
    QByteArray fresh;
    QByteArray freshUtc;
    csv::Clock(history).append(fresh, timeMs); // nothing cached yet
    csv::Clock(history, csv::Clock::Zone::Utc).append(freshUtc, timeMs);
    csv::Clock c(history);
    csv::Clock u(history, csv::Clock::Zone::Utc);
    QByteArray out;
    QByteArray utcOut;
    c.append(out, timeMs - 1000); // a second before, so the cache must move on
    u.append(utcOut, timeMs - 1000);
    out.clear();
    utcOut.clear();
    c.append(out, timeMs);
    u.append(utcOut, timeMs);
    // A history given an origin an hour earlier is followed by a clock made before.
    history.setOrigin(0, QDateTime::fromMSecsSinceEpoch(startMs - 3'600'000));
    QByteArray later;
    u.append(later, timeMs + 3'600'000);
    qputenv("TZ", before);
    tzset();
    QCOMPARE(fresh, clock);
    QCOMPARE(freshUtc, utc);
    QCOMPARE(out, clock);
    QCOMPARE(utcOut, utc);
    QCOMPARE(later, utc);
}

void TestHistory::replayRunsOnRecordingClock_data() {
    QTest::addColumn<double>("speed");
    QTest::newRow("four times faster") << 4.0;
    QTest::newRow("real time") << 1.0;
}

// A replay in the window, however fast, times the changes as --history times the recording:
// input 1 pulses 142 and 60 ms (stable), input 2 pulses 30 ms (unstable).
void TestHistory::replayRunsOnRecordingClock() {
    QFETCH(double, speed);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pulses.s88"));
    const qint64 start = 1'700'000'000'000;
    {
        QByteArray r = recording::header(start);
        qint64 last = 0;
        const QList<std::pair<qint64, int>> lows{{1000, 1}, {1142, 0}, {1200, 2}, {1230, 0},
                                                 {1500, 1}, {1560, 0}, {2000, 2}, {2400, 0}};
        for (const auto& [t, low] : lows) {
            recording::appendReceived(r, t - last, bytes({'i', 1, 1, 0, low}));
            last = t;
        }
        recording::appendEnd(r, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(r);
    }
    const ProgramRun history = runProgram({QStringLiteral("--history"), path});
    QCOMPARE(history.status, 0);
    QList<QByteArray> rows = history.out.split('\n').mid(1);
    rows.removeAll(QByteArray());
    QCOMPARE(rows.size(), 8);

    QString why, warning;
    VirtualModule::Options options;
    options.replay = recording::receivedPieces(path, &why, &warning);
    options.replaySpeed = speed;
    VirtualModule module(options);
    QVERIFY2(module.start(&why), qPrintable(why));
    WindowRig w([&module](int) { return module.devicePath(); });
    QVERIFY2(w.form.replay(path, 1, &why), qPrintable(why));
    QVERIFY(w.form.diagnostics().summary().endsWith(QStringLiteral("tryk Start")));
    w.start();
    ChangeHistory& h = w.form.history();
    QTRY_COMPARE_WITH_TIMEOUT(h.total(), quint64(8), 5000);
    for (int i = 0; i < 8; ++i) {
        const QList<QByteArray> cells = rows[i].split(',');
        const ChangeEvent& e = h.event(quint64(i));
        QCOMPARE(int(e.input), cells[1].toInt());
        QCOMPARE(e.active, cells[4] == "1");
        QVERIFY2(qAbs(e.timeMs - cells[0].toLongLong()) <= 2, rows[i].constData());
        QVERIFY2(qAbs(e.sinceMs - (cells[5].isEmpty() ? -1 : cells[5].toLongLong())) <= 2,
                 rows[i].constData());
        // The list shows the recording's time of day.
        QCOMPARE(h.wallTime(e.timeMs), QDateTime::fromMSecsSinceEpoch(start + e.timeMs));
    }
    QCOMPARE(h.input(1).unstable(), false);
    QCOMPARE(h.input(2).unstable(), true);
    QCOMPARE(h.input(1).shortestActiveMs, 60);
    const ProgramRun inputs = runProgram({QStringLiteral("--inputs"), path});
    QVERIFY(inputs.out.contains("\n1,1,1,4,60,358,0,"));
    QVERIFY(inputs.out.contains("\n2,1,2,4,30,770,1,"));
    QTRY_VERIFY(w.form.diagnostics().summary().endsWith(
        QStringLiteral("Afspilning slut (%1)")
            .arg(QDateTime::fromMSecsSinceEpoch(start + 2400).toString(u"hh:mm:ss"))));
    QTRY_COMPARE(w.form.diagnostics().list().rowText(0).left(12),
                 QDateTime::fromMSecsSinceEpoch(start + 2400).toString(u"hh:mm:ss.zzz"));
    // The replay over, no more data comes: that is its end, not a wrong port.
    QElapsedTimer ended;
    ended.start();
    while (ended.elapsed() < PortWatch::kSilentMs + 500) {
        QTest::qWait(100);
        w.form.diagnostics().tick();
        const QString line = w.form.diagnostics().checkLineText();
        QVERIFY2(!line.startsWith(QStringLiteral("Ingen data")), qPrintable(line));
    }
    QVERIFY(w.form.diagnostics().summary().contains(QStringLiteral("Afspilning slut")));
}

void TestHistory::replayClockTimesEachByte_data() {
    QTest::addColumn<QList<quint64>>("bytes"); // asked in this order
    QTest::addColumn<QList<qint64>>("times");
    QTest::newRow("before the first") << QList<quint64>{0} << QList<qint64>{0};
    QTest::newRow("each record's first and last")
        << QList<quint64>{1, 5, 6, 10, 11, 15} << QList<qint64>{1000, 1000, 1142, 1142, 1500, 1500};
    QTest::newRow("the last, one past it, far past it")
        << QList<quint64>{15, 16, 1000} << QList<qint64>{1500, 1500, 1500};
    QTest::newRow("back to an earlier record")
        << QList<quint64>{11, 6, 1, 12} << QList<qint64>{1500, 1142, 1000, 1500};
}

// Records of 5 received bytes at 1000, 1142 and 1500 ms, a sent command between them.
void TestHistory::replayClockTimesEachByte() {
    QFETCH(QList<quint64>, bytes);
    QFETCH(QList<qint64>, times);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clock.s88"));
    QByteArray r = recording::header(1'700'000'000'000);
    recording::appendReceived(r, 1000, "abcde");
    recording::appendSent(r, 100, "s");
    recording::appendReceived(r, 42, "fghij");
    recording::appendReceived(r, 358, "klmno");
    recording::appendEnd(r, 0);
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(r), r.size());
    f.close();
    ReplayClock clock;
    QString why;
    QVERIFY2(clock.open(path, &why), qPrintable(why));
    QCOMPARE(clock.bytes(), quint64(15));
    QCOMPARE(clock.endMs(), 1500);
    QCOMPARE(clock.startEpochMs(), 1'700'000'000'000);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        QCOMPARE(clock.timeOfByte(bytes[i]), times[i]);
}

void TestHistory::reportOptions_data() {
    QTest::addColumn<QStringList>("arguments"); // FILE: the recording
    QTest::addColumn<QByteArrayList>("lines");  // expected, each at a line's start

    // Modules 1..3 counted; module 2's report is left out of each burst: two short bursts,
    // each losing the next, then a whole one; input 1 on at 100 ms, off at 500 ms.
    QTest::newRow("--history") << QStringList{"--history", "FILE"}
                               << QByteArrayList{
                                      "time_ms,input,module,contact,state,since_ms,clock",
                                      "100,1,1,1,1,,", "500,1,1,1,0,400,"};
    QTest::newRow("--history --separator ;")
        << QStringList{"--history", "FILE", "--separator", ";"}
        << QByteArrayList{"time_ms;input;module;contact;state;since_ms;clock", "100;1;1;1;1;;",
                          "500;1;1;1;0;400;"};
    QTest::newRow("--history --separator ,")
        << QStringList{"--separator=,", "--history", "FILE"} << QByteArrayList{"100,1,1,1,1,,"};
    QTest::newRow("--history --unstable-ms 401")
        << QStringList{"--history", "FILE", "--unstable-ms", "401"}
        << QByteArrayList{"500,1,1,1,0,400,"};
    QTest::newRow("--history --unstable-changes 2/401")
        << QStringList{"--history", "FILE", "--unstable-changes", "2/401"}
        << QByteArrayList{"100,1,1,1,1,,", "500,1,1,1,0,400,"};
    QTest::newRow("--inputs") << QStringList{"--inputs", "FILE"}
                              << QByteArrayList{"input,module,contact,changes,shortest_active_ms,"
                                                "shortest_inactive_ms,unstable,last_clock",
                                                "1,1,1,2,400,,0,"};
    QTest::newRow("--inputs --separator ;")
        << QStringList{"--inputs", "FILE", "--separator", ";"}
        << QByteArrayList{"input;module;contact;changes;shortest_active_ms;shortest_inactive_ms;"
                          "unstable;last_clock",
                          "1;1;1;2;400;;0;"};
    QTest::newRow("--inputs --unstable-ms at the pulse")
        << QStringList{"--inputs", "FILE", "--unstable-ms", "400"}
        << QByteArrayList{"1,1,1,2,400,,0,"};
    QTest::newRow("--inputs --unstable-ms past the pulse")
        << QStringList{"--inputs", "FILE", "--unstable-ms", "401"}
        << QByteArrayList{"1,1,1,2,400,,1,"};
    QTest::newRow("--inputs --unstable-changes 2/400")
        << QStringList{"--inputs", "FILE", "--unstable-changes", "2/400"}
        << QByteArrayList{"1,1,1,2,400,,0,"};
    QTest::newRow("--inputs --unstable-changes 2/401")
        << QStringList{"--inputs", "FILE", "--unstable-changes", "2/401"}
        << QByteArrayList{"1,1,1,2,400,,1,"};
    const QByteArrayList summary{
        "configured: 3", "reported: 1, 3",       "missing: none",
        "unknown: none", "complete bursts: 1",   "short bursts: 2 (module 2 left out of the reply)",
        "given up: 0",   "stray bytes: 1",       "bytes lost behind short bursts: 16",
        "changes: 2",    "unstable inputs: none"};
    QTest::newRow("--summary") << QStringList{"--summary", "FILE"} << summary;
    QByteArrayList unstable = summary;
    unstable.last() = "unstable inputs: 1";
    QTest::newRow("--summary --unstable-ms 401")
        << QStringList{"--summary", "FILE", "--unstable-ms", "401"} << unstable;
    QTest::newRow("--summary --unstable-changes 2/401")
        << QStringList{"--summary", "FILE", "--unstable-changes", "2/401"} << unstable;
}

// Every option of every report, run through the program on one recording.
void TestHistory::reportOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArrayList, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.s88"));
    {
        QByteArray r = recording::header(1'700'000'000'000);
        recording::appendSent(r, 10, bytes({'s', 1, 1, 1, '\r'}));
        const QByteArray shortBurst = bytes({'i', 3, 1, 0, 1, 3, 0, 0});
        for (int i = 0; i < 4; ++i)
            recording::appendReceived(r, i == 0 ? 90 : 100, shortBurst);
        recording::appendReceived(r, 100, bytes({'i', 2, 1, 0, 0, 3, 0, 0}));
        recording::appendReceived(r, 100, bytes({7}));
        recording::appendEnd(r, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(r);
    }
    arguments.replaceInStrings(QStringLiteral("FILE"), path);
    const ProgramRun run = runProgram(arguments);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.isEmpty(), run.err.constData());
    const QByteArrayList out = run.out.split('\n');
    if (arguments.first() == u"--summary" || arguments.contains(QStringLiteral("--summary"))) {
        QCOMPARE(out, lines + QByteArrayList{""});
        return;
    }
    int at = 0;
    for (const QByteArray& line : lines) {
        while (at < out.size() && !out[at].startsWith(line))
            ++at;
        QVERIFY2(at < out.size(), (line + " not in\n" + run.out).constData());
    }
    // Every row ends in its clock, ISO 8601 local time with offset, to the millisecond.
    static const QRegularExpression kClock(
        QStringLiteral("[,;]\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d$"));
    for (const QByteArray& row : out.mid(1, out.size() - 2))
        QVERIFY2(kClock.match(QString::fromLatin1(row)).hasMatch(), row.constData());
}

// SIGTERM ends the program as Afslut does, so the recording gets its end record.
void TestHistory::sigtermEndsRecordingProperly() {
    QTemporaryDir dir;
    QFile settings(dir.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[S88Left]\nAntal=1\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    settings.close();
    const QString path = dir.filePath(QStringLiteral("ended.s88"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(S88MONITOR), {QStringLiteral("--record"), path});
    QVERIFY(p.waitForStarted());
    // The header is written once the signals are taken care of.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() >= recording::kHeaderSize, 10000);
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    recording::File file;
    QVERIFY(file.open(path, nullptr));
    recording::Reader reader(file);
    recording::Record r;
    while (reader.next(r)) {
    }
    QCOMPARE(reader.status(), recording::Reader::Status::Finished);
}

void TestHistory::namesAndBurstsInReports_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("lines"); // `out` is how they begin
    QTest::addColumn<QByteArray>("namesFile");
    const QByteArray named = "input,name\n1,\"Blok 3 øst, \"\"A\"\"\"\n2,Spor 2\n";
    // Inputs 1 and 17 on at 100, then at 200 ten inputs over both modules:
    // one noise burst; a burst given up at 300 (announced two, sent one, with one change).
    const QByteArray history = "time_ms,input,module,contact,state,since_ms,name\n"
                               "100,1,1,1,1,,\"Blok 3 øst, \"\"A\"\"\"\n"
                               "100,17,2,1,1,,\n";
    QTest::newRow("--history with names")
        << QStringList{"--history", "R", "--names", "N"} << history + "200,2,1,2,1,,Spor 2\n"
        << QByteArray() << 14 << named;
    QTest::newRow("--inputs with names")
        << QStringList{"--inputs", "R", "--names", "N"}
        << QByteArray("input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,"
                      "unstable,name\n1,1,1,1,,,0,\"Blok 3 øst, \"\"A\"\"\"\n2,1,2,1,,,0,Spor 2\n"
                      "3,1,3,1,,,0,\n")
        << QByteArray() << 13 << named;
    QTest::newRow("--bursts")
        << QStringList{"--bursts", "R"}
        << QByteArray("time_ms,inputs,modules,noise,given_up\n200,10,2,1,0\n800,1,1,0,1\n")
        << QByteArray() << 3 << named;
    QTest::newRow("--inputs without names keeps its columns")
        << QStringList{"--inputs", "R"}
        << QByteArray("input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,"
                      "unstable\n1,1,1,1,,,0\n2,1,2,1,,,0\n")
        << QByteArray() << 13 << named;
    QTest::newRow("bad names lines told, the rest used")
        << QStringList{"--inputs", "R", "--names", "BAD"}
        << QByteArray("input,module,contact,changes,shortest_active_ms,shortest_inactive_ms,"
                      "unstable,name\n1,1,1,1,,,0,ok\n2,1,2,1,,,0,\n")
        << QByteArray("BAD: line 2: the input is outside 1..160 (left out)\n"
                      "s88monitor: BAD: line 3: the input is named on an earlier line (left "
                      "out)\n")
        << 13 << named;
    // A name a spreadsheet would run as a formula is written with a leading ', in either
    // report and with either separator; numbers stay numbers.
    const QByteArray inputsHead = "input,module,contact,changes,shortest_active_ms,"
                                  "shortest_inactive_ms,unstable,name\n";
    const auto formula = [&](const char* tag, const QByteArray& name, const QByteArray& cell) {
        QTest::newRow(tag) << QStringList{"--inputs", "R", "--names", "N"}
                           << inputsHead + "1,1,1,1,,,0," + cell + "\n2,1,2,1,,,0,\n"
                           << QByteArray() << 13 << "1," + name + "\n";
    };
    formula("name starting with =", "=1+2", "'=1+2");
    formula("name starting with +", "+45 Spor", "'+45 Spor");
    formula("name starting with -", "-1", "'-1");
    formula("name starting with @", "@SUM(A1)", "'@SUM(A1)");
    // Tab and carriage return are never kept at a name's edge: the name is trimmed, then guarded.
    formula("name starting with a tab", "\"\t=A1\"", "'=A1");
    formula("name starting with a carriage return", "\"\r=A1\"", "'=A1");
    formula("harmless name", "Blok 3", "Blok 3");
    formula("a name of just =", "=", "'=");
    formula("an empty name", "", "");
    formula("a name starting with ' before =", "'=x", "'=x"); // read without, written with
    formula("a name of ''=x", "''=x", "''=x");
    // A names file named on the command line that is not there ends the report before it starts.
    QTest::newRow("--inputs with a names file that is not there")
        << QStringList{"--inputs", "R", "--names", "MISSING"} << QByteArray()
        << QByteArray("--names MISSING: no such file\n") << 0 << named;
    QTest::newRow("--history, semicolons, a formula name")
        << QStringList{"--history", "R", "--names", "N", "--separator", ";"}
        << QByteArray("time_ms;input;module;contact;state;since_ms;name\n100;1;1;1;1;;'-1\n")
        << QByteArray() << 14 << QByteArray("1,-1\n");
}

void TestHistory::namesAndBurstsInReports() {
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    QByteArray r = recording::header(0);
    recording::appendReceived(r, 0, bytes({'i', 2, 1, 0, 0, 2, 0, 0}));
    recording::appendReceived(r, 100, bytes({'i', 2, 1, 0, 1, 2, 0, 1}));
    // Ten at once over two modules; the first reports above changed nothing by this rule.
    recording::appendReceived(r, 100, bytes({'i', 2, 1, 0, 0x3f, 2, 0, 0x1e}));
    // Given up with one change in it: input 8 comes on.
    recording::appendReceived(r, 100, bytes({'i', 2, 1, 0, 0xbf}));
    recording::appendReceived(r, 1000, bytes({0}));
    recording::appendEnd(r, 0);
    QVERIFY(writeFile(dir.filePath(QStringLiteral("R")), r));
    QFETCH(QByteArray, namesFile);
    QVERIFY(writeFile(dir.filePath(QStringLiteral("N")), namesFile));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("BAD")), "1,ok\n161,x\n1,again\n"));
    for (QString& o : options)
        if (o == u"R" || o == u"N" || o == u"BAD" || o == u"MISSING")
            o = dir.filePath(o);
    const ProgramRun run = runProgram(options);
    QCOMPARE(run.status, options.contains(dir.filePath(QStringLiteral("MISSING"))) ? 2 : 0);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    // The clock column (tested on its own) stands before the names: compared without it.
    static const QRegularExpression clock(
        QStringLiteral("[,;](last_)?clock|[,;]\\d{4}-\\d\\d-\\d\\dT[0-9:.]+(Z|[+-]\\d\\d:\\d\\d)"));
    const QByteArray shown = QString::fromUtf8(run.out).remove(clock).toUtf8();
    QVERIFY2(shown.startsWith(out), run.out.constData());
    if (options.contains(QStringLiteral("--names")) && !run.out.isEmpty())
        QVERIFY2(run.out.left(run.out.indexOf('\n'))
                     .endsWith(options.contains(QStringLiteral(";")) ? "clock;name" : "clock,name"),
                 run.out.constData());
    QTEST(int(run.out.count('\n')), "lines");
    // Input 17 went off in the noise burst, after 100 ms on: its line, named or not.
    if (options.first() == u"--inputs" && !run.out.isEmpty())
        QVERIFY2(run.out.contains("\n17,2,1,2,100,,0"), run.out.constData());
    QCOMPARE(QString::fromUtf8(run.err).remove(dir.path() + u'/'),
             err.isEmpty() ? QString() : QStringLiteral("s88monitor: ") + QString::fromUtf8(err));
}

// Every text cell, as the reports, "Gem CSV…" and the names file write it; read back whole.
void TestHistory::textCellsGuarded_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QByteArray>("cell");
    QTest::newRow("=") << "=1+2" << ',' << QByteArray("'=1+2");
    QTest::newRow("+") << "+1" << ',' << QByteArray("'+1");
    QTest::newRow("-") << "-1" << ';' << QByteArray("'-1");
    QTest::newRow("@") << "@A1" << ',' << QByteArray("'@A1");
    QTest::newRow("tab") << "\t=A1" << ',' << QByteArray("'\t=A1");
    QTest::newRow("carriage return, quoted too") << "\r=A1" << ',' << QByteArray("\"'\r=A1\"");
    QTest::newRow("harmless") << "Blok 3" << ',' << QByteArray("Blok 3");
    QTest::newRow("just =") << "=" << ',' << QByteArray("'=");
    QTest::newRow("empty") << "" << ',' << QByteArray("");
    QTest::newRow("' alone") << "'" << ',' << QByteArray("'");
    QTest::newRow("' before a letter") << "'Blok" << ',' << QByteArray("'Blok");
    QTest::newRow("' before =") << "'=x" << ',' << QByteArray("''=x");
    QTest::newRow("= in the middle") << "a=b" << ',' << QByteArray("a=b");
    QTest::newRow("formula with the separator") << "=a;b" << ';' << QByteArray("\"'=a;b\"");
}

void TestHistory::textCellsGuarded() {
    QFETCH(QString, text);
    QFETCH(char, separator);
    QTEST(csv::quoted(text, separator), "cell");
    QCOMPARE(csv::unguarded(csv::guarded(text)), text);
}

QTEST_MAIN(TestHistory)
#include "test_history.moc"
