#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// The recording file format (docs/recording.md): a 16-byte header, then records, each a tag
// byte, the milliseconds since the previous record, and its payload. Appends only, so a file
// cut short anywhere reads up to its last complete record.
namespace recording {

inline constexpr char kMagic[] = "S88REC\x1a"; // 7 bytes; the 8th is the version
inline constexpr int kMagicSize = 7;
inline constexpr quint8 kVersion = 1;
inline constexpr qint64 kLastStartEpochMs = 253'402'300'799'999; // 9999-12-31T23:59:59.999Z
inline constexpr int kHeaderSize = 16; // magic, version, start time (ms since 1970 UTC, int64 LE)
inline constexpr qsizetype kMaxPayload = 65536;

enum Tag : quint8 {
    kReceived = 0x01, // delta, length, bytes: received bytes that arrived in one millisecond
    kSent = 0x02,     // delta, length, bytes: a command sent
    kPort = 0x03,     // delta, port (1..8), open (0 or 1): Start, Stop or another port
    kEnd = 0x04,      // delta: the recording was ended properly
    kByte = 0x80,     // 0x80 | delta (0..127), then one received byte
};

struct Record {
    enum class Kind { Received, Sent, Port, End };
    Kind kind = Kind::Received;
    qint64 timeMs = 0;    // from the recording's start
    QByteArrayView bytes; // Received, Sent: into the reader's data
    int port = 0;         // Port
    bool open = false;    // Port
};

// Appends encoded records; the caller tracks the time of the previous record.
QByteArray header(qint64 startEpochMs);
void appendReceived(QByteArray& out, qint64 deltaMs, QByteArrayView bytes);
void appendSent(QByteArray& out, qint64 deltaMs, QByteArrayView bytes);
void appendPort(QByteArray& out, qint64 deltaMs, int port, bool open);
void appendEnd(QByteArray& out, qint64 deltaMs);

// The modules a sent record's count command announces (Left + Mid + Right); nothing when the
// record is another command.
std::optional<int> modulesAnnounced(const Record& sent);

class File;

// Reads records from a recording held in memory or from a file, which it reads piece by
// piece with ordinary reads into a buffer of a few records (a record's bytes stay valid until
// the next call). A file that shrinks or grows while read is read up to what is there. Never
// reads past the data; stops at the first fault and says what and where.
class Reader {
public:
    enum class Status {
        Reading,  // no fault so far
        Finished, // the end record was read
        NotRecording,
        Unsupported, // a recording of a later version
        Truncated,   // cut short inside the header or a record, or no end record
        Corrupt,
    };

    explicit Reader(QByteArrayView data);
    explicit Reader(File& file);

    // The next record; false at the end or at a fault (see status()).
    bool next(Record& record);

    Status status() const { return m_status; }
    bool ok() const { return m_status == Status::Reading || m_status == Status::Finished; }
    // What is wrong, in a few words (empty while ok()).
    QString error() const { return m_error; }
    qint64 startEpochMs() const { return m_startEpochMs; }
    qint64 offset() const { return m_base + m_pos; } // after the last complete record
    qint64 timeMs() const { return m_time; }         // of the last complete record

private:
    bool fail(Status status, const QString& error);
    bool varint(quint64& value);
    void fill(qsizetype need); // at least `need` bytes from m_pos, where the file has them

    QByteArrayView m_data; // the data, or the part of the file in m_buffer
    File* m_file = nullptr;
    QByteArray m_buffer;
    qint64 m_base = 0; // the file offset of m_data[0]
    qsizetype m_pos = 0;
    bool m_headerRead = false;
    qint64 m_time = 0;
    qint64 m_startEpochMs = 0;
    Status m_status = Status::Reading;
    QString m_error;
};

// A recording file opened for reading with ordinary reads. Only a regular file is opened: a
// pipe, a device or a folder is refused before anything could wait on it.
class File {
public:
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // False with a one-line reason (no file name) when it cannot be read. `beingRecorded`,
    // when given, says whether a program is recording into the file now (it holds the lock).
    bool open(const QString& path, QString* error, bool* beingRecorded = nullptr);
    // Up to `size` bytes at the reading position; 0 at the end, -1 on an error.
    qint64 read(char* into, qint64 size);
    // Back to the start of the file, for another pass; false, with error(), when it cannot.
    bool rewind();
    // The system's reason for the last failed read (empty after none).
    QString error() const { return m_error; }
    // Reads no further than the file's size now: a report of a file still being written ends.
    void stopAtSizeNow();
    // Whether the file has grown past where stopAtSizeNow() stopped it.
    bool grewPastStop() const;
    qint64 stop() const { return m_stop; }

private:
    int m_fd = -1;
    QString m_error;
    qint64 m_pos = 0;   // the reading position
    qint64 m_stop = -1; // none
};

// The received bytes of a recording file, piece by piece with their times, for a replay; the
// callable owns the file. Empty, with a one-line reason, when the file cannot be replayed; a
// recording cut short plays up to its last whole record, with a warning.
using Pieces = std::function<bool(qint64& timeMs, QByteArray& bytes)>;
Pieces receivedPieces(const QString& path, QString* error, QString* warning);

} // namespace recording
