#include "history/filename.h"

namespace filename {

namespace {

constexpr char16_t kStrayBase = 0xDC00; // + the byte, 0x80..0xFF

bool isStray(QStringView name, qsizetype i) {
    const QChar c = name[i];
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF &&
           (i == 0 || !name[i - 1].isHighSurrogate());
}

// The length of the valid UTF-8 sequence at `at`, or 0.
qsizetype validSequence(QByteArrayView bytes, qsizetype at) {
    const auto b = [&](qsizetype i) { return quint8(bytes[at + i]); };
    const quint8 lead = b(0);
    qsizetype n = 0;
    quint32 min = 0;
    quint32 code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, min = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, min = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - at < n)
        return 0;
    for (qsizetype i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b(i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

} // namespace

QString fromNative(QByteArrayView bytes) {
    QString name;
    qsizetype run = 0; // start of the valid run under way
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype n = validSequence(bytes, at);
        if (n > 0) {
            at += n;
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(run, at - run));
        name += QChar(char16_t(kStrayBase + quint8(bytes[at])));
        run = ++at;
    }
    name += QString::fromUtf8(bytes.sliced(run));
    return name;
}

QByteArray toNative(const QString& name) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isStray(name, i))
            continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        bytes += char(name[i].unicode() - kStrayBase);
        run = i + 1;
    }
    bytes += QStringView(name).sliced(run).toUtf8();
    return bytes;
}

QString shown(const QString& name) {
    QString text;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isStray(name, i))
            text += QStringLiteral("\\x%1").arg(name[i].unicode() - kStrayBase, 2, 16, QChar(u'0'));
        else
            text += name[i];
    }
    return text;
}

} // namespace filename
