#pragma once

#include <QList>
#include <QString>

// The per-user store of the module counts, addressed by application, section and key.
class SettingsStore {
public:
    struct Setting {
        QString section;
        QString key;
        QString text;
    };

    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when there is none.
    virtual QString GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& fallback) = 0;
    // Stores the texts together: all of them or, when the store cannot be written, none, and
    // throws PlatformError.
    virtual void SaveSettings(const QString& app, const QList<Setting>& settings) = 0;
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& text) {
        SaveSettings(app, {{section, key, text}});
    }
};

// QSettings in the platform's native per-user location: one file or registry key per
// application (on Linux $XDG_CONFIG_HOME/<app>.conf), a group per section. A stored text is
// read only up to kReadLimit characters; a file larger than kWholeFile is read and rewritten
// line by line (state/settingsfile.h), so an absurd value never comes into memory and stays in
// the file as it is unless it is written anew.
class QtSettingsStore final : public SettingsStore {
public:
    static constexpr qsizetype kReadLimit = 256; // a count box's length and one more
    static constexpr qint64 kWholeFile = 64 * 1024;

    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) override;
    void SaveSettings(const QString& app, const QList<Setting>& settings) override;
};

namespace settings_keys {
inline const QString kApp = QStringLiteral("Gen_Vorn_S88");
inline const QString kLeft = QStringLiteral("S88Left");
inline const QString kMid = QStringLiteral("S88Mid");
inline const QString kRight = QStringLiteral("S88Right");
inline const QString kCount = QStringLiteral("Antal");
inline const QString kAbsent = QStringLiteral("Ingen");
// The most a module-count box holds: any count a person types, with blanks, zeros, a
// fraction or an exponent, fits many times over.
inline constexpr int kCountLength = 255;
} // namespace settings_keys
