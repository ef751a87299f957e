#include "settingsstore.h"

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

void QtSettingsStore::SaveSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& text) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, app);
    settings.setValue(keyPath(section, key), text);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw SettingsError(QStringLiteral("%1 kan ikke skrives").arg(settings.fileName()));
}
