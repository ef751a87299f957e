// The command line as parsed, and as the program answers it when there is no display.

#include "launch/commandline.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <unistd.h>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void report_data();
    void report();
    void picture_data();
    void picture();
    void programWithoutDisplay_data();
    void programWithoutDisplay();
    void storedLanguage_data();
    void storedLanguage();
    void speed_data();
    void speed();
    void recordingIntoTheReplay_data();
    void recordingIntoTheReplay();
    void windowNeeds_data();
    void windowNeeds();
};

namespace {
constexpr int kWindow = -1; // the window opens
constexpr int kReport = -2; // a report on a recording runs, no window
} // namespace

void TestCommandLine::parse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // kWindow, or what is printed ends with
    QTest::addColumn<QString>("text"); // part of what is printed
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<bool>("simulate");

    const QStringList none;
    QTest::newRow("nothing opens the window") << none << kWindow << "" << none << false;
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: s88monitor [options]\n"
                            << none << false;
    QTest::newRow("-h lists the options")
        << QStringList{"-h"} << 0 << "--port <N=DEVICE>" << none << false;
    QTest::newRow("help wins over a bad port")
        << QStringList{"--port", "9=x", "--help"} << 0 << "--simulate" << none << false;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "s88monitor 1." << none << false;
    QTest::newRow("-v") << QStringList{"-v"} << 0 << "s88monitor 1." << none << false;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2
                                    << "s88monitor: Unknown option 'bogus'.\n"
                                       "Try 's88monitor --help'.\n"
                                    << none << false;
    QTest::newRow("--port without its value")
        << QStringList{"--port"} << 2 << "Missing value after '--port'" << none << false;
    QTest::newRow("port 9") << QStringList{"--port", "9=/dev/ttyS0"} << 2
                            << "--port 9=/dev/ttyS0: expected N=DEVICE with N from 1 to 8" << none
                            << false;
    QTest::newRow("a stray argument") << QStringList{"/dev/ttyUSB0"} << 2
                                      << "unexpected argument '/dev/ttyUSB0'" << none << false;
    QTest::newRow("ports in the order given")
        << QStringList{"--port", "2=/dev/ttyUSB1", "--port=1=/dev/serial/by-id/a=b"} << kWindow
        << "" << QStringList{"2=/dev/ttyUSB1", "1=/dev/serial/by-id/a=b"} << false;
    QTest::newRow("--simulate") << QStringList{"--simulate"} << kWindow << "" << none << true;
    QTest::newRow("--language de")
        << QStringList{"--language", "de", "--simulate"} << kWindow << "" << none << true;
    QTest::newRow("--language of no known kind")
        << QStringList{"--language", "nl"} << 2 << "--language nl: expected one of da, en, de"
        << none << false;
    QTest::newRow("--language in capitals")
        << QStringList{"-language=EN"} << 2 << "--language EN: expected one of da, en, de" << none
        << false;
    QTest::newRow("the toolkit's own options are let through")
        << QStringList{"-platform", "offscreen", "-reverse", "-style=Fusion", "--simulate"}
        << kWindow << "" << none << true;
    QTest::newRow("--simulate with faults")
        << QStringList{"--simulate", "--fault", "chatter:3", "--fault=missing:2"} << kWindow << ""
        << none << true;
    QTest::newRow("--simulate walking, two contacts swapped")
        << QStringList{"--simulate", "--walk", "--fault", "swap:19,25"} << kWindow << "" << none
        << true;
    QTest::newRow("--walk without the virtual module")
        << QStringList{"--walk"} << 2 << "--walk needs --simulate" << none << false;
    QTest::newRow("--replay at a speed")
        << QStringList{"--replay", "a.s88rec", "--speed", "0"} << kWindow << "" << none << false;
    QTest::newRow("a fault without the virtual module")
        << QStringList{"--fault", "chatter:3"} << 2 << "--fault needs --simulate" << none << false;
    QTest::newRow("a fault of no known kind")
        << QStringList{"--simulate", "--fault", "flicker:3"} << 2 << "--fault" << none << false;
    QTest::newRow("both virtual modules") << QStringList{"--simulate", "--replay", "a"} << 2
                                          << "one of --simulate and --replay" << none << false;
    QTest::newRow("a negative speed")
        << QStringList{"--replay", "a", "--speed", "-1"} << 2 << "--speed -1" << none << false;
    QTest::newRow("limits without a report")
        << QStringList{"--unstable-ms", "20"} << 2 << "--unstable-ms goes with --history" << none
        << false;
    QTest::newRow("one-dash limits without a report")
        << QStringList{"-unstable-changes", "3/100", "--simulate"} << 2
        << "--unstable-changes goes with --history" << none << false;
    QTest::newRow("--speed with a report")
        << QStringList{"--history", "a", "--speed", "2"} << 2
        << "--speed does not go with --history, --inputs, --summary, --bursts or --timeline" << none
        << false;
    QTest::newRow("--speed with --summary")
        << QStringList{"--summary", "a", "--speed", "4"} << 2
        << "--speed does not go with --history, --inputs, --summary, --bursts or --timeline" << none
        << false;
    QTest::newRow("--replay with --summary") << QStringList{"--replay", "a", "--summary", "a"} << 2
                                             << "--replay does not go with" << none << false;
    QTest::newRow("--summary and --history")
        << QStringList{"--summary", "a", "--history", "a"} << 2
        << "give one of --history, --inputs, --summary, --bursts and --timeline, once" << none
        << false;
    QTest::newRow("--separator without a report")
        << QStringList{"--separator", ";"} << 2 << "--separator goes with --history" << none
        << false;
    QTest::newRow("--separator with --summary")
        << QStringList{"--summary", "a", "--separator", ";"} << 2
        << "--separator goes with --history or --inputs" << none << false;
    QTest::newRow("--separator of another character")
        << QStringList{"--history", "a", "--separator", "\t"} << 2
        << "--separator \t: expected ',' or ';'" << none << false;
    QTest::newRow("--separator of two semicolons")
        << QStringList{"--history", "a", "--separator", ";;"} << 2
        << "--separator ;;: expected ',' or ';'" << none << false;
    QTest::newRow("--separator empty") << QStringList{"--inputs", "a", "--separator="} << 2
                                       << "--separator : expected ',' or ';'" << none << false;
    QTest::newRow("--summary is a report")
        << QStringList{"--summary", "a", "--unstable-ms", "20"} << kReport << "" << none << false;
    QTest::newRow("--separator ; is a report option")
        << QStringList{"--inputs", "a", "--separator", ";"} << kReport << "" << none << false;
    QTest::newRow("--simulate with a report") << QStringList{"--simulate", "--inputs", "a"} << 2
                                              << "--simulate does not go with" << none << false;
    QTest::newRow("--record with a report") << QStringList{"-inputs", "a", "-record", "b"} << 2
                                            << "--record does not go with" << none << false;
    QTest::newRow("both reports")
        << QStringList{"--history", "a", "--inputs", "b"} << 2
        << "give one of --history, --inputs, --summary, --bursts and --timeline, once" << none
        << false;
    QTest::newRow("a report twice")
        << QStringList{"--history", "a", "--history", "b"} << 2
        << "give one of --history, --inputs, --summary, --bursts and --timeline, once" << none
        << false;
    QTest::newRow("--unstable-ms not a number")
        << QStringList{"--inputs", "a", "--unstable-ms", "x"} << 2
        << "--unstable-ms x: expected milliseconds" << none << false;
    QTest::newRow("--unstable-ms -1") << QStringList{"--inputs", "a", "--unstable-ms", "-1"} << 2
                                      << "--unstable-ms -1: expected milliseconds" << none << false;
    QTest::newRow("--unstable-changes 1 change")
        << QStringList{"--inputs", "a", "--unstable-changes", "1/100"} << 2
        << "--unstable-changes 1/100: expected N/MS, N from 2 to 32" << none << false;
    QTest::newRow("--unstable-changes 33 changes")
        << QStringList{"--inputs", "a", "--unstable-changes", "33/100"} << 2 << "expected N/MS"
        << none << false;
    QTest::newRow("--unstable-changes in no time")
        << QStringList{"--inputs", "a", "--unstable-changes", "5/0"} << 2 << "expected N/MS" << none
        << false;
    QTest::newRow("--unstable-changes without its window")
        << QStringList{"--inputs", "a", "--unstable-changes", "5"} << 2 << "expected N/MS" << none
        << false;
    QTest::newRow("--bursts and --timeline")
        << QStringList{"--bursts", "a", "--timeline", "b"} << 2 << "give one of" << none << false;
    QTest::newRow("--timeline without --png")
        << QStringList{"--timeline", "a"} << 2 << "--timeline needs --png OUT" << none << false;
    QTest::newRow("--png without --timeline") << QStringList{"--history", "a", "--png", "b"} << 2
                                              << "--png needs --timeline" << none << false;
    QTest::newRow("--from without a report")
        << QStringList{"--from", "1"} << 2 << "--from goes with --history" << none << false;
    QTest::newRow("--names with the window") << QStringList{"--simulate", "--names", "n"} << 2
                                             << "--names goes with --history" << none << false;
    QTest::newRow("--from not a number")
        << QStringList{"--timeline", "a", "--png", "b", "--from", "x"} << 2
        << "--from x: expected seconds, 0 or more" << none << false;
    QTest::newRow("--from -0.001")
        << QStringList{"--timeline", "a", "--png", "b", "--from", "-0.001"} << 2
        << "--from -0.001: expected seconds" << none << false;
    QTest::newRow("--to at --from")
        << QStringList{"--timeline", "a", "--png", "b", "--from", "1.5", "--to", "1.5"} << 2
        << "--to must be later than --from" << none << false;
    QTest::newRow("--to 1 ms after --from")
        << QStringList{"--timeline", "a", "--png", "b", "--from", "1.5", "--to", "1.501"} << kReport
        << "" << none << false;
    QTest::newRow("--history is a report")
        << QStringList{"--history", "a", "--unstable-ms", "20"} << kReport << "" << none << false;
    QTest::newRow("--record with an empty name")
        << QStringList{"--record", ""} << 2 << "--record: the file name is empty" << none << false;
    QTest::newRow("--record= with an empty name")
        << QStringList{"--record="} << 2 << "--record: the file name is empty" << none << false;
    QTest::newRow("--replay with an empty name")
        << QStringList{"--replay", ""} << 2 << "--replay: the file name is empty" << none << false;
    QTest::newRow("help wins over a report")
        << QStringList{"--inputs", "a", "--help"} << 0 << "--unstable-changes" << none << false;
}

void TestCommandLine::parse() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    QFETCH(QStringList, ports);
    QFETCH(bool, simulate);

    const CommandLine c = CommandLine::parse(QStringList{"/usr/bin/s88monitor"} + arguments);
    if (exitCode == kReport) {
        QCOMPARE(c.run, CommandLine::Run::Report);
        return;
    }
    if (exitCode == kWindow) {
        QCOMPARE(c.run, CommandLine::Run::Window);
        QStringList got;
        for (const PortMap::Assignment& a : c.window.ports)
            got.append(QStringLiteral("%1=%2").arg(a.port).arg(a.device));
        QCOMPARE(got, ports);
        QCOMPARE(c.window.simulate, simulate);
        QVERIFY(!c.window.exitWhenShown);
        return;
    }
    QCOMPARE(c.run, CommandLine::Run::Print);
    QCOMPARE(c.exitCode, exitCode);
    QVERIFY2(c.text.contains(text), qPrintable(c.text));
    // Options for the toolkit and the benchmarks stay out of the help.
    QVERIFY2(!c.text.contains(QStringLiteral("platform")), qPrintable(c.text));
    QVERIFY2(!c.text.contains(QStringLiteral("exit-when-shown")), qPrintable(c.text));
}

void TestCommandLine::report_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("history"); // else --inputs
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("shortestMs");
    QTest::addColumn<int>("changes");
    QTest::addColumn<qint64>("windowMs");

    QTest::newRow("--history, the defaults")
        << QStringList{"--history", "a.s88"} << true << "a.s88" << qint64(50) << 5 << qint64(1000);
    QTest::newRow("-history, one dash")
        << QStringList{"-history", "b"} << true << "b" << qint64(50) << 5 << qint64(1000);
    QTest::newRow("--inputs=FILE")
        << QStringList{"--inputs=c d"} << false << "c d" << qint64(50) << 5 << qint64(1000);
    QTest::newRow("-inputs with one-dash limits")
        << QStringList{"-inputs", "r", "-unstable-ms", "10", "-unstable-changes", "3/200"} << false
        << "r" << qint64(10) << 3 << qint64(200);
    QTest::newRow("limits before the report, at their edges")
        << QStringList{"--unstable-ms=0", "--unstable-changes=2/1", "--history", "r"} << true << "r"
        << qint64(0) << 2 << qint64(1);
    QTest::newRow("32 changes") << QStringList{"--inputs", "r", "--unstable-changes", "32/5000"}
                                << false << "r" << qint64(50) << 32 << qint64(5000);
}

void TestCommandLine::report() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, history);
    QFETCH(QString, path);
    QFETCH(qint64, shortestMs);
    QFETCH(int, changes);
    QFETCH(qint64, windowMs);

    const CommandLine c = CommandLine::parse(QStringList{"s88monitor"} + arguments);
    QCOMPARE(c.run, CommandLine::Run::Report);
    QCOMPARE(c.report.kind,
             history ? reports::Request::Kind::History : reports::Request::Kind::Inputs);
    QCOMPARE(c.report.path, path);
    QCOMPARE(c.report.limits.shortestMs, shortestMs);
    QCOMPARE(c.report.limits.changes, changes);
    QCOMPARE(c.report.limits.windowMs, windowMs);
}

void TestCommandLine::picture_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("png");
    QTest::addColumn<qint64>("fromMs");
    QTest::addColumn<qint64>("toMs");
    QTest::addColumn<QString>("names");
    using K = reports::Request::Kind;
    QTest::newRow("--timeline, the whole recording")
        << QStringList{"--timeline", "r", "--png", "o.png"} << int(K::Timeline) << "o.png"
        << qint64(0) << qint64(-1) << "";
    QTest::newRow("--timeline from 0 to 0.001 s with names")
        << QStringList{"-timeline=r", "-png=o", "--from", "0", "--to", "0.001", "--names", "n"}
        << int(K::Timeline) << "o" << qint64(0) << qint64(1) << "n";
    QTest::newRow("--from 2.5 --to 3600")
        << QStringList{"--timeline", "r", "--png", "o", "--from", "2.5", "--to", "3600"}
        << int(K::Timeline) << "o" << qint64(2500) << qint64(3600000) << "";
    QTest::newRow("--bursts") << QStringList{"--bursts", "r"} << int(K::Bursts) << "" << qint64(0)
                              << qint64(-1) << "";
    QTest::newRow("--history with --names")
        << QStringList{"--history", "r", "--names", "n n.csv"} << int(K::History) << "" << qint64(0)
        << qint64(-1) << "n n.csv";
}

void TestCommandLine::picture() {
    QFETCH(QStringList, arguments);
    const CommandLine c = CommandLine::parse(QStringList{"s88monitor"} + arguments);
    QCOMPARE(c.run, CommandLine::Run::Report);
    QTEST(int(c.report.kind), "kind");
    QCOMPARE(c.report.path, QStringLiteral("r"));
    QTEST(c.report.png, "png");
    QTEST(c.report.fromMs, "fromMs");
    QTEST(c.report.toMs, "toMs");
    QTEST(c.report.names, "names");
}

void TestCommandLine::programWithoutDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: s88monitor [options]"
                            << "";
    QTest::newRow("--version") << QStringList{"--version"} << 0 << "s88monitor 1."
                               << "";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                    << "s88monitor: Unknown option 'bogus'.";
    QTest::newRow("bad port") << QStringList{"--port", "0=/dev/ttyS0"} << 2 << ""
                              << "expected N=DEVICE";
    QTest::newRow("bad language") << QStringList{"--language", "dk"} << 2 << ""
                                  << "s88monitor: --language dk: expected one of da, en, de\n"
                                     "Try 's88monitor --help'.\n";
    // --language speaks from the help on, Qt's own parser texts included; a mistake after it
    // is told in it, before the display is looked for.
    QTest::newRow("--help in German")
        << QStringList{"--language", "de", "--help"} << 0 << "Aufruf: s88monitor [Optionen]"
        << "";
    QTest::newRow("--help in German, options")
        << QStringList{"--help", "--language=de"} << 0 << "\nOptionen:\n"
        << "";
    QTest::newRow("--help in English")
        << QStringList{"--language", "en", "--help"} << 0 << "Usage: s88monitor [options]"
        << "";
    QTest::newRow("a mistake in German")
        << QStringList{"--language", "de", "--speed", "3"} << 2 << ""
        << "s88monitor: --speed braucht --replay\nSiehe 's88monitor --help'.\n";
    QTest::newRow("a mistake in English")
        << QStringList{"--language", "en", "--speed", "3"} << 2 << ""
        << "s88monitor: --speed needs --replay\nTry 's88monitor --help'.\n";
    QTest::newRow("no display, in German")
        << QStringList{"--language", "de"} << 2 << ""
        << "s88monitor: kein Bildschirm: DISPLAY setzen, oder --history/--inputs/--headless für "
           "die Arbeit ohne Fenster verwenden\n";
    QTest::newRow("a report's fault in German")
        << QStringList{"--language", "de", "--history", "/nonexistent/r.s88"} << 2 << ""
        << "/nonexistent/r.s88: keine solche Datei";
    // The report runs (and finds no file) whichever way its option is written.
    QTest::newRow("-history, one dash") << QStringList{"-history", "/nonexistent/r.s88"} << 2 << ""
                                        << "/nonexistent/r.s88: no such file";
    QTest::newRow("-inputs, one dash") << QStringList{"-inputs", "/nonexistent/r.s88"} << 2 << ""
                                       << "/nonexistent/r.s88: no such file";
    // A names file named on the command line must be there; it is read before the recording.
    const QString noNames =
        QStringLiteral("s88monitor: --names /nonexistent/n.csv: no such file\n");
    QTest::newRow("--history with a missing names file")
        << QStringList{"--history", "/nonexistent/r.s88", "--names", "/nonexistent/n.csv"} << 2
        << "" << noNames;
    QTest::newRow("--inputs with a missing names file")
        << QStringList{"--inputs", "/nonexistent/r.s88", "--names", "/nonexistent/n.csv"} << 2 << ""
        << noNames;
    QTest::newRow("--timeline with a missing names file")
        << QStringList{"--timeline", "/nonexistent/r.s88", "--png", "/nonexistent/t.png",
                       "--names",    "/nonexistent/n.csv"}
        << 2 << "" << noNames;
    QTest::newRow("a missing names file in German")
        << QStringList{"--language",         "de",      "--inputs",
                       "/nonexistent/r.s88", "--names", "/nonexistent/n.csv"}
        << 2 << ""
        << "s88monitor: --names /nonexistent/n.csv: keine solche Datei\n";
    // The window needs a display: one line and status 2, no toolkit abort.
    const QString noDisplay = QStringLiteral(
        "s88monitor: no display: set DISPLAY, or use --history/--inputs/--headless for work "
        "without a window\n");
    QTest::newRow("the window") << QStringList() << 2 << "" << noDisplay;
    QTest::newRow("the window on the virtual module")
        << QStringList{"--simulate", "--fault", "chatter:3"} << 2 << "" << noDisplay;
    QTest::newRow("the window on the xcb platform")
        << QStringList{"-platform", "xcb"} << 2 << "" << noDisplay;
    QTest::newRow("the window on the wayland platform")
        << QStringList{"-platform=wayland"} << 2 << "" << noDisplay;
    QTest::newRow("a bad speed is told before the display")
        << QStringList{"--replay", "r", "--speed", "nan"} << 2 << ""
        << "--speed nan: expected 0, or a number from 0.01 to 1000";
}

void TestCommandLine::programWithoutDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(QStringLiteral(S88MONITOR), arguments);
    QVERIFY(program.waitForFinished(10000));
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
}

void TestCommandLine::speed_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<double>("speed"); // -1: refused
    QTest::newRow("0: as fast as the line takes it") << "0" << 0.0;
    QTest::newRow("-0 is 0") << "-0" << 0.0;
    QTest::newRow("0.0") << "0.0" << 0.0;
    QTest::newRow("below the least") << "0.00999" << -1.0;
    QTest::newRow("the least") << "0.01" << 0.01;
    QTest::newRow("above the least") << "0.01001" << 0.01001;
    QTest::newRow("1") << "1" << 1.0;
    QTest::newRow("below the most") << "999.99" << 999.99;
    QTest::newRow("the most") << "1000" << 1000.0;
    QTest::newRow("above the most") << "1000.01" << -1.0;
    QTest::newRow("1001") << "1001" << -1.0;
    QTest::newRow("1e-17") << "1e-17" << -1.0;
    QTest::newRow("negative") << "-0.5" << -1.0;
    QTest::newRow("nan") << "nan" << -1.0;
    QTest::newRow("inf") << "inf" << -1.0;
    QTest::newRow("-inf") << "-inf" << -1.0;
    QTest::newRow("1e400") << "1e400" << -1.0;
    QTest::newRow("not a number") << "fast" << -1.0;
}

void TestCommandLine::speed() {
    QFETCH(QString, given);
    QFETCH(double, speed);
    const CommandLine c = CommandLine::parse({"s88monitor", "--replay", "r.s88", "--speed", given});
    if (speed < 0) {
        QCOMPARE(c.run, CommandLine::Run::Print);
        QCOMPARE(c.exitCode, 2);
        QVERIFY2(c.text.contains(QStringLiteral("--speed %1: expected 0, or a number from 0.01 "
                                                "to 1000")
                                     .arg(given)),
                 qPrintable(c.text));
        return;
    }
    QCOMPARE(c.run, CommandLine::Run::Window);
    QCOMPARE(c.window.speed, speed);
    QVERIFY(!std::signbit(c.window.speed));
}

void TestCommandLine::recordingIntoTheReplay_data() {
    QTest::addColumn<QString>("record"); // in the folder that holds "played.s88"
    QTest::addColumn<bool>("refused");
    QTest::newRow("the same name") << "played.s88" << true;
    QTest::newRow("another path to it") << "sub/../played.s88" << true;
    QTest::newRow("a hard link to it") << "hard.s88" << true;
    QTest::newRow("a symbolic link to it") << "soft.s88" << true;
    QTest::newRow("another file") << "other.s88" << false;
    QTest::newRow("a file not there yet") << "new.s88" << false;
}

// Recording into the recording being replayed would empty it before it is played.
void TestCommandLine::recordingIntoTheReplay() {
    QFETCH(QString, record);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const QString played = dir.filePath(QStringLiteral("played.s88"));
    for (const char* name : {"played.s88", "other.s88"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QCOMPARE(::link(QFile::encodeName(played).constData(),
                    QFile::encodeName(dir.filePath(QStringLiteral("hard.s88"))).constData()),
             0);
    QVERIFY(QFile::link(played, dir.filePath(QStringLiteral("soft.s88"))));
    const CommandLine c =
        CommandLine::parse({"s88monitor", "--replay", played, "--record", dir.filePath(record)});
    if (!refused) {
        QCOMPARE(c.run, CommandLine::Run::Window);
        return;
    }
    QCOMPARE(c.run, CommandLine::Run::Print);
    QCOMPARE(c.exitCode, 2);
    QVERIFY2(
        c.text.contains(
            QStringLiteral("--record %1: is the file --replay plays").arg(dir.filePath(record))),
        qPrintable(c.text));
}

namespace {
// An X display number that no server on this machine holds: no socket, named or abstract.
QString freeDisplay() {
    QFile unix(QStringLiteral("/proc/net/unix"));
    const QByteArray sockets = unix.open(QIODevice::ReadOnly) ? unix.readAll() : QByteArray();
    for (int n = 97; n < 1000; ++n) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (!QFileInfo::exists(QString::fromLatin1(socket)) && !sockets.contains(socket + '\n'))
            return QStringLiteral(":%1").arg(n);
    }
    return QStringLiteral(":999");
}
} // namespace

void TestCommandLine::windowNeeds_data() {
    QTest::addColumn<int>("openFiles");    // the limit the program is started under
    QTest::addColumn<QString>("platform"); // QT_QPA_PLATFORM
    QTest::addColumn<QString>("display");  // DISPLAY
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err"); // how the one line begins
    const QString few = QStringLiteral("s88monitor: only %1 open files allowed (ulimit -n); the "
                                       "window needs 32\n");
    const QString off = QStringLiteral("offscreen");
    QTest::newRow("12 open files") << 12 << off << "" << QStringList() << 2 << few.arg(12);
    QTest::newRow("31 open files") << 31 << off << "" << QStringList() << 2 << few.arg(31);
    QTest::newRow("32 open files") << 32 << off << "" << QStringList() << 0 << "";
    QTest::newRow("33 open files") << 33 << off << "" << QStringList() << 0 << "";
    // A display that is set but where no X server answers (a stale DISPLAY over ssh), and a
    // platform that is not there: one line and status 2, never the toolkit's abort.
    const QString free = freeDisplay();
    const QString cannot = QStringLiteral("s88monitor: cannot open the display %1: nothing "
                                          "answers there, or it refused this program; use "
                                          "--history/--inputs/--headless for work without a "
                                          "window\n");
    QTest::newRow("xcb, no X server at the display")
        << 64 << "xcb" << free << QStringList() << 2 << cannot.arg(free);
    QTest::newRow("the system's platform, no X server at the display")
        << 64 << "" << free << QStringList() << 2 << cannot.arg(free);
    QTest::newRow("xcb, no X server at a TCP display")
        << 64 << "xcb"
        << "127.0.0.1" + free << QStringList() << 2 << cannot.arg("127.0.0.1" + free);
    QTest::newRow("xcb, a display name that names none")
        << 64 << "xcb"
        << "no-display" << QStringList() << 2 << cannot.arg("no-display");
    QTest::newRow("-display, no X server there")
        << 64 << "xcb"
        << ":0" << QStringList{"-display", free} << 2 << cannot.arg(free);
    const QString bogus = QStringLiteral("s88monitor: no display platform \"bogus\" here (there "
                                         "are: ");
    QTest::newRow("--platform bogus") << 64 << ""
                                      << "" << QStringList{"--platform", "bogus"} << 2 << bogus;
    QTest::newRow("-platform bogus")
        << 64 << "" << free << QStringList{"-platform", "bogus"} << 2 << bogus;
    QTest::newRow("a bogus platform in the environment") << 64 << "bogus"
                                                         << "" << QStringList() << 2 << bogus;
    QTest::newRow("bogus, then xcb with no X server: the first told")
        << 64 << "bogus;xcb" << free << QStringList() << 2 << bogus;
    QTest::newRow("bogus, then offscreen: offscreen taken") << 64 << "bogus;offscreen"
                                                            << "" << QStringList() << 0 << "";
    QTest::newRow("xcb with no X server, then offscreen: offscreen taken")
        << 64 << "xcb;offscreen" << free << QStringList() << 0 << "";
}

// Too few open files, or no screen the platform can open: one line and status 2 before the
// toolkit starts.
void TestCommandLine::windowNeeds() {
    QFETCH(int, openFiles);
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QTemporaryDir config;
    QFile settings(config.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[S88Left]\nAntal=1\n[S88Mid]\nAntal=0\n[S88Right]\nAntal=0\n");
    settings.close();
    QProcessEnvironment environment = withoutDisplay(config.path());
    if (!platform.isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), config.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    // Soft and hard limit alike, as the shell's ulimit -n sets them.
    program.start(
        QStringLiteral("sh"),
        QStringList{
            QStringLiteral("-c"),
            QStringLiteral("ulimit -n %1 && exec \"$0\" --exit-when-shown \"$@\"").arg(openFiles),
            QStringLiteral(S88MONITOR)} +
            arguments);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    const QString told = QString::fromUtf8(program.readAllStandardError());
    if (exitCode != 0) {
        QFETCH(QString, err);
        QVERIFY2(told.startsWith(err) && told.count(u'\n') == 1, qPrintable(told));
    }
}

// The language chosen in the window ("Sprog" in the settings' "Visning" group) speaks from the
// help on; --language wins over it; a stored language the program does not know is Danish.
void TestCommandLine::storedLanguage_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("stored de, --help")
        << "de" << QStringList{"--help"} << 0 << "Aufruf: s88monitor [Optionen]"
        << "";
    QTest::newRow("stored en, a mistake")
        << "en" << QStringList{"--speed", "2"} << 2 << ""
        << "s88monitor: --speed needs --replay\nTry 's88monitor --help'.\n";
    QTest::newRow("stored de, --language da")
        << "de" << QStringList{"--language", "da", "--help"} << 0 << "Usage: s88monitor [options]"
        << "";
    QTest::newRow("stored de, --language en, a mistake")
        << "de" << QStringList{"--language", "en", "--speed", "2"} << 2 << ""
        << "--speed needs --replay";
    QTest::newRow("stored nl") << "nl" << QStringList{"--help"} << 0
                               << "Usage: s88monitor [options]"
                               << "";
    QTest::newRow("nothing stored")
        << "" << QStringList{"--help"} << 0 << "Usage: s88monitor [options]"
        << "";
    // ALONE: the program copied into a folder of its own, without the service beside it.
    QTest::newRow("stored de, --headless without the service")
        << "de" << QStringList{"ALONE", "--headless"} << 2 << ""
        << "s88monitor: --headless braucht ";
}

void TestCommandLine::storedLanguage() {
    QFETCH(QString, stored);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir config;
    QVERIFY(config.isValid());
    if (!stored.isEmpty()) {
        QFile file(config.filePath(QStringLiteral("Gen_Vorn_S88.conf")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Visning]\nSprog=" + stored.toUtf8() + "\n");
    }
    QString path = QStringLiteral(S88MONITOR);
    if (arguments.value(0) == u"ALONE") {
        arguments.removeFirst();
        path = config.filePath(QStringLiteral("alone/s88monitor"));
        QVERIFY(QDir().mkpath(config.filePath(QStringLiteral("alone"))));
        QVERIFY(QFile::copy(QStringLiteral(S88MONITOR), path));
    }
    QProcess program;
    program.setProcessEnvironment(withoutDisplay(config.path()));
    program.start(path, arguments);
    QVERIFY(program.waitForFinished(10000));
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
