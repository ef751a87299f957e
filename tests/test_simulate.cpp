#include "app/form1.h"
#include "link/qtserialcontrol.h"
#include "panel/lamp.h"
#include "receive/monitor.h"
#include "sim/virtualmodule.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QList<int> greenLamps(const Form1& form) {
    QList<int> green;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        if (form.controls().Lampe[std::size_t(n - 1)]->isElementVisible(1))
            green << n;
    }
    return green;
}

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
    VirtualModule module(VirtualModule::Options{3, 9600, 100});
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));

    QtSerialControl serial(
        [&module](int port) { return port == 1 ? module.devicePath() : QString(); });
    MemorySettings settings;
    // Counts remembered from an earlier run, so start-up has nothing to remind about.
    for (const char* chain : {"S88Left", "S88Mid", "S88Right"})
        settings.values[QStringLiteral("Gen_Vorn_S88/%1/Antal").arg(QLatin1String(chain))] =
            QStringLiteral("1");
    CapturedMessages messages;
    bool quit = false;
    Form1 form(serial, settings, messages, [&quit] { quit = true; });
    form.Form_Load();
    form.show();

    form.controls().Text1->setText(QStringLiteral("4"));
    form.controls().Text2->setText(QStringLiteral("3"));
    form.controls().Text3->setText(QStringLiteral("3"));
    form.controls().Command3->click(); // Start
    QVERIFY(serial.PortOpen());
    form.controls().Command1->click(); // Indsæt (s)
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(u'\n')));
    QTRY_COMPARE_WITH_TIMEOUT(module.moduleCount(), 10, 5000);

    QTRY_VERIFY_WITH_TIMEOUT(showsTrain(greenLamps(form)), 5000);
    const QList<int> before = greenLamps(form);
    QTRY_VERIFY_WITH_TIMEOUT(greenLamps(form) != before, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(showsTrain(greenLamps(form)), 5000);

    // Bursts of ten reports: the 'i', the count, then report bytes.
    const QString& text = form.monitor().text();
    QVERIFY(text.contains(QStringLiteral("105 - - 10 - - 1 + ")));
    QVERIFY(text.contains(QStringLiteral(" + 10 + ")));
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(u'\n')));
    QCOMPARE(settings.values.value(QStringLiteral("Gen_Vorn_S88/S88Left/Antal")),
             QStringLiteral("4"));

    form.controls().Command4->click(); // Stop
    QVERIFY(!serial.PortOpen());
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(!quit);
}

QTEST_MAIN(TestSimulate)
#include "test_simulate.moc"
