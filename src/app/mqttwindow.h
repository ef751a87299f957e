#pragma once

#include "bridge/mqttsettings.h"
#include "state/settingsstore.h"

#include <QTimer>
#include <QWidget>
#include <functional>

class MessageSink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "MQTT": the window's setting for feeding layout software through a broker: the broker's
// URL (checked as it is typed, the reason shown), the CA file for mqtts, the password,
// Home Assistant discovery, counts over MQTT, on/off, and a line with the bridge's state.
// "Anvend" stores the setting (the password in its own file, never in the settings file)
// and reports it through applied(); a URL that is not one stores nothing.
class MqttWindow final : public QWidget {
    Q_OBJECT

public:
    using FileChooser = std::function<QString(const QString& caption)>;
    // The longest URL or CA path stored: what the settings store reads back, less the one
    // character that tells a longer text apart.
    static constexpr int kMaxText = int(QtSettingsStore::kReadLimit) - 1;

    MqttWindow(SettingsStore& settings, MessageSink& messages, QWidget* parent = nullptr);

    // The bridge's state line and, below it, what troubles it (empty: nothing), read every
    // second while the window shows and on refreshState().
    void setState(std::function<QString()> state, std::function<QString()> trouble = {});
    void setFileChooser(FileChooser choose) { m_choose = std::move(choose); }
    // The fields from the stored setting and password file.
    void load();
    // Checks, stores and reports the setting; false (the reason shown, or a message when the
    // store cannot be written) when nothing was applied.
    bool apply();
    void refreshState();

    QLineEdit& url() { return *m_url; }
    QLineEdit& caFile() { return *m_ca; }
    QLineEdit& password() { return *m_password; }
    QCheckBox& discovery() { return *m_discovery; }
    QCheckBox& commands() { return *m_commands; }
    QCheckBox& on() { return *m_on; }
    QPushButton& applyButton() { return *m_apply; }
    QPushButton& chooseCaButton() { return *m_chooseCa; }
    // Why the URL or CA file cannot be used; empty when they can.
    QString reason() const;
    QString stateText() const;
    QString troubleText() const;

signals:
    void applied(const mqtt_settings::Setting& setting);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Empty when the fields can be stored, else why not.
    QString check() const;
    void showCheck();
    mqtt_settings::Setting fields() const;

    SettingsStore& m_settings;
    MessageSink& m_messages;
    QLineEdit* m_url = nullptr;
    QLabel* m_reason = nullptr;
    QLineEdit* m_ca = nullptr;
    QPushButton* m_chooseCa = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_discovery = nullptr;
    QCheckBox* m_commands = nullptr;
    QCheckBox* m_on = nullptr;
    QLabel* m_state = nullptr;
    QLabel* m_trouble = nullptr;
    QPushButton* m_apply = nullptr;
    QTimer m_tick;
    std::function<QString()> m_stateText;
    std::function<QString()> m_troubleText;
    FileChooser m_choose;
    QString m_storedPassword;
};
