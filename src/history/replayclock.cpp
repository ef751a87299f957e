#include "history/replayclock.h"

#include <QCoreApplication>

bool ReplayClock::open(const QString& path, QString* error) {
    if (!m_file.open(path, error))
        return false;
    recording::Reader scan(m_file);
    recording::Record r;
    while (scan.next(r)) {
        if (r.kind == recording::Record::Kind::Received && !r.bytes.isEmpty()) {
            m_bytes += quint64(r.bytes.size());
            m_endMs = r.timeMs;
        } else if (const std::optional<int> modules = recording::modulesAnnounced(r)) {
            m_modulesSent = modules;
        }
    }
    // A recording cut short plays up to its last whole record; anything else is no replay.
    if (scan.status() != recording::Reader::Status::Finished &&
        (scan.status() != recording::Reader::Status::Truncated ||
         scan.offset() < recording::kHeaderSize)) {
        if (error)
            *error = scan.error();
        return false;
    }
    m_startEpochMs = scan.startEpochMs();
    return restart(error);
}

bool ReplayClock::restart(QString* error) {
    m_reader.reset();
    m_from = m_through = 0;
    m_time = 0;
    if (!m_file.rewind()) {
        if (error)
            *error = QCoreApplication::translate("ReplayClock", "cannot be read again: %1")
                         .arg(m_file.error());
        return false;
    }
    m_reader.emplace(m_file);
    return true;
}

qint64 ReplayClock::timeOfByte(quint64 n) {
    // An earlier record: read again from the start (never in a replay).
    if (n < m_from && !restart(nullptr))
        return m_time;
    if (!m_reader)
        return m_time;
    recording::Record r;
    while (m_through < n && m_reader->next(r)) {
        if (r.kind == recording::Record::Kind::Received && !r.bytes.isEmpty()) {
            m_from = m_through + 1;
            m_through += quint64(r.bytes.size());
            m_time = r.timeMs;
        }
    }
    return m_time;
}
