#pragma once

#include "bridge/bridge.h"

#include <QString>
#include <optional>

class SettingsStore;

// The window's MQTT setting, kept in a section of its own in the settings file ("MQTT"); the
// module counts' keys are not touched. The password is never written there: it lives in a
// file of its own beside the settings file, readable by its owner only, or comes from the
// environment variable S88_MQTT_PASSWORD.
namespace mqtt_settings {

struct Setting {
    QString url; // as typed: mqtt://[user@]host[:port][/prefix] or mqtts://…
    QString caFile;
    bool discovery = false;
    bool commands = false;
    bool on = false;
};

// A missing or unreadable value is the default (off, empty).
Setting load(SettingsStore& settings);
// All values together or none; throws PlatformError when the settings file cannot be written.
void save(SettingsStore& settings, const Setting& setting);

// The password file: beside the settings file, "<app>-mqtt-password".
QString passwordPath();
// What the password file holds; empty when there is none.
QString storedPassword();
// Writes the password file with mode 0600 (set before any byte of it is written) and
// replaces the old one at once; an empty password removes the file. False with a reason,
// which never holds the password.
bool savePassword(const QString& password, QString* why = nullptr);
// The password the bridge uses: the password file's, else S88_MQTT_PASSWORD, else empty.
// Nothing, with a reason, when the file is there but cannot be read.
std::optional<QString> password(QString* why = nullptr);

// The bridge's options for `setting`, with the password above; nothing, with a reason, when
// the URL is not one or the password cannot be read.
std::optional<Bridge::Options> options(const Setting& setting, QString* why = nullptr);

} // namespace mqtt_settings
