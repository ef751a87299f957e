#include "app/bridgecontrol.h"
#include "app/form1.h"
#include "app/messageboxsink.h"
#include "app/startup.h"
#include "diag/timelinepicture.h"
#include "history/filename.h"
#include "history/recorder.h"
#include "history/reports.h"
#include "launch/commandline.h"
#include "launch/launch.h"
#include "launch/preflight.h"
#include "launch/quitsignals.h"
#include "launch/translations.h"
#include "serial/portmap.h"
#include "serial/qtserialcontrol.h"
#include "state/settingsstore.h"
#include "state/viewsettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStyleFactory>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// What stopped the service from taking over.
struct ServiceStart {
    QString path; // empty: none found
    int error = 0;
};

// --headless: the service, a program of its own beside this one (in the build) or in
// ../libexec/s88monitor (installed), takes this process over with the same arguments, so the
// window's libraries are not loaded for it. Returns only when it cannot.
ServiceStart becomeService(char* argv[]) {
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    QStringList candidates;
    if (!self.isEmpty()) { // never the working directory's
        const QDir here = QFileInfo(self).dir();
        candidates << here.filePath(QStringLiteral("s88monitor-headless"))
                   << QDir::cleanPath(here.filePath(
                          QStringLiteral("../libexec/s88monitor/s88monitor-headless")));
    }
    for (const QString& path : candidates) {
        if (QFileInfo(path).isExecutable()) {
            ::execv(QFile::encodeName(path).constData(), argv);
            return {path, errno};
        }
    }
    return {candidates.isEmpty() ? QString() : candidates.last(), 0};
}

// Why the service could not take over, in the language the messages are in by now.
int serviceFailed(const ServiceStart& start) {
    if (start.error != 0)
        return launch::fail(
            QStringLiteral("s88monitor: %1: %2")
                .arg(start.path, QString::fromLocal8Bit(std::strerror(start.error))));
    return launch::fail(
        QCoreApplication::translate("main",
                                    "s88monitor: --headless needs %1, which is not installed")
            .arg(start.path.isEmpty() ? QStringLiteral("s88monitor-headless") : start.path));
}

} // namespace

int main(int argc, char* argv[]) {
    launch::quietEnvironment();
    // Read before the window's application object exists, which needs a display.
    const QStringList arguments = launch::arguments(argc, argv);
    // Danish needs no translation, and no application object before the one a run makes for
    // itself. Another language is carried by one without a display; the command line is read
    // once for its language, then again in it.
    CommandLine commandLine = CommandLine::parse(arguments);
    // The service reads the settings, its language among them, for itself.
    const ServiceStart service =
        commandLine.run == CommandLine::Run::Headless ? becomeService(argv) : ServiceStart();
    const Language language = launch::spoken(commandLine);
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
    if (commandLine.run == CommandLine::Run::Headless)
        return serviceFailed(service);
    const CommandLine::Window& options = commandLine.window;
    if (const std::optional<QString> why = preflight::windowProblem(arguments))
        return launch::fail(QStringLiteral("s88monitor: %1").arg(*why));

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

    launch::Ports p;
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
            return launch::fail(QCoreApplication::translate("main", "--record %1: %2")
                                    .arg(filename::shown(options.record), why));
    }
    if (!options.replay.isEmpty()) {
        QString why;
        if (!form.replay(options.replay, 1, &why))
            return launch::fail(
                QCoreApplication::translate("main", "--replay %1: %2").arg(options.replay, why));
    }
    form.Form_Load();
    // --mqtt for this run, else the stored setting when it is on.
    QObject::connect(&form.mqtt(), &BridgeControl::stateChanged, &form,
                     [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    if (QString why; !form.mqtt().startAtLaunch(options, settings, &why))
        return launch::fail(why);
    form.show();
    if (options.exitWhenShown)
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    const int status = QApplication::exec();
    form.mqtt().stop();
    return status;
}
