#pragma once

#include <QString>
#include <optional>

// Where the bridge publishes: mqtt://[user@]host[:port][/prefix] or mqtts://… for TLS. The
// password never comes from the URL (see readPassword()).
struct MqttUrl {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;
    // The prefix: topic levels of letters, digits, '_' and '-', parted by '/', at most this
    // long. Home Assistant's discovery takes no '.'; wildcards and blanks have no place.
    static constexpr int kMaxPrefix = 64;
    static inline const QString kDefaultPrefix = QStringLiteral("s88");

    bool tls = false;
    QString user; // empty: no user name sent
    QString host;
    int port = kPlainPort;
    QString prefix = kDefaultPrefix; // every topic starts with prefix + "/"

    // The URL read, or nothing with a one-line reason in `why`.
    static std::optional<MqttUrl> parse(const QString& text, QString* why = nullptr);
    // For messages: scheme, host and port, never a password.
    QString display() const;
    bool operator==(const MqttUrl&) const = default;
};

// The broker password: the first line of `file` when one is named, else of the credential
// "mqtt-password" that systemd hands a service ($CREDENTIALS_DIRECTORY/mqtt-password), else the
// environment variable S88_MQTT_PASSWORD, else empty. Nothing, with a reason, when the named
// file or the credential cannot be read.
std::optional<QString> readMqttPassword(const QString& file, QString* why = nullptr);
