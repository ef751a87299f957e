// Faults on real pseudo terminals with the real serial control and the whole window: a peer
// that goes away or falls silent in the middle of a burst, clicks hammered in while data
// pours in, hostile count texts and hostile byte streams.

#include "receive/receiver.h"
#include "state/settingsstore.h"
#include "support/formsupport.h"
#include "support/ptypair.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSettings>
#include <QtTest>
#include <cerrno>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using namespace fixed;

// Nothing here is expected to take anywhere near this long.
constexpr int kPatienceMs = 3000;
// Room on top of the burst bound for a loaded machine.
constexpr int kSlackMs = 1500;

// What every refresh leaves behind: each lamp shows exactly one disc, the one of its input,
// and the refresh has recorded every input it compared.
QString panelInconsistency(const Form1& form) {
    const FormState& s = form.state();
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        const Lamp* lamp = form.controls().Lampe[std::size_t(n - 1)];
        if (lamp->isElementVisible(0) == lamp->isElementVisible(1))
            return QStringLiteral("lamp %1 shows both or neither disc").arg(n);
        if (lamp->isElementVisible(1) != s.InputState[std::size_t(n)])
            return QStringLiteral("lamp %1 does not show its input").arg(n);
    }
    for (int n = 1; n <= FormState::kLastInput; ++n) {
        if (s.LastState[std::size_t(n)] != s.InputState[std::size_t(n)])
            return QStringLiteral("LastState(%1) differs from InputState").arg(n);
    }
    return {};
}

// Raises the flag when the scope is left, however it is left.
struct RaiseOnExit {
    std::atomic<bool>& flag;
    ~RaiseOnExit() { flag = true; }
};

// Waits until everything written so far has been taken and the line has been quiet a while.
bool settle(WindowRig& rig) {
    quint64 seen = rig.entries();
    QElapsedTimer quiet;
    quiet.start();
    QElapsedTimer total;
    total.start();
    while (total.elapsed() < kPatienceMs) {
        QTest::qWait(20);
        if (rig.entries() != seen || rig.serial.InBufferCount() > 0) {
            seen = rig.entries();
            quiet.restart();
        } else if (quiet.elapsed() >= 300) {
            return true;
        }
    }
    return false;
}

// Brings the receive machine back to idle from whatever a stream left it in. A single 0 is
// echoed when idle, becomes an empty count when a count is expected, and is taken as a report
// byte when a burst is pending, after which the burst is given up for want of the rest.
bool toIdle(WindowRig& rig, PtyPair& pty) {
    for (int attempt = 0; attempt < 4 && !rig.idle(); ++attempt) {
        const quint64 before = rig.entries();
        if (!pty.write(bytes({0})))
            return false;
        if (!QTest::qWaitFor([&] { return rig.entries() > before; }, kPatienceMs))
            return false;
        if (!settle(rig))
            return false;
    }
    return rig.idle();
}

// The byte values in the monitor text, separators left out.
QList<int> monitorValues(const QString& text) {
    QList<int> values;
    for (const QStringView token : QStringView(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token != u"-" && token != u"+")
            values << token.toInt();
    }
    return values;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void peerClosesMidBurst_data();
    void peerClosesMidBurst();
    void stalledBurstKeepsWindowAnswering_data();
    void stalledBurstKeepsWindowAnswering();
    void slowBurstIsNotGivenUp();
    void drippingBurstIsGivenUpAfterItsBound();
    void readAheadOfNotificationIsNotALostLine_data();
    void readAheadOfNotificationIsNotALostLine();
    void clicksHammeredWhileDataPoursIn();
    void hostileCountTexts_data();
    void hostileCountTexts();
    void pasteIntoCountBox_data();
    void pasteIntoCountBox();
    void hostileByteStreams_data();
    void hostileByteStreams();
};

void TestFaults::init() {
    SKIP_WITHOUT_PTYS();
}

void TestFaults::peerClosesMidBurst_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("monitor");
    QTest::addColumn<QList<int>>("green");

    QTest::newRow("inside the first report")
        << bytes({105, 5, 1, 0}) << QStringLiteral("105 - - 5 - - 1 + 0 + ") << QList<int>{};
    QTest::newRow("after the first report")
        << bytes({105, 5, 1, 0, 3}) << QStringLiteral("105 - - 5 - - 1 + 0 + 3 + ")
        << QList<int>{1, 2};
    QTest::newRow("inside the second report")
        << bytes({105, 5, 1, 0, 3, 2, 128})
        << QStringLiteral("105 - - 5 - - 1 + 0 + 3 + 2 + 128 + ") << QList<int>{1, 2};
}

void TestFaults::peerClosesMidBurst() {
    QFETCH(QByteArray, sent);
    QFETCH(QString, monitor);
    QFETCH(QList<int>, green);

    auto pty = std::make_unique<PtyPair>();
    QString device = pty->devicePath();
    WindowRig rig([&](int port) { return port == 1 ? device : QString(); });
    rig.c().Command3->click();
    QCOMPARE(rig.indicator(), kStarted);

    // The peer goes away while the window waits for the rest of the burst.
    std::atomic<qint64> closedAt{0};
    {
        std::jthread peer([&] {
            pty->write(sent);
            std::this_thread::sleep_for(150ms);
            pty->closeMaster();
            closedAt = Clock::now().time_since_epoch().count();
        });
        QTRY_VERIFY_WITH_TIMEOUT(closedAt != 0 && rig.indicator() == kStopped, kPatienceMs);
    }
    const auto sinceClose = std::chrono::duration_cast<std::chrono::milliseconds>(
        Clock::now().time_since_epoch() - Clock::duration(closedAt.load()));
    QVERIFY2(sinceClose.count() < Receiver::kBurstSilenceMs + kSlackMs,
             qPrintable(QStringLiteral("%1 ms").arg(sinceClose.count())));

    QCOMPARE(rig.portStarted(), 0);
    QVERIFY(!rig.serial.PortOpen());
    QTRY_COMPARE_WITH_TIMEOUT(rig.messages.shown.size(), 1, kPatienceMs);
    QTest::qWait(300);
    QCOMPARE(rig.messages.shown.size(), 1);
    QVERIFY(!rig.messages.shown[0].trimmed().isEmpty());
    QCOMPARE(rig.quits, 0);
    QCOMPARE(rig.monitor(), monitor);
    QCOMPARE(greenLamps(rig.form), green);
    QVERIFY(rig.idle());
    QCOMPARE(panelInconsistency(rig.form), QString());

    // A new line: Start opens it and the next burst is read from its start.
    auto fresh = std::make_unique<PtyPair>();
    device = fresh->devicePath();
    rig.c().Command3->click();
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(fresh->write(bytes({105, 1, 1, 0, 4})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), QList<int>{3}, kPatienceMs);
    QCOMPARE(rig.text5(), QStringLiteral(" 3"));
    QCOMPARE(rig.monitor(), monitor + QStringLiteral("105 - - 1 - - 1 + 0 + 4 + "));
    QCOMPARE(rig.messages.shown.size(), 1);
}

void TestFaults::stalledBurstKeepsWindowAnswering_data() {
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("monitor");
    QTest::addColumn<QList<int>>("green");

    QTest::newRow("after the first report byte")
        << bytes({105, 3, 1}) << QStringLiteral("105 - - 3 - - 1 + ") << QList<int>{};
    QTest::newRow("after a whole report")
        << bytes({105, 3, 1, 0, 3}) << QStringLiteral("105 - - 3 - - 1 + 0 + 3 + ")
        << QList<int>{1, 2};
    QTest::newRow("one byte short of the last report")
        << bytes({105, 3, 1, 0, 3, 2, 128, 0, 3, 255})
        << QStringLiteral("105 - - 3 - - 1 + 0 + 3 + 2 + 128 + 0 + 3 + 255 + ")
        << QList<int>{1, 2, 32};
}

void TestFaults::stalledBurstKeepsWindowAnswering() {
    QFETCH(QByteArray, sent);
    QFETCH(QString, monitor);
    QFETCH(QList<int>, green);

    PtyPair pty;
    WindowRig rig(pty);
    rig.c().Command3->click();

    // Falls due while the window waits for the missing bytes.
    constexpr int kDueMs = 200;
    QElapsedTimer clock;
    clock.start();
    qint64 firedAt = -1;
    QString monitorWhenFired;
    bool idleWhenFired = false;
    QTimer::singleShot(kDueMs, &rig.form, [&] {
        firedAt = clock.elapsed();
        monitorWhenFired = rig.monitor();
        idleWhenFired = rig.idle();
    });
    QVERIFY(pty.write(sent));
    QTRY_VERIFY_WITH_TIMEOUT(firedAt >= 0, kPatienceMs);

    QVERIFY2(firedAt < kDueMs + Receiver::kBurstSilenceMs + kSlackMs,
             qPrintable(QStringLiteral("%1 ms").arg(firedAt)));
    // It fired once the burst had been given up, not in the middle of it.
    QCOMPARE(monitorWhenFired, monitor);
    QVERIFY(idleWhenFired);
    QCOMPARE(greenLamps(rig.form), green);
    QCOMPARE(panelInconsistency(rig.form), QString());
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);

    // Clicks are taken again, and the next burst decodes as usual.
    rig.c().Command4->click();
    QCOMPARE(rig.indicator(), kStopped);
    rig.c().Command3->click();
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(pty.write(bytes({105, 2, 1, 0, 16, 3, 0, 1})));
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(),
                              monitor + QStringLiteral("105 - - 2 - - 1 + 0 + 16 + 3 + 0 + 1 + "),
                              kPatienceMs);
    QList<int> after = green;
    after.removeIf([](int n) { return n <= 16; });
    after << 5 << 33;
    std::sort(after.begin(), after.end());
    QCOMPARE(greenLamps(rig.form), after);
    QVERIFY(rig.idle());
    QVERIFY(rig.messages.shown.isEmpty());
}

void TestFaults::slowBurstIsNotGivenUp() {
    // A pause of 200 ms inside a burst, as a module on a slow adapter may make, is neither a
    // stalled line nor a burst past its whole bound (512 ms for two reports).
    PtyPair pty;
    WindowRig rig(pty);
    rig.c().Command3->click();
    const QList<QByteArray> pieces{bytes({105, 2, 1, 0}), bytes({3, 2, 128, 0})};
    Feeder feeder(pty, pieces, 200ms);
    QTRY_VERIFY_WITH_TIMEOUT(feeder.done(), kPatienceMs);
    QVERIFY(!feeder.failed());
    QTRY_COMPARE_WITH_TIMEOUT(
        rig.monitor(), QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + "), kPatienceMs);
    QCOMPARE(greenLamps(rig.form), (QList<int>{1, 2, 32}));
    QCOMPARE(rig.text5(), QStringLiteral(" 32"));
    QVERIFY(rig.idle());
}

void TestFaults::drippingBurstIsGivenUpAfterItsBound() {
    // A burst of 255 reports whose bytes come 0.3 s apart, each within the silence bound:
    // given up once the burst has taken its whole bound (2.1 s), the rest shown as stray bytes.
    PtyPair pty;
    WindowRig rig(pty);
    rig.c().Command3->click();
    QList<QByteArray> pieces{bytes({105, 255})};
    for (int i = 0; i < 12; ++i)
        pieces << bytes({i % 8});
    Feeder feeder(pty, pieces, 300ms);
    QTRY_VERIFY_WITH_TIMEOUT(feeder.done(), 12 * 300 + kPatienceMs);
    QVERIFY(!feeder.failed());
    QTRY_COMPARE_WITH_TIMEOUT(rig.entries(), quint64(14), kPatienceMs);
    QVERIFY(rig.idle());
    static const QRegularExpression givenUp(
        QStringLiteral("^105 - - 255 - - (\\d \\+ ){5,9}(\\d - - ){3,7}$"));
    QVERIFY2(givenUp.match(rig.monitor()).hasMatch(), qPrintable(rig.monitor()));

    QVERIFY(!greenLamps(rig.form).contains(1));
    QVERIFY(pty.write(bytes({105, 1, 1, 0, 1}))); // the next burst is read as usual
    QTRY_VERIFY_WITH_TIMEOUT(greenLamps(rig.form).contains(1), kPatienceMs);
    QVERIFY(rig.messages.shown.isEmpty());
}

void TestFaults::readAheadOfNotificationIsNotALostLine_data() {
    QTest::addColumn<int>("leftoverErrno"); // what the notification's empty read finds in errno

    QTest::newRow("nothing left in errno") << 0;
    QTest::newRow("EAGAIN left in errno") << EAGAIN;
}

void TestFaults::readAheadOfNotificationIsNotALostLine() {
    QFETCH(int, leftoverErrno);

    // A handler that waits for input in the same event-loop round as the line's read
    // notification takes the bytes first; the notification then finds nothing to read.
    PtyPair pty;
    WindowRig rig(pty);
    rig.c().Command3->click();
    QVERIFY(pty.write(bytes({7})));
    std::this_thread::sleep_for(50ms); // readable before the event loop looks
    bool waited = false;
    QMetaObject::invokeMethod(
        &rig.form,
        [&] {
            rig.serial.WaitForInput(100);
            rig.form.receiver().MSComm1_OnComm();
            waited = true;
            errno = leftoverErrno;
        },
        Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(waited, kPatienceMs);
    QTRY_COMPARE_WITH_TIMEOUT(rig.monitor(), QStringLiteral("7 - - "), kPatienceMs);
    QTest::qWait(200);
    QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(u'\n')));
    QCOMPARE(rig.portStarted(), 1);
    QCOMPARE(rig.indicator(), kStarted);
    QVERIFY(rig.serial.PortOpen());

    // Reading goes on as before.
    QVERIFY(pty.write(bytes({105, 1, 1, 0, 4})));
    QTRY_COMPARE_WITH_TIMEOUT(greenLamps(rig.form), QList<int>{3}, kPatienceMs);
    QCOMPARE(rig.monitor(), QStringLiteral("7 - - 105 - - 1 - - 1 + 0 + 4 + "));
}

void TestFaults::clicksHammeredWhileDataPoursIn() {
    PtyPair pty1;
    PtyPair pty2;
    // Port 3 has no device, so its opens fail; the others are never chosen.
    WindowRig rig([&](int port) {
        switch (port) {
        case 1:
            return pty1.devicePath();
        case 2:
            return pty2.devicePath();
        case 3:
            return QStringLiteral("/dev/does-not-exist");
        default:
            return QString();
        }
    });
    rig.c().Text1->setText(QStringLiteral("1"));
    rig.c().Text2->setText(QStringLiteral("0"));
    rig.c().Text3->setText(QStringLiteral("0"));

    // Bursts of 0 to 12 reports and runs of any bytes at all, into both lines at once; a line
    // nobody reads simply fills up.
    std::atomic<bool> stop{false};
    std::atomic<quint64> written{0};
    pty1.setNonBlocking(true);
    pty2.setNonBlocking(true);
    {
        std::jthread writer([&] {
            QRandomGenerator random(4711);
            QByteArray chunk;
            while (!stop) {
                chunk.clear();
                while (chunk.size() < 1024) {
                    if (random.bounded(3) != 0) {
                        const int n = int(random.bounded(13));
                        chunk.append('i').append(char(n));
                        for (int m = 1; m <= n; ++m)
                            chunk.append(char(m))
                                .append(char(random.bounded(256)))
                                .append(char(random.bounded(256)));
                    } else {
                        for (int k = int(1 + random.bounded(64)); k > 0; --k)
                            chunk.append(char(random.bounded(256)));
                    }
                }
                for (const PtyPair* pty : {&pty1, &pty2}) {
                    const ssize_t n = ::write(pty->masterFd(), chunk.constData(), chunk.size());
                    if (n > 0)
                        written += quint64(n);
                }
                std::this_thread::sleep_for(1ms);
            }
        });
        const RaiseOnExit stopWriter{stop};

        // What the link must look like after each click.
        struct Model {
            int port = 1;
            bool started = false;
            int indicator = kNotStarted;
            int messages = 0;
        } model;
        const auto opens = [](int port) { return port != 3; };
        QRandomGenerator random(1729);
        QElapsedTimer clock;
        clock.start();
        int clicks = 0;
        while (clock.elapsed() < 3000) {
            const int op = int(random.bounded(4));
            QString what;
            if (op == 0) {
                what = QStringLiteral("Start");
                rig.c().Command3->click();
                if (!model.started) {
                    if (opens(model.port)) {
                        model.started = true;
                        model.indicator = kStarted;
                    } else {
                        ++model.messages;
                    }
                }
            } else if (op == 1) {
                what = QStringLiteral("Stop");
                rig.c().Command4->click();
                model.started = false;
                model.indicator = kStopped;
            } else if (op == 2) {
                what = QStringLiteral("Indsæt (s)");
                rig.c().Command1->click();
                if (!model.started)
                    ++model.messages;
            } else {
                const int port = int(1 + random.bounded(3));
                what = QStringLiteral("port %1").arg(port);
                rig.c().Option1[std::size_t(port - 1)]->click();
                // Choosing the port already chosen does nothing.
                if (port != model.port) {
                    model.port = port;
                    if (model.started) {
                        model.started = opens(port);
                        model.indicator = opens(port) ? kStarted : kNotStarted;
                        if (!opens(port))
                            ++model.messages;
                    }
                }
            }
            ++clicks;
            const QString at = QStringLiteral("click %1 (%2)").arg(clicks).arg(what);
            QVERIFY2(rig.indicator() == model.indicator, qPrintable(at));
            QVERIFY2(rig.portStarted() == (model.started ? 1 : 0), qPrintable(at));
            QVERIFY2(rig.serial.PortOpen() == model.started, qPrintable(at));
            QVERIFY2(rig.serial.CommPort() == model.port, qPrintable(at));
            QVERIFY2(rig.c().Option1[std::size_t(model.port - 1)]->isChecked(), qPrintable(at));
            QVERIFY2(panelInconsistency(rig.form).isEmpty(),
                     qPrintable(at + u'\n' + panelInconsistency(rig.form)));
            QVERIFY2(rig.messages.shown.size() == model.messages,
                     qPrintable(at + u'\n' + rig.messages.shown.join(u'\n')));
            QTest::qWait(int(random.bounded(16)));
        }
        for (const QString& m : std::as_const(rig.messages.shown))
            QVERIFY2(m == kSendReminder || m.startsWith(QStringLiteral("Port 3")), qPrintable(m));
        QCOMPARE(rig.quits, 0);
        QVERIFY(written > 0);
        QVERIFY(rig.entries() > 0);
    }
    pty1.setNonBlocking(false);
    pty2.setNonBlocking(false);

    // Back on a line that works, the program follows a clean burst exactly.
    if (rig.serial.CommPort() == 3)
        rig.c().Option1[0]->click();
    if (rig.portStarted() == 0)
        rig.c().Command3->click();
    QCOMPARE(rig.indicator(), kStarted);
    PtyPair& active = rig.serial.CommPort() == 1 ? pty1 : pty2;
    QVERIFY(settle(rig));
    QVERIFY(toIdle(rig, active));
    QRandomGenerator random(99);
    const QByteArray burst = randomBurst(random, oneTo(10));
    const QString expected = rig.monitor() + shownBurst(burst);
    QVERIFY(active.write(burst));
    QTRY_VERIFY_WITH_TIMEOUT(rig.monitor().endsWith(expected.right(200)), kPatienceMs);
    QCOMPARE(greenLamps(rig.form), reportedInputs(burst));
    QCOMPARE(panelInconsistency(rig.form), QString());
    QVERIFY(rig.idle());
}

void TestFaults::hostileCountTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count"); // -1: not a count

#ifdef __SANITIZE_ADDRESS__
    // Under the sanitizers laying out a megabyte in a text box takes minutes; a smaller
    // "large" text exercises the same paths.
    constexpr qsizetype kMegabyte = 64 * 1024;
#else
    constexpr qsizetype kMegabyte = 1024 * 1024;
#endif
    QTest::newRow("fullwidth digit") << QStringLiteral("１") << 0;
    QTest::newRow("fullwidth digit after a digit") << QStringLiteral("2３") << 2;
    QTest::newRow("Danish letters") << QStringLiteral("Æbleø på Åen") << 0;
    QTest::newRow("count then Danish letters") << QStringLiteral("12æøå") << 12;
    QTest::newRow("emoji") << QStringLiteral("🚂🚃🚃") << 0;
    QTest::newRow("count then emoji") << QStringLiteral("7🚂") << 7;
    QTest::newRow("lone surrogate half") << QString(QChar(0xd83d)) << 0;
    QTest::newRow("1 MB of letters after a count")
        << QStringLiteral("5") + QString(kMegabyte, QLatin1Char('x')) << 5;
    // A count box holds 255 characters: a longer text is cut there, as a paste is.
    QTest::newRow("1 MB of blanks before a count, cut before it")
        << QString(kMegabyte, QLatin1Char(' ')) + QStringLiteral("9") << 0;
    QTest::newRow("254 blanks before a count: 255 characters")
        << QString(254, QLatin1Char(' ')) + QStringLiteral("9") << 9;
    QTest::newRow("255 blanks before a count: cut before it")
        << QString(255, QLatin1Char(' ')) + QStringLiteral("9") << 0;
    QTest::newRow("1 MB of Danish letters") << QString(kMegabyte, QChar(0xf8)) << 0;
    QTest::newRow("1 MB of emoji") << QStringLiteral("🚂").repeated(kMegabyte / 4) << 0;
    QTest::newRow("1 MB of digits") << QString(kMegabyte, QLatin1Char('1')) << -1;
    QTest::newRow("count out of range before Danish letters") << QStringLiteral("256ø") << -1;
}

void TestFaults::hostileCountTexts() {
    QFETCH(QString, text);
    QFETCH(int, count);
    const QString shown = text.left(255);
    const QString shown3 = (text + QStringLiteral("ø")).left(255);

    QTemporaryDir config;
    QVERIFY(config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    QtSettingsStore store;
    PtyPair pty;
    // A lone surrogate cannot survive being stored as UTF-8; everything else must.
    const bool storable = shown.isValidUtf16() && shown3.isValidUtf16();
    {
        WindowRig rig(pty, {.store = &store});
        rig.c().Command3->click();
        rig.c().Text1->setText(text);
        rig.c().Text2->setText(QStringLiteral("3"));
        rig.c().Text3->setText(text + QStringLiteral("ø"));
        QCOMPARE(rig.c().Text1->text(), shown);
        rig.c().Command1->click();

        if (count < 0) {
            // The link is started: the count is what is wrong, not Start.
            QCOMPARE(rig.messages.shown, QStringList{fixed::kCountRange});
            QCOMPARE(readSent(pty, 1, 300), QByteArray());
            QVERIFY(
                QSettings(QSettings::NativeFormat, QSettings::UserScope, kApp).allKeys().isEmpty());
            QCOMPARE(rig.c().Text1->text(), shown);
            return;
        }
        QVERIFY2(rig.messages.shown.isEmpty(), qPrintable(rig.messages.shown.join(u'\n')));
        const QByteArray sent = readSent(pty, 5, kPatienceMs);
        QCOMPARE(sent, bytes({115, count, 3, count, 13}));
        QCOMPARE(rig.c().Text1->text(), shown);
    }
    if (!storable)
        return;

    // Stored as the box holds it, not as the number sent...
    {
        QSettings file(QSettings::NativeFormat, QSettings::UserScope, kApp);
        QCOMPARE(file.value(QStringLiteral("S88Left/Antal")).toString(), shown);
        QCOMPARE(file.value(QStringLiteral("S88Mid/Antal")).toString(), QStringLiteral("3"));
        QCOMPARE(file.value(QStringLiteral("S88Right/Antal")).toString(), shown3);
    }
    // ... and put back as typed at the next start.
    WindowRig next(pty, {.store = &store});
    QCOMPARE(next.c().Text1->text(), shown);
    QCOMPARE(next.c().Text2->text(), QStringLiteral("3"));
    QCOMPARE(next.c().Text3->text(), shown3);
}

void TestFaults::pasteIntoCountBox_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("before"); // the box's text, the cursor at its end
    QTest::addColumn<QString>("after");
    constexpr qsizetype kTenMegabytes = 10 * 1024 * 1024;
    QTest::newRow("10 MB of digits")
        << QString(kTenMegabytes, QLatin1Char('7')) << QString() << QString(255, QLatin1Char('7'));
    QTest::newRow("10 MB after a count") << QString(kTenMegabytes, QLatin1Char('x')) << "12"
                                         << "12" + QString(253, QLatin1Char('x'));
    QTest::newRow("a count") << "42" << QString() << "42";
    QTest::newRow("255 characters")
        << QString(255, QLatin1Char('1')) << QString() << QString(255, QLatin1Char('1'));
    QTest::newRow("256 characters")
        << QString(256, QLatin1Char('1')) << QString() << QString(255, QLatin1Char('1'));
    QTest::newRow("onto a full box")
        << "9" << QString(255, QLatin1Char('2')) << QString(255, QLatin1Char('2'));
}

// A paste takes what the box holds, 255 characters; a typed count is unchanged by it.
void TestFaults::pasteIntoCountBox() {
    QFETCH(QString, pasted);
    QFETCH(QString, before);
    QFETCH(QString, after);
    ScriptedWindow w({.show = false});
    QLineEdit* box = w.c().Text1;
    box->setText(before);
    box->end(false);
    QGuiApplication::clipboard()->setText(pasted);
    box->paste();
    QCOMPARE(box->text().size(), after.size());
    QVERIFY(box->text() == after); // no dump of 10 MB on failure
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text().size(), after.size() - 1);
    QGuiApplication::clipboard()->clear();
}

void TestFaults::hostileByteStreams_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("echoOnly"); // no 105 in it: every byte is only echoed

    QRandomGenerator random(8);
    QByteArray everyValue;
    for (int v = 0; v < 256; ++v)
        everyValue.append(char(v));
    const auto shuffled = [&](QByteArray values, int rounds) {
        QByteArray out;
        for (int r = 0; r < rounds; ++r) {
            std::shuffle(values.begin(), values.end(), random);
            out += values;
        }
        return out;
    };
    QByteArray allButI = everyValue;
    allButI.remove(105, 1);

    QTest::newRow("every value but i, shuffled") << shuffled(allButI, 1) << true;
    QTest::newRow("every value but i, shuffled 300 times") << shuffled(allButI, 300) << true;
    QTest::newRow("100000 zeros") << QByteArray(100000, '\0') << true;
    QTest::newRow("100000 times 255") << QByteArray(100000, char(255)) << true;
    QTest::newRow("every value, shuffled") << shuffled(everyValue, 1) << false;
    QTest::newRow("every value, shuffled 300 times") << shuffled(everyValue, 300) << false;
    QTest::newRow("100000 times i") << QByteArray(100000, 'i') << false;
    QTest::newRow("i with count 255, repeated") << QByteArray("i\xff").repeated(50000) << false;
}

void TestFaults::hostileByteStreams() {
    QFETCH(QByteArray, stream);
    QFETCH(bool, echoOnly);

    PtyPair pty;
    WindowRig rig(pty);
    rig.c().Command3->click();
    {
        Feeder feeder(pty, randomPieces(stream, 5, 2000));
        QVERIFY(waitWhileProgressing(
            [&] { return feeder.done() && rig.entries() == quint64(stream.size()); },
            [&] { return rig.entries(); }));
        QVERIFY(!feeder.failed());
    }
    QVERIFY(settle(rig));
    // Every byte is shown once, in order, whatever it meant.
    QCOMPARE(rig.entries(), quint64(stream.size()));
    const QList<int> shown = monitorValues(rig.monitor());
    QCOMPARE(shown.size(), std::min<qsizetype>(stream.size(), Monitor::kKeepEntries));
    const QByteArray tail = stream.right(shown.size());
    for (qsizetype k = 0; k < shown.size(); ++k)
        QVERIFY2(shown[k] == quint8(tail[k]), qPrintable(QStringLiteral("entry %1").arg(k)));

    if (echoOnly) {
        QString expected;
        for (const char b : tail)
            expected += QString::number(quint8(b)) + QStringLiteral(" - - ");
        QCOMPARE(rig.monitor(), expected);
        QVERIFY(rig.idle());
        QCOMPARE(greenLamps(rig.form), QList<int>{});
        QCOMPARE(rig.text5(), QString());
    }
    QCOMPARE(panelInconsistency(rig.form), QString());
    QVERIFY(rig.messages.shown.isEmpty());
    QCOMPARE(rig.portStarted(), 1);

    // The program still follows a clean burst once the stream's leftovers are cleared.
    QVERIFY(toIdle(rig, pty));
    QRandomGenerator random(3);
    const QByteArray burst = randomBurst(random, oneTo(10));
    QVERIFY(pty.write(burst));
    QTRY_VERIFY_WITH_TIMEOUT(rig.monitor().endsWith(shownBurst(burst)), kPatienceMs);
    QCOMPARE(greenLamps(rig.form), reportedInputs(burst));
    QCOMPARE(panelInconsistency(rig.form), QString());
    QVERIFY(rig.idle());
}

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
