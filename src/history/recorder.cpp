#include "history/recorder.h"

#include "history/recording.h"

#include <QDateTime>

Recorder::Recorder(SerialControl& serial, QObject* parent) : QObject(parent), m_serial(serial) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &Recorder::flush);
}

Recorder::~Recorder() {
    stop();
}

bool Recorder::start(const QString& path, QString* error) {
    stop();
    m_file.setFileName(path);
    // Unbuffered: the recorder keeps its own bounded buffer and decides when to write.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    m_written = 0;
    m_buffer = recording::header(QDateTime::currentMSecsSinceEpoch());
    m_buffer.reserve(kFlushSize + recording::kMaxPayload);
    m_chunk.resize(0); // keeps its room: no allocation per byte
    m_startMs = m_serial.clockMs();
    m_lastMs = 0;
    m_port = 0;
    flush(); // the header is on disk at once: a file that is there is a recording
    if (!isRecording()) {
        if (error)
            *error = QStringLiteral("writing failed");
        return false;
    }
    notePort(m_serial.CommPort(), m_serial.PortOpen());
    m_serial.setTap(this);
    return true;
}

void Recorder::stop() {
    if (!isRecording())
        return;
    m_serial.setTap(nullptr);
    endChunk();
    recording::appendEnd(m_buffer, delta());
    flush();
    m_flushTimer.stop();
    m_file.close();
}

qint64 Recorder::elapsedMs() const {
    return isRecording() ? m_serial.clockMs() - m_startMs : 0;
}

qint64 Recorder::delta() {
    const qint64 now = std::max(m_serial.clockMs() - m_startMs, m_lastMs);
    const qint64 d = now - m_lastMs;
    m_lastMs = now;
    return d;
}

void Recorder::endChunk() {
    if (m_chunk.isEmpty())
        return;
    recording::appendReceived(m_buffer, m_chunkMs - m_lastMs, m_chunk);
    m_lastMs = m_chunkMs;
    m_chunk.resize(0); // keeps its room: no allocation per byte
    if (m_buffer.size() >= kFlushSize)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void Recorder::received(char c) {
    // Bytes taken within one millisecond make one record; reading the clock per byte costs
    // far less than a byte's time on the line.
    const qint64 now = std::max(m_serial.clockMs() - m_startMs, m_lastMs);
    if (!m_chunk.isEmpty() && (now != m_chunkMs || m_chunk.size() == recording::kMaxPayload))
        endChunk();
    if (m_chunk.isEmpty())
        m_chunkMs = now;
    m_chunk.append(c);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void Recorder::sent(const QByteArray& bytes) {
    endChunk();
    recording::appendSent(m_buffer, delta(), bytes);
    flush();
}

void Recorder::notePort(int port, bool open) {
    if (!isRecording() || (port == m_port && open == m_open))
        return;
    m_port = port;
    m_open = open;
    endChunk();
    recording::appendPort(m_buffer, delta(), port, open);
    flush();
}

void Recorder::flush() {
    endChunk();
    if (m_buffer.isEmpty() || !m_file.isOpen())
        return;
    const qint64 n = m_file.write(m_buffer);
    if (n != m_buffer.size()) {
        const QString why = m_file.errorString();
        m_serial.setTap(nullptr);
        m_file.close();
        m_buffer.resize(0);
        m_chunk.resize(0); // keeps its room: no allocation per byte
        emit failed(QStringLiteral("Optagelsen er stoppet: %1").arg(why));
        return;
    }
    m_written += quint64(n);
    m_buffer.resize(0);
}
