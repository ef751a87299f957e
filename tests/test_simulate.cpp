#include "sim/virtualmodule.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QTest>

namespace {

// Three neighbouring lamps lit: the module's train.
bool showsTrain(const QList<int>& green) {
    for (int n : green) {
        if (green.contains(n + 1) && green.contains(n + 2))
            return true;
    }
    return false;
}

} // namespace

class TestSimulate : public QObject {
    Q_OBJECT

private slots:
    void programRunsOnVirtualModule();
};

void TestSimulate::programRunsOnVirtualModule() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(VirtualModule::Options{3, 9600, 100});
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));

    WindowRig w([&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    w.c().Text1->setText(QStringLiteral("4"));
    w.c().Text2->setText(QStringLiteral("3"));
    w.c().Text3->setText(QStringLiteral("3"));
    w.start();
    QVERIFY(w.serial.PortOpen());
    w.c().Command1->click(); // Indsæt (s)
    QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.join(u'\n')));
    QTRY_COMPARE_WITH_TIMEOUT(module.moduleCount(), 10, 5000);

    QTRY_VERIFY_WITH_TIMEOUT(showsTrain(greenLamps(w.form)), 5000);
    const QList<int> before = greenLamps(w.form);
    QTRY_VERIFY_WITH_TIMEOUT(greenLamps(w.form) != before, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(showsTrain(greenLamps(w.form)), 5000);

    // Bursts of ten reports: the 'i', the count, then report bytes.
    const QString text = w.monitor();
    QVERIFY(text.contains(QStringLiteral("105 - - 10 - - 1 + ")));
    QVERIFY(text.contains(QStringLiteral(" + 10 + ")));
    QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.join(u'\n')));
    QCOMPARE(w.settings.values.value(fixed::countKey("S88Left")), QStringLiteral("4"));

    w.stop();
    QVERIFY(!w.serial.PortOpen());
    QVERIFY(w.messages.shown.isEmpty());
    QCOMPARE(w.quits, 0);
}

QTEST_MAIN(TestSimulate)
#include "test_simulate.moc"
