#include "history/replayclock.h"

bool ReplayClock::open(const QString& path, QString* error) {
    if (!m_file.open(path, error))
        return false;
    recording::Reader scan(m_file.data());
    recording::Record r;
    while (scan.next(r)) {
        if (r.kind == recording::Record::Kind::Received && !r.bytes.isEmpty()) {
            m_bytes += quint64(r.bytes.size());
            m_endMs = r.timeMs;
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
    m_reader = recording::Reader(m_file.data());
    m_from = m_through = 0;
    m_time = 0;
    return true;
}

qint64 ReplayClock::timeOfByte(quint64 n) {
    if (n < m_from) { // an earlier record: read again from the start (never in a replay)
        m_reader = recording::Reader(m_file.data());
        m_from = m_through = 0;
        m_time = 0;
    }
    recording::Record r;
    while (m_through < n && m_reader.next(r)) {
        if (r.kind == recording::Record::Kind::Received && !r.bytes.isEmpty()) {
            m_from = m_through + 1;
            m_through += quint64(r.bytes.size());
            m_time = r.timeMs;
        }
    }
    return m_time;
}
