#include "app/form1.h"
#include "app/messageboxsink.h"
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
    parser.addOption(portOption);
    parser.addOption(simulateOption);
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

    std::unique_ptr<VirtualModule> module;
    if (parser.isSet(simulateOption)) {
        if (!VirtualModule::available())
            return fail(QStringLiteral("--simulate needs pseudo terminals, which this platform "
                                       "does not have."));
        module = std::make_unique<VirtualModule>();
        QString why;
        if (!module->start(&why))
            return fail(
                QStringLiteral("--simulate: the virtual module did not start: %1").arg(why));
        ports.assign(1, module->devicePath(), QStringLiteral("virtuelt S88-modul"));
    }

    QtSerialControl serial([&ports](int port) { return ports.device(port); });
    QtSettingsStore settings;
    MessageBoxSink messages(Form1::kCaption);
    Form1 form(serial, settings, messages, [] { QCoreApplication::exit(0); });
    messages.setParent(&form);
    form.setPortDescriptions([&ports](int port) { return ports.describe(port); });
    form.Form_Load();
    form.show();
    if (parser.isSet(exitWhenShown))
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
