#include "frame/framegate.h"
#include "panel/monitorview.h"
#include "receive/monitor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <vector>

namespace {

using Sep = Monitor::Separator;

// The ring and its box as the window pairs them (the box as the window places it, 4695 x 1815
// twips): each event's appends are followed by a schedule of the box.
struct ShownMonitor {
    Monitor ring;
    FrameGate gate;
    MonitorView view{ring};
    ShownMonitor() {
        gate.add(view);
        view.resize(313, 121);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.show();
    }
    void append(quint8 value, Sep separator) {
        ring.append(value, separator);
        view.schedule();
    }
    QString text() const { return ring.text(); }
    quint64 entries() const { return ring.entries(); }
    void flush() { view.flush(); }
};

QString entry(int value, Sep separator) {
    return QString::number(value) +
           (separator == Sep::Echo ? QStringLiteral(" - - ") : QStringLiteral(" + "));
}

// A long, irregular stream of entries together with where each entry starts.
struct Stream {
    QString text;
    std::vector<bool> entryStarts;

    void add(ShownMonitor& monitor, int i) {
        const auto value = quint8((i * 37 + i / 7) % 256);
        const Sep separator = (i % 5 < 2) ? Sep::Burst : Sep::Echo;
        entryStarts.resize(std::size_t(text.size()) + 1, false);
        entryStarts[std::size_t(text.size())] = true;
        text += entry(value, separator);
        monitor.append(value, separator);
    }
    // Entries [from, to), then a frame.
    void addFramed(ShownMonitor& monitor, int from, int to) {
        for (int i = from; i < to; ++i)
            add(monitor, i);
        monitor.flush();
    }
    // True when `tail` is what the stream ends with and begins with a whole entry.
    bool endsWithEntries(const QString& tail) const {
        if (!text.endsWith(tail))
            return false;
        const auto start = std::size_t(text.size() - tail.size());
        return start < entryStarts.size() && entryStarts[start];
    }
};

// A box that has followed 200 entries of a stream, and goes on with it.
struct Following {
    ShownMonitor monitor;
    Stream stream;
    int next = 200;
    Following() { stream.addFramed(monitor, 0, next); }
    MonitorView& view() { return monitor.view; }
    const QScrollBar* bar() { return monitor.view.verticalScrollBar(); }
    void add(int count) {
        for (const int end = next + count; next < end; ++next)
            stream.add(monitor, next);
    }
};

// What the widget shows, with its line breaks taken out.
QString joined(const MonitorView& view) {
    return view.toPlainText().remove(QLatin1Char('\n'));
}

// The shorter of the two is the end of the longer: they show the same newest entries.
bool sameTail(const QString& a, const QString& b) {
    return a.size() <= b.size() ? b.endsWith(a) : a.endsWith(b);
}

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

private slots:
    void entriesAreValueAndSeparator_data();
    void entriesAreValueAndSeparator();
    void widgetFollowsWithoutExplicitFlush();
    void followingBarMovesTwiceASecond();
    void followingBarMovesInFrames();
    void keepsNewestEntriesWithinBounds();
    void linesBreakOnlyBetweenEntries();
    void appendsGoAtEndAfterUserSelected();
    void widgetAgreesAfterLargeVolumeBetweenFrames();
    void widgetStaysBounded();
    void burstHeaderCanBeScrolledTo();
    void scrolledUpStaysPut_data();
    void scrolledUpStaysPut();
    void copiesTheSelectedEntries();
    void picturesAreMadeAheadWhileShown();
};

void TestMonitor::entriesAreValueAndSeparator_data() {
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("bursts"); // 1: burst separator, 0: echo separator
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing") << QList<int>{} << QList<int>{} << QString();
    QTest::newRow("zero echoed") << QList<int>{0} << QList<int>{0} << QStringLiteral("0 - - ");
    QTest::newRow("zero in a burst") << QList<int>{0} << QList<int>{1} << QStringLiteral("0 + ");
    QTest::newRow("three digits") << QList<int>{255, 128} << QList<int>{0, 1}
                                  << QStringLiteral("255 - - 128 + ");
    QTest::newRow("header then reports")
        << QList<int>{105, 2, 1, 0, 3, 2, 128, 0} << QList<int>{0, 0, 1, 1, 1, 1, 1, 1}
        << QStringLiteral("105 - - 2 - - 1 + 0 + 3 + 2 + 128 + 0 + ");
}

void TestMonitor::entriesAreValueAndSeparator() {
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, bursts);
    QFETCH(QString, text);
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    for (qsizetype i = 0; i < values.size(); ++i)
        monitor.append(quint8(values[i]), bursts[i] ? Sep::Burst : Sep::Echo);

    QCOMPARE(monitor.text(), text);
    monitor.flush();
    QCOMPARE(joined(view), text);
}

void TestMonitor::widgetFollowsWithoutExplicitFlush() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    for (int i = 0; i < 300; ++i)
        stream.add(monitor, i);
    QTRY_COMPARE(joined(view), stream.text);

    for (int i = 300; i < 310; ++i)
        stream.add(monitor, i);
    QTRY_COMPARE(joined(view), stream.text);
    QCOMPARE(monitor.text(), stream.text);
    // Scrolled to the newest line at once; the bar catches up within half a second.
    QCOMPARE(view.topLine(), view.lineCount() - 8); // 121 px show 8 lines
    const QScrollBar* bar = view.verticalScrollBar();
    QTRY_COMPARE_WITH_TIMEOUT(bar->maximum(), view.lineCount() - 8, 800);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestMonitor::followingBarMovesTwiceASecond() {
    // While the box follows a stream, its bar is redrawn at most twice a second, not with every
    // frame; scrolled up, it follows the user at once.
    Following f;
    QTRY_COMPARE_WITH_TIMEOUT(f.bar()->value(), f.view().topLine(), 800);
    int rangeChanges = 0;
    QObject::connect(f.bar(), &QScrollBar::rangeChanged, [&] { ++rangeChanges; });
    QElapsedTimer clock;
    clock.start();
    for (int frame = 0; frame < 20; ++frame) {
        f.add(40);
        f.monitor.gate.frame();
        QCOMPARE(f.view().topLine(), f.view().lineCount() - 8);
    }
    if (clock.elapsed() < 450) // a slow machine may well see one more
        QVERIFY2(rangeChanges <= 1, qPrintable(QString::number(rangeChanges)));
    QTRY_COMPARE_WITH_TIMEOUT(f.bar()->maximum(), f.view().lineCount() - 8, 800);
    QCOMPARE(f.bar()->value(), f.bar()->maximum());
    QCOMPARE(f.view().lineEnd(f.view().lineCount() - 1), f.monitor.entries());
}

void TestMonitor::followingBarMovesInFrames() {
    // While frames keep coming, the bar is moved by a frame, in its paint pass, not by a timer
    // of its own between frames (a second paint pass).
    Following f;
    QTRY_COMPARE_WITH_TIMEOUT(f.bar()->value(), f.view().topLine(), 800);
    bool inFrame = false;
    int inFrames = 0;
    int between = 0;
    QObject::connect(f.bar(), &QScrollBar::rangeChanged, [&] { ++(inFrame ? inFrames : between); });
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1600) { // three times due
        f.add(10);
        inFrame = true;
        f.monitor.gate.frame();
        inFrame = false;
        QTest::qWait(30);
    }
    QVERIFY2(inFrames >= 2, qPrintable(QString::number(inFrames)));
    QVERIFY2(between <= 1, qPrintable(QString::number(between))); // one late frame at most
}

void TestMonitor::keepsNewestEntriesWithinBounds() {
    ShownMonitor monitor;
    Stream stream;
    const qsizetype keep = Monitor::kKeep;
    int outOfBounds = 0;
    for (int i = 0; stream.text.size() < 6 * keep; ++i) {
        stream.add(monitor, i);
        // Bounds hold all along, not just at the end: look every 251 appends.
        if (i % 251 != 0)
            continue;
        const qsizetype size = monitor.text().size();
        const bool within = stream.text.size() < keep ? size == stream.text.size()
                                                      : size >= keep && size <= 2 * keep + 8;
        if (!within && outOfBounds++ == 0)
            qWarning("after %lld characters appended the monitor keeps %lld",
                     qlonglong(stream.text.size()), qlonglong(size));
    }
    QCOMPARE(outOfBounds, 0);
    QVERIFY(stream.endsWithEntries(monitor.text()));
    QVERIFY(monitor.text().front().isDigit());
}

void TestMonitor::linesBreakOnlyBetweenEntries() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    // Several frames' worth, so lines also continue across flushes; each frame's share is
    // small enough to be added to the widget rather than replace it.
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 200; ++i)
            stream.add(monitor, round * 200 + i);
        monitor.flush();
    }

    QCOMPARE(joined(view), stream.text);
    QVERIFY(view.lineCount() > 1);
    static const QRegularExpression wholeEntries(QStringLiteral("^(?:\\d{1,3}(?: - - | \\+ ))+$"));
    const QFontMetrics metrics(view.font());
    const int room = view.viewport()->width();
    for (const QString& text : view.toPlainText().split(QLatin1Char('\n'))) {
        QVERIFY2(wholeEntries.match(text).hasMatch(), qPrintable(text));
        // No horizontal scroll bar: a line must fit the box (a few pixels for rounding).
        QVERIFY2(
            metrics.horizontalAdvance(text) <= room + 4,
            qPrintable(QStringLiteral("%1 px: %2").arg(metrics.horizontalAdvance(text)).arg(text)));
    }
}

void TestMonitor::appendsGoAtEndAfterUserSelected() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    for (int i = 0; i < 50; ++i)
        stream.add(monitor, i);
    monitor.flush();

    view.select(0, 5);
    for (int i = 50; i < 100; ++i)
        stream.add(monitor, i);
    monitor.flush();

    QCOMPARE(joined(view), stream.text);
    QCOMPARE(monitor.text(), stream.text);
}

void TestMonitor::widgetAgreesAfterLargeVolumeBetweenFrames() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    int i = 0;
    for (; i < 100; ++i)
        stream.add(monitor, i);
    monitor.flush();

    // Far more than one frame can show, with no chance for the frame timer to run.
    for (; i < 100 + int(Monitor::kKeep / 2); ++i)
        stream.add(monitor, i);
    monitor.flush();

    const QString shown = joined(view);
    QVERIFY(sameTail(shown, monitor.text()));
    QVERIFY(stream.endsWithEntries(shown));
}

void TestMonitor::widgetStaysBounded() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    int i = 0;
    auto feed = [&](int count) {
        for (const int end = i + count; i < end; ++i) {
            stream.add(monitor, i);
            if (i % 997 == 0)
                monitor.flush();
        }
        monitor.flush();
    };

    feed(100000);
    const int blocks = view.lineCount();
    const qsizetype characters = view.toPlainText().size();
    feed(100000);

    QVERIFY2(view.lineCount() <= blocks + blocks / 10,
             qPrintable(QStringLiteral("%1 then %2").arg(blocks).arg(view.lineCount())));
    QVERIFY(view.toPlainText().size() <= characters + characters / 10);
    QVERIFY(view.toPlainText().size() < 16 * Monitor::kKeep);
    QVERIFY(sameTail(joined(view), monitor.text()));
    QVERIFY(stream.endsWithEntries(joined(view)));
}

// The entries of every line the view holds, in order, are the ring's, all of it.
void checkLinesMatchRing(const MonitorView& view, const Monitor& ring) {
    QVERIFY(view.lineCount() > 0);
    QCOMPARE(view.lineFirst(0), ring.firstKept());
    for (int line = 1; line < view.lineCount(); ++line)
        QCOMPARE(view.lineFirst(line), view.lineEnd(line - 1));
    QCOMPARE(view.lineEnd(view.lineCount() - 1), ring.entries());
    QCOMPARE(joined(view), ring.text());
}

void TestMonitor::burstHeaderCanBeScrolledTo() {
    ShownMonitor monitor;
    Stream stream;
    stream.addFramed(monitor, 0, 2000);
    // A burst of 255 reports (counts 85, 85, 85) arrives within one frame.
    const quint64 header = monitor.entries();
    monitor.append(105, Sep::Echo);
    monitor.append(255, Sep::Echo);
    for (int r = 0; r < 3 * 255; ++r)
        monitor.append(quint8(r % 3 == 0 ? r / 3 % 85 + 1 : 0), Sep::Burst);
    monitor.flush();

    MonitorView& view = monitor.view;
    checkLinesMatchRing(view, monitor.ring);
    int line = 0;
    while (view.lineEnd(line) <= header)
        ++line;
    view.verticalScrollBar()->setValue(line);
    QCOMPARE(view.topLine(), line);
    const QStringList lines = view.toPlainText().split(QLatin1Char('\n'));
    const qsizetype at =
        lines.mid(line).join(QString()).indexOf(QStringLiteral("105 - - 255 - - 1 + 0 + 0 + "));
    QVERIFY(at >= 0 && at < lines.at(line).size()); // the header starts on the top line
    view.verticalScrollBar()->setValue(0);          // and back to the oldest entry kept
    QCOMPARE(view.lineFirst(view.topLine()), monitor.ring.firstKept());
}

void TestMonitor::scrolledUpStaysPut_data() {
    QTest::addColumn<int>("more"); // entries appended while scrolled up
    QTest::newRow("a few") << 3;
    QTest::newRow("several screenfuls") << 1000;
    QTest::newRow("enough for the ring to drop old lines") << int(Monitor::kKeepEntries) / 2;
}

void TestMonitor::scrolledUpStaysPut() {
    QFETCH(int, more);
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    int i = int(Monitor::kKeepEntries);
    stream.addFramed(monitor, 0, i);
    QScrollBar* bar = view.verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum()); // at the bottom: it follows
    bar->setValue(bar->maximum() * 3 / 4);
    const quint64 topEntry = view.lineFirst(view.topLine());

    stream.addFramed(monitor, i, i + more);
    i += more;
    QCOMPARE(view.lineFirst(view.topLine()), topEntry);
    checkLinesMatchRing(view, monitor.ring);

    bar->setValue(bar->maximum()); // back at the bottom it follows again
    stream.addFramed(monitor, i, i + 100);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(view.lineEnd(view.lineCount() - 1), monitor.entries());
}

void TestMonitor::copiesTheSelectedEntries() {
    ShownMonitor monitor;
    MonitorView& view = monitor.view;
    Stream stream;
    stream.addFramed(monitor, 0, 500);
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int top = view.topLine();
    const int rowHeight = view.fontMetrics().height();
    QWidget* area = view.viewport();
    // From the start of the second row shown to the far end of the third.
    const QPoint from(5, 4 + rowHeight + rowHeight / 2);
    const QPoint to(area->width() - 2, 4 + 2 * rowHeight + rowHeight / 2);
    QTest::mousePress(area, Qt::LeftButton, {}, from);
    QTest::mouseMove(area, to);
    QTest::mouseRelease(area, Qt::LeftButton, {}, to);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);

    QString expected;
    for (quint64 e = view.lineFirst(top + 1); e < view.lineEnd(top + 2); ++e) {
        const quint16 code = monitor.ring.entry(e);
        expected += Monitor::valueText(Monitor::valueOf(code)) +
                    Monitor::separatorText(Monitor::separatorOf(code));
    }
    QVERIFY(!expected.isEmpty());
    QCOMPARE(QGuiApplication::clipboard()->text(), expected);
}

void TestMonitor::picturesAreMadeAheadWhileShown() {
    // A stream meets every entry's picture made: they are made in idle time once the box shows,
    // again after a change of font, and not for a box nobody sees.
    Monitor ring;
    MonitorView view(ring);
    QTest::qWait(100);
    QCOMPARE(view.picturesMadeAhead(), 0);
    view.show();
    QTRY_COMPARE_WITH_TIMEOUT(view.picturesMadeAhead(), 512, 2000);
    QFont bigger = view.font();
    bigger.setPointSize(bigger.pointSize() + 4);
    view.setFont(bigger);
    QVERIFY(view.picturesMadeAhead() < 512);
    QTRY_COMPARE_WITH_TIMEOUT(view.picturesMadeAhead(), 512, 2000);
    view.hide();
    view.setFont(QFont());
    QTest::qWait(100);
    QCOMPARE(view.picturesMadeAhead(), 0);
    // Made ahead or on demand, an entry looks the same.
    ring.append(200, Sep::Echo);
    view.show();
    view.flush();
    const QImage onDemand = view.viewport()->grab().toImage();
    QTRY_COMPARE_WITH_TIMEOUT(view.picturesMadeAhead(), 512, 2000);
    view.viewport()->update();
    QCOMPARE(view.viewport()->grab().toImage(), onDemand);
}

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
