#pragma once

#include "state/serialcontrol.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

// Writes a recording (history/recording.h) of what passes on the serial control: every
// received byte with its arrival time, every command sent, and Start, Stop and port changes.
// The bytes gather in a bounded buffer written out within half a second or when it fills, so
// a killed program loses at most that and the file still reads up to its last whole record.
// Times come from the serial control's clock. The file is locked (flock, exclusive) while it
// is written, and room is reserved on the disk ahead of the writing, so a full disk is met at
// once and never leaves half a record.
class Recorder final : public QObject, public SerialTap {
    Q_OBJECT

public:
    // The buffer is written out when it holds this much.
    static constexpr qsizetype kFlushSize = 16 * 1024;
    static constexpr int kFlushMs = 500;

    explicit Recorder(SerialControl& serial, QObject* parent = nullptr);
    ~Recorder() override; // ends a recording under way properly

    // Creates (or empties) the file and starts recording: the header, then the port as it
    // stands. False, with a one-line reason (in Danish for the window, else in English), when
    // the file cannot be written: an empty name, a file that is not a regular file (a pipe,
    // a device), one that another recording has locked, or a full disk.
    bool start(const QString& path, QString* error = nullptr, bool danish = true);
    // Ends the recording: the end record, the buffer written out, the file closed.
    void stop();
    bool isRecording() const { return m_fd >= 0; }
    QString path() const { return m_path; }
    quint64 bytesWritten() const { return m_written + quint64(m_buffer.size()); }
    qint64 elapsedMs() const; // since start(); 0 when not recording

    // Start, Stop or a port change: recorded when port or open state differ from the last.
    void notePort(int port, bool open);

    void received(char c) override;
    void sent(const QByteArray& bytes) override;

signals:
    // Writing failed (disk full, file gone): the recording has stopped, the file keeps what
    // was written up to its last whole record. The text names the file and the reason.
    void failed(const QString& error);

private:
    qint64 delta(); // ms since the previous record, which becomes now
    void endChunk();
    void flush();
    bool writeOut(int* error); // the buffer, with room reserved ahead; false with errno
    void closeFile();

    SerialControl& m_serial;
    int m_fd = -1;
    QString m_path;
    qint64 m_reserved = 0; // the file's room on the disk reaches this far
    QByteArray m_buffer;
    QByteArray m_chunk; // received in the same millisecond, not yet encoded
    QTimer m_flushTimer;
    quint64 m_written = 0;
    qint64 m_startMs = 0; // on the serial clock
    qint64 m_lastMs = 0;  // of the previous record, from start
    qint64 m_chunkMs = 0;
    int m_port = 0;
    bool m_open = false;
};
