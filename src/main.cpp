#include "app/commandline.h"
#include "app/form1.h"
#include "app/messageboxsink.h"
#include "link/portmap.h"
#include "link/qtserialcontrol.h"
#include "sim/virtualmodule.h"
#include "state/settingsstore.h"

#include <QApplication>
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
    // Read before the application object exists, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = CommandLine::parse(arguments);
    if (commandLine.run == CommandLine::Run::Print)
        return commandLine.print();
    const CommandLine::Window& options = commandLine.window;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("s88monitor"));
    // Ties the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(S88_APP_ID));
    QApplication::setApplicationDisplayName(Form1::kCaption);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    PortMap ports;
    for (const PortMap::Assignment& a : options.ports)
        ports.assign(a.port, a.device);

    std::unique_ptr<VirtualModule> module;
    if (options.simulate) {
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
    if (options.exitWhenShown)
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
