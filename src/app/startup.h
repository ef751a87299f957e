#pragma once

#include "link/portcontrol.h"
#include "state/formstate.h"

class MessageSink;
class QLineEdit;
class SettingsStore;

// The window's load handler: clears the state, paints the indicator red and fills the three
// module-count boxes from the settings store, reminding the user of each count not stored.
class Startup {
public:
    Startup(FormState& state, IndicatorSink indicator, QLineEdit& left, QLineEdit& mid,
            QLineEdit& right, SettingsStore& settings, MessageSink& messages);

    void Form_Load();
    // Whether the last Form_Load found all three counts stored (a box left as it was is no
    // count the user gave).
    bool countsLoaded() const { return m_countsLoaded; }

private:
    bool loadCount(const QString& section, QLineEdit& box, const QString& chain);

    FormState& m_state;
    IndicatorSink m_indicator;
    QLineEdit& m_left;
    QLineEdit& m_mid;
    QLineEdit& m_right;
    SettingsStore& m_settings;
    MessageSink& m_messages;
    bool m_countsLoaded = false;
};
