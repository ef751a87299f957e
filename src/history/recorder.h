#pragma once

#include "state/serialcontrol.h"

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QTimer>

// Writes a recording (history/recording.h) of what passes on the serial control: every
// received byte with its arrival time, every command sent, and Start, Stop and port changes.
// The bytes gather in a bounded buffer written out within half a second or when it fills, so
// a killed program loses at most that and the file still reads up to its last whole record.
// Times come from the serial control's clock.
class Recorder final : public QObject, public SerialTap {
    Q_OBJECT

public:
    // The buffer is written out when it holds this much.
    static constexpr qsizetype kFlushSize = 16 * 1024;
    static constexpr int kFlushMs = 500;

    explicit Recorder(SerialControl& serial, QObject* parent = nullptr);
    ~Recorder() override; // ends a recording under way properly

    // Creates (or empties) the file and starts recording: the header, then the port as it
    // stands. False, with a one-line reason, when the file cannot be written.
    bool start(const QString& path, QString* error = nullptr);
    // Ends the recording: the end record, the buffer written out, the file closed.
    void stop();
    bool isRecording() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    quint64 bytesWritten() const { return m_written + quint64(m_buffer.size()); }
    qint64 elapsedMs() const; // since start(); 0 when not recording

    // Start, Stop or a port change: recorded when port or open state differ from the last.
    void notePort(int port, bool open);

    void received(char c) override;
    void sent(const QByteArray& bytes) override;

signals:
    // Writing failed (disk full, file gone): the recording has stopped, the file keeps what
    // was written.
    void failed(const QString& error);

private:
    qint64 delta(); // ms since the previous record, which becomes now
    void endChunk();
    void flush();

    SerialControl& m_serial;
    QFile m_file;
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
