#pragma once

#include <QByteArray>
#include <QString>

// File names as the system gives them. Names are bytes; a name that is not valid UTF-8 keeps
// each stray byte as a lone surrogate (U+DC80..U+DCFF), so it opens again byte for byte and
// can still be shown, escaped, in a message.
namespace filename {

QString fromNative(QByteArrayView bytes);
QByteArray toNative(const QString& name);
// For messages: each byte that is not UTF-8 as \xNN.
QString shown(const QString& name);

} // namespace filename
