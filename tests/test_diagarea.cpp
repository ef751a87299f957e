// The diagnostics area on a real pseudo terminal: markers and tooltips of unstable inputs,
// the module check, and "Gem CSV…" against the command line's --history of a recording.

#include "app/layout.h"
#include "diag/diagarea.h"
#include "diag/historylist.h"
#include "diag/historywindow.h"
#include "diag/nameswindow.h"
#include "diag/statuslabel.h"
#include "diag/timelinewindow.h"
#include "diag/viewdialog.h"
#include "history/changehistory.h"
#include "history/portwatch.h"
#include "panel/lamp.h"
#include "sim/virtualmodule.h"
#include "state/settingsstore.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHelpEvent>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

// The contrast of two greys, as the accessibility guidelines reckon it (1 to 21).
double contrast(int a, int b) {
    const auto luminance = [](int grey) {
        const double c = grey / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The darkest grey drawn in a check box's caption, as it is on the screen.
int darkestCaptionGrey(QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    const QRect caption = box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
    const QImage image = box.grab().toImage();
    const qreal scale = image.devicePixelRatio();
    int darkest = 255;
    for (int y = int(caption.top() * scale); y < int((caption.bottom() + 1) * scale); ++y)
        for (int x = int(caption.left() * scale); x < int((caption.right() + 1) * scale); ++x)
            if (image.rect().contains(x, y))
                darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

constexpr int kPatienceMs = 5000;

// One burst: 'i', the count, then (module, inputs 9..16, inputs 1..8) per report.
QByteArray burst(const QList<std::array<int, 3>>& reports) {
    QByteArray b = bytes({105, int(reports.size())});
    for (const auto& r : reports)
        b += bytes({r[0], r[1], r[2]});
    return b;
}

// Two bursts from the modules `reported`: module 1 switches input 1 on, then off; the others
// report nothing active.
QList<QByteArray> inputOneOnAndOff(const QList<int>& reported) {
    QList<QByteArray> bursts;
    for (int low : {1, 0}) {
        QList<std::array<int, 3>> reports;
        for (int m : reported)
            reports << std::array<int, 3>{m, 0, m == 1 ? low : 0};
        bursts << burst(reports);
    }
    return bursts;
}

struct PtyRig {
    // `load`: loaded at once, with nothing stored; otherwise the test loads it.
    explicit PtyRig(bool load = true)
        : rig([this](int port) { return port == 1 ? pty.devicePath() : QString(); },
              RigSetup{.store = &stored, .load = load}) {}
    PtyPair pty;
    MemorySettings stored; // what a session before this one left
    WindowRig rig;
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
    void statusLineKeepsItsHeight_data();
    void statusLineKeepsItsHeight();
    void filter_data();
    void filter();
    void listKeepsRowsInSight_data();
    void listKeepsRowsInSight();
    void listRowsFollowTheLook_data();
    void listRowsFollowTheLook();
    void unstableInput_data();
    void unstableInput();
    void moduleCheck_data();
    void moduleCheck();
    void shortBurst_data();
    void shortBurst();
    void shortBurstOnVirtualModule();
    void burstRate_data();
    void burstRate();
    void countsNotSent_data();
    void countsNotSent();
    void portWatch_data();
    void portWatch();
    void silentPort_data();
    void silentPort();
    void csvMatchesHistoryReport();
    void csvSavesWhatTheListShows_data();
    void csvSavesWhatTheListShows();
    void unwritableFiles();
    void timelineAndNames();
    void fonts_data();
    void fonts();
    void placedInItsCorner();
    void buttons_data();
    void buttons();
    void mqttButtonAsks();
    void historyWindow();
    void stateColumn_data();
    void stateColumn();
    void viewChoices_data();
    void viewChoices();
    void viewChoicesNotWritable();
    void tabChain_data();
    void tabChain();
    void readAloudTellsWhy();
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
    ChangeHistory history([&clock] { return clock.clockMs(); });
    const auto change = [&](int from, int to) {
        for (int n = from; n <= to; ++n) {
            state.InputState[std::size_t(n)] = true;
            history.reportDecoded(reportOf(state, (n - 1) / 16 + 1, clock.clockMs()));
            history.burstEnded(true, clock.clockMs());
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

void TestDiagArea::listRowsFollowTheLook_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("a larger font") << "font";
    QTest::newRow("another background") << "palette";
    QTest::newRow("the module column shown") << "module";
    QTest::newRow("wider") << "width";
}

void TestDiagArea::listRowsFollowTheLook() {
    // Rows are pictures made once, from parts made once; a list whose look changed after it
    // drew its rows shows them as a list made with that look does.
    QFETCH(QString, change);
    FormState state;
    ScriptedSerialControl clock;
    ChangeHistory history([&clock] { return clock.clockMs(); });
    for (int n = 1; n <= 30; ++n) {
        state.InputState[std::size_t((n * 7) % 160 + 1)] = n % 3 != 0;
        history.reportDecoded(reportOf(state, (n * 7) % 160 / 16 + 1, clock.clockMs()));
        history.burstEnded(true, clock.clockMs());
    }
    QFont font;
    font.setPointSize(font.pointSize() + 3);
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(255, 255, 200));
    const auto look = [&](HistoryList& list) {
        if (change == u"font")
            list.setFont(font);
        else if (change == u"palette")
            list.setPalette(palette);
        else if (change == u"module")
            list.setModuleShown(true);
        else
            list.resize(360, 300);
    };
    FrameGate gate;
    HistoryList changed(history);
    HistoryList made(history);
    for (HistoryList* list : {&changed, &made}) {
        gate.add(*list);
        list->setModuleShown(false);
        list->resize(300, 300);
    }
    look(made);
    for (HistoryList* list : {&changed, &made}) {
        list->show();
        list->historyChanged();
    }
    QTRY_COMPARE(changed.rowCount(), 20);
    QTRY_COMPARE(made.rowCount(), 20);
    QTRY_VERIFY(changed.viewport()->grab().toImage() != made.viewport()->grab().toImage());
    look(changed);
    QTRY_COMPARE(changed.viewport()->grab().toImage(), made.viewport()->grab().toImage());
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
    QTest::addColumn<bool>("startAgain"); // Start pressed once more after the bursts

    QTest::newRow("module 4 missing from the bursts")
        << QStringList{} << QStringList{"2", "1", "1"} << QList<int>{1, 2, 3}
        << "Modulantal 4, meldt 3 · mangler 4 · uændret 2-3" << false;
    QTest::newRow("a module not counted")
        << QStringList{} << QStringList{"2", "0", "0"} << QList<int>{1, 2, 5}
        << "Modulantal 2, meldt 3 · ukendt 5 · uændret 2, 5" << false;
    QTest::newRow("all there") << QStringList{} << QStringList{"1", "1", "0"} << QList<int>{1, 2}
                               << "Modulantal 2, meldt 2 · uændret 2" << false;
    QTest::newRow("no counts loaded or sent") << QStringList{} << QStringList{} << QList<int>{1, 2}
                                              << "Modulantal ?, meldt 2 · uændret 2" << false;
    QTest::newRow("counts loaded at start")
        << QStringList{"1", "1", "0"} << QStringList{} << QList<int>{1, 2}
        << "Modulantal 2, meldt 2 · uændret 2" << false;
    QTest::newRow("only Left loaded at start")
        << QStringList{"2", QString(), QString()} << QStringList{} << QList<int>{1, 2}
        << "Modulantal ?, meldt 2 · uændret 2" << false;
    // "uændret" counts from the last Start: module 1's changes came before it.
    QTest::newRow("started again after the changes")
        << QStringList{} << QStringList{"1", "1", "0"} << QList<int>{1, 2}
        << "Modulantal 2, meldt 2 · uændret 1-2" << true;
}

void TestDiagArea::moduleCheck() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, counts);
    QFETCH(QList<int>, reported);
    QFETCH(QString, expected);
    QFETCH(bool, startAgain);

    PtyRig t;
    if (!loaded.isEmpty()) {
        for (int i = 0; i < 3; ++i) {
            if (!loaded[i].isNull())
                t.stored.values[fixed::countKey(fixed::kSections[i])] = loaded[i];
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
    const QList<QByteArray> bursts = inputOneOnAndOff(reported);
    QVERIFY(t.play(bursts, 20));
    QVERIFY(t.pty.write(bytes({7, 9}))); // stray bytes between bursts
    const quint64 written = quint64(bursts[0].size() + bursts[1].size() + 2);
    QTRY_COMPARE(t.rig.serial.charactersTaken(), written);
    QCOMPARE(t.history().bursts().strayBytes, quint64(2));
    if (startAgain)
        t.rig.c().Command3->click();
    t.diag().tick();
    const QString line = t.diag().moduleCheckText();
    QVERIFY2(line.startsWith(expected + QStringLiteral(" · ")), qPrintable(line));
    QVERIFY2(line.endsWith(QStringLiteral(" burst/s · støj 0 · afbrudt 0 · løse byte 2")),
             qPrintable(line));
}

void TestDiagArea::shortBurst_data() {
    QTest::addColumn<QList<QByteArray>>("bursts");
    QTest::addColumn<QList<int>>("counts"); // short bursts, lost bytes, stray bytes, complete
    QTest::addColumn<QString>("part");      // of the module check line; empty: none

    // Modules 1..3 are counted. After each stream a whole burst of module 1 closes it.
    QTest::newRow("module 2 left out, the next burst swallowed")
        << QList<QByteArray>{burst({{1, 0, 1}, {3, 0, 0}}).replace(1, 1, bytes({3})),
                             burst({{1, 0, 0}, {3, 0, 0}}).replace(1, 1, bytes({3}))}
        << QList<int>{1, 8, 0, 1} << "kort burst: modul 2 mangler i svaret (1)";
    QTest::newRow("modules 2 and 3 left out: the rest of the burst is the next one's")
        << QList<QByteArray>{burst({{1, 0, 1}}).replace(1, 1, bytes({3})),
                             burst({{1, 0, 0}, {2, 0, 0}, {3, 0, 0}})}
        << QList<int>{1, 11, 0, 1} << "kort burst: modul 2-3 mangler i svaret (1)";
    QTest::newRow("no report at all")
        << QList<QByteArray>{bytes({105, 2}), burst({{1, 0, 0}, {2, 0, 0}})}
        << QList<int>{1, 8, 0, 1} << "kort burst: modul 1-2 mangler i svaret (1)";
    QTest::newRow("modules not numbered from 1: not named")
        << QList<QByteArray>{burst({{5, 0, 1}}).replace(1, 1, bytes({2})),
                             burst({{5, 0, 0}, {6, 0, 0}})}
        << QList<int>{1, 8, 0, 1} << "kort burst: færre rapporter end meldt (1)";
    QTest::newRow("module byte 105 before a zero module: a module, not a burst start")
        << QList<QByteArray>{burst({{105, 1, 0}})} << QList<int>{0, 0, 0, 2} << "ukendt 105";
    QTest::newRow("whole bursts") << QList<QByteArray>{burst({{1, 0, 1}, {2, 0, 0}, {3, 0, 0}})}
                                  << QList<int>{0, 0, 0, 2} << "";
}

// A burst that announces more reports than it sends: the receive path takes the next burst's
// 'i' as a module number, as it always has; the diagnostics say what happened.
void TestDiagArea::shortBurst() {
    QFETCH(QList<QByteArray>, bursts);
    QFETCH(QList<int>, counts);
    QFETCH(QString, part);

    PtyRig t;
    t.rig.start();
    for (QLineEdit* box : {t.rig.c().Text1, t.rig.c().Text2, t.rig.c().Text3})
        box->setText(QStringLiteral("1"));
    t.rig.c().Command1->click();
    QVERIFY(t.pty.write(bursts.join() + burst({{1, 0, 0}})));
    QTRY_COMPARE(t.history().bursts().complete + t.history().bursts().shortBursts,
                 quint64(counts[0] + counts[3]));
    const BurstStats& b = t.history().bursts();
    QCOMPARE((QList<int>{int(b.shortBursts), int(b.lostBytes), int(b.strayBytes), int(b.complete)}),
             counts);
    QCOMPARE(b.givenUp, quint64(0));
    QCOMPARE(t.history().reports(105) > 0, part == u"ukendt 105");
    t.diag().tick();
    const QString line = t.diag().moduleCheckText();
    if (part.isEmpty())
        QVERIFY2(!line.contains(u"kort burst") && !line.contains(u"ukendt"), qPrintable(line));
    else
        QVERIFY2(line.contains(QStringLiteral(" · ") + part + QStringLiteral(" · ")),
                 qPrintable(line));
    if (part.contains(u"modul 2")) // named: not "mangler" as well
        QVERIFY2(!line.contains(u"mangler 2") && !line.contains(u"ukendt 105"), qPrintable(line));
}

// The virtual module with a report left out of every burst that announces it.
void TestDiagArea::shortBurstOnVirtualModule() {
    VirtualModule::Options options;
    QVERIFY(!options.faults.add(QStringLiteral("missing:2")));
    VirtualModule module(options);
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));
    WindowRig w([&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    w.c().Text1->setText(QStringLiteral("3"));
    w.c().Text2->setText(QStringLiteral("0"));
    w.c().Text3->setText(QStringLiteral("0"));
    w.start();
    w.c().Command1->click();
    ChangeHistory& history = w.form.history();
    QTRY_VERIFY_WITH_TIMEOUT(history.bursts().shortBursts >= 4, 10000);
    w.form.diagnostics().tick();
    const QString line = w.form.diagnostics().moduleCheckText();
    QVERIFY2(line.contains(QStringLiteral(" · kort burst: modul 2 mangler i svaret (")),
             qPrintable(line));
    QVERIFY2(!line.contains(u"ukendt") && !line.contains(u"mangler 2"), qPrintable(line));
    QCOMPARE(history.reports(105), quint64(0));
    QCOMPARE(history.bursts().givenUp, quint64(0));
    // Before the counts were sent the module sent empty bursts; after, every stray byte is
    // the tail of a burst lost behind a short one.
    QCOMPARE(history.bursts().strayBytes, quint64(0));
    // Each short burst loses the next: its first report's 3 bytes, then 5 stray ones.
    QTRY_VERIFY(history.bursts().lostBytes >= 4 * 8);
    // Short bursts are data: the port never reads as silent while they come, past the
    // watch's three seconds after the last complete burst.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < PortWatch::kSilentMs + 1000) {
        QTest::qWait(100);
        const QString now = w.form.diagnostics().checkLineText();
        QVERIFY2(!now.startsWith(QStringLiteral("Ingen data")), qPrintable(now));
    }
    QVERIFY2(w.form.diagnostics().checkLineText().contains(QStringLiteral("kort burst")),
             qPrintable(w.form.diagnostics().checkLineText()));
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

void TestDiagArea::countsNotSent_data() {
    QTest::addColumn<bool>("send"); // Indsæt (s) pressed in this session
    QTest::addColumn<QList<int>>("reported");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QList<int>>("veiled"); // modules whose lamps wear the veil

    QTest::newRow("stored, not sent, nothing reported")
        << false << QList<int>{} << "Modulantal 4, meldt 0 · Antal ikke sendt: tryk Indsæt (s)"
        << QList<int>{};
    QTest::newRow("stored, not sent, three reported")
        << false << QList<int>{1, 2, 3}
        << "Modulantal 4, meldt 3 · Antal ikke sendt: tryk Indsæt (s) · uændret 2-3"
        << QList<int>{};
    QTest::newRow("stored, not sent, all reported")
        << false << QList<int>{1, 2, 3, 4} << "Modulantal 4, meldt 4 · uændret 2-4" << QList<int>{};
    QTest::newRow("sent, module 4 silent")
        << true << QList<int>{1, 2, 3} << "Modulantal 4, meldt 3 · mangler 4 · uændret 2-3"
        << QList<int>{4};
    QTest::newRow("sent, modules 2 and 4 silent")
        << true << QList<int>{1, 3} << "Modulantal 4, meldt 2 · mangler 2, 4 · uændret 3"
        << QList<int>{2, 4};
    QTest::newRow("sent, all there")
        << true << QList<int>{1, 2, 3, 4} << "Modulantal 4, meldt 4 · uændret 2-4" << QList<int>{};
}

// The second start: the counts 2, 1, 1 come from the store, as always not sent until
// Indsæt (s). Until then no module is missing; once sent, a silent module is, and its lamps
// say so.
void TestDiagArea::countsNotSent() {
    QFETCH(bool, send);
    QFETCH(QList<int>, reported);
    QFETCH(QString, expected);
    QFETCH(QList<int>, veiled);

    PtyRig t(false);
    const QStringList counts{"2", "1", "1"};
    for (int i = 0; i < 3; ++i)
        t.stored.values[fixed::countKey(fixed::kSections[i])] = counts[i];
    t.rig.form.Form_Load();
    t.rig.messages.shown.clear();
    QCOMPARE(t.rig.c().Text1->text(), QStringLiteral("2"));
    t.rig.start();
    QVERIFY(t.pty.read(1, 200).isEmpty()); // Start sends nothing
    if (send) {
        t.rig.c().Command1->click();
        QCOMPARE(readSent(t.pty, 5, 2000), bytes({'s', 2, 1, 1, 13}));
    }
    if (reported.isEmpty()) {
        // Empty bursts, as a module sends while it knows of no module; each one ends when
        // the next one begins.
        for (int i = 0; i < 3; ++i)
            QVERIFY(t.pty.write(burst({})));
        QTRY_COMPARE(t.history().bursts().complete, quint64(2));
    } else {
        QVERIFY(t.play(inputOneOnAndOff(reported), 20));
    }
    t.diag().tick();
    t.rig.form.frameGate().frame();
    const QString line = t.diag().moduleCheckText();
    QVERIFY2(line.startsWith(expected + QStringLiteral(" · ")), qPrintable(line));
    QVERIFY2(!line.contains(QStringLiteral("mangler")) || send, qPrintable(line));
    QCOMPARE(t.diag().markers().veiledCount(), int(veiled.size()) * 16);
    for (int m = 1; m <= 10; ++m) {
        const int first = (m - 1) * 16 + 1;
        for (int n : {first, first + 15})
            QCOMPARE(t.diag().markers().isVeiled(n), veiled.contains(m));
        QCOMPARE(t.diag().markers().toolTip(first).contains(
                     QStringLiteral("\nmodul %1 svarer ikke").arg(m)),
                 veiled.contains(m));
    }
    QCOMPARE(t.diag().checkLineText(), line);

    const auto veilNow = [&t] {
        t.diag().tick();
        t.rig.form.frameGate().frame();
        return t.diag().markers().veiledCount();
    };
    // Ryd while data comes: no veil until a complete burst since, and then only the silent
    // ones, never every counted module.
    if (!reported.isEmpty()) {
        t.history().clear();
        QCOMPARE(veilNow(), 0);
        QVERIFY(t.play(inputOneOnAndOff(reported), 20));
        QCOMPARE(veilNow(), int(veiled.size()) * 16);
    }
    // Stop: the veil goes, the lamps stay as they were.
    const QList<int> green = greenLamps(t.rig.form);
    QList<QImage> lamps;
    for (int n = 1; n <= 64; ++n)
        lamps << t.rig.c().Lampe[std::size_t(n - 1)]->grab().toImage();
    t.rig.stop();
    QCOMPARE(veilNow(), 0);
    QCOMPARE(greenLamps(t.rig.form), green);
    for (int n = 1; n <= 64; ++n)
        QCOMPARE(t.rig.c().Lampe[std::size_t(n - 1)]->grab().toImage(), lamps[n - 1]);
    // Ryd while stopped: no veil, though no module has reported since.
    t.history().clear();
    QCOMPARE(veilNow(), 0);
    // Started again: none until a complete burst.
    t.rig.start();
    QCOMPARE(veilNow(), 0);

    // The silent module comes back: the veil goes.
    if (!veiled.isEmpty()) {
        QList<std::array<int, 3>> all;
        for (int m = 1; m <= 4; ++m)
            all << std::array<int, 3>{m, 0, 0};
        QVERIFY(t.play({burst(all)}, 20));
        t.diag().tick();
        t.rig.form.frameGate().frame();
        QCOMPARE(t.diag().markers().veiledCount(), 0);
        QVERIFY(!t.diag().markers().toolTip(49).contains(QStringLiteral("svarer ikke")));
    }
}

void TestDiagArea::portWatch_data() {
    // "open@t", "burst@t", "close@t"; "short@t": a short burst (a module missing from it);
    // "port@t": another port chosen; "clear@t": the history cleared, its burst counts back at 0
    QTest::addColumn<QString>("script");
    QTest::addColumn<qint64>("atMs");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<qint64>("untilSilent"); // from atMs; -1: closed, or silent already

    QTest::newRow("closed never silent") << "" << qint64(10000) << false << qint64(-1);
    QTest::newRow("open 1 ms") << "open@1000" << qint64(1001) << false << qint64(2999);
    QTest::newRow("open 2999 ms") << "open@1000" << qint64(3999) << false << qint64(1);
    QTest::newRow("open 3000 ms") << "open@1000" << qint64(4000) << true << qint64(-1);
    QTest::newRow("open 3001 ms") << "open@1000" << qint64(4001) << true << qint64(-1);
    QTest::newRow("burst 2999 ms ago") << "open@0 burst@5000" << qint64(7999) << false << qint64(1);
    QTest::newRow("burst 3000 ms ago") << "open@0 burst@5000" << qint64(8000) << true << qint64(-1);
    QTest::newRow("closed after silence")
        << "open@0 close@4000" << qint64(9000) << false << qint64(-1);
    QTest::newRow("opened again") << "open@0 close@4000 open@5000" << qint64(7999) << false
                                  << qint64(1);
    QTest::newRow("another port: 2999 ms")
        << "open@0 port@2500" << qint64(5499) << false << qint64(1);
    QTest::newRow("another port: 3000 ms")
        << "open@0 port@2500" << qint64(5500) << true << qint64(-1);
    QTest::newRow("cleared while silent: still silent")
        << "open@0 burst@1000 clear@5000" << qint64(5001) << true << qint64(-1);
    QTest::newRow("a burst after clearing counts")
        << "open@0 burst@1000 clear@2000 burst@3000" << qint64(5999) << false << qint64(1);
    QTest::newRow("short burst 2999 ms ago")
        << "open@0 short@5000" << qint64(7999) << false << qint64(1);
    QTest::newRow("short burst 3000 ms ago")
        << "open@0 short@5000" << qint64(8000) << true << qint64(-1);
    QTest::newRow("short bursts after complete ones")
        << "open@0 burst@1000 short@4000 short@6000" << qint64(8999) << false << qint64(1);
    QTest::newRow("short burst ends the silence")
        << "open@0 short@5000" << qint64(5000) << false << qint64(3000);
}

void TestDiagArea::portWatch() {
    QFETCH(QString, script);
    QFETCH(qint64, atMs);
    QFETCH(bool, silent);
    QFETCH(qint64, untilSilent);
    PortWatch watch;
    int port = 1;
    bool open = false;
    BurstStats bursts;
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        const QString what = step.section(u'@', 0, 0);
        open = what == u"close" ? false : what == u"open" ? true : open;
        if (what == u"clear")
            bursts = {};
        bursts.complete += what == u"burst" ? 1 : 0;
        bursts.shortBursts += what == u"short" ? 1 : 0;
        port += what == u"port" ? 1 : 0;
        watch.update(port, open, PortWatch::dataBursts(bursts), step.section(u'@', 1).toLongLong());
    }
    watch.update(port, open, PortWatch::dataBursts(bursts), atMs);
    QCOMPARE(watch.silent(), silent);
    QCOMPARE(watch.msUntilSilent(atMs), untilSilent);
}

void TestDiagArea::silentPort_data() {
    QTest::addColumn<QByteArray>("feed"); // written every 100 ms
    QTest::addColumn<int>("feedMs");      // for so long after Start
    QTest::newRow("nothing") << QByteArray() << 0;
    QTest::newRow("only bytes that are no burst") << bytes({7, 9, 200}) << 4000;
    QTest::newRow("bursts for 1.5 s, then nothing") << burst({{1, 0, 0}}) << 1500;
}

// A started port that gives no data says so three seconds after Start or its last burst, with
// its device, until a burst comes; the port's device is shown beside the module check all along.
void TestDiagArea::silentPort() {
    QFETCH(QByteArray, feed);
    QFETCH(int, feedMs);
    const bool bursts = feed.startsWith(char(105));
    PtyRig t;
    const QString silent = QStringLiteral("Ingen data fra port 1 (%1): forkert port, eller er "
                                          "modulet tændt?")
                               .arg(t.pty.devicePath());
    t.diag().tick();
    QCOMPARE(t.diag().portLineText(), QStringLiteral("Port 1: ") + t.pty.devicePath());
    QVERIFY(!t.diag().checkLineText().startsWith(QStringLiteral("Ingen data")));
    QElapsedTimer clock;
    t.rig.start();
    clock.start();
    // The data the window had last: Start, or the last burst, seen here a little after its
    // read (the exact three seconds are the watch's table above; here, that they count from it).
    qint64 lastData = 0;
    quint64 seen = t.history().bursts().complete;
    qint64 fed = -100;
    while (t.diag().checkLineText() != silent && clock.elapsed() < lastData + 3400) {
        if (!feed.isEmpty() && clock.elapsed() < feedMs && clock.elapsed() - fed >= 100) {
            fed = clock.elapsed();
            t.pty.write(feed);
        }
        QTest::qWait(10);
        if (t.history().bursts().complete != seen) {
            seen = t.history().bursts().complete;
            lastData = clock.elapsed();
        }
    }
    QCOMPARE(t.diag().checkLineText(), silent);
    const qint64 after = clock.elapsed() - lastData;
    QVERIFY2(after >= 2900, qPrintable(QString::number(after)));
    if (bursts)
        QVERIFY2(lastData >= 1400, qPrintable(QString::number(lastData)));
    t.rig.form.frameGate().frame();
    QCOMPARE(t.rig.form.findChild<QLabel*>(QStringLiteral("diagModuleCheck"))->text(),
             QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(silent));
    if (!feed.isEmpty() && !bursts)
        QVERIFY(t.history().bursts().strayBytes > 0 || t.history().bursts().givenUp > 0);

    // A burst: the line goes with the read that completes it.
    QVERIFY(t.play({burst({{1, 0, 0}})}, 0));
    QVERIFY(t.diag().checkLineText() != silent);
    QVERIFY(t.diag().checkLineText().startsWith(QStringLiteral("Modulantal")));
    // Stopped: no port, no complaint.
    t.rig.stop();
    QTest::qWait(3100);
    QVERIFY(t.diag().checkLineText() != silent);
    // Another port chosen while stopped shows at once.
    t.rig.choosePort(1);
    QCOMPARE(t.diag().portLineText(), QStringLiteral("Port 2: ingen enhed"));
}

void TestDiagArea::csvMatchesHistoryReport() {
    SKIP_WITHOUT_PTYS();
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("trafik.s88rec"));
    const QString saved = dir.filePath(QStringLiteral("skift.csv"));
    {
        PtyRig t;
        t.diag().setFileChooser(
            [&](const QString&, const QString&, QString*) { return recording; });
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
    QVERIFY(window.startsWith("time_ms,input,module,contact,state,since_ms,clock\n"));
    QVERIFY(command.startsWith("time_ms,input,module,contact,state,since_ms,clock\n"));
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

void TestDiagArea::csvSavesWhatTheListShows_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("semicolons"); // chosen in the save dialog
    QTest::addColumn<QString>("name");    // as typed in the dialog
    QTest::addColumn<QList<int>>("inputs");

    QTest::newRow("everything, commas") << "" << false << "alle.csv" << QList<int>{1, 73, 1, 73};
    QTest::newRow("module 5, semicolons") << "m5" << true << "m5.csv" << QList<int>{73, 73};
    QTest::newRow("input 1, no suffix typed") << "1" << false << "en" << QList<int>{1, 1};
    QTest::newRow("not a filter: nothing shown") << "fem" << true << "ingen.csv" << QList<int>{};
}

void TestDiagArea::csvSavesWhatTheListShows() {
    QFETCH(QString, filter);
    QFETCH(bool, semicolons);
    QFETCH(QString, name);
    QFETCH(QList<int>, inputs);
    QTemporaryDir dir;
    PtyRig t;
    QString filters;
    t.diag().setFileChooser([&](const QString&, const QString& offered, QString* chosen) {
        filters = offered;
        *chosen = semicolons ? DiagArea::kCsvSemicolon : DiagArea::kCsvComma;
        return dir.filePath(name);
    });
    t.rig.start();
    QVERIFY(t.play({burst({{1, 0, 1}, {5, 1, 0}}), burst({{1, 0, 0}, {5, 0, 0}})}, 20));
    t.diag().filter().setText(filter);
    QTRY_COMPARE(t.diag().list().rowCount(), int(inputs.size()));
    t.rig.form.findChild<QPushButton*>(QStringLiteral("diagSaveCsv"))->click();
    QCOMPARE(filters, DiagArea::kCsvComma + QStringLiteral(";;") + DiagArea::kCsvSemicolon);
    const QString path =
        dir.filePath(name.endsWith(u".csv") ? name : name + QStringLiteral(".csv"));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    const char sep = semicolons ? ';' : ',';
    QCOMPARE(lines.takeFirst(),
             QByteArray("time_ms,input,module,contact,state,since_ms,clock").replace(',', sep));
    QList<int> saved;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> cells = line.split(sep);
        QCOMPARE(cells.size(), 7);
        saved << cells[1].toInt();
        // The clock cell is the list's time of the change, with the date and the offset.
        const QDateTime at =
            QDateTime::fromString(QString::fromLatin1(cells[6]), Qt::ISODateWithMs);
        QVERIFY2(at.isValid(), cells[6].constData());
        QCOMPARE(at, t.history().wallTime(cells[0].toLongLong()));
    }
    QCOMPARE(saved, inputs);
    // Where it went, in the area: the name at least, the whole path in the tooltip.
    const QString note = t.diag().summary().section(u'\n', -1);
    QVERIFY2(note.startsWith(QStringLiteral("Gemt: /")), qPrintable(note));
    QVERIFY2(note.endsWith(QFileInfo(path).fileName()), qPrintable(note));
    QCOMPARE(t.rig.form.findChild<QLabel*>(QStringLiteral("diagSummary"))->toolTip(),
             QStringLiteral("Gemt: ") + path);
    QVERIFY(t.rig.messages.shown.isEmpty());
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
    // The list: a name after the contact, from the moment it is given, and gone with it.
    const HistoryList& list = t.diag().list();
    const auto rowOfInput2 = [&list] {
        for (int r = 0; r < list.rowCount(); ++r) {
            if (list.eventAt(r).input == 2)
                return list.rowText(r);
        }
        return QString();
    };
    n.table().item(1, 2)->setText(QStringLiteral("Spor 2"));
    QTRY_VERIFY2(rowOfInput2().contains(QStringLiteral("  2  1.2 Spor 2  aktiv")),
                 qPrintable(rowOfInput2()));
    n.table().item(1, 2)->setText(QString());
    QVERIFY2(rowOfInput2().contains(QStringLiteral("  2  1.2  aktiv")), qPrintable(rowOfInput2()));
    // Gem CSV… with names: the name column last.
    QVERIFY(t.diag().saveCsv(dir.filePath(QStringLiteral("h.csv"))));
    QFile history(dir.filePath(QStringLiteral("h.csv")));
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = history.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray("time_ms,input,module,contact,state,since_ms,clock,name"));
    QVERIFY2(lines[1].contains(",1,1,1,1,,"), lines[1].constData());
    QVERIFY2(lines[1].endsWith(","), lines[1].constData()); // input 1 has no name
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

void TestDiagArea::fonts_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("list") << "diagHistory";
    QTest::newRow("filter") << "diagFilter";
    QTest::newRow("summary") << "diagSummary";
    QTest::newRow("module check") << "diagModuleCheck";
    QTest::newRow("port line") << "diagPort";
    QTest::newRow("record state") << "diagRecordStatus";
    QTest::newRow("a button") << "diagHistoryWindow";
    QTest::newRow("read aloud") << "diagReadAloud";
}

// At the window's normal size, as its own controls.
void TestDiagArea::fonts() {
    QFETCH(QString, name);
    ScriptedWindow w;
    const auto* control = w.form.diagnostics().findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->font().pointSizeF(), 8.0);
    QCOMPARE(control->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(w.form.diagnostics().list().font().pointSizeF(), 8.0);
}

// Where the window puts it, and every control inside it, none cut at its edge.
void TestDiagArea::placedInItsCorner() {
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    DiagArea& area = w.form.diagnostics();
    QCOMPARE(area.parentWidget(), static_cast<QWidget*>(&w.form));
    QCOMPARE(area.geometry(), QRect(8, 380, 498, 157));
    for (const QWidget* child : area.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(&area) || child->isWindow())
            continue;
        QVERIFY2(area.rect().contains(child->geometry()), qPrintable(child->objectName()));
        QVERIFY2(child->height() >= child->fontMetrics().height(), qPrintable(child->objectName()));
        if (const auto* b = qobject_cast<const QAbstractButton*>(child)) {
            const int text = b->fontMetrics().horizontalAdvance(QString(b->text()).remove(u'&'));
            QVERIFY2(text + 4 <= b->width(), qPrintable(b->objectName()));
        }
    }
    // The list beside the buttons, whole rows of it in sight.
    QVERIFY(area.list().width() >= 200);
    QVERIFY(area.list().height() >= 6 * area.list().fontMetrics().height());
}

void TestDiagArea::buttons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    QTest::newRow("clear") << "diagClear"
                           << "&Ryd";
    QTest::newRow("csv") << "diagSaveCsv"
                         << "&Gem CSV…";
    QTest::newRow("record") << "diagRecord"
                            << "&Optag";
    QTest::newRow("walk test") << "diagWalk"
                               << "G&ennemgang…";
    QTest::newRow("timeline") << "diagTimeline"
                              << "&Tidslinje…";
    QTest::newRow("names") << "diagNames"
                           << "&Navne…";
    QTest::newRow("history") << "diagHistoryWindow"
                             << "&Historik…";
    QTest::newRow("mqtt") << "diagMqtt"
                          << "&MQTT…";
    QTest::newRow("view") << "diagView"
                          << "&Visning…";
    QTest::newRow("read aloud") << "diagReadAloud"
                                << "&Læs op";
}

// Each button there, with a mnemonic that no other button of the window has.
void TestDiagArea::buttons() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    ScriptedWindow w;
    const auto* button = w.form.findChild<QAbstractButton*>(name);
    QVERIFY2(button, qPrintable(name));
    QCOMPARE(button->text(), caption);
    QVERIFY(button->isVisible());
    const QKeySequence mine = QKeySequence::mnemonic(caption);
    QVERIFY(!mine.isEmpty());
    for (const QAbstractButton* other : w.form.findChildren<QAbstractButton*>()) {
        if (other != button)
            QVERIFY2(QKeySequence::mnemonic(other->text()) != mine,
                     qPrintable(other->objectName()));
    }
    QVERIFY(mine != QKeySequence(QKeySequence::Find));
}

void TestDiagArea::mqttButtonAsks() {
    ScriptedWindow w;
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QSignalSpy wanted(&w.form.diagnostics(), &DiagArea::mqttWanted);
    QTest::mouseClick(&w.form.diagnostics().mqttButton(), Qt::LeftButton);
    QCOMPARE(wanted.size(), 1);
    // The window opens the MQTT window on it; back to the window for the shortcut.
    auto* mqtt = w.form.findChild<QWidget*>(QStringLiteral("mqttWindow"));
    QVERIFY(mqtt && mqtt->isVisible());
    mqtt->close();
    w.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    QTest::keyClick(w.form.windowHandle(), Qt::Key_M, Qt::AltModifier);
    QTRY_COMPARE(wanted.size(), 2); // the button shows itself pressed a moment first
}

// "Historik…": the same changes as the list, in a window that can be made larger; its filter
// read by the same rules, the area's filter where it starts.
void TestDiagArea::historyWindow() {
    ScriptedWindow w({.openPort = true});
    w.start();
    DiagArea& area = w.form.diagnostics();
    for (quint16 inputs : {0x0001, 0x0003, 0x0002, 0x0000})
        w.serial.deliver(burstOf({{1, inputs}, {2, 0}}));
    QTRY_COMPARE(w.form.history().total(), quint64(4));
    area.filter().setText(QStringLiteral("2"));
    QTRY_COMPARE(area.list().rowCount(), 2);
    QTest::mouseClick(&area.historyButton(), Qt::LeftButton);
    auto* window = w.form.findChild<HistoryWindow*>();
    QVERIFY(window && window->isVisible() && window->isWindow());
    QCOMPARE(&area.openHistory(), window); // one window, raised again
    QCOMPARE(window->filter().text(), QStringLiteral("2"));
    QTRY_COMPARE(window->list().rowCount(), 2);
    for (int r = 0; r < 2; ++r)
        QCOMPARE(window->list().rowText(r), area.list().rowText(r));
    window->filter().setText(QStringLiteral("m1"));
    QTRY_COMPARE(window->list().rowCount(), 4);
    window->filter().setText(QStringLiteral("m14"));
    QCOMPARE(window->list().rowCount(), 0);
    QVERIFY(!window->list().filterValid());
    window->filter().clear();
    // Grows with its window.
    window->resize(700, 600);
    QTRY_VERIFY(window->list().height() > 500);
    // New changes reach it too.
    w.serial.deliver(burstOf({{1, 0x0004}, {2, 0}}));
    QTRY_COMPARE(window->list().rowCount(), 5);
    QCOMPARE(window->list().eventAt(0).input, 3);
}

void TestDiagArea::stateColumn_data() {
    QTest::addColumn<bool>("inWindow");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("cells"); // after the time

    QTest::newRow("area, newest: off") << false << 0 << QStringList{"1", "fra", "1250 ms"};
    QTest::newRow("area, first: on") << false << 1 << QStringList{"1", "til", ""};
    QTest::newRow("window, newest: off") << true << 0 << QStringList{"1", "1.1", "fra", "1250 ms"};
    QTest::newRow("window, first: on") << true << 1 << QStringList{"1", "1.1", "til", ""};
}

// The state in a word beside its dot; the area's narrow list leaves module.contact to the
// row's tooltip.
void TestDiagArea::stateColumn() {
    QFETCH(bool, inWindow);
    QFETCH(int, row);
    QFETCH(QStringList, cells);
    ScriptedWindow w({.openPort = true});
    // Well past the moment the history's clock starts from.
    w.serial.useScriptedClock(10'000'000);
    w.start();
    DiagArea& area = w.form.diagnostics();
    w.serial.arriveAt(10'000'000, burstOf({{1, 0x0000}}));
    w.serial.arriveAt(10'000'100, burstOf({{1, 0x0001}}));
    w.serial.arriveAt(10'001'350, burstOf({{1, 0x0000}}));
    w.serial.deliverTimed();
    QTRY_COMPARE(w.form.history().total(), quint64(2));
    HistoryList& list = inWindow ? area.openHistory().list() : area.list();
    QTRY_COMPARE(list.rowCount(), 2);
    const QStringList shown = list.rowCells(row);
    QCOMPARE(shown.mid(1), cells);
    QCOMPARE(shown[0], w.form.history().timeOfDay(list.eventAt(row).timeMs));
    QCOMPARE(list.headerCells().size(), cells.size() + 1);
    QCOMPARE(list.headerCells().first(), QStringLiteral("Tid"));
    QVERIFY(list.rowText(row).contains(QStringLiteral("  1  1.1  ")));
}

void TestDiagArea::viewChoices_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");

    QTest::newRow("English") << "viewLanguage" << 1 << "Sprog"
                             << "en";
    QTest::newRow("Deutsch") << "viewLanguage" << 2 << "Sprog"
                             << "de";
    QTest::newRow("Dansk") << "viewLanguage" << 0 << "Sprog"
                           << "da";
    QTest::newRow("100 %") << "viewZoom" << 0 << "Zoom"
                           << "100";
    QTest::newRow("125 %") << "viewZoom" << 1 << "Zoom"
                           << "125";
    QTest::newRow("150 %") << "viewZoom" << 2 << "Zoom"
                           << "150";
    QTest::newRow("200 %") << "viewZoom" << 3 << "Zoom"
                           << "200";
    QTest::newRow("follow the screen") << "viewZoom" << 4 << "Zoom"
                                       << "0";
    QTest::newRow("colour help off") << "viewColourHelp" << 0 << "Farvehjælp"
                                     << "0";
    QTest::newRow("colour help on") << "viewColourHelp" << 1 << "Farvehjælp"
                                    << "1";
}

// "Visning…": each choice stored in the settings' "Visning" section as it is made, shown again
// when the dialog is next made; the colour help said at once.
void TestDiagArea::viewChoices() {
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    ScriptedWindow w;
    DiagArea& area = w.form.diagnostics();
    QSignalSpy colourHelp(&area, &DiagArea::colourHelpChanged);
    if (key == QStringLiteral("Farvehjælp"))
        w.settings.values[QStringLiteral("Gen_Vorn_S88/Visning/Farvehjælp")] =
            index == 0 ? QStringLiteral("1") : QStringLiteral("0");
    QTest::mouseClick(&area.viewButton(), Qt::LeftButton);
    auto* dialog = w.form.findChild<ViewDialog*>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("viewNote"))->text(),
             QStringLiteral("Sprog og zoom gælder fra næste start."));
    QCOMPARE(dialog->languageBox().itemText(0), QStringLiteral("Dansk"));
    QCOMPARE(dialog->languageBox().itemText(1), QStringLiteral("English"));
    QCOMPARE(dialog->languageBox().itemText(2), QStringLiteral("Deutsch"));
    QCOMPARE(dialog->zoomBox().count(), 5);
    QCOMPARE(dialog->zoomBox().itemText(4), QStringLiteral("følg skærmen"));
    if (auto* box = dialog->findChild<QComboBox*>(control)) {
        // Another choice first, so that choosing `index` is a change.
        box->setCurrentIndex((index + 1) % box->count());
        emit box->activated((index + 1) % box->count());
        box->setCurrentIndex(index);
        emit box->activated(index);
    } else {
        dialog->colourHelpBox().click();
        QCOMPARE(colourHelp.size(), 1);
        QCOMPARE(colourHelp[0][0].toBool(), index == 1);
    }
    QCOMPARE(w.settings.values.value(QStringLiteral("Gen_Vorn_S88/Visning/") + key), stored);
    QVERIFY(w.messages.shown.isEmpty());
    // Read back by a dialog made anew.
    ViewDialog again(w.settings, w.messages);
    if (auto* box = again.findChild<QComboBox*>(control))
        QCOMPARE(box->currentIndex(), index);
    else
        QCOMPARE(again.colourHelpBox().isChecked(), index == 1);
}

// A settings file that cannot be written: told once per choice, and the window goes on; the
// colour help still follows for this session.
void TestDiagArea::viewChoicesNotWritable() {
    ScriptedWindow w;
    DiagArea& area = w.form.diagnostics();
    QSignalSpy colourHelp(&area, &DiagArea::colourHelpChanged);
    w.settings.failWrites = true;
    ViewDialog& dialog = area.openView();
    QCOMPARE(&area.openView(), &dialog);
    dialog.languageBox().setCurrentIndex(1);
    emit dialog.languageBox().activated(1);
    QCOMPARE(w.messages.shown.size(), 1);
    QCOMPARE(w.messages.shown[0], QStringLiteral("Visningen kan ikke gemmes: store not writable"));
    dialog.colourHelpBox().click();
    QCOMPARE(w.messages.shown.size(), 2);
    QCOMPARE(colourHelp.size(), 1);
    QVERIFY(w.settings.values.isEmpty());
}

void TestDiagArea::tabChain_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    const QStringList names{"diagHistory",       "diagFilter", "diagClear",    "diagSaveCsv",
                            "diagRecord",        "diagWalk",   "diagTimeline", "diagNames",
                            "diagHistoryWindow", "diagMqtt",   "diagView",     "diagReadAloud"};
    for (int i = 0; i < names.size(); ++i)
        QTest::addRow("%d %s", i, qPrintable(names[i])) << i << names[i];
}

// The order Tab takes the area's controls in: the list, the filter, the buttons row by row,
// "Læs op"; Tab itself goes that way.
void TestDiagArea::tabChain() {
    QFETCH(int, position);
    QFETCH(QString, name);
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    const QList<QWidget*> chain = w.form.diagnostics().tabChain();
    QCOMPARE(chain.size(), 12);
    QWidget* control = chain[position];
    QCOMPARE(control->objectName(), name);
    QVERIFY(control->focusPolicy() & Qt::TabFocus);
    if (position + 1 == chain.size())
        return;
    control->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), control);
    QTest::keyClick(control, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), chain[position + 1]);
}

// Without a speech engine "Læs op" turns itself off and says why where it is seen, and says it
// again at each click while disabled.
void TestDiagArea::readAloudTellsWhy() {
    ScriptedWindow w;
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    DiagArea& area = w.form.diagnostics();
    area.setSpeechEngine(QStringLiteral("no-such-engine"));
    QCheckBox& box = area.readAloudBox();
    const QRect place = box.geometry();
    const QString caption = box.text();
    QTest::mouseClick(&box, Qt::LeftButton);
    QVERIFY(!box.isChecked());
    QVERIFY(!box.isEnabled());
    QVERIFY(box.isVisible());
    // Disabled, its caption still reads on the grey face (at least 4.5:1), where it stays.
    const int grey = darkestCaptionGrey(box);
    QVERIFY2(contrast(grey, layout::kFaceGrey) >= 4.5, qPrintable(QString::number(grey)));
    QVERIFY2(grey > 0, "drawn as if enabled");
    QCOMPARE(box.geometry(), place);
    QCOMPARE(box.text(), caption);
    const QString reason = box.toolTip();
    QVERIFY2(reason.startsWith(QStringLiteral("Ingen talemotor")), qPrintable(reason));
    QCOMPARE(area.summary().section(u'\n', -1), reason);
    QTemporaryDir dir;
    QVERIFY(area.saveCsv(dir.filePath(QStringLiteral("s.csv"))));
    QVERIFY(area.summary().section(u'\n', -1).startsWith(QStringLiteral("Gemt: ")));
    QTest::mouseClick(&box, Qt::LeftButton);
    QCOMPARE(area.summary().section(u'\n', -1), reason);
    QVERIFY(!box.isEnabled());
    QVERIFY(w.messages.shown.isEmpty());
}

void TestDiagArea::statusLineKeepsItsHeight_data() {
    QTest::addColumn<Qt::TextFormat>("format");
    QTest::addColumn<QStringList>("texts");
    const QString rich = QStringLiteral("<span style=\"color:#c00000\">Mangler: 3.2</span>");
    QTest::newRow("plain: empty, a text, empty")
        << Qt::PlainText
        << QStringList{QString(), QStringLiteral("12 skift · 2 ustabile"), QString()};
    QTest::newRow("plain: a text, another, empty")
        << Qt::PlainText
        << QStringList{QStringLiteral("Optager: 3 s"), QStringLiteral("Optager: 4 s"), QString()};
    QTest::newRow("rich: empty, a text, a longer one")
        << Qt::RichText << QStringList{QString(), rich, rich + QStringLiteral(" · Ukendt: 9")};
}

void TestDiagArea::statusLineKeepsItsHeight() {
    // The status lines answer the layout without laying their text out, yet just as a label
    // does: at every text, and after a change of font.
    QFETCH(Qt::TextFormat, format);
    QFETCH(QStringList, texts);
    StatusLabel line;
    QLabel label;
    for (QLabel* l : {static_cast<QLabel*>(&line), &label})
        l->setTextFormat(format);
    for (const int grow : {0, 6}) {
        QFont font = label.font();
        font.setPointSize(font.pointSize() + grow);
        line.setFont(font);
        label.setFont(font);
        for (const QString& text : texts) {
            line.setText(text);
            label.setText(text);
            QCOMPARE(line.sizeHint(), QSize(0, label.sizeHint().height()));
            QCOMPARE(line.minimumSizeHint(), QSize(0, label.sizeHint().height()));
        }
    }
}

QTEST_MAIN(TestDiagArea)
#include "test_diagarea.moc"
