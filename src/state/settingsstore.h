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
// read only up to kReadLimit characters. A file larger than kWholeFile is never read whole: one
// pass in large blocks (state/settingsfile.h) finds every key the program reads
// (settings_keys::kRead) and whatever else was asked before, kept for as long as the file is
// the same, and a rewrite copies the bytes it does not change as they are; an absurd value
// never comes into memory and stays in the file as it is unless it is written anew. A settings
// path that is a FIFO, a device or a folder is never opened: it reads as no file and cannot be
// written. What is wrong with the file (not a regular file, unreadable, not INI, junk lines,
// far more lines than a settings file has) is told once a run, in a line on standard error.
class QtSettingsStore final : public SettingsStore {
public:
    static constexpr qsizetype kReadLimit = 256; // a count box's length and one more
    static constexpr qint64 kWholeFile = 64 * 1024;
    // More lines than this in a large file are damage: a settings file has a few dozen.
    static constexpr qint64 kMaxLines = 10000;

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
inline const QString kView = QStringLiteral("Visning");
inline const QString kLanguage = QStringLiteral("Sprog");
inline const QString kZoom = QStringLiteral("Zoom");
inline const QString kColourHelp = QStringLiteral("Farvehjælp");
inline const QString kMqtt = QStringLiteral("MQTT");
inline const QString kUrl = QStringLiteral("URL");
inline const QString kCa = QStringLiteral("CA");
inline const QString kDiscovery = QStringLiteral("Discovery");
inline const QString kCommands = QStringLiteral("Kommandoer");
inline const QString kOn = QStringLiteral("Til");
// Every key the program reads (section, key): a large file is searched for all at once.
inline const QList<std::pair<QString, QString>> kRead{
    {kLeft, kCount},     {kMid, kCount},       {kRight, kCount}, {kView, kLanguage},
    {kView, kZoom},      {kView, kColourHelp}, {kMqtt, kUrl},    {kMqtt, kCa},
    {kMqtt, kDiscovery}, {kMqtt, kCommands},   {kMqtt, kOn}};
// The most a module-count box holds: any count a person types, with blanks, zeros, a
// fraction or an exponent, fits many times over.
inline constexpr int kCountLength = 255;
} // namespace settings_keys
