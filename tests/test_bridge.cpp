#include "bridge/bridge.h"
#include "bridge/mqtturl.h"
#include "bridge/topics.h"
#include "history/names.h"
#include "history/station.h"
#include "link/countcommand.h"
#include "support/broker.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A station on a scripted line, with a bridge on top.
struct Rig {
    ScriptedSerialControl serial;
    Station station{serial};
    FormState& state = station.state();
    ChangeHistory& history = station.history();
    std::unique_ptr<Bridge> bridge;
    QStringList lines;

    explicit Rig(Bridge::Options options) {
        serial.setPortOpen(true);
        station.listen([](const QString&) {});
        bridge = std::make_unique<Bridge>(station, std::move(options));
        bridge->setLink(Bridge::Link::Started); // as the window's Start and the service do
        QObject::connect(bridge.get(), &Bridge::stateChanged, &serial,
                         [this](const QString& line) { lines.append(line); });
    }
    static Bridge::Options at(int port, const QString& prefix = QStringLiteral("t")) {
        Bridge::Options o;
        // An empty prefix: none in the URL, so the default.
        o.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(port).arg(prefix));
        return o;
    }
    // All 160 lamps' inputs as the broker should hold them.
    QMap<QString, QByteArray> expected(const QString& prefix = QStringLiteral("t")) const {
        QMap<QString, QByteArray> m;
        for (int n = 1; n <= 200; ++n)
            m.insert(QStringLiteral("%1/track/sensor/%2").arg(prefix).arg(n),
                     state.InputState[std::size_t(n)] ? "ACTIVE" : "INACTIVE");
        return m;
    }
};

QMap<QString, QByteArray> sensors(const QMap<QString, QByteArray>& all) {
    QMap<QString, QByteArray> m;
    for (auto it = all.begin(); it != all.end(); ++it)
        if (it.key().contains(QStringLiteral("/track/sensor/")))
            m.insert(it.key(), it.value());
    return m;
}

// A burst of modules 1..10 with these inputs per module.
QByteArray tenModules(quint16 inputs) {
    QList<Report> reports;
    for (int m = 1; m <= 10; ++m)
        reports.append({m, inputs});
    return burstOf(reports);
}

// A burst of modules 1..10 after flipping the first `n` of inputs 1..160 in `now`.
QByteArray flipped(std::array<bool, 161>& now, int n) {
    for (int i = 1; i <= n; ++i)
        now[std::size_t(i)] = !now[std::size_t(i)];
    QList<Report> reports;
    for (int m = 1; m <= 10; ++m) {
        quint16 bits = 0;
        for (int c = 0; c < 16; ++c)
            bits |= now[std::size_t((m - 1) * 16 + c + 1)] ? quint16(1u << c) : 0;
        reports.append({m, bits});
    }
    return burstOf(reports);
}

} // namespace

class TestBridge : public QObject {
    Q_OBJECT

private slots:
    void url_data();
    void url();
    void nodeAndClientIds();
    void sensorTopics_data();
    void sensorTopics();
    void password();
    void statesEqualLampsAfterBursts();
    void oneEventPerChange();
    void checkAndLink();
    void defaultPrefixTaken_data();
    void defaultPrefixTaken();
    void statesUnknownUntilACompleteBurst_data();
    void statesUnknownUntilACompleteBurst();
    void discovery();
    void discoveryAfterRestartWithFewerCounts();
    void foreignStatesAnswered_data();
    void foreignStatesAnswered();
    void brokerRestartedMidStream();
    void heldLimit_data();
    void heldLimit();
    void frozenBroker();
    void wrongPassword();
    void silentBroker();
    void tls();
    void commands_data();
    void commands();
    void commandsOff();
};

void TestBridge::url_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("host only") << "mqtt://broker" << true << false << ""
                               << "broker" << 1883 << "s88";
    QTest::newRow("port and prefix") << "mqtt://10.0.0.2:1884/layout1" << true << false << ""
                                     << "10.0.0.2" << 1884 << "layout1";
    QTest::newRow("user") << "mqtt://anna@pi.local/club/hall" << true << false << "anna"
                          << "pi.local" << 1883 << "club/hall";
    QTest::newRow("tls default port") << "mqtts://broker" << true << true << ""
                                      << "broker" << 8883 << "s88";
    QTest::newRow("trailing slash") << "mqtt://h/p/" << true << false << ""
                                    << "h" << 1883 << "p";
    QTest::newRow("empty prefix") << "mqtt://h/" << true << false << ""
                                  << "h" << 1883 << "s88";
    QTest::newRow("port 1") << "mqtt://h:1" << true << false << ""
                            << "h" << 1 << "s88";
    QTest::newRow("port 65535") << "mqtt://h:65535" << true << false << ""
                                << "h" << 65535 << "s88";
    QTest::newRow("ipv6") << "mqtt://[::1]:1883" << true << false << ""
                          << "::1" << 1883 << "s88";
    QTest::newRow("port 0") << "mqtt://h:0" << false << false << ""
                            << "" << 0 << "";
    QTest::newRow("port 65536") << "mqtt://h:65536" << false << false << ""
                                << "" << 0 << "";
    QTest::newRow("port text") << "mqtt://h:x" << false << false << ""
                               << "" << 0 << "";
    QTest::newRow("no scheme") << "broker:1883" << false << false << ""
                               << "" << 0 << "";
    QTest::newRow("http") << "http://broker" << false << false << ""
                          << "" << 0 << "";
    QTest::newRow("no host") << "mqtt://" << false << false << ""
                             << "" << 0 << "";
    QTest::newRow("password in url") << "mqtt://anna:secret@h" << false << false << ""
                                     << "" << 0 << "";
    QTest::newRow("empty user") << "mqtt://@h" << false << false << ""
                                << "" << 0 << "";
    QTest::newRow("wildcard prefix") << "mqtt://h/a/#" << false << false << ""
                                     << "" << 0 << "";
    QTest::newRow("plus prefix") << "mqtt://h/+" << false << false << ""
                                 << "" << 0 << "";
    QTest::newRow("double slash prefix") << "mqtt://h/a//b" << false << false << ""
                                         << "" << 0 << "";
    // Letters, digits, _ and - in levels parted by /, at most 64 characters.
    QTest::newRow("dot prefix") << "mqtt://h/a.b" << false << false << ""
                                << "" << 0 << "";
    QTest::newRow("blank in prefix") << "mqtt://h/a b" << false << false << ""
                                     << "" << 0 << "";
    QTest::newRow("hash prefix") << "mqtt://h/#" << false << false << ""
                                 << "" << 0 << "";
    QTest::newRow("dollar prefix") << "mqtt://h/$SYS" << false << false << ""
                                   << "" << 0 << "";
    QTest::newRow("underscore and dash") << "mqtt://h/a_b/c-d" << true << false << ""
                                         << "h" << 1883 << "a_b/c-d";
    QTest::newRow("prefix of 63") << "mqtt://h/" + QString(63, u'p') << true << false << ""
                                  << "h" << 1883 << QString(63, u'p');
    QTest::newRow("prefix of 64") << "mqtt://h/" + QString(64, u'p') << true << false << ""
                                  << "h" << 1883 << QString(64, u'p');
    QTest::newRow("prefix of 65") << "mqtt://h/" + QString(65, u'p') << false << false << ""
                                  << "" << 0 << "";
    QTest::newRow("prefix of 300") << "mqtt://h/" + QString(300, u'p') << false << false << ""
                                   << "" << 0 << "";
}

void TestBridge::url() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QString why;
    const std::optional<MqttUrl> url = MqttUrl::parse(text, &why);
    QCOMPARE(url.has_value(), ok);
    if (!ok) {
        QVERIFY(!why.isEmpty());
        QVERIFY(!why.contains(QStringLiteral("secret")));
        return;
    }
    QTEST(url->tls, "tls");
    QTEST(url->user, "user");
    QTEST(url->host, "host");
    QTEST(url->port, "port");
    QTEST(url->prefix, "prefix");
}

// Different prefixes never share a node id (nor the unique ids made from it); the client id is
// one every broker must take and the same at every start.
void TestBridge::nodeAndClientIds() {
    const QStringList prefixes{"a_b",  "a/b",       "a-b",   "a__b",  "a/_b",  "a_/b",
                               "a-_b", "a_-b",      "a--b",  "a/-b",  "a-/b",  "ab",
                               "s88",  "club/hall", "a/b/c", "a_b_c", "a/b_c", "a-b-c"};
    QSet<QString> nodes;
    QSet<QString> clients;
    static const QRegularExpression nodeChars(QStringLiteral("^[A-Za-z0-9_-]+$"));
    static const QRegularExpression clientChars(QStringLiteral("^[A-Za-z0-9]{1,23}$"));
    for (const QString& prefix : prefixes) {
        const QString node = topics::node(prefix);
        QVERIFY2(nodeChars.match(node).hasMatch(), qPrintable(node));
        nodes.insert(node);
        const QString client = Bridge::clientId(prefix);
        QVERIFY2(clientChars.match(client).hasMatch(), qPrintable(client));
        QCOMPARE(Bridge::clientId(prefix), client);
        clients.insert(client);
    }
    QCOMPARE(nodes.size(), prefixes.size());
    QCOMPARE(clients.size(), prefixes.size());
    QVERIFY(topics::node(QStringLiteral("a_b")) != topics::node(QStringLiteral("a/b")));
    QCOMPARE(topics::node(QStringLiteral("club/hall")), QStringLiteral("s88_club_hall"));
    QCOMPARE(Bridge::clientId(QString(64, u'p')).size(), 23);
    // Entity ids as Home Assistant takes them: lower case, no "__", no '_' at either end.
    static const QRegularExpression entity(
        QStringLiteral("^binary_sensor\\.(?!_)(?!.*__)[a-z0-9_]+(?<!_)$"));
    for (const QString& prefix : prefixes + QStringList{"A-B", "_x_", "X"}) {
        const QString id = topics::entityId(prefix, 17);
        QVERIFY2(entity.match(id).hasMatch(), qPrintable(id));
    }
    QCOMPARE(topics::entityId(QStringLiteral("Club/Hall"), 17),
             QStringLiteral("binary_sensor.s88_club_hall_input17"));
}

void TestBridge::sensorTopics_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<int>("input");
    QTest::newRow("1") << "t/track/sensor/1" << 1;
    QTest::newRow("200") << "t/track/sensor/200" << 200;
    QTest::newRow("0") << "t/track/sensor/0" << 0;
    QTest::newRow("201") << "t/track/sensor/201" << 0;
    QTest::newRow("leading zero") << "t/track/sensor/01" << 0;
    QTest::newRow("sign") << "t/track/sensor/+5" << 0;
    QTest::newRow("a level more") << "t/track/sensor/5/x" << 0;
    QTest::newRow("another prefix") << "u/track/sensor/5" << 0;
    QTest::newRow("a longer prefix") << "tt/track/sensor/5" << 0;
    QTest::newRow("another topic") << "t/track/senso/5" << 0;
    QTest::newRow("no number") << "t/track/sensor/" << 0;
}

// The state topics the bridge answers for, and only those.
void TestBridge::sensorTopics() {
    QFETCH(QString, topic);
    QTEST(topics::sensorOf(QStringLiteral("t"), topic), "input");
}

void TestBridge::password() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pw"));
    QVERIFY(writeFile(file, "s3cret\nsecond line\n"));
    qputenv("S88_MQTT_PASSWORD", "fromenv");
    QCOMPARE(readMqttPassword(file).value_or(QString()), QStringLiteral("s3cret"));
    QCOMPARE(readMqttPassword({}).value_or(QString()), QStringLiteral("fromenv"));
    qunsetenv("S88_MQTT_PASSWORD");
    QCOMPARE(readMqttPassword({}).value_or(QStringLiteral("x")), QString());
    QString why;
    QVERIFY(!readMqttPassword(dir.filePath(QStringLiteral("none")), &why));
    QVERIFY(!why.isEmpty());
    // A service's credential, from systemd's LoadCredential=: before the environment, after
    // a named file; an empty one is no password.
    QTemporaryDir credentials;
    qputenv("CREDENTIALS_DIRECTORY", credentials.path().toUtf8());
    qputenv("S88_MQTT_PASSWORD", "fromenv");
    QCOMPARE(readMqttPassword({}).value_or(QString()), QStringLiteral("fromenv"));
    QVERIFY(writeFile(credentials.filePath(QStringLiteral("mqtt-password")), "cr3d\n"));
    QCOMPARE(readMqttPassword({}).value_or(QString()), QStringLiteral("cr3d"));
    QCOMPARE(readMqttPassword(file).value_or(QString()), QStringLiteral("s3cret"));
    QVERIFY(writeFile(credentials.filePath(QStringLiteral("mqtt-password")), ""));
    QCOMPARE(readMqttPassword({}).value_or(QStringLiteral("x")), QString());
    qunsetenv("CREDENTIALS_DIRECTORY");
    qunsetenv("S88_MQTT_PASSWORD");
}

void TestBridge::statesEqualLampsAfterBursts() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/#")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }));
    QRandomGenerator random(23);
    for (int i = 0; i < 200; ++i)
        rig.serial.deliver(randomBurst(random, oneTo(10)));
    QVERIFY(std::count(rig.state.InputState.begin(), rig.state.InputState.end(), true) > 20);
    const bool same = live.waitFor([&] { return sensors(live.last()) == rig.expected(); }, 30000);
    if (!same) {
        const auto got = sensors(live.last());
        const auto want = rig.expected();
        int differ = 0;
        for (auto it = want.begin(); it != want.end(); ++it)
            differ += got.value(it.key()) != it.value();
        qWarning() << "differ" << differ << "got" << got.size() << "messages"
                   << live.messages().size() << rig.history.total();
    }
    QVERIFY(same);
    // What the broker keeps: a subscriber that comes later sees the lamps.
    Subscriber later(broker.port(), {QStringLiteral("t/track/sensor/+")});
    QVERIFY(later.connect());
    QVERIFY(later.waitFor([&] { return later.last().size() == 200; }));
    QCOMPARE(later.last(), rig.expected());
    // The first 200 are what the broker kept (the states may go out again behind them, once
    // the bridge's queue, filled by the flood, has room).
    for (const Subscriber::Message& m : later.messages().first(200))
        QVERIFY(m.retained);
    QCOMPARE(live.last().value(QStringLiteral("t/status")), QByteArray("online"));
}

void TestBridge::oneEventPerChange() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/event")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }));
    // Input 73 is module 5, contact 9: on, off, on; input 1 on once.
    rig.serial.deliver(burstOf({{5, 0x0100}, {1, 0x0001}}));
    QTest::qWait(20);
    rig.serial.deliver(burstOf({{5, 0x0000}, {1, 0x0001}}));
    rig.serial.deliver(burstOf({{5, 0x0100}, {1, 0x0001}}));
    QVERIFY(live.waitFor([&] { return live.messages().size() >= 4; }));
    QTest::qWait(100);
    const QList<Subscriber::Message> events = live.messages();
    QCOMPARE(events.size(), 4);
    QList<int> inputs;
    QList<int> states;
    for (const Subscriber::Message& m : events) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(m.payload, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(!m.retained);
        inputs.append(o.value(QStringLiteral("input")).toInt());
        states.append(o.value(QStringLiteral("state")).toInt(-1));
        const int input = inputs.last();
        QCOMPARE(o.value(QStringLiteral("module")).toInt(), (input - 1) / 16 + 1);
        QCOMPARE(o.value(QStringLiteral("contact")).toInt(), (input - 1) % 16 + 1);
        // The history's wall clock at time_ms, to the millisecond, in UTC.
        const QString time = o.value(QStringLiteral("time")).toString();
        QVERIFY2(time.endsWith(QLatin1Char('Z')), qPrintable(time));
        QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs),
                 rig.history.wallTime(o.value(QStringLiteral("time_ms")).toInteger(-1)));
        QVERIFY(o.contains(QStringLiteral("since_ms")));
    }
    QCOMPARE(inputs, (QList<int>{73, 1, 73, 73}));
    QCOMPARE(states, (QList<int>{1, 1, 0, 1}));
    const QJsonObject first = QJsonDocument::fromJson(events[0].payload).object();
    QVERIFY(first.value(QStringLiteral("since_ms")).isNull());
    const QJsonObject third = QJsonDocument::fromJson(events[2].payload).object();
    QVERIFY(third.value(QStringLiteral("since_ms")).toInt(-1) >= 20);
}

void TestBridge::checkAndLink() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    rig.station.setConfiguredModules(3, true);
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/check"), QStringLiteral("t/link")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }));
    rig.bridge->setLink(Bridge::Link::Started);
    rig.serial.deliver(burstOf({{1, 0}, {2, 0}, {7, 0}}));
    rig.serial.deliver(QByteArray("x"));
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("t/link")) == "started"; }));
    QVERIFY(live.waitFor(
        [&] {
            const QJsonObject o =
                QJsonDocument::fromJson(live.last().value(QStringLiteral("t/check"))).object();
            return o.value(QStringLiteral("unknown")).toString() == QStringLiteral("7");
        },
        3000));
    const QJsonObject o =
        QJsonDocument::fromJson(live.last().value(QStringLiteral("t/check"))).object();
    QCOMPARE(o.value(QStringLiteral("configured")).toInt(), 3);
    QCOMPARE(o.value(QStringLiteral("reported")).toString(), QStringLiteral("1-2, 7"));
    QCOMPARE(o.value(QStringLiteral("missing")).toString(), QStringLiteral("3"));
    QCOMPARE(o.value(QStringLiteral("stray_bytes")).toInt(), 1);
    QCOMPARE(o.value(QStringLiteral("given_up")).toInt(), 0);
    // At most one a second: two seconds of a steady stream give at most three.
    const qsizetype before = live.on(QStringLiteral("t/check")).size();
    for (int i = 0; i < 40; ++i) {
        rig.serial.deliver(burstOf({{1, 0}, {2, 0}, {7, 0}}));
        QTest::qWait(50);
    }
    QVERIFY(live.on(QStringLiteral("t/check")).size() - before <= 3);
    rig.bridge->setLink(Bridge::Link::Lost);
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("t/link")) == "lost"; }));
    rig.bridge->stop();
}

void TestBridge::statesUnknownUntilACompleteBurst_data() {
    QTest::addColumn<QByteArray>("beforeStart");       // on the line before the link is started
    QTest::addColumn<QList<QByteArray>>("afterStart"); // each read on its own
    QTest::addColumn<bool>("known");
    const QByteArray part = onlyInput73().left(8); // 'i', the count and two of eight reports
    QTest::newRow("nothing") << QByteArray() << QList<QByteArray>{} << false;
    QTest::newRow("stray bytes") << QByteArray() << QList<QByteArray>{bytes({1, 2, 3})} << false;
    QTest::newRow("a burst given up part-way") << QByteArray() << QList<QByteArray>{part} << false;
    QTest::newRow("a complete burst before Start only")
        << onlyInput73() << QList<QByteArray>{} << false;
    QTest::newRow("a complete burst") << QByteArray() << QList<QByteArray>{onlyInput73()} << true;
    QTest::newRow("given up, then complete")
        << QByteArray() << QList<QByteArray>{part, onlyInput73()} << true;
}

// Until a complete burst since Start has told the inputs, the broker keeps what it had (here
// 52, 73 and 125 ACTIVE from an earlier run) and the status is not "online". Stop and a lost
// port take "online" back and leave the states.
void TestBridge::statesUnknownUntilACompleteBurst() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QByteArray, beforeStart);
    QFETCH(QList<QByteArray>, afterStart);
    QFETCH(bool, known);
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("t/#")});
    QVERIFY(live.connect());
    QVERIFY(live.publishRetained(earlierStates(QStringLiteral("t"))));
    Rig rig(Rig::at(broker.port()));
    rig.bridge->setLink(Bridge::Link::Stopped);
    rig.bridge->start();
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("t/link")) == "stopped"; }));
    if (!beforeStart.isEmpty())
        rig.serial.deliver(beforeStart);
    rig.bridge->setLink(Bridge::Link::Started);
    for (const QByteArray& read : afterStart)
        rig.serial.deliver(read);
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("t/link")) == "started"; }));
    QCOMPARE(rig.bridge->statesKnown(), known);
    auto status = [&] { return live.last().value(QStringLiteral("t/status")); };
    if (!known) {
        live.waitFor([] { return false; }, 200); // a moment for anything on its way
        QCOMPARE(retainedOn(broker.port(), QStringLiteral("t/track/sensor/+"), 3),
                 earlierStates(QStringLiteral("t")));
        QCOMPARE(status(), QByteArray("offline"));
        return;
    }
    QVERIFY(live.waitFor([&] { return status() == "online"; }));
    QCOMPARE(sensors(live.last()), rig.expected());
    QCOMPARE(live.last().value(QStringLiteral("t/track/sensor/52")), QByteArray("INACTIVE"));
    QCOMPARE(live.last().value(QStringLiteral("t/track/sensor/73")), QByteArray("ACTIVE"));
    // The states were out before "online" was.
    const QList<Subscriber::Message> all = live.messages();
    qsizetype online = -1;
    qsizetype lastState = -1;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all[i].topic == QStringLiteral("t/status") && all[i].payload == "online")
            online = i;
        if (all[i].topic.startsWith(QStringLiteral("t/track/sensor/")) && !all[i].retained)
            lastState = i;
    }
    QVERIFY(lastState >= 0 && lastState < online);
    for (const Bridge::Link away : {Bridge::Link::Stopped, Bridge::Link::Lost}) {
        rig.bridge->setLink(away);
        QVERIFY(live.waitFor([&] { return status() == "offline"; }));
        rig.bridge->setLink(Bridge::Link::Started);
        rig.serial.deliver(bytes({1, 2, 3}));
        live.waitFor([] { return false; }, 100); // a moment for anything on its way
        QCOMPARE(status(), QByteArray("offline"));
        rig.serial.deliver(onlyInput73());
        QVERIFY(live.waitFor([&] { return status() == "online"; }));
    }
    rig.bridge->stop();
    QVERIFY(live.waitFor([&] { return status() == "offline"; }));
    QCOMPARE(live.last().value(QStringLiteral("t/link")), QByteArray("stopped"));
}

void TestBridge::defaultPrefixTaken_data() {
    QTest::addColumn<QString>("prefix");        // in the URL; empty: none, so "s88"
    QTest::addColumn<QByteArray>("otherBoard"); // s88/status as another board left it
    QTest::addColumn<bool>("refused");
    QTest::newRow("default, another board online") << "" << QByteArray("online") << true;
    QTest::newRow("s88 given, another board online") << "s88" << QByteArray("online") << true;
    QTest::newRow("default, the other board offline") << "" << QByteArray("offline") << false;
    QTest::newRow("default, no other board") << "" << QByteArray() << false;
    QTest::newRow("a prefix of its own") << "hall" << QByteArray("online") << false;
}

// A second board left at the default prefix would share every topic with the first: it is
// refused before it publishes anything, with the way out named.
void TestBridge::defaultPrefixTaken() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QString, prefix);
    QFETCH(QByteArray, otherBoard);
    QFETCH(bool, refused);
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("#")});
    QVERIFY(live.connect());
    if (!otherBoard.isEmpty())
        QVERIFY(live.publishRetained({{QStringLiteral("s88/status"), otherBoard}}));
    const qsizetype before = live.messages().size();
    Rig rig(Rig::at(broker.port(), prefix));
    QCOMPARE(rig.bridge->options().url.prefix, prefix.isEmpty() ? QStringLiteral("s88") : prefix);
    rig.serial.deliver(onlyInput73());
    QSignalSpy told(rig.bridge.get(), &Bridge::refused);
    rig.bridge->start();
    const QString status = rig.bridge->options().url.prefix + QStringLiteral("/status");
    if (!refused) {
        QVERIFY(live.waitFor([&] { return live.last().value(status) == "online"; }));
        QCOMPARE(told.size(), 0);
        return;
    }
    QVERIFY(live.waitFor([&] { return told.size() == 1; }));
    const QString why = told.first().first().toString();
    QVERIFY2(why.contains(QStringLiteral("--mqtt mqtt://127.0.0.1:%1/").arg(broker.port())),
             qPrintable(why));
    QCOMPARE(rig.lines.last(), why);
    QVERIFY(live.waitFor([&] { return !rig.bridge->isConnected(); }));
    live.waitFor([] { return false; }, 1500); // no second try
    QVERIFY(!rig.bridge->isConnected());
    QCOMPARE(live.messages().size(), before);
    QCOMPARE(live.last().value(QStringLiteral("s88/status")), QByteArray("online"));
}

namespace {
// The board's discovery config on the broker, parsed.
QJsonObject deviceConfig(const Subscriber& live, const QString& node) {
    return QJsonDocument::fromJson(
               live.last().value(QStringLiteral("homeassistant/device/%1/config").arg(node)))
        .object();
}
QJsonObject component(const QJsonObject& config, int input) {
    return config.value(QStringLiteral("components"))
        .toObject()
        .value(QStringLiteral("input%1").arg(input))
        .toObject();
}
// The inputs the config gives a sensor, and those it lists as removed (the platform alone).
std::pair<int, int> sensorsAndRemoved(const QJsonObject& config) {
    const QJsonObject all = config.value(QStringLiteral("components")).toObject();
    int sensors = 0;
    int removed = 0;
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject c = it.value().toObject();
        if (c.value(QStringLiteral("platform")).toString() != QStringLiteral("binary_sensor"))
            return {-1, -1};
        (c.size() == 1 ? removed : sensors) += 1;
    }
    return {sensors, removed};
}
} // namespace

void TestBridge::discovery() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Bridge::Options options = Rig::at(broker.port(), QStringLiteral("club/hall"));
    options.discovery = true;
    Rig rig(options);
    rig.station.setConfiguredModules(2, true);
    names::Names names;
    names.setName(17, QStringLiteral("Blok 3 øst"));
    rig.bridge->setNames(&names);
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("homeassistant/#")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return !deviceConfig(live, "s88_club_hall").isEmpty(); }));
    QTest::qWait(100);
    QCOMPARE(live.last().size(), 1); // one config for the board
    const QJsonObject config = deviceConfig(live, QStringLiteral("s88_club_hall"));
    // 2 modules, 16 inputs each: 32 sensors, not 31, not 33; the rest up to 200 removed.
    QCOMPARE(sensorsAndRemoved(config), std::make_pair(32, 168));
    const QJsonObject o = component(config, 17);
    QCOMPARE(o.value(QStringLiteral("platform")).toString(), QStringLiteral("binary_sensor"));
    QCOMPARE(o.value(QStringLiteral("state_topic")).toString(),
             QStringLiteral("club/hall/track/sensor/17"));
    // A named input is called by its name; the others by their number.
    QCOMPARE(o.value(QStringLiteral("name")).toString(), QStringLiteral("Blok 3 øst (indgang 17)"));
    QCOMPARE(component(config, 18).value(QStringLiteral("name")).toString(),
             QStringLiteral("Indgang 18"));
    QCOMPARE(o.value(QStringLiteral("payload_on")).toString(), QStringLiteral("ACTIVE"));
    QCOMPARE(o.value(QStringLiteral("payload_off")).toString(), QStringLiteral("INACTIVE"));
    QCOMPARE(o.value(QStringLiteral("unique_id")).toString(),
             QStringLiteral("s88_club_hall_input17"));
    QCOMPARE(o.value(QStringLiteral("default_entity_id")).toString(),
             QStringLiteral("binary_sensor.s88_club_hall_input17"));
    QVERIFY(!o.contains(QStringLiteral("object_id")));
    QCOMPARE(config.value(QStringLiteral("availability_topic")).toString(),
             QStringLiteral("club/hall/status"));
    const QJsonObject device = config.value(QStringLiteral("device")).toObject();
    QCOMPARE(device.value(QStringLiteral("identifiers")).toArray().first().toString(),
             QStringLiteral("s88_club_hall"));
    for (const char* key : {"name", "manufacturer", "model", "sw_version"})
        QVERIFY2(!device.value(QLatin1String(key)).toString().isEmpty(), key);
    const QJsonObject origin = config.value(QStringLiteral("origin")).toObject();
    QCOMPARE(origin.value(QStringLiteral("name")).toString(), QStringLiteral("s88monitor"));
    QVERIFY(origin.value(QStringLiteral("support_url")).toString().startsWith("https://"));
    QCOMPARE(origin.value(QStringLiteral("sw_version")),
             device.value(QStringLiteral("sw_version")));
    // One module fewer: its inputs are listed as removed.
    rig.station.setConfiguredModules(1, true);
    QVERIFY(live.waitFor([&] {
        return sensorsAndRemoved(deviceConfig(live, "s88_club_hall")) == std::make_pair(16, 184);
    }));
    QCOMPARE(component(deviceConfig(live, "s88_club_hall"), 17).size(), 1);
    QCOMPARE(component(deviceConfig(live, "s88_club_hall"), 16).size(), 8);
}

// A board started again with fewer modules than it had, on a broker that still holds what the
// last run and an earlier version left: the one-input configs of the earlier version are
// handed over and cleared, and the board's config has no sensor for an input no longer counted.
void TestBridge::discoveryAfterRestartWithFewerCounts() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("homeassistant/#")});
    QVERIFY(live.connect());
    QMap<QString, QByteArray> earlier;
    for (const int n : {1, 33, 64})
        earlier.insert(QStringLiteral("homeassistant/binary_sensor/s88_t/input%1/config").arg(n),
                       QByteArray("{\"name\":\"old\"}"));
    QVERIFY(live.publishRetained(earlier));
    Bridge::Options options = Rig::at(broker.port());
    options.discovery = true;
    for (const int modules : {4, 1}) { // 2,1,1 then 1,0,0
        Rig rig(options);
        rig.station.setConfiguredModules(modules, true);
        rig.bridge->start();
        QVERIFY(live.waitFor(
            [&] { return sensorsAndRemoved(deviceConfig(live, "s88_t")).first == modules * 16; }));
        rig.bridge->stop();
    }
    QCOMPARE(sensorsAndRemoved(deviceConfig(live, "s88_t")), std::make_pair(16, 184));
    QCOMPARE(retainedOn(broker.port(), QStringLiteral("homeassistant/binary_sensor/#"), 0),
             (QMap<QString, QByteArray>{}));
    // Each old config was told to move before the board's config came, and cleared after it.
    const QString old33 = QStringLiteral("homeassistant/binary_sensor/s88_t/input33/config");
    QList<QByteArray> told;
    for (const Subscriber::Message& m : live.on(old33))
        told.append(m.payload);
    QCOMPARE(told, (QList<QByteArray>{"{\"name\":\"old\"}", "{\"migrate_discovery\":true}", ""}));
}

void TestBridge::foreignStatesAnswered_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<QByteArray>("foreign");
    QTest::addColumn<bool>("answered");
    QTest::newRow("ACTIVE on a free input") << 52 << QByteArray("ACTIVE") << true;
    QTest::newRow("INACTIVE on an occupied input") << 73 << QByteArray("INACTIVE") << true;
    QTest::newRow("junk") << 125 << QByteArray("on") << true;
    QTest::newRow("empty (retained cleared)") << 52 << QByteArray() << true;
    QTest::newRow("the true state") << 52 << QByteArray("INACTIVE") << false;
    QTest::newRow("input 200") << 200 << QByteArray("ACTIVE") << true;
}

// Another client (JMRI setting a sensor by hand) publishes on our state topics while a train
// moves input 1: the true state is back at once, and our own echoes are never answered.
void TestBridge::foreignStatesAnswered() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(int, input);
    QFETCH(QByteArray, foreign);
    QFETCH(bool, answered);
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/#")});
    QVERIFY(live.connect());
    const QString topic = QStringLiteral("t/track/sensor/%1").arg(input);
    // Before the states are known, what others publish is left alone.
    live.publish(topic, "ACTIVE", true);
    live.waitFor([] { return false; }, 200);
    QCOMPARE(rig.bridge->answered(), quint64(0));
    rig.serial.deliver(onlyInput73());
    QVERIFY(live.waitFor([&] { return sensors(live.last()) == rig.expected(); }));
    QCOMPARE(rig.bridge->answered(), quint64(0));
    for (int i = 0; i < 50; ++i) {
        QList<Report> reports;
        for (int m = 1; m <= 8; ++m)
            reports.append({m, quint16(m == 5 ? 0x0100 : m == 1 ? i % 2 : 0)});
        rig.serial.deliver(burstOf(reports));
        if (i == 25)
            live.publish(topic, foreign, true);
    }
    rig.serial.deliver(onlyInput73());
    QVERIFY(live.waitFor([&] { return rig.bridge->answered() == quint64(answered); }));
    QVERIFY(live.waitFor([&] { return sensors(live.last()) == rig.expected(); }));
    live.waitFor([] { return false; }, 200); // a moment for anything on its way
    QCOMPARE(rig.bridge->answered(), quint64(answered));
    QCOMPARE(sensors(live.last()), rig.expected());
    QCOMPARE(retainedOn(broker.port(), topic, 1).value(topic), rig.expected().value(topic));
    if (answered)
        QVERIFY(rig.lines.join(u'\n').contains(QStringLiteral("t/track/sensor/%1").arg(input)));
}

void TestBridge::brokerRestartedMidStream() {
    SKIP_WITHOUT_MOSQUITTO();
    // The broker keeps the subscriber's session across the restart, as a layout's would.
    QTemporaryDir store;
    Broker broker(QStringLiteral("persistence true\npersistence_location %1/\n").arg(store.path()));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    rig.bridge->start();
    auto subscriber = std::make_unique<Subscriber>(
        broker.port(), QStringList{QStringLiteral("t/#")}, QStringLiteral("test-restart"));
    QVERIFY(subscriber->connect());
    QVERIFY(subscriber->waitFor([&] { return rig.bridge->isConnected(); }));
    // Input 1 on and off 100 times, then the broker goes while the stream goes on.
    for (int i = 0; i < 50; ++i) {
        rig.serial.deliver(tenModules(0x0001));
        rig.serial.deliver(tenModules(0x0000));
    }
    broker.stop(SIGTERM);
    QVERIFY(subscriber->waitFor([&] { return !rig.bridge->isConnected(); }));
    for (int i = 0; i < 50; ++i) {
        rig.serial.deliver(tenModules(0x0001));
        rig.serial.deliver(tenModules(0x0000));
    }
    rig.serial.deliver(tenModules(0x8001));
    // Contact 1 of ten modules flipping 100 times, then contacts 1 and 16 on: at least these
    // (and any the broker had not acknowledged when it went).
    QVERIFY(rig.bridge->held() >= 1020);
    QVERIFY(broker.start());
    QVERIFY(subscriber->waitFor([&] { return rig.bridge->isConnected(); }, 35000));
    QVERIFY(subscriber->waitFor([&] { return rig.bridge->held() == 0; }));
    QVERIFY(
        subscriber->waitFor([&] { return sensors(subscriber->last()) == rig.expected(); }, 10000));
    // Every change of input 1, in order: on, off, on, off …, ending on. A change the broker
    // had taken but not acknowledged when it went may come again, with its own seq.
    // Input 1's changes in the order they arrived, each seq counted once.
    auto inputOne = [&] {
        QList<QJsonObject> changes;
        qint64 lastSeq = -1;
        for (const Subscriber::Message& m : subscriber->on(QStringLiteral("t/event"))) {
            const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
            const qint64 seq = o.value(QStringLiteral("seq")).toInteger(-1);
            if (o.value(QStringLiteral("input")).toInt() != 1 || seq <= lastSeq)
                continue;
            lastSeq = seq;
            changes.append(o);
        }
        return changes;
    };
    QVERIFY(subscriber->waitFor([&] { return inputOne().size() >= 201; }, 10000));
    QTest::qWait(200);
    const QList<QJsonObject> changes = inputOne();
    int count = 0;
    for (const QJsonObject& o : changes) {
        QCOMPARE(o.value(QStringLiteral("state")).toInt(), 1 - count % 2);
        ++count;
    }
    QCOMPARE(count, 201);
    QCOMPARE(subscriber->last().value(QStringLiteral("t/dropped")), QByteArray("0"));
}

void TestBridge::heldLimit_data() {
    QTest::addColumn<int>("changes");
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("dropped");
    QTest::newRow("one below") << 9999 << 9999 << 0;
    QTest::newRow("at the limit") << 10000 << 10000 << 0;
    QTest::newRow("one above") << 10001 << 10000 << 1;
}

void TestBridge::heldLimit() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(int, changes);
    QFETCH(int, held);
    QFETCH(int, dropped);
    Broker broker;
    Rig rig(Rig::at(broker.port())); // the broker is not there yet
    rig.bridge->start();
    // Each burst flips the first `n` of inputs 1..160.
    std::array<bool, 161> now{};
    for (int left = changes; left > 0;) {
        const int n = std::min(left, 160);
        rig.serial.deliver(flipped(now, n));
        left -= n;
    }
    QCOMPARE(rig.history.total(), quint64(changes));
    QCOMPARE(rig.bridge->held(), qsizetype(held));
    QCOMPARE(rig.bridge->dropped(), quint64(dropped));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("t/event"), QStringLiteral("t/dropped")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return live.on(QStringLiteral("t/event")).size() >= held; }, 35000));
    QVERIFY(
        live.waitFor([&] { return !live.last().value(QStringLiteral("t/dropped")).isEmpty(); }));
    QCOMPARE(live.last().value(QStringLiteral("t/dropped")), QByteArray::number(dropped));
    QTest::qWait(200);
    QCOMPARE(live.on(QStringLiteral("t/event")).size(), qsizetype(held));
}

// The broker stopped (SIGSTOP) while trains run, 160 changes a burst: the client's queue stays
// within its bound, the connection is given up after the keep-alive time, and once the broker
// goes on every change is delivered or counted in t/dropped and the states are the lamps'.
void TestBridge::frozenBroker() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker(QStringLiteral("max_queued_messages 0\n")); // the subscriber may lag
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Bridge::Options options = Rig::at(broker.port());
    options.keepAliveS = 5;
    Rig rig(options);
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/#")});
    QVERIFY(live.connect());
    rig.serial.deliver(onlyInput73());
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("t/status")) == "online"; }));
    broker.signal(SIGSTOP);
    QElapsedTimer stopped;
    stopped.start();
    std::array<bool, 161> now{};
    int most = 0;
    const int bursts = 200;
    for (int b = 0; b < bursts; ++b) {
        rig.serial.deliver(flipped(now, 160));
        QCoreApplication::processEvents(); // the client's socket, as between bursts on a line
        most = std::max(most, rig.bridge->queued());
    }
    const quint64 changes = rig.history.total();
    QCOMPARE(changes, quint64(bursts * 160));
    QVERIFY2(most <= 5000, qPrintable(QString::number(most)));
    QVERIFY2(most >= 4000, qPrintable(QString::number(most))); // the bound was reached
    QVERIFY(rig.bridge->held() <= 10000);
    // Given up within the keep-alive time (and the second's tick), not at libmosquitto's own
    // second unanswered ping (10 s).
    QVERIFY(live.waitFor([&] { return !rig.bridge->isConnected(); }, 12000));
    QVERIFY2(stopped.elapsed() < 8000, qPrintable(QString::number(stopped.elapsed())));
    broker.signal(SIGCONT);
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }, 15000));
    QSet<qint64> seqs;
    auto delivered = [&] {
        seqs.clear();
        for (const Subscriber::Message& m : live.on(QStringLiteral("t/event")))
            seqs.insert(QJsonDocument::fromJson(m.payload)
                            .object()
                            .value(QStringLiteral("seq"))
                            .toInteger());
        return quint64(seqs.size()) + live.last().value(QStringLiteral("t/dropped")).toULongLong();
    };
    // At least once: a change the broker passed on just as it stopped may come again later,
    // or be counted when it did not fit, never more than the client had on its way.
    QVERIFY2(live.waitFor([&] { return delivered() >= changes; }, 30000),
             qPrintable(QStringLiteral("%1 delivered, %2 dropped, %3 changes")
                            .arg(seqs.size())
                            .arg(QString::fromUtf8(live.last().value("t/dropped")))
                            .arg(changes)));
    QVERIFY2(delivered() <= changes + 1000, qPrintable(QString::number(delivered())));
    QVERIFY(rig.bridge->dropped() > 0);
    QCOMPARE(live.last().value(QStringLiteral("t/dropped")),
             QByteArray::number(rig.bridge->dropped()));
    QVERIFY(live.waitFor([&] { return sensors(live.last()) == rig.expected(); }));
}

// A host that takes the connection but never answers it (a broker hung, a port forwarded to
// nothing): told after the keep-alive time, and tried again, never silence.
void TestBridge::silentBroker() {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QCOMPARE(::listen(listener, 4), 0); // the kernel takes the connection; nobody answers
    QCOMPARE(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    Bridge::Options options = Rig::at(ntohs(address.sin_port));
    options.keepAliveS = 5;
    Rig rig(options);
    QElapsedTimer clock;
    clock.start();
    rig.bridge->start();
    QVERIFY(QTest::qWaitFor([&] { return rig.lines.size() >= 2; }, 9000));
    QVERIFY2(rig.lines[1].contains(QStringLiteral("no answer to the connection in 5 s")),
             qPrintable(rig.lines[1]));
    QVERIFY2(clock.elapsed() >= 3500, qPrintable(QString::number(clock.elapsed())));
    ::close(listener);
}

void TestBridge::wrongPassword() {
    SKIP_WITHOUT_MOSQUITTO();
    QTemporaryDir dir;
    const QString passwords = dir.filePath(QStringLiteral("passwd"));
    QVERIFY(writeFile(passwords, ""));
    QProcess tool;
    tool.start(QStringLiteral("mosquitto_passwd"),
               {QStringLiteral("-b"), passwords, QStringLiteral("anna"), QStringLiteral("right")});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        QFAIL("mosquitto_passwd is not installed (scripts/setup.sh installs it)");
    Broker broker(QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Bridge::Options options;
    options.url = *MqttUrl::parse(QStringLiteral("mqtt://anna@127.0.0.1:%1/t").arg(broker.port()));
    options.password = QStringLiteral("wrong");
    Rig rig(options);
    rig.bridge->start();
    QTest::qWait(3500); // three attempts: at once, after 1 s and after 2 s more
    QVERIFY(!rig.bridge->isConnected());
    QCOMPARE(rig.lines.size(), 2); // "connecting", then one refusal however often it is tried
    QVERIFY2(rig.lines[1].contains(QStringLiteral("user name or password")),
             qPrintable(rig.lines[1]));
    for (const QString& line : rig.lines)
        QVERIFY(!line.contains(QStringLiteral("wrong")));
    // The receive path goes on meanwhile.
    rig.serial.deliver(burstOf({{1, 0x0001}}));
    QVERIFY(rig.state.InputState[1]);
    options.password = QStringLiteral("right");
    Rig good(options);
    good.bridge->start();
    QVERIFY(QTest::qWaitFor([&] { return good.bridge->isConnected(); }, 5000));
}

void TestBridge::tls() {
    SKIP_WITHOUT_MOSQUITTO();
    QTemporaryDir dir;
    auto openssl = [&](const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral("openssl"), args);
        return p.waitForFinished(30000) && p.exitCode() == 0;
    };
    auto makeCa = [&](const QString& name) {
        return openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=" + name, "-keyout", name + ".key", "-out", name + ".crt"});
    };
    if (!makeCa(QStringLiteral("ca")) || !makeCa(QStringLiteral("other")))
        QFAIL("openssl is not installed (scripts/setup.sh installs it)");
    QVERIFY(writeFile(dir.filePath(QStringLiteral("san.ext")), "subjectAltName=IP:127.0.0.1\n"));
    QVERIFY(openssl({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                     "server.key", "-out", "server.csr"}));
    QVERIFY(
        openssl({"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                 "-CAcreateserial", "-days", "2", "-extfile", "san.ext", "-out", "server.crt"}));
    Broker broker(
        QStringLiteral("cafile %1/ca.crt\ncertfile %1/server.crt\nkeyfile %1/server.key\n")
            .arg(dir.path()));
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Bridge::Options options;
    options.url = *MqttUrl::parse(QStringLiteral("mqtts://127.0.0.1:%1/t").arg(broker.port()));
    options.caFile = dir.filePath(QStringLiteral("ca.crt"));
    Rig good(options);
    good.bridge->start();
    QVERIFY(QTest::qWaitFor([&] { return good.bridge->isConnected(); }, 5000));
    options.caFile = dir.filePath(QStringLiteral("other.crt"));
    Rig wrong(options);
    wrong.bridge->start();
    QTest::qWait(1500);
    QVERIFY(!wrong.bridge->isConnected());
    QCOMPARE(wrong.lines.size(), 2);
    QVERIFY(wrong.lines[1].contains(QStringLiteral("not reachable")));
}

void TestBridge::commands_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("ok");
    // Changes published just before, whose acknowledgements the bridge reads only later.
    QTest::addColumn<bool>("afterChanges");
    // A burst delivered while the command waits in the socket, unread.
    QTest::addColumn<bool>("burstWhileWaiting");
    QTest::newRow("good") << QByteArray("2,3,0") << QByteArray("s\x02\x03\x00\r", 5) << true
                          << false << false;
    QTest::newRow("good, acknowledgements awaited")
        << QByteArray("2,3,0") << QByteArray("s\x02\x03\x00\r", 5) << true << true << false;
    QTest::newRow("good, a burst while it waits")
        << QByteArray("2,3,0") << QByteArray("s\x02\x03\x00\r", 5) << true << true << true;
    QTest::newRow("255 at the limit")
        << QByteArray("255, 0, 1") << QByteArray("s\xff\x00\x01\r", 5) << true << false << false;
    QTest::newRow("256 past it") << QByteArray("256,0,0") << QByteArray() << false << false
                                 << false;
    QTest::newRow("negative") << QByteArray("-1,0,0") << QByteArray() << false << false << false;
    QTest::newRow("two counts") << QByteArray("2,3") << QByteArray() << false << false << false;
    QTest::newRow("four counts") << QByteArray("1,2,3,4") << QByteArray() << false << false
                                 << false;
    QTest::newRow("words") << QByteArray("on") << QByteArray() << false << false << false;
    QTest::newRow("empty") << QByteArray() << QByteArray() << false << false << false;
    // Only what a person could type into the three boxes and send with Indsæt (s), each box a
    // count through and through; anything else is refused and sends nothing.
    const auto refused = [](const char* tag, const QByteArray& payload) {
        QTest::newRow(tag) << payload << QByteArray() << false << false << false;
    };
    refused("nan", "nan,0,0");
    refused("inf", "inf,0,0");
    refused("an empty count", "1,,2");
    refused("three empty counts", ",,");
    refused("blanks for counts", " , , ");
    refused("letters after a count", "12abc,0,0");
    refused("an exponent letter left unread", "1e,0,0");
    refused("a hex prefix without digits", "&H,0,0");
    refused("not UTF-8", "1,2,\xff");
    refused("a cut UTF-8 sequence", "1,2,3\xc3");
    refused("a NUL at the end", QByteArray("1,2,3\0", 6));
    refused("a NUL inside a count", QByteArray("1\0,2,3", 6));
    refused("a NUL alone", QByteArray("\0", 1));
    refused("a tab before", "\t1,2,3");
    refused("a line feed after", "1,2,3\n");
    refused("a carriage return and line feed after", "1,2,3\r\n");
    refused("a fullwidth digit", "\xef\xbc\x93,0,0");
    refused("a trailing comma", "1,2,3,");
    const auto taken = [](const char* tag, const QByteArray& payload, const QByteArray& sent) {
        QTest::newRow(tag) << payload << sent << true << false << false;
    };
    taken("blanks as a box takes them", " 1, 2 ,3 ", QByteArray("s\x01\x02\x03\r", 5));
    taken("a blank inside a count, as a box reads it", "1 0,0,0", QByteArray("s\x0a\x00\x00\r", 5));
    taken("ties to even, as a box reads them", "2.5,3.5,0", QByteArray("s\x02\x04\x00\r", 5));
    taken("hex and octal, as a box reads them", "&H0A,&O17,0", QByteArray("s\x0a\x0f\x00\r", 5));
}

void TestBridge::commands() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, sent);
    QFETCH(bool, ok);
    QFETCH(bool, afterChanges);
    QFETCH(bool, burstWhileWaiting);
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Bridge::Options options = Rig::at(broker.port());
    options.commands = true;
    Rig rig(options);
    MemorySettings settings;
    rig.serial.setPortOpen(true);
    rig.bridge->setCountHandler([&](const std::array<QString, 3>& texts) {
        return countcommand::send(texts, texts, rig.serial, settings) == countcommand::Result::Sent
                   ? QString()
                   : QStringLiteral("not counts");
    });
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/counts/result")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }));
    QTest::qWait(100); // the bridge's subscription is in place
    for (int i = 0; afterChanges && i < 5; ++i)
        rig.serial.deliver(tenModules(quint16(i % 2)));
    live.publish(QStringLiteral("t/counts/set"), payload);
    if (burstWhileWaiting) {
        QTest::qWait(150); // the command waits in the socket
        const QByteArray before = rig.serial.output;
        rig.serial.deliver(tenModules(0x0001));
        QCOMPARE(rig.serial.output, before); // never run from inside the receive path
    }
    QVERIFY(live.waitFor([&] { return !live.messages().isEmpty(); }));
    const QJsonObject o = QJsonDocument::fromJson(live.messages().first().payload).object();
    QCOMPARE(o.value(QStringLiteral("ok")).toBool(), ok);
    QCOMPARE(o.contains(QStringLiteral("reason")), !ok);
    QCOMPARE(rig.serial.output, sent);
    QCOMPARE(settings.GetSetting(QStringLiteral("Gen_Vorn_S88"), QStringLiteral("S88Left"),
                                 QStringLiteral("Antal"),
                                 QStringLiteral("Ingen")) != QStringLiteral("Ingen"),
             ok);
}

void TestBridge::commandsOff() {
    SKIP_WITHOUT_MOSQUITTO();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Rig rig(Rig::at(broker.port()));
    int calls = 0;
    rig.bridge->setCountHandler([&](const std::array<QString, 3>&) {
        ++calls;
        return QString();
    });
    rig.bridge->start();
    Subscriber live(broker.port(), {QStringLiteral("t/counts/result")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return rig.bridge->isConnected(); }));
    QTest::qWait(100);
    live.publish(QStringLiteral("t/counts/set"), "1,1,1");
    QTest::qWait(500);
    QCOMPARE(calls, 0);
    QVERIFY(live.messages().isEmpty());
}

QTEST_GUILESS_MAIN(TestBridge)
#include "test_bridge.moc"
