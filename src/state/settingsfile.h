#pragma once

#include "state/filecheck.h"

#include <QList>
#include <QString>
#include <optional>

// A settings file in the INI layout QSettings writes, for a file too large to be read whole:
// one pass in large blocks finds the keys asked for (the last of each counts, as in QSettings),
// a value read only up to a bound, whatever else the file holds passed over without being kept;
// a rewrite copies every byte it does not change as it is, in large blocks.
namespace settingsfile {

struct Key {
    QString section;
    QString key;
    bool operator==(const Key&) const = default;
};

struct Value {
    QString section;
    QString key;
    QString text;
};

// What one pass over a file found.
struct Scan {
    filecheck::Identity identity;
    QList<Key> wanted;
    // For each wanted key: its text, at most the pass's limit of characters, and the bytes
    // of its line in the file (without the line end); nothing when the file has no such key.
    QList<std::optional<QString>> texts;
    QList<std::pair<qint64, qint64>> places;
    qint64 lines = 0; // all but blank ones
    qint64 junk = 0;  // lines that are neither sections, settings nor comments
    bool endsWithLineEnd = true;

    std::optional<QString> text(const Key& key) const;
};

// Where QSettings keeps the application's file in the user's scope.
QString path(const QString& app);

// One pass over the open file `fd` from its start for the `wanted` keys, each text read up to
// `limit` characters (one more than a caller keeps tells a longer one apart). Nothing, and
// why, when the file cannot be read.
std::optional<Scan> scan(int fd, const QList<Key>& wanted, qsizetype limit, QString* why);

// Writes the values into `file`, open as `fd`, through a temporary file that replaces it at
// once: each over its last line in the file, as `scan` of this file found it (it must have
// looked for every value's key), or at the end; every other byte stays as it is. False, and
// why, when it cannot.
bool write(int fd, const QString& file, const Scan& scan, const QList<Value>& values, QString* why);

} // namespace settingsfile
