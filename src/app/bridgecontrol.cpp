#include "app/bridgecontrol.h"

#include "app/form1.h"
#include "launch/launch.h"
#include "state/messagesink.h"

#include <QCoreApplication>

BridgeControl::BridgeControl(Form1& form, MessageSink& messages)
    : m_form(form), m_messages(messages) {}

BridgeControl::~BridgeControl() {
    stop();
}

bool BridgeControl::startAtLaunch(const CommandLine::Window& options, SettingsStore& settings,
                                  QString* why) {
    if (options.mqtt) {
        std::optional<Bridge::Options> b = launch::bridgeOptions(options, why);
        if (!b)
            return false;
        run(std::move(*b), true);
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
    if (m_bridge && !m_fromCommandLine && m_bridge->options() == *options)
        return;
    run(std::move(*options), false);
}

void BridgeControl::run(Bridge::Options options, bool fromCommandLine) {
    stop();
    m_fromCommandLine = fromCommandLine;
    m_bridge = std::make_unique<Bridge>(m_form.station(), std::move(options));
    connect(m_bridge.get(), &Bridge::stateChanged, this, &BridgeControl::stateChanged);
    // Told in front of the window, from the event loop rather than the client's callback.
    connect(
        m_bridge.get(), &Bridge::refused, this,
        [this](const QString& why) { m_messages.MsgBox(why); }, Qt::QueuedConnection);
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
