#include "app/bridgecontrol.h"

#include "app/form1.h"
#include "state/messagesink.h"

#include <QCoreApplication>

namespace {
// Whether two option sets reach the broker the same way and publish the same.
bool same(const Bridge::Options& a, const Bridge::Options& b) {
    return a.url.tls == b.url.tls && a.url.user == b.url.user && a.url.host == b.url.host &&
           a.url.port == b.url.port && a.url.prefix == b.url.prefix && a.password == b.password &&
           a.caFile == b.caFile && a.discovery == b.discovery && a.commands == b.commands;
}
} // namespace

BridgeControl::BridgeControl(Form1& form, MessageSink& messages)
    : m_form(form), m_messages(messages) {}

BridgeControl::~BridgeControl() {
    stop();
}

bool BridgeControl::startAtLaunch(const CommandLine::Window& options, SettingsStore& settings,
                                  QString* why) {
    if (options.mqtt) {
        QString reason;
        const std::optional<QString> password = readMqttPassword(options.mqttPasswordFile, &reason);
        if (!password) {
            if (why)
                *why = QCoreApplication::translate("main", "--mqtt-password-file %1: %2")
                           .arg(options.mqttPasswordFile, reason);
            return false;
        }
        Bridge::Options b;
        b.url = *options.mqtt;
        b.password = *password;
        b.caFile = options.mqttCa;
        b.discovery = options.mqttDiscovery;
        b.commands = options.mqttCommands;
        run(std::move(b), true);
        return true;
    }
    const mqtt_settings::Setting stored = mqtt_settings::load(settings);
    if (stored.on)
        apply(stored);
    return true;
}

void BridgeControl::apply(const mqtt_settings::Setting& setting) {
    if (!setting.on) {
        stop();
        return;
    }
    QString why;
    std::optional<Bridge::Options> options = mqtt_settings::options(setting, &why);
    if (!options) {
        m_messages.MsgBox(tr("MQTT kan ikke startes: %1").arg(why));
        return;
    }
    if (m_bridge && !m_fromCommandLine && same(m_bridge->options(), *options))
        return;
    run(std::move(*options), false);
}

void BridgeControl::run(Bridge::Options options, bool fromCommandLine) {
    stop();
    m_fromCommandLine = fromCommandLine;
    m_bridge = std::make_unique<Bridge>(m_form.state(), m_form.history(), std::move(options));
    connect(m_bridge.get(), &Bridge::stateChanged, this, &BridgeControl::stateChanged);
    m_form.setBridge(m_bridge.get());
    m_bridge->start();
}

void BridgeControl::stop() {
    if (!m_bridge)
        return;
    m_form.setBridge(nullptr);
    m_bridge->stop(); // publishes "offline" and says so
    m_bridge.reset();
    m_fromCommandLine = false;
}

QString BridgeControl::stateText() const {
    if (!m_bridge)
        return tr("MQTT: fra");
    const QString text = m_bridge->stateText();
    return m_fromCommandLine ? tr("%1 (--mqtt på kommandolinjen)").arg(text) : text;
}

QString BridgeControl::troubleText() const {
    if (!m_bridge || m_bridge->isConnected())
        return {};
    return m_bridge->lastLine();
}
