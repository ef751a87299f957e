// The diagnostics area on a real pseudo terminal: markers and tooltips of unstable inputs,
// the module check, and "Gem CSV…" against the command line's --history of a recording.

#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "history/changehistory.h"
#include "panel/lamp.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

namespace {

constexpr int kPatienceMs = 5000;

// One burst: 'i', the count, then (module, inputs 9..16, inputs 1..8) per report.
QByteArray burst(const QList<std::array<int, 3>>& reports) {
    QByteArray b = bytes({105, int(reports.size())});
    for (const auto& r : reports)
        b += bytes({r[0], r[1], r[2]});
    return b;
}

struct PtyRig {
    PtyPair pty;
    WindowRig rig{[this](int port) { return port == 1 ? pty.devicePath() : QString(); }};
    DiagArea& diag() { return rig.form.diagnostics(); }
    ChangeHistory& history() { return rig.form.history(); }
    // Sends the bursts `pauseMs` apart and waits until the window has taken them all.
    bool play(const QList<QByteArray>& bursts, int pauseMs) {
        const quint64 before = history().bursts().complete;
        for (const QByteArray& b : bursts) {
            if (!pty.write(b))
                return false;
            QTest::qWait(pauseMs);
        }
        return QTest::qWaitFor(
            [&] { return history().bursts().complete == before + quint64(bursts.size()); },
            kPatienceMs);
    }
};

// The fields of a --history line that do not depend on where time 0 lies.
QList<QByteArrayList> changes(const QByteArray& csv) {
    QList<QByteArrayList> rows;
    for (const QByteArray& line : csv.split('\n').mid(1)) {
        if (!line.isEmpty())
            rows << line.split(',').mid(1);
    }
    return rows;
}

} // namespace

class TestDiagArea : public QObject {
    Q_OBJECT

private slots:
    void filter_data();
    void filter();
    void listKeepsRowsInSight_data();
    void listKeepsRowsInSight();
    void unstableInput_data();
    void unstableInput();
    void moduleCheck_data();
    void moduleCheck();
    void burstRate_data();
    void burstRate();
    void csvMatchesHistoryReport();
    void unwritableFiles();
};

void TestDiagArea::filter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("inputs"); // first, last and count; empty: not a filter

    QTest::newRow("empty shows all") << "" << QList<int>{1, 200, 200};
    QTest::newRow("input") << "73" << QList<int>{73, 73, 1};
    QTest::newRow("range") << "33-48" << QList<int>{33, 48, 16};
    QTest::newRow("module") << "m5" << QList<int>{65, 80, 16};
    QTest::newRow("last module is cut at 200") << "M13" << QList<int>{193, 200, 8};
    QTest::newRow("modules and an input") << "m1-2, 200" << QList<int>{1, 200, 33};
    QTest::newRow("input 0") << "0" << QList<int>{};
    QTest::newRow("past 200") << "201" << QList<int>{};
    QTest::newRow("range backwards") << "48-33" << QList<int>{};
    QTest::newRow("module 14") << "m14" << QList<int>{};
    QTest::newRow("word") << "fem" << QList<int>{};
    QTest::newRow("open range") << "33-" << QList<int>{};
}

void TestDiagArea::filter() {
    QFETCH(QString, text);
    QFETCH(QList<int>, inputs);
    const std::optional<HistoryFilter> f = HistoryFilter::parse(text);
    QCOMPARE(f.has_value(), !inputs.isEmpty());
    if (!f)
        return;
    QList<int> accepted;
    for (int n = 0; n <= FormState::kLastInput + 1; ++n) {
        if (n >= 1 && n <= FormState::kLastInput && f->accepts(n))
            accepted << n;
    }
    QCOMPARE((QList<int>{accepted.first(), accepted.last(), int(accepted.size())}), inputs);
}

void TestDiagArea::listKeepsRowsInSight_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("scrolled"); // rows down from the newest
    QTest::addColumn<int>("topAfter"); // the input of the top row once 10 more arrived

    // Inputs 1..50 changed in order, then 51..60.
    QTest::newRow("at the top: follows the newest") << "" << 0 << 60;
    QTest::newRow("1 row down: stays") << "" << 1 << 49;
    QTest::newRow("5 rows down: stays") << "" << 5 << 45;
    QTest::newRow("filtered, 1 row down: stays") << "1-200" << 1 << 49;
    QTest::newRow("filtered, 5 rows down: stays") << "1-200" << 5 << 45;
    QTest::newRow("filtered, none of the new shown") << "1-50" << 5 << 45;
}

// Scrolled down, the list keeps the rows in sight while changes arrive above them.
void TestDiagArea::listKeepsRowsInSight() {
    QFETCH(QString, filter);
    QFETCH(int, scrolled);
    QFETCH(int, topAfter);
    FormState state;
    ScriptedSerialControl clock;
    ChangeHistory history(state, clock);
    const auto change = [&](int from, int to) {
        for (int n = from; n <= to; ++n) {
            state.InputState[std::size_t(n)] = true;
            history.reportDecoded(qint16((n - 1) / 16 + 1));
            history.burstEnded(true);
        }
    };
    FrameGate gate;
    HistoryList list(history);
    gate.add(list);
    list.resize(262, 137);
    list.show();
    QVERIFY(list.setFilter(filter));
    change(1, 50);
    list.historyChanged();
    QTRY_COMPARE(list.rowCount(), 50);
    list.verticalScrollBar()->setValue(scrolled);
    QCOMPARE(list.verticalScrollBar()->value(), scrolled);
    QCOMPARE(int(list.eventAt(scrolled).input), 50 - scrolled);

    change(51, 60);
    list.historyChanged();
    const int rows = filter == u"1-50" ? 50 : 60;
    QTRY_COMPARE(list.rowCount(), rows);
    QTRY_COMPARE(int(list.eventAt(list.verticalScrollBar()->value()).input), topAfter);
    QCOMPARE(list.verticalScrollBar()->value(), scrolled == 0 ? 0 : scrolled + rows - 50);
}

void TestDiagArea::unstableInput_data() {
    QTest::addColumn<int>("flips");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("marked");

    QTest::newRow("chattering: short pulses, many changes") << 6 << 25 << true;
    QTest::newRow("steady: two long changes") << 2 << 300 << false;
}

void TestDiagArea::unstableInput() {
    SKIP_WITHOUT_PTYS();
    QFETCH(int, flips);
    QFETCH(int, pauseMs);
    QFETCH(bool, marked);

    PtyRig t;
    t.rig.start();
    // Input 73 is module 5, contact 9: bit 0 of the high byte.
    QList<QByteArray> bursts;
    for (int i = 0; i < flips; ++i)
        bursts << burst({{5, (i + 1) % 2, 0}});
    QVERIFY(t.play(bursts, pauseMs));
    const InputStats& s = t.history().input(73);
    QCOMPARE(s.changes, quint64(flips));
    QTRY_COMPARE(t.diag().markers().isMarked(73), marked);
    QCOMPARE(t.diag().markers().markedCount(), marked ? 1 : 0);

    // The tooltip the lamp shows on hovering.
    Lamp* lamp = t.rig.c().Lampe[72];
    QHelpEvent hover(QEvent::ToolTip, QPoint(8, 8), lamp->mapToGlobal(QPoint(8, 8)));
    QApplication::sendEvent(lamp, &hover);
    const QString tip = QToolTip::text();
    QVERIFY2(tip.startsWith(QStringLiteral("Indgang 73: modul 5, kontakt 9\nSkift: %1\n"
                                           "Korteste puls: %2, pause: %3\nSidste skift: ")
                                .arg(flips)
                                .arg(LampMarkers::msText(s.shortestActiveMs),
                                     LampMarkers::msText(s.shortestInactiveMs))),
             qPrintable(tip));
    QCOMPARE(tip.contains(QStringLiteral("Ustabil: kort puls")), marked);
    QTRY_COMPARE(t.diag().list().rowCount(), flips);
    QCOMPARE(t.diag().list().eventAt(0).active, flips % 2 == 1);

    // "Ryd" takes the list and the marker, never the lamps.
    const QList<int> green = greenLamps(t.rig.form);
    t.diag().clearButton().click();
    QTRY_VERIFY(!t.diag().markers().isMarked(73));
    QTRY_COMPARE(t.diag().list().rowCount(), 0);
    QCOMPARE(greenLamps(t.rig.form), green);
}

void TestDiagArea::moduleCheck_data() {
    QTest::addColumn<QStringList>("loaded"); // Left, Mid, Right as stored at start; null: none
    QTest::addColumn<QStringList>("counts"); // Left, Mid, Right as sent with Indsæt (s)
    QTest::addColumn<QList<int>>("reported");
    QTest::addColumn<QString>("expected");

    QTest::newRow("module 4 missing from the bursts")
        << QStringList{} << QStringList{"2", "1", "1"} << QList<int>{1, 2, 3}
        << "Modulantal 4, meldt 3 · mangler 4 · uændret 2-3";
    QTest::newRow("a module not counted")
        << QStringList{} << QStringList{"2", "0", "0"} << QList<int>{1, 2, 5}
        << "Modulantal 2, meldt 3 · ukendt 5 · uændret 2, 5";
    QTest::newRow("all there") << QStringList{} << QStringList{"1", "1", "0"} << QList<int>{1, 2}
                               << "Modulantal 2, meldt 2 · uændret 2";
    QTest::newRow("no counts loaded or sent") << QStringList{} << QStringList{} << QList<int>{1, 2}
                                              << "Modulantal ?, meldt 2 · uændret 2";
    QTest::newRow("counts loaded at start")
        << QStringList{"1", "1", "0"} << QStringList{} << QList<int>{1, 2}
        << "Modulantal 2, meldt 2 · uændret 2";
    QTest::newRow("only Left loaded at start")
        << QStringList{"2", QString(), QString()} << QStringList{} << QList<int>{1, 2}
        << "Modulantal ?, meldt 2 · uændret 2";
}

void TestDiagArea::moduleCheck() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, counts);
    QFETCH(QList<int>, reported);
    QFETCH(QString, expected);

    PtyRig t;
    if (!loaded.isEmpty()) {
        for (int i = 0; i < 3; ++i) {
            if (!loaded[i].isNull())
                t.rig.settings.values[fixed::countKey(fixed::kSections[i])] = loaded[i];
        }
        t.rig.form.Form_Load();
        t.rig.messages.shown.clear(); // the reminders for counts not stored
    }
    t.rig.start();
    if (!counts.isEmpty()) {
        t.rig.c().Text1->setText(counts[0]);
        t.rig.c().Text2->setText(counts[1]);
        t.rig.c().Text3->setText(counts[2]);
        t.rig.c().Command1->click();
    }
    QVERIFY2(t.rig.messages.shown.isEmpty(), qPrintable(t.rig.messages.shown.join(u'|')));
    // Module 1 switches input 1 on and off; the others report nothing active.
    QList<QByteArray> bursts;
    for (int low : {1, 0}) {
        QList<std::array<int, 3>> reports;
        for (int m : reported)
            reports << std::array<int, 3>{m, 0, m == 1 ? low : 0};
        bursts << burst(reports);
    }
    QVERIFY(t.play(bursts, 20));
    QVERIFY(t.pty.write(bytes({7, 9}))); // stray bytes between bursts
    const quint64 written = quint64(bursts[0].size() + bursts[1].size() + 2);
    QTRY_COMPARE(t.rig.serial.charactersTaken(), written);
    QCOMPARE(t.history().bursts().strayBytes, quint64(2));
    t.diag().tick();
    const QString line = t.diag().moduleCheckText();
    QVERIFY2(line.startsWith(expected + QStringLiteral(" · ")), qPrintable(line));
    QVERIFY2(line.endsWith(QStringLiteral(" burst/s · afbrudt 0 · løse byte 2")), qPrintable(line));
}

void TestDiagArea::burstRate_data() {
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<double>("least");
    QTest::addColumn<double>("most");

    // A second holds one burst more or less depending on where its ends fall.
    QTest::newRow("10 bursts a second") << 100 << 9.0 << 11.0;
    QTest::newRow("5 bursts a second") << 200 << 4.0 << 6.0;
}

// The line shows the bursts of the last second.
void TestDiagArea::burstRate() {
    SKIP_WITHOUT_PTYS();
    QFETCH(int, pauseMs);
    QFETCH(double, least);
    QFETCH(double, most);
    PtyRig t;
    t.rig.start();
    QList<QByteArray> bursts;
    for (int i = 0; i < 3000 / pauseMs; ++i)
        bursts << burst({{1, 0, i % 2}});
    Feeder feeder(t.pty, bursts, std::chrono::milliseconds(pauseMs));
    // By now the line was brought up to date at least once over a second of the stream.
    QTest::qWait(2500);
    const QString line = t.diag().moduleCheckText();
    QVERIFY(!feeder.done());
    static const QRegularExpression rate(QStringLiteral(" · (\\d+(?:,\\d)?) burst/s · "));
    const QRegularExpressionMatch m = rate.match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    const double shown = m.captured(1).replace(u',', u'.').toDouble();
    QVERIFY2(shown >= least && shown <= most, qPrintable(line));
    QTRY_VERIFY(feeder.done());
    QVERIFY(!feeder.failed());
}

void TestDiagArea::csvMatchesHistoryReport() {
    SKIP_WITHOUT_PTYS();
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("trafik.s88rec"));
    const QString saved = dir.filePath(QStringLiteral("skift.csv"));
    {
        PtyRig t;
        t.diag().setFileChooser([&](const QString&, const QString&) { return recording; });
        t.rig.start();
        t.diag().recordButton().click();
        QVERIFY(t.diag().recordButton().isChecked());
        QVERIFY(t.diag().recordingText().endsWith(QStringLiteral(" B")));
        QList<QByteArray> bursts;
        for (int i = 0; i < 8; ++i)
            bursts << burst({{1, i, 255 - i * 3}, {5, i % 2, 0}, {12, 0, i * 7}});
        QVERIFY(t.play(bursts, 15));
        t.diag().recordButton().click();
        QVERIFY(!t.diag().recordButton().isChecked());
        QVERIFY(t.diag().recordingText().isEmpty());
        QVERIFY(t.diag().saveCsv(saved));
        QVERIFY(t.rig.messages.shown.isEmpty());
    }
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray window = file.readAll();

    QProcess report;
    report.start(QStringLiteral(S88MONITOR), {QStringLiteral("--history"), recording});
    QVERIFY(report.waitForFinished(20000));
    QCOMPARE(report.exitCode(), 0);
    const QByteArray command = report.readAllStandardOutput();
    QVERIFY(window.startsWith("time_ms,input,module,contact,state,since_ms\n"));
    QVERIFY(command.startsWith("time_ms,input,module,contact,state,since_ms\n"));
    // The window counts time from its start, the recording from its own: the changes, in
    // order, with module, contact, state and time since the previous change, are the same.
    const QList<QByteArrayList> fromWindow = changes(window);
    const QList<QByteArrayList> fromCommand = changes(command);
    QVERIFY(fromWindow.size() > 40);
    QCOMPARE(fromWindow.size(), fromCommand.size());
    for (qsizetype i = 0; i < fromWindow.size(); ++i) {
        QCOMPARE(fromWindow[i].mid(0, 4), fromCommand[i].mid(0, 4));
        QVERIFY(qAbs(fromWindow[i][4].toInt() - fromCommand[i][4].toInt()) <= 2);
    }
}

void TestDiagArea::unwritableFiles() {
    SKIP_WITHOUT_PTYS();
    PtyRig t;
    const QString nowhere = QStringLiteral("/nonexistent-folder/skift.csv");
    QVERIFY(!t.diag().saveCsv(nowhere));
    QVERIFY(!t.diag().startRecording(QStringLiteral("/nonexistent-folder/trafik.s88rec")));
    QVERIFY(!t.diag().recordButton().isChecked());
    QCOMPARE(t.rig.messages.shown.size(), 2);
    QVERIFY(t.rig.messages.shown[0].startsWith(QStringLiteral("Kan ikke gemme skift.csv: ")));
    QVERIFY(
        t.rig.messages.shown[1].startsWith(QStringLiteral("Kan ikke optage i trafik.s88rec: ")));
}

QTEST_MAIN(TestDiagArea)
#include "test_diagarea.moc"
