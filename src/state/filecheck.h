#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

// The basic rules for a file the program reads or writes, by its name as the system gives it:
// what is read is a regular file (a link to one is followed), opened without waiting on a
// FIFO; what is written is not a FIFO, a device or a folder. history/pathgate.h builds the
// gate for the paths a user gives on these; the settings file uses them directly. A refusal
// says why in a few words.
namespace filecheck {

// Which file a descriptor holds, and as it was when looked at: another file, or the same one
// written since, compares unequal.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // ns
    qint64 changed = 0;  // ns
    bool operator==(const Identity&) const = default;
};

// The file descriptor of `name` opened for reading (close-on-exec, blocking reads), or -1 and
// `why`: "no such file", "is a folder", "is not a regular file", "cannot be read: …";
// `absent` tells the first of these apart.
int openRead(const QByteArray& name, QString* why, bool* absent = nullptr);
// The identity of an open file; false when it cannot be had.
bool identify(int fd, Identity* identity);
// Whether `name` may be written: not a FIFO, a device or a folder (a file not there yet may
// be).
bool writable(const QByteArray& name, QString* why);

} // namespace filecheck
