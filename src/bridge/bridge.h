#pragma once

#include "bridge/mqtturl.h"
#include "history/changehistory.h"
#include "history/csv.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class MqttClient;
class Station;

// Publishes the inputs to an MQTT broker (topics in bridge/topics.h): each input's state
// retained, one event per change, the module check, the link's state and the bridge's own
// availability. It reads the station: its change history, form state, counts and module check
// (the one the window shows); the receive path and the serial link know nothing of it.
//
// The inputs' states are published only once they are known: after the first complete burst
// since the link was last started (setLink()); until then the states the broker keeps are left
// as they are. P/status is "online" only while the link is started, its states are known and
// the port gives data (Station::portSilent(): 3 s without a burst is silent); "offline" is the
// last will and is published at stop(), at Stop, at a lost port and at silence.
//
// While the broker is away the changes are held, at most kMaxHeld (the oldest dropped and
// counted). On every (re)connect it publishes the whole current state first, then what it
// held, in order; changes the broker had not acknowledged when the connection went are held
// again, so no input's events arrive out of order (one may arrive twice).
// A broker that is there but does not keep up (or is stopped) is met the same way: what the
// client's bounded queue (MqttClient::kMaxQueued) does not take is held, the states are sent
// again when it has room, and one that answers nothing for the keep-alive time is left and
// connected anew. Every change is either published or counted in P/dropped.
namespace names {
class Names;
}

class Bridge final : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxHeld = 10'000;
    static constexpr int kCheckMs = 1000;
    // At stop, what is queued may take this long to go out: SIGTERM ends the service in 2 s.
    static constexpr int kStopFlushMs = 1000;

    enum class Link { Stopped, Started, Lost };

    struct Options {
        MqttUrl url;
        QString password; // never shown
        QString caFile;
        bool discovery = false;
        bool commands = false;
        bool noDelay = true; // MqttClient::Config::noDelay; off only in the bench
        int keepAliveS = 30; // MqttClient::Config::keepAliveS; shorter only in tests
        bool operator==(const Options&) const = default;
    };
    // Runs "L,M,R" as Indsæt (s) would: empty when the counts went out, else why not.
    using CountHandler = std::function<QString(const std::array<QString, 3>& texts)>;

    Bridge(const Station& station, Options options, QObject* parent = nullptr);
    // The MQTT client id for `prefix` on this machine: "s88" and 20 hex digits of a hash of
    // both, 23 characters that every broker must take; the same at every start, so a restart
    // takes over what is left of the last connection.
    static QString clientId(const QString& prefix);
    ~Bridge() override;

    void start();
    // Publishes the link "stopped" and "offline", waits (boundedly) for what is queued,
    // disconnects.
    void stop();

    void setLink(Link link);
    void setCountHandler(CountHandler handler) { m_countHandler = std::move(handler); }
    // The inputs' names, for the discovery configs (published with the next connect).
    void setNames(const names::Names* names) { m_names = names; }

    bool isConnected() const;
    // Whether the inputs' states are known (see above) and whether P/status says "online".
    bool statesKnown() const { return m_known; }
    bool available() const;
    qsizetype held() const { return qsizetype(m_held.size()); }
    // Messages waiting in the client to be written or acknowledged.
    int queued() const;
    quint64 dropped() const { return m_dropped; }
    // States another client published on ours that were answered with the true one.
    quint64 answered() const { return m_answered; }
    const Options& options() const { return m_options; }
    // The state in the window's words; empty before start().
    QString stateText() const;
    // The last line of stateChanged().
    QString lastLine() const { return m_line; }

signals:
    // One line whenever the broker's state changes (connecting, connected, refused, lost).
    void stateChanged(const QString& line);
    // At the first connection, another board publishes under the default prefix (its retained
    // status is "online"): nothing was published and the bridge has given up; `why` says so
    // and names --mqtt with a prefix.
    void refused(const QString& why);

private:
    void take();
    void noteDropped();
    void onConnected();
    void onSubscribed(int mid);
    void refuse();
    QString guardTopic() const;
    void publishAll();
    bool live() const; // connected, and allowed to publish
    void onDisconnected(const QString& why);
    void onPublished(int mid);
    void onMessage(const QString& topic, const QByteArray& payload);
    struct Numbered {
        quint64 seq;
        ChangeEvent event;
    };
    void hold(const Numbered& event);
    bool publishEvent(const Numbered& event, bool withState); // false: the client is full
    void sendHeld();
    void drain();
    void publishDropped();
    void publishCheck(bool always);
    void countsChanged();
    void burstsReceived();
    void publishState(int input, bool active);
    void publishStates();
    void stateHeard(int input, const QByteArray& payload);
    QStringList lookTopics() const;
    void publishStatus();
    void publishDiscovery();
    int discoveryInputs() const;
    void say(const QString& line);

    const Station& m_station;
    const FormState& m_state;
    const ChangeHistory& m_history;
    csv::Clock m_clock; // the events' times, in UTC
    // The topics of every change, made once: the inputs' states (index = input) and the events.
    std::array<QByteArray, FormState::kLastInput + 1> m_sensorTopics;
    QByteArray m_eventTopic;
    Options m_options;
    std::unique_ptr<MqttClient> m_client;
    CountHandler m_countHandler;
    quint64 m_next = 0;                             // the next history event to take
    std::deque<Numbered> m_held;                    // while the broker is away
    std::deque<std::pair<int, Numbered>> m_unacked; // sent, not yet acknowledged
    quint64 m_dropped = 0;
    quint64 m_droppedSent = 0; // as P/dropped says on this connection
    bool m_statesOwed = false; // a state did not fit the client's queue
    Link m_link = Link::Stopped;
    bool m_known = false;         // a complete burst came since the link was started
    quint64 m_completeAtLink = 0; // the history's complete bursts when it was started
    std::optional<bool> m_online; // the status published on this connection
    bool m_guarded = false;       // no other board's status stands in the way
    int m_guardMid = 0;           // the subscription that ends the look at it
    bool m_otherBoard = false;    // its retained status says "online"
    bool m_refused = false;
    QString m_refusal;
    std::optional<int> m_configured; // as the discovery configs were made for
    QStringList m_oldConfigs;        // an earlier version's discovery configs, found at the look
    // Per input, the states published on this connection whose echo has not come back.
    std::array<quint16, FormState::kLastInput + 1> m_mine{};
    quint64 m_answered = 0; // states of other clients answered
    QTimer m_checkTimer;
    QByteArray m_lastCheck;
    bool m_started = false;
    QString m_line;
    const names::Names* m_names = nullptr;
};
