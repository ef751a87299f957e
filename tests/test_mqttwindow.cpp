#include "app/mqttwindow.h"
#include "diag/diagarea.h"
#include "support/broker.h"
#include "support/formsupport.h"
#include "support/mqttsetting.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <sys/stat.h>

using namespace mqtt_rig;

// The "MQTT" window: a changed setting moves the bridge to another broker at once (the old
// one told "offline"), a URL that is not one is refused with its reason and nothing stored,
// the password lives in a file of its own (0600) and never in the settings file or a message,
// and a store that cannot be written is told.
class TestMqttWindow : public QObject {
    Q_OBJECT

private slots:
    void dialogMovesToAnotherBroker();
    void dialogRefuses_data();
    void dialogRefuses();
    void passwordKeptApart_data();
    void passwordKeptApart();
    void wrongPassword();
    void storeNotWritable();
};

void TestMqttWindow::dialogMovesToAnotherBroker() {
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
    w.start();
    QVERIFY(w.form.mqtt().startAtLaunch(CommandLine::parse({"s88monitor"}).window, store));
    Subscriber onFirst(first.port(), {QStringLiteral("w/#")});
    QVERIFY(onFirst.connect());
    QVERIFY(onFirst.waitFor([&] { return connected(w.form); }));

    // "MQTT…" in the diagnostics area opens the window on the stored setting.
    QTest::mouseClick(&w.form.diagnostics().mqttButton(), Qt::LeftButton);
    auto* shown = w.form.findChild<MqttWindow*>();
    QVERIFY(shown && shown->isVisible());
    MqttWindow& d = w.form.openMqtt();
    QCOMPARE(&d, shown);
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
    // The new bridge tells the states once a burst has told them to it.
    w.serial.deliver(burstOf({{1, 0x0005}}));
    QVERIFY(onSecond.waitFor([&] {
        return onSecond.last().value(QStringLiteral("w/status")) == "online" &&
               onSecond.last().contains(QStringLiteral("homeassistant/device/s88_w/config"));
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
    w.serial.deliver(burstOf({{1, 0x0005}})); // the line goes on giving data
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

void TestMqttWindow::dialogRefuses_data() {
    QTest::addColumn<QString>("url");
    // "missing": a file that is not there; a number: a readable file, its path this long
    QTest::addColumn<QString>("ca");
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
                                << "" << false << "præfikset";
    QTest::newRow("prefix of 65 characters")
        << "mqtt://127.0.0.1/" + QString(65, u'p') << "" << false << "højst 64";
    QTest::newRow("CA file missing") << "mqtts://127.0.0.1/w"
                                     << "missing" << false << "CA-filen";
    // Stored texts are read back up to 255 characters: a longer one is refused, not cut.
    const QString at =
        QStringLiteral("mqtt://") + QString(234, u'a') + QStringLiteral("@127.0.0.1:1/w");
    QTest::newRow("URL of 255 characters") << at << "" << false << "";
    QTest::newRow("URL of 256 characters") << at + u'a' << "" << false << "højst 255 tegn";
    QTest::newRow("CA path of 255 characters") << "mqtts://127.0.0.1/w"
                                               << "255" << false << "";
    QTest::newRow("CA path of 256 characters") << "mqtts://127.0.0.1/w"
                                               << "256" << false << "højst 255 tegn";
}

void TestMqttWindow::dialogRefuses() {
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
    if (ca == QLatin1String("missing")) {
        d.caFile().setText(dir.path() + QStringLiteral("/no-such-ca.pem"));
    } else if (!ca.isEmpty()) {
        const QString stem = dir.path() + QStringLiteral("/ca-");
        const QString path = stem + QString(ca.toInt() - stem.size() - 4, u'c') + ".pem";
        QCOMPARE(path.size(), ca.toInt());
        QVERIFY(writeFile(path, "-----BEGIN CERTIFICATE-----\n"));
        d.caFile().setText(path);
    }
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
        QCOMPARE(stored(store, QStringLiteral("CA")), d.caFile().text());
        QCOMPARE(countLines(dir.settingsFile()), counts);
    } else {
        QCOMPARE(bytesOf(dir.settingsFile()), before); // nothing stored
        QCOMPARE(stored(store, QStringLiteral("URL")), QStringLiteral("(none)"));
    }
}

void TestMqttWindow::passwordKeptApart_data() {
    QTest::addColumn<QString>("from"); // "field", "field over a 0644 file", "environment"
    QTest::newRow("typed") << "field";
    QTest::newRow("typed over an open file") << "field over a 0644 file";
    QTest::newRow("environment") << "environment";
}

void TestMqttWindow::passwordKeptApart() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QString, from);
    const QByteArray secret = "Pa55-h23-w0rd";
    QTemporaryDir tmp;
    const QString passwords = tmp.filePath(QStringLiteral("passwd"));
    if (!writePasswords(passwords, QString::fromUtf8(secret)))
        QFAIL("mosquitto_passwd is not installed (scripts/setup.sh installs it)");
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

void TestMqttWindow::wrongPassword() {
    SKIP_WITHOUT_MOSQUITTO();
    QTemporaryDir tmp;
    const QString passwords = tmp.filePath(QStringLiteral("passwd"));
    if (!writePasswords(passwords, QStringLiteral("right-h23-pw")))
        QFAIL("mosquitto_passwd is not installed (scripts/setup.sh installs it)");
    Broker broker(QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    SettingsDirectory dir;
    QtSettingsStore store;
    storeCounts(store);
    ScriptedWindow w(RigSetup{.store = &store, .openPort = true});
    MqttWindow& d = w.form.openMqtt();
    d.url().setText(urlOf(broker, QStringLiteral("anna")));
    d.password().setText(QStringLiteral("Wr0ng-h23-pw"));
    d.on().setChecked(true);
    QVERIFY(d.apply());
    // The window says why, once the broker has refused.
    QVERIFY(QTest::qWaitFor(
        [&] {
            d.refreshState();
            return d.troubleText().contains(QStringLiteral("user name or password"));
        },
        5000));
    QVERIFY(!connected(w.form));
    QCOMPARE(d.stateText(), QStringLiteral("MQTT: forbinder til 127.0.0.1"));
    QVERIFY(!d.troubleText().contains(QStringLiteral("Wr0ng")));
    QVERIFY(w.messages.shown.isEmpty());
    // The window goes on meanwhile.
    w.serial.deliver(burstOf({{1, 0x0001}}));
    QVERIFY(w.state().InputState[1]);
    // The right one: connected, and nothing troubles it any more.
    d.password().setText(QStringLiteral("right-h23-pw"));
    QVERIFY(d.apply());
    QVERIFY(QTest::qWaitFor([&] { return connected(w.form); }, 5000));
    d.refreshState();
    QCOMPARE(d.troubleText(), QString());
    QCOMPARE(d.stateText(), QStringLiteral("MQTT: forbundet til 127.0.0.1"));
    w.form.mqtt().stop();
}

void TestMqttWindow::storeNotWritable() {
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

QTEST_MAIN(TestMqttWindow)
#include "test_mqttwindow.moc"
