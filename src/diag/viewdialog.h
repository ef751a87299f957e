#pragma once

#include <QDialog>

class MessageSink;
class QCheckBox;
class QComboBox;
class SettingsStore;

// "Visning…": the window's language and zoom, which take effect at the next start, and the
// colour help, at once. Each choice is stored as it is made; a store that cannot be written
// is told through the message sink and the choice stays for this session.
class ViewDialog final : public QDialog {
    Q_OBJECT

public:
    ViewDialog(SettingsStore& settings, MessageSink& messages, QWidget* parent = nullptr);

    QComboBox& languageBox() { return *m_language; }
    QComboBox& zoomBox() { return *m_zoom; }
    QCheckBox& colourHelpBox() { return *m_colourHelp; }

signals:
    void colourHelpChanged(bool on);

private:
    template <typename Store> void store(Store&& write);

    SettingsStore& m_settings;
    MessageSink& m_messages;
    QComboBox* m_language = nullptr;
    QComboBox* m_zoom = nullptr;
    QCheckBox* m_colourHelp = nullptr;
};
