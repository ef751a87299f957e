#include "history/playback.h"

Playback::Playback(recording::Reader& reader, QObject* parent)
    : SerialControl(parent), m_reader(reader) {}

bool Playback::advance() {
    if (!m_pending && !m_reader.next(m_record))
        return false;
    m_pending = false;
    m_now = std::max(m_now, m_record.timeMs);
    switch (m_record.kind) {
    case recording::Record::Kind::Received:
        m_bytes = m_record.bytes;
        m_next = 0;
        break;
    case recording::Record::Kind::Port:
        // Closing empties the input, as on the real port.
        m_port = m_record.port;
        m_open = m_record.open;
        m_bytes = {};
        m_next = 0;
        break;
    case recording::Record::Kind::Sent:
        if (const std::optional<int> modules = recording::modulesAnnounced(m_record))
            m_modulesSent = modules;
        break;
    case recording::Record::Kind::End:
        break;
    }
    return true;
}

// Inside a burst the receive path waits for the rest. In the window a wait returns when bytes
// come; anything else (Stop, a command) could only happen after the wait had ended.
bool Playback::waitForInput(int msecs) {
    if (InBufferCount() > 0)
        return true;
    if (!m_pending && !m_reader.next(m_record)) {
        m_now += msecs;
        return false;
    }
    m_pending = true;
    if (m_record.kind != recording::Record::Kind::Received || m_record.timeMs > m_now + msecs) {
        m_now += msecs;
        return false;
    }
    return advance();
}

PlaybackRun::PlaybackRun(recording::Reader& reader, qsizetype capacity)
    : m_reader(reader), m_line(reader), m_station(m_line, capacity) {}

bool PlaybackRun::run() {
    bool first = true;
    while (m_line.advance()) {
        if (first) {
            first = false;
            m_station.history().setOrigin(0,
                                          QDateTime::fromMSecsSinceEpoch(m_reader.startEpochMs()));
        }
        // As the real control raises OnComm while characters wait.
        while (m_line.InBufferCount() > 0)
            m_station.receiver().takeWaiting();
        if (m_line.modulesSent() != m_station.configuredModules())
            m_station.setConfiguredModules(m_line.modulesSent(), true);
    }
    return m_reader.ok();
}
