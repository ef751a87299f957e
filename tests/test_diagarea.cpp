// The diagnostics area on a real pseudo terminal: markers and tooltips of unstable inputs,
// the module check, and "Gem CSV…" against the command line's --history of a recording.

#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "diag/nameswindow.h"
#include "diag/timelinewindow.h"
#include "history/changehistory.h"
#include "panel/lamp.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
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
    void init();
    void filter_data();
    void filter();
    void unstableInput_data();
    void unstableInput();
    void moduleCheck_data();
    void moduleCheck();
    void csvMatchesHistoryReport();
    void unwritableFiles();
    void timelineAndNames();
};

void TestDiagArea::init() {
    PtyPair probe;
    if (!probe.isValid())
        QSKIP("no pseudo terminals here");
}

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

void TestDiagArea::unstableInput_data() {
    QTest::addColumn<int>("flips");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("marked");

    QTest::newRow("chattering: short pulses, many changes") << 6 << 25 << true;
    QTest::newRow("steady: two long changes") << 2 << 300 << false;
}

void TestDiagArea::unstableInput() {
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
    QTest::addColumn<QStringList>("counts"); // Left, Mid, Right as sent with Indsæt (s)
    QTest::addColumn<QList<int>>("reported");
    QTest::addColumn<QString>("expected");

    QTest::newRow("module 4 missing from the bursts")
        << QStringList{"2", "1", "1"} << QList<int>{1, 2, 3}
        << "Modulantal 4, meldt 3 · mangler 4 · uændret 2-3";
    QTest::newRow("a module not counted") << QStringList{"2", "0", "0"} << QList<int>{1, 2, 5}
                                          << "Modulantal 2, meldt 3 · ukendt 5 · uændret 2, 5";
    QTest::newRow("all there") << QStringList{"1", "1", "0"} << QList<int>{1, 2}
                               << "Modulantal 2, meldt 2 · uændret 2";
}

void TestDiagArea::moduleCheck() {
    QFETCH(QStringList, counts);
    QFETCH(QList<int>, reported);
    QFETCH(QString, expected);

    PtyRig t;
    t.rig.start();
    t.rig.c().Text1->setText(counts[0]);
    t.rig.c().Text2->setText(counts[1]);
    t.rig.c().Text3->setText(counts[2]);
    t.rig.c().Command1->click();
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
    QTRY_COMPARE(t.history().bursts().strayBytes, quint64(2));
    t.diag().tick();
    const QString line = t.diag().moduleCheckText();
    QVERIFY2(line.startsWith(expected + QStringLiteral(" · ")), qPrintable(line));
    QVERIFY2(line.endsWith(QStringLiteral(" burst/s · støj 0 · afbrudt 0 · løse byte 2")),
             qPrintable(line));
}

void TestDiagArea::csvMatchesHistoryReport() {
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

// The names file read at start with its bad line told once; the timeline window over a noise
// burst and a bar; a name set in the names table and saved.
void TestDiagArea::timelineAndNames() {
    const QString path = names::defaultPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Gone again however the test ends, so no other test meets it.
    const auto remove = qScopeGuard([&] { QFile::remove(path); });
    QVERIFY(writeFile(path, "input,name\n73,Blok 3 øst\n161,for langt\n"));
    PtyRig t;
    QTRY_COMPARE(t.rig.messages.shown.size(), 1);
    QVERIFY2(t.rig.messages.shown[0].contains(QStringLiteral("linje 3: indgangen er uden for")),
             qPrintable(t.rig.messages.shown[0]));
    QCOMPARE(t.diag().names().name(73), QStringLiteral("Blok 3 øst"));
    QCOMPARE(t.diag().markers().toolTip(73),
             QStringLiteral("Indgang 73: modul 5, kontakt 9\nBlok 3 øst\nIngen skift"));
    QCOMPARE(t.diag().markers().toolTip(72),
             QStringLiteral("Indgang 72: modul 5, kontakt 8\nIngen skift"));
    t.rig.start();
    // Inputs 1 and 17 on, then ten over both modules at once: one noise burst.
    QVERIFY(t.play({burst({{1, 0, 0}, {2, 0, 0}}), burst({{1, 0, 1}, {2, 0, 1}}),
                    burst({{1, 0, 0x3f}, {2, 0, 0x1e}})},
                   50));
    t.diag().tick();
    QVERIFY2(t.diag().moduleCheckText().contains(QStringLiteral("støj 1")),
             qPrintable(t.diag().moduleCheckText()));

    TimelineWindow& w = t.diag().openTimeline();
    TimelineView& view = w.view();
    QVERIFY(view.following());
    view.setSpanMs(99);
    QCOMPARE(view.spanMs(), 100);
    view.setSpanMs(3'600'001);
    QCOMPARE(view.spanMs(), 3'600'000);
    view.setSpanMs(10'000);
    QCOMPARE(view.spanMs(), 10'000);
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    view.resize(800, 300);
    view.repaint();
    QCOMPARE(view.rowCount(), 11); // 1..6, 17..21
    QCOMPARE(int(view.model().marks().size()), 1);
    const timeline::Row* row = view.model().row(2);
    QVERIFY(row);
    QCOMPARE(int(row->bars.size()), 1);
    QVERIFY(row->bars[0].openEnd);
    // Input 2 on from its bar's start to the present: green at the right edge of its row.
    const QImage picture = view.picture();
    QCOMPARE(picture.pixelColor(picture.width() - 3, 20 + 1 * 16 + 8), QColor(0, 255, 0));
    QTemporaryDir dir;
    QVERIFY(w.savePicture(dir.filePath(QStringLiteral("t.png"))));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("t.png"))).size(), view.size());
    QVERIFY(!w.savePicture(QStringLiteral("/nonexistent-folder/t.png")));
    QCOMPARE(t.rig.messages.shown.size(), 2);

    NamesWindow& n = t.diag().openNames();
    QCOMPARE(n.table().rowCount(), 160);
    QCOMPARE(n.table().item(72, 1)->text(), QStringLiteral("5.9"));
    QCOMPARE(n.table().item(72, 2)->text(), QStringLiteral("Blok 3 øst"));
    n.table().item(11, 2)->setText(QStringLiteral("  Skyggebanegård spor 2 "));
    QCOMPARE(t.diag().names().name(12), QStringLiteral("Skyggebanegård spor 2"));
    n.table().item(12, 2)->setText(QString(41, u'x'));
    QCOMPARE(t.rig.messages.shown.size(), 3);
    QCOMPARE(t.diag().names().name(13), QString());
    QCOMPARE(n.table().item(12, 2)->text(), QString());
    QVERIFY(n.save());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("input,name\n12,Skyggebanegård spor 2\n73,Blok 3 øst\n"));
    QVERIFY(n.exportTo(dir.filePath(QStringLiteral("n.csv"))));
    // Gem CSV… with names: the name column last.
    QVERIFY(t.diag().saveCsv(dir.filePath(QStringLiteral("h.csv"))));
    QFile history(dir.filePath(QStringLiteral("h.csv")));
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = history.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray("time_ms,input,module,contact,state,since_ms,name"));
    QVERIFY2(lines[1].endsWith(",1,1,1,1,,"), lines[1].constData());
    QCOMPARE(lines.size(), 2 + 12);
    QVERIFY(n.importFrom(dir.filePath(QStringLiteral("n.csv"))));

    // A double-click on lamp 40 opens the editor; OK keeps the name and saves the file.
    QTest::mouseDClick(t.rig.c().Lampe[39], Qt::LeftButton);
    auto* opened = t.rig.form.findChild<QInputDialog*>();
    QVERIFY(opened && opened->isVisible());
    QInputDialog& editor = *opened;
    QCOMPARE(editor.labelText(), QStringLiteral("Indgang 40 (modul 3, kontakt 8)"));
    editor.setTextValue(QStringLiteral("Sporskifte 4, venstre"));
    editor.accept();
    QCOMPARE(t.diag().names().name(40), QStringLiteral("Sporskifte 4, venstre"));
    QCOMPARE(n.table().item(39, 2)->text(), QStringLiteral("Sporskifte 4, venstre"));
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    QVERIFY(again.readAll().contains("40,\"Sporskifte 4, venstre\"\n"));
    QCOMPARE(t.rig.messages.shown.size(), 3);
}

QTEST_MAIN(TestDiagArea)
#include "test_diagarea.moc"
