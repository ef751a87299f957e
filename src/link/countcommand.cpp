#include "link/countcommand.h"

#include "serial/countvalue.h"
#include "state/messagesink.h"
#include "state/platformerror.h"
#include "state/serialcontrol.h"
#include "state/settingsstore.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace {
QString reminder() {
    return QCoreApplication::translate("CountCommand", "Husk at aktiver start");
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

countcommand::Result countcommand::send(const std::array<QString, 3>& texts,
                                        const std::array<QString, 3>& stored, SerialControl& serial,
                                        SettingsStore& settings, int* modules) {
    const std::optional<quint8> left = countvalue::countByte(texts[0]);
    const std::optional<quint8> mid = countvalue::countByte(texts[1]);
    const std::optional<quint8> right = countvalue::countByte(texts[2]);
    if (!left || !mid || !right)
        return Result::NotCounts;
    try {
        serial.Output(countvalue::countCommand(*left, *mid, *right));
        if (modules)
            *modules = *left + *mid + *right;
        using namespace settings_keys;
        const std::array<QString, 3> sections{kLeft, kMid, kRight};
        QList<SettingsStore::Setting> kept;
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (!stored[i].isNull())
                kept.append({sections[i], kCount, stored[i]});
        }
        settings.SaveSettings(kApp, kept);
    } catch (const PlatformError&) {
        return Result::NotSent;
    }
    return Result::Sent;
}

void CountCommand::Command1_Click() {
    m_state.Flags[10] = false;
    int modules = -1;
    const countcommand::Result result =
        countcommand::send({m_left.text(), m_mid.text(), m_right.text()},
                           {textToStore(m_left), textToStore(m_mid), textToStore(m_right)},
                           m_serial, m_settings, &modules);
    if (modules >= 0)
        m_modulesSent = modules;
    // Not counts, a closed port or a store that cannot be written: the user gets one reminder.
    if (result != countcommand::Result::Sent)
        m_messages.MsgBox(reminder());
}
