#include "app/form1.h"
#include "frame/framegate.h"
#include "panel/lamp.h"
#include "panel/panel.h"
#include "support/formsupport.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

namespace {

bool lastStateMatches(const FormState& s) {
    return std::equal(s.InputState.begin() + 1, s.InputState.end(), s.LastState.begin() + 1);
}

} // namespace

class TestPanel : public QObject {
    Q_OBJECT

private slots:
    void reportsHighestChangedInput_data();
    void reportsHighestChangedInput();
    void inputGoingInactiveIsReportedAndTurnsRed();
    void inputWithoutLampIsReportedWithoutLampChange();
    void onlyTheActiveInputsLampIsGreen_data();
    void onlyTheActiveInputsLampIsGreen();
    void refreshWithoutChangeChangesNothing();
    void changeUndoneWithinOneEventIsNotReported();
    void followsEveryStateAfterEachRefresh();
    void loopCounterEndsAt201_data();
    void loopCounterEndsAt201();
    void entryZeroIsNoInput();
    void moduleZeroReportIsNotShown();
    void lampChangeSoonAfterAnotherIsPainted();
    void heldBackTextShowsOnceTheStreamEnds();
    void lampLooksAsDrawn_data();
    void lampLooksAsDrawn();
    void colourHelpRepaintsOnlyOnChange_data();
    void colourHelpRepaintsOnlyOnChange();
    void frameGatePaces_data();
    void frameGatePaces();
    void streamFramesComeWithTheReads();
    void waitingViewsRideOnTheStream();
};

void TestPanel::reportsHighestChangedInput_data() {
    QTest::addColumn<QList<int>>("before");
    QTest::addColumn<QList<int>>("after");
    QTest::addColumn<QString>("text5");

    QTest::newRow("inputs 3 and 17 set")
        << QList<int>{} << QList<int>{3, 17} << QStringLiteral(" 17");
    QTest::newRow("input 17 set, input 3 cleared")
        << QList<int>{3} << QList<int>{17} << QStringLiteral(" 17");
    QTest::newRow("one-digit input") << QList<int>{} << QList<int>{7} << QStringLiteral(" 7");
    QTest::newRow("three-digit input") << QList<int>{} << QList<int>{153} << QStringLiteral(" 153");
    QTest::newRow("first input") << QList<int>{} << QList<int>{1} << QStringLiteral(" 1");
    QTest::newRow("last lamp input") << QList<int>{} << QList<int>{160} << QStringLiteral(" 160");
    QTest::newRow("last input") << QList<int>{} << QList<int>{200} << QStringLiteral(" 200");
    QTest::newRow("unchanged higher input is not reported")
        << QList<int>{150} << QList<int>{20, 150} << QStringLiteral(" 20");
    QTest::newRow("input past the lamps beats a lamp input")
        << QList<int>{} << QList<int>{60, 190} << QStringLiteral(" 190");
}

void TestPanel::reportsHighestChangedInput() {
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    QFETCH(QString, text5);
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    for (int n : before)
        s.InputState[std::size_t(n)] = true;
    w.form.panel().arbejd();
    s.InputState.fill(false);
    for (int n : after)
        s.InputState[std::size_t(n)] = true;

    w.form.panel().arbejd();

    QCOMPARE(w.text5(), text5);
    QVERIFY(lastStateMatches(s));
    QCOMPARE(greenLamps(w.form), activeInputs(s, FormState::kLampCount));
}

void TestPanel::inputGoingInactiveIsReportedAndTurnsRed() {
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    s.InputState[5] = true;
    s.InputState[2] = true;
    w.form.panel().arbejd();
    QCOMPARE(greenLamps(w.form), (QList<int>{2, 5}));

    s.InputState[5] = false;
    w.form.panel().arbejd();

    QCOMPARE(w.text5(), QStringLiteral(" 5"));
    QCOMPARE(greenLamps(w.form), QList<int>{2});
    const Lamp* lamp5 = w.form.controls().Lampe[4];
    QVERIFY(lamp5->isElementVisible(0));
    QVERIFY(!lamp5->isElementVisible(1));
}

void TestPanel::inputWithoutLampIsReportedWithoutLampChange() {
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    s.InputState[10] = true;
    s.InputState[160] = true;
    w.form.panel().arbejd();
    const QList<int> lampsBefore = greenLamps(w.form);

    s.InputState[180] = true;
    w.form.panel().arbejd();

    QCOMPARE(w.text5(), QStringLiteral(" 180"));
    QCOMPARE(greenLamps(w.form), lampsBefore);
}

void TestPanel::onlyTheActiveInputsLampIsGreen_data() {
    QTest::addColumn<int>("input");

    for (int n : {1, 8, 9, 42, 145, 159, 160})
        QTest::addRow("input %d", n) << n;
}

void TestPanel::onlyTheActiveInputsLampIsGreen() {
    QFETCH(int, input);
    ScriptedWindow w({.openPort = true});
    w.state().InputState[std::size_t(input)] = true;

    w.form.panel().arbejd();

    QCOMPARE(greenLamps(w.form), QList<int>{input});
}

void TestPanel::refreshWithoutChangeChangesNothing() {
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    s.InputState[33] = true;
    s.InputState[199] = true;
    w.form.panel().arbejd();
    const QString text = w.text5();
    const QList<int> lamps = greenLamps(w.form);
    const auto last = s.LastState;

    w.form.panel().arbejd();

    QCOMPARE(w.text5(), text);
    QCOMPARE(greenLamps(w.form), lamps);
    QVERIFY(s.LastState == last);

    // Whatever the box shows stays, also a text the refresh did not write.
    w.form.controls().Text5->setText(QStringLiteral("x"));
    w.form.panel().arbejd();
    QCOMPARE(w.text5(), QStringLiteral("x"));
}

void TestPanel::changeUndoneWithinOneEventIsNotReported() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 1, 1, 0, 64})); // input 7
    QTRY_COMPARE(w.serial.InBufferCount(), 0);
    QCOMPARE(w.text5(), QStringLiteral(" 7"));

    // Module 1 twice in one burst: input 4 set by the first report and cleared by the second.
    w.serial.deliver(bytes({105, 2, 1, 0, 64 + 8, 1, 0, 64}));
    QTRY_COMPARE(w.serial.InBufferCount(), 0);

    QVERIFY(!w.state().Flags[2]);
    QCOMPARE(w.text5(), QStringLiteral(" 7"));
    QCOMPARE(greenLamps(w.form), QList<int>{7});
}

void TestPanel::followsEveryStateAfterEachRefresh() {
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    QRandomGenerator random(88);
    for (int round = 0; round < 50; ++round) {
        // Sparse and dense patterns alike, with runs of unchanged refreshes in between.
        const int density = int(random.bounded(5));
        if (round % 3 != 2) {
            for (int n = 1; n <= FormState::kLastInput; ++n)
                s.InputState[std::size_t(n)] = int(random.bounded(4)) < density;
        }
        w.form.panel().arbejd();
        QVERIFY2(lastStateMatches(s), qPrintable(QStringLiteral("round %1").arg(round)));
        QCOMPARE(greenLamps(w.form), activeInputs(s, FormState::kLampCount));
    }
}

void TestPanel::loopCounterEndsAt201_data() {
    QTest::addColumn<bool>("change");

    QTest::newRow("an input changed") << true;
    QTest::newRow("nothing changed") << false;
}

void TestPanel::loopCounterEndsAt201() {
    QFETCH(bool, change);
    ScriptedWindow w({.openPort = true});
    w.state().LoopCounter = 3;
    w.state().InputState[12] = change;

    w.form.panel().arbejd();

    QCOMPARE(w.state().LoopCounter, 201);
}

void TestPanel::entryZeroIsNoInput() {
    ScriptedWindow w({.openPort = true});
    FormState& s = w.state();
    s.InputState[0] = true;

    w.form.panel().arbejd();

    QCOMPARE(w.text5(), QString());
    QCOMPARE(greenLamps(w.form), QList<int>{});
    QVERIFY(!s.LastState[0]);
}

void TestPanel::moduleZeroReportIsNotShown() {
    ScriptedWindow w({.openPort = true});
    w.serial.deliver(bytes({105, 1, 0, 255, 255}));
    QTRY_COMPARE(w.serial.InBufferCount(), 0);

    QVERIFY(w.state().InputState[0]);
    QCOMPARE(w.text5(), QString());
    QCOMPARE(greenLamps(w.form), QList<int>{});
}

void TestPanel::lampChangeSoonAfterAnotherIsPainted() {
    ScriptedWindow w({.openPort = true});
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    // What lamp 1 showed at each of its paints.
    struct PaintLog final : QObject {
        const Lamp* lamp = nullptr;
        QList<bool> painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                painted << lamp->isElementVisible(1);
            return false;
        }
    } log;
    log.lamp = w.c().Lampe[0];
    w.c().Lampe[0]->installEventFilter(&log);

    w.serial.deliver(bytes({105, 1, 1, 0, 1}));
    QTRY_VERIFY(log.painted.contains(true));
    // Right after that paint, well within a frame: input 1 goes off again.
    w.serial.deliver(bytes({105, 1, 1, 0, 0}));
    QTRY_COMPARE_WITH_TIMEOUT(log.painted.last(), false, 2000);
}

// While data streams the box takes a new number at most twice a second; the last one, held
// back when the stream ends, is shown by the frame gate's later timer, as no frame follows.
void TestPanel::heldBackTextShowsOnceTheStreamEnds() {
    ScriptedWindow w({.openPort = true});
    QElapsedTimer streamed;
    streamed.start();
    for (int k = 0; streamed.elapsed() < 600; ++k) {
        w.serial.deliver(bytes({105, 1, 1, 0, 1 << (k % 8)})); // one of inputs 1..8 on
        QTest::qWait(10);
    }
    w.serial.deliver(bytes({105, 1, 1, 128, 0})); // input 16 on: the last number
    QTRY_COMPARE_WITH_TIMEOUT(w.c().Text5->text(), QStringLiteral(" 16"), 1500);
}

namespace {
// A lamp's picture: a disc of `disc` on a grey ground, opaque like the window's own.
QPixmap lampPicture(const QColor& disc, int side) {
    QPixmap p(side, side);
    p.fill(QColor(192, 192, 192));
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(1, 1, side - 2, side - 2));
    return p;
}
} // namespace

// Rows run in order on one process: each one after the first changes the pictures, the size or
// the state, so a picture kept from the row before must not be shown.
void TestPanel::lampLooksAsDrawn_data() {
    QTest::addColumn<int>("set");  // which pair of pictures
    QTest::addColumn<int>("side"); // the lamp's size
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("help");
    QTest::newRow("active, help") << 0 << 30 << true << true;
    QTest::newRow("other pictures") << 1 << 30 << true << true;
    QTest::newRow("smaller") << 1 << 24 << true << true;
    QTest::newRow("larger than the pictures") << 1 << 40 << true << true;
    QTest::newRow("back to the first") << 0 << 30 << true << true;
    QTest::newRow("active, no help") << 0 << 30 << true << false;
    QTest::newRow("inactive, help") << 0 << 30 << false << true;
}

void TestPanel::lampLooksAsDrawn() {
    QFETCH(int, set);
    QFETCH(int, side);
    QFETCH(bool, active);
    QFETCH(bool, help);
    static const std::array<std::array<QPixmap, 2>, 2> sets{{
        {lampPicture(Qt::red, 30), lampPicture(Qt::green, 30)},
        {lampPicture(QColor(160, 0, 0), 30), lampPicture(QColor(0, 160, 40), 30)},
    }};
    const std::array<QPixmap, 2>& pictures = sets[std::size_t(set)];
    Lamp lamp(pictures);
    lamp.resize(side, side);
    lamp.setActive(active);
    lamp.setColourHelp(help);
    const QImage shown = lamp.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);

    // As the lamp has always been drawn: its picture, and on an active lamp with the help on, a
    // white ring of 12 % of its width around its middle, 20 % of its size out.
    QImage expected(side, side, QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    QPainter p(&expected);
    const QRect square(0, 0, side, side);
    p.drawPixmap(square, pictures[active ? 1 : 0]);
    if (active && help) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, side * 0.12));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(square).center(), side * 0.2, side * 0.2);
    }
    p.end();
    QCOMPARE(shown, expected);
}

void TestPanel::colourHelpRepaintsOnlyOnChange_data() {
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");
    QTest::addColumn<QList<int>>("active");
    QTest::addColumn<int>("repainted"); // lamps

    const QList<int> three{1, 42, 160};
    QTest::newRow("on, on again") << true << true << three << 0;
    QTest::newRow("off, off again") << false << false << three << 0;
    QTest::newRow("on, off") << true << false << three << 3;
    QTest::newRow("off, on") << false << true << three << 3;
    QTest::newRow("off, on, none active") << false << true << QList<int>{} << 0;
    QTest::newRow("off, on, all active") << false << true << oneTo(160) << 160;
}

void TestPanel::colourHelpRepaintsOnlyOnChange() {
    QFETCH(bool, before);
    QFETCH(bool, after);
    QFETCH(QList<int>, active);
    QFETCH(int, repainted);
    ScriptedWindow w({.openPort = true});
    w.form.panel().setColourHelp(before);
    for (int n : active)
        w.state().InputState[std::size_t(n)] = true;
    w.form.panel().arbejd();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QTest::qWait(50);
    QCoreApplication::processEvents();
    struct PaintCount final : QObject {
        QSet<QObject*> painted;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                painted.insert(watched);
            return false;
        }
    } count;
    for (Lamp* lamp : w.c().Lampe)
        lamp->installEventFilter(&count);

    w.form.panel().setColourHelp(after);
    QTest::qWait(100);

    QCOMPARE(int(count.painted.size()), repainted);
    QCOMPARE(w.form.panel().colourHelp(), after);
    for (const Lamp* lamp : w.c().Lampe)
        QCOMPARE(lamp->colourHelp(), after);
}

namespace {
// The gate's later timer runs only while no frame is pending, and never before the first wait
// runs out.
bool laterTimerKeepsItsPlace(const FrameGate& gate) {
    return gate.laterTimerMs() < 0 || (!gate.pending() && gate.laterTimerMs() >= gate.laterMs());
}
} // namespace

void TestPanel::frameGatePaces_data() {
    QTest::addColumn<QList<int>>("requests"); // ms at which the view's state changes
    QTest::addColumn<QList<int>>("frames");   // ms at which it is painted
    // ms at which a text that changes with every request is written: while data streams, half
    // a second after it last was at the earliest, and then in a frame of its own.
    QTest::addColumn<QList<int>>("texts");
    QTest::addColumn<QList<int>>("unasked"); // ms at which a frame is painted without a request
    // ms at which the gate's later timer asks for the frame of a held-back text: only when no
    // frame of the stream comes to take it along.
    QTest::addColumn<QList<int>>("woken");

    QTest::newRow("at once when nothing was painted yet")
        << QList<int>{0} << QList<int>{0} << QList<int>{0} << QList<int>{} << QList<int>{};
    QTest::newRow("changes within a frame wait for it")
        << QList<int>{0, 1, 5, 9} << QList<int>{0, 16} << QList<int>{0, 16} << QList<int>{}
        << QList<int>{};
    QTest::newRow("at once after a quiet spell")
        << QList<int>{0, 150, 300} << QList<int>{0, 150, 300} << QList<int>{0, 150, 300}
        << QList<int>{} << QList<int>{};
    QTest::newRow("a short stream: every 16 ms")
        << QList<int>{0, 10, 20, 30, 40, 50} << QList<int>{0, 16, 32, 48, 64}
        << QList<int>{0, 16, 32, 48, 64} << QList<int>{} << QList<int>{};
    QList<int> stream;
    for (int t = 0; t <= 400; t += 10)
        stream << t;
    // 16 ms apart until the data has streamed for 250 ms, then 100 ms apart; the text last
    // written at 240 waits until 740.
    const QList<int> before{0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 208, 224, 240};
    QTest::newRow("a long stream: 10 a second")
        << stream << before + QList<int>{340, 440, 740} << before + QList<int>{740} << QList<int>{}
        << QList<int>{740};
    QList<int> second;
    for (int t = 0; t <= 1300; t += 10)
        second << t;
    QList<int> streamFrames = before;
    for (int t = 340; t <= 1340; t += 100)
        streamFrames << t;
    QTest::newRow("a stream of over a second: a text every 500 ms")
        << second << streamFrames + QList<int>{1740} << before + QList<int>{740, 1240, 1740}
        << QList<int>{} << QList<int>{1740};
    // Streamed for 300 ms (the last frame at 340), then a pause: from 100 ms after that frame
    // the next change is painted at once and the pace is 16 ms again.
    QList<int> first;
    for (int t = 0; t <= 300; t += 10)
        first << t;
    const QList<int> firstFrames = before + QList<int>{340};
    const auto again = [&](int from) {
        QList<int> requests = first;
        for (int t = from; t <= from + 60; t += 10)
            requests << t;
        return requests;
    };
    QTest::newRow("streaming again 99 ms after the last frame: still 10 a second")
        << again(439) << firstFrames + QList<int>{440, 540, 740} << before + QList<int>{740}
        << QList<int>{} << QList<int>{740};
    QTest::newRow("streaming again 100 ms after the last frame: at once, then every 16 ms")
        << again(440) << firstFrames + QList<int>{440, 456, 472, 488, 504}
        << before + QList<int>{440, 456, 472, 488, 504} << QList<int>{} << QList<int>{};
    QTest::newRow("streaming again 101 ms after the last frame: at once, then every 16 ms")
        << again(441) << firstFrames + QList<int>{441, 457, 473, 489, 505}
        << before + QList<int>{441, 457, 473, 489, 505} << QList<int>{} << QList<int>{};
    // A frame painted unasked after a quiet spell (as tests and benches do) ends the stream.
    QTest::newRow("painted unasked after a stream: the pace is 16 ms again")
        << again(510) << before + QList<int>{340, 516, 532, 548, 564, 580}
        << before + QList<int>{516, 532, 548, 564, 580} << QList<int>{500} << QList<int>{};
    // Painted unasked mid-stream, the stream's frames fall 5 ms after the text's time: the
    // next frame takes the text along, and the timer wakes only after the stream.
    QList<int> offset;
    for (int t = 0; t <= 900; t += 10)
        offset << t;
    QTest::newRow("a text due between two frames of a stream: the next frame shows it")
        << offset << before + QList<int>{340, 440, 545, 645, 745, 845, 945, 1245}
        << before + QList<int>{745, 1245} << QList<int>{445} << QList<int>{1245};
}

void TestPanel::frameGatePaces() {
    QFETCH(QList<int>, requests);
    QFETCH(QList<int>, frames);
    QFETCH(QList<int>, texts);
    QFETCH(QList<int>, unasked);
    QFETCH(QList<int>, woken);
    struct View : FrameView {
        QList<int> painted;
        QList<int> written;
        const FrameGate* gate = nullptr;
        const qint64* now = nullptr;
        bool textPending = false;
        qint64 shownMs = -1000;
        void paintFrame() override {
            painted << int(*now);
            if (!textPending)
                return;
            if (const qint64 wait = gate->textWaitMs(shownMs); wait > 0) {
                requestFrameAfter(wait);
                return;
            }
            written << int(*now);
            textPending = false;
        }
    } view;
    qint64 now = 0;
    view.now = &now;
    FrameGate gate([&] { return now; });
    view.gate = &gate;
    gate.add(view);
    QList<int> woke;
    // The test plays the timers: a due frame is painted once its time has come.
    for (; now <= requests.last() + 600; ++now) {
        if (requests.contains(int(now))) {
            view.textPending = true;
            view.requestFrame();
        }
        if (gate.laterTimerMs() >= 0 && gate.laterTimerMs() <= now) {
            woke << int(now);
            gate.takeDue();
        }
        if (unasked.contains(int(now)))
            gate.frame();
        if (gate.pending() && gate.dueMs() <= now)
            gate.frame();
        QVERIFY2(laterTimerKeepsItsPlace(gate), qPrintable(QString::number(now)));
    }
    QCOMPARE(view.painted, frames);
    QCOMPARE(view.written, texts);
    QCOMPARE(woke, woken);
    QCOMPARE(gate.frames(), quint64(frames.size() + unasked.size()));
}

void TestPanel::streamFramesComeWithTheReads() {
    // While data streams, the read that finds a frame due paints it; the gate's own timer
    // paints only the last frame of a stream, 50 ms after it fell due.
    qint64 now = 0;
    FrameGate gate([&] { return now; });
    struct View : FrameView {
        int painted = 0;
        void paintFrame() override { ++painted; }
    } view;
    gate.add(view);
    const auto stream = [&](qint64 until) {
        for (; now <= until; now += 10) {
            view.requestFrame();
            if (gate.pending() && gate.dueMs() <= now)
                gate.frame();
        }
    };
    stream(300);
    view.requestFrame();
    const int painted = view.painted;
    const qint64 due = gate.dueMs();
    QVERIFY(due > now);
    for (const qint64 at : {due - 1, due}) {
        now = at;
        gate.frameIfDue();
    }
    QCOMPARE(view.painted, painted + 1);
    QCOMPARE(gate.frames(), quint64(painted + 1));

    // After a quiet spell a frame is painted at once from the event loop, not by a read.
    now += 200;
    view.requestFrame();
    gate.frameIfDue();
    QCOMPARE(view.painted, painted + 1);
    QTRY_COMPARE(view.painted, painted + 2);

    // The stream's last frame: no read finds it due, its timer paints it.
    stream(now + 300);
    view.requestFrame();
    now = gate.dueMs();
    gate.frameIfDue();
    now += 99; // still the stream: due a millisecond later
    view.requestFrame();
    QCOMPARE(gate.dueMs(), now + 1);
    const int last = view.painted;
    QTest::qWait(30);
    QCOMPARE(view.painted, last);
    QTRY_COMPARE_WITH_TIMEOUT(view.painted, last + 1, 1000);
}

// Views that wait for a time while data streams are painted by the first frame of the stream at
// or after it, without a wake-up of their own; after the stream the gate's timer asks for it.
void TestPanel::waitingViewsRideOnTheStream() {
    qint64 now = 0;
    FrameGate gate([&] { return now; });
    struct Stream : FrameView {
        void paintFrame() override {}
    } stream;
    struct Waiting : FrameView {
        QList<int> painted;
        const qint64* now = nullptr;
        void paintFrame() override { painted << int(*now); }
    } early, late;
    early.now = late.now = &now;
    gate.add(stream);
    gate.add(early);
    gate.add(late);
    QList<int> woke;
    const auto run = [&](qint64 until, bool streaming) {
        for (; now <= until; ++now) {
            if (streaming && now % 10 == 0)
                stream.requestFrame();
            if (gate.laterTimerMs() >= 0 && gate.laterTimerMs() <= now) {
                woke << int(now);
                gate.takeDue();
            }
            if (gate.pending() && gate.dueMs() <= now)
                gate.frame();
            QVERIFY2(laterTimerKeepsItsPlace(gate), qPrintable(QString::number(now)));
        }
    };
    // Streamed for 400 ms: frames every 100 ms from 340 on, the next due at 440. Now is 401.
    run(400, true);
    QVERIFY(gate.pending());
    early.requestFrameAfter(299);
    early.requestFrameAfter(144); // the earlier of the two: 545
    late.requestFrameAfter(339);  // 740, a frame's own time
    QCOMPARE(gate.laterMs(), qint64(545));
    run(1000, true);
    QCOMPARE(early.painted, QList<int>{640});
    QCOMPARE(late.painted, QList<int>{740});
    QCOMPARE(woke, QList<int>{});
    // Just after the stream's last frame (at 1040) the timer waits as long as a frame of the
    // stream would come late, and then asks for the frame.
    run(1100, false);
    late.requestFrameAfter(50);
    QCOMPARE(gate.laterTimerMs(), qint64(1190));
    run(1300, false);
    QCOMPARE(late.painted, (QList<int>{740, 1190}));
    // After a quiet frame it asks at the time.
    early.requestFrameAfter(30);
    QCOMPARE(gate.laterTimerMs(), qint64(1331));
    run(1400, false);
    QCOMPARE(early.painted, (QList<int>{640, 1331}));
    QCOMPARE(woke, (QList<int>{1190, 1331}));
}

QTEST_MAIN(TestPanel)
#include "test_panel.moc"
