#pragma once

#include "link/portcontrol.h"
#include "state/formstate.h"

#include <QByteArray>

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

// The zoom stored in the settings, applied before the application object exists.
namespace zoom {

// What Qt's scale factor is set to for a zoom in percent: "1.5" for 150; empty for 0, which
// follows the screen.
QByteArray scaleFactor(int percent);

// Sets QT_SCALE_FACTOR from the stored zoom. Qt multiplies it with the screen's own scale,
// so 100 % is the window as the desktop shows it at its normal size and 150 % one and a half
// times that. A factor the user's environment already sets wins and nothing is changed; so
// does zoom 0, which leaves Qt's own high-DPI scaling alone. Returns the factor set, or empty
// when none was.
QByteArray apply(SettingsStore& settings);

} // namespace zoom
