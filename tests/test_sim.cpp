#include "sim/commandparser.h"
#include "sim/pattern.h"
#include "sim/virtualmodule.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using sim::ChainCounts;
using sim::CommandParser;
using sim::Pattern;

namespace {

// True when the three inputs first, first + 1, first + 2 (wrapping within 1..inputs) are all
// active for some first input: the train is there.
bool hasTrain(const QList<int>& active, int inputs) {
    for (int first = 1; first <= inputs; ++first) {
        bool all = true;
        for (int k = 0; k < Pattern::kTrainLength; ++k)
            all = all && active.contains((first - 1 + k) % inputs + 1);
        if (all)
            return true;
    }
    return false;
}

QByteArray command(int left, int mid, int right) {
    return bytes({'s', left, mid, right, '\r'});
}

qint64 cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

struct Burst {
    QByteArray bytes;
    qint64 firstMs = 0; // when its first byte arrived
    qint64 lastMs = 0;  // when its last byte arrived
    int count() const { return quint8(bytes[1]); }
};

// The program's end of the line, opened raw the way a serial port is, with the arrival time
// of every byte read.
class HostEnd {
public:
    explicit HostEnd(const QString& path) {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return;
        termios raw{};
        ::tcgetattr(m_fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_fd, TCSANOW, &raw);
        m_clock.start();
    }
    ~HostEnd() { close(); }
    HostEnd(const HostEnd&) = delete;
    HostEnd& operator=(const HostEnd&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    bool send(const QByteArray& data) {
        return ::write(m_fd, data.constData(), size_t(data.size())) == data.size();
    }
    // Whatever waits right now, without waiting.
    QByteArray takeNow() {
        fill(0);
        QByteArray out = m_buffer;
        m_buffer.clear();
        m_arrival.clear();
        return out;
    }
    // Reads until the stream shows a burst of `count` reports followed by the start of the
    // next, and drops what came before it, so that parsing starts at a burst boundary.
    bool syncOnBurstOf(int count, int msecs) {
        const qsizetype size = 2 + 3 * qsizetype(count);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < msecs) {
            for (qsizetype at = 0; at + size < m_buffer.size(); ++at) {
                bool fits = m_buffer[at] == 'i' && quint8(m_buffer[at + 1]) == count &&
                            m_buffer[at + size] == 'i';
                for (int m = 1; fits && m <= count; ++m)
                    fits = quint8(m_buffer[at + 2 + 3 * (m - 1)]) == m;
                if (fits) {
                    m_buffer.remove(0, at);
                    m_arrival.erase(m_arrival.begin(), m_arrival.begin() + at);
                    return true;
                }
            }
            if (!fill(int(msecs - timer.elapsed())))
                return false;
        }
        return false;
    }
    // The next whole burst; nothing on timeout or when the stream is not at a burst start.
    std::optional<Burst> nextBurst(int msecs) {
        QElapsedTimer timer;
        timer.start();
        while (true) {
            if (!m_buffer.isEmpty() && m_buffer[0] != 'i') {
                m_misaligned = true;
                return std::nullopt;
            }
            if (m_buffer.size() >= 2) {
                const qsizetype size = 2 + 3 * qsizetype(quint8(m_buffer[1]));
                if (m_buffer.size() >= size) {
                    Burst b{m_buffer.left(size), m_arrival[0], m_arrival[std::size_t(size - 1)]};
                    m_buffer.remove(0, size);
                    m_arrival.erase(m_arrival.begin(), m_arrival.begin() + size);
                    return b;
                }
            }
            const qint64 left = msecs - timer.elapsed();
            if (left <= 0 || !fill(int(left)))
                return std::nullopt;
        }
    }
    // The next burst of `count` reports, passing over others.
    std::optional<Burst> burstOf(int count, int msecs) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < msecs) {
            std::optional<Burst> b = nextBurst(int(msecs - timer.elapsed()));
            if (!b || b->count() == count)
                return b;
        }
        return std::nullopt;
    }
    bool misaligned() const { return m_misaligned; }

private:
    // Waits up to `msecs` for bytes and takes them; false when the line is gone.
    bool fill(int msecs) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, std::min(msecs, 50)) <= 0)
            return true;
        char buffer[1024];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            const qint64 now = m_clock.elapsed();
            m_buffer.append(buffer, n);
            m_arrival.insert(m_arrival.end(), std::size_t(n), now);
            return true;
        }
        return n < 0 && (errno == EAGAIN || errno == EINTR);
    }

    int m_fd = -1;
    QElapsedTimer m_clock;
    QByteArray m_buffer;
    std::vector<qint64> m_arrival; // per byte of m_buffer
    bool m_misaligned = false;
};

VirtualModule::Options fastOptions(int baudRate = 9600, int burstIntervalMs = 20) {
    VirtualModule::Options o;
    o.seed = 7;
    o.baudRate = baudRate;
    o.burstIntervalMs = burstIntervalMs;
    o.idleIntervalMs = 50;
    return o;
}

} // namespace

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void parserFindsCommands_data();
    void parserFindsCommands();
    void moduleCountIsCapped_data();
    void moduleCountIsCapped();

    void emptyBurstsBeforeCommand();
    void commandSetsModuleCount_data();
    void commandSetsModuleCount();
    void burstsShowMovingTrain();
    void bytesArePaced_data();
    void bytesArePaced();
    void pauseBetweenBursts();
    void portClosedAndReopened_data();
    void portClosedAndReopened();
    void nobodyListening();
    void stopWhileSending();
};

void TestSim::parserFindsCommands_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("found"); // three count bytes per command found

    QTest::newRow("one command") << command(1, 2, 3) << bytes({1, 2, 3});
    QTest::newRow("garbage before")
        << QByteArray("xy\r\0i", 5) + command(0, 4, 0) << bytes({0, 4, 0});
    QTest::newRow("stray s before") << QByteArray("s") + command(2, 2, 2) << bytes({2, 2, 2});
    QTest::newRow("counts equal to s") << command('s', 0, 's') << bytes({'s', 0, 's'});
    QTest::newRow("counts equal to CR") << command(13, 13, 13) << bytes({13, 13, 13});
    QTest::newRow("wrong end byte, then a command")
        << bytes({'s', 1, 1, 1, 'x'}) + command(0, 0, 3) << bytes({0, 0, 3});
    QTest::newRow("broken command whose bytes start the next")
        << bytes({'s', 1, 's', 2, 3, 4, '\r'}) << bytes({2, 3, 4});
    QTest::newRow("two in a row") << command(1, 0, 0) + command(0, 9, 0)
                                  << bytes({1, 0, 0, 0, 9, 0});
    QTest::newRow("unfinished") << bytes({'s', 1, 2}) << QByteArray();
    QTest::newRow("no s at all") << bytes({'i', 5, 1, 2, 3, '\r'}) << QByteArray();
    QTest::newRow("CR one byte too late") << bytes({'s', 1, 2, 3, 4, '\r'}) << QByteArray();
}

void TestSim::parserFindsCommands() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, found);
    CommandParser parser;
    QByteArray got;
    for (char c : stream) {
        if (const std::optional<ChainCounts> counts = parser.feed(c))
            got += bytes({counts->left, counts->mid, counts->right});
    }
    QCOMPARE(got, found);
}

void TestSim::moduleCountIsCapped_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("mid");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("modules");
    QTest::newRow("none") << 0 << 0 << 0 << 0;
    QTest::newRow("all chains add up") << 4 << 3 << 3 << 10;
    QTest::newRow("one full chain") << 255 << 0 << 0 << 255;
    QTest::newRow("sum just over a burst") << 200 << 50 << 6 << 255;
    QTest::newRow("all full") << 255 << 255 << 255 << 255;
}

void TestSim::moduleCountIsCapped() {
    QFETCH(int, left);
    QFETCH(int, mid);
    QFETCH(int, right);
    QFETCH(int, modules);
    QCOMPARE((ChainCounts{quint8(left), quint8(mid), quint8(right)}.modules()), modules);
}

void TestSim::emptyBurstsBeforeCommand() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(fastOptions());
    QString why;
    QVERIFY2(module.start(&why), qPrintable(why));
    HostEnd host(module.devicePath());
    QVERIFY(host.isOpen());
    for (int i = 0; i < 3; ++i) {
        const std::optional<Burst> b = host.nextBurst(5000);
        QVERIFY(b);
        QCOMPARE(b->bytes, bytes({'i', 0}));
    }
    QCOMPARE(module.moduleCount(), 0);
    QCOMPARE(module.commandCount(), quint64(0));
}

void TestSim::commandSetsModuleCount_data() {
    QTest::addColumn<QList<QByteArray>>("chunks"); // sent with a pause between them
    QTest::addColumn<int>("modules");

    QTest::newRow("whole") << QList<QByteArray>{command(4, 3, 3)} << 10;
    QTest::newRow("split with pauses")
        << QList<QByteArray>{bytes({'s', 1}), bytes({2}), bytes({3, '\r'})} << 6;
    QTest::newRow("garbage first")
        << QList<QByteArray>{QByteArray("hello\r"), command(0, 2, 0)} << 2;
    QTest::newRow("stray s first") << QList<QByteArray>{QByteArray("s"), command(1, 1, 1)} << 3;
    QTest::newRow("capped at a full burst") << QList<QByteArray>{command(200, 100, 0)} << 255;
}

void TestSim::commandSetsModuleCount() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, modules);
    VirtualModule module(fastOptions(0)); // unpaced, so the long bursts come at once
    QVERIFY(module.start());
    HostEnd host(module.devicePath());
    for (const QByteArray& chunk : chunks) {
        QVERIFY(host.send(chunk));
        QTest::qWait(30);
    }
    const std::optional<Burst> b = host.burstOf(modules, 5000);
    QVERIFY2(b, host.misaligned() ? "stream lost its burst boundaries" : "no such burst");
    QCOMPARE(b->bytes.size(), 2 + 3 * modules);
    QCOMPARE(reportedModules(b->bytes), oneTo(modules));
    QCOMPARE(module.moduleCount(), modules);
    QCOMPARE(module.commandCount(), quint64(1));
    // It keeps reporting that many.
    for (int i = 0; i < 3; ++i) {
        const std::optional<Burst> next = host.nextBurst(5000);
        QVERIFY(next);
        QCOMPARE(next->count(), modules);
    }
}

void TestSim::burstsShowMovingTrain() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(fastOptions(9600, 100));
    QVERIFY(module.start());
    HostEnd host(module.devicePath());
    QVERIFY(host.send(command(4, 3, 3)));
    QSet<QList<int>> seen;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000) {
        const std::optional<Burst> b = host.burstOf(10, 5000);
        QVERIFY(b);
        const QList<int> active = reportedInputs(b->bytes);
        QVERIFY(hasTrain(active, 160));
        QVERIFY(active.size() <= Pattern::kTrainLength + Pattern::kMaxLit);
        seen.insert(active);
    }
    // Four steps a second: two seconds show several different pictures.
    QVERIFY2(seen.size() >= 4, qPrintable(QString::number(seen.size())));
}

void TestSim::bytesArePaced_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("atLeastMs"); // first to last byte; the line needs ~1.04 ms a byte

    QTest::newRow("ten modules, 32 bytes") << command(4, 3, 3) << 10 << 25;
    QTest::newRow("a full burst, 767 bytes") << command(255, 0, 0) << 255 << 600;
}

void TestSim::bytesArePaced() {
    SKIP_WITHOUT_PTYS();
    QFETCH(QByteArray, command);
    QFETCH(int, modules);
    QFETCH(int, atLeastMs);
    VirtualModule module(fastOptions(9600, 50));
    QVERIFY(module.start());
    HostEnd host(module.devicePath());
    QVERIFY(host.send(command));
    // The longest of two: a stall of the test itself can only shorten what one burst shows.
    qint64 longest = 0;
    for (int i = 0; i < 2; ++i) {
        const std::optional<Burst> b = host.burstOf(modules, 10000);
        QVERIFY(b);
        longest = std::max(longest, b->lastMs - b->firstMs);
    }
    QVERIFY2(longest >= atLeastMs, qPrintable(QStringLiteral("%1 ms").arg(longest)));
}

void TestSim::pauseBetweenBursts() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(fastOptions(9600, 150));
    QVERIFY(module.start());
    HostEnd host(module.devicePath());
    QVERIFY(host.send(command(1, 0, 0)));
    std::optional<Burst> previous = host.burstOf(1, 5000);
    QVERIFY(previous);
    qint64 longest = 0;
    for (int i = 0; i < 3; ++i) {
        const std::optional<Burst> b = host.nextBurst(5000);
        QVERIFY(b);
        longest = std::max(longest, b->firstMs - previous->lastMs);
        previous = b;
    }
    QVERIFY2(longest >= 110, qPrintable(QStringLiteral("%1 ms").arg(longest)));
}

void TestSim::portClosedAndReopened_data() {
    QTest::addColumn<int>("burstIntervalMs");
    QTest::newRow("pauses between bursts") << 100;
    QTest::newRow("bursts back to back") << 0;
}

void TestSim::portClosedAndReopened() {
    SKIP_WITHOUT_PTYS();
    QFETCH(int, burstIntervalMs);
    VirtualModule module(fastOptions(9600, burstIntervalMs));
    QVERIFY(module.start());
    {
        HostEnd host(module.devicePath());
        QVERIFY(host.send(command(2, 0, 0)));
        QVERIFY(host.burstOf(2, 5000));
    }
    // Bursts nobody hears; the module must not spin meanwhile.
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuBefore = cpuMs();
    QTest::qWait(300);
    const qint64 cpu = cpuMs() - cpuBefore;
    QVERIFY2(cpu < wall.elapsed() / 2 + 50,
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu).arg(wall.elapsed())));

    HostEnd host(module.devicePath());
    // The count outlives the closed port.
    QVERIFY(host.syncOnBurstOf(2, 5000));
    QVERIFY(host.nextBurst(5000));
    // Still listening after the port came back.
    QVERIFY(host.send(command(0, 0, 1)));
    const std::optional<Burst> b = host.burstOf(1, 5000);
    QVERIFY2(b, host.misaligned() ? "stream lost its burst boundaries" : "no such burst");
    QCOMPARE(module.commandCount(), quint64(2));
}

void TestSim::nobodyListening() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(fastOptions(9600, 20));
    QVERIFY(module.start());
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuBefore = cpuMs();
    QTRY_VERIFY_WITH_TIMEOUT(module.burstCount() >= 10, 5000);
    QTest::qWait(200);
    const qint64 cpu = cpuMs() - cpuBefore;
    // Waiting for a listener must not spin on the hung-up line.
    QVERIFY2(cpu < wall.elapsed() / 2 + 50,
             qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpu).arg(wall.elapsed())));

    HostEnd host(module.devicePath());
    QVERIFY(host.isOpen());
    // What nobody heard is gone, not queued up for whoever opens the port next.
    const QByteArray stale = host.takeNow();
    QVERIFY2(stale.size() < 4, stale.toHex(' ').constData());
    QVERIFY(host.syncOnBurstOf(0, 5000));
    const std::optional<Burst> b = host.nextBurst(5000);
    QVERIFY(b);
    QCOMPARE(b->bytes, bytes({'i', 0}));
}

void TestSim::stopWhileSending() {
    SKIP_WITHOUT_PTYS();
    VirtualModule module(fastOptions(9600, 0));
    QVERIFY(module.start());
    const QString first = module.devicePath();
    QVERIFY(module.start()); // already running: the same line
    QCOMPARE(module.devicePath(), first);
    {
        HostEnd host(module.devicePath());
        QVERIFY(host.send(command(255, 0, 0)));
        QTRY_VERIFY_WITH_TIMEOUT(module.moduleCount() == 255, 5000);
        QTest::qWait(100); // well inside a burst of 800 ms
        QElapsedTimer timer;
        timer.start();
        module.stop();
        QVERIFY(timer.elapsed() < 5000);
        QVERIFY(module.devicePath().isEmpty());
        module.stop(); // twice is harmless
    }
    // A new start gives a fresh line that works from scratch.
    QVERIFY(module.start());
    HostEnd host(module.devicePath());
    const std::optional<Burst> b = host.nextBurst(5000);
    QVERIFY(b);
    QCOMPARE(b->bytes, bytes({'i', 0}));
}

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
