// The channels agree: one recording per row, made with the virtual module's bursts and its
// faults, played through the window (its module check line and summary), the command line's
// --summary, and the MQTT check topic of a bridge on that window, on a real broker. What each
// says of the modules, the short bursts and the unstable inputs must be the same.

#include "bridge/bridge.h"
#include "diag/diagarea.h"
#include "history/playback.h"
#include "history/recording.h"
#include "sim/faults.h"
#include "sim/pattern.h"
#include "sim/virtualmodule.h"
#include "support/broker.h"
#include "support/formsupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kBursts = 30;
constexpr qint64 kStartEpochMs = 1'700'000'000'000;

// What a channel says, in one form for all: lists as "2, 4-7", "-" for none, "?" for not
// judged (the counts are not known, or not sent).
struct Told {
    QString configured = QStringLiteral("?");
    int reported = 0; // modules with a report
    QString missing = QStringLiteral("-");
    QString unknown = QStringLiteral("-");
    quint64 shortBursts = 0;
    QString shortMissing = QStringLiteral("-"); // the modules the short bursts left out
    QString unstable = QStringLiteral("-");

    QString text() const {
        return QStringLiteral("configured %1, reported %2, missing %3, unknown %4, short bursts "
                              "%5 (left out %6), unstable %7")
            .arg(configured)
            .arg(reported)
            .arg(missing, unknown)
            .arg(shortBursts)
            .arg(shortMissing, unstable);
    }
};

// "1-3, 5" has four numbers.
int countOf(const QString& ranges) {
    int n = 0;
    for (const QString& part : ranges.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList ends = part.split(u'-');
        n += ends.size() == 2 ? ends[1].toInt() - ends[0].toInt() + 1 : 1;
    }
    return n;
}

QString listOr(const QString& list, const QString& none) {
    return list.isEmpty() || list == none ? QStringLiteral("-") : list;
}

// The window's module check line and the summary beside the history list.
Told fromWindow(const QString& line, const QString& summary) {
    Told t;
    const QStringList parts = line.split(QStringLiteral(" · "));
    static const QRegularExpression head(QStringLiteral("^Modulantal (\\d+|\\?), meldt (\\d+)$"));
    const QRegularExpressionMatch h = head.match(parts.value(0));
    if (h.hasMatch()) {
        t.configured = h.captured(1);
        t.reported = h.captured(2).toInt();
    }
    const bool judged = t.configured != u'?';
    t.missing = t.unknown = judged ? QStringLiteral("-") : QStringLiteral("?");
    static const QRegularExpression shortPart(
        QStringLiteral("^kort burst: (?:modul (.+) mangler i svaret|færre rapporter end meldt) "
                       "\\((\\d+)\\)$"));
    for (const QString& part : parts.mid(1)) {
        if (part.startsWith(QStringLiteral("Antal ikke sendt")))
            t.missing = QStringLiteral("?");
        else if (part.startsWith(QStringLiteral("mangler ")))
            t.missing = part.mid(8);
        else if (part.startsWith(QStringLiteral("ukendt ")))
            t.unknown = part.mid(7);
        else if (const QRegularExpressionMatch m = shortPart.match(part); m.hasMatch()) {
            t.shortMissing = listOr(m.captured(1), {});
            t.shortBursts = m.captured(2).toULongLong();
        }
    }
    for (const QString& l : summary.split(u'\n'))
        if (l.startsWith(QStringLiteral("Ustabile: ")))
            t.unstable = listOr(l.mid(10), QStringLiteral("ingen"));
    return t;
}

// --summary's lines.
Told fromSummary(const QByteArray& out) {
    Told t;
    QMap<QString, QString> v;
    for (const QByteArray& line : out.split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        if (colon > 0)
            v.insert(QString::fromUtf8(line.left(colon)), QString::fromUtf8(line.mid(colon + 2)));
    }
    const QString configured = v.value(QStringLiteral("configured"));
    t.configured =
        configured.startsWith(QStringLiteral("unknown")) ? QStringLiteral("?") : configured;
    const QString reported = v.value(QStringLiteral("reported"));
    t.reported = reported == u"none" ? 0 : countOf(reported);
    const auto judged = [](const QString& value) {
        return value == u"unknown" ? QStringLiteral("?") : listOr(value, QStringLiteral("none"));
    };
    t.missing = judged(v.value(QStringLiteral("missing")));
    t.unknown = judged(v.value(QStringLiteral("unknown")));
    static const QRegularExpression shortLine(
        QStringLiteral("^(\\d+)(?: \\(module (.+) left out of the reply\\))?"));
    const QRegularExpressionMatch m = shortLine.match(v.value(QStringLiteral("short bursts")));
    t.shortBursts = m.captured(1).toULongLong();
    t.shortMissing = listOr(m.captured(2), {});
    t.unstable = listOr(v.value(QStringLiteral("unstable inputs")), QStringLiteral("none"));
    return t;
}

// The check topic's JSON.
Told fromCheck(const QByteArray& payload) {
    Told t;
    const QJsonObject o = QJsonDocument::fromJson(payload).object();
    const auto text = [&o](const char* key) {
        return listOr(o.value(QLatin1String(key)).toString(), {});
    };
    const bool known = !o.value(QStringLiteral("configured")).isNull();
    if (known)
        t.configured = QString::number(o.value(QStringLiteral("configured")).toInt());
    t.reported = countOf(o.value(QStringLiteral("reported")).toString());
    t.missing = !known || o.value(QStringLiteral("counts_not_sent")).toBool() ? QStringLiteral("?")
                                                                              : text("missing");
    t.unknown = known ? text("unknown") : QStringLiteral("?");
    t.shortBursts = quint64(o.value(QStringLiteral("short_bursts")).toInteger());
    t.shortMissing = text("short_missing");
    t.unstable = text("unstable");
    return t;
}

// kBursts bursts 100 ms apart from `modules` modules with these faults, the train moving on
// every third; first the count command `sent`, when given.
QByteArray recordingOf(int modules, const QStringList& faultList, const QList<int>& sent) {
    QByteArray r = recording::header(kStartEpochMs);
    if (!sent.isEmpty())
        recording::appendSent(r, 10, bytes({'s', sent[0], sent[1], sent[2], '\r'}));
    sim::Faults faults;
    for (const QString& f : faultList)
        faults.add(f);
    sim::Pattern pattern(7);
    pattern.setModules(modules);
    for (int i = 0; i < kBursts; ++i) {
        QByteArray burst;
        faults.appendBurst(burst, pattern, quint64(i), nullptr);
        recording::appendReceived(r, i == 0 ? 90 : 100, burst);
        if (i % 3 == 2)
            pattern.step();
    }
    recording::appendEnd(r, 100);
    return r;
}

QByteArray summaryOf(const QString& path) {
    QProcess p;
    p.setProcessEnvironment(withoutDisplay());
    p.start(QStringLiteral(S88MONITOR), {QStringLiteral("--summary"), path});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return p.readAllStandardError();
    return p.readAllStandardOutput();
}

} // namespace

class TestChannels : public QObject {
    Q_OBJECT

private slots:
    void channelsAgree_data();
    void channelsAgree();
};

void TestChannels::channelsAgree_data() {
    QTest::addColumn<int>("modules");        // the module answers for modules 1..modules
    QTest::addColumn<QStringList>("faults"); // as --fault takes them
    QTest::addColumn<QList<int>>("sent");    // the count command recorded; none: not sent
    QTest::addColumn<QList<int>>("loaded");  // the counts the window loads; none: none
    QTest::addColumn<QString>("expected");   // what every channel says
    // The window sends the recorded counts itself during the replay; otherwise it has only
    // the recording's.
    QTest::addColumn<bool>("windowSends");

    const QList<int> five{2, 2, 1};
    QTest::newRow("clean") << 5 << QStringList{} << five << QList<int>{}
                           << "configured 5, reported 5, missing -, unknown -, short bursts 0 "
                              "(left out -), unstable -"
                           << true;
    QTest::newRow("missing:2") << 3 << QStringList{"missing:2"} << QList<int>{1, 1, 1}
                               << QList<int>{}
                               << "configured 3, reported 2, missing -, unknown -, short bursts "
                                  "15 (left out 2), unstable -"
                               << true;
    QTest::newRow("silent:4") << 5 << QStringList{"silent:4"} << five << QList<int>{}
                              << "configured 5, reported 4, missing 4, unknown -, short bursts 0 "
                                 "(left out -), unstable -"
                              << true;
    QTest::newRow("chatter:73") << 5 << QStringList{"chatter:73"} << five << QList<int>{}
                                << "configured 5, reported 5, missing -, unknown -, short "
                                   "bursts 0 (left out -), unstable 73"
                                << true;
    // The last input: module 13's eighth contact, the rest of the module past the lamps.
    QTest::newRow("chatter:200") << 13 << QStringList{"chatter:200"} << QList<int>{5, 4, 4}
                                 << QList<int>{}
                                 << "configured 13, reported 13, missing -, unknown -, short "
                                    "bursts 0 (left out -), unstable 200"
                                 << true;
    // The window loaded 5 and never sent them: nobody is missing; the recording knows no
    // counts, so --summary judges neither missing nor unknown.
    QTest::newRow("counts loaded but not sent")
        << 4 << QStringList{} << QList<int>{} << five
        << "configured 5, reported 4, missing ?, unknown -, short bursts 0 (left out -), "
           "unstable -"
        << true;
    QTest::newRow("wrong module count")
        << 5 << QStringList{} << QList<int>{2, 1, 1} << QList<int>{}
        << "configured 4, reported 5, missing -, unknown 5, short bursts 0 (left out -), "
           "unstable -"
        << true;
    // The counts only in the recording: the window's replay takes them, as --summary does.
    QTest::newRow("silent:4, counts only in the recording")
        << 5 << QStringList{"silent:4"} << five << QList<int>{}
        << "configured 5, reported 4, missing 4, unknown -, short bursts 0 (left out -), "
           "unstable -"
        << false;
    QTest::newRow("silent:4, other counts loaded, the recording's win")
        << 5 << QStringList{"silent:4"} << five << QList<int>{3, 3, 3}
        << "configured 5, reported 4, missing 4, unknown -, short bursts 0 (left out -), "
           "unstable -"
        << false;
    QTest::newRow("wrong module count only in the recording")
        << 5 << QStringList{} << QList<int>{2, 1, 1} << QList<int>{}
        << "configured 4, reported 5, missing -, unknown 5, short bursts 0 (left out -), "
           "unstable -"
        << false;
}

void TestChannels::channelsAgree() {
    SKIP_WITHOUT_MOSQUITTO();
    QFETCH(int, modules);
    QFETCH(QStringList, faults);
    QFETCH(QList<int>, sent);
    QFETCH(QList<int>, loaded);
    QFETCH(QString, expected);
    QFETCH(bool, windowSends);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("row.s88"));
    QVERIFY(writeFile(path, recordingOf(modules, faults, sent)));

    // What the recording holds, through the receive path with no window.
    recording::File file;
    QVERIFY(file.open(path, nullptr));
    recording::Reader reader(file);
    PlaybackRun played(reader);
    QVERIFY(played.run());
    const BurstStats want = played.history().bursts();

    // The window replays it as --replay does, with the bridge on a broker of its own.
    Broker broker;
    QVERIFY2(broker.start(), qPrintable(broker.log()));
    QString why, warning;
    VirtualModule::Options options;
    options.replay = recording::receivedPieces(path, &why, &warning);
    QVERIFY2(options.replay, qPrintable(why));
    options.replaySpeed = 0;
    VirtualModule module(options);
    QVERIFY2(module.start(&why), qPrintable(why));
    MemorySettings stored;
    for (int i = 0; i < loaded.size(); ++i)
        stored.values[fixed::countKey(fixed::kSections[i])] = QString::number(loaded[i]);
    WindowRig w([&module](int port) { return port == 1 ? module.devicePath() : QString(); },
                RigSetup{.store = &stored});
    QVERIFY2(w.form.replay(path, 1, &why), qPrintable(why));
    Bridge::Options o;
    o.url = *MqttUrl::parse(QStringLiteral("mqtt://127.0.0.1:%1/c").arg(broker.port()));
    Bridge bridge(w.form.station(), o);
    w.form.setBridge(&bridge);
    bridge.start();
    Subscriber live(broker.port(), {QStringLiteral("c/check")});
    QVERIFY(live.connect());
    QVERIFY(live.waitFor([&] { return bridge.isConnected(); }));
    w.start();
    if (!sent.isEmpty() && windowSends) {
        w.c().Text1->setText(QString::number(sent[0]));
        w.c().Text2->setText(QString::number(sent[1]));
        w.c().Text3->setText(QString::number(sent[2]));
        w.c().Command1->click();
    }
    const BurstStats& got = w.form.history().bursts();
    QVERIFY(live.waitFor(
        [&] {
            return got.complete == want.complete && got.shortBursts == want.shortBursts &&
                   got.givenUp == want.givenUp;
        },
        20000));

    DiagArea& diag = w.form.diagnostics();
    diag.tick();
    const Told window = fromWindow(diag.moduleCheckText(), diag.summary());
    const Told summary = fromSummary(summaryOf(path));
    // The check goes out at most once a second: the one that tells the whole replay.
    live.waitFor(
        [&] {
            return fromCheck(live.last().value(QStringLiteral("c/check"))).text() == window.text();
        },
        5000);
    const Told mqtt = fromCheck(live.last().value(QStringLiteral("c/check")));
    w.form.setBridge(nullptr);
    bridge.stop();

    QCOMPARE(window.text(), expected);
    // The lamps of every module called missing wear the veil, and no others.
    const bool judged = window.missing != u'?' && window.missing != u'-';
    QCOMPARE(diag.markers().veiledCount(), judged ? countOf(window.missing) * 16 : 0);
    QCOMPARE(mqtt.text(), window.text());
    Told recorded = window; // --summary knows only counts the recording sent
    if (sent.isEmpty())
        recorded.configured = recorded.missing = recorded.unknown = QStringLiteral("?");
    QCOMPARE(summary.text(), recorded.text());
}

QTEST_MAIN(TestChannels)
#include "test_channels.moc"
