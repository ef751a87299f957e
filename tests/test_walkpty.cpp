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
    void reportNamesSwappedContacts();
};

// The virtual module walks its inputs one by one with contacts 3 and 9 of module 2 wired the
// wrong way round; the walk test, reading the window's change history over the real line,
// finds exactly those two and says so.
void TestWalkPty::reportNamesSwappedContacts() {
    SKIP_WITHOUT_PTYS();
    VirtualModule::Options options;
    options.burstIntervalMs = 10;
    options.stepMs = 60;
    options.walk = true;
    QCOMPARE(options.faults.add(QStringLiteral("swap:19,25")), std::nullopt);
    VirtualModule module(options);
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));
    WindowRig rig([&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    SpeakerDouble speaker;
    // The feed the window's own walk test reads, so this runs the program's path.
    WalkTestWindow walk(rig.form.diagnostics().changes(), speaker);
    walk.fromModule()->setValue(1);
    walk.toModule()->setValue(2);
    walk.startButton()->click();

    rig.c().Text1->setText(QStringLiteral("2"));
    rig.c().Text2->setText(QStringLiteral("0"));
    rig.c().Text3->setText(QStringLiteral("0"));
    rig.start();
    rig.c().Command1->click(); // Indsæt (s): the walk begins
    QTRY_VERIFY_WITH_TIMEOUT(walk.test()->finished(), 8000);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("walk.csv"));
    QVERIFY(walk.saveReport(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList faults;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty() && !line.contains(",ok,") && !line.startsWith("module"))
            faults << QString::fromUtf8(line);
    QCOMPARE(faults, QStringList({"2,3,19,wrong_input,25", "2,9,25,wrong_input,19"}));
    QVERIFY(speaker.said.contains(QStringLiteral("kom som modul to, kontakt ni")));
    rig.stop();
}

QTEST_MAIN(TestWalkPty)
#include "test_walkpty.moc"
