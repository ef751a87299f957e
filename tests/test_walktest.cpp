#include "diag/changefeed.h"
#include "diag/historyfeed.h"
#include "diag/numberwords.h"
#include "diag/readable.h"
#include "diag/speaker.h"
#include "diag/walktest.h"
#include "diag/walktestwindow.h"
#include "history/changehistory.h"
#include "support/speakerdouble.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

// Runs a script on a walk test of module 1: "+3" input 3 goes active, "-3" inactive;
// "skip", "back", "repeat" and "stop" press the buttons; "tick" only lets time pass. Each step
// comes kStep after the one before unless "@t" gives its time. Changes before "go" (or "go@t")
// come before the test starts, which then asks at that time. At the end time passes (an
// answer waiting for its quiet is decided) unless the script ticks itself. Returns each
// contact's result as its grid mark and the other input: "O F4 D2 .", then " |" and the
// background inputs with their changes, "35x2", then " ~" and the inputs the test is waiting
// on at the last step, "3 4".
constexpr qint64 kStep = 600; // a hand between two contacts, beyond the quiet after an answer

QString walk(const QList<int>& activeAtStart, const QString& script) {
    WalkTest test(1, 1);
    const bool waits = script.contains(QStringLiteral("go"));
    if (!waits)
        test.start(activeAtStart);
    qint64 time = 0;
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        const QString what = step.section(u'@', 0, 0);
        time = step.contains(u'@') ? step.section(u'@', 1).toLongLong() : time + kStep;
        if (what == u"go")
            test.start(activeAtStart, time);
        else if (what == u"skip")
            test.skip(time);
        else if (what == u"back")
            test.back(time);
        else if (what == u"repeat")
            test.repeat(time);
        else if (what == u"stop")
            test.stop(time);
        else if (what == u"tick")
            test.tick(time);
        else
            test.change(what.mid(1).toInt(), step.startsWith(u'+'), time);
    }
    const QList<int> restless = test.restless(time);
    if (!script.contains(QStringLiteral("tick")))
        test.tick(time + 100000);
    QStringList marks;
    for (const WalkTest::Result& r : test.results())
        marks << outcomeMark(r.outcome) + (r.other ? QString::number(r.other) : QString());
    QString out = marks.join(u' ');
    if (!test.background().isEmpty()) {
        out += QStringLiteral(" |");
        for (auto it = test.background().begin(); it != test.background().end(); ++it)
            out += QStringLiteral(" %1x%2").arg(it.key()).arg(it.value());
    }
    if (!restless.isEmpty()) {
        out += QStringLiteral(" ~");
        for (int n : restless)
            out += QStringLiteral(" %1").arg(n);
    }
    return out;
}

} // namespace

class TestWalkTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void numberWords_data();
    void numberWords();
    void windowGuidesAndSpeaks();
    void windowWaitsForQuiet();
    void restlessTexts_data();
    void restlessTexts();
    void windowKeysSummaryAndQuestions();
    void summary_data();
    void summary();
    void speakerWithoutEngine();
    void namesInRequestReportAndSpeech();
    void requestGrowsWithWindow_data();
    void requestGrowsWithWindow();
    void mnemonicsAndTabOrder();
    void mnemonicsTakeFreeLetters_data();
    void mnemonicsTakeFreeLetters();
    void feedTellsTheHistorysTime();
};

void TestWalkTest::rules_data() {
    QTest::addColumn<QList<int>>("active");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected"); // the first contacts' results

    QTest::newRow("ok") << QList<int>{} << "+1 -1 +2 -2"
                        << "O O .";
    QTest::newRow("swapped contacts") << QList<int>{} << "+1 -1 +2 -2 +4 -4 +3 -3 +5 -5"
                                      << "O O F4 F3 O .";
    QTest::newRow("input of another module is background")
        << QList<int>{} << "+17 -17 +1 -1"
        << "O . . . . . . . . . . . . . . . | 17x2";
    QTest::newRow("a train outside the module, then the asked one")
        << QList<int>{} << "+35 +36 -35 +37 -36 +1 +38 -37 -1 +39 -38 +2 -2 -39"
        << "O O . . . . . . . . . . . . . . | 35x2 36x2 37x2 38x2 39x2";
    QTest::newRow("a swapped pair beside a train outside")
        << QList<int>{} << "+1 -1 +40 +3 -40 -3 +41 +2 -41 -2 +4 -4"
        << "O F3 F2 O . . . . . . . . . . . . | 40x2 41x2";
    QTest::newRow("chattering in the module before the request is background")
        << QList<int>{} << "+5@0 -5@50 +5@100 -5@150 go@3000 +5@3100 -5@3150 +1@4200 -1@4300"
        << "O . . . . . . . . . . . . . . . | 5x2";
    QTest::newRow("own change 4999 ms before the request: background")
        << QList<int>{} << "+5@0 -5@51 go@5050 +5@5100 -5@5200"
        << ". . . . . . . . . . . . . . . . | 5x2";
    QTest::newRow("own change 5000 ms before the request: background")
        << QList<int>{} << "+5@0 -5@50 go@5050 +5@5100 -5@5200"
        << ". . . . . . . . . . . . . . . . | 5x2";
    QTest::newRow("own change 5001 ms before the request: an answer")
        << QList<int>{} << "+5@0 -5@49 go@5050 +5@5100 -5@5200"
        << "F5 .";
    QTest::newRow("a lit coach goes out and comes back: background")
        << QList<int>{7} << "-7 +7 +1@2300 -1"
        << "O . . . . . . . . . . . . . . . | 7x1";
    QTest::newRow("background while the asked one is held is not together")
        << QList<int>{} << "+1 +40 -40 -1"
        << "O . . . . . . . . . . . . . . . | 40x2";
    // A train one input every 700 ms through the module: each input quiet long before it.
    const QString train = "+1@0 -1@700 +2@700 -2@1400 +3@1400 -3@2100 +4@2100 -4@2800 +5@2800 "
                          "-5@3500 +6@3500";
    QTest::newRow("a train through the module answers nothing")
        << QList<int>{} << train << ". . . . . . . . . . . . . . . . ~ 4 5 6";
    QTest::newRow("a train the other way answers nothing")
        << QList<int>{} << "+9@0 -9@700 +8@700 -8@1400 +7@1400 -7@2100 +6@2100"
        << ". . . . . . . . . . . . . . . . ~ 6 7 8";
    QTest::newRow("a train over two inputs at once answers nothing")
        << QList<int>{} << "+3@0 +4@600 -3@700 +5@1300 -4@1400 +6@2000 -5@2100"
        << ". . . . . . . . . . . . . . . . ~ 4 5 6";
    QTest::newRow("the train gone 999 ms: still waiting")
        << QList<int>{} << train + " tick@4499"
        << ". . . . . . . . . . . . . . . . ~ 4 5 6";
    QTest::newRow("the train gone 1000 ms: asked again") << QList<int>{} << train + " tick@4500"
                                                         << ". . . . . . . . . . . . . . . .";
    QTest::newRow("after the train, an answer in quiet counts")
        << QList<int>{} << train + " +1@4500 -1@4600 tick@5100"
        << "O . . . . . . . . . . . . . . .";
    QTest::newRow("after the train, a wrong input in quiet counts")
        << QList<int>{} << train + " +7@4500 -7@4600 tick@5100"
        << "F7 . . . . . . . . . . . . . . .";
    QTest::newRow("another input 499 ms after the release: dropped")
        << QList<int>{} << "+1@0 -1@100 +2@599 -2@700"
        << ". . . . . . . . . . . . . . . . ~ 1 2";
    QTest::newRow("another input 500 ms after the release: both answers")
        << QList<int>{} << "+1@0 -1@100 +2@600 -2@700"
        << "O O .";
    QTest::newRow("another input 501 ms after the release: both answers")
        << QList<int>{} << "+1@0 -1@100 +2@601 -2@700"
        << "O O .";
    QTest::newRow("its own bounce within the quiet after is no unrest")
        << QList<int>{} << "+1@0 -1@100 +1@400 -1@420 +2@1000 -2@1100"
        << "O O .";
    QTest::newRow("decided 499 ms after the release: not yet")
        << QList<int>{} << "+1@0 -1@100 tick@599"
        << ". .";
    QTest::newRow("decided 500 ms after the release") << QList<int>{} << "+1@0 -1@100 tick@600"
                                                      << "O .";
    QTest::newRow("stopped within the quiet after: not decided")
        << QList<int>{} << "+1@0 -1@100 stop@599"
        << ". .";
    QTest::newRow("stopped after the quiet after: decided")
        << QList<int>{} << "+1@0 -1@100 stop@600"
        << "O .";
    const QString chatter = "+5@0 -5@50 go@3000 +5@3100 -5@3150 ";
    QTest::newRow("module input moved 999 ms before the press: dropped")
        << QList<int>{} << chatter + "+1@4149 -1@4250"
        << ". . . . . . . . . . . . . . . . | 5x2 ~ 1";
    QTest::newRow("module input moved 1000 ms before the press: an answer")
        << QList<int>{} << chatter + "+1@4150 -1@4250"
        << "O . . . . . . . . . . . . . . . | 5x2";
    QTest::newRow("module input moved 1001 ms before the press: an answer")
        << QList<int>{} << chatter + "+1@4151 -1@4250"
        << "O . . . . . . . . . . . . . . . | 5x2";
    QTest::newRow("a short within 249 ms") << QList<int>{} << "+1@0 +2@249 -1@300 -2@400"
                                           << "D2 .";
    QTest::newRow("a short within 250 ms") << QList<int>{} << "+1@0 +2@250 -1@300 -2@400"
                                           << "D2 .";
    QTest::newRow("a second input 251 ms later is unrest")
        << QList<int>{} << "+1@0 +2@251 -1@300 -2@400"
        << ". . . . . . . . . . . . . . . . ~ 1 2";
    QTest::newRow("an input held from before let go during the answer")
        << QList<int>{9} << "+1@0 -9@100 -1@200"
        << ". . . . . . . . . . . . . . . . ~ 1 9";
    QTest::newRow("a chattering input outside the module is no unrest")
        << QList<int>{} << "+1@0 +40@50 -40@100 -1@150 +40@200 -40@250 +2@750 +40@800 -2@850"
        << "O O . . . . . . . . . . . . . . | 40x5";
    QTest::newRow("back: the contact before is asked again")
        << QList<int>{} << "+1 -1 +3 -3 back +2 -2 +3 -3"
        << "O O O .";
    QTest::newRow("back at the first contact asks it again") << QList<int>{} << "back +1 -1"
                                                             << "O .";
    QTest::newRow("back after a skip") << QList<int>{} << "skip skip back +2 -2"
                                       << "S O .";
    QTest::newRow("repeat forgets a half answer") << QList<int>{} << "+4 repeat -4 +1@3000 -1"
                                                  << "O .";
    QTest::newRow("without repeat the half answer counts") << QList<int>{} << "+4 -4 +1 -1"
                                                           << "F4 F1 .";
    QTest::newRow("two together, released in input order")
        << QList<int>{} << "+1@100 +2@200 -1@300 -2@400 +2@1000 +1@1100 -2@1200 -1@1300 +3 -3"
        << "D2 D1 O .";
    QTest::newRow("other comes while held") << QList<int>{} << "+1@100 +5@200 -5@300 -1@400"
                                            << "D5 .";
    QTest::newRow("several others while held: the first is named")
        << QList<int>{} << "+1@100 +5@200 +6@300 -6@400 -5@500 -1@600"
        << "D5 .";
    QTest::newRow("other active before the asked one is together")
        << QList<int>{} << "+5@100 +1@200 -5@300 -1@400"
        << "D5 .";
    QTest::newRow("several others before the asked one: the first is named")
        << QList<int>{} << "+6@100 +5@200 +1@300 -1@400 -5@500 -6@600"
        << "D6 .";
    QTest::newRow("one before and one while held: the one before is named")
        << QList<int>{} << "+5@100 +1@200 +6@300 -6@400 -5@500 -1@600"
        << "D5 .";
    QTest::newRow("stuck") << QList<int>{2} << "+1 -1 +3 -3"
                           << "O H O .";
    QTest::newRow("stuck at start") << QList<int>{1, 2} << ""
                                    << "H H .";
    QTest::newRow("active before the ask is not held against it")
        << QList<int>{9} << "+1 -1 -9@5000"
        << "O .";
    QTest::newRow("skip") << QList<int>{} << "skip +2 -2"
                          << "S O .";
    QTest::newRow("bounce after the release")
        << QList<int>{} << "+1@0 -1@100 +1@150 -1@180 +2@1000 -2@1100"
        << "O O .";
    QTest::newRow("the same input later is a wrong input")
        << QList<int>{} << "+1@0 -1@100 +1@900 -1@1000"
        << "O F1 .";
    QTest::newRow("change while nothing is asked") << QList<int>{} << "+1 -1 stop +2 -2 +3 -3"
                                                   << "O . . .";
    QTest::newRow("back and repeat while nothing is asked")
        << QList<int>{} << "+1 -1 stop back repeat +2 -2"
        << "O . . .";
}

void TestWalkTest::rules() {
    QFETCH(QList<int>, active);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    const QString walked = walk(active, script);
    QCOMPARE(walked.left(expected.size()), expected);
    // Waiting for quiet, or not, as expected.
    QCOMPARE(walked.contains(u'~'), expected.contains(u'~'));
}

void TestWalkTest::numberWords_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("words");
    const QList<std::pair<int, const char*>> danish = {{0, "nul"},
                                                       {1, "en"},
                                                       {12, "tolv"},
                                                       {16, "seksten"},
                                                       {19, "nitten"},
                                                       {20, "tyve"},
                                                       {21, "enogtyve"},
                                                       {48, "otteogfyrre"},
                                                       {50, "halvtreds"},
                                                       {73, "treoghalvfjerds"},
                                                       {80, "firs"},
                                                       {99, "nioghalvfems"},
                                                       {100, "hundrede"},
                                                       {101, "hundrede og en"},
                                                       {173, "hundrede og treoghalvfjerds"},
                                                       {200, "to hundrede"},
                                                       {999, "ni hundrede og nioghalvfems"},
                                                       {1000, "1000"},
                                                       {-1, "-1"}};
    const QList<std::pair<int, const char*>> english = {{0, "zero"},
                                                        {1, "one"},
                                                        {13, "thirteen"},
                                                        {19, "nineteen"},
                                                        {20, "twenty"},
                                                        {21, "twenty-one"},
                                                        {40, "forty"},
                                                        {73, "seventy-three"},
                                                        {99, "ninety-nine"},
                                                        {100, "one hundred"},
                                                        {101, "one hundred and one"},
                                                        {115, "one hundred and fifteen"},
                                                        {160, "one hundred and sixty"},
                                                        {161, "one hundred and sixty-one"},
                                                        {200, "two hundred"},
                                                        {999, "nine hundred and ninety-nine"},
                                                        {1000, "1000"},
                                                        {-1, "-1"}};
    const QList<std::pair<int, const char*>> german = {{0, "null"},
                                                       {1, "eins"},
                                                       {11, "elf"},
                                                       {16, "sechzehn"},
                                                       {17, "siebzehn"},
                                                       {19, "neunzehn"},
                                                       {20, "zwanzig"},
                                                       {21, "einundzwanzig"},
                                                       {30, "dreißig"},
                                                       {35, "fünfunddreißig"},
                                                       {73, "dreiundsiebzig"},
                                                       {99, "neunundneunzig"},
                                                       {100, "einhundert"},
                                                       {101, "einhunderteins"},
                                                       {116, "einhundertsechzehn"},
                                                       {121, "einhunderteinundzwanzig"},
                                                       {160, "einhundertsechzig"},
                                                       {200, "zweihundert"},
                                                       {999, "neunhundertneunundneunzig"},
                                                       {1000, "1000"},
                                                       {-1, "-1"}};
    const QList<std::pair<Language, const QList<std::pair<int, const char*>>*>> tables = {
        {Language::Danish, &danish}, {Language::English, &english}, {Language::German, &german}};
    for (const auto& [language, rows] : tables) {
        for (const auto& [n, words] : *rows)
            QTest::addRow("%s %d", qPrintable(language::code(language)), n)
                << int(language) << n << QString::fromUtf8(words);
    }
}

void TestWalkTest::numberWords() {
    QFETCH(int, language);
    QFETCH(int, n);
    QFETCH(QString, words);
    QCOMPARE(::numberWords(n, Language(language)), words);
    if (Language(language) == Language::Danish)
        QCOMPARE(danishNumber(n), words);
}

// The window on module 5: it asks, speaks, moves on, and saves what it found.
void TestWalkTest::windowGuidesAndSpeaks() {
    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    feed.publish(70, true, 0); // active before the test: contact 6 is stuck
    window.fromModule()->setValue(5);
    window.toModule()->setValue(5);
    window.startButton()->click();
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 1"));
    QVERIFY(speaker.guiding);
    feed.publish(65, true, 1000);
    feed.publish(65, false, 1100);
    feed.publish(67, true, 2000); // contact 2 is wired to contact 3
    feed.publish(67, false, 2100);
    // Decided once the quiet after the release has passed, with no change to say so.
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 2"));
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 3"));
    window.skipButton()->click();
    window.skipButton()->click();
    feed.publish(69, true, 3000);
    feed.publish(69, false, 3100);
    QTRY_COMPARE(
        speaker.said,
        QStringList({"modul fem, kontakt en", "<OK>", "modul fem, kontakt to", "<fejl>",
                     "kom som modul fem, kontakt tre", "modul fem, kontakt tre",
                     "modul fem, kontakt fire", "modul fem, kontakt fem", "<OK>", "<fejl>",
                     "modul fem, kontakt seks er allerede aktiv", "modul fem, kontakt syv"}));
    window.stopButton()->click();
    QVERIFY(!speaker.guiding);
    QVERIFY(window.reportShown().contains(
        QStringLiteral("Modul 5, kontakt 2 (indgang 66): forkert: kom som 5.3 (indgang 67)")));
    QVERIFY(window.reportShown().contains(QStringLiteral("Modul  5   O  F  S  S  O  H  .")));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("walk.csv"));
    QVERIFY(window.saveReport(csv));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.value(0), "module,contact,input,result,other_input");
    QCOMPARE(lines.value(2), "5,2,66,wrong_input,67");
    QCOMPARE(lines.value(7), "5,7,71,untested,");
    QString error;
    QVERIFY(!window.saveReport(dir.filePath(QStringLiteral("no/such/dir/walk.txt")), &error));
    QVERIFY2(error.contains(QStringLiteral("Kunne ikke gemme")), qPrintable(error));
}

// A train through module 5: the window says in large type what moves and that it waits, and
// asks again by itself once the module has been quiet for a second.
void TestWalkTest::windowWaitsForQuiet() {
    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    window.fromModule()->setValue(5);
    window.toModule()->setValue(5);
    window.startButton()->click();
    for (int input = 65; input <= 70; ++input) {
        const qint64 at = 10000 + (input - 65) * 700;
        if (input > 65)
            feed.publish(input - 1, false, at);
        feed.publish(input, true, at);
    }
    QCOMPARE(window.request(),
             QStringLiteral("Uro på modul 5: 3 indgange skifter – venter\n5.4, 5.5, 5.6"));
    QCOMPARE(window.test()->current(), 0);
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 1"));
    QVERIFY(std::all_of(window.test()->results().begin(), window.test()->results().end(),
                        [](const auto& r) { return r.outcome == WalkTest::Outcome::Untested; }));
}

void TestWalkTest::restlessTexts_data() {
    QTest::addColumn<QList<int>>("inputs");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("one") << QList<int>{17} << "Uro på modul 2: 1 indgang skifter – venter\n2.1";
    QTest::newRow("two modules") << QList<int>{16, 17}
                                 << "Uro på modul 1, 2: 2 indgange skifter – venter\n1.16, 2.1";
}

void TestWalkTest::restlessTexts() {
    QFETCH(QList<int>, inputs);
    QFETCH(QString, text);
    QCOMPARE(restlessText(inputs), text);
}

// Module 2 with 2.2 and 2.9 swapped and 2.3 not answering, run from the keyboard beside a
// chattering input of module 3; then what the report says and the questions before an
// unsaved report is thrown away.
void TestWalkTest::windowKeysSummaryAndQuestions() {
    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.setConfiguredModules(3); // Left + Mid + Right
    QCOMPARE(window.fromModule()->value(), 1);
    QCOMPARE(window.toModule()->value(), 3);
    window.setConfiguredModules(14);
    QCOMPARE(window.toModule()->value(), 13);
    window.setConfiguredModules(13);
    QCOMPARE(window.toModule()->value(), 13);
    window.toModule()->setValue(2);
    window.fromModule()->setValue(2);
    QVERIFY(window.skipButton()->text().contains(QStringLiteral("Mellemrum")));
    QVERIFY(window.backButton()->text().contains(QStringLiteral("Backspace")));
    QVERIFY(window.stopButton()->text().contains(QStringLiteral("Esc")));
    QVERIFY(window.repeatButton()->text().startsWith(QStringLiteral("Gentag")));

    qint64 t = 0;
    const auto pulse = [&](int input) {
        feed.publish(input, true, t += 600); // a hand's way from the contact before
        feed.publish(40, true, t += 10);     // module 3 chatters all along
        feed.publish(input, false, t += 100);
        feed.publish(40, false, t += 10);
    };
    // Keys go where the focus is, as from a keyboard; they work though a spin box had it.
    const auto press = [&](Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : &window, key);
    };
    window.fromModule()->setFocus();
    window.startButton()->click();
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 2, kontakt 1"));
    pulse(17);
    pulse(25); // 2.2 comes as 2.9
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 2, kontakt 3"));
    press(Qt::Key_Backspace);
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 2, kontakt 2"));
    QCOMPARE(window.test()->results().at(1).outcome, WalkTest::Outcome::Untested);
    t += 1000;
    pulse(25);
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 2, kontakt 3"));
    const qsizetype said = speaker.said.size();
    press(Qt::Key_G);
    QCOMPARE(speaker.said.mid(said), QStringList{QStringLiteral("modul to, kontakt tre")});
    press(Qt::Key_Space); // 2.3 gives nothing
    for (int input = 20; input <= 24; ++input)
        pulse(input);
    pulse(18); // 2.9 comes as 2.2
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 2, kontakt 10"));
    press(Qt::Key_Escape);
    QVERIFY(!window.test()->running());

    const QStringList report = window.reportShown().split(u'\n');
    QVERIFY2(report.value(0).startsWith(QStringLiteral("Gennemgang ")), qPrintable(report[0]));
    QVERIFY2(report.value(0).endsWith(QStringLiteral(", modul 2")), qPrintable(report[0]));
    QCOMPARE(report.value(1),
             QStringLiteral("2.2 og 2.9 er byttet om; 2.3 svarer ikke (7 ikke testet)"));
    QVERIFY(window.reportShown().contains(
        QStringLiteral("Aktivitet udenfor testen (ikke brugt som svar):\n3.8 (indgang 40): ")));

    // Start again: asked first; "Nej" keeps the report.
    QVERIFY(window.unsaved());
    messages.answer = false;
    window.startButton()->click();
    QCOMPARE(messages.asked, QStringList{QStringLiteral(
                                 "Rapporten er ikke gemt. Start en ny gennemgang alligevel?")});
    QVERIFY(!window.test()->running());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(messages.asked.last(), QStringLiteral("Rapporten er ikke gemt. Luk alligevel?"));
    QTemporaryDir dir;
    QVERIFY(window.saveReport(dir.filePath(QStringLiteral("walk.txt"))));
    QVERIFY(!window.unsaved());
    window.startButton()->click();
    QVERIFY(window.test()->running());
    QCOMPARE(messages.asked.size(), 2);
    // Nothing answered yet: nothing to lose.
    QVERIFY(!window.unsaved());
    QVERIFY(window.close());
    QCOMPARE(messages.asked.size(), 2);
}

void TestWalkTest::summary_data() {
    QTest::addColumn<QList<int>>("active");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all well") << QList<int>{} << "+1 -1 +2 -2 stop"
                              << "Ingen fejl fundet (14 ikke testet)";
    QTest::newRow("nothing tested") << QList<int>{} << "stop"
                                    << "Intet testet";
    QTest::newRow("one way only") << QList<int>{} << "+5 -5 stop"
                                  << "1.1 kom som 1.5 (15 ikke testet)";
    QTest::newRow("together") << QList<int>{} << "+1@0 +2@100 -2@200 -1@300 stop"
                              << "1.1 giver også 1.2 (15 ikke testet)";
    QTest::newRow("stuck") << QList<int>{2} << "+1 -1 stop"
                           << "1.2 sidder fast (14 ikke testet)";
    QTest::newRow("swapped and one way") << QList<int>{} << "+2 -2 +1 -1 +5 -5 stop"
                                         << "1.1 og 1.2 er byttet om; 1.3 kom som 1.5 "
                                            "(13 ikke testet)";
}

void TestWalkTest::summary() {
    QFETCH(QList<int>, active);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    WalkTest test(1, 1);
    test.start(active);
    qint64 t = 0;
    for (const QString& step : script.split(u' ')) {
        t = step.contains(u'@') ? step.section(u'@', 1).toLongLong() : t + kStep;
        if (step == u"stop")
            test.stop(t);
        else
            test.change(step.section(u'@', 0, 0).mid(1).toInt(), step.startsWith(u'+'), t);
    }
    QCOMPARE(reportSummary(test.results()), expected);
}

// Without an engine: disabled with what to install, and the cues are the bell.
void TestWalkTest::speakerWithoutEngine() {
    TtsSpeaker speaker(QStringLiteral("no-such-engine"), nullptr);
    int bells = 0;
    speaker.setBell([&bells] { ++bells; });
    QVERIFY(!speaker.available());
    QVERIFY(speaker.unavailableReason().contains(QStringLiteral("espeak-ng")));
    speaker.setEnabled(true);
    QVERIFY(!speaker.isEnabled());
    speaker.cue(Speaker::Cue::Ok);
    QCOMPARE(bells, 1);
    speaker.cue(Speaker::Cue::Fault);
    QTRY_COMPARE_WITH_TIMEOUT(bells, 4, 2000);
    QTest::qWait(400); // no further bell
    QCOMPARE(bells, 4);
}

// Names after the contact in the request and the report, and after the number read aloud.
void TestWalkTest::namesInRequestReportAndSpeech() {
    names::Names names;
    names.setName(73, QStringLiteral("Blok 3 øst"));
    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    window.setNames(&names);
    window.fromModule()->setValue(5);
    window.toModule()->setValue(5);
    window.startButton()->click();
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 1"));
    for (int contact = 1; contact < 9; ++contact) {
        feed.publish(64 + contact, true, contact * 1000);
        feed.publish(64 + contact, false, contact * 1000 + 100);
    }
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 9: Blok 3 øst"));
    feed.publish(73, true, 9000);
    feed.publish(73, false, 9100);
    QTRY_COMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 10"));
    WalkTest test(5, 5);
    QList<WalkTest::Result> results = test.results();
    const QString report = reportText(results, &names);
    QVERIFY2(report.contains(QStringLiteral("Modul 5, kontakt 9 (indgang 73, Blok 3 øst): ")),
             qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("Modul 5, kontakt 8 (indgang 72): ")));
    QCOMPARE(changeText(73, true, names.name(73)),
             QStringLiteral("treoghalvfjerds, Blok 3 øst, aktiv"));
    QCOMPARE(changeText(72, false, names.name(72)), QStringLiteral("tooghalvfjerds inaktiv"));
}

void TestWalkTest::requestGrowsWithWindow_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("request"); // points
    QTest::addColumn<int>("last");

    QTest::newRow("as opened") << QSize(820, 640) << 30 << 16;
    QTest::newRow("a pixel narrower: never smaller") << QSize(819, 640) << 30 << 16;
    QTest::newRow("lower") << QSize(820, 400) << 30 << 16;
    QTest::newRow("wider only: the height holds it") << QSize(1640, 640) << 30 << 16;
    QTest::newRow("twice the size") << QSize(1640, 1280) << 60 << 32;
    QTest::newRow("full HD, maximised") << QSize(1920, 1050) << 49 << 26;
    QTest::newRow("1920 x 1200") << QSize(1920, 1200) << 56 << 30;
    QTest::newRow("4K") << QSize(3840, 2100) << 98 << 53;
    QTest::newRow("at the ceiling") << QSize(4373, 3412) << 160 << 85;
    QTest::newRow("past the ceiling") << QSize(8000, 8000) << 160 << 156;
}

void TestWalkTest::requestGrowsWithWindow() {
    QFETCH(QSize, size);
    QFETCH(int, request);
    QFETCH(int, last);
    QCOMPARE(readable::requestPoints(size), request);
    QCOMPARE(readable::lastPoints(size), last);

    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The window is never narrower than its controls need in the font the machine has, so it
    // may open (and stay) wider than 820: the request follows the size it really has.
    const QSize least = window.minimumSizeHint();
    const QSize opened = QSize(820, 640).expandedTo(least);
    QCOMPARE(window.size(), opened);
    QCOMPARE(window.requestFont().pointSize(), readable::requestPoints(opened)); // as opened
    window.resize(size);
    const QSize shown = size.expandedTo(least);
    QTRY_COMPARE(window.size(), shown);
    QCOMPARE(window.requestFont().pointSize(),
             shown == size ? request : readable::requestPoints(shown));
    QVERIFY(window.requestFont().bold());
}

void TestWalkTest::mnemonicsAndTabOrder() {
    ChangeFeed feed;
    SpeakerDouble speaker;
    CapturedMessages messages;
    WalkTestWindow window(feed, speaker, messages);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Start and Gem… by Alt+letter; the others keep their own keys.
    QCOMPARE(window.startButton()->text(), QStringLiteral("&Start"));
    QStringList captions;
    for (const QPushButton* b : window.findChildren<QPushButton*>())
        captions << b->text();
    QVERIFY2(captions.contains(QStringLiteral("G&em…")), qPrintable(captions.join(u'|')));
    QCOMPARE(window.repeatButton()->text(), QStringLiteral("Gentag (G)"));

    // Tab: the range, Start, (Gem…,) the report, and round again.
    QStringList order;
    QWidget* current = window.fromModule();
    current->setFocus();
    for (int i = 0; i < 6; ++i) {
        order << QString::fromLatin1(current->metaObject()->className()) + u' ' +
                     (qobject_cast<QPushButton*>(current)
                          ? static_cast<QPushButton*>(current)->text()
                          : QString());
        QTest::keyClick(current, Qt::Key_Tab);
        QTRY_VERIFY(QApplication::focusWidget() != current);
        current = QApplication::focusWidget();
    }
    // Gem… waits for a report, and Tab passes it while it is disabled.
    QCOMPARE(order, (QStringList{"QSpinBox ", "QSpinBox ", "QPushButton &Start", "QPlainTextEdit ",
                                 "QSpinBox ", "QSpinBox "}));
    QWidget* next = window.startButton()->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus))
        next = next->nextInFocusChain();
    QCOMPARE(next->property("text").toString(), QStringLiteral("G&em…"));

    // Alt+S starts the test.
    window.fromModule()->setValue(2);
    window.toModule()->setValue(2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(window.test()); // a mnemonic clicks as the button shows it pressed
    QCOMPARE(window.test()->firstModule(), 2);
}

void TestWalkTest::mnemonicsTakeFreeLetters_data() {
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QStringList>("marked");

    QTest::newRow("first letters") << QStringList{"Nu", "Alle", "Gem billede…"} << QString()
                                   << QStringList{"&Nu", "&Alle", "&Gem billede…"};
    QTest::newRow("a letter taken")
        << QStringList{"Start", "Gem…"} << "g" << QStringList{"&Start", "G&em…"};
    QTest::newRow("same first letter")
        << QStringList{"Gem", "Gentag"} << QString() << QStringList{"&Gem", "G&entag"};
    QTest::newRow("upper and lower case are one letter")
        << QStringList{"Eksportér…", "eksport"} << QString()
        << QStringList{"&Eksportér…", "e&ksport"};
    QTest::newRow("Danish letter")
        << QStringList{"Åbn", "åben"} << QString() << QStringList{"&Åbn", "å&ben"};
    QTest::newRow("digits and signs skipped")
        << QStringList{"1: …Ok"} << QString() << QStringList{"1: …&Ok"};
    QTest::newRow("second letter")
        << QStringList{"ab", "ab"} << QString() << QStringList{"&ab", "a&b"};
    QTest::newRow("no free letter left")
        << QStringList{"ab", "ba", "ab"} << QString() << QStringList{"&ab", "&ba", "ab"};
    QTest::newRow("already has one")
        << QStringList{"Ny&t", "Nu"} << QString() << QStringList{"Ny&t", "&Nu"};
}

void TestWalkTest::mnemonicsTakeFreeLetters() {
    QFETCH(QStringList, captions);
    QFETCH(QString, taken);
    QFETCH(QStringList, marked);
    QList<QAbstractButton*> buttons;
    std::vector<std::unique_ptr<QPushButton>> owned;
    for (const QString& caption : captions) {
        owned.push_back(std::make_unique<QPushButton>(caption));
        buttons << owned.back().get();
    }
    readable::addMnemonics(buttons, taken);
    QStringList got;
    for (const QAbstractButton* b : buttons)
        got << b->text();
    QCOMPARE(got, marked);
}

// A feed that follows the history tells the history's time (a replay's recorded one included),
// not the time since its last change, and publishing reads no clock.
void TestWalkTest::feedTellsTheHistorysTime() {
    ScriptedSerialControl serial;
    ChangeHistory history([&serial] { return serial.clockMs(); });
    qint64 t = 0;
    history.setClock([&t] { return t; });
    ChangeFeed feed;
    followHistory(history, feed);
    t = 5000;
    const qint64 at5000 = history.nowMs();
    QCOMPARE(feed.nowMs(), at5000);
    t = 5001;
    QCOMPARE(feed.nowMs(), at5000 + 1);
    QTest::qWait(20); // the feed's own timer would have moved on
    QCOMPARE(feed.nowMs(), at5000 + 1);
}

QTEST_MAIN(TestWalkTest)
#include "test_walktest.moc"
