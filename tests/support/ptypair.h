#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// Tests on pseudo terminals skip where the system gives out none.
#define SKIP_WITHOUT_PTYS()                                                                        \
    do {                                                                                           \
        if (!PtyPair().isValid())                                                                  \
            QSKIP("no pseudo terminals here");                                                     \
    } while (false)

// A pseudo-terminal pair in raw mode: the program opens devicePath() as its serial port and
// the test plays the module on the master side.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString devicePath() const { return m_path; }
    int masterFd() const { return m_master; }

    // Writes all bytes to the master side (blocking until the kernel took them).
    bool write(const QByteArray& bytes);
    // Reads what the program wrote, waiting up to `msecs` for at least `atLeast` bytes.
    QByteArray read(int atLeast, int msecs);
    // Writes to a full line fail at once instead of waiting.
    void setNonBlocking(bool on);
    // Closes the master side: the program's port sees the line go away.
    void closeMaster();
    // Takes every permission from the device node, as for a user outside its group.
    bool denyAccess();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the pair stays usable between the program's opens
    QString m_path;
};

// While it lives, the calling thread is held to the file permissions even when it runs as root
// (the capabilities that override them are set aside), so a denied device is denied.
class FilePermissionsApply {
public:
    FilePermissionsApply();
    ~FilePermissionsApply();
    FilePermissionsApply(const FilePermissionsApply&) = delete;
    FilePermissionsApply& operator=(const FilePermissionsApply&) = delete;

private:
    unsigned m_effective = 0; // as it was, restored at the end
    bool m_changed = false;
};
// Reads what the program sent, keeping the event loop running meanwhile (the serial control
// writes from it): at least `atLeast` bytes, or what came within `msecs`.
QByteArray readSent(PtyPair& pty, int atLeast, int msecs);

// Writes the chunks to the master side from a thread of its own, pausing between them, so the
// window's thread can sit inside a burst waiting for the rest while it is still on its way.
// A full line is waited out, not blocked on, so a failed check never leaves the writer stuck:
// the feeder gives up when it is destroyed.
class Feeder {
public:
    Feeder(PtyPair& pty, QList<QByteArray> chunks,
           std::chrono::milliseconds pause = std::chrono::milliseconds(0));
    ~Feeder();
    Feeder(const Feeder&) = delete;
    Feeder& operator=(const Feeder&) = delete;
    bool done() const { return m_done; }
    bool failed() const { return m_failed; }
    // Once done(): when each chunk was written, on the program's monotonic clock.
    const std::vector<qint64>& writtenAtMs() const { return m_writtenAtMs; }

private:
    PtyPair& m_pty;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_failed{false};
    std::vector<qint64> m_writtenAtMs;
    std::thread m_thread;
};

// `stream` cut into pieces of 1..maxSize bytes at places a seeded generator picks.
QList<QByteArray> randomPieces(const QByteArray& stream, quint32 seed, int maxSize);
