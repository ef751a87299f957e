#include "launch/launch.h"

#include "history/filename.h"
#include "history/pathgate.h"
#include "history/recording.h"
#include "state/settingsstore.h"
#include "state/viewsettings.h"

#include <QCoreApplication>
#include <cstdio>
#include <variant>

namespace launch {

void quietEnvironment() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}

QStringList arguments(int argc, char* argv[]) {
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given.append(filename::fromNative(argv[i]));
    return given;
}

Language spoken(const CommandLine& commandLine) {
    QtSettingsStore settings;
    return commandLine.language.value_or(view_settings::language(settings));
}

int fail(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return 2;
}

namespace {

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

} // namespace

std::optional<int> Ports::set(const CommandLine::Window& options) {
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

std::optional<Bridge::Options> bridgeOptions(const CommandLine::Window& options, QString* why) {
    QString reason;
    const std::optional<QString> password = readMqttPassword(options.mqttPasswordFile, &reason);
    if (!password) {
        if (why)
            *why = QCoreApplication::translate("main", "--mqtt-password-file %1: %2")
                       .arg(options.mqttPasswordFile, reason);
        return std::nullopt;
    }
    // libmosquitto reads the CA file itself, at every connect: a FIFO there would hold it up.
    if (!options.mqttCa.isEmpty() && !pathgate::readable(options.mqttCa, &reason)) {
        if (why)
            *why =
                QCoreApplication::translate("main", "--mqtt-ca %1: %2").arg(options.mqttCa, reason);
        return std::nullopt;
    }
    Bridge::Options b;
    b.url = options.mqtt.value_or(MqttUrl{});
    b.password = *password;
    b.caFile = options.mqttCa;
    b.discovery = options.mqttDiscovery;
    b.commands = options.mqttCommands;
    return b;
}

} // namespace launch
