#pragma once

#include "app/bridgecontrol.h"
#include "app/form1.h"
#include "bridge/bridge.h"
#include "support/broker.h"
#include "support/testsupport.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTest>

// The window's MQTT setting as the tests meet it: the settings file's keys and the password
// file's name written out here, brokers' URLs, and what a broker holds retained.
namespace mqtt_rig {

inline const QString kApp = QStringLiteral("Gen_Vorn_S88");

inline QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A broker's password file with the one user "anna"; false without mosquitto_passwd.
inline bool writePasswords(const QString& file, const QString& password) {
    if (!writeFile(file, ""))
        return false;
    QProcess tool;
    tool.start(QStringLiteral("mosquitto_passwd"),
               {QStringLiteral("-b"), file, QStringLiteral("anna"), password});
    return tool.waitForFinished(10000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

inline QString passwordFile(const SettingsDirectory& dir) {
    return dir.path() + QStringLiteral("/Gen_Vorn_S88-mqtt-password");
}

inline QString urlOf(const Broker& broker, const QString& user = {}) {
    const QString who = user.isEmpty() ? QString() : user + u'@';
    return QStringLiteral("mqtt://") + who + QStringLiteral("127.0.0.1:%1/w").arg(broker.port());
}

inline void storeCounts(SettingsStore& store) {
    store.SaveSettings(kApp, {{QStringLiteral("S88Left"), QStringLiteral("Antal"), "2"},
                              {QStringLiteral("S88Mid"), QStringLiteral("Antal"), "3"},
                              {QStringLiteral("S88Right"), QStringLiteral("Antal"), "0"}});
}

inline void storeMqtt(SettingsStore& store, const QString& url, bool on) {
    store.SaveSettings(kApp, {{QStringLiteral("MQTT"), QStringLiteral("URL"), url},
                              {QStringLiteral("MQTT"), QStringLiteral("Til"), on ? "1" : "0"}});
}

inline QString stored(SettingsStore& store, const QString& key) {
    return store.GetSetting(kApp, QStringLiteral("MQTT"), key, QStringLiteral("(none)"));
}

// The settings file's lines of the three counts' sections, as bytes.
inline QByteArray countLines(const QString& file) {
    QByteArray kept;
    bool inCounts = false;
    for (const QByteArray& line : bytesOf(file).split('\n')) {
        if (line.startsWith('['))
            inCounts = line == "[S88Left]" || line == "[S88Mid]" || line == "[S88Right]";
        if (inCounts)
            kept += line + '\n';
    }
    return kept;
}

inline bool connected(Form1& form) {
    return form.mqtt().bridge() && form.mqtt().bridge()->isConnected();
}

// What the broker holds retained for the inputs: a subscriber that comes afterwards.
inline QMap<QString, QByteArray> retainedStates(int port) {
    return retainedOn(port, QStringLiteral("w/track/sensor/+"), 200);
}

} // namespace mqtt_rig
