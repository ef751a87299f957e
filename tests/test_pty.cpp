// End to end over pseudo terminals: the real serial control opens the slave side as its port,
// the test plays the interface module on the master side, and the window is watched.

#include "app/form1.h"
#include "link/qtserialcontrol.h"
#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "panel/shape.h"
#include "receive/monitor.h"
#include "receive/receiver.h"
#include "support/formsupport.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kStarted = 32768;
constexpr int kStopped = 2303;
constexpr int kNotStarted = 255;
// Generous: the program is never expected to take anywhere near this long.
constexpr int kPatienceMs = 10000;

using Rig = WindowRig;

// Writes the chunks to the master side from a thread of its own, pausing between them, so the
// window's thread can sit inside a burst waiting for the rest while it is still on its way.
class Feeder {
public:
    Feeder(PtyPair& pty, QList<QByteArray> chunks, std::chrono::milliseconds pause)
        : m_thread([this, &pty, chunks = std::move(chunks), pause] {
              for (qsizetype i = 0; i < chunks.size(); ++i) {
                  if (i > 0 && pause.count() > 0)
                      std::this_thread::sleep_for(pause);
                  if (!pty.write(chunks[i]))
                      m_failed = true;
              }
              m_done = true;
          }) {}
    ~Feeder() { m_thread.join(); }
    bool done() const { return m_done; }
    bool failed() const { return m_failed; }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_failed{false};
    std::thread m_thread;
};

// Reads what the program sent, keeping the window's event loop running meanwhile (the serial
// control writes from the event loop).
QByteArray readSent(PtyPair& pty, int atLeast, int msecs) {
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (got.size() < atLeast && timer.elapsed() < msecs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        got += pty.read(1, 10);
    }
    return got;
}

// Whether another program could open the device now: it cannot while the port is held open.
bool deviceFree(const QString& device) {
    QSerialPort probe;
    probe.setPortName(device);
    const bool opened = probe.open(QIODevice::ReadWrite);
    probe.close();
    return opened;
}

QString key(const char* section) {
    return QStringLiteral("Gen_Vorn_S88/%1/Antal").arg(QLatin1String(section));
}

const QString kExampleMonitor = QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + ");

} // namespace

class TestPty : public QObject {
    Q_OBJECT

private slots:
    void init();
    void exampleBurst_data();
    void exampleBurst();
    void longStreamInArbitraryChunks();
    void stalledBurstIsGivenUp();
    void countCommand_data();
    void countCommand();
    void portChangeMovesStartedLink();
    void portChangeToMissingDevice();
    void startOnUnusablePort_data();
    void startOnUnusablePort();
    void lineGoneUnderStartedLink();
    void stopAndStartBetweenStartCharacterAndCount();
    void quitClosesPort_data();
    void quitClosesPort();
};

void TestPty::init() {
    PtyPair probe;
    if (!probe.isValid())
        QSKIP("no pseudo terminals here");
}

void TestPty::exampleBurst_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("pauseMs");

    QTest::newRow("three pieces with pauses")
        << QList<QByteArray>{bytes({105, 2}), bytes({1, 0, 3}), bytes({2, 128, 0})} << 30;
    QTest::newRow("one write") << QList<QByteArray>{bytes({105, 2, 1, 0, 3, 2, 128, 0})} << 0;
    QList<QByteArray> single;
    for (const int b : {105, 2, 1, 0, 3, 2, 128, 0})
        single << bytes({b});
    QTest::newRow("byte by byte") << single << 10;
    QTest::newRow("split inside reports")
        << QList<QByteArray>{bytes({105}), bytes({2, 1}), bytes({0}), bytes({3, 2, 128}),
                             bytes({0})}
        << 20;
}

void TestPty::exampleBurst() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, pauseMs);

    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);

    Feeder feeder(pty, pieces, std::chrono::milliseconds(pauseMs));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), kExampleMonitor, kPatienceMs);
    QVERIFY(!feeder.failed());
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    for (int n = 1; n <= FormState::kLastInput; ++n)
        QCOMPARE(rig.form.state().InputState[std::size_t(n)], n == 1 || n == 2 || n == 32);
    QCOMPARE(rig.form.controls().Text5->text(), QStringLiteral(" 32"));
    QVERIFY(!rig.form.state().Flags[1]);
    QVERIFY(!rig.form.state().Flags[2]);

    // The monitor box shows the same stream, broken into lines only between entries.
    rig.form.monitorView().flush();
    QCOMPARE(rig.form.controls().Text4->toPlainText().remove(QLatin1Char('\n')), kExampleMonitor);
    // The link stays up once the stream has gone quiet.
    QTest::qWait(200);
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(u'|')));
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
}

void TestPty::longStreamInArbitraryChunks() {
    // 2000 bursts of ten reports with changing data and stray bytes between them.
    QRandomGenerator random(20070601);
    QByteArray stream;
    QString expected;
    expected.reserve(400000);
    std::array<bool, FormState::kInputCount> inputs{};
    std::array<bool, FormState::kInputCount> beforeLast{};
    const auto echo = [&](int value, const char* separator) {
        expected += QString::number(value);
        expected += QLatin1String(separator);
    };
    constexpr int kBursts = 2000;
    for (int b = 0; b < kBursts; ++b) {
        if (b == kBursts - 1)
            beforeLast = inputs;
        stream.append(char(105)).append(char(10));
        echo(105, " - - ");
        echo(10, " - - ");
        std::array<int, 10> modules{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        std::shuffle(modules.begin(), modules.end(), random);
        for (std::size_t r = 0; r < modules.size(); ++r) {
            const int module = modules[r];
            const int high = int(random.bounded(256));
            int low = int(random.bounded(256));
            // A burst that ends in 105 would make the next byte a count.
            if (r == modules.size() - 1 && low == 105)
                low = 104;
            stream.append(char(module)).append(char(high)).append(char(low));
            for (const int v : {module, high, low})
                echo(v, " + ");
            for (int bit = 0; bit < 8; ++bit) {
                inputs[std::size_t((module - 1) * 16 + 1 + bit)] = (low >> bit) & 1;
                inputs[std::size_t((module - 1) * 16 + 9 + bit)] = (high >> bit) & 1;
            }
        }
        const int strays = int(random.bounded(3));
        for (int s = 0; s < strays; ++s) {
            int value = int(random.bounded(256));
            if (value == 105)
                value = 73; // upper-case I: only echoed
            stream.append(char(value));
            echo(value, " - - ");
        }
    }
    // Each burst is decoded within one event and refreshed at its end, so the last refresh
    // that saw a change compares the last burst with the one before it.
    int lastChanged = 0;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        if (inputs[std::size_t(n)] != beforeLast[std::size_t(n)])
            lastChanged = n;
    }
    QVERIFY(lastChanged > 0);

    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype size = qsizetype(1 + random.bounded(700));
        chunks << stream.mid(at, size);
        at += size;
    }

    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    rig.start();
    Feeder feeder(pty, chunks, std::chrono::milliseconds(0));
    const QString tail = expected.right(300);
    QTRY_VERIFY_WITH_TIMEOUT(
        feeder.done() && rig.serial.InBufferCount() == 0 && rig.monitor().endsWith(tail), 120000);
    QVERIFY(!feeder.failed());

    // Nothing lost, nothing reordered: the kept monitor text is exactly the stream's end.
    const QString kept = rig.monitor();
    QVERIFY(kept.size() >= std::min<qsizetype>(Monitor::kKeep, expected.size()));
    QVERIFY2(expected.endsWith(kept), qPrintable(kept.left(80)));
    QVERIFY(kept.at(0).isDigit());

    QList<int> expectedGreen;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        if (inputs[std::size_t(n)])
            expectedGreen << n;
    }
    QCOMPARE(greenLamps(rig.form), expectedGreen);
    QCOMPARE(rig.form.controls().Text5->text(), QStringLiteral(" %1").arg(lastChanged));
    QVERIFY(!rig.form.state().Flags[1]);
    QVERIFY(!rig.form.state().Flags[2]);

    rig.form.monitorView().flush();
    const QString shown = rig.form.controls().Text4->toPlainText().remove(QLatin1Char('\n'));
    // The box may hold less than the kept stream after a flood, but what it shows is the
    // stream's end, unbroken.
    QVERIFY(shown.endsWith(expected.right(100)));
    QVERIFY(expected.endsWith(shown));

    // A flood that has ended is no reason to give up the line.
    QTest::qWait(200);
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(u'|')));
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(rig.serial.PortOpen());
}

void TestPty::stalledBurstIsGivenUp() {
    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    rig.start();

    // Three reports announced, one sent, then nothing.
    QVERIFY(pty.write(bytes({105, 3})));
    QTRY_VERIFY_WITH_TIMEOUT(rig.form.state().Flags[2], kPatienceMs);
    QVERIFY(pty.write(bytes({1, 0, 3})));

    // A timer that falls due while the burst waits: the window gets back to it once the wait
    // is given up.
    bool fired = false;
    QString monitorWhenFired;
    QTimer::singleShot(Receiver::kBurstSilenceMs / 2, &rig.form, [&] {
        fired = true;
        monitorWhenFired = rig.monitor();
    });
    QTRY_VERIFY_WITH_TIMEOUT(fired, Receiver::kBurstSilenceMs + kPatienceMs);

    const QString stalled = QStringLiteral("105 - - 3 - - 1 + 0 + 3 + ");
    QCOMPARE(monitorWhenFired, stalled);
    QCOMPARE(rig.monitor(), stalled);
    QVERIFY(!rig.form.state().Flags[1]);
    QVERIFY(!rig.form.state().Flags[2]);
    // The report that did arrive stays decoded.
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2}));
    QCOMPARE(rig.form.controls().Text5->text(), QStringLiteral(" 2"));

    // The next burst is read from its start.
    QVERIFY(pty.write(bytes({105, 1, 2, 128, 0})));
    QTRY_COMPARE_WITH_TIMEOUT(
        rig.monitor(), stalled + QStringLiteral("105 - - 1 - - 2 + 128 + 0 + "), kPatienceMs);
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    QCOMPARE(rig.form.controls().Text5->text(), QStringLiteral(" 32"));
    QVERIFY(!rig.form.state().Flags[1]);
    QVERIFY(!rig.form.state().Flags[2]);
    QVERIFY(rig.messages.shown.isEmpty());
}

void TestPty::countCommand_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("started link") << true << bytes({115, 2, 0, 1, 13}) << QStringList()
                                  << QStringList{"2", "0", "1"};
    QTest::newRow("port not opened")
        << false << QByteArray() << QStringList{"Husk at aktiver start"} << QStringList();
}

void TestPty::countCommand() {
    QFETCH(bool, started);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, stored);

    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    if (started)
        rig.start();
    const Controls& c = rig.form.controls();
    c.Text1->setText(QStringLiteral("2"));
    c.Text2->setText(QStringLiteral("0"));
    c.Text3->setText(QStringLiteral("1"));
    c.Command1->click();

    QCOMPARE(rig.messages.shown, messages);
    QByteArray got = sent.isEmpty() ? QByteArray() : readSent(pty, int(sent.size()), kPatienceMs);
    got += readSent(pty, 1, 300); // and nothing after it
    QCOMPARE(got, sent);
    if (stored.isEmpty()) {
        QVERIFY(rig.settings.values.isEmpty());
    } else {
        QCOMPARE(rig.settings.values.value(key("S88Left")), stored[0]);
        QCOMPARE(rig.settings.values.value(key("S88Mid")), stored[1]);
        QCOMPARE(rig.settings.values.value(key("S88Right")), stored[2]);
        QCOMPARE(rig.settings.values.size(), 3);
    }
    QCOMPARE(c.Text1->text(), QStringLiteral("2"));
}

void TestPty::portChangeMovesStartedLink() {
    PtyPair pty1;
    PtyPair pty2;
    Rig rig([&](int port) {
        return port == 1 ? pty1.devicePath() : port == 2 ? pty2.devicePath() : QString();
    });
    rig.start();
    QVERIFY(!deviceFree(pty1.devicePath()));

    rig.form.controls().Option1[1]->click();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QCOMPARE(rig.serial.CommPort(), 2);
    QVERIFY(deviceFree(pty1.devicePath()));
    QVERIFY(!deviceFree(pty2.devicePath()));

    QVERIFY(pty1.write(bytes({7})));
    QVERIFY(pty2.write(bytes({9})));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), QStringLiteral("9 - - "), kPatienceMs);
    QTest::qWait(200);
    QCOMPARE(rig.monitor(), QStringLiteral("9 - - "));
    QVERIFY(rig.messages.shown.isEmpty());
    QCOMPARE(rig.quits, 0);
}

void TestPty::portChangeToMissingDevice() {
    PtyPair pty;
    Rig rig([&](int port) {
        return port == 1 ? pty.devicePath() : QStringLiteral("/dev/does-not-exist");
    });
    rig.start();

    // The old port is closed, the new one refuses: the link ends up not started.
    rig.form.controls().Option1[2]->click();
    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.portStarted(), 0);
    QCOMPARE(rig.indicator(), kNotStarted);
    QVERIFY(!rig.serial.PortOpen());
    QVERIFY(deviceFree(pty.devicePath()));

    // Back on the good port, Start works again.
    rig.form.controls().Option1[0]->click();
    QCOMPARE(rig.indicator(), kNotStarted);
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(pty.write(bytes({42})));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), QStringLiteral("42 - - "), kPatienceMs);
    QCOMPARE(rig.messages.shown.size(), 1);
}

void TestPty::startOnUnusablePort_data() {
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("stopFirst");

    QTest::newRow("missing device node") << "/dev/does-not-exist" << false;
    QTest::newRow("missing device node, after stop") << "/dev/does-not-exist" << true;
    QTest::newRow("no device for the port") << QString() << false;
}

void TestPty::startOnUnusablePort() {
    QFETCH(QString, device);
    QFETCH(bool, stopFirst);

    PtyPair pty;
    Rig rig([&](int port) {
        return port == 1 ? pty.devicePath() : port == 3 ? device : QString();
    });
    if (stopFirst)
        rig.stop();
    const int indicatorBefore = rig.indicator();

    rig.form.controls().Option1[2]->click();
    QCOMPARE(rig.serial.CommPort(), 3);
    rig.start();

    QCOMPARE(rig.messages.shown.size(), 1);
    QVERIFY(!rig.messages.shown[0].trimmed().isEmpty());
    if (!device.isEmpty()) {
        // The serial layer's own words for the failure.
        QSerialPort same;
        same.setPortName(device);
        QVERIFY(!same.open(QIODevice::ReadWrite));
        QVERIFY2(rig.messages.shown[0].contains(same.errorString()),
                 qPrintable(rig.messages.shown[0]));
    }
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.indicator(), indicatorBefore);
    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());

    rig.form.controls().Option1[0]->click();
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(pty.write(bytes({105, 1, 1, 0, 1})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), QList<int>{1}, kPatienceMs);
    QCOMPARE(rig.messages.shown.size(), 1);
}

void TestPty::lineGoneUnderStartedLink() {
    auto pty = std::make_unique<PtyPair>();
    QString device = pty->devicePath();
    Rig rig([&](int port) { return port == 1 ? device : QString(); });
    rig.start();
    QVERIFY(pty->write(bytes({105, 1, 1, 0, 5})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), (QList<int>{1, 3}), kPatienceMs);
    const QString text5 = rig.form.controls().Text5->text();

    pty->closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(rig.indicator(), kStopped, kPatienceMs);
    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), 1, kPatienceMs);
    // The line stays gone; it is reported once, not once per failed read.
    QTest::qWait(300);
    QCOMPARE(rig.messages.shown.size(), 1);
    QVERIFY(!rig.messages.shown[0].trimmed().isEmpty());
    QCOMPARE(rig.quits, 0);
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 3}));
    QCOMPARE(rig.form.controls().Text5->text(), text5);

    // A new line, and Start works again.
    auto fresh = std::make_unique<PtyPair>();
    device = fresh->devicePath();
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(fresh->write(bytes({105, 1, 1, 0, 4})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), QList<int>{3}, kPatienceMs);
    QCOMPARE(rig.form.controls().Text5->text(), QStringLiteral(" 1"));
    QCOMPARE(rig.messages.shown.size(), 1);
}

void TestPty::stopAndStartBetweenStartCharacterAndCount() {
    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    rig.start();
    QVERIFY(pty.write(bytes({105})));
    QTRY_VERIFY_WITH_TIMEOUT(rig.form.state().Flags[1], kPatienceMs);

    rig.stop();
    QCOMPARE(rig.indicator(), kStopped);
    QVERIFY(deviceFree(pty.devicePath()));
    rig.start();
    QCOMPARE(rig.indicator(), kStarted);

    QVERIFY(pty.write(bytes({2, 1, 0, 3, 2, 128, 0})));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), kExampleMonitor, kPatienceMs);
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    QVERIFY(!rig.form.state().Flags[1]);
    QVERIFY(!rig.form.state().Flags[2]);
}

void TestPty::quitClosesPort_data() {
    QTest::addColumn<bool>("started");
    QTest::newRow("open port") << true;
    QTest::newRow("port never opened") << false;
}

void TestPty::quitClosesPort() {
    QFETCH(bool, started);

    PtyPair pty;
    Rig rig([&](int port) { return port == 1 ? pty.devicePath() : QString(); });
    if (started) {
        rig.start();
        QVERIFY(!deviceFree(pty.devicePath()));
    }
    const int indicatorBefore = rig.indicator();

    rig.form.controls().Command5->click();
    QCOMPARE(rig.quits, 1);
    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());
    QVERIFY(deviceFree(pty.devicePath()));
    QCOMPARE(rig.indicator(), indicatorBefore);
    QVERIFY(rig.messages.shown.isEmpty());
}

QTEST_MAIN(TestPty)
#include "test_pty.moc"
