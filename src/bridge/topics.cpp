#include "bridge/topics.h"

#include "history/changehistory.h"
#include "serial/countvalue.h"
#include "state/formstate.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace topics {

QString status(const QString& p) {
    return p + QStringLiteral("/status");
}
QString link(const QString& p) {
    return p + QStringLiteral("/link");
}
QString sensor(const QString& p, int input) {
    return p + QStringLiteral("/track/sensor/") + QString::number(input);
}
QString sensors(const QString& p) {
    return p + QStringLiteral("/track/sensor/+");
}
QString event(const QString& p) {
    return p + QStringLiteral("/event");
}
QString check(const QString& p) {
    return p + QStringLiteral("/check");
}
QString dropped(const QString& p) {
    return p + QStringLiteral("/dropped");
}
QString countsSet(const QString& p) {
    return p + QStringLiteral("/counts/set");
}
QString countsResult(const QString& p) {
    return p + QStringLiteral("/counts/result");
}
QString node(const QString& p) {
    QString n = QStringLiteral("s88_");
    for (const QChar c : p) {
        if (c == u'/')
            n += u'_';
        else if (c == u'_')
            n += QStringLiteral("-_");
        else if (c == u'-')
            n += QStringLiteral("--");
        else
            n += c;
    }
    return n;
}
QString deviceDiscovery(const QString& p) {
    return QStringLiteral("homeassistant/device/%1/config").arg(node(p));
}
QString oldDiscoveries(const QString& p) {
    return QStringLiteral("homeassistant/binary_sensor/%1/+/config").arg(node(p));
}
QString entityId(const QString& p, int input) {
    QString slug;
    bool gap = false;
    for (const QChar c : node(p)) {
        const QChar l = c.toLower();
        if ((l >= u'a' && l <= u'z') || (l >= u'0' && l <= u'9')) {
            if (gap && !slug.isEmpty())
                slug += u'_';
            slug += l;
            gap = false;
        } else {
            gap = true;
        }
    }
    return QStringLiteral("binary_sensor.%1_input%2").arg(slug).arg(input);
}
QString sensorName(int input, const QString& name) {
    return name.isEmpty()
               ? QCoreApplication::translate("topics", "Indgang %1").arg(input)
               : QCoreApplication::translate("topics", "%1 (indgang %2)").arg(name).arg(input);
}
int sensorOf(const QString& p, QStringView topic) {
    static const QString kSensors = QStringLiteral("/track/sensor/");
    if (!topic.startsWith(p) || !topic.mid(p.size()).startsWith(kSensors))
        return 0;
    const QStringView number = topic.mid(p.size() + kSensors.size());
    bool ok = false;
    const int n = number.toInt(&ok);
    return ok && n >= 1 && n <= FormState::kLastInput && number == QString::number(n) ? n : 0;
}

QByteArray statePayload(bool active) {
    return active ? kActive : kInactive;
}

QByteArray eventPayload(const ChangeEvent& e, quint64 seq, QByteArrayView time,
                        const QString& name) {
    QByteArray out;
    out.reserve(128);
    out += "{\"seq\":" + QByteArray::number(seq);
    out += ",\"time\":\"";
    out += time;
    out += "\",\"time_ms\":" + QByteArray::number(e.timeMs);
    out += ",\"input\":" + QByteArray::number(e.input);
    out += ",\"module\":" + QByteArray::number(e.module());
    out += ",\"contact\":" + QByteArray::number(e.contact());
    out += ",\"state\":";
    out += e.active ? "1" : "0";
    out += ",\"since_ms\":";
    out += e.sinceMs >= 0 ? QByteArray::number(e.sinceMs) : QByteArray("null");
    if (!name.isEmpty()) {
        out += ",\"name\":";
        out += QJsonDocument(QJsonArray{name}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
    }
    out += '}';
    return out;
}

QByteArray devicePayload(const QString& p, int counted, const std::function<QString(int)>& nameOf) {
    const QString id = node(p);
    const QString version = QStringLiteral(S88_VERSION);
    const QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{id}},
                             {QStringLiteral("name"), QStringLiteral("S88 %1").arg(p)},
                             {QStringLiteral("manufacturer"), QStringLiteral("Vorn")},
                             {QStringLiteral("model"), QStringLiteral("VornS88")},
                             {QStringLiteral("sw_version"), version}};
    const QJsonObject origin{{QStringLiteral("name"), QStringLiteral("s88monitor")},
                             {QStringLiteral("sw_version"), version},
                             {QStringLiteral("support_url"), QStringLiteral(S88_HOMEPAGE)}};
    QJsonObject components;
    for (int n = 1; n <= FormState::kLastInput; ++n) {
        QJsonObject c{{QStringLiteral("platform"), QStringLiteral("binary_sensor")}};
        if (n <= counted) {
            c.insert(QStringLiteral("name"), sensorName(n, nameOf(n)));
            c.insert(QStringLiteral("unique_id"), QStringLiteral("%1_input%2").arg(id).arg(n));
            c.insert(QStringLiteral("default_entity_id"), entityId(p, n));
            c.insert(QStringLiteral("state_topic"), sensor(p, n));
            c.insert(QStringLiteral("payload_on"), QString::fromLatin1(kActive));
            c.insert(QStringLiteral("payload_off"), QString::fromLatin1(kInactive));
            c.insert(QStringLiteral("device_class"), QStringLiteral("occupancy"));
        }
        components.insert(QStringLiteral("input%1").arg(n), c);
    }
    const QJsonObject config{
        {QStringLiteral("device"), device},
        {QStringLiteral("origin"), origin},
        {QStringLiteral("availability_topic"), status(p)},
        {QStringLiteral("payload_available"), QString::fromLatin1(kOnline)},
        {QStringLiteral("payload_not_available"), QString::fromLatin1(kOffline)},
        {QStringLiteral("components"), components}};
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

QByteArray migratePayload() {
    return QByteArrayLiteral("{\"migrate_discovery\":true}");
}

QByteArray checkPayload(const CheckSummary& s) {
    QJsonObject o{{QStringLiteral("configured"),
                   s.configured ? QJsonValue(*s.configured) : QJsonValue(QJsonValue::Null)},
                  {QStringLiteral("reported"), s.reported},
                  {QStringLiteral("missing"), s.missing},
                  {QStringLiteral("unknown"), s.unknown},
                  {QStringLiteral("bursts_per_second"), qRound(s.burstsPerSecond * 10) / 10.0},
                  {QStringLiteral("given_up"), qint64(s.givenUp)},
                  {QStringLiteral("stray_bytes"), qint64(s.strayBytes)},
                  {QStringLiteral("counts_not_sent"), s.countsNotSent},
                  {QStringLiteral("short_bursts"), qint64(s.shortBursts)},
                  {QStringLiteral("short_missing"), s.shortMissing},
                  {QStringLiteral("unstable"), s.unstable}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<std::array<QString, 3>> splitCounts(const QByteArray& payload) {
    if (payload.size() > 64)
        return std::nullopt;
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decode(payload);
    if (decode.hasError())
        return std::nullopt;
    const QStringList parts = text.split(u',');
    if (parts.size() != 3)
        return std::nullopt;
    std::array<QString, 3> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!countvalue::wholeCountByte(parts[qsizetype(i)]))
            return std::nullopt;
        texts[i] = parts[qsizetype(i)].trimmed();
    }
    return texts;
}

QByteArray countsResultPayload(const QString& counts, const QString& refusal) {
    QJsonObject o{{QStringLiteral("ok"), refusal.isEmpty()}, {QStringLiteral("counts"), counts}};
    if (!refusal.isEmpty())
        o.insert(QStringLiteral("reason"), refusal);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace topics
