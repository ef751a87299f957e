#include "link/countcommand.h"

#include "state/messagesink.h"
#include "state/serialcontrol.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace {
QString reminder() {
    return QCoreApplication::translate("CountCommand", "Husk at aktiver start");
}

QString outOfRange() {
    return QCoreApplication::translate("CountCommand", "Modulantal skal være fra 0 til 255");
}

// The text to store for a box: what it shows; none (a null text) when it shows a stored text
// cut to the box's length and the user has not touched it, so the store keeps that text as it
// is.
QString textToStore(const QLineEdit& box) {
    const QString stored = box.property(CountCommand::kStoredText).toString();
    if (!box.isModified() && box.text().size() == box.maxLength() &&
        stored.size() > box.text().size() && stored.startsWith(box.text()))
        return QString();
    return box.text().isNull() ? QStringLiteral("") : box.text();
}
} // namespace

CountCommand::CountCommand(FormState& state, QLineEdit& left, QLineEdit& mid, QLineEdit& right,
                           SerialControl& serial, SettingsStore& settings, MessageSink& messages)
    : m_state(state), m_left(left), m_mid(mid), m_right(right), m_serial(serial),
      m_settings(settings), m_messages(messages) {}

void CountCommand::Command1_Click() {
    m_state.Flags[10] = false;
    int modules = -1;
    const countcommand::Result result =
        countcommand::send({m_left.text(), m_mid.text(), m_right.text()},
                           {textToStore(m_left), textToStore(m_mid), textToStore(m_right)},
                           m_serial, m_settings, &modules);
    if (modules >= 0)
        m_modulesSent = modules;
    // A count outside 0..255 on a started link says so; a closed port or a store that cannot be
    // written (or a count beside a closed port) gets the reminder to start.
    if (result == countcommand::Result::NotCounts && m_serial.PortOpen())
        m_messages.MsgBox(outOfRange());
    else if (result != countcommand::Result::Sent)
        m_messages.MsgBox(reminder());
}
