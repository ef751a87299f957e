#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <mutex>

struct mosquitto;

// Tests that need a broker fail where Mosquitto is not installed: scripts/setup.sh installs it,
// and a skip would hide the missing package.
#define SKIP_WITHOUT_MOSQUITTO()                                                                   \
    do {                                                                                           \
        if (!Broker::available())                                                                  \
            QFAIL("mosquitto is not installed (scripts/setup.sh installs it)");                    \
    } while (false)

// A real Mosquitto broker of the test's own on a free loopback port, with a configuration
// file the test writes, stopped by its process id.
class Broker {
public:
    static bool available();
    static int freePort();

    // `extra` is added to the configuration ("listener PORT 127.0.0.1" is written first);
    // `noDelay`: "set_tcp_nodelay true" (Mosquitto's default is false).
    explicit Broker(QString extra = {}, bool noDelay = true);
    ~Broker();
    Broker(const Broker&) = delete;
    Broker& operator=(const Broker&) = delete;

    // Starts it and waits until it takes connections; false (see log()) when it does not.
    bool start();
    // Sends `signal` to its process id and waits for it to end.
    void stop(int signal = 15);
    // Sends `signal` (SIGSTOP, SIGCONT) and does not wait.
    void signal(int signal);
    bool running() const { return m_process.state() == QProcess::Running; }
    int port() const { return m_port; }
    QString dir() const { return m_dir.path(); }
    QString log() const { return m_log; }

private:
    QTemporaryDir m_dir;
    QString m_extra;
    bool m_noDelay = true;
    int m_port = 0;
    QProcess m_process;
    QString m_log;
};

// A subscriber through libmosquitto on its own thread: keeps every message in order and the
// last payload of every topic. With a fixed `clientId` its session (QoS 1) outlives a broker
// restart when the broker keeps persistence.
class Subscriber {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
        qint64 receivedNs = 0; // steady clock, when the subscriber's thread took it
    };

    Subscriber(int port, const QStringList& topics, const QString& clientId = {},
               const QString& user = {}, const QString& password = {});
    ~Subscriber();
    Subscriber(const Subscriber&) = delete;
    Subscriber& operator=(const Subscriber&) = delete;

    bool connect(int msecs = 5000);
    bool isConnected() const;
    void publish(const QString& topic, const QByteArray& payload, bool retain = false);
    // Retained messages that are on the broker once the call returns (QoS 1, acknowledged).
    bool publishRetained(const QMap<QString, QByteArray>& messages, int msecs = 5000);

    QList<Message> messages() const;
    QList<Message> on(const QString& topic) const; // the messages of one topic, in order
    QMap<QString, QByteArray> last() const;        // the newest payload of each topic
    // Runs the event loop (so the program under test works) until `done` or `msecs` passed.
    bool waitFor(const std::function<bool()>& done, int msecs = 5000) const;

private:
    static void onMessage(mosquitto*, void* self, const struct mosquitto_message* message);
    static void onConnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);

    mosquitto* m_mosq = nullptr;
    int m_port;
    QStringList m_topics;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    QMap<QString, QByteArray> m_last;
    bool m_connected = false;
    int m_acknowledged = 0;
};

// What the broker holds retained on `filter`: a subscriber that comes afterwards, waiting for
// `count` messages (and a moment for any beyond them).
QMap<QString, QByteArray> retainedOn(int port, const QString& filter, int count);
// Inputs 52, 73 and 125 ACTIVE under `prefix`, as an earlier run left them on the broker.
QMap<QString, QByteArray> earlierStates(const QString& prefix);
