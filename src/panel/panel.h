#pragma once

#include "frame/framegate.h"
#include "receive/receiver.h"
#include "state/formstate.h"

#include <QString>
#include <array>
#include <bitset>
#include <limits>

class Lamp;
class QLineEdit;

// Brings the lamps and the last-changed-input box in line with the input states. Their state
// is written at once; the screen follows with the frame gate's next frame (the box's text, while
// data streams, at most twice a second).
class Panel final : public Refresh, public FrameView {
public:
    Panel(FormState& state, QLineEdit& lastChanged, std::array<Lamp*, FormState::kLampCount> lamps,
          FrameGate& gate);

    // After the call, LastState equals InputState, lamp n is green exactly when input n is
    // active, and Text5 names the highest-numbered input (1..200) that changed since the
    // previous refresh, or keeps its text if none did. Only what changed is touched.
    void arbejd() override;

    void paintFrame() override;

    // Turns the colour help's mark on active lamps on or off; the active lamps are repainted.
    void setColourHelp(bool on);
    bool colourHelp() const { return m_colourHelp; }

    // What "Seneste aktive indgang" says since the last refresh that changed an input; the box
    // shows it from the next frame on (while data streams, within half a second).
    const QString& text5() const { return m_reportedText; }

private:
    FormState& m_state;
    QLineEdit& m_text5;
    std::array<Lamp*, FormState::kLampCount> m_lamps;
    std::bitset<FormState::kLampCount> m_changed; // switched, not yet repainted
    int m_reported = 0;                           // the input last written into Text5, and its text
    QString m_reportedText;
    bool m_textPending = false; // Text5 written, not yet shown
    FrameGate& m_gate;
    qint64 m_textShownMs = std::numeric_limits<qint64>::min() / 2; // on the gate's clock
    bool m_colourHelp = false;
};
