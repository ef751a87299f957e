#include "bridge/mqttsettings.h"

#include "history/pathgate.h"
#include "state/settingsfile.h"
#include "state/settingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace mqtt_settings {

namespace {
using settings_keys::kCa;
using settings_keys::kCommands;
using settings_keys::kDiscovery;
using settings_keys::kOn;
using settings_keys::kUrl;
const QString& kSection = settings_keys::kMqtt;

QString stored(SettingsStore& settings, const QString& key) {
    return settings.GetSetting(settings_keys::kApp, kSection, key, QString());
}
QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

Setting load(SettingsStore& settings) {
    Setting s;
    s.url = stored(settings, kUrl);
    s.caFile = stored(settings, kCa);
    s.discovery = stored(settings, kDiscovery) == QLatin1String("1");
    s.commands = stored(settings, kCommands) == QLatin1String("1");
    s.on = stored(settings, kOn) == QLatin1String("1");
    return s;
}

void save(SettingsStore& settings, const Setting& s) {
    settings.SaveSettings(settings_keys::kApp, {{kSection, kUrl, s.url},
                                                {kSection, kCa, s.caFile},
                                                {kSection, kDiscovery, flag(s.discovery)},
                                                {kSection, kCommands, flag(s.commands)},
                                                {kSection, kOn, flag(s.on)}});
}

QString passwordPath() {
    return QFileInfo(settingsfile::path(settings_keys::kApp)).absolutePath() + QLatin1Char('/') +
           settings_keys::kApp + QStringLiteral("-mqtt-password");
}

QString storedPassword() {
    if (!QFileInfo::exists(passwordPath()))
        return {};
    return readMqttPassword(passwordPath()).value_or(QString());
}

bool savePassword(const QString& password, QString* why) {
    const QString path = passwordPath();
    if (password.isEmpty()) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return true;
        if (why)
            *why = QCoreApplication::translate("MqttSettings", "%1 kan ikke fjernes").arg(path);
        return false;
    }
    const QString dir = QFileInfo(path).absolutePath();
    QString reason;
    if (!pathgate::writable(path, {}, &reason)) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    QSaveFile file(path);
    if (!QFileInfo(dir).isDir() || !file.open(QIODevice::WriteOnly)) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    // The temporary file is still empty here: only its owner may read what comes.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        if (why)
            *why = QCoreApplication::translate("MqttSettings", "%1: rettighederne kan ikke sættes")
                       .arg(path);
        return false;
    }
    const QByteArray bytes = password.toUtf8() + '\n';
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<QString> password(QString* why) {
    const QString path = passwordPath();
    if (!QFileInfo::exists(path))
        return readMqttPassword(QString()); // the environment's
    QString reason;
    std::optional<QString> read = readMqttPassword(path, &reason);
    if (!read && why)
        *why = QStringLiteral("%1: %2").arg(path, reason);
    return read;
}

std::optional<Bridge::Options> options(const Setting& setting, QString* why) {
    const std::optional<MqttUrl> url = MqttUrl::parse(setting.url, why);
    if (!url)
        return std::nullopt;
    const std::optional<QString> secret = password(why);
    if (!secret)
        return std::nullopt;
    Bridge::Options o;
    o.url = *url;
    o.password = *secret;
    o.caFile = setting.caFile;
    o.discovery = setting.discovery;
    o.commands = setting.commands;
    return o;
}

} // namespace mqtt_settings
