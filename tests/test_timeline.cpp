// The timeline: change events turned into bars and marks (as tables over recordings played
// through the receive path), the noise-burst rule, and the picture drawn from known bars.
#include "diag/timelinepainter.h"
#include "history/playback.h"
#include "history/recording.h"
#include "history/timeline.h"
#include "support/testsupport.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A burst at a time: each module's 16 inputs as a mask (bit k-1 is contact k).
struct Step {
    qint64 timeMs = 0;
    QList<std::pair<int, int>> modules; // module, mask
    bool cut = false;                   // the last report is never sent: the burst is given up
};
using Script = QList<Step>;

QByteArray recordingOf(const Script& script, qint64 endMs) {
    QByteArray r = recording::header(0);
    qint64 last = 0;
    for (const Step& s : script) {
        QByteArray burst("i");
        burst.append(char(s.modules.size() + (s.cut ? 1 : 0)));
        for (const auto& [module, mask] : s.modules)
            burst.append(bytes({module, (mask >> 8) & 0xff, mask & 0xff}));
        recording::appendReceived(r, s.timeMs - last, burst);
        last = s.timeMs;
    }
    recording::appendReceived(r, endMs - last, bytes({0})); // ends the last burst's wait
    recording::appendEnd(r, 0);
    return r;
}

// "1:100-300 2:<50-400 3:" : each row's input and its bars; < opens, > still on.
QString shape(const timeline::Model& model) {
    QStringList rows;
    for (const timeline::Row& row : model.rows()) {
        QStringList bars;
        for (const timeline::Bar& b : row.bars)
            bars << QStringLiteral("%1%2-%3%4")
                        .arg(b.openStart ? "<" : "")
                        .arg(b.startMs)
                        .arg(b.endMs)
                        .arg(b.openEnd ? ">" : "");
        rows << QStringLiteral("%1%2:%3")
                    .arg(row.input)
                    .arg(row.unstable ? "!" : "")
                    .arg(bars.join(u','));
    }
    return rows.join(u' ');
}

} // namespace

Q_DECLARE_METATYPE(Script)

class TestTimeline : public QObject {
    Q_OBJECT

private slots:
    void bars_data();
    void bars();
    void spans();
    void noiseRule_data();
    void noiseRule();
    void givenUpBurst();
    void pictureShowsKnownBars();
    void commandLinePicture();
};

void TestTimeline::bars_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("to");
    QTest::addColumn<int>("configured"); // 0: rows for the inputs that changed
    QTest::addColumn<QString>("expected");
    const Script onOff{{0, {{1, 0}}}, {100, {{1, 1}}}, {300, {{1, 0}}}};
    QTest::newRow("bar closed inside the view")
        << onOff << 100 << 0LL << 1000LL << 0 << "1:100-300";
    QTest::newRow("bar open at the right edge")
        << Script{{0, {{1, 0}}}, {100, {{1, 1}}}} << 100 << 0LL << 1000LL << 0 << "1:100-2000>";
    QTest::newRow("bar closed before the view") << onOff << 100 << 500LL << 1000LL << 0 << "1:";
    QTest::newRow("bar ends at the view's start")
        << onOff << 100 << 300LL << 1000LL << 0 << "1:100-300";
    QTest::newRow("bar ends 1 ms before the view") << onOff << 100 << 301LL << 1000LL << 0 << "1:";
    QTest::newRow("bar starts at the view's end")
        << onOff << 100 << 0LL << 100LL << 0 << "1:100-300";
    QTest::newRow("bar starts 1 ms after the view") << onOff << 100 << 0LL << 99LL << 0 << "1:";
    QTest::newRow("bar across the whole view")
        << onOff << 100 << 150LL << 250LL << 0 << "1:100-300";
    QTest::newRow("two inputs in two modules, one of them unstable")
        << Script{{0, {{1, 0}, {2, 0}}},
                  {100, {{1, 4}, {2, 0x8000}}},
                  {130, {{1, 0}, {2, 0x8000}}},
                  {400, {{1, 4}, {2, 0}}}}
        << 100 << 0LL << 1000LL << 0 << "3!:100-130,400-2000> 32:100-400";
    QTest::newRow("on before the oldest kept event")
        << Script{{0, {{1, 0}}}, {100, {{1, 1}}}, {200, {{1, 3}}}, {300, {{1, 2}}}} << 2 << 0LL
        << 1000LL << 0 << "1:<200-300 2:200-2000>";
    QTest::newRow("configured inputs as rows, and a changed one beyond")
        << Script{{0, {{1, 0}, {2, 0}}}, {100, {{1, 0}, {2, 1}}}} << 100 << 0LL << 1000LL << 3
        << "1: 2: 3: 17:100-2000>";
}

void TestTimeline::bars() {
    QFETCH(Script, script);
    QFETCH(int, capacity);
    QFETCH(qint64, from);
    QFETCH(qint64, to);
    QFETCH(int, configured);
    const QByteArray data = recordingOf(script, 2000);
    recording::Reader reader(data);
    PlaybackRun run(reader, capacity);
    QVERIFY(run.run());
    timeline::Model model;
    // Built twice: a model reused for a second view keeps nothing of the first.
    model.build(run.history(), 0, 5000, 2000, timeline::Rows::Configured, 10);
    model.build(run.history(), from, to, 2000,
                configured ? timeline::Rows::Configured : timeline::Rows::Changed, configured);
    QTEST(shape(model), "expected");
}

void TestTimeline::spans() {
    const QByteArray data = recordingOf({{0, {{1, 0}}},
                                         {100, {{1, 1}}},
                                         {300, {{1, 0}}},
                                         {600, {{1, 1}}},
                                         {800, {{1, 0}}},
                                         {900, {{1, 1}}}},
                                        2000);
    recording::Reader reader(data);
    PlaybackRun run(reader);
    QVERIFY(run.run());
    timeline::Model model;
    model.build(run.history(), 500, 1500, 2000);
    const timeline::Row* row = model.row(1);
    QVERIFY(row);
    QVERIFY(!model.row(2));
    const auto span = [&](qint64 t) {
        const timeline::Span s = timeline::Model::spanAt(*row, t);
        return QStringLiteral("%1 %2-%3").arg(s.active ? "on" : "off").arg(s.startMs).arg(s.endMs);
    };
    QCOMPARE(span(550), QStringLiteral("off 300-600")); // the gap after a bar before the view
    QCOMPARE(span(599), QStringLiteral("off 300-600"));
    QCOMPARE(span(600), QStringLiteral("on 600-800"));
    QCOMPARE(span(800), QStringLiteral("on 600-800"));
    QCOMPARE(span(801), QStringLiteral("off 800-900"));
    QCOMPARE(span(1400), QStringLiteral("on 900--1")); // still on
}

void TestTimeline::noiseRule_data() {
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("mask1"); // modules 1 and 2 after the baseline (all off)
    QTest::addColumn<int>("mask2");
    QTest::addColumn<int>("noise");
    QTest::newRow("7 inputs over two modules") << 8 << 0x000f << 0x0007 << 0;
    QTest::newRow("8 inputs over two modules") << 8 << 0x000f << 0x000f << 1;
    QTest::newRow("9 inputs over two modules") << 8 << 0x00ff << 0x0001 << 1;
    QTest::newRow("8 inputs in one module") << 8 << 0x00ff << 0 << 0;
    QTest::newRow("16 inputs in one module") << 8 << 0xffff << 0 << 0;
    QTest::newRow("32 inputs over two modules") << 8 << 0xffff << 0xffff << 1;
    QTest::newRow("rule of 3: 2 inputs") << 3 << 1 << 1 << 0;
    QTest::newRow("rule of 3: 3 inputs") << 3 << 1 << 3 << 1;
}

void TestTimeline::noiseRule() {
    QFETCH(int, rule);
    QFETCH(int, mask1);
    QFETCH(int, mask2);
    QFETCH(int, noise);
    // A module's first report states its inputs: all 32 on at once there is no noise.
    const Script script{{0, {{1, 0xffff}, {2, 0xffff}}},
                        {100, {{1, 0}, {2, 0}}},
                        {200, {{1, 0}, {2, 0}}},
                        {300, {{1, mask1}, {2, mask2}}},
                        {400, {{1, mask1}, {2, mask2}}}};
    const QByteArray data = recordingOf(script, 1000);
    recording::Reader reader(data);
    PlaybackRun run(reader);
    NoiseRule r;
    r.inputs = rule;
    run.history().setNoiseRule(r);
    QVERIFY(run.run());
    const ChangeHistory& h = run.history();
    // The switch-off of all 32 at 100 is noise by every rule here.
    QCOMPARE(h.bursts().noise, quint64(1 + noise));
    QCOMPARE(int(h.marks().size()), 1 + noise);
    QCOMPARE(h.marks().front().timeMs, 100);
    QCOMPARE(h.marks().front().inputs, 32);
    if (noise) {
        const BurstMark& m = h.marks().back();
        QCOMPARE(m.timeMs, 300);
        QCOMPARE(m.inputs, qPopulationCount(quint32(mask1)) + qPopulationCount(quint32(mask2)));
        QCOMPARE(m.modules, 2);
        QVERIFY(m.noise);
        QVERIFY(!m.givenUp);
    }
    timeline::Model model;
    model.build(h, 200, 1000, 1000);
    QCOMPARE(int(model.marks().size()), noise);
}

void TestTimeline::givenUpBurst() {
    // At 300 a burst announces three reports and sends two: given up, and noise as well.
    const Script script{{0, {{1, 0}, {2, 0}}},
                        {100, {{1, 1}}, true},
                        {1000, {{1, 0xff}, {2, 0xff}}, true},
                        {2000, {{1, 0}, {2, 0}}}};
    const QByteArray data = recordingOf(script, 3000);
    recording::Reader reader(data);
    PlaybackRun run(reader);
    QVERIFY(run.run());
    const ChangeHistory& h = run.history();
    QCOMPARE(h.bursts().givenUp, quint64(2));
    QCOMPARE(h.bursts().noise, quint64(2));
    QCOMPARE(int(h.marks().size()), 3);
    const BurstMark& first = h.marks()[0];
    QVERIFY(first.givenUp && !first.noise);
    QCOMPARE(first.inputs, 1);
    // Given up after half a second of silence.
    QCOMPARE(first.timeMs, 600);
    const BurstMark& second = h.marks()[1];
    QVERIFY(second.givenUp && second.noise);
    QCOMPARE(second.inputs, 15);
    timeline::Model model;
    model.build(h, 0, 1200, 3000);
    QCOMPARE(int(model.marks().size()), 1);
    model.build(h, 0, 3000, 3000);
    QCOMPARE(int(model.marks().size()), 3);
}

// A small recording drawn with 2 ms a pixel: colours at chosen points of known bars and marks.
void TestTimeline::pictureShowsKnownBars() {
    const Script script{{0, {{1, 0}, {2, 0}}},
                        {100, {{1, 0x0001}, {2, 0}}},        // input 1 on
                        {300, {{1, 0}, {2, 0}}},             // input 1 off
                        {400, {{1, 0x0004}, {2, 0}}},        // input 3 on
                        {410, {{1, 0}, {2, 0}}},             // a 10 ms pulse: unstable
                        {500, {{1, 0}, {2, 0x0001}}},        // input 17 on, and stays on
                        {1000, {{1, 0}}, true},              // given up at 1500
                        {1600, {{1, 0x0ff0}, {2, 0x0003}}}}; // 9 inputs in 2 modules: noise
    const QByteArray data = recordingOf(script, 2000);
    recording::Reader reader(data);
    PlaybackRun run(reader);
    QVERIFY(run.run());
    timeline::Model model;
    model.build(run.history(), 0, 2000, 2000);
    QCOMPARE(shape(model).left(30), QStringLiteral("1:100-300 3!:400-410 5:1600-20"));
    names::Names names;
    names.setName(1, QStringLiteral("Blok 3 øst"));
    timeline::Layout layout;
    layout.labelWidth = 100;
    layout.rowHeight = 16;
    layout.scaleHeight = 20;
    const QImage image = timeline::render(model, names, QDateTime::currentDateTime(), 1100, layout);
    QCOMPARE(image.width(), 1100);
    // Rows 1, 3, 5..12, 17, 18: twelve rows under the scale.
    QCOMPARE(image.height(), 20 + 12 * 16 + 4);
    const auto at = [&](int timeMs, int row) {
        return image.pixelColor(100 + timeMs / 2, 20 + row * 16 + 8);
    };
    const QColor green(0, 255, 0), amber(255, 160, 0), red(220, 0, 0), grey(128, 128, 128);
    QCOMPARE(at(102, 0), green); // input 1 from 100
    QCOMPARE(at(200, 0), green);
    QCOMPARE(at(296, 0), green); // to 300
    QVERIFY(at(304, 0) != green);
    QVERIFY(at(96, 0) != green);
    QCOMPARE(at(404, 1), green); // a 10 ms pulse is five pixels
    QVERIFY(at(420, 1) != green);
    QCOMPARE(at(700, 1), QColor(255, 236, 200));        // the unstable row's ground
    QCOMPARE(image.pixelColor(98, 20 + 16 + 8), amber); // its label
    QVERIFY(image.pixelColor(98, 20 + 8) != amber);
    QCOMPARE(at(504, 10), green); // input 17 on to the present, at the right edge
    QCOMPARE(at(1996, 10), green);
    QVERIFY(at(496, 10) != green);
    QCOMPARE(at(1500, 3), grey); // the given-up burst
    QCOMPARE(at(1500, 11), grey);
    QCOMPARE(at(1600, 0), red); // the noise burst, across every row
    QCOMPARE(at(1600, 11), red);
    QVERIFY(at(1604, 0) != red);
}

// --timeline on a recording file, with no display: the picture has the known bars where they
// belong, 2 ms to a pixel right of a 180-pixel label column, 16-pixel rows under a 20-pixel scale.
void TestTimeline::commandLinePicture() {
    const Script script{{0, {{1, 0}, {2, 0}}},
                        {1100, {{1, 0x0001}, {2, 0}}},       // input 1 on
                        {1300, {{1, 0}, {2, 0}}},            // input 1 off
                        {1500, {{1, 0}, {2, 0x0001}}},       // input 17 on, and stays on
                        {2600, {{1, 0x0ff0}, {2, 0x0003}}}}; // 9 inputs in 2 modules: noise
    QTemporaryDir dir;
    const QString rec = dir.filePath(QStringLiteral("r.s88"));
    const QString png = dir.filePath(QStringLiteral("t.png"));
    const QString names = dir.filePath(QStringLiteral("n.csv"));
    QVERIFY(writeFile(rec, recordingOf(script, 4000)));
    QVERIFY(writeFile(names, "1,Blok 3 øst\n0,bad\n"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(S88MONITOR),
            {"--timeline", rec, "--png", png, "--from", "1", "--to", "3.04", "--names", names});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardError().contains("line 2: the input is outside 1..160"));
    QImage image(png);
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), 1200);
    // Rows 1, 5..12, 17, 18.
    QCOMPARE(image.height(), 20 + 11 * 16 + 4);
    const auto at = [&](int timeMs, int row) {
        return image.pixelColor(180 + (timeMs - 1000) / 2, 20 + row * 16 + 8);
    };
    const QColor green(0, 255, 0), red(220, 0, 0);
    QCOMPARE(at(1102, 0), green);
    QCOMPARE(at(1296, 0), green);
    QVERIFY(at(1096, 0) != green);
    QVERIFY(at(1304, 0) != green);
    QVERIFY(at(1504, 9) == green); // input 17 to the view's right edge
    QCOMPARE(at(3036, 9), green);
    QVERIFY(at(1496, 9) != green);
    QCOMPARE(at(2600, 0), red);
    QCOMPARE(at(2600, 10), red);
    QVERIFY(at(2604, 5) != red);

    // A view after the recording's end, and a file that is no recording, are refused.
    p.start(QStringLiteral(S88MONITOR), {"--timeline", rec, "--png", png, "--from", "5"});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("past the recording's end"));
    p.start(QStringLiteral(S88MONITOR), {"--timeline", names, "--png", png});
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("not a recording"));
}

QTEST_MAIN(TestTimeline)
#include "test_timeline.moc"
