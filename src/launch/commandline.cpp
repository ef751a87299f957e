#include "launch/commandline.h"

#include "history/filename.h"
#include "history/pathgate.h"
#include "launch/options.h"
#include "serial/countvalue.h"
#include "sim/faults.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

using options::Given;
using options::Id;

const QString kProgram = QStringLiteral("s88monitor");
constexpr int kUsageError = 2;

CommandLine printed(int exitCode, const QString& text) {
    CommandLine result;
    result.run = CommandLine::Run::Print;
    result.exitCode = exitCode;
    result.text = text;
    return result;
}

CommandLine usageError(const QString& why) {
    return printed(kUsageError,
                   QCoreApplication::translate("commandline", "%1: %2\nTry '%1 --help'.\n")
                       .arg(kProgram, why));
}

// The readers: each takes the options of one run from what was given, or says what is wrong.
using Problem = std::optional<QString>;

Problem readReport(const Given& given, reports::Request& report) {
    using Kind = reports::Request::Kind;
    int given_ = 0;
    for (const auto& [id, kind] : {std::pair{Id::History, Kind::History},
                                   {Id::Inputs, Kind::Inputs},
                                   {Id::Summary, Kind::Summary},
                                   {Id::Bursts, Kind::Bursts},
                                   {Id::Timeline, Kind::Timeline}}) {
        const QStringList values = given.values(id);
        given_ += int(values.size());
        if (!values.isEmpty()) {
            report.kind = kind;
            report.path = values.first();
        }
    }
    if (given_ != 1)
        return QCoreApplication::translate(
            "commandline", "give one of --history, --inputs, --summary, --bursts and "
                           "--timeline, once");
    if (given.isSet(Id::Separator)) {
        const QString value = given.value(Id::Separator);
        if (report.kind != Kind::History && report.kind != Kind::Inputs)
            return QCoreApplication::translate("commandline",
                                               "--separator goes with --history or --inputs");
        if (value != u"," && value != u";")
            return QCoreApplication::translate("commandline", "--separator %1: expected ',' or ';'")
                .arg(value);
        report.separator = char(value.at(0).toLatin1());
    }
    report.names = given.value(Id::Names);
    if (report.kind == Kind::Timeline) {
        report.png = given.value(Id::Png);
        if (report.png.isEmpty())
            return QCoreApplication::translate("commandline", "--timeline needs --png OUT");
        for (const auto& [id, ms] : {std::pair{Id::From, &report.fromMs}, {Id::To, &report.toMs}}) {
            if (!given.isSet(id))
                continue;
            bool ok = false;
            const double s = given.value(id).toDouble(&ok);
            if (!ok || !(s >= 0) || s > 1e9)
                return QCoreApplication::translate("commandline",
                                                   "%1 %2: expected seconds, 0 or more")
                    .arg(options::Given::name(id), given.value(id));
            *ms = qint64(std::llround(s * 1000));
        }
        if (report.toMs >= 0 && report.toMs <= report.fromMs)
            return QCoreApplication::translate("commandline", "--to must be later than --from");
    }
    StabilityLimits& limits = report.limits;
    if (given.isSet(Id::UnstableMs)) {
        bool ok = false;
        const QString value = given.value(Id::UnstableMs);
        limits.shortestMs = value.toLongLong(&ok);
        if (!ok || limits.shortestMs < 0)
            return QCoreApplication::translate("commandline",
                                               "--unstable-ms %1: expected milliseconds")
                .arg(value);
    }
    if (given.isSet(Id::UnstableChanges)) {
        const QString value = given.value(Id::UnstableChanges);
        const QStringList parts = value.split(u'/');
        bool ok = parts.size() == 2;
        bool ok2 = false;
        if (ok) {
            limits.changes = parts[0].toInt(&ok);
            limits.windowMs = parts[1].toLongLong(&ok2);
        }
        if (!ok || !ok2 || limits.changes < 2 || limits.changes > StabilityLimits::kMaxChanges ||
            limits.windowMs <= 0)
            return QCoreApplication::translate(
                       "commandline", "--unstable-changes %1: expected N/MS, N from 2 to %2")
                .arg(value)
                .arg(StabilityLimits::kMaxChanges);
    }
    return std::nullopt;
}

Problem readWindow(const Given& given, CommandLine::Window& window) {
    if (given.isSet(Id::Simulate) && given.isSet(Id::Replay))
        return QCoreApplication::translate("commandline", "give one of --simulate and --replay");
    bool speedOk = false;
    window.speed = given.value(Id::Speed).toDouble(&speedOk);
    // 0 plays as fast as the line takes it; -0 is 0.
    if (speedOk && window.speed == 0)
        window.speed = 0;
    else if (!speedOk || !std::isfinite(window.speed) || window.speed < 0.01 || window.speed > 1000)
        return QCoreApplication::translate("commandline",
                                           "--speed %1: expected 0, or a number from 0.01 to 1000")
            .arg(given.value(Id::Speed));
    for (const Id id : {Id::Replay, Id::Record}) {
        if (given.isSet(id) && given.value(id).isEmpty())
            return QCoreApplication::translate("commandline", "%1: the file name is empty")
                .arg(options::Given::name(id));
    }
    sim::Faults faults;
    for (const QString& fault : given.values(Id::Fault)) {
        if (const std::optional<QString> why = faults.add(fault))
            return QCoreApplication::translate("commandline", "--fault %1").arg(*why);
    }
    window.faults = given.values(Id::Fault);
    window.walk = given.isSet(Id::Walk);
    window.replay = given.value(Id::Replay);
    window.record = given.value(Id::Record);
    // Recording into the file being replayed would empty it before it is played.
    if (!window.replay.isEmpty() && !window.record.isEmpty() &&
        pathgate::sameFile(window.replay, window.record))
        return QCoreApplication::translate(
                   "commandline",
                   "--record %1: is the file --replay plays; record into another file")
            .arg(filename::shown(window.record));
    for (const QString& value : given.values(Id::Port)) {
        const std::optional<PortMap::Assignment> a = PortMap::parse(value);
        if (!a)
            return QCoreApplication::translate("commandline",
                                               "--port %1: expected N=DEVICE with N from 1 to 8")
                .arg(value);
        window.ports.append(*a);
    }
    window.simulate = given.isSet(Id::Simulate);
    window.exitWhenShown = given.isSet(Id::ExitWhenShown);
    if (given.isSet(Id::Mqtt)) {
        QString why;
        window.mqtt = MqttUrl::parse(given.value(Id::Mqtt), &why);
        if (!window.mqtt)
            // The URL is not repeated: a password typed into it stays off the screen and logs.
            return QCoreApplication::translate("commandline", "--mqtt: %1").arg(why);
    }
    window.mqttCa = given.value(Id::MqttCa);
    if (!window.mqttCa.isEmpty() && !window.mqtt->tls)
        return QCoreApplication::translate("commandline", "--mqtt-ca goes with an mqtts:// URL");
    window.mqttPasswordFile = given.value(Id::MqttPasswordFile);
    window.names = given.value(Id::Names);
    window.mqttDiscovery = given.isSet(Id::MqttDiscovery);
    window.mqttCommands = given.isSet(Id::MqttCommands);
    if (given.isSet(Id::Counts)) {
        const QStringList parts = given.value(Id::Counts).split(u',');
        bool ok = parts.size() == 3;
        for (const QString& part : parts)
            ok = ok && countvalue::countByte(part).has_value();
        if (!ok)
            return QCoreApplication::translate(
                       "commandline", "--counts %1: expected L,M,R, each a count from 0 to 255")
                .arg(given.value(Id::Counts));
        window.counts = std::array<QString, 3>{parts[0], parts[1], parts[2]};
    }
    return std::nullopt;
}

} // namespace

namespace {

// What the command line asks for, past its language.
CommandLine readRun(const Given& given) {
    if (given.isSet(Id::Help))
        return printed(0, given.helpText(kProgram));
    if (given.isSet(Id::Version))
        return printed(0, QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(S88_VERSION)));
    if (!given.positionalArguments().isEmpty())
        return usageError(QCoreApplication::translate("commandline", "unexpected argument '%1'")
                              .arg(given.positionalArguments().first()));

    CommandLine result;
    using Run = CommandLine::Run;
    result.run = given.isSet(Id::History) || given.isSet(Id::Inputs) || given.isSet(Id::Summary) ||
                         given.isSet(Id::Bursts) || given.isSet(Id::Timeline)
                     ? Run::Report
                 : given.isSet(Id::Headless) ? Run::Headless
                                             : Run::Window;
    if (const std::optional<QString> why = given.misplaced(
            result.run == Run::Report ? options::Goes::Report : options::Goes::Window))
        return usageError(*why);
    if (result.run == Run::Window && given.isSet(Id::Names))
        return usageError(QCoreApplication::translate(
            "commandline",
            "--names goes with --history, --inputs, --summary, --bursts, --timeline or "
            "--headless"));
    if (result.run == Run::Headless && given.isSet(Id::ExitWhenShown))
        return usageError(QCoreApplication::translate(
            "commandline", "--exit-when-shown does not go with --headless"));
    const Problem problem = result.run == Run::Report ? readReport(given, result.report)
                                                      : readWindow(given, result.window);
    if (problem)
        return usageError(*problem);
    return result;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    const Given given(arguments);
    if (const std::optional<QString> error = given.error())
        return usageError(*error);
    // The language first: the help and every message after it are in it.
    std::optional<Language> language;
    if (given.isSet(Id::Language)) {
        language = language::fromCode(given.value(Id::Language));
        if (!language)
            return usageError(
                QCoreApplication::translate("commandline", "--language %1: expected one of %2")
                    .arg(given.value(Id::Language), language::codes()));
    }
    CommandLine result = readRun(given);
    result.language = language;
    return result;
}

int CommandLine::print() const {
    const QByteArray bytes = text.toUtf8();
    std::FILE* to = exitCode == 0 ? stdout : stderr;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
    return exitCode;
}
