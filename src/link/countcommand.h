#pragma once

#include "serial/countsend.h"
#include "state/formstate.h"

#include <QString>
#include <array>
#include <optional>

class MessageSink;
class QLineEdit;
class SerialControl;
class SettingsStore;

// "Indsæt (s)": sends the three module counts to the module and remembers them.
class CountCommand {
public:
    // A count box whose stored text was longer than the box holds keeps that text (as far as
    // the store read it) in this property; sending the counts then leaves it in the store as
    // it is, unless the box was edited.
    static constexpr const char* kStoredText = "storedText";

    CountCommand(FormState& state, QLineEdit& left, QLineEdit& mid, QLineEdit& right,
                 SerialControl& serial, SettingsStore& settings, MessageSink& messages);

    void Command1_Click();
    // Left + Mid + Right of the last command that went out; nothing before the first.
    std::optional<int> modulesSent() const { return m_modulesSent; }

private:
    FormState& m_state;
    QLineEdit& m_left;
    QLineEdit& m_mid;
    QLineEdit& m_right;
    SerialControl& m_serial;
    SettingsStore& m_settings;
    MessageSink& m_messages;
    std::optional<int> m_modulesSent;
};
