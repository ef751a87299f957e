#include "app/bridgecontrol.h"
#include "app/commandline.h"
#include "app/form1.h"
#include "app/headless.h"
#include "app/messageboxsink.h"
#include "app/preflight.h"
#include "app/quitsignals.h"
#include "app/startup.h"
#include "app/translations.h"
#include "diag/timelinepicture.h"
#include "history/filename.h"
#include "history/recorder.h"
#include "history/recording.h"
#include "history/reports.h"
#include "serial/portmap.h"
#include "serial/qtserialcontrol.h"
#include "sim/virtualmodule.h"
#include "state/settingsstore.h"
#include "state/viewsettings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QStyleFactory>
#include <cstdio>
#include <memory>
#include <variant>

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return 2;
}

// The virtual module that --simulate or --replay puts behind port 1; null for neither, or
// the exit status when it cannot be had.
std::variant<std::unique_ptr<VirtualModule>, int> virtualModule(const CommandLine::Window& w) {
    if (!w.simulate && w.replay.isEmpty())
        return nullptr;
    const QString option = w.simulate ? QStringLiteral("--simulate") : QStringLiteral("--replay");
    VirtualModule::Options options;
    for (const QString& given : w.faults)
        options.faults.add(given); // checked when the command line was read
    options.walk = w.walk;
    if (!w.replay.isEmpty()) {
        QString why;
        QString warning;
        options.replay = recording::receivedPieces(w.replay, &why, &warning);
        options.replaySpeed = w.speed;
        const QString shown = filename::shown(w.replay);
        if (!options.replay)
            return fail(QCoreApplication::translate("main", "--replay %1: %2").arg(shown, why));
        if (!warning.isEmpty())
            std::fprintf(stderr, "%s\n",
                         qPrintable(QCoreApplication::translate(
                                        "main", "--replay %1: %2; playing up to there")
                                        .arg(shown, warning)));
    }
    if (!VirtualModule::available())
        return fail(QCoreApplication::translate(
                        "main", "%1 needs pseudo terminals, which this platform does not have.")
                        .arg(option));
    auto module = std::make_unique<VirtualModule>(options);
    QString why;
    if (!module->start(&why))
        return fail(QCoreApplication::translate("main", "%1: the virtual module did not start: %2")
                        .arg(option, why));
    return module;
}

// The ports as given, with the virtual module of --simulate or --replay behind port 1.
struct Ports {
    PortMap map;
    std::unique_ptr<VirtualModule> module;

    // The exit status when the virtual module cannot be had.
    std::optional<int> set(const CommandLine::Window& options) {
        for (const PortMap::Assignment& a : options.ports)
            map.assign(a.port, a.device);
        auto made = virtualModule(options);
        if (const int* status = std::get_if<int>(&made))
            return *status;
        module = std::move(std::get<0>(made));
        if (module)
            map.assign(1, module->devicePath(),
                       QCoreApplication::translate("main", "virtuelt S88-modul"));
        return std::nullopt;
    }
};

// --headless: no QApplication, so no display is needed.
int runHeadless(const CommandLine::Window& options) {
    QCoreApplication::setApplicationName(QStringLiteral("s88monitor"));
    Ports p;
    if (const std::optional<int> status = p.set(options))
        return *status;
    return headless::run(options, p.map);
}

// The language of the help, the messages and the window: --language if given, else the one
// chosen in the window, else Danish.
Language spoken(const CommandLine& commandLine) {
    QtSettingsStore settings;
    return commandLine.language.value_or(view_settings::language(settings));
}

} // namespace

int main(int argc, char* argv[]) {
    // Qt's own event loop costs less a wake-up than GLib's, and the program wakes often while
    // a module sends; nothing here needs GLib's loop. A user's own choice stands.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // Every change is stamped with the local time. With TZ unset the C library looks at
    // /etc/localtime again for every stamp; named once, it reads the zone once. The same zone.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    // Read before the window's application object exists, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(filename::fromNative(argv[i])); // a file name opens as it was given
    // Danish needs no translation, and no application object before the one a run makes for
    // itself. Another language is carried by one without a display; the command line is read
    // once for its language, then again in it.
    CommandLine commandLine = CommandLine::parse(arguments);
    const Language language = spoken(commandLine);
    std::unique_ptr<QCoreApplication> early;
    if (language != Language::Danish) {
        early = std::make_unique<QCoreApplication>(argc, argv);
        translations::install(*early, language);
        commandLine = CommandLine::parse(arguments);
    }
    if (commandLine.run == CommandLine::Run::Print)
        return commandLine.print();
    if (commandLine.run == CommandLine::Run::Report &&
        commandLine.report.kind == reports::Request::Kind::Timeline) {
        // A picture needs fonts, not a display.
        early.reset();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication picture(argc, argv);
        translations::install(picture, language);
        return timeline::savePicture(commandLine.report);
    }
    if (commandLine.run == CommandLine::Run::Report)
        return reports::run(commandLine.report);
    const CommandLine::Window& options = commandLine.window;
    if (commandLine.run == CommandLine::Run::Headless) {
        if (!early)
            early = std::make_unique<QCoreApplication>(argc, argv);
        return runHeadless(options);
    }
    if (const std::optional<QString> why = preflight::windowProblem(arguments))
        return fail(QStringLiteral("s88monitor: %1").arg(*why));

    early.reset();
    {
        QtSettingsStore stored;
        zoom::apply(stored); // Qt reads its scale factor when the application object is made
    }
    QApplication app(argc, argv);
    translations::install(app, language);
    QApplication::setApplicationName(QStringLiteral("s88monitor"));
    // Ties the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(S88_APP_ID));
    QApplication::setApplicationDisplayName(Form1::caption());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    Ports p;
    if (const std::optional<int> status = p.set(options))
        return *status;
    PortMap& ports = p.map;

    QtSerialControl serial([&ports](int port) { return ports.device(port); });
    QtSettingsStore settings;
    MessageBoxSink messages(Form1::caption());
    Form1 form(serial, settings, messages, [] { QCoreApplication::exit(0); });
    messages.setParent(&form);
    form.setPortDescriptions([&ports](int port) { return ports.describe(port); });
    quitOnSignals(form);
    if (!options.record.isEmpty()) {
        QString why;
        if (!form.recorder().start(options.record, &why, false))
            return fail(QCoreApplication::translate("main", "--record %1: %2")
                            .arg(filename::shown(options.record), why));
    }
    if (!options.replay.isEmpty()) {
        QString why;
        if (!form.replay(options.replay, 1, &why))
            return fail(
                QCoreApplication::translate("main", "--replay %1: %2").arg(options.replay, why));
    }
    form.Form_Load();
    // --mqtt for this run, else the stored setting when it is on.
    QObject::connect(&form.mqtt(), &BridgeControl::stateChanged, &form,
                     [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    if (QString why; !form.mqtt().startAtLaunch(options, settings, &why))
        return fail(why);
    form.show();
    if (options.exitWhenShown)
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    const int status = QApplication::exec();
    form.mqtt().stop();
    return status;
}
