#include "bridge/bridge.h"
#include "diag/diagarea.h"
#include "support/broker.h"
#include "support/formsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// The window with the bridge: the module check's tooltip tells the bridge's state, Start and
// Stop reach the link topic, Indsæt (s) the module count, and counts from the broker go out
// as Indsæt (s) sends them, with no message box.
class TestBridgeWindow : public QObject {
    Q_OBJECT

private slots:
    void stateInTooltipLinkAndCounts();
};

void TestBridgeWindow::stateInTooltipLinkAndCounts() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    ScriptedWindow w;
    Bridge::Options options;
    options.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/w").arg(broker.port()));
    options.commands = true;
    Bridge bridge(w.form.state(), w.form.history(), options);
    w.form.setBridge(&bridge);
    bridge.start();
    Subscriber live(broker.port(), {QStringLiteral("w/#")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return bridge.isConnected(); }));
    QVERIFY(live.waitFor([&] {
        w.form.frameGate().frame();
        return w.form.diagnostics().moduleCheckToolTip().endsWith(
            QStringLiteral("MQTT: forbundet til 127.0.0.1"));
    }));
    w.start();
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("w/link")) == "started"; }));
    QTest::qWait(100);
    live.publish(QStringLiteral("w/counts/set"), "1,2,3");
    QVERIFY(live.waitFor([&] { return !live.on(QStringLiteral("w/counts/result")).isEmpty(); }));
    QCOMPARE(w.serial.output, QByteArray("s\x01\x02\x03\r", 5));
    QCOMPARE(w.c().Text2->text(), QStringLiteral("2"));
    QVERIFY(w.messages.shown.isEmpty());
    live.publish(QStringLiteral("w/counts/set"), "1,2,300");
    QVERIFY(live.waitFor([&] { return live.on(QStringLiteral("w/counts/result")).size() == 2; }));
    QCOMPARE(w.serial.output.size(), 5);
    QVERIFY(w.messages.shown.isEmpty());
    const QJsonObject refused =
        QJsonDocument::fromJson(live.on(QStringLiteral("w/counts/result")).last().payload).object();
    QCOMPARE(refused.value(QStringLiteral("ok")).toBool(true), false);
    w.stop();
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("w/link")) == "stopped"; }));
    w.form.setBridge(nullptr);
    bridge.stop();
}

QTEST_MAIN(TestBridgeWindow)
#include "test_bridgewindow.moc"
