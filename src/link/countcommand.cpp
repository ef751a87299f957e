#include "countcommand.h"

#include "../app/messagesink.h"
#include "../app/settingsstore.h"
#include "countvalue.h"
#include "serialcontrol.h"

#include <QLineEdit>

namespace {
const QString kReminder = QStringLiteral("Husk at aktiver start");

// A text that is not a count ends the command like any other failure.
struct NotACount {};

quint8 countOf(const QLineEdit& box) {
    const std::optional<quint8> byte = countvalue::countByte(box.text());
    if (!byte)
        throw NotACount{};
    return *byte;
}
} // namespace

CountCommand::CountCommand(FormState& state, QLineEdit& left, QLineEdit& mid, QLineEdit& right,
                           SerialControl& serial, SettingsStore& settings, MessageSink& messages)
    : m_state(state), m_left(left), m_mid(mid), m_right(right), m_serial(serial),
      m_settings(settings), m_messages(messages) {}

void CountCommand::Command1_Click() {
    m_state.Flags[10] = false;
    try {
        send();
    } catch (...) {
        // Whatever went wrong (a text that is no count, a closed port, a store that cannot
        // be written), the user gets one reminder; nothing already sent or stored is undone.
        m_messages.MsgBox(kReminder);
    }
}

void CountCommand::send() {
    const quint8 left = countOf(m_left);
    const quint8 mid = countOf(m_mid);
    const quint8 right = countOf(m_right);
    m_serial.Output(countvalue::countCommand(left, mid, right));

    using namespace settings_keys;
    m_settings.SaveSetting(kApp, kLeft, kCount, m_left.text());
    m_settings.SaveSetting(kApp, kMid, kCount, m_mid.text());
    m_settings.SaveSetting(kApp, kRight, kCount, m_right.text());
}
