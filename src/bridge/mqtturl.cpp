#include "bridge/mqtturl.h"

#include "history/pathgate.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

namespace {
bool fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}
} // namespace

std::optional<MqttUrl> MqttUrl::parse(const QString& text, QString* why) {
    MqttUrl url;
    QString rest = text;
    if (rest.startsWith(QStringLiteral("mqtt://"))) {
        rest = rest.mid(7);
    } else if (rest.startsWith(QStringLiteral("mqtts://"))) {
        rest = rest.mid(8);
        url.tls = true;
        url.port = kTlsPort;
    } else {
        fail(why, QCoreApplication::translate(
                      "MqttUrl", "expected mqtt://[user@]host[:port][/prefix] or mqtts://…"));
        return std::nullopt;
    }
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    if (slash >= 0) {
        QString prefix = rest.mid(slash + 1);
        while (prefix.endsWith(QLatin1Char('/')))
            prefix.chop(1);
        static const QRegularExpression topicLevel(
            QStringLiteral("^[A-Za-z0-9_-]+(/[A-Za-z0-9_-]+)*$"));
        if (prefix.size() > kMaxPrefix) {
            fail(why, QCoreApplication::translate("MqttUrl",
                                                  "præfikset har %1 tegn; højst %2 er tilladt")
                          .arg(prefix.size())
                          .arg(kMaxPrefix));
            return std::nullopt;
        }
        if (!prefix.isEmpty() && !topicLevel.match(prefix).hasMatch()) {
            fail(why, QCoreApplication::translate(
                          "MqttUrl", "præfikset \"%1\" må kun have bogstaver, cifre, _ og - "
                                     "i niveauer delt af /")
                          .arg(prefix));
            return std::nullopt;
        }
        if (!prefix.isEmpty())
            url.prefix = prefix;
    }
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        url.user = authority.left(at);
        authority = authority.mid(at + 1);
        if (url.user.contains(QLatin1Char(':'))) {
            fail(why, QCoreApplication::translate(
                          "MqttUrl", "no password in the URL: use --mqtt-password-file or "
                                     "S88_MQTT_PASSWORD"));
            return std::nullopt;
        }
        if (url.user.isEmpty()) {
            fail(why, QCoreApplication::translate("MqttUrl", "an empty user name before @"));
            return std::nullopt;
        }
    }
    const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0 && !authority.endsWith(QLatin1Char(']'))) {
        bool ok = false;
        const QString portText = authority.mid(colon + 1);
        const int port = portText.toInt(&ok);
        if (!ok || port < 1 || port > 65535 || portText.startsWith(QLatin1Char('+'))) {
            fail(why, QCoreApplication::translate("MqttUrl",
                                                  "the port \"%1\" is not a number from 1 to 65535")
                          .arg(portText));
            return std::nullopt;
        }
        url.port = port;
        authority = authority.left(colon);
    }
    if (authority.startsWith(QLatin1Char('[')) && authority.endsWith(QLatin1Char(']')))
        authority = authority.mid(1, authority.size() - 2);
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9.:_-]+$"));
    if (authority.isEmpty() || !hostName.match(authority).hasMatch()) {
        fail(why, authority.isEmpty()
                      ? QCoreApplication::translate("MqttUrl", "no broker host")
                      : QCoreApplication::translate("MqttUrl", "\"%1\" is not a host name")
                            .arg(authority));
        return std::nullopt;
    }
    url.host = authority;
    return url;
}

QString MqttUrl::display() const {
    return QStringLiteral("%1://%2:%3")
        .arg(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), host, QString::number(port));
}

std::optional<QString> readMqttPassword(const QString& file, QString* why) {
    if (file.isEmpty()) {
        const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
        const QString credential = credentials + QStringLiteral("/mqtt-password");
        if (credentials.isEmpty() || !QFile::exists(credential))
            return qEnvironmentVariable("S88_MQTT_PASSWORD");
        return readMqttPassword(credential, why);
    }
    constexpr qint64 kMaxSize = 64 * 1024;
    const std::optional<QByteArray> text = pathgate::readWhole(file, kMaxSize, why);
    if (!text)
        return std::nullopt;
    QString password = QString::fromUtf8(text->left(text->indexOf('\n') + 1));
    if (!text->contains('\n'))
        password = QString::fromUtf8(*text);
    while (password.endsWith(QLatin1Char('\n')) || password.endsWith(QLatin1Char('\r')))
        password.chop(1);
    return password;
}
