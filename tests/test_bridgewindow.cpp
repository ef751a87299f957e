#include "app/bridgecontrol.h"
#include "bridge/bridge.h"
#include "diag/diagarea.h"
#include "diag/mqttwindow.h"
#include "support/broker.h"
#include "support/formsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

// The window with the bridge: the module check's tooltip tells the bridge's state, Start and
// Stop reach the link topic, Indsæt (s) the module count, and counts from the broker go out
// as Indsæt (s) sends them, with no message box. The window's own MQTT setting: started at
// launch unless --mqtt is given, changed in "MQTT" and started anew, the password kept apart.
class TestBridgeWindow : public QObject {
    Q_OBJECT

private slots:
    void stateInTooltipLinkAndCounts();
    void launch_data();
    void launch();
    void dialogMovesToAnotherBroker();
    void dialogRefuses_data();
    void dialogRefuses();
    void passwordKeptApart_data();
    void passwordKeptApart();
    void storeNotWritable();
    void builtProgram_data();
    void builtProgram();
};

namespace {

const QString kApp = QStringLiteral("Gen_Vorn_S88");

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString passwordFile(const SettingsDirectory& dir) {
    return dir.path() + QStringLiteral("/Gen_Vorn_S88-mqtt-password");
}

QString urlOf(const Broker& broker, const QString& user = {}) {
    const QString who = user.isEmpty() ? QString() : user + u'@';
    return QStringLiteral("mqtt://") + who + QStringLiteral("127.0.0.1:%1/w").arg(broker.port());
}

void storeCounts(SettingsStore& store) {
    store.SaveSettings(kApp, {{QStringLiteral("S88Left"), QStringLiteral("Antal"), "2"},
                              {QStringLiteral("S88Mid"), QStringLiteral("Antal"), "3"},
                              {QStringLiteral("S88Right"), QStringLiteral("Antal"), "0"}});
}

void storeMqtt(SettingsStore& store, const QString& url, bool on) {
    store.SaveSettings(kApp, {{QStringLiteral("MQTT"), QStringLiteral("URL"), url},
                              {QStringLiteral("MQTT"), QStringLiteral("Til"), on ? "1" : "0"}});
}

QString stored(SettingsStore& store, const QString& key) {
    return store.GetSetting(kApp, QStringLiteral("MQTT"), key, QStringLiteral("(none)"));
}

// The settings file's lines of the three counts' sections, as bytes.
QByteArray countLines(const QString& file) {
    QByteArray kept;
    bool inCounts = false;
    for (const QByteArray& line : bytesOf(file).split('\n')) {
        if (line.startsWith('['))
            inCounts = line == "[S88Left]" || line == "[S88Mid]" || line == "[S88Right]";
        if (inCounts)
            kept += line + '\n';
    }
    return kept;
}

bool connected(Form1& form) {
    return form.mqtt().bridge() && form.mqtt().bridge()->isConnected();
}

// What the broker holds retained for the inputs: a subscriber that comes afterwards.
QMap<QString, QByteArray> retainedStates(int port) {
    Subscriber later(port, {QStringLiteral("w/track/sensor/+")});
    QMap<QString, QByteArray> held;
    if (!later.connect())
        return held;
    later.waitFor([&] { return later.messages().size() >= 200; });
    QTest::qWait(100); // none beyond the 200
    for (const Subscriber::Message& m : later.messages())
        if (m.retained)
            held.insert(m.topic, m.payload);
    return held;
}

} // namespace

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
        w.form.mqtt().stop();
        QVERIFY(
            on.waitFor([&] { return on.last().value(QStringLiteral("w/status")) == "offline"; }));
    }
    // The command line's broker is for this run: the stored setting stays as it was.
    QCOMPARE(bytesOf(dir.settingsFile()), before);
    QVERIFY(w.messages.shown.isEmpty());
}

void TestBridgeWindow::dialogMovesToAnotherBroker() {
    SKIP_WITHOUT_MOSQUITTO();
    SettingsDirectory dir;
    Broker first;
    Broker second;
    QVERIFY2(first.start(), qPrintable(first.log()));
    QVERIFY2(second.start(), qPrintable(second.log()));
    QtSettingsStore store;
    storeCounts(store);
    storeMqtt(store, urlOf(first), true);
    const QByteArray counts = countLines(dir.settingsFile());
    QCOMPARE(counts.count("Antal="), 3);
    ScriptedWindow w(RigSetup{.store = &store});
    QVERIFY(w.form.mqtt().startAtLaunch(CommandLine::parse({"s88monitor"}).window, store));
    Subscriber onFirst(first.port(), {QStringLiteral("w/#")});
    QVERIFY(onFirst.connect());
    QVERIFY(onFirst.waitFor([&] { return connected(w.form); }));

    MqttWindow& d = w.form.openMqtt();
    QCOMPARE(d.url().text(), urlOf(first));
    QVERIFY(d.on().isChecked());
    QVERIFY(!d.discovery().isChecked());
    QVERIFY(onFirst.waitFor([&] {
        d.refreshState();
        return d.stateText() == QStringLiteral("MQTT: forbundet til 127.0.0.1");
    }));
    d.url().setText(urlOf(second));
    d.discovery().setChecked(true);
    QCOMPARE(d.reason(), QString());
    Subscriber onSecond(second.port(), {QStringLiteral("w/#"), QStringLiteral("homeassistant/#")});
    QVERIFY(onSecond.connect());
    d.applyButton().click();
    QVERIFY(onFirst.waitFor(
        [&] { return onFirst.last().value(QStringLiteral("w/status")) == "offline"; }));
    QVERIFY(onSecond.waitFor([&] { return connected(w.form); }));
    QVERIFY(onSecond.waitFor([&] {
        return onSecond.last().value(QStringLiteral("w/status")) == "online" &&
               onSecond.last().contains(
                   QStringLiteral("homeassistant/binary_sensor/s88_w/input1/config"));
    }));
    QCOMPARE(w.form.mqtt().bridge()->options().url.port, second.port());
    QCOMPARE(retainedStates(second.port()).size(), 200);
    w.form.frameGate().frame();
    QVERIFY(w.form.diagnostics().moduleCheckToolTip().endsWith(
        QStringLiteral("MQTT: forbundet til 127.0.0.1")));
    QCOMPARE(stored(store, QStringLiteral("URL")), urlOf(second));
    QCOMPARE(stored(store, QStringLiteral("Discovery")), QStringLiteral("1"));
    QCOMPARE(stored(store, QStringLiteral("Kommandoer")), QStringLiteral("0"));
    QCOMPARE(stored(store, QStringLiteral("Til")), QStringLiteral("1"));
    QCOMPARE(countLines(dir.settingsFile()), counts);

    // "Anvend" with nothing changed keeps the connection.
    const qsizetype statuses = onSecond.on(QStringLiteral("w/status")).size();
    Bridge* running = w.form.mqtt().bridge();
    d.applyButton().click();
    QTest::qWait(200);
    QCOMPARE(w.form.mqtt().bridge(), running);
    QCOMPARE(onSecond.on(QStringLiteral("w/status")).size(), statuses);

    // Off: "offline" out, and the window says so.
    d.on().setChecked(false);
    d.applyButton().click();
    QVERIFY(onSecond.waitFor(
        [&] { return onSecond.last().value(QStringLiteral("w/status")) == "offline"; }));
    QVERIFY(!w.form.mqtt().bridge());
    QCOMPARE(d.stateText(), QStringLiteral("MQTT: fra"));
    QCOMPARE(stored(store, QStringLiteral("Til")), QStringLiteral("0"));
    QCOMPARE(countLines(dir.settingsFile()), counts);
    QVERIFY(w.messages.shown.isEmpty());
}

void TestBridgeWindow::dialogRefuses_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("ca"); // "missing": a file that is not there
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("reason"); // empty: stored
    QTest::newRow("no scheme") << "http://127.0.0.1/w"
                               << "" << true << "mqtt://";
    QTest::newRow("password in the URL") << "mqtt://anna:x@127.0.0.1/w"
                                         << "" << false << "no password in the URL";
    QTest::newRow("port 0") << "mqtt://127.0.0.1:0/w"
                            << "" << false << "\"0\" is not";
    QTest::newRow("port 1") << "mqtt://127.0.0.1:1/w"
                            << "" << false << "";
    QTest::newRow("port 65535") << "mqtt://127.0.0.1:65535/w"
                                << "" << false << "";
    QTest::newRow("port 65536") << "mqtt://127.0.0.1:65536/w"
                                << "" << false << "\"65536\" is not";
    QTest::newRow("empty, on") << ""
                               << "" << true << "expected mqtt://";
    QTest::newRow("empty, off") << ""
                                << "" << false << "";
    QTest::newRow("no host") << "mqtt:///w"
                             << "" << false << "no broker host";
    QTest::newRow("bad prefix") << "mqtt://127.0.0.1/a+b"
                                << "" << false << "prefix";
    QTest::newRow("CA file missing") << "mqtts://127.0.0.1/w"
                                     << "missing" << false << "CA-filen";
}

void TestBridgeWindow::dialogRefuses() {
    QFETCH(QString, url);
    QFETCH(QString, ca);
    QFETCH(bool, on);
    QFETCH(QString, reason);
    SettingsDirectory dir;
    QtSettingsStore store;
    storeCounts(store);
    const QByteArray before = bytesOf(dir.settingsFile());
    const QByteArray counts = countLines(dir.settingsFile());
    QCOMPARE(counts.count("Antal="), 3);
    ScriptedWindow w(RigSetup{.store = &store});
    MqttWindow& d = w.form.openMqtt();
    d.url().setText(url);
    if (!ca.isEmpty())
        d.caFile().setText(dir.path() + QStringLiteral("/no-such-ca.pem"));
    d.on().setChecked(on);
    // The reason shows as the URL is typed, before "Anvend".
    QVERIFY2(d.reason().contains(reason), qPrintable(d.reason()));
    QCOMPARE(d.reason().isEmpty(), reason.isEmpty());
    QCOMPARE(d.apply(), reason.isEmpty());
    QVERIFY2(d.reason().contains(reason), qPrintable(d.reason()));
    QVERIFY(!w.form.mqtt().bridge());
    QVERIFY(w.messages.shown.isEmpty());
    if (reason.isEmpty()) {
        QCOMPARE(stored(store, QStringLiteral("URL")), url);
        QCOMPARE(countLines(dir.settingsFile()), counts);
    } else {
        QCOMPARE(bytesOf(dir.settingsFile()), before); // nothing stored
        QCOMPARE(stored(store, QStringLiteral("URL")), QStringLiteral("(none)"));
    }
}

void TestBridgeWindow::passwordKeptApart_data() {
    QTest::addColumn<QString>("from"); // "field", "field over a 0644 file", "environment"
    QTest::newRow("typed") << "field";
    QTest::newRow("typed over an open file") << "field over a 0644 file";
    QTest::newRow("environment") << "environment";
}

void TestBridgeWindow::passwordKeptApart() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QString, from);
    const QByteArray secret = "Pa55-h23-w0rd";
    QTemporaryDir tmp;
    const QString passwords = tmp.filePath(QStringLiteral("passwd"));
    QVERIFY(writeFile(passwords, ""));
    QProcess tool;
    tool.start(
        QStringLiteral("mosquitto_passwd"),
        {QStringLiteral("-b"), passwords, QStringLiteral("anna"), QString::fromUtf8(secret)});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        QSKIP("mosquitto_passwd is not installed");
    Broker broker(QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    SettingsDirectory dir;
    QtSettingsStore store;
    storeCounts(store);
    const QByteArray counts = countLines(dir.settingsFile());
    const QString file = passwordFile(dir);
    if (from == QLatin1String("field over a 0644 file")) {
        QVERIFY(writeFile(file, "old\n"));
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0644) == 0);
    }
    const bool environment = from == QLatin1String("environment");
    if (environment)
        qputenv("S88_MQTT_PASSWORD", secret);
    QStringList lines; // before the window, which may still say something as it goes
    ScriptedWindow w(RigSetup{.store = &store});
    connect(&w.form.mqtt(), &BridgeControl::stateChanged, this,
            [&lines](const QString& line) { lines << line; });
    MqttWindow& d = w.form.openMqtt();
    QCOMPARE(d.password().text(), QFile::exists(file) ? QStringLiteral("old") : QString());
    d.url().setText(urlOf(broker, QStringLiteral("anna")));
    d.password().setText(environment ? QString() : QString::fromUtf8(secret));
    d.on().setChecked(true);
    QVERIFY(d.apply());
    // Connected: the broker took the password.
    QVERIFY(QTest::qWaitFor([&] { return connected(w.form); }, 5000));
    qunsetenv("S88_MQTT_PASSWORD");
    w.form.frameGate().frame();
    d.refreshState();
    const QByteArray settings = bytesOf(dir.settingsFile());
    QVERIFY(settings.contains("[MQTT]"));
    QVERIFY(!settings.contains(secret));
    QCOMPARE(countLines(dir.settingsFile()), counts);
    if (environment) {
        QVERIFY(!QFile::exists(file));
    } else {
        QCOMPARE(bytesOf(file), secret + '\n');
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0600);
    }
    const QStringList shown =
        w.messages.shown + lines +
        QStringList{d.stateText(), d.reason(), w.form.diagnostics().moduleCheckToolTip(),
                    d.password().toolTip(), d.windowTitle()};
    QVERIFY(!lines.isEmpty());
    for (const QString& text : shown)
        QVERIFY2(!text.contains(QString::fromUtf8(secret)), qPrintable(text));
    // Emptied in the window: the file goes.
    if (!environment) {
        d.password().clear();
        QVERIFY(d.apply());
        QVERIFY(!QFile::exists(file));
    }
    w.form.mqtt().stop();
}

void TestBridgeWindow::storeNotWritable() {
    SettingsDirectory dir;
    const QString secret = QStringLiteral("Pa55-h23-w0rd");
    {
        // The password file cannot be written: a message, and nothing stored.
        ScriptedWindow w;
        QVERIFY(QDir().mkpath(passwordFile(dir)));
        MqttWindow& d = w.form.openMqtt();
        d.url().setText(QStringLiteral("mqtt://anna@127.0.0.1:1/w"));
        d.password().setText(secret);
        QVERIFY(!d.apply());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown[0].startsWith(QStringLiteral("Adgangskoden kunne ikke gemmes")),
                 qPrintable(w.messages.shown[0]));
        QVERIFY(!w.messages.shown[0].contains(secret));
        QVERIFY(w.settings.values.isEmpty());
        QVERIFY(QDir(passwordFile(dir)).removeRecursively());
    }
    {
        // The settings file cannot be written: a message; the setting holds for this run.
        ScriptedWindow w;
        w.settings.failWrites = true;
        MqttWindow& d = w.form.openMqtt();
        d.url().setText(QStringLiteral("mqtt://127.0.0.1:1/w"));
        d.on().setChecked(true);
        QVERIFY(d.apply());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(
            w.messages.shown[0].startsWith(QStringLiteral("MQTT-indstillingen kunne ikke gemmes")),
            qPrintable(w.messages.shown[0]));
        QVERIFY(w.form.mqtt().bridge());
        QVERIFY(!w.form.mqtt().bridge()->isConnected());
        w.form.mqtt().stop();
    }
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
    QVERIFY2(
        on.waitFor([&] { return on.last().value(QStringLiteral("w/status")) == "online"; }, 10000),
        qPrintable(QString::fromUtf8(p.readAllStandardError())));
    QVERIFY(on.waitFor([&] { return on.last().contains(QStringLiteral("w/track/sensor/200")); }));
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
