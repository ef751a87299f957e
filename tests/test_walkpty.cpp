#include "diag/diagarea.h"
#include "diag/walktestwindow.h"
#include "sim/virtualmodule.h"
#include "support/formsupport.h"
#include "support/ptypair.h"
#include "support/speakerdouble.h"

#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

class TestWalkPty : public QObject {
    Q_OBJECT

private slots:
    void reportNamesSwappedContacts_data();
    void reportNamesSwappedContacts();
    void trainOutsideTheModule();
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
    options.stepMs = 60;
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
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 8000);

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
    PtyPair pty;
    WindowRig rig(pty);
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow walk(rig.form.diagnostics().changes(), speaker, messages);
    walk.setConfiguredModules(1);
    walk.startButton()->click();
    rig.start();

    // Three bursts a step; after two quiet steps contact k of module 1 is active at step
    // 2 + 2(k - 1); the train takes three inputs of module 3 and moves on one a step.
    QList<QByteArray> chunks;
    for (int step = 0; step < 2 + 16 * 2 + 2; ++step) {
        quint16 walked = 0;
        if (step >= 2 && step % 2 == 0 && (step - 2) / 2 < 16) {
            int contact = (step - 2) / 2 + 1;
            contact = contact == 3 ? 9 : contact == 9 ? 3 : contact; // the swapped wires
            walked = quint16(1u << (contact - 1));
        }
        const quint16 train = quint16(0x7u << (step % 14));
        for (int i = 0; i < 3; ++i)
            chunks << burst({walked, 0, train});
    }
    Feeder feeder(pty, chunks, std::chrono::milliseconds(20));
    QTRY_VERIFY_WITH_TIMEOUT(feeder.done(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 5000);
    QCOMPARE(faultLines(walk), QStringList({"1,3,3,wrong_input,9", "1,9,9,wrong_input,3"}));
    const QString report = walk.reportShown();
    QVERIFY2(report.section(u'\n', 1, 1) == QStringLiteral("1.3 og 1.9 er byttet om"),
             qPrintable(report));
    QVERIFY2(report.contains(QStringLiteral("Aktivitet udenfor testen (ikke brugt som svar):\n"
                                            "3.1 (indgang 33): ")),
             qPrintable(report));
    QVERIFY(!feeder.failed());
    rig.stop();
}

QTEST_MAIN(TestWalkPty)
#include "test_walkpty.moc"
