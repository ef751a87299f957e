#pragma once

#include "bridge/mqtturl.h"
#include "history/changehistory.h"
#include "history/csv.h"

#include <QObject>
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
// While the broker is away the changes are held, at most kMaxHeld (the oldest dropped and
// counted). On every (re)connect it publishes the whole current state first, then what it
// held, in order; changes the broker had not acknowledged when the connection went are held
// again, so no input's events arrive out of order (one may arrive twice).
namespace names {
class Names;
}

class Bridge final : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxHeld = 10'000;
    static constexpr int kCheckMs = 1000;

    enum class Link { Stopped, Started, Lost };

    struct Options {
        MqttUrl url;
        QString password; // never shown
        QString caFile;
        bool discovery = false;
        bool commands = false;
        bool operator==(const Options&) const = default;
    };
    // Runs "L,M,R" as Indsæt (s) would: empty when the counts went out, else why not.
    using CountHandler = std::function<QString(const std::array<QString, 3>& texts)>;

    Bridge(const Station& station, Options options, QObject* parent = nullptr);
    ~Bridge() override;

    void start();
    // Publishes "offline", waits (boundedly) for what is queued, disconnects.
    void stop();

    void setLink(Link link);
    void setCountHandler(CountHandler handler) { m_countHandler = std::move(handler); }
    // The inputs' names, for the discovery configs (published with the next connect).
    void setNames(const names::Names* names) { m_names = names; }

    bool isConnected() const;
    qsizetype held() const { return qsizetype(m_held.size()); }
    quint64 dropped() const { return m_dropped; }
    const Options& options() const { return m_options; }
    // The state in the window's words; empty before start().
    QString stateText() const;
    // The last line of stateChanged().
    QString lastLine() const { return m_line; }

signals:
    // One line whenever the broker's state changes (connecting, connected, refused, lost).
    void stateChanged(const QString& line);

private:
    void take();
    void noteDropped();
    void onConnected();
    void onDisconnected(const QString& why);
    void onPublished(int mid);
    void onMessage(const QString& topic, const QByteArray& payload);
    struct Numbered {
        quint64 seq;
        ChangeEvent event;
    };
    void hold(const Numbered& event);
    void publishEvent(const Numbered& event, bool withState);
    void publishCheck(bool always);
    void countsChanged();
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
    Link m_link = Link::Stopped;
    std::optional<int> m_configured; // as the discovery configs were made for
    int m_discovered = 0;            // inputs with a discovery config out
    QTimer m_checkTimer;
    QByteArray m_lastCheck;
    bool m_started = false;
    QString m_line;
    const names::Names* m_names = nullptr;
};
