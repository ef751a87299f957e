#include "bridge/bridge.h"

#include "bridge/mqttclient.h"
#include "bridge/topics.h"
#include "history/modulecheck.h"
#include "history/names.h"
#include "history/station.h"
#include "history/summary.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr int kLamps = FormState::kLampCount;

QString linkText(Bridge::Link link) {
    switch (link) {
    case Bridge::Link::Started:
        return QStringLiteral("started");
    case Bridge::Link::Lost:
        return QStringLiteral("lost");
    case Bridge::Link::Stopped:
        break;
    }
    return QStringLiteral("stopped");
}

} // namespace

Bridge::Bridge(const Station& station, Options options, QObject* parent)
    : QObject(parent), m_station(station), m_state(station.state()), m_history(station.history()),
      m_clock(m_history, csv::Clock::Zone::Utc), m_options(std::move(options)),
      m_next(m_history.total()), m_configured(station.configuredModules()) {
    const QString prefix = m_options.url.prefix;
    for (int n = 1; n <= FormState::kLastInput; ++n)
        m_sensorTopics[std::size_t(n)] = topics::sensor(prefix, n).toUtf8();
    m_eventTopic = topics::event(prefix).toUtf8();
    MqttClient::Config config;
    config.host = m_options.url.host;
    config.port = m_options.url.port;
    config.user = m_options.url.user;
    config.password = m_options.password;
    config.tls = m_options.url.tls;
    config.caFile = m_options.caFile;
    config.clientId = QStringLiteral("%1-%2")
                          .arg(topics::node(prefix))
                          .arg(quint64(QCoreApplication::applicationPid()));
    config.willTopic = topics::status(prefix);
    config.willPayload = topics::kOffline;
    m_client = std::make_unique<MqttClient>(config);
    connect(m_client.get(), &MqttClient::connected, this, &Bridge::onConnected);
    connect(m_client.get(), &MqttClient::disconnected, this, &Bridge::onDisconnected);
    connect(m_client.get(), &MqttClient::published, this, &Bridge::onPublished);
    connect(m_client.get(), &MqttClient::messageReceived, this, &Bridge::onMessage);
    connect(&m_history, &ChangeHistory::eventsAdded, this, &Bridge::take);
    connect(&station, &Station::countsChanged, this, &Bridge::countsChanged);
    m_checkTimer.setInterval(kCheckMs);
    connect(&m_checkTimer, &QTimer::timeout, this, [this] { publishCheck(false); });
}

Bridge::~Bridge() = default;

void Bridge::start() {
    m_started = true;
    m_checkTimer.start();
    say(QCoreApplication::translate("Bridge", "mqtt: connecting to %1")
            .arg(m_options.url.display()));
    m_client->open();
}

void Bridge::stop() {
    if (!m_started)
        return;
    m_started = false;
    m_checkTimer.stop();
    if (m_client->isConnected()) {
        take();
        m_client->publish(topics::status(m_options.url.prefix), topics::kOffline, true);
    }
    m_client->close();
    say(QCoreApplication::translate("Bridge", "mqtt: disconnected from %1")
            .arg(m_options.url.display()));
}

bool Bridge::isConnected() const {
    return m_client->isConnected();
}

QString Bridge::stateText() const {
    if (!m_started)
        return {};
    const QString host = m_options.url.host;
    QString text = m_client->isConnected()
                       ? QCoreApplication::translate("Bridge", "MQTT: forbundet til %1").arg(host)
                       : QCoreApplication::translate("Bridge", "MQTT: forbinder til %1").arg(host);
    if (!m_held.empty())
        text += QCoreApplication::translate("Bridge", ", %1 holdt tilbage").arg(m_held.size());
    if (m_dropped > 0)
        text += QCoreApplication::translate("Bridge", ", %1 tabt").arg(m_dropped);
    return text;
}

void Bridge::say(const QString& line) {
    if (line == m_line)
        return;
    m_line = line;
    emit stateChanged(line);
}

void Bridge::take() {
    const MqttClient::Batch batch(*m_client);
    noteDropped();
    const bool live = m_client->isConnected();
    m_next = m_history.forEachNew(m_next, [this, live](quint64 seq, const ChangeEvent& event) {
        if (live)
            publishEvent({seq, event}, true);
        else
            hold({seq, event});
    });
}

// The events the ring dropped before the bridge took them: where the ring starts tells.
void Bridge::noteDropped() {
    if (m_next < m_history.firstKept())
        m_dropped += m_history.firstKept() - m_next;
}

void Bridge::hold(const Numbered& event) {
    if (qsizetype(m_held.size()) >= kMaxHeld) {
        m_held.pop_front();
        ++m_dropped;
    }
    m_held.push_back(event);
}

void Bridge::publishEvent(const Numbered& n, bool withState) {
    const ChangeEvent& e = n.event;
    if (withState)
        m_client->publish(m_sensorTopics[std::size_t(e.input)], topics::statePayload(e.active),
                          true,
                          0); // every (re)connect publishes all states again
    QByteArray time;
    m_clock.append(time, e.timeMs);
    const int mid = m_client->publish(m_eventTopic, topics::eventPayload(e, n.seq, time), false);
    if (mid > 0)
        m_unacked.emplace_back(mid, n);
    else
        hold(n);
}

void Bridge::onPublished(int mid) {
    if (!m_unacked.empty() && m_unacked.front().first == mid) {
        m_unacked.pop_front();
        return;
    }
    for (auto it = m_unacked.begin(); it != m_unacked.end(); ++it) {
        if (it->first == mid) {
            m_unacked.erase(it);
            return;
        }
    }
}

void Bridge::onConnected() {
    const QString& prefix = m_options.url.prefix;
    // What changed before now is in the state below; its events go out after it, in order.
    noteDropped();
    m_next = m_history.forEachNew(m_next, [this](quint64 seq, const ChangeEvent& event) {
        hold({seq, event});
    });
    m_client->publish(topics::status(prefix), topics::kOnline, true);
    m_client->publish(topics::link(prefix), linkText(m_link).toUtf8(), true);
    for (int n = 1; n <= FormState::kLastInput; ++n)
        m_client->publish(m_sensorTopics[std::size_t(n)],
                          topics::statePayload(m_state.InputState[std::size_t(n)]), true, 0);
    if (m_options.discovery)
        publishDiscovery();
    if (m_options.commands)
        m_client->subscribe(topics::countsSet(prefix));
    std::deque<Numbered> held;
    held.swap(m_held);
    for (const Numbered& e : held)
        publishEvent(e, false);
    m_client->publish(topics::dropped(prefix), QByteArray::number(m_dropped), true);
    publishCheck(true);
    say(QCoreApplication::translate("Bridge", "mqtt: connected to %1")
            .arg(m_options.url.display()));
}

void Bridge::onDisconnected(const QString& why) {
    // Sent but not acknowledged: held again, ahead of anything newer.
    for (auto it = m_unacked.rbegin(); it != m_unacked.rend(); ++it)
        m_held.push_front(it->second);
    m_unacked.clear();
    while (qsizetype(m_held.size()) > kMaxHeld) {
        m_held.pop_front();
        ++m_dropped;
    }
    if (!m_started)
        return;
    say(QCoreApplication::translate("Bridge", "mqtt: %1 not reachable: %2; trying again")
            .arg(m_options.url.display(), why));
}

void Bridge::setLink(Link link) {
    if (link == m_link)
        return;
    m_link = link;
    if (m_client->isConnected())
        m_client->publish(topics::link(m_options.url.prefix), linkText(link).toUtf8(), true);
}

void Bridge::countsChanged() {
    const bool other = m_station.configuredModules() != m_configured;
    m_configured = m_station.configuredModules();
    if (!m_client->isConnected())
        return;
    if (other && m_options.discovery)
        publishDiscovery();
    publishCheck(true);
}

int Bridge::discoveryInputs() const {
    if (!m_configured)
        return kLamps;
    return std::clamp(*m_configured * protocol::kInputsPerModule, 0, FormState::kLastInput);
}

void Bridge::publishDiscovery() {
    const QString& prefix = m_options.url.prefix;
    const int inputs = discoveryInputs();
    for (int n = 1; n <= inputs; ++n)
        m_client->publish(
            topics::discovery(prefix, n),
            topics::discoveryPayload(prefix, n, m_names ? m_names->name(n) : QString()), true);
    // Inputs no longer counted: their configs removed.
    for (int n = inputs + 1; n <= m_discovered; ++n)
        m_client->publish(topics::discovery(prefix, n), QByteArray(), true);
    m_discovered = inputs;
}

void Bridge::publishCheck(bool always) {
    if (!m_client->isConnected())
        return;
    const ModuleCheck check = m_station.check();
    topics::CheckSummary summary;
    summary.configured = check.configured;
    summary.reported = numberRanges(check.reported);
    summary.missing = numberRanges(check.missing);
    summary.unknown = numberRanges(check.unexpected);
    summary.burstsPerSecond = check.burstsPerSecond;
    summary.givenUp = check.givenUp;
    summary.strayBytes = check.strayBytes;
    summary.countsNotSent = check.countsNotSent;
    summary.shortBursts = check.shortBursts;
    summary.shortMissing = numberRanges(check.shortMissing);
    summary.unstable = numberRanges(check.unstable);
    const QByteArray payload = topics::checkPayload(summary);
    if (!always && payload == m_lastCheck)
        return;
    m_lastCheck = payload;
    m_client->publish(topics::check(m_options.url.prefix), payload, true, 0);
}

void Bridge::onMessage(const QString& topic, const QByteArray& payload) {
    const QString& prefix = m_options.url.prefix;
    if (!m_options.commands || topic != topics::countsSet(prefix))
        return;
    const QString shown = QString::fromUtf8(payload.left(64));
    QString refusal;
    const auto texts = topics::splitCounts(payload);
    if (!texts)
        refusal = QStringLiteral("expected three counts as L,M,R");
    else if (!m_countHandler)
        refusal = QStringLiteral("counts cannot be sent from here");
    else
        refusal = m_countHandler(*texts);
    m_client->publish(topics::countsResult(prefix), topics::countsResultPayload(shown, refusal),
                      false);
}
