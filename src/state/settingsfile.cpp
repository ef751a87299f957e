#include "state/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

namespace settingsfile {

namespace {

constexpr qint64 kPiece = 4096;
// An escaped character takes at most this many bytes in the file ("\x1234").
constexpr qsizetype kMaxEscape = 6;

// Reads a file line by line in pieces of at most kPiece bytes; start() says whether the
// piece just read begins a line.
class Lines {
public:
    explicit Lines(QFile& file) : m_file(file) {}
    bool next(QByteArray& piece) {
        m_lineStart = m_ended;
        piece = m_file.readLine(kPiece + 1);
        if (piece.isEmpty())
            return false;
        m_ended = piece.endsWith('\n');
        return true;
    }
    bool start() const { return m_lineStart; }
    bool ended() const { return m_ended; }

private:
    QFile& m_file;
    bool m_lineStart = true;
    bool m_ended = true;
};

// "[section]" gives the section; nothing for any other line.
std::optional<QByteArray> sectionOf(const QByteArray& piece) {
    const QByteArray line = piece.trimmed();
    if (line.startsWith('[') && line.endsWith(']'))
        return line.mid(1, line.size() - 2);
    return std::nullopt;
}

// The key of a "key=value" line, and where its value starts.
std::optional<std::pair<QByteArray, qsizetype>> keyOf(const QByteArray& piece) {
    const qsizetype eq = piece.indexOf('=');
    if (eq <= 0)
        return std::nullopt;
    return std::pair(piece.first(eq).trimmed(), eq + 1);
}

// What QSettings makes of one line of raw value text.
QString unescaped(const QByteArray& key, const QByteArray& raw) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("value.ini"));
    QFile f(name);
    if (!dir.isValid() || !f.open(QIODevice::WriteOnly))
        return QString::fromUtf8(raw);
    f.write("[v]\n" + key + '=' + raw + '\n');
    f.close();
    return QSettings(name, QSettings::IniFormat).value(QStringLiteral("v/") + key).toString();
}

// The line QSettings writes for the value, without its line end.
QByteArray escaped(const QString& key, const QString& text) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("value.ini"));
    {
        QSettings s(name, QSettings::IniFormat);
        s.setValue(QStringLiteral("v/") + key, text);
    }
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray prefix = key.toUtf8() + '=';
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        if (line.startsWith(prefix))
            return line.trimmed();
    }
    return {};
}

} // namespace

QString path(const QString& app) {
    // The probe's name is never written: QSettings only tells where its file would be.
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope,
                          QStringLiteral("s88monitor-path-probe"));
    return QFileInfo(probe.fileName()).absolutePath() + u'/' + app + QStringLiteral(".conf");
}

std::optional<QString> read(const QString& file, const QString& section, const QString& key,
                            qsizetype limit) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray wantSection = section.toUtf8();
    const QByteArray wantKey = key.toUtf8();
    Lines lines(f);
    QByteArray piece;
    QByteArray current;
    std::optional<QString> found;
    while (lines.next(piece)) {
        if (!lines.start())
            continue;
        if (const auto s = sectionOf(piece)) {
            current = *s;
            continue;
        }
        const auto k = keyOf(piece);
        if (current != wantSection || !k || k->first != wantKey)
            continue;
        // Enough of the value for `limit` characters however they are escaped; the rest of
        // the line is passed over piece by piece.
        QByteArray raw = piece.mid(k->second);
        const qsizetype want = limit * kMaxEscape + 2;
        while (!lines.ended() && raw.size() < want && lines.next(piece))
            raw += piece;
        while (!lines.ended() && lines.next(piece)) {
        }
        raw.truncate(want);
        while (raw.endsWith('\n') || raw.endsWith('\r'))
            raw.chop(1);
        found = unescaped(wantKey, raw).left(limit); // the last one counts, as in QSettings
    }
    return found;
}

bool write(const QString& file, const QList<Value>& values) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    QList<bool> done(values.size(), false);
    Lines lines(in);
    QByteArray piece;
    QByteArray current;
    bool skipping = false; // the rest of a replaced line
    while (lines.next(piece)) {
        if (!lines.start()) {
            if (!skipping)
                out.write(piece);
            continue;
        }
        skipping = false;
        bool replaced = false;
        if (const auto s = sectionOf(piece)) {
            current = *s;
        } else if (const auto k = keyOf(piece)) {
            for (qsizetype i = 0; i < values.size() && !replaced; ++i) {
                if (values[i].section.toUtf8() != current || values[i].key.toUtf8() != k->first)
                    continue;
                out.write(escaped(values[i].key, values[i].text) + '\n');
                done[i] = replaced = true;
            }
        }
        if (replaced)
            skipping = !lines.ended();
        else
            out.write(piece);
    }
    if (in.error() != QFileDevice::NoError)
        return false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (done[i])
            continue;
        out.write('[' + values[i].section.toUtf8() + "]\n" +
                  escaped(values[i].key, values[i].text) + '\n');
    }
    return out.commit();
}

} // namespace settingsfile
