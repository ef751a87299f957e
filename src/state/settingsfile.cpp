#include "state/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace settingsfile {

namespace {

constexpr qsizetype kBlock = 1024 * 1024;
// The most of a line looked at: a key the program reads and the part of its value read.
constexpr qsizetype kHead = 4096;
// An escaped character takes at most this many bytes in the file ("\x1234").
constexpr qsizetype kMaxEscape = 6;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A file's lines as QSettings ends them (at "\n", "\r" or both), read in blocks of kBlock
// bytes: where each starts and ends in the file, and its first kHead bytes. Nothing is
// allocated per line, and a line of any length is passed over in the blocks it spans.
class Lines {
public:
    struct Line {
        qint64 start = 0;
        qint64 end = 0; // before the line end
        QByteArrayView head;
    };

    explicit Lines(int fd) : m_fd(fd), m_block(kBlock, Qt::Uninitialized) {}

    bool next(Line& line) {
        if (m_pos == m_length && !refill())
            return false;
        line.start = m_blockStart + m_pos;
        qsizetype end = lineEnd();
        if (end < m_length) {
            // Within the block, as most lines are: looked at where it lies.
            line.end = m_blockStart + end;
            line.head = QByteArrayView(m_block.constData() + m_pos, std::min(end - m_pos, kHead));
            m_pos = end + 1;
            return true;
        }
        qsizetype kept = 0;
        for (;;) {
            const qsizetype n = std::min(end - m_pos, kHead - kept);
            std::memcpy(m_head + kept, m_block.constData() + m_pos, size_t(n));
            kept += n;
            if (end < m_length) {
                line.end = m_blockStart + end;
                m_pos = end + 1;
                break;
            }
            m_pos = m_length;
            if (!refill()) {
                line.end = m_blockStart + m_length;
                break;
            }
            end = lineEnd();
        }
        line.head = QByteArrayView(m_head, kept);
        return true;
    }
    bool failed() const { return m_failed; }
    bool endsWithLineEnd() const { return m_last == '\n' || m_last == '\r'; }

private:
    bool refill() {
        m_blockStart += m_length;
        m_pos = m_length = 0;
        m_newline = m_return = -1;
        qsizetype got = 0;
        while (got == 0) {
            got = ::read(m_fd, m_block.data(), size_t(m_block.size()));
            if (got < 0 && errno == EINTR)
                got = 0;
            else if (got <= 0)
                break;
        }
        if (got < 0)
            m_failed = true;
        if (got <= 0)
            return false;
        m_length = got;
        m_last = m_block[got - 1];
        return true;
    }
    // Where the line under way ends in the block, or the block's end.
    qsizetype lineEnd() {
        const auto find = [this](qsizetype& at, char c) {
            if (at >= m_pos)
                return;
            const void* p = std::memchr(m_block.constData() + m_pos, c, size_t(m_length - m_pos));
            at = p ? static_cast<const char*>(p) - m_block.constData() : m_length;
        };
        find(m_newline, '\n');
        find(m_return, '\r');
        return std::min(m_newline, m_return);
    }

    int m_fd;
    QByteArray m_block;
    qint64 m_blockStart = 0;
    qsizetype m_pos = 0;
    qsizetype m_length = 0;
    qsizetype m_newline = -1; // the next line end of each kind found in the block
    qsizetype m_return = -1;
    bool m_failed = false;
    char m_last = '\n';
    char m_head[kHead];
};

QByteArrayView trimmed(QByteArrayView text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    while (!text.isEmpty() && blank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

qsizetype indexOf(QByteArrayView text, char c) {
    const void* p = std::memchr(text.data(), c, size_t(text.size()));
    return p ? static_cast<const char*>(p) - text.data() : -1;
}

// A section or key name as QSettings reads it: "%XX" and "%UXXXX" are characters, "\" is "/",
// the rest UTF-8.
QString unescapedName(QByteArrayView raw) {
    QString name;
    qsizetype i = 0;
    while (i < raw.size()) {
        if (raw[i] == '\\') {
            name += u'/';
            ++i;
            continue;
        }
        if (raw[i] != '%' || i == raw.size() - 1) {
            qsizetype j = i + 1;
            while (j < raw.size() && raw[j] != '%' && raw[j] != '\\')
                ++j;
            name += QString::fromUtf8(raw.sliced(i, j - i));
            i = j;
            continue;
        }
        const bool wide = raw[i + 1] == 'U';
        const qsizetype digits = wide ? 4 : 2;
        const qsizetype first = wide ? i + 2 : i + 1;
        bool ok = false;
        const uint code = first + digits <= raw.size()
                              ? raw.sliced(first, digits).toByteArray().toUInt(&ok, 16)
                              : 0;
        if (!ok) {
            name += u'%';
            ++i;
            continue;
        }
        name += QChar(char16_t(code));
        i = first + digits;
    }
    return name;
}

// A name as it stands in the file, compared with those asked for: as bytes unless escaped.
class RawName {
public:
    explicit RawName(QByteArrayView raw)
        : m_raw(raw), m_escaped(indexOf(raw, '%') >= 0 || indexOf(raw, '\\') >= 0) {}
    bool is(const QByteArray& utf8, const QString& name) {
        if (!m_escaped)
            return m_raw.size() == utf8.size() &&
                   std::memcmp(m_raw.data(), utf8.data(), size_t(m_raw.size())) == 0;
        if (!m_unescaped) {
            m_name = unescapedName(m_raw);
            m_unescaped = true;
        }
        return m_name == name;
    }

private:
    QByteArrayView m_raw;
    bool m_escaped;
    bool m_unescaped = false;
    QString m_name;
};

// The keys asked for, by section.
class Wanted {
public:
    explicit Wanted(const QList<Key>& keys) {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            auto s = std::find_if(m_sections.begin(), m_sections.end(),
                                  [&](const Section& s) { return s.name == keys[i].section; });
            if (s == m_sections.end())
                s = m_sections.insert(m_sections.end(),
                                      {keys[i].section, keys[i].section.toUtf8(), {}});
            s->keys.append({keys[i].key, keys[i].key.toUtf8(), int(i)});
        }
    }
    // The section of a "[name]" line, or -1 for one not asked for.
    int section(QByteArrayView raw) const {
        // "[General]" holds the keys outside any section; "[%General]" is a section so named.
        if (raw.size() == 7 && qstrnicmp(raw.data(), "general", 7) == 0)
            return -1;
        if (raw.size() == 8 && qstrnicmp(raw.data(), "%general", 8) == 0)
            raw = raw.sliced(1);
        RawName name(raw);
        for (qsizetype i = 0; i < m_sections.size(); ++i) {
            if (name.is(m_sections[i].utf8, m_sections[i].name))
                return int(i);
        }
        return -1;
    }
    // The index among the keys asked for of a key in `section`, or -1.
    int key(int section, QByteArrayView raw) const {
        RawName name(raw);
        for (const Name& k : m_sections[section].keys) {
            if (name.is(k.utf8, k.name))
                return k.index;
        }
        return -1;
    }

private:
    struct Name {
        QString name;
        QByteArray utf8;
        int index;
    };
    struct Section {
        QString name;
        QByteArray utf8;
        QList<Name> keys;
    };
    QList<Section> m_sections;
};

// What QSettings makes of each raw value text (nothing stays nothing).
QList<std::optional<QString>> unescaped(const QList<std::optional<QByteArray>>& raws) {
    QList<std::optional<QString>> texts(raws.size());
    if (std::none_of(raws.begin(), raws.end(), [](const auto& raw) { return raw.has_value(); }))
        return texts;
    QByteArray ini = "[v]\n";
    for (qsizetype i = 0; i < raws.size(); ++i) {
        if (raws[i])
            ini += 'k' + QByteArray::number(i) + '=' + *raws[i] + '\n';
    }
    const QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("values.ini"));
    QFile f(name);
    const bool written =
        dir.isValid() && f.open(QIODevice::WriteOnly) && f.write(ini) == ini.size();
    f.close();
    const QSettings settings(name, QSettings::IniFormat);
    for (qsizetype i = 0; i < raws.size(); ++i) {
        if (raws[i])
            texts[i] = written ? settings.value(QStringLiteral("v/k%1").arg(i)).toString()
                               : QString::fromUtf8(*raws[i]);
    }
    return texts;
}

// The lines QSettings writes for the values: per value, its section's "[name]" line and its own
// "key=text" line, without line ends.
std::optional<QList<std::pair<QByteArray, QByteArray>>> iniLines(const QList<Value>& values) {
    const QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("values.ini"));
    {
        QSettings settings(name, QSettings::IniFormat);
        for (const Value& v : values)
            settings.setValue(v.section + u'/' + v.key, v.text);
    }
    QFile f(name);
    if (!dir.isValid() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QList<std::pair<QByteArray, QByteArray>> lines(values.size());
    QByteArray header;
    QString section;
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[') && line.endsWith(']')) {
            header = line;
            section = unescapedName(QByteArrayView(line).sliced(1, line.size() - 2));
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QString key = unescapedName(trimmed(QByteArrayView(line).first(eq)));
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (values[i].section == section && values[i].key == key)
                lines[i] = {header, line};
        }
    }
    for (const auto& [h, l] : lines) {
        if (l.isEmpty())
            return std::nullopt;
    }
    return lines;
}

// Copies the bytes [from, to) of `fd` to `out`.
bool copy(int fd, qint64 from, qint64 to, QSaveFile& out, QByteArray& block) {
    while (from < to) {
        const ssize_t n =
            ::pread(fd, block.data(), size_t(std::min<qint64>(to - from, kBlock)), off_t(from));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || out.write(block.constData(), n) != n)
            return false;
        from += n;
    }
    return true;
}

} // namespace

std::optional<QString> Scan::text(const Key& key) const {
    const qsizetype i = wanted.indexOf(key);
    return i < 0 ? std::nullopt : texts[i];
}

QString path(const QString& app) {
    // The probe's name is never written: QSettings only tells where its file would be.
    const QSettings probe(QSettings::NativeFormat, QSettings::UserScope,
                          QStringLiteral("s88monitor-path-probe"));
    return QFileInfo(probe.fileName()).absolutePath() + u'/' + app + QStringLiteral(".conf");
}

std::optional<Scan> scan(int fd, const QList<Key>& wanted, qsizetype limit, QString* why) {
    Scan found;
    found.wanted = wanted;
    found.places.resize(wanted.size());
    if (!filecheck::identify(fd, &found.identity) || ::lseek(fd, 0, SEEK_SET) != 0) {
        *why = systemError();
        return std::nullopt;
    }
    const Wanted names(wanted);
    // Enough of a value for `limit` characters however they are escaped.
    const qsizetype valueBytes = limit * kMaxEscape + 2;
    QList<std::optional<QByteArray>> raws(wanted.size());
    Lines lines(fd);
    Lines::Line line;
    int section = -1;
    while (lines.next(line)) {
        const QByteArrayView text = trimmed(line.head);
        if (text.isEmpty())
            continue;
        ++found.lines;
        if (text.front() == ';')
            continue;
        if (text.front() == '[') {
            // As QSettings: a header without its "]" still opens the section, but is damage.
            qsizetype close = indexOf(text, ']');
            if (close < 0) {
                ++found.junk;
                close = text.size();
            }
            section = names.section(trimmed(text.sliced(1, close - 1)));
            continue;
        }
        const qsizetype eq = indexOf(text, '=');
        const qsizetype comment = indexOf(text, ';');
        if (eq < 0 || (comment >= 0 && comment < eq)) {
            ++found.junk;
            continue;
        }
        if (section < 0)
            continue;
        const int key = names.key(section, trimmed(text.first(eq)));
        if (key < 0)
            continue;
        const QByteArrayView value = text.sliced(eq + 1);
        raws[key] = value.first(std::min(value.size(), valueBytes)).toByteArray();
        found.places[key] = {line.start, line.end};
    }
    if (lines.failed()) {
        *why = systemError();
        return std::nullopt;
    }
    found.endsWithLineEnd = lines.endsWithLineEnd();
    found.texts = unescaped(raws);
    for (std::optional<QString>& text : found.texts) {
        if (text)
            text->truncate(limit);
    }
    return found;
}

bool write(int fd, const QString& file, const Scan& scan, const QList<Value>& values,
           QString* why) {
    const std::optional<QList<std::pair<QByteArray, QByteArray>>> lines = iniLines(values);
    if (!lines) {
        *why = QStringLiteral("no temporary file");
        return false;
    }
    // Each key's line replaced where the file has it last (the last value given for a key
    // counts), the others added at the end, in a section of their own.
    struct Replacement {
        qint64 start;
        qint64 end;
        QByteArray line;
    };
    QList<Replacement> replaced;
    QList<std::pair<QByteArray, QByteArray>> added;
    for (qsizetype i = values.size() - 1; i >= 0; --i) {
        const qsizetype k = scan.wanted.indexOf(Key{values[i].section, values[i].key});
        if (k < 0) {
            *why = QStringLiteral("%1/%2 was not looked for").arg(values[i].section, values[i].key);
            return false;
        }
        const auto& [header, line] = (*lines)[i];
        if (std::any_of(values.begin() + i + 1, values.end(), [&](const Value& v) {
                return v.section == values[i].section && v.key == values[i].key;
            }))
            continue;
        if (scan.texts[k])
            replaced.append({scan.places[k].first, scan.places[k].second, line});
        else
            added.prepend({header, line});
    }
    std::sort(replaced.begin(), replaced.end(),
              [](const Replacement& a, const Replacement& b) { return a.start < b.start; });

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        *why = out.errorString();
        return false;
    }
    QByteArray block(kBlock, Qt::Uninitialized);
    qint64 at = 0;
    bool ok = true;
    for (const Replacement& r : replaced) {
        ok = ok && copy(fd, at, r.start, out, block) && out.write(r.line) == r.line.size();
        at = r.end;
    }
    ok = ok && copy(fd, at, scan.identity.size, out, block);
    if (ok && !added.isEmpty() && scan.identity.size > 0 && !scan.endsWithLineEnd)
        ok = out.write("\n") == 1;
    QByteArray header;
    for (const auto& [h, line] : added) {
        QByteArray text = (h == header ? QByteArray() : h + '\n') + line + '\n';
        header = h;
        ok = ok && out.write(text) == text.size();
    }
    if (!ok || !out.commit()) {
        *why = out.errorString();
        out.cancelWriting();
        return false;
    }
    return true;
}

} // namespace settingsfile
