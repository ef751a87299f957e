#include "diag/diagarea.h"
#include "diag/walktestwindow.h"
#include "sim/virtualmodule.h"
#include "support/formsupport.h"
#include "support/ptypair.h"
#include "support/speakerdouble.h"

#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

class TestWalkPty : public QObject {
    Q_OBJECT

private slots:
    void reportNamesSwappedContacts_data();
    void reportNamesSwappedContacts();
    void trainOutsideTheModule();
    void trainThroughTheModule();
};

namespace {

// The faults of the CSV report: every line that is not a header or "ok".
QStringList faultLines(WalkTestWindow& walk) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("walk.csv"));
    if (!walk.saveReport(path))
        return {QStringLiteral("not saved")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("not read")};
    QStringList faults;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty() && !line.contains(",ok,") && !line.startsWith("module"))
            faults << QString::fromUtf8(line);
    return faults;
}

// One burst: 'i', the count, then (module, inputs 9..16, inputs 1..8) per module.
QByteArray burst(const QList<quint16>& modules) {
    QByteArray b = bytes({105, int(modules.size())});
    for (int m = 1; m <= modules.size(); ++m) {
        const quint16 bits = modules[m - 1];
        b += bytes({m, bits >> 8, bits & 0xff});
    }
    return b;
}

// The window on a real line, its walk test of module 1 started, then the link.
struct ModuleOneRig {
    ModuleOneRig() {
        walk.setConfiguredModules(1);
        walk.startButton()->click();
        rig.start();
    }
    PtyPair pty;
    WindowRig rig{pty};
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow walk{rig.form.diagnostics().changes(), speaker, messages};
};

} // namespace

void TestWalkPty::reportNamesSwappedContacts_data() {
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("modules"); // sent with Indsæt (s) as Left
    QTest::newRow("swapped pair") << QStringList{"swap:19,25"} << "2";
    QTest::newRow("swapped pair beside a chattering module 3")
        << QStringList{"swap:19,25", "chatter:40", "chatter:45"} << "3";
}

// The virtual module walks its inputs one by one with contacts 3 and 9 of module 2 wired the
// wrong way round; the walk test, reading the window's change history over the real line,
// finds exactly those two and says so, whatever module 3 does meanwhile.
void TestWalkPty::reportNamesSwappedContacts() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QStringList, faults);
    QFETCH(QString, modules);
    VirtualModule::Options options;
    options.burstIntervalMs = 10;
    // One step active, three to the next contact: beyond the quiet the test wants after an
    // answer, with room for a busy machine.
    options.stepMs = 250;
    options.walk = true;
    for (const QString& fault : faults)
        QCOMPARE(options.faults.add(fault), std::nullopt);
    VirtualModule module(options);
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));
    WindowRig rig([&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    SpeakerDouble speaker;
    CapturedMessages messages;
    // The feed the window's own walk test reads, so this runs the program's path.
    WalkTestWindow walk(rig.form.diagnostics().changes(), speaker, messages);
    walk.fromModule()->setValue(1);
    walk.toModule()->setValue(2);
    walk.startButton()->click();

    rig.c().Text1->setText(modules);
    rig.c().Text2->setText(QStringLiteral("0"));
    rig.c().Text3->setText(QStringLiteral("0"));
    rig.start();
    rig.c().Command1->click(); // Indsæt (s): the walk begins
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 60000);

    QCOMPARE(faultLines(walk), QStringList({"2,3,19,wrong_input,25", "2,9,25,wrong_input,19"}));
    QVERIFY2(walk.reportShown().section(u'\n', 1, 1) == QStringLiteral("2.3 og 2.9 er byttet om"),
             qPrintable(walk.reportShown()));
    QCOMPARE(walk.reportShown().contains(QStringLiteral("Aktivitet udenfor testen")),
             faults.size() > 1);
    QVERIFY(speaker.said.contains(QStringLiteral("kom som modul to, kontakt ni")));
    rig.stop();
}

// A train runs along module 3 while contacts 3 and 9 of module 1 are walked one by one,
// wired the wrong way round, on a real line: the train is never an answer, the pair is found.
void TestWalkPty::trainOutsideTheModule() {
    SKIP_WITHOUT_PTYS();
    ModuleOneRig t;
    PtyPair& pty = t.pty;
    WalkTestWindow& walk = t.walk;

    // Ten bursts (200 ms) a step; after two quiet steps contact k of module 1 is active for
    // step 2 + 4(k - 1), then quiet for three; the train takes three inputs of module 3 and
    // moves on one a step.
    QList<QByteArray> chunks;
    for (int step = 0; step < 2 + 16 * 4 + 2; ++step) {
        quint16 walked = 0;
        if (step >= 2 && (step - 2) % 4 == 0 && (step - 2) / 4 < 16) {
            int contact = (step - 2) / 4 + 1;
            contact = contact == 3 ? 9 : contact == 9 ? 3 : contact; // the swapped wires
            walked = quint16(1u << (contact - 1));
        }
        const quint16 train = quint16(0x7u << (step % 14));
        for (int i = 0; i < 10; ++i)
            chunks << burst({walked, 0, train});
    }
    Feeder feeder(pty, chunks, std::chrono::milliseconds(20));
    QTRY_VERIFY_WITH_TIMEOUT(feeder.done(), 40000);
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 5000);
    QCOMPARE(faultLines(walk), QStringList({"1,3,3,wrong_input,9", "1,9,9,wrong_input,3"}));
    const QString report = walk.reportShown();
    QVERIFY2(report.section(u'\n', 1, 1) == QStringLiteral("1.3 og 1.9 er byttet om"),
             qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Aktivitet udenfor testen (ikke brugt som svar):\n"
                                            "3.1 (indgang 33): ")),
             qPrintable(report));
    QVERIFY(!feeder.failed());
    t.rig.stop();
}

// A train runs through module 1, one input every 0.7 s, each input quiet long before it
// comes, while module 1 is tested and nobody touches anything: nothing is decided, and the
// window says it waits. With the train gone, the test goes on by itself and finds contacts 3
// and 9 swapped and contact 12 stuck.
void TestWalkPty::trainThroughTheModule() {
    SKIP_WITHOUT_PTYS();
    ModuleOneRig t;
    PtyPair& pty = t.pty;
    WalkTestWindow& walk = t.walk;

    // A burst every 100 ms: the train, seven bursts an input, then gone.
    QList<QByteArray> train;
    for (int i = 0; i < 5; ++i)
        train << burst({0});
    for (int input = 1; input <= 16; ++input)
        for (int i = 0; i < 7; ++i)
            train << burst({quint16(1u << (input - 1))});
    bool waited = false;
    {
        Feeder feeder(pty, train, std::chrono::milliseconds(100));
        while (!feeder.done()) {
            QTest::qWait(50);
            waited = waited || walk.request().startsWith(QStringLiteral("Uro på modul 1: "));
            const auto& results = walk.test()->results();
            QVERIFY(std::all_of(results.begin(), results.end(), [](const auto& r) {
                return r.outcome == WalkTest::Outcome::Untested;
            }));
        }
        QVERIFY(!feeder.failed());
    }
    QVERIFY2(waited, qPrintable(walk.request()));
    QCOMPARE(walk.test()->current(), 0);

    // The train gone, contact 12 stuck: a hand on each contact for 200 ms, 900 ms between.
    constexpr quint16 kStuck = 1u << 11;
    QList<QByteArray> hand;
    for (int i = 0; i < 15; ++i)
        hand << burst({kStuck});
    for (int contact = 1; contact <= 16; ++contact) {
        const int wire = contact == 3 ? 9 : contact == 9 ? 3 : contact; // the swapped wires
        for (int i = 0; i < 11; ++i)
            hand << burst({quint16(kStuck | (i < 2 && contact != 12 ? 1u << (wire - 1) : 0))});
    }
    Feeder feeder(pty, hand, std::chrono::milliseconds(100));
    QTRY_VERIFY_WITH_TIMEOUT(feeder.done(), 40000);
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 5000);
    QCOMPARE(faultLines(walk),
             QStringList({"1,3,3,wrong_input,9", "1,9,9,wrong_input,3", "1,12,12,stuck,"}));
    QVERIFY(!feeder.failed());
    t.rig.stop();
}

QTEST_MAIN(TestWalkPty)
#include "test_walkpty.moc"
