#include "support/broker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
QString mosquittoProgram() {
    QString path = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (path.isEmpty())
        path = QStandardPaths::findExecutable(
            QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return path;
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}
} // namespace

bool Broker::available() {
    return !mosquittoProgram().isEmpty();
}

int Broker::freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t size = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

Broker::Broker(QString extra, bool noDelay)
    : m_extra(std::move(extra)), m_noDelay(noDelay), m_port(freePort()) {}

Broker::~Broker() {
    if (running())
        stop(SIGKILL);
}

bool Broker::start() {
    const QString config = m_dir.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString text = QStringLiteral("listener %1 127.0.0.1\n").arg(m_port);
    text += m_extra.contains(QStringLiteral("password_file"))
                ? QString()
                : QStringLiteral("allow_anonymous true\n");
    // Run as root (CI containers), the broker would drop to its own user and could not read
    // the test's files.
    // A subscriber that falls behind a flood gets all of it, as the tests count every message.
    text += QStringLiteral("max_queued_messages 0\n");
    if (m_noDelay)
        text += QStringLiteral("set_tcp_nodelay true\n");
    if (::getuid() == 0)
        text += QStringLiteral("user root\n");
    text += m_extra + QLatin1Char('\n');
    file.write(text.toUtf8());
    file.close();
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(mosquittoProgram(), {QStringLiteral("-c"), config});
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (accepts(m_port))
            return true;
        if (m_process.waitForFinished(20))
            break;
    }
    m_log = QString::fromUtf8(m_process.readAll());
    return false;
}

void Broker::stop(int signal) {
    if (!running())
        return;
    ::kill(pid_t(m_process.processId()), signal);
    m_process.waitForFinished(10000);
    m_log += QString::fromUtf8(m_process.readAll());
}

void Broker::signal(int signal) {
    if (running())
        ::kill(pid_t(m_process.processId()), signal);
}

Subscriber::Subscriber(int port, const QStringList& topics, const QString& clientId,
                       const QString& user, const QString& password)
    : m_port(port), m_topics(topics) {
    mosquitto_lib_init();
    const QByteArray id = clientId.toUtf8();
    m_mosq = mosquitto_new(id.isEmpty() ? nullptr : id.constData(), id.isEmpty(), this);
    mosquitto_message_callback_set(m_mosq, &Subscriber::onMessage);
    mosquitto_connect_callback_set(m_mosq, &Subscriber::onConnect);
    mosquitto_publish_callback_set(m_mosq, &Subscriber::onPublish);
    if (!user.isEmpty())
        mosquitto_username_pw_set(m_mosq, user.toUtf8().constData(), password.toUtf8().constData());
    mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
}

Subscriber::~Subscriber() {
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, true);
    mosquitto_destroy(m_mosq);
}

bool Subscriber::connect(int msecs) {
    if (mosquitto_connect(m_mosq, "127.0.0.1", m_port, 30) != MOSQ_ERR_SUCCESS)
        return false;
    mosquitto_loop_start(m_mosq);
    return waitFor([this] { return isConnected(); }, msecs);
}

bool Subscriber::isConnected() const {
    std::lock_guard lock(m_mutex);
    return m_connected;
}

void Subscriber::publish(const QString& topic, const QByteArray& payload, bool retain) {
    mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
                      payload.constData(), 1, retain);
}

bool Subscriber::publishRetained(const QMap<QString, QByteArray>& messages, int msecs) {
    int before = 0;
    {
        std::lock_guard lock(m_mutex);
        before = m_acknowledged;
    }
    for (auto it = messages.begin(); it != messages.end(); ++it)
        publish(it.key(), it.value(), true);
    return waitFor(
        [&] {
            std::lock_guard lock(m_mutex);
            return m_acknowledged - before >= messages.size();
        },
        msecs);
}

void Subscriber::onPublish(mosquitto*, void* self, int) {
    auto* s = static_cast<Subscriber*>(self);
    std::lock_guard lock(s->m_mutex);
    ++s->m_acknowledged;
}

void Subscriber::onConnect(mosquitto* mosq, void* self, int rc) {
    auto* s = static_cast<Subscriber*>(self);
    if (rc != 0)
        return;
    for (const QString& t : s->m_topics)
        mosquitto_subscribe(mosq, nullptr, t.toUtf8().constData(), 1);
    std::lock_guard lock(s->m_mutex);
    s->m_connected = true;
}

void Subscriber::onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* s = static_cast<Subscriber*>(self);
    Message message{QString::fromUtf8(m->topic),
                    QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain,
                    std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count()};
    std::lock_guard lock(s->m_mutex);
    s->m_last.insert(message.topic, message.payload);
    s->m_messages.append(std::move(message));
}

QList<Subscriber::Message> Subscriber::messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

QList<Subscriber::Message> Subscriber::on(const QString& topic) const {
    QList<Message> result;
    for (const Message& m : messages())
        if (m.topic == topic)
            result.append(m);
    return result;
}

QMap<QString, QByteArray> Subscriber::last() const {
    std::lock_guard lock(m_mutex);
    return m_last;
}

bool Subscriber::waitFor(const std::function<bool()>& done, int msecs) const {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > msecs)
            return false;
        // A loop that waits for events, not qWait, which sleeps between its rounds and would
        // hold the program's socket up for milliseconds at a time.
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

QMap<QString, QByteArray> retainedOn(int port, const QString& filter, int count) {
    Subscriber later(port, {filter});
    QMap<QString, QByteArray> held;
    if (!later.connect())
        return held;
    later.waitFor([&] { return later.messages().size() >= count; });
    later.waitFor([] { return false; }, 100); // none beyond them
    for (const Subscriber::Message& m : later.messages())
        if (m.retained)
            held.insert(m.topic, m.payload);
    return held;
}

QMap<QString, QByteArray> earlierStates(const QString& prefix) {
    QMap<QString, QByteArray> m;
    for (int n : {52, 73, 125})
        m.insert(prefix + QStringLiteral("/track/sensor/%1").arg(n), "ACTIVE");
    return m;
}
