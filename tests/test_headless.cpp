#include "support/broker.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <csignal>

// The built program with --headless, on a real pty and a real broker, with no display.
class TestHeadless : public QObject {
    Q_OBJECT

private slots:
    void badOptions_data();
    void badOptions();
    void runsPublishesAndEndsOnSigterm();
    void statesAndStatusFollowTheLine();
    void sigtermWithTheBrokerStopped();
    void defaultPrefixTaken();
    void noStoredCounts();
    void serviceMissingOrRunAlone_data();
    void serviceMissingOrRunAlone();
};

void TestHeadless::badOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("says");
    QTest::newRow("bad url") << QStringList{"--headless", "--mqtt", "http://x"}
                             << "--mqtt: expected mqtt://";
    QTest::newRow("port 0") << QStringList{"--headless", "--mqtt", "mqtt://h:0"}
                            << "--mqtt: the port";
    QTest::newRow("password in url") << QStringList{"--mqtt", "mqtt://a:secret@h"} << "no password";
    QTest::newRow("ca without tls")
        << QStringList{"--mqtt", "mqtt://h", "--mqtt-ca", "x"} << "mqtts://";
    QTest::newRow("ca without mqtt") << QStringList{"--mqtt-ca", "x"} << "needs --mqtt";
    QTest::newRow("counts without headless")
        << QStringList{"--counts", "1,1,1"} << "needs --headless";
    QTest::newRow("counts 256") << QStringList{"--headless", "--counts", "256,0,0"} << "--counts";
    QTest::newRow("two counts") << QStringList{"--headless", "--counts", "1,2"} << "--counts";
    QTest::newRow("names file missing")
        << QStringList{"--headless", "--counts", "1,1,1", "--names", "/nonexistent/names.csv"}
        << "--headless: names: /nonexistent/names.csv";
    QTest::newRow("mqtt with a report")
        << QStringList{"--history", "x", "--mqtt", "mqtt://h"} << "does not go with";
}

void TestHeadless::badOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, says);
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR), arguments);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(err.split(u'\n', Qt::SkipEmptyParts).first().contains(says), qPrintable(err));
    QVERIFY(!err.contains(QStringLiteral("secret")));
}

void TestHeadless::runsPublishesAndEndsOnSigterm() {
    SKIP_WITHOUT_MOSQUITTO();
    SKIP_WITHOUT_PTYS();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("hl/#"), QStringLiteral("homeassistant/#")});
    QVERIFY(live.connect());
    PtyPair pty;
    QTemporaryDir config;
    // Names of its own, not the window's; in English.
    QFile names(config.filePath(QStringLiteral("names.csv")));
    QVERIFY(names.open(QIODevice::WriteOnly));
    names.write("input,name\n73,Blok 3 \xc3\xb8st\n");
    names.close();
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR),
            {"--headless", "--port", "1=" + pty.devicePath(), "--counts", "2,3,0", "--mqtt",
             QStringLiteral("mqtt://127.0.0.1:%1/hl").arg(broker.port()), "--record",
             config.filePath(QStringLiteral("rec.s88rec")), "--mqtt-discovery", "--names",
             names.fileName(), "--language", "en"});
    QVERIFY(p.waitForStarted());
    // The counts go out as soon as the port is open: the five bytes of Indsæt (s).
    QCOMPARE(pty.read(5, 10000), QByteArray("s\x02\x03\x00\r", 5));
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/link")) == "started"; }));
    // The service runs as a program of its own, with none of the window's libraries loaded.
    const QString pid = QString::number(p.processId());
    QCOMPARE(QFileInfo(QFile::symLinkTarget("/proc/" + pid + "/exe")).fileName(),
             QStringLiteral("s88monitor-headless"));
    QFile maps("/proc/" + pid + "/maps");
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(mapped.contains("libQt6Core"));
    QVERIFY(!mapped.contains("libQt6Widgets"));
    QVERIFY(!mapped.contains("libQt6Gui"));
    QVERIFY(pty.write(burstOf({{1, 0x0001}, {5, 0x0100}})));
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/status")) == "online"; }));
    QVERIFY(live.waitFor([&] {
        return live.last().value(QStringLiteral("hl/track/sensor/73")) == "ACTIVE" &&
               live.last().value(QStringLiteral("hl/track/sensor/1")) == "ACTIVE";
    }));
    QVERIFY(live.waitFor([&] { return live.on(QStringLiteral("hl/event")).size() == 2; }));
    QList<QJsonObject> events;
    for (const Subscriber::Message& m : live.on(QStringLiteral("hl/event")))
        events.append(QJsonDocument::fromJson(m.payload).object());
    QCOMPARE(events[0].value(QStringLiteral("input")).toInt(), 1);
    QVERIFY(!events[0].contains(QStringLiteral("name")));
    QCOMPARE(events[1].value(QStringLiteral("name")).toString(), QStringLiteral("Blok 3 øst"));
    const QJsonObject inputs =
        QJsonDocument::fromJson(
            live.last().value(QStringLiteral("homeassistant/device/s88_hl/config")))
            .object()
            .value(QStringLiteral("components"))
            .toObject();
    QCOMPARE(inputs.value(QStringLiteral("input73")).toObject().value(QStringLiteral("name")),
             QStringLiteral("Blok 3 øst (input 73)"));
    QCOMPARE(inputs.value(QStringLiteral("input1")).toObject().value(QStringLiteral("name")),
             QStringLiteral("Input 1"));
    QCOMPARE(inputs.value(QStringLiteral("input81")).toObject().size(), 1); // 5 modules counted
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/status")) == "offline"; }));
    QCOMPARE(live.last().value(QStringLiteral("hl/link")), QByteArray("stopped"));
    // One line per change of link or broker, none per byte.
    const QStringList lines =
        QString::fromUtf8(p.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines.join(u'\n').contains(QStringLiteral("connected to")),
             qPrintable(lines.join(u'\n')));
    // The counts were stored as Indsæt (s) stores them, and the recording ended properly.
    QSettings stored(config.filePath(QStringLiteral("Gen_Vorn_S88.conf")), QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("S88Mid/Antal")).toString(), QStringLiteral("3"));
    QVERIFY(QFileInfo(config.filePath(QStringLiteral("rec.s88rec"))).size() > 0);
}

// Nothing is published about the inputs before the module has told them, and "online" holds
// only while the line gives bursts: not in silence, not with the line gone, again when it comes
// back. The service's port is a link to the pty of the moment, so a new one can take its place.
void TestHeadless::statesAndStatusFollowTheLine() {
    SKIP_WITHOUT_MOSQUITTO();
    SKIP_WITHOUT_PTYS();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("hl/#")});
    QVERIFY(live.connect());
    QVERIFY(live.publishRetained(earlierStates(QStringLiteral("hl"))));
    auto status = [&] { return live.last().value(QStringLiteral("hl/status")); };
    QTemporaryDir config;
    const QString line = config.filePath(QStringLiteral("line"));
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->devicePath(), line));
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR),
            {"--headless", "--port", "1=" + line, "--counts", "5,3,0", "--mqtt",
             QStringLiteral("mqtt://127.0.0.1:%1/hl").arg(broker.port())});
    QVERIFY(p.waitForStarted());
    const QByteArray counts("s\x05\x03\x00\r", 5);
    QCOMPARE(pty->read(5, 10000), counts);
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/link")) == "started"; }));
    // Three seconds and no burst: the earlier states stand, nobody is told "online".
    live.waitFor([] { return false; }, 3000); // three seconds of silence on the line
    QCOMPARE(retainedOn(broker.port(), QStringLiteral("hl/track/sensor/+"), 3),
             earlierStates(QStringLiteral("hl")));
    QVERIFY(status() != "online");
    // The first burst: every input as the module says, then "online".
    QVERIFY(pty->write(onlyInput73()));
    QVERIFY(live.waitFor([&] { return status() == "online"; }));
    const QMap<QString, QByteArray> held =
        retainedOn(broker.port(), QStringLiteral("hl/track/sensor/+"), 200);
    QCOMPARE(held.size(), 200);
    QCOMPARE(held.value(QStringLiteral("hl/track/sensor/52")), QByteArray("INACTIVE"));
    QCOMPARE(held.value(QStringLiteral("hl/track/sensor/73")), QByteArray("ACTIVE"));
    QCOMPARE(held.value(QStringLiteral("hl/track/sensor/125")), QByteArray("INACTIVE"));
    // Silence: "offline"; the next burst brings it back.
    QVERIFY(live.waitFor([&] { return status() == "offline"; }, 10000));
    QVERIFY(pty->write(onlyInput73()));
    QVERIFY(live.waitFor([&] { return status() == "online"; }));
    // The line goes: "offline" and the link lost within 4 s.
    pty->closeMaster();
    QVERIFY(live.waitFor([&] { return status() == "offline"; }, 4000));
    QVERIFY(live.waitFor([&] { return live.last().value(QStringLiteral("hl/link")) == "lost"; }));
    // A line again where the port is: opened, counted, and "online" only after a burst.
    auto fresh = std::make_unique<PtyPair>();
    QVERIFY(QFile::remove(line));
    QVERIFY(QFile::link(fresh->devicePath(), line));
    QCOMPARE(fresh->read(5, 10000), counts);
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/link")) == "started"; }));
    QCOMPARE(status(), QByteArray("offline"));
    QVERIFY(fresh->write(onlyInput73()));
    QVERIFY(live.waitFor([&] { return status() == "online"; }));
    ::kill(pid_t(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(live.waitFor([&] { return status() == "offline"; }));
    QCOMPARE(live.last().value(QStringLiteral("hl/link")), QByteArray("stopped"));
}

// SIGTERM while the broker is stopped (SIGSTOP) and trains run: the service still ends at once,
// within the 2 s a service manager is promised, with what it could not send left behind.
void TestHeadless::sigtermWithTheBrokerStopped() {
    SKIP_WITHOUT_MOSQUITTO();
    SKIP_WITHOUT_PTYS();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("hl/#")});
    QVERIFY(live.connect());
    PtyPair pty;
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR),
            {"--headless", "--port", "1=" + pty.devicePath(), "--counts", "5,5,0", "--mqtt",
             QStringLiteral("mqtt://127.0.0.1:%1/hl").arg(broker.port())});
    QVERIFY(p.waitForStarted());
    QCOMPARE(pty.read(5, 10000), QByteArray("s\x05\x05\x00\r", 5));
    QVERIFY(pty.write(onlyInput73()));
    QVERIFY(
        live.waitFor([&] { return live.last().value(QStringLiteral("hl/status")) == "online"; }));
    broker.signal(SIGSTOP);
    for (int b = 0; b < 200; ++b) {
        QList<Report> reports;
        for (int m = 1; m <= 10; ++m)
            reports.append({m, quint16(b % 2 ? 0xffff : 0x0000)});
        QVERIFY(pty.write(burstOf(reports)));
    }
    QTest::qWait(1000);
    QElapsedTimer ending;
    ending.start();
    ::kill(pid_t(p.processId()), SIGTERM);
    const bool ended = p.waitForFinished(10000);
    const qint64 took = ending.elapsed();
    broker.signal(SIGCONT);
    QVERIFY(ended);
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(took < 2000, qPrintable(QString::number(took)));
}

// Another board online under the default prefix: a usage error (exit 2, which the unit does
// not restart), naming --mqtt with a prefix.
void TestHeadless::defaultPrefixTaken() {
    SKIP_WITHOUT_MOSQUITTO();
    SKIP_WITHOUT_PTYS();
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    Subscriber live(broker.port(), {QStringLiteral("s88/#")});
    QVERIFY(live.connect());
    QVERIFY(live.publishRetained({{QStringLiteral("s88/status"), "online"}}));
    PtyPair pty;
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR),
            {"--headless", "--port", "1=" + pty.devicePath(), "--counts", "1,0,0", "--mqtt",
             QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port())});
    QVERIFY(p.waitForFinished(15000));
    QCOMPARE(p.exitCode(), 1); // tried again by the unit: it may be our own last run
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("--mqtt mqtt://127.0.0.1:%1/").arg(broker.port())),
             qPrintable(err));
    QCOMPARE(live.on(QStringLiteral("s88/status")).size(), 1); // the other board's only
}

void TestHeadless::noStoredCounts() {
    QTemporaryDir config;
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(QStringLiteral(S88MONITOR), {"--headless", "--port", "1=/dev/null"});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("--counts")));
}

// s88monitor copied where the service is not: --headless says what is missing. The service
// run by itself does --help and --headless only.
void TestHeadless::serviceMissingOrRunAlone_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("window program without the service")
        << "copied" << QStringList{"--headless", "--counts", "1,1,1"} << 2
        << "libexec/s88monitor/s88monitor-headless";
    QTest::newRow("service with no --headless")
        << "service" << QStringList{"--port", "1=/dev/null"} << 2 << "only --headless";
    QTest::newRow("service --help") << "service" << QStringList{"--help"} << 0 << "";
    QTest::newRow("service with a bad option")
        << "service" << QStringList{"--headless", "--counts", "1,2"} << 2 << "--counts";
}

void TestHeadless::serviceMissingOrRunAlone() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    QTemporaryDir config;
    QString path = QFileInfo(QStringLiteral(S88MONITOR)).dir().filePath("s88monitor-headless");
    if (program == QLatin1String("copied")) {
        path = config.filePath(QStringLiteral("s88monitor"));
        QVERIFY(QFile::copy(QStringLiteral(S88MONITOR), path));
    }
    QProcess p;
    p.setProcessEnvironment(withoutDisplay(config.path()));
    p.start(path, arguments);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), status);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (says.isEmpty()) {
        QVERIFY(
            QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("--headless")));
    } else {
        QVERIFY2(err.split(u'\n', Qt::SkipEmptyParts).first().contains(says), qPrintable(err));
    }
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
