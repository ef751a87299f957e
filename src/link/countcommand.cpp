#include "link/countcommand.h"

#include "serial/countvalue.h"
#include "state/messagesink.h"
#include "state/platformerror.h"
#include "state/serialcontrol.h"
#include "state/settingsstore.h"

#include <QLineEdit>

namespace {
const QString kReminder = QStringLiteral("Husk at aktiver start");

// Adds the text to store for a box: what it shows; nothing when it shows a stored text cut to
// the box's length and the user has not touched it, so the store keeps that text as it is.
void addToStore(QList<SettingsStore::Setting>& settings, const QString& section,
                const QLineEdit& box) {
    const QString stored = box.property(CountCommand::kStoredText).toString();
    if (!box.isModified() && box.text().size() == box.maxLength() &&
        stored.size() > box.text().size() && stored.startsWith(box.text()))
        return;
    settings.append({section, settings_keys::kCount, box.text()});
}
} // namespace

CountCommand::CountCommand(FormState& state, QLineEdit& left, QLineEdit& mid, QLineEdit& right,
                           SerialControl& serial, SettingsStore& settings, MessageSink& messages)
    : m_state(state), m_left(left), m_mid(mid), m_right(right), m_serial(serial),
      m_settings(settings), m_messages(messages) {}

void CountCommand::Command1_Click() {
    m_state.Flags[10] = false;
    const std::optional<quint8> left = countvalue::countByte(m_left.text());
    const std::optional<quint8> mid = countvalue::countByte(m_mid.text());
    const std::optional<quint8> right = countvalue::countByte(m_right.text());
    if (!left || !mid || !right) {
        m_messages.MsgBox(kReminder);
        return;
    }
    try {
        m_serial.Output(countvalue::countCommand(*left, *mid, *right));
        m_modulesSent = *left + *mid + *right;
        using namespace settings_keys;
        QList<SettingsStore::Setting> settings;
        addToStore(settings, kLeft, m_left);
        addToStore(settings, kMid, m_mid);
        addToStore(settings, kRight, m_right);
        m_settings.SaveSettings(kApp, settings);
    } catch (const PlatformError&) {
        // A closed port or a store that cannot be written: the user gets one reminder;
        // nothing already sent is undone.
        m_messages.MsgBox(kReminder);
    }
}
