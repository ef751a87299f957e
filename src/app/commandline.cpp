#include "commandline.h"

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
    // For the start-up benchmark: leave as soon as the window has been shown.
    QCommandLineOption exitWhenShown(QStringLiteral("exit-when-shown"));
    exitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, port, simulate, exitWhenShown});
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
