#pragma once

#include "history/recording.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// The recording's own clock for a window that plays a recording through the virtual module:
// the recorded time of each received byte, found by its place in the stream. However fast the
// replay runs, a change is timed by the byte that made it, as the command-line reports time it.
class ReplayClock {
public:
    // False with a one-line reason when the file cannot be read. Reads the file once to count
    // its bytes, then again, record by record, as the replay asks for times.
    bool open(const QString& path, QString* error);

    qint64 startEpochMs() const { return m_startEpochMs; }
    quint64 bytes() const { return m_bytes; } // received bytes in the recording
    qint64 endMs() const { return m_endMs; }  // time of the last received byte
    // Left + Mid + Right of the recording's last count command (as a replay of it ends with
    // them); nothing when it sent none.
    std::optional<int> modulesSent() const { return m_modulesSent; }

    // The recorded time of received byte `n` (1 for the first); 0 before the first, the last
    // byte's time past the end. Calls with growing `n` cost next to nothing.
    qint64 timeOfByte(quint64 n);

private:
    bool restart(QString* error); // the cursor back at the file's start
    recording::File m_file;
    std::optional<recording::Reader> m_reader; // reads m_file, from the start or the cursor
    quint64 m_bytes = 0;
    qint64 m_startEpochMs = 0;
    qint64 m_endMs = 0;
    std::optional<int> m_modulesSent;
    quint64 m_from = 0;    // the first byte of the record at the cursor
    quint64 m_through = 0; // its last byte
    qint64 m_time = 0;     // that record's time
};
