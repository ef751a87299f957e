#pragma once

#include <QString>
#include <optional>

// Where the bridge publishes: mqtt://[user@]host[:port][/prefix] or mqtts://… for TLS. The
// password never comes from the URL (see readPassword()).
struct MqttUrl {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;

    bool tls = false;
    QString user; // empty: no user name sent
    QString host;
    int port = kPlainPort;
    QString prefix = QStringLiteral("s88"); // every topic starts with prefix + "/"

    // The URL read, or nothing with a one-line reason in `why`.
    static std::optional<MqttUrl> parse(const QString& text, QString* why = nullptr);
    // For messages: scheme, host and port, never a password.
    QString display() const;
    bool operator==(const MqttUrl&) const = default;
};

// The broker password: the first line of `file` when one is named, else the environment
// variable S88_MQTT_PASSWORD, else empty. Nothing, with a reason, when the named file cannot
// be read.
std::optional<QString> readMqttPassword(const QString& file, QString* why = nullptr);
