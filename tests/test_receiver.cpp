#include "history/changehistory.h"
#include "receive/receiver.h"
#include "support/formsupport.h"

#include <QTest>

namespace {

// Events the control could not raise within its time budget are raised from the event loop.
bool drained(const ScriptedSerialControl& serial) {
    return QTest::qWaitFor([&] { return serial.InBufferCount() == 0; }, 5000);
}

QString echoed(std::initializer_list<int> values) {
    QString text;
    for (int v : values)
        text += QString::number(v) + QStringLiteral(" - - ");
    return text;
}

QString burst(std::initializer_list<int> values) {
    QString text;
    for (int v : values)
        text += QString::number(v) + QStringLiteral(" + ");
    return text;
}

// The monitor for bytes read as part of a burst (the first `inBurst`) and the rest echoed.
QString shownAs(const QByteArray& bytes, qsizetype inBurst) {
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text += QString::number(quint8(bytes[i])) +
                (i < inBurst ? QStringLiteral(" + ") : QStringLiteral(" - - "));
    return text;
}

} // namespace

class TestReceiver : public QObject {
    Q_OBJECT

private slots:
    void exampleStream_data();
    void exampleStream();
    void transition_data();
    void transition();
    void eventWithNothingWaitingWhileIdleStillRefreshes();
    void eventWithNothingWaitingTakesTheHeldIAsCount();
    void countZeroReadsNoReports_data();
    void countZeroReadsNoReports();
    void count105ReadsThatManyReports();
    void burstEndingIn105ExpectsACount();
    void iInsideABurstIsData();
    void upperCaseIChangesNothing();
    void echoShowsDecimalValue_data();
    void echoShowsDecimalValue();
    void everyByteValueIsEchoed();
    void stopAndStartBetweenIAndCount();
    void stalledBurstIsGivenUp_data();
    void stalledBurstIsGivenUp();
    void bytesArrivingWhileWaitingCompleteTheBurst();
    void burstBoundsOnTheLineClock_data();
    void burstBoundsOnTheLineClock();
    void deliveryLongerThanOneBudgetIsTakenWhole_data();
    void deliveryLongerThanOneBudgetIsTakenWhole();
    void blockWiseMatchesByteWise_data();
    void blockWiseMatchesByteWise();
    void awaitsWhatIsOnTheWire_data();
    void awaitsWhatIsOnTheWire();
};

void TestReceiver::exampleStream_data() {
    QTest::addColumn<QList<QByteArray>>("deliveries");
    QTest::addColumn<QList<QByteArray>>("duringWaits");

    QTest::newRow("one chunk") << QList<QByteArray>{bytes({105, 2, 1, 0, 3, 2, 128, 0})}
                               << QList<QByteArray>{};
    QTest::newRow("header, then all reports")
        << QList<QByteArray>{bytes({105, 2}), bytes({1, 0, 3, 2, 128, 0})} << QList<QByteArray>{};
    QTest::newRow("i, then count and reports")
        << QList<QByteArray>{bytes({105}), bytes({2, 1, 0, 3, 2, 128, 0})} << QList<QByteArray>{};
    QTest::newRow("second report arriving while the burst waits")
        << QList<QByteArray>{bytes({105, 2}), bytes({1, 0, 3})}
        << QList<QByteArray>{bytes({2, 128, 0})};
    QTest::newRow("byte by byte") << QList<QByteArray>{bytes({105}), bytes({2}), bytes({1})}
                                  << QList<QByteArray>{bytes({0}), bytes({3}), bytes({2}),
                                                       bytes({128}), bytes({0})};
}

void TestReceiver::exampleStream() {
    QFETCH(QList<QByteArray>, deliveries);
    QFETCH(QList<QByteArray>, duringWaits);
    ScriptedWindow w({.openPort = true});
    w.serial.arriveDuringWaits(duringWaits);
    for (const QByteArray& chunk : deliveries) {
        w.serial.deliver(chunk);
        QVERIFY(drained(w.serial));
    }

    QCOMPARE(w.monitor(), QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + "));
    QCOMPARE(activeInputs(w.state()), (QList<int>{1, 2, 32}));
    QCOMPARE(greenLamps(w.form), (QList<int>{1, 2, 32}));
    QCOMPARE(w.text5(), QStringLiteral(" 32"));
    QVERIFY(w.idle());
}

void TestReceiver::transition_data() {
    QTest::addColumn<bool>("countExpected");
    QTest::addColumn<bool>("burstPending");
    QTest::addColumn<int>("reportCount");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("countExpectedAfter");
    QTest::addColumn<bool>("burstPendingAfter");
    QTest::addColumn<int>("reportCountAfter");
    QTest::addColumn<QString>("shown");

    QTest::newRow("idle, other byte: idle")
        << false << false << 0 << bytes({7}) << false << false << 0 << echoed({7});
    QTest::newRow("idle, i: count expected")
        << false << false << 0 << bytes({105}) << true << false << 0 << echoed({105});
    QTest::newRow("count expected, count: burst pending")
        << true << false << 0 << bytes({3}) << false << true << 3 << echoed({3});
    QTest::newRow("count expected, i as count: burst pending, count after it")
        << true << false << 0 << bytes({105}) << true << true << 105 << echoed({105});
    QTest::newRow("burst pending, last byte other: idle")
        << false << true << 1 << bytes({1, 0, 6}) << false << false << 1 << burst({1, 0, 6});
    QTest::newRow("burst pending, last byte i: count expected")
        << false << true << 1 << bytes({1, 0, 105}) << true << false << 1 << burst({1, 0, 105});
    QTest::newRow("burst pending with count after it, last byte other: burst pending")
        << true << true << 1 << bytes({1, 0, 6}) << false << true << 6 << burst({1, 0, 6});
    QTest::newRow("burst pending with count after it, last byte i: unchanged")
        << true << true << 1 << bytes({1, 0, 105}) << true << true << 105 << burst({1, 0, 105});
}

void TestReceiver::transition() {
    QFETCH(bool, countExpected);
    QFETCH(bool, burstPending);
    QFETCH(int, reportCount);
    QFETCH(QByteArray, input);
    QFETCH(bool, countExpectedAfter);
    QFETCH(bool, burstPendingAfter);
    QFETCH(int, reportCountAfter);
    QFETCH(QString, shown);

    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    s.Flags[1] = countExpected;
    s.Flags[2] = burstPending;
    s.ReportCount = qint16(reportCount);
    if (countExpected) { // a count is expected only after an 'i'
        s.RxChar = 'i';
        s.RxValue = 105;
    }
    w.serial.queue(input);

    w.form.receiver().MSComm1_OnComm();

    QCOMPARE(s.Flags[1], countExpectedAfter);
    QCOMPARE(s.Flags[2], burstPendingAfter);
    QCOMPARE(int(s.ReportCount), reportCountAfter);
    QCOMPARE(w.monitor(), shown);
    QCOMPARE(w.serial.InBufferCount(), 0);
}

void TestReceiver::eventWithNothingWaitingWhileIdleStillRefreshes() {
    ScriptedWindow w({.openPort = true});
    w.state().InputState[7] = true;

    w.form.receiver().MSComm1_OnComm();

    QCOMPARE(w.monitor(), QString());
    QVERIFY(w.idle());
    QCOMPARE(greenLamps(w.form), QList<int>{7});
    QCOMPARE(w.text5(), QStringLiteral(" 7"));
}

void TestReceiver::eventWithNothingWaitingTakesTheHeldIAsCount() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105}));
    QVERIFY(w.state().Flags[1]);

    w.form.receiver().MSComm1_OnComm();

    QCOMPARE(int(w.state().ReportCount), 105);
    QVERIFY(w.state().Flags[1]);
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(w.monitor(), echoed({105}));
}

void TestReceiver::countZeroReadsNoReports_data() {
    QTest::addColumn<QByteArray>("next");
    QTest::addColumn<QString>("shown");

    QTest::newRow("next event with nothing waiting") << QByteArray() << echoed({105, 0});
    QTest::newRow("next byte is echoed") << bytes({7}) << echoed({105, 0, 7});
    QTest::newRow("next i starts a burst")
        << bytes({105, 1, 1, 0, 1}) << echoed({105, 0, 105, 1}) + burst({1, 0, 1});
}

void TestReceiver::countZeroReadsNoReports() {
    QFETCH(QByteArray, next);
    QFETCH(QString, shown);
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 0}));
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(int(w.state().ReportCount), 0);

    if (next.isEmpty())
        w.form.receiver().MSComm1_OnComm();
    else
        w.serial.deliver(next);
    QVERIFY(drained(w.serial));

    QVERIFY(w.idle());
    QCOMPARE(w.monitor(), shown);
    QCOMPARE(w.serial.waits(), 0);
}

void TestReceiver::count105ReadsThatManyReports() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 105}));
    QVERIFY(w.state().Flags[1]);
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(int(w.state().ReportCount), 105);

    // 104 reports for a module beyond the panel, then one that lights input 3 and ends in 4.
    QByteArray reports;
    for (int i = 0; i < 104; ++i)
        reports += bytes({14, 255, 255});
    reports += bytes({1, 0, 4});
    w.serial.deliver(reports);
    QVERIFY(drained(w.serial));

    QCOMPARE(w.serial.waits(), 0);
    QCOMPARE(w.monitor().count(QStringLiteral(" + ")), 105 * 3);
    QVERIFY(w.monitor().endsWith(burst({1, 0, 4})));
    QCOMPARE(activeInputs(w.state()), QList<int>{3});
    QCOMPARE(greenLamps(w.form), QList<int>{3});
    // The burst's last byte became the next count.
    QVERIFY(!w.state().Flags[1]);
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(int(w.state().ReportCount), 4);
}

void TestReceiver::burstEndingIn105ExpectsACount() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 1, 1, 0, 105}));
    QVERIFY(drained(w.serial));
    QVERIFY(w.state().Flags[1]);
    QVERIFY(!w.state().Flags[2]);
    QCOMPARE(activeInputs(w.state()), (QList<int>{1, 4, 6, 7})); // 105 = 64 + 32 + 8 + 1

    w.serial.deliver(bytes({2}));

    QVERIFY(!w.state().Flags[1]);
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(int(w.state().ReportCount), 2);
    QCOMPARE(w.monitor(), echoed({105, 1}) + burst({1, 0, 105}) + echoed({2}));
}

void TestReceiver::iInsideABurstIsData() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 2, 1, 105, 0, 105, 0, 1}));
    QVERIFY(drained(w.serial));

    // Module 1's high byte 105 lights inputs 9, 12, 14 and 15; module 105 is beyond every input.
    QCOMPARE(activeInputs(w.state()), (QList<int>{9, 12, 14, 15}));
    QCOMPARE(greenLamps(w.form), (QList<int>{9, 12, 14, 15}));
    QVERIFY(w.idle());
    QCOMPARE(w.monitor(), echoed({105, 2}) + burst({1, 105, 0, 105, 0, 1}));
}

void TestReceiver::upperCaseIChangesNothing() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({73, 5, 1, 0, 1}));
    QVERIFY(drained(w.serial));

    QCOMPARE(w.monitor(), echoed({73, 5, 1, 0, 1}));
    QVERIFY(w.idle());
    QCOMPARE(activeInputs(w.state()), QList<int>{});
}

void TestReceiver::echoShowsDecimalValue_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("zero") << 0 << QStringLiteral("0 - - ");
    QTest::newRow("one digit") << 9 << QStringLiteral("9 - - ");
    QTest::newRow("two digits") << 10 << QStringLiteral("10 - - ");
    QTest::newRow("highest seven-bit value") << 127 << QStringLiteral("127 - - ");
    QTest::newRow("lowest eight-bit value") << 128 << QStringLiteral("128 - - ");
    QTest::newRow("carriage return") << 13 << QStringLiteral("13 - - ");
    QTest::newRow("highest value") << 255 << QStringLiteral("255 - - ");
}

void TestReceiver::echoShowsDecimalValue() {
    QFETCH(int, value);
    QFETCH(QString, shown);
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({value}));
    QCOMPARE(w.monitor(), shown);
}

void TestReceiver::everyByteValueIsEchoed() {
    ScriptedWindow w({.openPort = true});
    QByteArray all;
    QString expected;
    for (int v = 0; v < 256; ++v) {
        if (v == 105) // would start a burst
            continue;
        all.append(char(v));
        expected += QString::number(v) + QStringLiteral(" - - ");
    }
    w.serial.deliver(all);
    QVERIFY(drained(w.serial));
    QCOMPARE(w.monitor(), expected);
    QVERIFY(w.idle());
}

void TestReceiver::stopAndStartBetweenIAndCount() {
    ScriptedWindow w;
    w.start();
    w.serial.deliver(bytes({105}));
    w.stop();
    QVERIFY(!w.serial.PortOpen());
    w.start();
    QVERIFY(w.serial.PortOpen());

    w.serial.deliver(bytes({2}));
    QVERIFY(w.state().Flags[2]);
    QCOMPARE(int(w.state().ReportCount), 2);
    w.serial.deliver(bytes({1, 0, 3, 2, 128, 0}));
    QVERIFY(drained(w.serial));

    QCOMPARE(w.monitor(), QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + "));
    QCOMPARE(greenLamps(w.form), (QList<int>{1, 2, 32}));
    QCOMPARE(w.messages.shown, QStringList());
}

void TestReceiver::stalledBurstIsGivenUp_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QList<int>>("decoded");
    QTest::addColumn<QString>("text5");

    QTest::newRow("second report missing")
        << bytes({105, 2, 1, 0, 3}) << QList<int>{1, 2} << QStringLiteral(" 2");
    QTest::newRow("second report cut after its module byte")
        << bytes({105, 2, 1, 0, 3, 2}) << QList<int>{1, 2} << QStringLiteral(" 2");
    QTest::newRow("first report cut after its high byte")
        << bytes({105, 2, 1, 0}) << QList<int>{} << QString();
    QTest::newRow("burst whose count was an i")
        << bytes({105, 105, 1, 0, 3}) << QList<int>{1, 2} << QStringLiteral(" 2");
    QTest::newRow("a later burst read as reports")
        << bytes({105, 3, 1, 0, 3, 105, 1, 2, 128, 0}) << QList<int>{1, 2} << QStringLiteral(" 2");
}

void TestReceiver::stalledBurstIsGivenUp() {
    QFETCH(QByteArray, stream);
    QFETCH(QList<int>, decoded);
    QFETCH(QString, text5);
    ScriptedWindow w({.openPort = true});

    w.serial.deliver(stream);
    QVERIFY(drained(w.serial));

    QVERIFY(w.serial.waits() > 0);
    QVERIFY(w.idle());
    QCOMPARE(activeInputs(w.state()), decoded);
    QCOMPARE(greenLamps(w.form), decoded);
    QCOMPARE(w.text5(), text5);
    QVERIFY(w.monitor().endsWith(QString::number(quint8(stream.back())) + QStringLiteral(" + ")));

    // The next 'i' starts a burst as usual.
    const QString before = w.monitor();
    w.serial.deliver(bytes({105, 1, 4, 0, 1}));
    QVERIFY(drained(w.serial));
    QCOMPARE(w.monitor(), before + echoed({105, 1}) + burst({4, 0, 1}));
    QVERIFY(activeInputs(w.state()).contains(49));
    QCOMPARE(w.text5(), QStringLiteral(" 49"));
    QVERIFY(w.idle());
}

void TestReceiver::bytesArrivingWhileWaitingCompleteTheBurst() {
    ScriptedWindow w({.openPort = true});
    w.serial.arriveDuringWaits({bytes({0}), bytes({3, 2}), bytes({128, 0})});

    w.serial.deliver(bytes({105, 2, 1}));

    // Nothing raises another event for bytes that come in during a wait, so the burst was
    // read by the one event that waited for them.
    QCOMPARE(w.serial.InBufferCount(), 0);
    QCOMPARE(w.serial.waits(), 3);
    QCOMPARE(w.monitor(), QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + "));
    QCOMPARE(greenLamps(w.form), (QList<int>{1, 2, 32}));
    QCOMPARE(w.text5(), QStringLiteral(" 32"));
    QVERIFY(w.idle());
}

void TestReceiver::deliveryLongerThanOneBudgetIsTakenWhole_data() {
    QTest::addColumn<bool>("blocks");
    QTest::addColumn<int>("size");
    QTest::newRow("byte by byte") << false << 200000;
    // Taken a block at a time, a byte costs a small part of what it does alone.
    QTest::newRow("block-wise") << true << 2000000;
}

void TestReceiver::burstBoundsOnTheLineClock_data() {
    QTest::addColumn<QByteArray>("first"); // delivered at 0 ms
    QTest::addColumn<QList<int>>("times"); // ms at which each of the chunks arrives
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("monitor");
    QTest::addColumn<QList<int>>("green");
    QTest::addColumn<quint64>("complete");
    QTest::addColumn<quint64>("givenUp");

    // 255 reports announced, one sent, then silence until the next burst. Up to 500 ms of
    // silence is waited out, and the burst takes the next one's bytes as its reports.
    const QByteArray oneReport = bytes({105, 255, 1, 0, 3});
    const QByteArray next = bytes({105, 1, 1, 0, 4});
    const QString asReports = echoed({105, 255}) + burst({1, 0, 3, 105, 1, 1, 0, 4});
    const QString asBurst =
        echoed({105, 255}) + burst({1, 0, 3}) + echoed({105, 1}) + burst({1, 0, 4});
    for (int silence : {499, 500}) {
        QTest::addRow("silent %d ms after one report: the next burst read as reports", silence)
            << oneReport << QList<int>{silence} << QList<QByteArray>{next} << asReports
            << QList<int>{1, 2} << quint64(0) << quint64(1);
    }
    for (int silence : {501, 1000}) {
        QTest::addRow("silent %d ms after one report: given up, the next burst read", silence)
            << oneReport << QList<int>{silence} << QList<QByteArray>{next} << asBurst
            << QList<int>{3} << quint64(1) << quint64(1);
    }

    // 255 reports announced, then a byte at each of `times`, each within 500 ms of the one
    // before: the burst is given up 2093 ms after its first report byte, and the bytes after
    // that are read as what they are between bursts.
    const auto dripping = [&](const char* name, const QList<int>& times, int inBurst) {
        QList<QByteArray> chunks;
        QByteArray dripped;
        for (int i = 0; i < times.size(); ++i) {
            chunks << bytes({i % 8});
            dripped += chunks.last();
        }
        QTest::newRow(name) << bytes({105, 255}) << times << chunks
                            << echoed({105, 255}) + shownAs(dripped, inBurst)
                            << QList<int>{33, 35, 43} << quint64(0) << quint64(1);
    };
    dripping("a byte every 300 ms: 7 bytes within the bound",
             {300, 600, 900, 1200, 1500, 1800, 2100, 2400, 2700, 3000, 3300, 3600}, 7);
    dripping("the 8th byte 1 ms within the bound",
             {300, 599, 898, 1197, 1496, 1795, 2094, 2392, 2691, 2990}, 8);
    dripping("the 8th byte at the bound", {300, 599, 898, 1197, 1496, 1795, 2094, 2393, 2692, 2991},
             8);
    dripping("the 8th byte 1 ms past the bound",
             {300, 599, 898, 1197, 1496, 1795, 2094, 2394, 2693, 2992}, 7);
}

// Time on the line as the receive path measures it, played by the test: a burst is given up
// after 500 ms of silence, or once it has taken its whole bound.
void TestReceiver::burstBoundsOnTheLineClock() {
    QFETCH(QByteArray, first);
    QFETCH(QList<int>, times);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, monitor);
    QFETCH(QList<int>, green);
    QFETCH(quint64, complete);
    QFETCH(quint64, givenUp);
    ScriptedWindow w({.openPort = true});
    w.serial.useScriptedClock(0);
    for (int i = 0; i < times.size(); ++i)
        w.serial.arriveAt(times[i], chunks[i]);

    w.serial.deliver(first);
    QVERIFY(drained(w.serial));
    w.serial.deliverTimed();
    QVERIFY(drained(w.serial));

    QCOMPARE(w.monitor(), monitor);
    QCOMPARE(greenLamps(w.form), green);
    QCOMPARE(w.form.history().bursts().complete, complete);
    QCOMPARE(w.form.history().bursts().givenUp, givenUp);
    QVERIFY(w.idle());
}

void TestReceiver::deliveryLongerThanOneBudgetIsTakenWhole() {
    QFETCH(bool, blocks);
    QFETCH(int, size);
    ScriptedWindow w({.openPort = true});
    w.serial.offerBlocks = blocks;
    const QByteArray flood(size, char(7));

    w.serial.deliver(flood);

    // Far more than one drain budget takes: the rest is left to continuations, which take it.
    QVERIFY(w.serial.InBufferCount() > 0);
    QVERIFY(drained(w.serial));
    QCOMPARE(w.serial.charactersTaken(), quint64(flood.size()));
    QCOMPARE(w.entries(), quint64(flood.size()));
    QVERIFY(w.monitor().endsWith(echoed({7, 7})));
}

// Block-wise and byte-wise: the same stream, split at every position, run through takeWaiting()
// on a control that offers its input in one piece, and through one MSComm1_OnComm() per event
// on one that does not, must leave everything the same.
namespace {

struct Run {
    class Log final : public ReceiveObserver, public Refresh, public SerialTap {
    public:
        explicit Log(FormState& state) : m_state(state) {}
        void reportDecoded(const DecodedReport& r) override {
            events << QStringLiteral("r%1").arg(r.module);
        }
        void burstEnded(bool complete, qint64) override {
            events << (complete ? "end" : "given up");
        }
        void strayByte(quint8 value) override { events << QStringLiteral("s%1").arg(value); }
        // As the panel: the inputs it finds changed become the last state; each change seen
        // is one entry, which is what the lamps and Text5 show.
        void arbejd() override {
            if (m_state.LastState != m_state.InputState) {
                m_state.LastState = m_state.InputState;
                QString seen;
                for (int n = 0; n <= 200; ++n)
                    seen += m_state.InputState[std::size_t(n)] ? u'1' : u'0';
                refreshes << seen;
            }
            m_state.LoopCounter = 201;
        }
        void received(char c) override { tapped.append(c); }
        void sent(const QByteArray&) override {}
        QStringList events;
        QStringList refreshes;
        QByteArray tapped;

    private:
        FormState& m_state;
    };

    FormState state;
    ScriptedSerialControl serial;
    Monitor monitor;
    Log log{state};
    Receiver receiver{state, serial, monitor, log};

    explicit Run(bool blocks) {
        serial.offerBlocks = blocks;
        serial.setPortOpen(true);
        serial.setTap(&log);
        receiver.setObserver(&log);
    }
    void takeAll() {
        while (serial.InBufferCount() > 0) {
            if (serial.offerBlocks)
                receiver.takeWaiting();
            else
                receiver.MSComm1_OnComm();
        }
    }
};

void compareRuns(Run& a, Run& b) {
    QCOMPARE(a.state.Flags, b.state.Flags);
    QCOMPARE(a.state.InputState, b.state.InputState);
    QCOMPARE(a.state.LastState, b.state.LastState);
    QCOMPARE(a.state.ReportCount, b.state.ReportCount);
    QCOMPARE(a.state.RxText, b.state.RxText);
    QCOMPARE(a.state.RxChar, b.state.RxChar);
    QCOMPARE(a.state.RxValue, b.state.RxValue);
    QCOMPARE(a.state.ReportModule, b.state.ReportModule);
    QCOMPARE(a.state.ReportHigh, b.state.ReportHigh);
    QCOMPARE(a.state.ReportLow, b.state.ReportLow);
    QCOMPARE(a.state.LoopCounter, b.state.LoopCounter);
    QCOMPARE(a.monitor.entries(), b.monitor.entries());
    QCOMPARE(a.monitor.text(), b.monitor.text());
    QCOMPARE(a.log.events, b.log.events);
    QCOMPARE(a.log.refreshes, b.log.refreshes);
    QCOMPARE(a.log.tapped, b.log.tapped);
    QCOMPARE(a.serial.charactersTaken(), b.serial.charactersTaken());
    QCOMPARE(a.serial.waits(), b.serial.waits());
}

} // namespace

void TestReceiver::blockWiseMatchesByteWise_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("restDuringWaits");

    QRandomGenerator random(25);
    QByteArray benchLike;
    for (int k = 0; k < 3; ++k)
        benchLike += randomBurst(random, oneTo(10)) + bytes({7 + k, 200});
    QByteArray noise;
    for (int k = 0; k < 120; ++k)
        noise.append(char(random.bounded(k % 3 == 0 ? 120 : 256)));
    const QList<std::pair<const char*, QByteArray>> streams{
        {"two bursts and strays", bytes({105, 2, 1, 0, 3, 2, 128, 0, 9, 105, 1, 1, 255, 255, 0})},
        {"count zero", bytes({105, 0, 105, 0, 4, 105, 1, 2, 0, 1})},
        {"i as count", bytes({105, 105}) + QByteArray(105 * 3, char(1)) + bytes({5})},
        {"burst ending in 105", bytes({105, 1, 105, 105, 105, 2, 1, 7, 7})},
        {"i inside a burst", bytes({105, 2, 105, 105, 105, 105, 105, 105, 3})},
        {"stray bytes only", bytes({0, 1, 73, 104, 106, 255})},
        {"modules out of range", bytes({105, 3, 0, 255, 255, 13, 1, 1, 255, 0, 0, 9})},
        {"bench-like", benchLike},
        {"noise", noise},
    };
    for (const auto& [name, stream] : streams) {
        for (const bool duringWaits : {false, true}) {
            QTest::addRow("%s, %s", name, duringWaits ? "rest while waiting" : "rest delivered")
                << stream << duringWaits;
        }
    }
}

void TestReceiver::blockWiseMatchesByteWise() {
    QFETCH(QByteArray, stream);
    QFETCH(bool, restDuringWaits);
    for (qsizetype split = 0; split <= stream.size(); ++split) {
        Run bytewise(false);
        Run blockwise(true);
        for (Run* run : {&bytewise, &blockwise}) {
            const QByteArray head = stream.left(split);
            const QByteArray rest = stream.mid(split);
            run->serial.queue(head);
            if (restDuringWaits) {
                // The rest arrives in pieces of five while a burst waits for it.
                QList<QByteArray> pieces;
                for (qsizetype i = 0; i < rest.size(); i += 5)
                    pieces << rest.mid(i, 5);
                run->serial.arriveDuringWaits(pieces);
                run->takeAll();
            } else {
                run->takeAll();
                run->serial.queue(rest);
            }
            run->takeAll();
        }
        QVERIFY2(blockwise.serial.InBufferCount() == 0, qPrintable(QString::number(split)));
        compareRuns(bytewise, blockwise);
        if (QTest::currentTestFailed()) {
            qWarning("split at %lld", qlonglong(split));
            return;
        }
    }
}

// A control that gathers is told how many characters the reader still needs: the rest of a
// burst (whose bytes so far stay waiting), or, after a burst, about as many as the last one took
// from the end of the burst before it. Delivered in the given pieces; the last column is what
// the reader asked for over all of them.
void TestReceiver::awaitsWhatIsOnTheWire_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("left"); // characters left waiting after the last piece
    QTest::addColumn<QList<int>>("awaited");
    QTest::addColumn<bool>("waited"); // inside a handler, for what one gathering did not bring

    const QByteArray a = bytes({105, 1, 1, 0, 1});    // 5 characters: input 1
    const QByteArray b = bytes({105, 1, 1, 0, 2});    // input 2
    const QByteArray c = bytes({105, 2, 1, 0, 4, 2}); // 2 reports, the second cut after 1 byte
    const auto strays = [](int n) { return QByteArray(n, char(7)); };
    QTest::newRow("one report, none of it here")
        << QList<QByteArray>{bytes({105, 1})} << 0 << QList<int>{3} << false;
    QTest::newRow("second report cut after its module byte")
        << QList<QByteArray>{c} << 4 << QList<int>{2} << false;
    QTest::newRow("second report cut after its high byte")
        << QList<QByteArray>{c + bytes({0})} << 5 << QList<int>{1} << false;
    QTest::newRow("still short after the gathering: waited for, then given up")
        << QList<QByteArray>{c, bytes({0})} << 0 << QList<int>{2} << true;
    QTest::newRow("the rest comes: the burst is read")
        << QList<QByteArray>{c, bytes({0, 8})} << 0 << QList<int>{2} << false;
    QTest::newRow("a first whole burst: no span known")
        << QList<QByteArray>{a} << 0 << QList<int>{} << false;
    QTest::newRow("second burst: the span from the first")
        << QList<QByteArray>{a + strays(2) + b} << 0 << QList<int>{7} << false;
    QTest::newRow("strays since count toward the next")
        << QList<QByteArray>{a + strays(2) + b + strays(3)} << 0 << QList<int>{4} << false;
    QTest::newRow("one short of the span")
        << QList<QByteArray>{a + strays(2) + b + strays(6)} << 0 << QList<int>{1} << false;
    QTest::newRow("the span reached: nothing awaited")
        << QList<QByteArray>{a + strays(2) + b + strays(7)} << 0 << QList<int>{} << false;
    QTest::newRow("past the span: nothing awaited")
        << QList<QByteArray>{a + strays(2) + b + strays(8)} << 0 << QList<int>{} << false;
    QTest::newRow("a span of 766 characters")
        << QList<QByteArray>{a + strays(761) + b} << 0 << QList<int>{766} << false;
    QTest::newRow("a span of 767 characters")
        << QList<QByteArray>{a + strays(762) + b} << 0 << QList<int>{767} << false;
    QTest::newRow("a span of 768: the longest burst awaited")
        << QList<QByteArray>{a + strays(763) + b} << 0 << QList<int>{767} << false;
    QTest::newRow("the next burst's i and count count toward it")
        << QList<QByteArray>{a + strays(2) + b + bytes({105, 1})} << 0 << QList<int>{3} << false;
}

void TestReceiver::awaitsWhatIsOnTheWire() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, left);
    QFETCH(QList<int>, awaited);
    QFETCH(bool, waited);
    ScriptedWindow w({.openPort = true});
    w.serial.gathers = true;

    QByteArray all;
    for (const QByteArray& piece : pieces) {
        w.serial.deliver(piece);
        all += piece;
    }

    QCOMPARE(w.serial.InBufferCount(), left);
    QCOMPARE(w.serial.awaited, awaited);
    QCOMPARE(w.serial.waits() > 0, waited);
    QVERIFY(left > 0 || drained(w.serial));
    // What was taken is exactly what the same bytes show taken one by one.
    ScriptedWindow one({.openPort = true});
    one.serial.offerBlocks = false;
    one.serial.deliver(all.first(all.size() - left));
    QVERIFY(drained(one.serial));
    QCOMPARE(w.monitor(), one.monitor());
    QCOMPARE(greenLamps(w.form), greenLamps(one.form));
}

QTEST_MAIN(TestReceiver)
#include "test_receiver.moc"
