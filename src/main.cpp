#include "app/form1.h"
#include "app/messageboxsink.h"
#include "app/quitsignals.h"
#include "history/recorder.h"
#include "history/recording.h"
#include "history/reports.h"
#include "link/portmap.h"
#include "link/qtserialcontrol.h"
#include "sim/virtualmodule.h"
#include "state/settingsstore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>
#include <cstdio>
#include <memory>

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    // The reports need no display: they run before any application object is made.
    if (const std::optional<int> status = reports::run(argc, argv))
        return *status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("s88monitor"));
    QApplication::setApplicationDisplayName(Form1::kCaption);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Test and monitor tool for the Vorn S88 feedback interface module.\n\n"
        "Port numbers 1 to 8 are the serial ports the system reports, sorted by name "
        "(a single USB adapter is port 1); ports given with --port come first and the "
        "others are numbered on from the system's list."));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Port N (1 to 8) opens DEVICE, for example 1=/dev/ttyUSB0. Repeatable."),
        QStringLiteral("N=DEVICE"));
    const QCommandLineOption simulateOption(
        QStringLiteral("simulate"),
        QStringLiteral("Port 1 opens a built-in virtual interface module (needs pseudo "
                       "terminals): press Start, then Indsæt (s)."));
    // For the start-up benchmark: leave as soon as the window has been shown.
    QCommandLineOption exitWhenShown(QStringLiteral("exit-when-shown"));
    exitWhenShown.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("With --simulate, the virtual module shows a wiring fault. Repeatable. "
                       "KIND:VALUE is one of %1.")
            .arg(QLatin1String(sim::Faults::kSyntax)),
        QStringLiteral("KIND:VALUE"));
    const QCommandLineOption replayOption(
        QStringLiteral("replay"),
        QStringLiteral("Port 1 opens a virtual module that plays the bytes received in recording "
                       "FILE with their timing: press Start."),
        QStringLiteral("FILE"));
    const QCommandLineOption speedOption(
        QStringLiteral("speed"),
        QStringLiteral("With --replay: play F times faster; 0 as fast as the line takes it (1)."),
        QStringLiteral("F"), QStringLiteral("1"));
    const QCommandLineOption recordOption(
        QStringLiteral("record"),
        QStringLiteral("Record every byte received, every command sent, Start, Stop and port "
                       "changes to FILE until the program ends (docs/recording.md)."),
        QStringLiteral("FILE"));
    const QCommandLineOption historyOption(
        QStringLiteral("history"),
        QStringLiteral("Print the change history of recording FILE as CSV and exit (no window)."),
        QStringLiteral("FILE"));
    const QCommandLineOption inputsOption(
        QStringLiteral("inputs"),
        QStringLiteral("Print per-input statistics of recording FILE as CSV and exit (no window)."),
        QStringLiteral("FILE"));
    const QCommandLineOption unstableMsOption(
        QStringLiteral("unstable-ms"),
        QStringLiteral("With --inputs: a pulse or gap shorter than MS makes an input unstable "
                       "(50)."),
        QStringLiteral("MS"));
    const QCommandLineOption unstableChangesOption(
        QStringLiteral("unstable-changes"),
        QStringLiteral("With --inputs: N changes within less than MS make an input unstable "
                       "(5/1000)."),
        QStringLiteral("N/MS"));
    parser.addOption(portOption);
    parser.addOption(simulateOption);
    parser.addOption(faultOption);
    parser.addOption(replayOption);
    parser.addOption(speedOption);
    parser.addOption(recordOption);
    parser.addOption(historyOption);
    parser.addOption(inputsOption);
    parser.addOption(unstableMsOption);
    parser.addOption(unstableChangesOption);
    parser.addOption(exitWhenShown);
    parser.process(app);

    PortMap ports;
    for (const QString& value : parser.values(portOption)) {
        const std::optional<PortMap::Assignment> a = PortMap::parse(value);
        if (!a)
            return fail(
                QStringLiteral("--port %1: expected N=DEVICE with N from 1 to 8").arg(value));
        ports.assign(a->port, a->device);
    }

    VirtualModule::Options moduleOptions;
    for (const QString& spec : parser.values(faultOption)) {
        if (const std::optional<QString> why = moduleOptions.faults.add(spec))
            return fail(QStringLiteral("--fault %1").arg(*why));
    }
    if (moduleOptions.faults.any() && !parser.isSet(simulateOption))
        return fail(QStringLiteral("--fault needs --simulate"));
    if (parser.isSet(replayOption)) {
        if (parser.isSet(simulateOption))
            return fail(QStringLiteral("give one of --simulate and --replay"));
        bool ok = false;
        moduleOptions.replaySpeed = parser.value(speedOption).toDouble(&ok);
        if (!ok || moduleOptions.replaySpeed < 0)
            return fail(QStringLiteral("--speed %1: expected a number, 0 or more")
                            .arg(parser.value(speedOption)));
        QString why;
        QString warning;
        const QString path = parser.value(replayOption);
        moduleOptions.replay = recording::receivedPieces(path, &why, &warning);
        if (!moduleOptions.replay)
            return fail(QStringLiteral("--replay %1: %2").arg(path, why));
        if (!warning.isEmpty())
            std::fprintf(stderr, "--replay %s: %s; playing up to there\n", qPrintable(path),
                         qPrintable(warning));
    }

    std::unique_ptr<VirtualModule> module;
    if (parser.isSet(simulateOption) || parser.isSet(replayOption)) {
        const QString option =
            parser.isSet(replayOption) ? QStringLiteral("--replay") : QStringLiteral("--simulate");
        if (!VirtualModule::available())
            return fail(QStringLiteral("%1 needs pseudo terminals, which this platform "
                                       "does not have.")
                            .arg(option));
        module = std::make_unique<VirtualModule>(moduleOptions);
        QString why;
        if (!module->start(&why))
            return fail(
                QStringLiteral("%1: the virtual module did not start: %2").arg(option, why));
        ports.assign(1, module->devicePath(), QStringLiteral("virtuelt S88-modul"));
    }

    QtSerialControl serial([&ports](int port) { return ports.device(port); });
    QtSettingsStore settings;
    MessageBoxSink messages(Form1::kCaption);
    Form1 form(serial, settings, messages, [] { QCoreApplication::exit(0); });
    messages.setParent(&form);
    form.setPortDescriptions([&ports](int port) { return ports.describe(port); });
    quitOnSignals(form);
    if (parser.isSet(recordOption)) {
        QString why;
        if (!form.recorder().start(parser.value(recordOption), &why))
            return fail(QStringLiteral("--record %1: %2").arg(parser.value(recordOption), why));
    }
    form.Form_Load();
    form.show();
    if (parser.isSet(exitWhenShown))
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
