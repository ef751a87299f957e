#pragma once

#include "receive/receiver.h"
#include "state/formstate.h"

#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <bitset>

class Lamp;
class QLineEdit;

// Brings the lamps and the last-changed-input box in line with the input states.
class Panel final : public Refresh {
public:
    Panel(FormState& state, QLineEdit& lastChanged, std::array<Lamp*, FormState::kLampCount> lamps);

    // After the call, LastState equals InputState, lamp n is green exactly when input n is
    // active, and Text5 names the highest-numbered input (1..200) that changed since the
    // previous refresh, or keeps its text if none did. Only what changed is touched.
    void arbejd() override;

    // The lamps are repainted at most this often; a change after a quiet spell shows at once.
    static constexpr int kFrameMs = 16;

private:
    void repaintChanged();

    FormState& m_state;
    QLineEdit& m_text5;
    std::array<Lamp*, FormState::kLampCount> m_lamps;
    std::bitset<FormState::kLampCount> m_changed; // switched, not yet repainted
    QTimer m_frame;
    int m_reported = 0; // the input last written into Text5, and its text
    QString m_reportedText;
    QElapsedTimer m_sincePaint;
};
