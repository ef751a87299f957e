// The virtual module's input pattern: a train moving one input a step over the configured
// modules, single inputs toggling now and then, and bursts that report exactly that.

#include "sim/pattern.h"
#include "support/testsupport.h"

#include <QSet>
#include <QTest>

using sim::Pattern;

class TestPattern : public QObject {
    Q_OBJECT

private slots:
    void sameSeedSameRun();
    void trainMovesOneInputPerStep_data();
    void trainMovesOneInputPerStep();
    void singleInputsToggle();
    void fewerModulesDropLitInputs();
    void burstDecodesToInputs_data();
    void burstDecodesToInputs();
    void walkTakesEachContactOnce_data();
    void walkTakesEachContactOnce();
};

void TestPattern::sameSeedSameRun() {
    Pattern a(42), b(42), other(43);
    a.setModules(10);
    b.setModules(10);
    other.setModules(10);
    bool differs = false;
    for (int i = 0; i < 200; ++i) {
        if (i == 100) { // a change of configuration keeps both runs in step
            a.setModules(3);
            b.setModules(3);
            other.setModules(3);
        }
        QCOMPARE(a.burst(), b.burst());
        differs = differs || a.burst() != other.burst();
        a.step();
        b.step();
        other.step();
    }
    QVERIFY2(differs, "another seed should toggle other inputs");
}

void TestPattern::trainMovesOneInputPerStep_data() {
    QTest::addColumn<int>("modules");
    QTest::newRow("one module") << 1;
    QTest::newRow("three modules") << 3;
    QTest::newRow("ten modules") << 10;
    QTest::newRow("most modules") << 255;
}

void TestPattern::trainMovesOneInputPerStep() {
    QFETCH(int, modules);
    Pattern p(5);
    p.setModules(modules);
    const int inputs = modules * 16;
    QSet<int> visited;
    int previousFirst = 0;
    for (int i = 0; i <= inputs + 5; ++i) {
        QList<int> train;
        for (int n = 1; n <= inputs; ++n) {
            if (p.inTrain(n)) {
                train << n;
                QVERIFY(p.isActive(n));
            }
        }
        QCOMPARE(train.size(), Pattern::kTrainLength);
        // The first car is the one whose predecessor (wrapping) is not in the train.
        int first = 0;
        for (int n : train) {
            if (!p.inTrain(n == 1 ? inputs : n - 1))
                first = n;
        }
        QVERIFY(first != 0);
        for (int k = 0; k < Pattern::kTrainLength; ++k)
            QVERIFY(p.inTrain((first - 1 + k) % inputs + 1));
        if (previousFirst != 0)
            QCOMPARE(first, previousFirst % inputs + 1);
        previousFirst = first;
        visited.insert(first);
        p.step();
    }
    QCOMPARE(visited.size(), inputs);
    QVERIFY(!p.isActive(0));
    QVERIFY(!p.isActive(inputs + 1));
}

void TestPattern::singleInputsToggle() {
    Pattern p(9);
    p.setModules(10);
    QSet<int> previous;
    int changes = 0;
    QSet<int> everLit;
    for (int i = 0; i < 240; ++i) { // a minute at four steps a second
        QSet<int> lit;
        for (int n = 1; n <= 160; ++n) {
            if (p.isLit(n))
                lit.insert(n);
        }
        QVERIFY(lit.size() <= Pattern::kMaxLit);
        QVERIFY(!p.isLit(161));
        if (lit != previous) {
            // One input at a time: at most one goes on and (for the oldest) one goes out.
            QVERIFY((lit - previous).size() <= 1);
            QVERIFY((previous - lit).size() <= 1);
            ++changes;
        }
        previous = lit;
        everLit += lit;
        p.step();
    }
    // Every 3 to 6 steps: between 40 and 80 toggles in 240 steps.
    QVERIFY2(changes >= 35 && changes <= 80, qPrintable(QString::number(changes)));
    QVERIFY(everLit.size() > 10);
}

void TestPattern::fewerModulesDropLitInputs() {
    Pattern p(3);
    p.setModules(10);
    for (int i = 0; i < 60; ++i)
        p.step();
    p.setModules(1);
    for (int n = 17; n <= 160; ++n)
        QVERIFY2(!p.isActive(n), qPrintable(QString::number(n)));
    p.setModules(0);
    QCOMPARE(p.burst(), bytes({'i', 0}));
    for (int n = 0; n <= 16; ++n)
        QVERIFY(!p.isActive(n));
}

void TestPattern::burstDecodesToInputs_data() {
    QTest::addColumn<int>("configured");
    QTest::addColumn<int>("modules");
    QTest::newRow("no modules") << 0 << 0;
    QTest::newRow("one module") << 1 << 1;
    QTest::newRow("ten modules") << 10 << 10;
    QTest::newRow("most modules") << 255 << 255;
    QTest::newRow("more than a burst holds") << 300 << 255;
    QTest::newRow("negative") << -1 << 0;
}

void TestPattern::burstDecodesToInputs() {
    QFETCH(int, configured);
    QFETCH(int, modules);
    Pattern p(11);
    p.setModules(configured);
    QCOMPARE(p.modules(), modules);
    for (int step = 0; step < 40; ++step) {
        const QByteArray burst = p.burst();
        QCOMPARE(burst.size(), 2 + 3 * modules);
        QCOMPARE(quint8(burst[0]), quint8(105));
        QCOMPARE(quint8(burst[1]), quint8(modules));
        QCOMPARE(reportedModules(burst), oneTo(modules));
        const QList<int> active = reportedInputs(burst);
        for (int n = 1; n <= modules * 16; ++n)
            QVERIFY2(active.contains(n) == p.isActive(n), qPrintable(QString::number(n)));
        QVERIFY(active.size() >= (modules > 0 ? Pattern::kTrainLength : 0));
        QVERIFY(active.size() <= Pattern::kTrainLength + Pattern::kMaxLit);
        p.step();
    }
}

void TestPattern::walkTakesEachContactOnce_data() {
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("stepsBefore"); // steps run before the counts come
    QTest::newRow("one module") << 1 << 0;
    QTest::newRow("two modules, counts after a while") << 2 << 7;
    QTest::newRow("no module") << 0 << 3;
}

// From the counts on: two quiet steps, then contact k alone for one step at step 2 + 4 (k - 1),
// each exactly once, from the first contact to the last, and nothing before, between or after.
void TestPattern::walkTakesEachContactOnce() {
    QFETCH(int, modules);
    QFETCH(int, stepsBefore);
    Pattern p(9);
    p.setWalk(true);
    p.setModules(3);
    for (int i = 0; i < stepsBefore; ++i)
        p.step();
    p.setModules(modules); // the walk starts afresh here
    const int inputs = modules * 16;
    for (int walked = 0; walked < 2 + 4 * inputs + 8; ++walked) {
        QList<int> active;
        for (int input = 1; input <= 160; ++input) {
            if (p.isActive(input))
                active << input;
        }
        const bool contact = walked >= 2 && (walked - 2) % 4 == 0 && (walked - 2) / 4 < inputs;
        const QList<int> expected = contact ? QList<int>{1 + (walked - 2) / 4} : QList<int>{};
        QVERIFY2(active == expected, qPrintable(QStringLiteral("step %1").arg(walked)));
        p.step();
    }
}

QTEST_GUILESS_MAIN(TestPattern)
#include "test_pattern.moc"
