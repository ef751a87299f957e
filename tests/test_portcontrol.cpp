#include "link/portcontrol.h"
#include "support/formsupport.h"

#include <QRadioButton>
#include <QTest>

namespace {

using namespace fixed;

// Brings the link into "not started", "started" or "stopped".
void enter(ScriptedWindow& w, const QString& linkState) {
    if (linkState != QLatin1String("not started"))
        w.start();
    if (linkState == QLatin1String("stopped"))
        w.stop();
}

} // namespace

class TestPortControl : public QObject {
    Q_OBJECT

private slots:
    void startsNotStarted();
    void operationFromEachState_data();
    void operationFromEachState();
    void portChangeRestartsStartedLinkOnNewPort();
    void optionButtonChoosesPort_data();
    void optionButtonChoosesPort();
    void refusedOpenIsReportedAndProgramGoesOn_data();
    void refusedOpenIsReportedAndProgramGoesOn();
    void refusedReopenOnPortChangeLeavesLinkNotStarted();
    void refusedCloseLeavesStateAsItStood_data();
    void refusedCloseLeavesStateAsItStood();
    void lostPortStopsTheLinkAndKeepsLamps();
    void lostPortAfterStopIsNotReported();
    void linkReportsIndicatorWithoutWindow_data();
    void linkReportsIndicatorWithoutWindow();
    void windowMapsIndicatorToColour_data();
    void windowMapsIndicatorToColour();
};

void TestPortControl::startsNotStarted() {
    ScriptedWindow w;
    QCOMPARE(w.portStarted(), 0);
    QCOMPARE(w.indicator(), kNotStarted);
    QVERIFY(!w.serial.PortOpen());
    QCOMPARE(w.serial.CommPort(), 1);
    QVERIFY(w.form.controls().Option1[0]->isChecked());
}

void TestPortControl::operationFromEachState_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("portStarted");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("opens");
    QTest::addColumn<int>("closes");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("quits");

    const QString notStarted = QStringLiteral("not started");
    const QString started = QStringLiteral("started");
    const QString stopped = QStringLiteral("stopped");
    const QString start = QStringLiteral("Start");
    const QString stop = QStringLiteral("Stop");
    const QString change = QStringLiteral("port change");
    const QString quit = QStringLiteral("Afslut");

    // opens and closes count what the operation itself did.
    QTest::newRow("not started, Start opens")
        << notStarted << start << 1 << kStarted << true << 1 << 0 << 1 << false;
    QTest::newRow("not started, Stop closes nothing")
        << notStarted << stop << 0 << kStopped << false << 0 << 0 << 1 << false;
    QTest::newRow("not started, port change only changes the number")
        << notStarted << change << 0 << kNotStarted << false << 0 << 0 << 5 << false;
    QTest::newRow("not started, Afslut ends without closing")
        << notStarted << quit << 0 << kNotStarted << false << 0 << 0 << 1 << true;

    QTest::newRow("started, Start does not open again")
        << started << start << 1 << kStarted << true << 0 << 0 << 1 << false;
    QTest::newRow("started, Stop closes")
        << started << stop << 0 << kStopped << false << 0 << 1 << 1 << false;
    QTest::newRow("started, port change restarts on the new port")
        << started << change << 1 << kStarted << true << 1 << 1 << 5 << false;
    QTest::newRow("started, Afslut closes and ends")
        << started << quit << 0 << kStarted << false << 0 << 1 << 1 << true;

    QTest::newRow("stopped, Start opens")
        << stopped << start << 1 << kStarted << true << 1 << 0 << 1 << false;
    QTest::newRow("stopped, Stop closes nothing")
        << stopped << stop << 0 << kStopped << false << 0 << 0 << 1 << false;
    QTest::newRow("stopped, port change only changes the number")
        << stopped << change << 0 << kStopped << false << 0 << 0 << 5 << false;
    QTest::newRow("stopped, Afslut ends without closing")
        << stopped << quit << 0 << kStopped << false << 0 << 0 << 1 << true;
}

void TestPortControl::operationFromEachState() {
    QFETCH(QString, from);
    QFETCH(QString, operation);
    QFETCH(int, portStarted);
    QFETCH(int, indicator);
    QFETCH(bool, open);
    QFETCH(int, opens);
    QFETCH(int, closes);
    QFETCH(int, port);
    QFETCH(bool, quits);

    ScriptedWindow w;
    enter(w, from);
    const int opensBefore = w.serial.opens;
    const int closesBefore = w.serial.closes;

    if (operation == QLatin1String("Start"))
        w.start();
    else if (operation == QLatin1String("Stop"))
        w.stop();
    else if (operation == QLatin1String("port change"))
        w.choosePort(4);
    else
        w.quit();

    QCOMPARE(w.portStarted(), portStarted);
    QCOMPARE(w.indicator(), indicator);
    QCOMPARE(w.serial.PortOpen(), open);
    QCOMPARE(w.serial.opens - opensBefore, opens);
    QCOMPARE(w.serial.closes - closesBefore, closes);
    QCOMPARE(w.serial.CommPort(), port);
    QCOMPARE(w.quits, quits ? 1 : 0);
    QCOMPARE(w.messages.shown, QStringList());
}

void TestPortControl::portChangeRestartsStartedLinkOnNewPort() {
    ScriptedWindow w;
    w.start();
    w.choosePort(2);
    w.choosePort(7);

    QCOMPARE(w.serial.openedPorts, (QList<int>{1, 3, 8}));
    QCOMPARE(w.serial.closes, 2);
    QVERIFY(w.serial.PortOpen());
    QCOMPARE(w.portStarted(), 1);
    QCOMPARE(w.indicator(), kStarted);
}

void TestPortControl::optionButtonChoosesPort_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("port");

    for (int i = 1; i < 8; ++i)
        QTest::addRow("Option1(%d)", i) << QList<int>{i} << i + 1;
    QTest::newRow("back to Option1(0)") << QList<int>{5, 0} << 1;
    QTest::newRow("Option1(2) after Option1(6)") << QList<int>{6, 2} << 3;
}

void TestPortControl::optionButtonChoosesPort() {
    QFETCH(QList<int>, clicks);
    QFETCH(int, port);
    ScriptedWindow w;
    for (int i : clicks)
        w.choosePort(i);

    QCOMPARE(w.serial.CommPort(), port);
    QVERIFY(w.form.controls().Option1[std::size_t(port - 1)]->isChecked());
    QCOMPARE(w.serial.opens, 0);
}

void TestPortControl::refusedOpenIsReportedAndProgramGoesOn_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("indicator");

    QTest::newRow("not started") << QStringLiteral("not started") << kNotStarted;
    QTest::newRow("stopped") << QStringLiteral("stopped") << kStopped;
}

void TestPortControl::refusedOpenIsReportedAndProgramGoesOn() {
    QFETCH(QString, from);
    QFETCH(int, indicator);
    ScriptedWindow w;
    enter(w, from);
    const int opensBefore = w.serial.opens;
    w.serial.failOpen = QStringLiteral("no such device");

    w.start();

    QCOMPARE(w.messages.shown, QStringList{QStringLiteral("no such device")});
    QCOMPARE(w.quits, 0);
    QCOMPARE(w.indicator(), indicator);
    QCOMPARE(w.portStarted(), 0);
    QVERIFY(!w.serial.PortOpen());
    QCOMPARE(w.serial.opens, opensBefore);

    // Once the device is there, Start works.
    w.serial.failOpen.reset();
    w.start();
    QCOMPARE(w.portStarted(), 1);
    QCOMPARE(w.indicator(), kStarted);
    QVERIFY(w.serial.PortOpen());
}

void TestPortControl::refusedReopenOnPortChangeLeavesLinkNotStarted() {
    ScriptedWindow w;
    w.start();
    w.serial.failOpen = QStringLiteral("no such device");

    w.choosePort(3);

    QCOMPARE(w.messages.shown, QStringList{QStringLiteral("no such device")});
    QCOMPARE(w.quits, 0);
    QVERIFY(!w.serial.PortOpen());
    QCOMPARE(w.serial.closes, 1);
    QCOMPARE(w.serial.CommPort(), 4);
    QCOMPARE(w.indicator(), kNotStarted);
    QCOMPARE(w.portStarted(), 0);
}

void TestPortControl::refusedCloseLeavesStateAsItStood_data() {
    QTest::addColumn<QString>("operation");

    QTest::newRow("Stop") << QStringLiteral("Stop");
    QTest::newRow("port change") << QStringLiteral("port change");
    QTest::newRow("Afslut") << QStringLiteral("Afslut");
}

void TestPortControl::refusedCloseLeavesStateAsItStood() {
    QFETCH(QString, operation);
    ScriptedWindow w;
    w.start();
    w.serial.failClose = QStringLiteral("device busy");

    if (operation == QLatin1String("Stop"))
        w.stop();
    else if (operation == QLatin1String("port change"))
        w.choosePort(5);
    else
        w.quit();

    // Each handler stops at the refused close, before anything after it.
    QCOMPARE(w.messages.shown, QStringList{QStringLiteral("device busy")});
    QCOMPARE(w.quits, 0);
    QVERIFY(w.serial.PortOpen());
    QCOMPARE(w.portStarted(), 1);
    QCOMPARE(w.indicator(), kStarted);
    QCOMPARE(w.serial.CommPort(), 1);
    QCOMPARE(w.serial.opens, 1);
}

void TestPortControl::lostPortStopsTheLinkAndKeepsLamps() {
    ScriptedWindow w;
    w.start();
    w.serial.deliver(bytes({105, 1, 1, 0, 5})); // inputs 1 and 3
    QTRY_COMPARE(w.serial.InBufferCount(), 0);
    const auto& lamps = w.form.controls().Lampe;
    QVERIFY(lamps[0]->isElementVisible(1));
    QVERIFY(lamps[2]->isElementVisible(1));

    w.serial.lose(QStringLiteral("gone"));

    QCOMPARE(w.portStarted(), 0);
    QCOMPARE(w.indicator(), kStopped);
    QCOMPARE(w.messages.shown, QStringList{QStringLiteral("gone")});
    QCOMPARE(w.quits, 0);
    QVERIFY(lamps[0]->isElementVisible(1));
    QVERIFY(!lamps[0]->isElementVisible(0));
    QVERIFY(lamps[2]->isElementVisible(1));
    QVERIFY(!lamps[1]->isElementVisible(1));
    QCOMPARE(w.text5(), QStringLiteral(" 3"));

    // Stop then changes nothing more; Start opens the port again.
    w.stop();
    QCOMPARE(w.serial.closes, 0);
    w.start();
    QCOMPARE(w.serial.opens, 2);
    QVERIFY(w.serial.PortOpen());
    QCOMPARE(w.portStarted(), 1);
    QCOMPARE(w.indicator(), kStarted);
    QCOMPARE(w.messages.shown.size(), 1);
}

void TestPortControl::lostPortAfterStopIsNotReported() {
    ScriptedWindow w;
    w.start();
    w.stop();

    w.serial.lose(QStringLiteral("gone"));

    QCOMPARE(w.messages.shown, QStringList());
    QCOMPARE(w.portStarted(), 0);
    QCOMPARE(w.indicator(), kStopped);
}

QTEST_MAIN(TestPortControl)
// The link reports what the indicator shows as a value; no window is built here.
void TestPortControl::linkReportsIndicatorWithoutWindow_data() {
    QTest::addColumn<QString>("operations");
    QTest::addColumn<QList<int>>("shown"); // 0 not started, 1 started, 2 stopped

    QTest::newRow("start") << QStringLiteral("start") << QList<int>{1};
    QTest::newRow("stop") << QStringLiteral("stop") << QList<int>{2};
    QTest::newRow("start, stop") << QStringLiteral("start stop") << QList<int>{1, 2};
    QTest::newRow("port change while stopped") << QStringLiteral("change") << QList<int>{};
    QTest::newRow("port change while started")
        << QStringLiteral("start change") << QList<int>{1, 0, 1};
    QTest::newRow("port lost while started") << QStringLiteral("start lose") << QList<int>{1, 2};
    QTest::newRow("port lost while stopped") << QStringLiteral("lose") << QList<int>{};
    QTest::newRow("quit") << QStringLiteral("start quit") << QList<int>{1};
}

void TestPortControl::linkReportsIndicatorWithoutWindow() {
    QFETCH(QString, operations);
    QFETCH(QList<int>, shown);
    FormState state;
    ScriptedSerialControl serial;
    CapturedMessages messages;
    std::array<QRadioButton, 8> buttons;
    std::array<QAbstractButton*, 8> options{};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        options[i] = &buttons[i];
    buttons[0].setChecked(true);
    QList<int> reported;
    int quits = 0;
    PortControl link(
        state, [&reported](LinkIndicator value) { reported.append(int(value)); }, serial, options,
        messages, [&quits] { ++quits; });

    for (const QString& op : operations.split(QLatin1Char(' '))) {
        if (op == QLatin1String("start")) {
            link.Command3_Click();
        } else if (op == QLatin1String("stop")) {
            link.Command4_Click();
        } else if (op == QLatin1String("change")) {
            buttons[4].setChecked(true);
            link.Option1_Click(4);
        } else if (op == QLatin1String("lose")) {
            link.MSComm1_PortLost(QStringLiteral("gone"));
        } else if (op == QLatin1String("quit")) {
            link.Command5_Click();
        }
    }
    QCOMPARE(reported, shown);
}

void TestPortControl::windowMapsIndicatorToColour_data() {
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("colour");

    QTest::newRow("not started: red") << int(LinkIndicator::NotStarted) << kNotStarted;
    QTest::newRow("started: dark green") << int(LinkIndicator::Started) << kStarted;
    QTest::newRow("stopped: red-orange") << int(LinkIndicator::Stopped) << kStopped;
}

void TestPortControl::windowMapsIndicatorToColour() {
    QFETCH(int, shown);
    QFETCH(int, colour);
    QCOMPARE(Form1::indicatorColour(LinkIndicator(shown)), colour);
}

#include "test_portcontrol.moc"
