#pragma once

#include "state/formstate.h"

#include <QString>
#include <array>
#include <optional>

class MessageSink;
class QLineEdit;
class SerialControl;
class SettingsStore;

namespace countcommand {
enum class Result { Sent, NotCounts, NotSent };
// What Indsæt (s) does with three texts, without a window: checks each is a count from 0 to
// 255, sends the five bytes and stores `stored` (the texts as they are to be kept; a null text
// leaves that count's stored text as it is) under the three counts' keys. NotCounts sends and
// stores nothing; NotSent: the port was closed or the store could not be written (nothing already
// sent is undone).
Result send(const std::array<QString, 3>& texts, const std::array<QString, 3>& stored,
            SerialControl& serial, SettingsStore& settings, int* modules = nullptr);
} // namespace countcommand

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
