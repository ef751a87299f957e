#include "state/settingsstore.h"

#include "state/platformerror.h"
#include "state/settingsfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace {
QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}
} // namespace

QString QtSettingsStore::GetSetting(const QString& app, const QString& section, const QString& key,
                                    const QString& fallback) {
    // A corrupt or unreadable file reads as empty, so every count falls back to `fallback`.
    const QString file = settingsfile::path(app);
    if (QFileInfo(file).size() > kWholeFile)
        return settingsfile::read(file, section, key, kReadLimit).value_or(fallback);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, app);
    const QVariant value = settings.value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    return value.toString().left(kReadLimit);
}

void QtSettingsStore::SaveSettings(const QString& app, const QList<Setting>& values) {
    const QString file = settingsfile::path(app);
    if (QFileInfo(file).size() > kWholeFile) {
        QList<settingsfile::Value> lines;
        for (const Setting& s : values)
            lines.append({s.section, s.key, s.text});
        bool written = settingsfile::write(file, lines);
        for (const Setting& s : values)
            written = written && settingsfile::read(file, s.section, s.key, kReadLimit) ==
                                     s.text.left(kReadLimit);
        if (!written)
            throw PlatformError(
                QCoreApplication::translate("SettingsStore", "%1 kan ikke skrives").arg(file));
        return;
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
        throw PlatformError(
            QCoreApplication::translate("SettingsStore", "%1 kan ikke skrives").arg(fileName));
}
