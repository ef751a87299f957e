#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QSocketNotifier;
struct mosquitto;

// One connection to a broker through libmosquitto in its non-threaded use: the client's
// socket on QSocketNotifiers, mosquitto_loop_read/write when it is ready, loop_misc (keep
// alive) once a second. It connects in the background and, whenever the connection fails or
// is lost, tries again after 1 s, doubling up to 30 s, until close().
class MqttClient final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 30'000;
    static constexpr unsigned kInflight = 1000;
    // What may wait to be written or acknowledged: beyond either bound publish() refuses, so
    // memory stays flat whatever the broker does (the bridge holds and counts the rest).
    static constexpr int kMaxQueued = 5000;
    static constexpr qsizetype kMaxQueuedBytes = 4 * 1024 * 1024;

    struct Config {
        QString host;
        int port = 1883;
        QString user;     // empty: none sent
        QString password; // kept in memory only
        bool tls = false;
        QString caFile; // with tls: the CA to trust; empty: the system's
        QString clientId;
        QString willTopic; // the broker publishes `willPayload` here, retained, if we vanish
        QByteArray willPayload;
        // Also the longest the broker may leave what is on its way unanswered (a broker that
        // is stopped, a socket that stalls) before the connection is given up and made anew.
        int keepAliveS = 30;
        // TCP_NODELAY on the socket: a message goes out at once, not when the broker has
        // acknowledged the previous segment (up to 40 ms later). Off only to measure that.
        bool noDelay = true;
    };

    explicit MqttClient(Config config, QObject* parent = nullptr);
    ~MqttClient() override;

    void open();
    // Sends what is queued (waiting at most `flushMs`), then disconnects cleanly.
    void close(int flushMs = 2000);
    bool isConnected() const { return m_connected; }

    // Queues a message; its id (> 0), or 0 when the client cannot take it (not connected, or
    // the queue full).
    int publish(const QString& topic, const QByteArray& payload, bool retain, int qos = 1);
    // The same with the topic in UTF-8 already: for topics made once and used for every change.
    int publish(const QByteArray& topic, const QByteArray& payload, bool retain, int qos = 1);
    // The subscription's message id (> 0; subscribed() tells when the broker took it), or 0.
    int subscribe(const QString& topic, int qos = 1);
    void unsubscribe(const QString& topic);
    // Messages and bytes waiting to be written or acknowledged.
    int queued() const { return m_pending; }
    qsizetype queuedBytes() const { return m_pendingBytes; }
    // Whether the queue has room again after it was full: half of it free.
    bool hasRoom() const {
        return m_pending <= kMaxQueued / 2 && m_pendingBytes <= kMaxQueuedBytes / 2;
    }

    // What is published while a Batch lives leaves in as few TCP segments as fit, when the
    // Batch ends. The broker's acknowledgements of it are read when the next Batch ends or at
    // the second's tick, not each on a wake-up of its own; so is anything else the broker sends
    // meanwhile (a command waits at most that second).
    class Batch {
    public:
        explicit Batch(MqttClient& client) : m_client(client) { m_client.beginBatch(); }
        ~Batch() { m_client.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        MqttClient& m_client;
    };

signals:
    void connected();
    // The connection failed, was refused (`why` says why) or was lost.
    void disconnected(const QString& why);
    void messageReceived(const QString& topic, const QByteArray& payload);
    // The broker acknowledged message `mid` (QoS 1), or a QoS 0 message was written out.
    void published(int mid);
    // The broker acknowledged subscription `mid`.
    void subscribed(int mid);

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onMessage(mosquitto*, void* self, const struct mosquitto_message* message);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);

    void makeClient();
    void attempt();
    void lost(const QString& why);
    void service(int events); // 1 read, 2 write, 4 misc
    void syncSocket();
    // Why the connection is given up when the broker has sent nothing for the keep-alive
    // time (less `earlyMs`); empty before.
    QString silence(int earlyMs = 0) const;
    void dropSocket();
    void beginBatch();
    void endBatch();
    void readAfterBatch();
    void setCorked(bool corked);

    Config m_config;
    mosquitto* m_mosq = nullptr;
    std::unique_ptr<QSocketNotifier> m_read;
    std::unique_ptr<QSocketNotifier> m_write;
    int m_fd = -1;
    QTimer m_misc;
    QTimer m_retry;
    int m_retryMs = kFirstRetryMs;
    int m_pending = 0;
    qsizetype m_pendingBytes = 0;
    QHash<int, qsizetype> m_sizes; // of the messages queued, by id
    int m_lastPublished = 0;       // the last message onPublish() reported
    QElapsedTimer m_clock;
    qint64 m_heardMs = 0; // when the broker last sent anything
    bool m_connected = false;
    bool m_open = false;
    int m_batches = 0;
    bool m_corked = false;
    bool m_readQueued = false; // readAfterBatch() is on its way
    QString m_refusal;         // set by a refused CONNACK, reported with the disconnect
};
