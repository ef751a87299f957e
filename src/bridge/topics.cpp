#include "bridge/topics.h"

#include "history/changehistory.h"
#include "serial/countvalue.h"

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
QString discovery(const QString& p, int input) {
    return QStringLiteral("homeassistant/binary_sensor/%1/input%2/config").arg(node(p)).arg(input);
}

QByteArray statePayload(bool active) {
    return active ? kActive : kInactive;
}

QByteArray eventPayload(const ChangeEvent& e, quint64 seq, QByteArrayView time) {
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
    out += '}';
    return out;
}

QByteArray discoveryPayload(const QString& p, int input, const QString& name) {
    const QString id = node(p);
    QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{id}},
                       {QStringLiteral("name"), QStringLiteral("S88 %1").arg(p)},
                       {QStringLiteral("model"), QStringLiteral("VornS88")}};
    QJsonObject config{
        {QStringLiteral("name"), name.isEmpty()
                                     ? QStringLiteral("Indgang %1").arg(input)
                                     : QStringLiteral("%1 (indgang %2)").arg(name).arg(input)},
        {QStringLiteral("unique_id"), QStringLiteral("%1_input%2").arg(id).arg(input)},
        {QStringLiteral("object_id"), QStringLiteral("%1_input%2").arg(id).arg(input)},
        {QStringLiteral("state_topic"), sensor(p, input)},
        {QStringLiteral("payload_on"), QString::fromLatin1(kActive)},
        {QStringLiteral("payload_off"), QString::fromLatin1(kInactive)},
        {QStringLiteral("device_class"), QStringLiteral("occupancy")},
        {QStringLiteral("availability_topic"), status(p)},
        {QStringLiteral("payload_available"), QString::fromLatin1(kOnline)},
        {QStringLiteral("payload_not_available"), QString::fromLatin1(kOffline)},
        {QStringLiteral("device"), device}};
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
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
