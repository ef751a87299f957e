#include "state/settingsstore.h"

#include "state/platformerror.h"

#include <QSettings>

namespace {
QString keyPath(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}
} // namespace

QString QtSettingsStore::GetSetting(const QString& app, const QString& section, const QString& key,
                                    const QString& fallback) {
    // A corrupt or unreadable file reads as empty, so every count falls back to `fallback`.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, app);
    const QVariant value = settings.value(keyPath(section, key));
    if (!value.isValid())
        return fallback;
    return value.toString();
}

void QtSettingsStore::SaveSettings(const QString& app, const QList<Setting>& values) {
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
        throw PlatformError(QStringLiteral("%1 kan ikke skrives").arg(fileName));
}
