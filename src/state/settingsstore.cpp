#include "state/settingsstore.h"

#include "state/filecheck.h"
#include "state/platformerror.h"
#include "state/settingsfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

using settingsfile::Key;

// The most keys besides settings_keys::kRead that a pass over a large file looks for.
constexpr qsizetype kMaxAsked = 64;
// The most files whose damage is told in one run.
constexpr qsizetype kMaxTold = 100;

QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

QString notWritten(const QString& file) {
    return QCoreApplication::translate("SettingsStore", "%1 kan ikke skrives").arg(file);
}

// What one run knows of the large settings file: the last pass over it, for as long as the
// file is the same, and the keys asked for beyond the program's own. Shared by every store.
struct Known {
    QMutex mutex;
    QString file;
    std::optional<settingsfile::Scan> scan;
    QList<Key> asked;
    QSet<QString> told;
};

Known& known() {
    static Known k;
    return k;
}

// Once a run for each file: one line on standard error.
void tell(Known& k, const QString& file, const QString& text) {
    if (k.told.contains(file) || k.told.size() >= kMaxTold)
        return;
    k.told.insert(file);
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
}

void tellUnused(Known& k, const QString& file, const QString& why) {
    tell(k, file,
         QCoreApplication::translate("SettingsStore", "Indstillingsfilen %1 bruges ikke: %2")
             .arg(file, why));
}

void tellDamage(Known& k, const QString& file, const settingsfile::Scan& scan) {
    QStringList reasons;
    if (scan.junk > 0)
        reasons << QCoreApplication::translate(
                       "SettingsStore",
                       "linjer, der hverken er afsnit, indstillinger eller kommentarer: %1")
                       .arg(scan.junk);
    if (scan.lines > QtSettingsStore::kMaxLines)
        reasons << QCoreApplication::translate("SettingsStore",
                                               "%1 linjer, langt flere end en indstillingsfil har")
                       .arg(scan.lines);
    if (!reasons.isEmpty())
        tell(k, file,
             QCoreApplication::translate("SettingsStore", "Indstillingsfilen %1 er beskadiget: %2")
                 .arg(file, reasons.join(QStringLiteral("; "))));
}

// The settings file open for reading, as it is now; not open (fd() < 0) when it is not there
// (a first run) or is not to be read, which is told.
class Opened {
public:
    Opened(Known& k, const QString& file) {
        QString why;
        bool absent = false;
        m_fd = filecheck::openRead(QFile::encodeName(file), &why, &absent);
        if (m_fd >= 0 && !filecheck::identify(m_fd, &m_identity)) {
            why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(m_fd);
            m_fd = -1;
        }
        if (m_fd < 0 && !absent)
            tellUnused(k, file, why);
    }
    ~Opened() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    int fd() const { return m_fd; }
    const filecheck::Identity& identity() const { return m_identity; }
    // Too large for QSettings to read whole.
    bool large() const { return m_fd >= 0 && m_identity.size > QtSettingsStore::kWholeFile; }

private:
    int m_fd = -1;
    filecheck::Identity m_identity;
};

QList<Key> wantedKeys(const Known& k, const QList<Key>& more) {
    QList<Key> keys;
    for (const auto& [section, key] : settings_keys::kRead)
        keys.append({section, key});
    for (const Key& key : k.asked + more) {
        if (!keys.contains(key))
            keys.append(key);
    }
    return keys;
}

// The pass over the open file that has looked for every one of `keys` (for a small file that
// QSettings reads, none: the pass only tells what is wrong with it): the one this run has,
// while the file is the same, or a new one that looks for them too.
const settingsfile::Scan* scanFor(Known& k, const QString& file, const Opened& opened,
                                  const QList<Key>& keys, bool values = true) {
    if (k.file == file && k.scan && k.scan->identity == opened.identity() &&
        std::all_of(keys.begin(), keys.end(),
                    [&](const Key& key) { return k.scan->wanted.contains(key); }))
        return &*k.scan;
    for (const Key& key : keys) {
        if (!wantedKeys(k, {}).contains(key) && k.asked.size() < kMaxAsked)
            k.asked.append(key);
    }
    QString why;
    k.file = file;
    k.scan = settingsfile::scan(opened.fd(), values ? wantedKeys(k, keys) : QList<Key>(),
                                QtSettingsStore::kReadLimit, &why);
    if (!k.scan) {
        tellUnused(k, file, why);
        return nullptr;
    }
    tellDamage(k, file, *k.scan);
    return &*k.scan;
}

// The values written into the large file open as `fd`, and checked in one pass over what was
// written, which is kept for the reads that follow.
bool saveLarge(Known& k, const QString& file, const Opened& opened,
               const QList<SettingsStore::Setting>& values) {
    QList<Key> keys;
    QList<settingsfile::Value> lines;
    for (const SettingsStore::Setting& s : values) {
        keys.append({s.section, s.key});
        lines.append({s.section, s.key, s.text});
    }
    QString why;
    const settingsfile::Scan* before = scanFor(k, file, opened, keys);
    if (!before || !settingsfile::write(opened.fd(), file, *before, lines, &why))
        return false;
    const Opened written(k, file);
    const settingsfile::Scan* after =
        written.fd() < 0 ? nullptr : scanFor(k, file, written, keys); // small now, maybe
    return after && std::all_of(values.begin(), values.end(), [&](const auto& s) {
               return after->text({s.section, s.key}) == s.text.left(QtSettingsStore::kReadLimit);
           });
}

} // namespace

QString QtSettingsStore::GetSetting(const QString& app, const QString& section, const QString& key,
                                    const QString& fallback) {
    // A corrupt or unreadable file reads as empty, so every count falls back to `fallback`.
    const QString file = settingsfile::path(app);
    Known& k = known();
    const QMutexLocker lock(&k.mutex);
    const Opened opened(k, file);
    if (opened.fd() < 0)
        return fallback;
    // One pass tells what is wrong with the file, whatever its size; a large file is read
    // only by such passes, a small one whole by QSettings.
    const QList<Key> keys = opened.large() ? QList<Key>{{section, key}} : QList<Key>();
    const settingsfile::Scan* scan = scanFor(k, file, opened, keys, opened.large());
    if (opened.large())
        return scan ? scan->text({section, key}).value_or(fallback) : fallback;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, app);
    const QVariant value = settings.value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    return value.toString().left(kReadLimit);
}

void QtSettingsStore::SaveSettings(const QString& app, const QList<Setting>& values) {
    const QString file = settingsfile::path(app);
    Known& k = known();
    const QMutexLocker lock(&k.mutex);
    QString why;
    if (!filecheck::writable(QFile::encodeName(file), &why)) {
        tellUnused(k, file, why);
        throw PlatformError(notWritten(file));
    }
    {
        const Opened opened(k, file);
        if (opened.large()) {
            if (!saveLarge(k, file, opened, values))
                throw PlatformError(notWritten(file));
            return;
        }
    }
    QString fileName;
    {
        // One sync writes the whole file at once (through a temporary file), so the values
        // land together or not at all.
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, app);
        for (const Setting& s : values)
            settings.setValue(keyPath(s.section, s.key), s.text);
        settings.sync();
        fileName = settings.fileName();
    }
    // The writer's status() cannot tell: it keeps a FormatError from reading a corrupt file
    // even after the file was written anew, and it hides a later failure behind it. A fresh
    // reader re-reads the file (or retries what is still unwritten) and reports afresh.
    const QSettings check(QSettings::NativeFormat, QSettings::UserScope, app);
    bool written = check.status() == QSettings::NoError;
    for (const Setting& s : values)
        written = written && check.value(keyPath(s.section, s.key)).toString() == s.text;
    if (!written)
        throw PlatformError(notWritten(fileName));
}
