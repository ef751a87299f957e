#include "panel/monitorview.h"
#include "receive/monitor.h"

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <vector>

namespace {

using Sep = Monitor::Separator;

// The ring and its box as the window pairs them: each event's appends are followed by a
// schedule of the box.
struct ShownMonitor {
    Monitor ring;
    MonitorView view;
    explicit ShownMonitor(QPlainTextEdit& box) : view(ring, box) {}
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
    // True when `tail` is what the stream ends with and begins with a whole entry.
    bool endsWithEntries(const QString& tail) const {
        if (!text.endsWith(tail))
            return false;
        const auto start = std::size_t(text.size() - tail.size());
        return start < entryStarts.size() && entryStarts[start];
    }
};

// What the widget shows, with its line breaks taken out.
QString joined(const QPlainTextEdit& view) {
    return view.toPlainText().remove(QLatin1Char('\n'));
}

// The shorter of the two is the end of the longer: they show the same newest entries.
bool sameTail(const QString& a, const QString& b) {
    return a.size() <= b.size() ? b.endsWith(a) : a.endsWith(b);
}

// The monitor box as the window places it: 4695 x 1815 twips.
struct View {
    QPlainTextEdit view;
    View() {
        view.resize(313, 121);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.show();
    }
};

} // namespace

class TestMonitor : public QObject {
    Q_OBJECT

private slots:
    void entriesAreValueAndSeparator_data();
    void entriesAreValueAndSeparator();
    void widgetFollowsWithoutExplicitFlush();
    void keepsNewestEntriesWithinBounds();
    void linesBreakOnlyBetweenEntries();
    void appendsGoAtEndAfterUserMovedCaret();
    void widgetAgreesAfterLargeVolumeBetweenFrames();
    void widgetStaysBounded();
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
    View v;
    ShownMonitor monitor(v.view);
    for (qsizetype i = 0; i < values.size(); ++i)
        monitor.append(quint8(values[i]), bursts[i] ? Sep::Burst : Sep::Echo);

    QCOMPARE(monitor.text(), text);
    monitor.flush();
    QCOMPARE(joined(v.view), text);
}

void TestMonitor::widgetFollowsWithoutExplicitFlush() {
    View v;
    ShownMonitor monitor(v.view);
    Stream stream;
    for (int i = 0; i < 300; ++i)
        stream.add(monitor, i);
    QTRY_COMPARE(joined(v.view), stream.text);

    for (int i = 300; i < 310; ++i)
        stream.add(monitor, i);
    QTRY_COMPARE(joined(v.view), stream.text);
    QCOMPARE(monitor.text(), stream.text);
    // Scrolled to the newest line.
    const QScrollBar* bar = v.view.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
}

void TestMonitor::keepsNewestEntriesWithinBounds() {
    View v;
    ShownMonitor monitor(v.view);
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
    View v;
    ShownMonitor monitor(v.view);
    Stream stream;
    // Several frames' worth, so lines also continue across flushes; each frame's share is
    // small enough to be added to the widget rather than replace it.
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 200; ++i)
            stream.add(monitor, round * 200 + i);
        monitor.flush();
    }

    QCOMPARE(joined(v.view), stream.text);
    QVERIFY(v.view.blockCount() > 1);
    static const QRegularExpression wholeEntries(QStringLiteral("^(?:\\d{1,3}(?: - - | \\+ ))+$"));
    const QFontMetrics metrics(v.view.font());
    const int room = v.view.viewport()->width();
    for (QTextBlock line = v.view.document()->begin(); line.isValid(); line = line.next()) {
        const QString text = line.text();
        QVERIFY2(wholeEntries.match(text).hasMatch(), qPrintable(text));
        // No horizontal scroll bar: a line must fit the box (a few pixels for rounding).
        QVERIFY2(
            metrics.horizontalAdvance(text) <= room + 4,
            qPrintable(QStringLiteral("%1 px: %2").arg(metrics.horizontalAdvance(text)).arg(text)));
    }
}

void TestMonitor::appendsGoAtEndAfterUserMovedCaret() {
    View v;
    ShownMonitor monitor(v.view);
    Stream stream;
    for (int i = 0; i < 50; ++i)
        stream.add(monitor, i);
    monitor.flush();

    QTextCursor userCursor(v.view.document());
    userCursor.setPosition(0);
    userCursor.setPosition(5, QTextCursor::KeepAnchor);
    v.view.setTextCursor(userCursor);
    for (int i = 50; i < 100; ++i)
        stream.add(monitor, i);
    monitor.flush();

    QCOMPARE(joined(v.view), stream.text);
    QCOMPARE(monitor.text(), stream.text);
}

void TestMonitor::widgetAgreesAfterLargeVolumeBetweenFrames() {
    View v;
    ShownMonitor monitor(v.view);
    Stream stream;
    int i = 0;
    for (; i < 100; ++i)
        stream.add(monitor, i);
    monitor.flush();

    // Far more than one frame can show, with no chance for the frame timer to run.
    for (; i < 100 + int(Monitor::kKeep / 2); ++i)
        stream.add(monitor, i);
    monitor.flush();

    const QString shown = joined(v.view);
    QVERIFY(sameTail(shown, monitor.text()));
    QVERIFY(stream.endsWithEntries(shown));
}

void TestMonitor::widgetStaysBounded() {
    View v;
    ShownMonitor monitor(v.view);
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
    const int blocks = v.view.blockCount();
    const int characters = v.view.document()->characterCount();
    feed(100000);

    QVERIFY2(v.view.blockCount() <= blocks + blocks / 10,
             qPrintable(QStringLiteral("%1 then %2").arg(blocks).arg(v.view.blockCount())));
    QVERIFY(v.view.document()->characterCount() <= characters + characters / 10);
    QVERIFY(v.view.document()->characterCount() < 16 * Monitor::kKeep);
    QVERIFY(sameTail(joined(v.view), monitor.text()));
    QVERIFY(stream.endsWithEntries(joined(v.view)));
}

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
