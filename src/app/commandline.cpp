#include "app/commandline.h"

#include "app/options.h"
#include "serial/countvalue.h"
#include "sim/faults.h"

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
    return printed(kUsageError, QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(kProgram, why));
}

// The readers: each takes the options of one run from what was given, or says what is wrong.
using Problem = std::optional<QString>;

Problem readReport(const Given& given, reports::Request& report) {
    using Kind = reports::Request::Kind;
    const QStringList histories = given.values(Id::History);
    const QStringList inputs = given.values(Id::Inputs);
    const QStringList summaries = given.values(Id::Summary);
    if (histories.size() + inputs.size() + summaries.size() != 1)
        return QStringLiteral("give one of --history, --inputs and --summary, once");
    report.kind = !histories.isEmpty() ? Kind::History
                  : !inputs.isEmpty()  ? Kind::Inputs
                                       : Kind::Summary;
    report.path = (histories + inputs + summaries).first();
    if (given.isSet(Id::Separator)) {
        const QString value = given.value(Id::Separator);
        if (report.kind == Kind::Summary)
            return QStringLiteral("--separator goes with --history or --inputs");
        if (value != u"," && value != u";")
            return QStringLiteral("--separator %1: expected ',' or ';'").arg(value);
        report.separator = char(value.at(0).toLatin1());
    }
    StabilityLimits& limits = report.limits;
    if (given.isSet(Id::UnstableMs)) {
        bool ok = false;
        const QString value = given.value(Id::UnstableMs);
        limits.shortestMs = value.toLongLong(&ok);
        if (!ok || limits.shortestMs < 0)
            return QStringLiteral("--unstable-ms %1: expected milliseconds").arg(value);
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
            return QStringLiteral("--unstable-changes %1: expected N/MS, N from 2 to %2")
                .arg(value)
                .arg(StabilityLimits::kMaxChanges);
    }
    return std::nullopt;
}

Problem readWindow(const Given& given, CommandLine::Window& window) {
    if (given.isSet(Id::Simulate) && given.isSet(Id::Replay))
        return QStringLiteral("give one of --simulate and --replay");
    bool speedOk = false;
    window.speed = given.value(Id::Speed).toDouble(&speedOk);
    if (!speedOk || window.speed < 0)
        return QStringLiteral("--speed %1: expected a number, 0 or more")
            .arg(given.value(Id::Speed));
    sim::Faults faults;
    for (const QString& fault : given.values(Id::Fault)) {
        if (const std::optional<QString> why = faults.add(fault))
            return QStringLiteral("--fault %1").arg(*why);
    }
    window.faults = given.values(Id::Fault);
    window.walk = given.isSet(Id::Walk);
    window.replay = given.value(Id::Replay);
    window.record = given.value(Id::Record);
    for (const QString& value : given.values(Id::Port)) {
        const std::optional<PortMap::Assignment> a = PortMap::parse(value);
        if (!a)
            return QStringLiteral("--port %1: expected N=DEVICE with N from 1 to 8").arg(value);
        window.ports.append(*a);
    }
    window.simulate = given.isSet(Id::Simulate);
    window.exitWhenShown = given.isSet(Id::ExitWhenShown);
    if (given.isSet(Id::Mqtt)) {
        QString why;
        window.mqtt = MqttUrl::parse(given.value(Id::Mqtt), &why);
        if (!window.mqtt)
            // The URL is not repeated: a password typed into it stays off the screen and logs.
            return QStringLiteral("--mqtt: %1").arg(why);
    }
    window.mqttCa = given.value(Id::MqttCa);
    if (!window.mqttCa.isEmpty() && !window.mqtt->tls)
        return QStringLiteral("--mqtt-ca goes with an mqtts:// URL");
    window.mqttPasswordFile = given.value(Id::MqttPasswordFile);
    window.mqttDiscovery = given.isSet(Id::MqttDiscovery);
    window.mqttCommands = given.isSet(Id::MqttCommands);
    if (given.isSet(Id::Counts)) {
        const QStringList parts = given.value(Id::Counts).split(u',');
        bool ok = parts.size() == 3;
        for (const QString& part : parts)
            ok = ok && countvalue::countByte(part).has_value();
        if (!ok)
            return QStringLiteral("--counts %1: expected L,M,R, each a count from 0 to 255")
                .arg(given.value(Id::Counts));
        window.counts = std::array<QString, 3>{parts[0], parts[1], parts[2]};
    }
    return std::nullopt;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    const Given given(arguments);
    if (const std::optional<QString> error = given.error())
        return usageError(*error);
    if (given.isSet(Id::Help))
        return printed(0, given.helpText(kProgram));
    if (given.isSet(Id::Version))
        return printed(0, QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(S88_VERSION)));
    if (!given.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(given.positionalArguments().first()));

    CommandLine result;
    if (given.isSet(Id::Language)) {
        result.language = language::fromCode(given.value(Id::Language));
        if (!result.language)
            return usageError(QStringLiteral("--language %1: expected one of %2")
                                  .arg(given.value(Id::Language), language::codes()));
    }
    result.run = given.isSet(Id::History) || given.isSet(Id::Inputs) || given.isSet(Id::Summary)
                     ? Run::Report
                 : given.isSet(Id::Headless) ? Run::Headless
                                             : Run::Window;
    if (const std::optional<QString> why = given.misplaced(
            result.run == Run::Report ? options::Goes::Report : options::Goes::Window))
        return usageError(*why);
    if (result.run == Run::Headless && given.isSet(Id::ExitWhenShown))
        return usageError(QStringLiteral("--exit-when-shown does not go with --headless"));
    const Problem problem = result.run == Run::Report ? readReport(given, result.report)
                                                      : readWindow(given, result.window);
    if (problem)
        return usageError(*problem);
    return result;
}

int CommandLine::print() const {
    const QByteArray bytes = text.toUtf8();
    std::FILE* to = exitCode == 0 ? stdout : stderr;
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
    std::fflush(to);
    return exitCode;
}
