#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The one gate for the paths a user gives the program (recordings, names, the broker's CA and
// password files, pictures, settings): what may be read is a regular file (a link to one is
// followed), opened without waiting on a FIFO and read whole only up to a bound; what may be
// written is not a FIFO, a device or a folder, and never the same file as one being read,
// whatever path or link names it. A refusal says why in a few words, for a message that
// names the path. The rules for a single file are state/filecheck.h's, which the settings file
// follows too.
namespace pathgate {

// The file descriptor of `path` opened for reading (close-on-exec, blocking reads), or -1 and
// `why`: "no such file", "is a folder", "is not a regular file", "cannot be read: …".
int openRead(const QString& path, QString* why);
// Whether `path` can be opened as openRead() opens it.
bool readable(const QString& path, QString* why);
// The whole of a small file: refused when it holds more than `maxBytes`.
std::optional<QByteArray> readWhole(const QString& path, qint64 maxBytes, QString* why);
// Whether `path` may be written: not a FIFO, a device or a folder (a file not there yet may
// be), and not one of `inputs`.
bool writable(const QString& path, const QStringList& inputs, QString* why);
// Writes `bytes` as the whole of `path` after writable()'s rules, through a temporary file
// beside it that replaces it at once, so a failed write leaves what was there. False and `why`,
// the system's reason ("No space left on device", "File too large"), when it cannot.
bool writeWhole(const QString& path, const QByteArray& bytes, const QStringList& inputs,
                QString* why);
// Whether two paths name one file (through a link or another path): false when either is
// not there.
bool sameFile(const QString& a, const QString& b);

} // namespace pathgate
