#include "app/commandline.h"

#include "sim/faults.h"

#include <QCommandLineParser>
#include <cstdio>

namespace {

const QString kProgram = QStringLiteral("s88monitor");
constexpr int kUsageError = 2;

// Options the window's application object takes for itself (-platform offscreen, -style,
// -reverse, ...): let through untouched, and left out of the help.
constexpr const char* kToolkitOptionsWithValue[] = {
    "platform",
    "platformpluginpath",
    "platformtheme",
    "plugin",
    "display",
    "geometry",
    "qwindowgeometry",
    "qwindowicon",
    "qwindowtitle",
    "style",
    "stylesheet",
    "session",
    "name",
    "title",
    "qmljsdebugger",
};
constexpr const char* kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

void addToolkitOptions(QCommandLineParser& parser) {
    for (const char* name : kToolkitOptionsWithValue) {
        QCommandLineOption o(QLatin1String(name), QString(), QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char* name : kToolkitFlags) {
        QCommandLineOption o{QLatin1String(name)};
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
}

CommandLine printed(int exitCode, const QString& text) {
    CommandLine result;
    result.run = CommandLine::Run::Print;
    result.exitCode = exitCode;
    result.text = text;
    return result;
}

CommandLine usageError(const QString& why) {
    return printed(kUsageError, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(kProgram, why));
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    // Long options may be written with one dash, as the toolkit's own options are.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Test and monitor tool for the Vorn S88 feedback interface module.\n\n"
        "Port numbers 1 to 8 are the serial ports the system reports, sorted by name "
        "(a single USB adapter is port 1); ports given with --port come first and the "
        "others are numbered on from the system's list."));
    // Every option is described in dist/s88monitor.1.in as well.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable."),
        QStringLiteral("N=DEVICE"));
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QStringLiteral("Port 1 opens a built-in virtual interface module (needs pseudo "
                       "terminals): press Start, then Indsæt (s)."));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("With --simulate, the virtual module shows a wiring fault. Repeatable. "
                       "KIND:VALUE is one of %1.")
            .arg(QLatin1String(sim::Faults::kSyntax)),
        QStringLiteral("KIND:VALUE"));
    const QCommandLineOption walk(
        QStringLiteral("walk"),
        QStringLiteral("With --simulate, from each Indsæt (s) on the virtual module shorts its "
                       "inputs one by one, as a person checking the wiring would."));
    const QCommandLineOption replay(
        QStringLiteral("replay"),
        QStringLiteral("Port 1 opens a virtual module that plays the bytes received in recording "
                       "FILE with their timing: press Start."),
        QStringLiteral("FILE"));
    const QCommandLineOption speed(
        QStringLiteral("speed"),
        QStringLiteral("With --replay: play F times faster; 0 as fast as the line takes it (1)."),
        QStringLiteral("F"), QStringLiteral("1"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Record every byte received, every command sent, Start, Stop and port "
                       "changes to FILE until the program ends."),
        QStringLiteral("FILE"));
    const QCommandLineOption history(
        QStringLiteral("history"),
        QStringLiteral("Print the change history of recording FILE as CSV and exit (no window)."),
        QStringLiteral("FILE"));
    const QCommandLineOption inputs(
        QStringLiteral("inputs"),
        QStringLiteral("Print per-input statistics of recording FILE as CSV and exit (no window)."),
        QStringLiteral("FILE"));
    const QCommandLineOption unstableMs(
        QStringLiteral("unstable-ms"),
        QStringLiteral("With --history or --inputs: a pulse or gap shorter than MS makes an "
                       "input unstable (50)."),
        QStringLiteral("MS"));
    const QCommandLineOption unstableChanges(
        QStringLiteral("unstable-changes"),
        QStringLiteral("With --history or --inputs: N changes within less than MS make an input "
                       "unstable (5/1000)."),
        QStringLiteral("N/MS"));
    // For the start-up benchmark: leave as soon as the window has been shown.
    QCommandLineOption exitWhenShown(QStringLiteral("exit-when-shown"));
    exitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, port, simulate, fault, walk, replay, speed, record, history,
                       inputs, unstableMs, unstableChanges, exitWhenShown});
    addToolkitOptions(parser);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // Without an application object the parser does not know the program's name.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options]").arg(kProgram));
        return printed(0, text);
    }
    if (parser.isSet(version))
        return printed(0, QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(S88_VERSION)));
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    CommandLine result;
    if (parser.isSet(history) || parser.isSet(inputs)) {
        // The report reads its own options again (history/reports.h); only the run is decided
        // here, after help and version had their say.
        result.run = Run::Report;
        return result;
    }
    if (parser.isSet(unstableMs) || parser.isSet(unstableChanges))
        return usageError(QStringLiteral("--unstable-ms and --unstable-changes go with "
                                         "--history or --inputs"));
    if (parser.isSet(simulate) && parser.isSet(replay))
        return usageError(QStringLiteral("give one of --simulate and --replay"));
    if (parser.isSet(fault) && !parser.isSet(simulate))
        return usageError(QStringLiteral("--fault needs --simulate"));
    if (parser.isSet(walk) && !parser.isSet(simulate))
        return usageError(QStringLiteral("--walk needs --simulate"));
    if (parser.isSet(speed) && !parser.isSet(replay))
        return usageError(QStringLiteral("--speed needs --replay"));
    bool speedOk = false;
    result.window.speed = parser.value(speed).toDouble(&speedOk);
    if (!speedOk || result.window.speed < 0)
        return usageError(
            QStringLiteral("--speed %1: expected a number, 0 or more").arg(parser.value(speed)));
    sim::Faults faults;
    for (const QString& given : parser.values(fault)) {
        if (const std::optional<QString> why = faults.add(given))
            return usageError(QStringLiteral("--fault %1").arg(*why));
    }
    result.window.faults = parser.values(fault);
    result.window.walk = parser.isSet(walk);
    result.window.replay = parser.value(replay);
    result.window.record = parser.value(record);
    for (const QString& value : parser.values(port)) {
        const std::optional<PortMap::Assignment> a = PortMap::parse(value);
        if (!a)
            return usageError(
                QStringLiteral("--port %1: expected N=DEVICE with N from 1 to 8").arg(value));
        result.window.ports.append(*a);
    }
    result.window.simulate = parser.isSet(simulate);
    result.window.exitWhenShown = parser.isSet(exitWhenShown);
    return result;
}

int CommandLine::print() const {
    const QByteArray bytes = text.toUtf8();
    std::FILE* to = exitCode == 0 ? stdout : stderr;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
    return exitCode;
}
