#pragma once

#include "bridge/bridge.h"
#include "bridge/mqttsettings.h"
#include "launch/commandline.h"

#include <QObject>
#include <memory>

class Form1;
class MessageSink;

// The window's MQTT bridge: started at launch from --mqtt or, without it, from the stored
// setting; started anew whenever the setting is changed in the window; stopped cleanly (it
// publishes "offline") before another takes its place and when the window goes.
class BridgeControl final : public QObject {
    Q_OBJECT

public:
    BridgeControl(Form1& form, MessageSink& messages);
    ~BridgeControl() override;

    // At launch: --mqtt and its options win for this run and leave the stored setting as it
    // is; without --mqtt the stored setting, when it is on. False, with a reason, when the
    // command line's password file cannot be read (a stored setting that cannot be used is
    // told through the message sink instead, and the window goes on without the bridge).
    bool startAtLaunch(const CommandLine::Window& options, SettingsStore& settings,
                       QString* why = nullptr);
    // The setting as changed in the window: the bridge started anew when anything that
    // reaches the broker changed (or stopped, when the setting is off).
    void apply(const mqtt_settings::Setting& setting);
    // Publishes "offline" and disconnects; idempotent.
    void stop();

    Bridge* bridge() const { return m_bridge.get(); }
    // Whether the running bridge came from the command line.
    bool fromCommandLine() const { return m_fromCommandLine; }
    // The state in the window's words: off, connecting, connected to host, messages held.
    QString stateText() const;
    // While the bridge is not connected: its last line, which says why (a refused password, a
    // broker that does not answer); else empty.
    QString troubleText() const;

signals:
    // A line whenever the broker's state changes, and when the bridge is stopped or replaced.
    void stateChanged(const QString& line);

private:
    void run(Bridge::Options options, bool fromCommandLine);

    Form1& m_form;
    MessageSink& m_messages;
    std::unique_ptr<Bridge> m_bridge;
    bool m_fromCommandLine = false;
};
