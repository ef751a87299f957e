#include "diag/changefeed.h"
#include "diag/numberwords.h"
#include "diag/speaker.h"
#include "diag/walktest.h"
#include "diag/walktestwindow.h"
#include "support/speakerdouble.h"

#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Runs a script on a walk test of module 1: "+3" input 3 goes active, "-3" inactive, a
// change 100 ms after the one before unless "@t" gives its time; "skip" and "stop" press the
// buttons. Returns each contact's result as its grid mark and the other input: "O F4 D2 .".
QString walk(const QList<int>& activeAtStart, const QString& script) {
    WalkTest test(1, 1);
    test.start(activeAtStart);
    qint64 time = 0;
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (step == u"skip") {
            test.skip();
            continue;
        }
        if (step == u"stop") {
            test.stop();
            continue;
        }
        const QStringList parts = step.mid(1).split(u'@');
        time = parts.size() > 1 ? parts[1].toLongLong() : time + 100;
        test.change(parts[0].toInt(), step.startsWith(u'+'), time);
    }
    QStringList marks;
    for (const WalkTest::Result& r : test.results())
        marks << outcomeMark(r.outcome) + (r.other ? QString::number(r.other) : QString());
    return marks.join(u' ');
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
    void speakerWithoutEngine();
};

void TestWalkTest::rules_data() {
    QTest::addColumn<QList<int>>("active");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected"); // the first contacts' results

    QTest::newRow("ok") << QList<int>{} << "+1 -1 +2 -2"
                        << "O O .";
    QTest::newRow("swapped contacts") << QList<int>{} << "+1 -1 +2 -2 +4 -4 +3 -3 +5 -5"
                                      << "O O F4 F3 O .";
    QTest::newRow("input of another module") << QList<int>{} << "+17 -17 +2 -2"
                                             << "F17 O .";
    QTest::newRow("two together, released in input order")
        << QList<int>{} << "+1 +2 -1 -2 +2 +1 -2 -1 +3 -3"
        << "D2 D1 O .";
    QTest::newRow("other comes while held") << QList<int>{} << "+1 +5 -5 -1"
                                            << "D5 .";
    QTest::newRow("several others while held: the first is named")
        << QList<int>{} << "+1 +5 +6 -6 -5 -1"
        << "D5 .";
    QTest::newRow("other active before the asked one is together") << QList<int>{} << "+5 +1 -5 -1"
                                                                   << "D5 .";
    QTest::newRow("several others before the asked one: the first is named")
        << QList<int>{} << "+6 +5 +1 -1 -5 -6"
        << "D6 .";
    QTest::newRow("one before and one while held: the one before is named")
        << QList<int>{} << "+5 +1 +6 -6 -5 -1"
        << "D5 .";
    QTest::newRow("stuck") << QList<int>{2} << "+1 -1 +3 -3"
                           << "O H O .";
    QTest::newRow("stuck at start") << QList<int>{1, 2} << ""
                                    << "H H .";
    QTest::newRow("active before the ask is not held against it") << QList<int>{9} << "+1 -9 -1"
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
}

void TestWalkTest::rules() {
    QFETCH(QList<int>, active);
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QCOMPARE(walk(active, script).left(expected.size()), expected);
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
    WalkTestWindow window(feed, speaker);
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
    QCOMPARE(window.request(), QStringLiteral("Aktivér modul 5, kontakt 3"));
    window.skipButton()->click();
    window.skipButton()->click();
    feed.publish(69, true, 3000);
    feed.publish(69, false, 3100);
    QCOMPARE(speaker.said,
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

QTEST_MAIN(TestWalkTest)
#include "test_walktest.moc"
