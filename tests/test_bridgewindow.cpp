#include "app/bridgecontrol.h"
#include "bridge/bridge.h"
#include "diag/diagarea.h"
#include "support/broker.h"
#include "support/formsupport.h"
#include "support/mqttsetting.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <csignal>

using namespace mqtt_rig;

// The window with the bridge: the module check's tooltip tells the bridge's state, Start and
// Stop reach the link topic, Indsæt (s) the module count, and counts from the broker go out
// as Indsæt (s) sends them, with no message box. The window's own MQTT setting starts the
// bridge at launch unless --mqtt is given (the "MQTT" window itself: test_mqttwindow).
class TestBridgeWindow : public QObject {
    Q_OBJECT

private slots:
    void stateInTooltipLinkAndCounts();
    void launch_data();
    void launch();
    void builtProgram_data();
    void builtProgram();
};

void TestBridgeWindow::stateInTooltipLinkAndCounts() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    ScriptedWindow w;
    Bridge::Options options;
    options.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/w").arg(broker.port()));
    options.commands = true;
    Bridge bridge(w.form.station(), options);
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

void TestBridgeWindow::launch_data() {
    QTest::addColumn<QString>("storedState"); // "on", "off", or empty: nothing stored
    QTest::addColumn<bool>("commandLine");    // --mqtt to the other broker
    QTest::addColumn<QString>("expect");      // the broker that gets the states, or none
    QTest::newRow("stored on") << "on" << false << "stored";
    QTest::newRow("stored off") << "off" << false << "";
    QTest::newRow("nothing stored") << "" << false << "";
    QTest::newRow("command line wins over stored on") << "on" << true << "given";
    QTest::newRow("command line, stored off") << "off" << true << "given";
}

void TestBridgeWindow::launch() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QString, storedState);
    QFETCH(bool, commandLine);
    QFETCH(QString, expect);
    SettingsDirectory dir;
    Broker storedBroker;
    Broker givenBroker;
    QVERIFY2(storedBroker.start(), qPrintable(storedBroker.log()));
    QVERIFY2(givenBroker.start(), qPrintable(givenBroker.log()));
    QtSettingsStore store;
    storeCounts(store);
    if (!storedState.isEmpty())
        storeMqtt(store, urlOf(storedBroker), storedState == QLatin1String("on"));
    const QByteArray before = bytesOf(dir.settingsFile());
    ScriptedWindow w(RigSetup{.store = &store, .openPort = true});
    w.serial.deliver(burstOf({{1, 0x0005}})); // inputs 1 and 3
    QVERIFY(w.state().InputState[3]);
    QStringList arguments{QStringLiteral("s88monitor")};
    if (commandLine)
        arguments << QStringLiteral("--mqtt") << urlOf(givenBroker);
    const CommandLine line = CommandLine::parse(arguments);
    QString why;
    QVERIFY2(w.form.mqtt().startAtLaunch(line.window, store, &why), qPrintable(why));
    Subscriber onStored(storedBroker.port(), {QStringLiteral("w/#")});
    Subscriber onGiven(givenBroker.port(), {QStringLiteral("w/#")});
    QVERIFY(onStored.connect());
    QVERIFY(onGiven.connect());
    if (!expect.isEmpty()) {
        // The burst before the bridge came tells it nothing: the states wait for the next one.
        Subscriber& on = expect == QLatin1String("stored") ? onStored : onGiven;
        QVERIFY(on.waitFor([&] { return on.last().value(QStringLiteral("w/link")) == "started"; }));
        on.waitFor([] { return false; }, 200); // a moment for anything on its way
        QVERIFY(!on.last().contains(QStringLiteral("w/track/sensor/1")));
        QVERIFY(on.last().value(QStringLiteral("w/status")) != "online");
        w.serial.deliver(burstOf({{1, 0x0005}}));
    }
    if (expect.isEmpty()) {
        QVERIFY(!w.form.mqtt().bridge());
        QTest::qWait(300);
        QVERIFY(onStored.messages().isEmpty());
        QCOMPARE(w.form.mqtt().stateText(), QStringLiteral("MQTT: fra"));
    } else {
        const bool fromStored = expect == QLatin1String("stored");
        Subscriber& on = fromStored ? onStored : onGiven;
        Subscriber& other = fromStored ? onGiven : onStored;
        QVERIFY(on.waitFor([&] { return connected(w.form); }));
        QVERIFY(
            on.waitFor([&] { return on.last().value(QStringLiteral("w/status")) == "online"; }));
        // The last state out: the broker holds them all from here on.
        QVERIFY(
            on.waitFor([&] { return on.last().contains(QStringLiteral("w/track/sensor/200")); }));
        const QMap<QString, QByteArray> held =
            retainedStates(fromStored ? storedBroker.port() : givenBroker.port());
        QCOMPARE(held.size(), 200);
        QCOMPARE(held.value(QStringLiteral("w/track/sensor/1")), QByteArray("ACTIVE"));
        QCOMPARE(held.value(QStringLiteral("w/track/sensor/2")), QByteArray("INACTIVE"));
        QCOMPARE(held.value(QStringLiteral("w/track/sensor/3")), QByteArray("ACTIVE"));
        QCOMPARE(held.value(QStringLiteral("w/track/sensor/200")), QByteArray("INACTIVE"));
        QVERIFY(!held.contains(QStringLiteral("w/track/sensor/201")));
        QVERIFY(other.messages().isEmpty());
        QCOMPARE(w.form.mqtt().fromCommandLine(), commandLine);
        w.form.frameGate().frame();
        QVERIFY(w.form.diagnostics().moduleCheckToolTip().contains(
            QStringLiteral("MQTT: forbundet til 127.0.0.1")));
        // What the window does when its loop ends (SIGTERM included): the link is told too.
        w.form.mqtt().stop();
        QVERIFY(
            on.waitFor([&] { return on.last().value(QStringLiteral("w/status")) == "offline"; }));
        QCOMPARE(on.last().value(QStringLiteral("w/link")), QByteArray("stopped"));
    }
    // The command line's broker is for this run: the stored setting stays as it was.
    QCOMPARE(bytesOf(dir.settingsFile()), before);
    QVERIFY(w.messages.shown.isEmpty());
}

void TestBridgeWindow::builtProgram_data() {
    QTest::addColumn<bool>("commandLine");
    QTest::newRow("stored setting") << false;
    QTest::newRow("--mqtt wins") << true;
}

// The program as started: the stored setting (or --mqtt) brings the bridge up with the window;
// SIGTERM ends it with "offline".
void TestBridgeWindow::builtProgram() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(bool, commandLine);
    Broker storedBroker;
    Broker givenBroker;
    QVERIFY2(storedBroker.start(), qPrintable(storedBroker.log()));
    QVERIFY2(givenBroker.start(), qPrintable(givenBroker.log()));
    QTemporaryDir config;
    const QString file = config.filePath(QStringLiteral("Gen_Vorn_S88.conf"));
    const QByteArray settings = "[MQTT]\nTil=1\nURL=" + urlOf(storedBroker).toUtf8() +
                                "\n\n[S88Left]\nAntal=2\n\n[S88Mid]\nAntal=3\n\n"
                                "[S88Right]\nAntal=0\n";
    QVERIFY(writeFile(file, settings));
    Subscriber onStored(storedBroker.port(), {QStringLiteral("w/#")});
    Subscriber onGiven(givenBroker.port(), {QStringLiteral("w/#")});
    QVERIFY(onStored.connect());
    QVERIFY(onGiven.connect());
    Subscriber& on = commandLine ? onGiven : onStored;
    // What an earlier run left: three inputs ACTIVE, its link started.
    QMap<QString, QByteArray> earlier = earlierStates(QStringLiteral("w"));
    earlier.insert(QStringLiteral("w/link"), "started");
    QVERIFY(on.publishRetained(earlier));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("S88_MQTT_PASSWORD"));
    p.setProcessEnvironment(env);
    const QString errFile = config.filePath(QStringLiteral("stderr.txt"));
    p.setStandardErrorFile(errFile);
    QStringList arguments;
    if (commandLine)
        arguments << QStringLiteral("--mqtt") << urlOf(givenBroker);
    p.start(QStringLiteral(S88MONITOR), arguments);
    QVERIFY(p.waitForStarted());
    // Not started, so nothing is known: the link says so, the states stay as they were.
    QVERIFY2(
        on.waitFor([&] { return on.last().value(QStringLiteral("w/link")) == "stopped"; }, 10000),
        qPrintable(QString::fromUtf8(bytesOf(errFile))));
    on.waitFor([] { return false; }, 3000); // three seconds, nothing started
    QCOMPARE(retainedOn(&on == &onGiven ? givenBroker.port() : storedBroker.port(),
                        QStringLiteral("w/track/sensor/+"), 3),
             earlierStates(QStringLiteral("w")));
    for (const Subscriber::Message& m : on.on(QStringLiteral("w/status")))
        QCOMPARE(m.payload, QByteArray("offline"));
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(on.waitFor([&] { return on.last().value(QStringLiteral("w/status")) == "offline"; }));
    Subscriber& other = commandLine ? onStored : onGiven;
    QVERIFY(other.messages().isEmpty());
    QCOMPARE(bytesOf(file), settings); // --mqtt leaves the stored setting as it was
    const QString err = QString::fromUtf8(bytesOf(errFile));
    QVERIFY2(err.contains(QStringLiteral("mqtt: connected to mqtt://127.0.0.1:%1")
                              .arg(commandLine ? givenBroker.port() : storedBroker.port())),
             qPrintable(err));
}

QTEST_MAIN(TestBridgeWindow)
#include "test_bridgewindow.moc"
