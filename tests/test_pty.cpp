// End to end over pseudo terminals: the real serial control opens the slave side as its port,
// the test plays the interface module on the master side, and the window is watched.

#include "history/playback.h"
#include "history/recording.h"
#include "panel/monitorview.h"
#include "receive/receiver.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <termios.h>
#include <thread>

namespace {

using namespace fixed;

// The program is never expected to take anywhere near this long.
constexpr int kPatienceMs = 3000;

// Whether another program could open the device now: it cannot while the port is held open.
bool deviceFree(const QString& device) {
    QSerialPort probe;
    probe.setPortName(device);
    const bool opened = probe.open(QIODevice::ReadWrite);
    probe.close();
    return opened;
}

const QString kExampleMonitor = QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + ");

} // namespace

class TestPty : public QObject {
    Q_OBJECT

    QString timePulse(int stallMs);

private slots:
    void init();
    void lineSettingsAfterStart();
    void exampleBurst_data();
    void exampleBurst();
    void longStreamInArbitraryChunks();
    void stalledBurstIsGivenUp();
    void pulseTimedByArrival_data();
    void pulseTimedByArrival();
    void countCommand_data();
    void countCommand();
    void portChangeMovesStartedLink();
    void portChangeToMissingDevice();
    void startOnUnusablePort_data();
    void startOnUnusablePort();
    void lineGoneUnderStartedLink();
    void stopAndStartBetweenStartCharacterAndCount();
    void stopKeepsWhatArrived_data();
    void stopKeepsWhatArrived();
    void quitClosesPort_data();
    void quitClosesPort();
};

void TestPty::init() {
    SKIP_WITHOUT_PTYS();
}

void TestPty::lineSettingsAfterStart() {
    PtyPair pty;
    WindowRig rig(pty);
    rig.start();
    QVERIFY(rig.serial.PortOpen());

    // The pair shares one set of line settings, so the master side shows what the program set.
    termios line{};
    QCOMPARE(::tcgetattr(pty.masterFd(), &line), 0);
    QCOMPARE(::cfgetospeed(&line), speed_t(B9600));
    QCOMPARE(::cfgetispeed(&line), speed_t(B9600));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(line.c_iflag & (IXON | IXOFF | IXANY), tcflag_t(0));
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
    WindowRig rig(pty);
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);

    Feeder feeder(pty, pieces, std::chrono::milliseconds(pauseMs));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), kExampleMonitor, kPatienceMs);
    QVERIFY(!feeder.failed());
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    for (int n = 1; n <= FormState::kLastInput; ++n)
        QCOMPARE(rig.form.state().InputState[std::size_t(n)], n == 1 || n == 2 || n == 32);
    QCOMPARE(rig.text5(), QStringLiteral(" 32"));
    QVERIFY(rig.idle());

    // The monitor box shows the same stream, broken into lines only between entries.
    rig.form.monitorView().flush();
    QCOMPARE(rig.c().Text4->toPlainText().remove(QLatin1Char('\n')), kExampleMonitor);
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
    QList<int> beforeLast, last;
    QList<int> modules = oneTo(10);
    for (int b = 0; b < 2000; ++b) {
        std::shuffle(modules.begin(), modules.end(), random);
        const QByteArray burst = randomBurst(random, modules);
        stream += burst;
        expected += shownBurst(burst);
        beforeLast = std::exchange(last, reportedInputs(burst));
        for (int k = int(random.bounded(3)); k > 0; --k) {
            const int value = int(random.bounded(256));
            stream += bytes({value == 105 ? 73 : value}); // upper-case I: only echoed
            expected += QStringLiteral("%1 - - ").arg(value == 105 ? 73 : value);
        }
    }
    // Each burst is decoded within one event and refreshed at its end, so the last refresh
    // that saw a change compares the last burst with the one before it.
    int lastChanged = 0;
    for (const int n : beforeLast + last) {
        if (beforeLast.contains(n) != last.contains(n))
            lastChanged = std::max(lastChanged, n);
    }
    QVERIFY(lastChanged > 0);

    PtyPair pty;
    WindowRig rig(pty);
    rig.start();
    Feeder feeder(pty, randomPieces(stream, 7, 700));
    const QString tail = expected.right(300);
    // However long the flood takes here, a program that stops taking it fails in seconds.
    QVERIFY(waitWhileProgressing(
        [&] {
            return feeder.done() && rig.serial.InBufferCount() == 0 && rig.monitor().endsWith(tail);
        },
        [&] { return rig.serial.charactersTaken(); }));
    QVERIFY(!feeder.failed());

    // Nothing lost, nothing reordered: the kept monitor text is exactly the stream's end.
    const QString kept = rig.monitor();
    QVERIFY(kept.size() >= std::min<qsizetype>(Monitor::kKeep, expected.size()));
    QVERIFY2(expected.endsWith(kept), qPrintable(kept.left(80)));
    QVERIFY(kept.at(0).isDigit());

    QCOMPARE(greenLamps(rig.form), last);
    // While data streams the box takes a new text at most twice a second, the newest; the one
    // held back when the stream ends follows within that half second.
    QTRY_COMPARE_WITH_TIMEOUT(rig.text5(), QStringLiteral(" %1").arg(lastChanged), 1000);
    QVERIFY(rig.idle());

    rig.form.monitorView().flush();
    const QString shown = rig.c().Text4->toPlainText().remove(QLatin1Char('\n'));
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
    WindowRig rig(pty);
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
    QVERIFY(rig.idle());
    // The report that did arrive stays decoded.
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2}));
    QCOMPARE(rig.text5(), QStringLiteral(" 2"));

    // The next burst is read from its start.
    QVERIFY(pty.write(bytes({105, 1, 2, 128, 0})));
    QTRY_COMPARE_WITH_TIMEOUT(
        rig.monitor(), stalled + QStringLiteral("105 - - 1 - - 2 + 128 + 0 + "), kPatienceMs);
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    QCOMPARE(rig.text5(), QStringLiteral(" 32"));
    QVERIFY(rig.idle());
    QVERIFY(rig.messages.shown.isEmpty());
}

void TestPty::pulseTimedByArrival_data() {
    QTest::addColumn<int>("stallMs");
    QTest::newRow("window idle") << 0;
    QTest::newRow("event loop stalled 200 ms around the pulse") << 200;
}

// A pulse is timed by when its bytes arrived, however late the window takes them: a chatter
// pulse of input 73 sent while the event loop is stuck measures what the module sent, in the
// window's history and in a recording of it played back.
void TestPty::pulseTimedByArrival() {
    QFETCH(int, stallMs);
    // The reader thread's own wake-up waits for a core like any thread: on a machine busy with
    // other work one run may be a few milliseconds off. Taking the time the window took the
    // bytes is off by the whole stall every time, so three runs all off are a fault.
    QStringList misses;
    for (int run = 0; run < 3; ++run) {
        const QString miss = timePulse(stallMs);
        if (QTest::currentTestFailed())
            return;
        if (miss.isEmpty())
            return;
        misses << miss;
    }
    QFAIL(qPrintable(misses.join(QStringLiteral("; "))));
}

// One pulse sent while the event loop stalls `stallMs`: empty when the window and the
// recording both measured it within 2 ms of what was sent, else what they measured.
QString TestPty::timePulse(int stallMs) {
    constexpr int kPulseMs = 80; // the three bursts all fall inside the stall
    constexpr int kInput = 73;   // module 5, contact 9
    const QByteArray off = burstOf({{5, 0}});
    const QByteArray on = burstOf({{5, 1 << 8}});

    PtyPair pty;
    WindowRig rig(pty);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pulse.s88"));
    if (!rig.form.recorder().start(path))
        return QStringLiteral("the recording cannot be started");
    rig.start();
    std::unique_ptr<Feeder> feeder;
    QTimer::singleShot(0, &rig.form, [&] {
        feeder = std::make_unique<Feeder>(pty, QList<QByteArray>{off, on, off},
                                          std::chrono::milliseconds(kPulseMs));
        QElapsedTimer busy;
        busy.start();
        while (busy.elapsed() < stallMs) {
        }
    });
    const auto pulses = [](const ChangeHistory& history) {
        QList<qint64> lengths;
        history.forEachNew(0, [&](const ChangeEvent& e) {
            if (e.input == kInput && !e.active)
                lengths << e.sinceMs;
        });
        return lengths;
    };
    [&] { QTRY_COMPARE_WITH_TIMEOUT(pulses(rig.form.history()).size(), 1, kPatienceMs); }();
    if (QTest::currentTestFailed() || !feeder->done() || feeder->failed())
        return QStringLiteral("the pulse never came");
    const qint64 sent = feeder->writtenAtMs()[2] - feeder->writtenAtMs()[1];
    const qint64 shown = pulses(rig.form.history()).front();

    rig.form.recorder().stop();
    recording::File file;
    if (!file.open(path, nullptr))
        return QStringLiteral("the recording cannot be read");
    recording::Reader reader(file);
    PlaybackRun played(reader);
    const QList<qint64> replayed = played.run() ? pulses(played.history()) : QList<qint64>{};
    const qint64 recorded = replayed.size() == 1 ? replayed.front() : -1;
    if (std::abs(shown - sent) <= 2 && std::abs(recorded - sent) <= 2)
        return {};
    return QStringLiteral("sent %1 ms, shown %2 ms, recorded %3 ms")
        .arg(sent)
        .arg(shown)
        .arg(recorded);
}

void TestPty::countCommand_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("started link") << true << bytes({115, 2, 0, 1, 13}) << QStringList()
                                  << QStringList{"2", "0", "1"};
    QTest::newRow("port not opened")
        << false << QByteArray() << QStringList{kSendReminder} << QStringList();
}

void TestPty::countCommand() {
    QFETCH(bool, started);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, stored);

    PtyPair pty;
    WindowRig rig(pty);
    if (started)
        rig.start();
    const Controls& c = rig.c();
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
        QCOMPARE(rig.settings.values.value(countKey("S88Left")), stored[0]);
        QCOMPARE(rig.settings.values.value(countKey("S88Mid")), stored[1]);
        QCOMPARE(rig.settings.values.value(countKey("S88Right")), stored[2]);
        QCOMPARE(rig.settings.values.size(), 3);
    }
    QCOMPARE(c.Text1->text(), QStringLiteral("2"));
}

void TestPty::portChangeMovesStartedLink() {
    PtyPair pty1;
    PtyPair pty2;
    WindowRig rig([&](int port) {
        return port == 1 ? pty1.devicePath() : port == 2 ? pty2.devicePath() : QString();
    });
    rig.start();
    QVERIFY(!deviceFree(pty1.devicePath()));

    rig.choosePort(1);
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
    WindowRig rig([&](int port) {
        return port == 1 ? pty.devicePath() : QStringLiteral("/dev/does-not-exist");
    });
    rig.start();

    // The old port is closed, the new one refuses: the link ends up not started.
    rig.choosePort(2);
    QCOMPARE(rig.messages.shown.size(), 1);
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.portStarted(), 0);
    QCOMPARE(rig.indicator(), kNotStarted);
    QVERIFY(!rig.serial.PortOpen());
    QVERIFY(deviceFree(pty.devicePath()));

    // Back on the good port, Start works again.
    rig.choosePort(0);
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
    QTest::addColumn<QString>("message"); // how the program's own message starts
    QTest::addColumn<bool>("denied");     // a device whose permissions shut the user out

    const QString missing = QStringLiteral("Port 3 (/dev/does-not-exist): ");
    QTest::newRow("missing device node") << "/dev/does-not-exist" << false << missing << false;
    QTest::newRow("missing device node, after stop")
        << "/dev/does-not-exist" << true << missing << false;
    QTest::newRow("no device for the port")
        << QString() << false << QStringLiteral("Port 3: ingen enhed fundet") << false;
    QTest::newRow("device without permission")
        << QString() << false << QStringLiteral("Port 3 (/dev/") << true;
}

void TestPty::startOnUnusablePort() {
    QFETCH(QString, device);
    QFETCH(bool, stopFirst);
    QFETCH(QString, message);
    QFETCH(bool, denied);

    std::unique_ptr<PtyPair> shut;
    std::optional<FilePermissionsApply> asUser;
    if (denied) {
        shut = std::make_unique<PtyPair>();
        QVERIFY(shut->denyAccess());
        device = shut->devicePath();
        asUser.emplace();
    }
    PtyPair pty;
    WindowRig rig([&](int port) {
        return port == 1 ? pty.devicePath() : port == 3 ? device : QString();
    });
    if (stopFirst)
        rig.stop();
    const int indicatorBefore = rig.indicator();

    rig.choosePort(2);
    QCOMPARE(rig.serial.CommPort(), 3);
    rig.start();

    QCOMPARE(rig.messages.shown.size(), 1);
    QVERIFY2(rig.messages.shown[0].startsWith(message), qPrintable(rig.messages.shown[0]));
    if (!device.isEmpty()) {
        // The serial layer's own words for the failure.
        QSerialPort same;
        same.setPortName(device);
        QVERIFY(!same.open(QIODevice::ReadWrite));
        QVERIFY2(rig.messages.shown[0].contains(same.errorString()),
                 qPrintable(rig.messages.shown[0]));
    }
    // Only a refusal for want of permission points to the group that has it.
    QCOMPARE(rig.messages.shown[0].contains(QStringLiteral("gruppen dialout")), denied);
    asUser.reset();
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.indicator(), indicatorBefore);
    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());

    rig.choosePort(0);
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
    WindowRig rig([&](int port) { return port == 1 ? device : QString(); });
    rig.start();
    QVERIFY(pty->write(bytes({105, 1, 1, 0, 5})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), (QList<int>{1, 3}), kPatienceMs);
    const QString text5 = rig.text5();

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
    QCOMPARE(rig.text5(), text5);

    // A new line, and Start works again.
    auto fresh = std::make_unique<PtyPair>();
    device = fresh->devicePath();
    rig.start();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(fresh->write(bytes({105, 1, 1, 0, 4})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), QList<int>{3}, kPatienceMs);
    QCOMPARE(rig.text5(), QStringLiteral(" 1"));
    QCOMPARE(rig.messages.shown.size(), 1);
}

void TestPty::stopAndStartBetweenStartCharacterAndCount() {
    PtyPair pty;
    WindowRig rig(pty);
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
    QVERIFY(rig.idle());
}

void TestPty::stopKeepsWhatArrived_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QList<int>>("lamps");
    QTest::newRow("a whole burst")
        << bytes({105, 1, 2, 128, 0}) << QStringLiteral("105 - - 1 - - 2 + 128 + 0 + ")
        << QList<int>{32};
    QTest::newRow("a burst whose rest is still on the wire")
        << bytes({105, 3, 1, 0, 3}) << QStringLiteral("105 - - 3 - - 1 + 0 + 3 + ")
        << QList<int>{1, 2};
    QTest::newRow("a train through module 2: on, then off again")
        << bytes({105, 1, 2, 0, 1, 105, 1, 2, 0, 0})
        << QStringLiteral("105 - - 1 - - 2 + 0 + 1 + 105 - - 1 - - 2 + 0 + 0 + ") << QList<int>{};
}

// Bytes in the line when Stop is clicked, before the window got round to them (here: while
// its event loop was held up), are shown and recorded before the port closes.
void TestPty::stopKeepsWhatArrived() {
    QFETCH(QByteArray, sent);
    QFETCH(QString, shown);
    QFETCH(QList<int>, lamps);
    PtyPair pty;
    WindowRig rig(pty);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stop.s88"));
    QVERIFY(rig.form.recorder().start(path));
    rig.start();
    QVERIFY(pty.write(sent));
    // The reader thread has them within microseconds; the window has not run since.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    rig.stop();
    QCOMPARE(rig.indicator(), kStopped);
    QCOMPARE(rig.monitor(), shown);
    QCOMPARE(greenLamps(rig.form), lamps);
    QVERIFY(rig.idle());

    rig.form.recorder().stop();
    recording::File file;
    QVERIFY(file.open(path, nullptr));
    recording::Reader reader(file);
    PlaybackRun played(reader);
    QVERIFY(played.run());
    QCOMPARE(played.station().monitor().text(), shown);
    QVERIFY(rig.messages.shown.isEmpty());
}

void TestPty::quitClosesPort_data() {
    QTest::addColumn<bool>("started");
    QTest::newRow("open port") << true;
    QTest::newRow("port never opened") << false;
}

void TestPty::quitClosesPort() {
    QFETCH(bool, started);

    PtyPair pty;
    WindowRig rig(pty);
    if (started) {
        rig.start();
        QVERIFY(!deviceFree(pty.devicePath()));
    }
    const int indicatorBefore = rig.indicator();

    rig.quit();
    QCOMPARE(rig.quits, 1);
    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());
    QVERIFY(deviceFree(pty.devicePath()));
    QCOMPARE(rig.indicator(), indicatorBefore);
    QVERIFY(rig.messages.shown.isEmpty());
}

QTEST_MAIN(TestPty)
#include "test_pty.moc"
