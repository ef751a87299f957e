#include "bridge/mqttclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {
// libmosquitto keeps its times in whole seconds: its keep-alive may end a connection up to a
// second before ours would.
constexpr int kCoarseMs = 1500;

void initOnce() {
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(done);
}

QString connackReason(int rc) {
    switch (rc) {
    case 1:
        return QCoreApplication::translate("MqttClient", "the broker refused the protocol version");
    case 2:
        return QCoreApplication::translate("MqttClient", "the broker refused the client id");
    case 3:
        return QCoreApplication::translate("MqttClient", "the broker is unavailable");
    case 4:
        return QCoreApplication::translate("MqttClient",
                                           "the broker refused the user name or password");
    case 5:
        return QCoreApplication::translate(
            "MqttClient", "the broker refused the user name or password (not authorised)");
    default:
        return QCoreApplication::translate("MqttClient", "the broker refused the connection (%1)")
            .arg(QString::fromUtf8(mosquitto_connack_string(rc)));
    }
}
} // namespace

MqttClient::MqttClient(Config config, QObject* parent)
    : QObject(parent), m_config(std::move(config)) {
    initOnce();
    m_clock.start();
    m_misc.setInterval(1000); // keep-alive and retries of unacknowledged messages
    connect(&m_misc, &QTimer::timeout, this, [this] {
        service(m_read && !m_read->isEnabled() ? 4 | 1 : 4);
        if (m_read)
            m_read->setEnabled(true);
        // A broker that takes what we send but answers nothing (stopped, or a stalled path),
        // where libmosquitto's own keep-alive would wait while the queue grows; a host that
        // takes the connection but never answers it.
        if (m_fd >= 0 && (!m_connected || m_pending > 0) && !silence().isEmpty())
            lost(silence());
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::attempt);
}

MqttClient::~MqttClient() {
    dropSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

// A fresh client for every attempt, so nothing queued for a lost connection is sent again
// behind what the new one publishes first (the bridge holds and resends it itself, in order).
void MqttClient::makeClient() {
    dropSocket();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
    m_pending = 0;
    m_pendingBytes = 0;
    m_sizes.clear();
    m_mosq = mosquitto_new(
        m_config.clientId.isEmpty() ? nullptr : m_config.clientId.toUtf8().constData(), true, this);
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // A stream of changes keeps many messages on their way at once (the default is 20).
    mosquitto_max_inflight_messages_set(m_mosq, kInflight);
    // A change goes out at once, not when the previous message's acknowledgement came back.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, m_config.noDelay ? 1 : 0);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    mosquitto_publish_callback_set(m_mosq, &MqttClient::onPublish);
    mosquitto_subscribe_callback_set(m_mosq, &MqttClient::onSubscribe);
    if (!m_config.user.isEmpty())
        mosquitto_username_pw_set(
            m_mosq, m_config.user.toUtf8().constData(),
            m_config.password.isEmpty() ? nullptr : m_config.password.toUtf8().constData());
    if (!m_config.willTopic.isEmpty())
        mosquitto_will_set(m_mosq, m_config.willTopic.toUtf8().constData(),
                           int(m_config.willPayload.size()), m_config.willPayload.constData(), 1,
                           true);
    if (m_config.tls) {
        const QByteArray ca = m_config.caFile.toLocal8Bit();
        mosquitto_tls_set(m_mosq, ca.isEmpty() ? nullptr : ca.constData(),
                          ca.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    }
}

void MqttClient::open() {
    m_open = true;
    m_retryMs = kFirstRetryMs;
    attempt();
}

void MqttClient::attempt() {
    if (!m_open)
        return;
    makeClient();
    const QByteArray host = m_config.host.toUtf8();
    m_heardMs = m_clock.elapsed(); // the connection's answer is awaited from now
    const int rc =
        mosquitto_connect_async(m_mosq, host.constData(), m_config.port, m_config.keepAliveS);
    syncSocket();
    if (m_fd < 0) {
        const QString why = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(strerror(errno))
                                                 : QString::fromUtf8(mosquitto_strerror(rc));
        lost(why);
    } else {
        service(2); // the CONNECT packet waits for the socket to become writable
    }
}

void MqttClient::lost(const QString& why) {
    m_connected = false;
    m_pending = 0;
    m_pendingBytes = 0;
    m_sizes.clear();
    dropSocket();
    if (m_open) {
        m_retry.start(m_retryMs);
        m_retryMs = std::min(m_retryMs * 2, kLastRetryMs);
    }
    emit disconnected(why);
}

void MqttClient::service(int events) {
    if (m_fd < 0)
        return;
    int rc = MOSQ_ERR_SUCCESS;
    if (events & 1) {
        int waiting = 0;
        if (::ioctl(m_fd, FIONREAD, &waiting) == 0 && waiting > 0)
            m_heardMs = m_clock.elapsed();
        rc = mosquitto_loop_read(m_mosq, 1);
    }
    if (rc == MOSQ_ERR_SUCCESS && (events & 2 || mosquitto_want_write(m_mosq)))
        rc = mosquitto_loop_write(m_mosq, 1);
    if (rc == MOSQ_ERR_SUCCESS && events & 4)
        rc = mosquitto_loop_misc(m_mosq);
    if (m_fd >= 0 && mosquitto_socket(m_mosq) < 0) {
        // libmosquitto closed the socket; told here, once, whether or not it ever connected.
        // libmosquitto's own keep-alive ends a silent connection without a reason of its own.
        lost(!m_refusal.isEmpty()            ? m_refusal
             : !silence(kCoarseMs).isEmpty() ? silence(kCoarseMs)
                                             : QString::fromUtf8(mosquitto_strerror(rc)));
        m_refusal.clear();
        return;
    }
    syncSocket();
}

QString MqttClient::silence(int earlyMs) const {
    if (m_clock.elapsed() - m_heardMs < qint64(m_config.keepAliveS) * 1000 - earlyMs)
        return {};
    return m_connected
               ? QCoreApplication::translate("MqttClient", "the broker has not answered for %1 s")
                     .arg(m_config.keepAliveS)
               : QCoreApplication::translate("MqttClient", "no answer to the connection in %1 s")
                     .arg(m_config.keepAliveS);
}

void MqttClient::syncSocket() {
    const int fd = mosquitto_socket(m_mosq);
    if (fd != m_fd) {
        dropSocket();
        m_fd = fd;
        if (fd >= 0) {
            m_read = std::make_unique<QSocketNotifier>(qintptr(fd), QSocketNotifier::Read);
            m_write = std::make_unique<QSocketNotifier>(qintptr(fd), QSocketNotifier::Write);
            connect(m_read.get(), &QSocketNotifier::activated, this, [this] { service(1); });
            connect(m_write.get(), &QSocketNotifier::activated, this, [this] { service(2); });
            m_misc.start();
        }
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::dropSocket() {
    m_read.reset();
    m_write.reset();
    m_fd = -1;
    m_corked = false;
    m_misc.stop();
}

void MqttClient::beginBatch() {
    if (m_batches++ > 0 || m_fd < 0 || !m_connected)
        return;
    setCorked(true);
}

void MqttClient::endBatch() {
    if (m_batches == 0 || --m_batches > 0)
        return;
    if (!m_corked)
        return;
    setCorked(false); // the batch leaves now, with it the acknowledgement of what came since
    // What came since (acknowledgements, commands, or the end) is read only now: a read before
    // would have our side acknowledge it in a segment of its own. And it is read from the event
    // loop: a batch is published from inside the receive path, where a command must not run.
    if (m_read && !m_readQueued) {
        m_readQueued = true;
        QMetaObject::invokeMethod(this, &MqttClient::readAfterBatch, Qt::QueuedConnection);
    }
}

void MqttClient::readAfterBatch() {
    m_readQueued = false;
    if (m_read && !m_read->isEnabled())
        service(1);
    // Acknowledgements awaited: read with the next batch or at the tick. Messages queued
    // behind the in-flight window go out only as acknowledgements come, so then at once.
    if (m_read)
        m_read->setEnabled(m_pending == 0 || m_pending > int(kInflight));
}

void MqttClient::setCorked(bool corked) {
    const int on = corked ? 1 : 0;
    m_corked = ::setsockopt(m_fd, IPPROTO_TCP, TCP_CORK, &on, sizeof on) == 0 && corked;
}

int MqttClient::publish(const QString& topic, const QByteArray& payload, bool retain, int qos) {
    return publish(topic.toUtf8(), payload, retain, qos);
}

int MqttClient::publish(const QByteArray& topic, const QByteArray& payload, bool retain, int qos) {
    if (!m_connected)
        return 0;
    const qsizetype bytes = topic.size() + payload.size();
    if (m_pending >= kMaxQueued || m_pendingBytes + bytes > kMaxQueuedBytes)
        return 0;
    // Counted before the call: a message written at once is reported sent from inside it.
    ++m_pending;
    m_pendingBytes += bytes;
    int mid = 0;
    m_lastPublished = 0;
    const int rc = mosquitto_publish(m_mosq, &mid, topic.constData(), int(payload.size()),
                                     payload.constData(), qos, retain);
    if (rc != MOSQ_ERR_SUCCESS) {
        --m_pending;
        m_pendingBytes -= bytes;
        return 0;
    }
    if (m_lastPublished == mid)
        m_pendingBytes -= bytes; // written and reported from inside the call
    else
        m_sizes.insert(mid, bytes);
    if (m_write && !m_write->isEnabled() && mosquitto_want_write(m_mosq))
        m_write->setEnabled(true);
    return mid;
}

int MqttClient::subscribe(const QString& topic, int qos) {
    if (!m_connected)
        return 0;
    int mid = 0;
    if (mosquitto_subscribe(m_mosq, &mid, topic.toUtf8().constData(), qos) != MOSQ_ERR_SUCCESS)
        mid = 0;
    syncSocket();
    return mid;
}

void MqttClient::unsubscribe(const QString& topic) {
    if (!m_connected)
        return;
    mosquitto_unsubscribe(m_mosq, nullptr, topic.toUtf8().constData());
    syncSocket();
}

void MqttClient::close(int flushMs) {
    m_open = false;
    m_retry.stop();
    if (m_fd >= 0 && m_connected) {
        // Wait for what is queued to be written and acknowledged, without the event loop:
        // this runs on the way out.
        QElapsedTimer clock;
        clock.start();
        while (m_fd >= 0 && (m_pending > 0 || mosquitto_want_write(m_mosq)) &&
               clock.elapsed() < flushMs) {
            pollfd p{m_fd, short(POLLIN | (mosquitto_want_write(m_mosq) ? POLLOUT : 0)), 0};
            if (::poll(&p, 1, int(flushMs - clock.elapsed())) <= 0)
                break;
            service((p.revents & POLLIN ? 1 : 0) | (p.revents & POLLOUT ? 2 : 0));
        }
        // What the broker sent meanwhile is read first: closing a socket with unread data
        // resets the connection, and the broker may then lose the DISCONNECT and publish the
        // last will.
        for (pollfd p{m_fd, POLLIN, 0}; m_fd >= 0 && ::poll(&p, 1, 0) > 0 && p.revents & POLLIN;
             p.fd = m_fd)
            service(1);
        if (m_fd >= 0) {
            mosquitto_disconnect(m_mosq);
            m_connected = false;
        }
    }
    dropSocket();
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    if (rc != 0) {
        client->m_refusal = connackReason(rc);
        return; // libmosquitto closes the socket; service() reports it
    }
    client->m_connected = true;
    client->m_retryMs = kFirstRetryMs;
    client->m_heardMs = client->m_clock.elapsed();
    emit client->connected();
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MqttClient*>(self);
    emit client->messageReceived(
        QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char*>(message->payload), message->payloadlen));
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    auto* client = static_cast<MqttClient*>(self);
    if (client->m_pending > 0)
        --client->m_pending;
    client->m_pendingBytes -= client->m_sizes.take(mid);
    client->m_lastPublished = mid;
    emit client->published(mid);
}

void MqttClient::onSubscribe(mosquitto*, void* self, int mid, int, const int*) {
    emit static_cast<MqttClient*>(self)->subscribed(mid);
}
