#include "bridge/bridge.h"

#include "bridge/mqttclient.h"
#include "bridge/topics.h"
#include "history/modulecheck.h"
#include "history/names.h"
#include "history/station.h"
#include "history/summary.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QStringList>
#include <QSysInfo>

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
    config.clientId = clientId(prefix);
    config.willTopic = topics::status(prefix);
    config.willPayload = topics::kOffline;
    config.noDelay = m_options.noDelay;
    config.keepAliveS = m_options.keepAliveS;
    m_client = std::make_unique<MqttClient>(config);
    connect(m_client.get(), &MqttClient::connected, this, &Bridge::onConnected);
    connect(m_client.get(), &MqttClient::disconnected, this, &Bridge::onDisconnected);
    connect(m_client.get(), &MqttClient::published, this, &Bridge::onPublished);
    connect(m_client.get(), &MqttClient::messageReceived, this, &Bridge::onMessage);
    connect(m_client.get(), &MqttClient::subscribed, this, &Bridge::onSubscribed);
    connect(&m_history, &ChangeHistory::eventsAdded, this, &Bridge::take);
    connect(&station, &Station::countsChanged, this, &Bridge::countsChanged);
    connect(&station, &Station::burstsReceived, this, &Bridge::burstsReceived);
    connect(&station, &Station::portWatchChanged, this, &Bridge::publishStatus);
    connect(&m_history, &ChangeHistory::cleared, this, [this] { m_completeAtLink = 0; });
    m_checkTimer.setInterval(kCheckMs);
    connect(&m_checkTimer, &QTimer::timeout, this, [this] { publishCheck(false); });
}

Bridge::~Bridge() = default;

QString Bridge::clientId(const QString& prefix) {
    const QByteArray hash = QCryptographicHash::hash(
        QSysInfo::machineHostName().toUtf8() + '\n' + prefix.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("s88") + QString::fromLatin1(hash.toHex().left(20));
}

void Bridge::start() {
    m_started = true;
    m_checkTimer.start();
    say(QCoreApplication::translate("Bridge", "mqtt: connecting to %1")
            .arg(m_options.url.display()));
    m_client->open();
}

void Bridge::stop() {
    if (m_refused)
        m_client->close(); // refused: nothing to publish
    if (!m_started)
        return;
    if (live())
        take();
    setLink(Link::Stopped); // nobody tells the link's state from here on
    m_started = false;
    publishStatus();
    m_checkTimer.stop();
    m_client->close(kStopFlushMs);
    say(QCoreApplication::translate("Bridge", "mqtt: disconnected from %1")
            .arg(m_options.url.display()));
}

bool Bridge::isConnected() const {
    return m_client->isConnected();
}

bool Bridge::live() const {
    return m_client->isConnected() && m_guarded && !m_refused;
}

bool Bridge::available() const {
    return m_started && m_link == Link::Started && m_known && !m_station.portSilent();
}

// "online" or "offline" as available() says, whenever it changes; retained.
void Bridge::publishStatus() {
    const bool online = available();
    if (!live() || m_online == online)
        return;
    if (m_client->publish(topics::status(m_options.url.prefix),
                          online ? topics::kOnline : topics::kOffline, true) > 0)
        m_online = online;
}

void Bridge::publishState(int input, bool active) {
    if (m_client->publish(m_sensorTopics[std::size_t(input)], topics::statePayload(active), true,
                          0) > 0)
        ++m_mine[std::size_t(input)];
    else
        m_statesOwed = true; // the queue is full: all of them again when it has room
}

void Bridge::publishStates() {
    for (int n = 1; n <= FormState::kLastInput; ++n)
        publishState(n, m_state.InputState[std::size_t(n)]);
}

// A state on input N's topic: the echo of one of ours, or another client's. The broker keeps
// the order of what it is sent, so while echoes of ours are still due it is one of them, or
// the other's came before ours, which then stands. Once none is due, a state that is not the
// true one is answered with it. A lost echo leaves one due too many, which the next message
// takes up: never an answer withheld for long, never a wrong one sent.
void Bridge::stateHeard(int input, const QByteArray& payload) {
    quint16& mine = m_mine[std::size_t(input)];
    if (mine > 0)
        --mine;
    if (mine > 0 || !m_known || !live())
        return;
    const bool active = m_state.InputState[std::size_t(input)];
    if (payload == topics::statePayload(active))
        return;
    publishState(input, active);
    ++m_answered;
    if (m_answered == 1)
        say(QCoreApplication::translate(
                "Bridge", "mqtt: en anden klient udgiver på %1; den sande tilstand sendes igen")
                .arg(QString::fromUtf8(m_sensorTopics[std::size_t(input)])));
}

// The first complete burst since the link was started tells every input's state: all of them
// go out, then "online".
void Bridge::burstsReceived() {
    if (!m_known && m_link == Link::Started && m_history.bursts().complete > m_completeAtLink) {
        m_known = true;
        if (live()) {
            const MqttClient::Batch batch(*m_client);
            publishStates();
        }
    }
    publishStatus();
}

QString Bridge::stateText() const {
    if (m_refused)
        return m_refusal;
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
    const bool now = live();
    m_next = m_history.forEachNew(m_next, [this, now](quint64 seq, const ChangeEvent& event) {
        const Numbered n{seq, event};
        // Behind held ones a change waits its turn, its state with all the others later.
        if (now && !m_held.empty())
            m_statesOwed = true;
        if (!now || !m_held.empty() || !publishEvent(n, m_known))
            hold(n);
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

bool Bridge::publishEvent(const Numbered& n, bool withState) {
    const ChangeEvent& e = n.event;
    if (withState)
        publishState(e.input, e.active); // every (re)connect publishes all states again
    QByteArray time;
    m_clock.append(time, e.timeMs);
    const int mid = m_client->publish(
        m_eventTopic,
        topics::eventPayload(e, n.seq, time, m_names ? m_names->name(e.input) : QString()), false);
    if (mid <= 0)
        return false;
    m_unacked.emplace_back(mid, n);
    return true;
}

// The held changes, in order, as far as the client takes them.
void Bridge::sendHeld() {
    while (!m_held.empty() && publishEvent(m_held.front(), false))
        m_held.pop_front();
}

// The client's queue has room again after it was full: the states and the held changes.
void Bridge::drain() {
    const MqttClient::Batch batch(*m_client);
    if (m_statesOwed) {
        m_statesOwed = false;
        if (m_known)
            publishStates();
    }
    sendHeld();
    publishDropped();
}

void Bridge::publishDropped() {
    if (m_droppedSent != m_dropped && m_client->publish(topics::dropped(m_options.url.prefix),
                                                        QByteArray::number(m_dropped), true) > 0)
        m_droppedSent = m_dropped;
}

void Bridge::onPublished(int mid) {
    if (!m_unacked.empty() && m_unacked.front().first == mid) {
        m_unacked.pop_front();
    } else {
        for (auto it = m_unacked.begin(); it != m_unacked.end(); ++it) {
            if (it->first == mid) {
                m_unacked.erase(it);
                break;
            }
        }
    }
    if ((m_statesOwed || !m_held.empty()) && live() && m_client->hasRoom())
        drain();
}

void Bridge::onConnected() {
    if (!m_guarded) {
        // A first look at what the broker keeps, before anything goes out: another board on the
        // default prefix says so in its retained status, and an earlier version's one-input
        // discovery configs are there to move. The broker sends what it keeps for a
        // subscription before it acknowledges the next one (to a topic nobody publishes on).
        for (const QString& topic : lookTopics())
            m_client->subscribe(topic, 0);
        if (!lookTopics().isEmpty() && (m_guardMid = m_client->subscribe(guardTopic(), 0)) > 0)
            return;
    }
    m_guarded = true;
    publishAll();
}

QStringList Bridge::lookTopics() const {
    QStringList look;
    if (m_options.url.prefix == MqttUrl::kDefaultPrefix)
        look.append(topics::status(m_options.url.prefix));
    if (m_options.discovery)
        look.append(topics::oldDiscoveries(m_options.url.prefix));
    return look;
}

QString Bridge::guardTopic() const {
    return topics::status(m_options.url.prefix) + QStringLiteral("/guard");
}

void Bridge::onSubscribed(int mid) {
    if (m_guardMid == 0 || mid != m_guardMid)
        return;
    m_guardMid = 0;
    if (m_otherBoard) {
        refuse();
        return;
    }
    for (const QString& topic : lookTopics())
        m_client->unsubscribe(topic);
    m_client->unsubscribe(guardTopic());
    m_guarded = true;
    publishAll();
}

void Bridge::refuse() {
    m_refused = true;
    m_started = false;
    m_checkTimer.stop();
    const QString prefix = m_options.url.prefix;
    m_refusal = QCoreApplication::translate(
                    "Bridge", "mqtt: en anden tavle udgiver allerede under præfikset %1 (%2 er "
                              "online); giv denne sit eget: --mqtt %3/PRÆFIKS")
                    .arg(prefix, topics::status(prefix), m_options.url.display());
    say(m_refusal);
    emit refused(m_refusal);
    // Not from inside the client's own callback; a clean disconnect, so the broker does not
    // publish this connection's last will over the other board's status.
    QMetaObject::invokeMethod(
        this, [this] { m_client->close(); }, Qt::QueuedConnection);
}

// Everything, once connected: the link, the states when known, the status, the discovery, the
// held changes and the check.
void Bridge::publishAll() {
    const QString& prefix = m_options.url.prefix;
    // What changed before now is in the state below; its events go out after it, in order.
    noteDropped();
    m_next = m_history.forEachNew(m_next, [this](quint64 seq, const ChangeEvent& event) {
        hold({seq, event});
    });
    m_online.reset();
    // What the states' topics carried before this connection is answered below, not echoed.
    m_mine.fill(0);
    m_client->subscribe(topics::sensors(prefix), 0);
    m_client->publish(topics::link(prefix), linkText(m_link).toUtf8(), true);
    if (m_known)
        publishStates();
    publishStatus();
    if (m_options.discovery)
        publishDiscovery();
    if (m_options.commands)
        m_client->subscribe(topics::countsSet(prefix));
    m_statesOwed = false;
    sendHeld();
    m_droppedSent = ~quint64(0);
    publishDropped();
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
    // Started anew, stopped or lost: the states are not known until a complete burst tells.
    m_known = false;
    m_completeAtLink = m_history.bursts().complete;
    if (live())
        m_client->publish(topics::link(m_options.url.prefix), linkText(link).toUtf8(), true);
    publishStatus();
}

void Bridge::countsChanged() {
    const bool other = m_station.configuredModules() != m_configured;
    m_configured = m_station.configuredModules();
    if (!live())
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

// The board's one config, every input not counted now in it as removed. An earlier version's
// one-input configs are handed over to it first and cleared after.
void Bridge::publishDiscovery() {
    const QString& prefix = m_options.url.prefix;
    for (const QString& topic : std::as_const(m_oldConfigs))
        m_client->publish(topic, topics::migratePayload(), true);
    m_client->publish(
        topics::deviceDiscovery(prefix),
        topics::devicePayload(prefix, discoveryInputs(),
                              [this](int n) { return m_names ? m_names->name(n) : QString(); }),
        true);
    for (const QString& topic : std::as_const(m_oldConfigs))
        m_client->publish(topic, QByteArray(), true);
    m_oldConfigs.clear();
}

void Bridge::publishCheck(bool always) {
    if (!live())
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
    if (m_guardMid > 0 && topic == topics::status(prefix)) {
        m_otherBoard = m_otherBoard || payload == topics::kOnline;
        return;
    }
    if (m_guardMid > 0 && topic.startsWith(QStringLiteral("homeassistant/"))) {
        if (!payload.isEmpty() && !m_oldConfigs.contains(topic))
            m_oldConfigs.append(topic);
        return;
    }
    if (const int input = topics::sensorOf(prefix, topic)) {
        stateHeard(input, payload);
        return;
    }
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

int Bridge::queued() const {
    return m_client->queued();
}
