#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user store of the module counts, addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when there is none.
    virtual QString GetSetting(const QString& app, const QString& section, const QString& key,
                               const QString& fallback) = 0;
    // Stores the text; throws SettingsError when the store cannot be written.
    virtual void SaveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& text) = 0;
};

class SettingsError : public std::exception {
public:
    explicit SettingsError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_utf8.constData(); }
    const QString& message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_utf8;
};

// QSettings in the platform's native per-user location: one file or registry key per
// application (on Linux $XDG_CONFIG_HOME/<app>.conf), a group per section.
class QtSettingsStore final : public SettingsStore {
public:
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& fallback) override;
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& text) override;
};

namespace settings_keys {
inline const QString kApp = QStringLiteral("Gen_Vorn_S88");
inline const QString kLeft = QStringLiteral("S88Left");
inline const QString kMid = QStringLiteral("S88Mid");
inline const QString kRight = QStringLiteral("S88Right");
inline const QString kCount = QStringLiteral("Antal");
inline const QString kAbsent = QStringLiteral("Ingen");
} // namespace settings_keys
