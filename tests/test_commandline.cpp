// The command line as parsed, and as the program answers it when there is no display.

#include "app/commandline.h"

#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void programWithoutDisplay_data();
    void programWithoutDisplay();
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
        << QStringList{"--unstable-ms", "20"} << 2 << "go with --history" << none << false;
    QTest::newRow("--history is a report")
        << QStringList{"--history", "a", "--unstable-ms", "20"} << kReport << "" << none << false;
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
}

void TestCommandLine::programWithoutDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(S88MONITOR), arguments);
    QVERIFY(program.waitForFinished(10000));
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
