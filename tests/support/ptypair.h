#pragma once

#include <QByteArray>
#include <QString>

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
