#include "history/recording.h"

#include "history/filename.h"
#include "history/pathgate.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recording {

std::optional<int> modulesAnnounced(const Record& sent) {
    const QByteArrayView b = sent.bytes;
    if (sent.kind != Record::Kind::Sent || b.size() != protocol::kCountCommandSize ||
        b[0] != protocol::kCountCommand || b[4] != protocol::kCommandEnd)
        return std::nullopt;
    return int(quint8(b[1])) + quint8(b[2]) + quint8(b[3]);
}

namespace {

constexpr int kMaxVarint = 5;                  // 35 bits: a delta of a year fits
constexpr qint64 kMaxTimeMs = qint64(1) << 50; // far beyond any real recording; no overflow
// The most one record takes: tag, delta, length, payload. The reader asks for this much.
constexpr qsizetype kMaxRecord = 1 + 2 * kMaxVarint + kMaxPayload;
constexpr qsizetype kReadSize = 64 * 1024;

void appendVarint(QByteArray& out, quint64 value) {
    while (value >= 0x80) {
        out.append(char(0x80 | (value & 0x7f)));
        value >>= 7;
    }
    out.append(char(value));
}

quint64 clampDelta(qint64 deltaMs) {
    return quint64(std::clamp<qint64>(deltaMs, 0, (qint64(1) << (7 * kMaxVarint)) - 1));
}

void appendBlock(QByteArray& out, Tag tag, qint64 deltaMs, QByteArrayView bytes) {
    out.append(char(tag));
    appendVarint(out, clampDelta(deltaMs));
    appendVarint(out, quint64(bytes.size()));
    out.append(bytes);
}

} // namespace

QByteArray header(qint64 startEpochMs) {
    QByteArray h(kMagic, kMagicSize);
    h.append(char(kVersion));
    char time[8];
    qToLittleEndian<qint64>(startEpochMs, time);
    h.append(time, 8);
    return h;
}

void appendReceived(QByteArray& out, qint64 deltaMs, QByteArrayView bytes) {
    if (bytes.size() == 1 && deltaMs >= 0 && deltaMs < 0x80) {
        out.append(char(kByte | deltaMs));
        out.append(bytes[0]);
        return;
    }
    for (qsizetype at = 0; at < bytes.size(); at += kMaxPayload) {
        appendBlock(out, kReceived, deltaMs,
                    bytes.sliced(at, std::min(kMaxPayload, bytes.size() - at)));
        deltaMs = 0;
    }
}

void appendSent(QByteArray& out, qint64 deltaMs, QByteArrayView bytes) {
    for (qsizetype at = 0; at < bytes.size(); at += kMaxPayload) {
        appendBlock(out, kSent, deltaMs,
                    bytes.sliced(at, std::min(kMaxPayload, bytes.size() - at)));
        deltaMs = 0;
    }
}

void appendPort(QByteArray& out, qint64 deltaMs, int port, bool open) {
    out.append(char(kPort));
    appendVarint(out, clampDelta(deltaMs));
    out.append(char(port));
    out.append(char(open ? 1 : 0));
}

void appendEnd(QByteArray& out, qint64 deltaMs) {
    out.append(char(kEnd));
    appendVarint(out, clampDelta(deltaMs));
}

Reader::Reader(QByteArrayView data) : m_data(data) {}

Reader::Reader(File& file) : m_file(&file) {
    m_buffer.reserve(kMaxRecord + kReadSize);
}

void Reader::fill(qsizetype need) {
    if (!m_file || m_data.size() - m_pos >= need)
        return;
    // Keeps what is not read yet, at the front: the buffer never grows past its first size.
    m_buffer.remove(0, m_pos);
    m_base += m_pos;
    m_pos = 0;
    while (m_buffer.size() < need) {
        const qsizetype have = m_buffer.size();
        m_buffer.resize(have + kReadSize);
        const qint64 n = m_file->read(m_buffer.data() + have, kReadSize);
        m_buffer.resize(have + std::max<qint64>(n, 0));
        if (n <= 0)
            break; // the end, as it is now, or a fault the next record will meet as the end
    }
    m_data = m_buffer;
}

bool Reader::fail(Status status, const QString& error) {
    m_status = status;
    m_error = error;
    return false;
}

bool Reader::varint(quint64& value) {
    value = 0;
    for (int i = 0; i < kMaxVarint; ++i) {
        if (m_pos >= m_data.size())
            return false;
        const quint8 b = quint8(m_data[m_pos++]);
        value |= quint64(b & 0x7f) << (7 * i);
        if ((b & 0x80) == 0)
            return true;
    }
    m_pos = -1; // too long: corrupt, told apart from running out
    return false;
}

bool Reader::next(Record& record) {
    if (m_status != Status::Reading)
        return false;
    fill(kMaxRecord);
    if (!m_headerRead) {
        const QByteArrayView magic(kMagic, kMagicSize);
        const qsizetype have = std::min<qsizetype>(m_data.size(), kMagicSize);
        if (m_data.isEmpty())
            return fail(Status::NotRecording,
                        QCoreApplication::translate("recording", "the file is empty"));
        if (m_data.first(have) != magic.first(have))
            return fail(Status::NotRecording,
                        QCoreApplication::translate("recording", "not a recording"));
        if (m_data.size() < kHeaderSize)
            return fail(Status::Truncated,
                        QCoreApplication::translate("recording", "cut short inside its header"));
        const int version = quint8(m_data[kMagicSize]);
        if (version != kVersion)
            return fail(
                Status::Unsupported,
                QCoreApplication::translate(
                    "recording", "recording format version %1; this program reads version %2")
                    .arg(version)
                    .arg(kVersion));
        m_startEpochMs = qFromLittleEndian<qint64>(m_data.data() + kMagicSize + 1);
        // From 1970 to the end of 9999: times on the recording's clock are added to it.
        if (m_startEpochMs < 0 || m_startEpochMs > kLastStartEpochMs)
            return fail(Status::Corrupt,
                        QCoreApplication::translate("recording", "start time %1 out of range")
                            .arg(m_startEpochMs));
        m_pos = kHeaderSize;
        m_headerRead = true;
    }
    const qsizetype start = m_pos;
    const auto truncated = [&] {
        m_pos = start;
        return fail(Status::Truncated,
                    QCoreApplication::translate("recording", "cut short inside a record at byte %1")
                        .arg(m_base + start));
    };
    const auto corrupt = [&](const QString& what) {
        m_pos = start;
        return fail(Status::Corrupt, QCoreApplication::translate("recording", "%1 at byte %2")
                                         .arg(what)
                                         .arg(m_base + start));
    };
    if (m_pos >= m_data.size()) {
        if (m_file && !m_file->error().isEmpty())
            return fail(Status::Truncated,
                        QCoreApplication::translate("recording", "cannot be read past byte %1: %2")
                            .arg(offset())
                            .arg(m_file->error()));
        return fail(Status::Truncated,
                    QCoreApplication::translate(
                        "recording", "ends without its end record (the program did not end the "
                                     "recording)"));
    }
    const quint8 tag = quint8(m_data[m_pos++]);
    quint64 delta = 0;
    Record r;
    if (tag & kByte) {
        if (m_pos >= m_data.size())
            return truncated();
        delta = tag & 0x7f;
        r.kind = Record::Kind::Received;
        r.bytes = m_data.sliced(m_pos++, 1);
    } else {
        if (!varint(delta))
            return m_pos < 0
                       ? corrupt(QCoreApplication::translate("recording", "an overlong number"))
                       : truncated();
        switch (tag) {
        case kReceived:
        case kSent: {
            quint64 length = 0;
            if (!varint(length))
                return m_pos < 0
                           ? corrupt(QCoreApplication::translate("recording", "an overlong number"))
                           : truncated();
            if (length == 0 || length > quint64(kMaxPayload))
                return corrupt(
                    QCoreApplication::translate("recording", "a record of %1 bytes").arg(length));
            if (quint64(m_data.size() - m_pos) < length)
                return truncated();
            r.kind = tag == kReceived ? Record::Kind::Received : Record::Kind::Sent;
            r.bytes = m_data.sliced(m_pos, qsizetype(length));
            m_pos += qsizetype(length);
            break;
        }
        case kPort: {
            if (m_data.size() - m_pos < 2)
                return truncated();
            r.kind = Record::Kind::Port;
            r.port = quint8(m_data[m_pos]);
            const quint8 open = quint8(m_data[m_pos + 1]);
            if (r.port < 1 || r.port > 8 || open > 1)
                return corrupt(
                    QCoreApplication::translate("recording", "a port record for port %1, state %2")
                        .arg(r.port)
                        .arg(open));
            r.open = open == 1;
            m_pos += 2;
            break;
        }
        case kEnd:
            r.kind = Record::Kind::End;
            break;
        default:
            return corrupt(QCoreApplication::translate("recording", "an unknown record type 0x%1")
                               .arg(uint(tag), 2, 16, QChar(u'0')));
        }
    }
    if (m_time + qint64(delta) > kMaxTimeMs)
        return corrupt(QCoreApplication::translate("recording", "a time beyond any recording"));
    m_time += qint64(delta);
    r.timeMs = m_time;
    if (r.kind == Record::Kind::End) {
        fill(1); // no bytes of this record to keep
        if (m_pos != m_data.size())
            return corrupt(QCoreApplication::translate("recording", "data after the end record"));
        m_status = Status::Finished;
    }
    record = r;
    return true;
}

File::~File() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool File::open(const QString& path, QString* error, bool* beingRecorded) {
    m_fd = pathgate::openRead(path, error);
    if (m_fd < 0)
        return false;
    if (beingRecorded) {
        // A recorder holds an exclusive lock while it writes.
        *beingRecorded = ::flock(m_fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    return true;
}

qint64 File::read(char* into, qint64 size) {
    if (m_stop >= 0)
        size = std::min(size, m_stop - m_pos);
    if (size <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, into, size_t(size));
        if (n >= 0) {
            m_pos += n;
            return n;
        }
        if (errno != EINTR) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
    }
}

void File::stopAtSizeNow() {
    struct stat st {};
    if (::fstat(m_fd, &st) == 0)
        m_stop = st.st_size;
}

bool File::grewPastStop() const {
    struct stat st {};
    return m_stop >= 0 && ::fstat(m_fd, &st) == 0 && st.st_size > m_stop;
}

bool File::rewind() {
    if (::lseek(m_fd, 0, SEEK_SET) == 0) {
        m_pos = 0;
        return true;
    }
    m_error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

Pieces receivedPieces(const QString& path, QString* error, QString* warning) {
    bool beingRecorded = false;
    {
        File file;
        if (!file.open(path, error, &beingRecorded))
            return {};
        Reader check(file);
        Record r;
        while (check.next(r)) {
        }
        if (check.status() == Reader::Status::Truncated && check.offset() >= kHeaderSize) {
            if (warning)
                *warning = beingRecorded
                               ? QCoreApplication::translate("recording", "is still being recorded")
                               : check.error();
        } else if (!check.ok()) {
            if (error)
                *error = check.error();
            return {};
        }
    }
    // Read afresh for the replay: a file still being recorded plays up to where it has come
    // by the time the replay gets there.
    // Its shared lock keeps a recorder in this or another program from emptying the file.
    auto file = std::make_shared<File>();
    if (!file->open(path, error, &beingRecorded))
        return {};
    auto reader = std::make_shared<Reader>(*file);
    return [file, reader](qint64& timeMs, QByteArray& bytes) {
        Record record;
        while (reader->next(record)) {
            if (record.kind == Record::Kind::Received) {
                timeMs = record.timeMs;
                bytes = record.bytes.toByteArray();
                return true;
            }
        }
        return false;
    };
}

} // namespace recording
