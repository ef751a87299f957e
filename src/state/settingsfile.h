#pragma once

#include <QList>
#include <QString>
#include <optional>

// A settings file in the INI layout QSettings writes, read and rewritten line by line in
// bounded pieces, for a file too large to be read whole: a value is read only up to a bound,
// and a rewrite copies every line it does not change byte for byte, however long.
namespace settingsfile {

struct Value {
    QString section;
    QString key;
    QString text;
};

// Where QSettings keeps the application's file in the user's scope.
QString path(const QString& app);

// The value's text, at most `limit` characters (one more than a caller keeps tells a longer
// one apart); nothing when the file has no such key or cannot be read.
std::optional<QString> read(const QString& file, const QString& section, const QString& key,
                            qsizetype limit);

// Writes the values into the file, each where it stands or at the end, through a temporary
// file that replaces it at once; every other line stays as it is. False when it cannot.
bool write(const QString& file, const QList<Value>& values);

} // namespace settingsfile
