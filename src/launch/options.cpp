#include "launch/options.h"

#include "sim/faults.h"

#include <QCoreApplication>

namespace options {

namespace {

// A help text, kept as its source and translated when the help is made (the table is made once,
// before the language may be known).
QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::vector<Declaration> makeDeclarations() {
    using G = Goes;
    // Every option is described in dist/s88monitor.1.in as well.
    std::vector<Declaration> d{
        {Id::Help,
         {"h", "help"},
         {},
         {},
         text(QT_TRANSLATE_NOOP("options", "Displays this help and exits."))},
        {Id::Version,
         {"v", "version"},
         {},
         {},
         text(QT_TRANSLATE_NOOP("options", "Displays the version and exits."))},
        {Id::Language,
         {"language"},
         "da|en|de",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "The window's language for this run: Danish, English or German (the one chosen "
             "in the window, else Danish)."))},
        {Id::Port,
         {"port"},
         "N=DEVICE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options", "Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable.")),
         G::Window},
        {Id::Simulate,
         {"simulate"},
         {},
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Port 1 opens a built-in virtual interface module (needs pseudo terminals): press "
             "Start, then Indsæt (s).")),
         G::Window},
        {Id::Fault,
         {"fault"},
         "KIND:VALUE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --simulate, the virtual module shows a wiring fault. Repeatable. KIND:VALUE "
             "is one of %1.")),
         G::Window,
         Id::Simulate},
        {Id::Walk,
         {"walk"},
         {},
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --simulate, from each Indsæt (s) on the virtual module shorts its inputs one "
             "by one, as a person checking the wiring would.")),
         G::Window,
         Id::Simulate},
        {Id::Replay,
         {"replay"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Port 1 opens a virtual module that plays the bytes received in recording FILE "
             "with their timing: press Start.")),
         G::Window},
        {Id::Speed,
         {"speed"},
         "F",
         "1",
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --replay: play F times faster, F from 0.01 to 1000; 0 as fast as the line "
             "takes it (1).")),
         G::Window,
         Id::Replay},
        {Id::Record,
         {"record"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Record every byte received, every command sent, Start, Stop and port changes to "
             "FILE until the program ends.")),
         G::Window},
        {Id::History,
         {"history"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options", "Print the change history of recording FILE as CSV and exit (no window).")),
         G::Report},
        {Id::Inputs,
         {"inputs"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Print per-input statistics of recording FILE as CSV and exit (no window).")),
         G::Report},
        {Id::UnstableMs,
         {"unstable-ms"},
         "MS",
         {},
         text(QT_TRANSLATE_NOOP(
             "options", "With --history or --inputs: a pulse or gap shorter than MS makes an input "
                        "unstable (50).")),
         G::Report},
        {Id::UnstableChanges,
         {"unstable-changes"},
         "N/MS",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --history or --inputs: N changes within less than MS make an input unstable "
             "(5/1000).")),
         G::Report},
        {Id::Summary,
         {"summary"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Print the module check of recording FILE as text and exit (no window): modules "
             "configured, reported, missing and unknown, short and given-up bursts, stray "
             "bytes, unstable inputs.")),
         G::Report},
        {Id::Separator,
         {"separator"},
         "CHAR",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --history or --inputs: separate the cells with CHAR, ',' or ';' (,).")),
         G::Report},
        {Id::Bursts,
         {"bursts"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Print the noise bursts (8 or more inputs over two or more modules changing in one "
             "burst) and given-up bursts of recording FILE as CSV and exit (no window).")),
         G::Report},
        {Id::Timeline,
         {"timeline"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Draw the timeline of recording FILE as a PNG picture (see --png) and exit (no "
             "window).")),
         G::Report},
        {Id::Png,
         {"png"},
         "OUT",
         {},
         text(QT_TRANSLATE_NOOP("options", "With --timeline: the PNG file to write.")),
         G::Report,
         Id::Timeline},
        {Id::From,
         {"from"},
         "S",
         {},
         text(QT_TRANSLATE_NOOP("options",
                                "With --timeline: start S seconds into the recording (0).")),
         G::Report,
         Id::Timeline},
        {Id::To,
         {"to"},
         "S",
         {},
         text(QT_TRANSLATE_NOOP("options",
                                "With --timeline: end S seconds into the recording (its end).")),
         G::Report,
         Id::Timeline},
        {Id::Names,
         {"names"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With a report or --timeline: names for the inputs from CSV FILE (input,name), "
             "in a name column added last. With --headless: the names in the MQTT discovery "
             "and events (else those of the window's names file).")),
         G::Anywhere},
        // For the start-up benchmark: leave as soon as the window has been shown.
        {Id::ExitWhenShown, {"exit-when-shown"}, {}, {}, {}, G::Window},
        {Id::Mqtt,
         {"mqtt"},
         "URL",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Publish the inputs to an MQTT broker: mqtt://[user@]host[:port][/prefix] or "
             "mqtts://… (TLS). The password comes from --mqtt-password-file or "
             "S88_MQTT_PASSWORD.")),
         G::Window},
        {Id::MqttCa,
         {"mqtt-ca"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With an mqtts:// URL: trust the broker's certificate by this CA file instead of "
             "the system's.")),
         G::Window,
         Id::Mqtt},
        {Id::MqttPasswordFile,
         {"mqtt-password-file"},
         "FILE",
         {},
         text(QT_TRANSLATE_NOOP("options",
                                "With --mqtt: the broker password is the first line of FILE.")),
         G::Window,
         Id::Mqtt},
        {Id::MqttDiscovery,
         {"mqtt-discovery"},
         {},
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --mqtt: publish Home Assistant discovery configs for the counted inputs.")),
         G::Window,
         Id::Mqtt},
        {Id::MqttCommands,
         {"mqtt-commands"},
         {},
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "With --mqtt: take module counts L,M,R on PREFIX/counts/set and send them as "
             "Indsæt (s) does.")),
         G::Window,
         Id::Mqtt},
        {Id::Headless,
         {"headless"},
         {},
         {},
         text(QT_TRANSLATE_NOOP(
             "options",
             "Run without a window or display: open the port, send the counts, feed --mqtt "
             "and --record until SIGTERM or SIGINT.")),
         G::Window},
        {Id::Counts,
         {"counts"},
         "L,M,R",
         {},
         text(QT_TRANSLATE_NOOP(
             "options", "With --headless: the module counts to send (else the stored ones).")),
         G::Window,
         Id::Headless},
    };
    for (std::size_t i = 0; i < d.size(); ++i)
        Q_ASSERT(std::size_t(d[i].id) == i);
    Q_ASSERT(d.size() == std::size_t(Id::Count));
    return d;
}

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

// "--history, --inputs, --summary, --bursts or --timeline"
QString reportNames() {
    QStringList names;
    for (Id id : {Id::History, Id::Inputs, Id::Summary, Id::Bursts, Id::Timeline})
        names << Given::name(id);
    const QString last = names.takeLast();
    return QCoreApplication::translate("options", "%1 or %2")
        .arg(names.join(QStringLiteral(", ")), last);
}

} // namespace

const std::vector<Declaration>& declarations() {
    static const std::vector<Declaration> table = makeDeclarations();
    return table;
}

Given::Given(const QStringList& arguments) {
    // Long options may be written with one dash, as the toolkit's own options are.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setApplicationDescription(QCoreApplication::translate(
        "options",
        "Test and monitor tool for the Vorn S88 feedback interface module.\n\n"
        "Port numbers 1 to 8 are the serial ports the system reports, sorted by name (a single "
        "USB adapter is port 1); ports given with --port come first and the others are "
        "numbered on from the system's list."));
    for (const Declaration& d : declarations()) {
        QString description =
            QCoreApplication::translate("options", d.description.toUtf8().constData());
        if (d.id == Id::Fault)
            description = description.arg(QLatin1String(sim::Faults::kSyntax));
        QCommandLineOption o(d.names, description, d.valueName, d.defaultValue);
        if (d.description.isEmpty())
            o.setFlags(QCommandLineOption::HiddenFromHelp);
        m_options.push_back(o);
        m_parser.addOption(o);
    }
    addToolkitOptions(m_parser);
    m_parsed = m_parser.parse(arguments);
}

std::optional<QString> Given::error() const {
    if (m_parsed)
        return std::nullopt;
    return m_parser.errorText();
}

QString Given::helpText(const QString& program) const {
    // Without an application object the parser does not know the program's name.
    QString help = m_parser.helpText();
    help.replace(0, help.indexOf(QLatin1Char('\n')),
                 QCoreApplication::translate("options", "Usage: %1 [options]").arg(program));
    return help;
}

std::optional<QString> Given::misplaced(Goes run) const {
    for (const Declaration& d : declarations()) {
        if (!isSet(d.id))
            continue;
        if (d.goes == Goes::Report && run != Goes::Report)
            return QCoreApplication::translate("options", "%1 goes with %2")
                .arg(name(d.id), reportNames());
        if (d.goes == Goes::Window && run == Goes::Report)
            return QCoreApplication::translate("options", "%1 does not go with %2")
                .arg(name(d.id), reportNames());
        if (d.needs != Id::Count && !isSet(d.needs))
            return QCoreApplication::translate("options", "%1 needs %2")
                .arg(name(d.id), name(d.needs));
    }
    return std::nullopt;
}

QString Given::name(Id id) {
    return QStringLiteral("--") + declarations()[std::size_t(id)].names.last();
}

} // namespace options
