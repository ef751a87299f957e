#include "panel.h"

#include "lamp.h"

#include <QLineEdit>
#include <algorithm>

Panel::Panel(FormState& state, QLineEdit& lastChanged,
             std::array<Lamp*, FormState::kLampCount> lamps)
    : m_state(state), m_text5(lastChanged), m_lamps(lamps) {
    m_frame.setSingleShot(true);
    m_frame.callOnTimeout([this] { repaintChanged(); });
}

void Panel::repaintChanged() {
    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        if (m_changed.test(i))
            m_lamps[i]->update();
    }
    m_changed.reset();
    m_sincePaint.start();
}

void Panel::arbejd() {
    FormState& s = m_state;
    // The common case, an echoed byte, changes nothing. Entry 0 is no input.
    if (std::equal(s.InputState.begin() + 1, s.InputState.end(), s.LastState.begin() + 1)) {
        s.LoopCounter = FormState::kLastInput + 1;
        return;
    }
    int changed = 0;
    for (s.LoopCounter = 1; s.LoopCounter <= FormState::kLastInput; ++s.LoopCounter) {
        const auto i = std::size_t(s.LoopCounter);
        if (s.InputState[i] == s.LastState[i])
            continue;
        changed = s.LoopCounter;
        s.LastState[i] = s.InputState[i];
        if (i <= std::size_t(FormState::kLampCount)) {
            m_lamps[i - 1]->setActive(s.InputState[i]);
            m_changed.set(i - 1);
        }
    }
    if (m_changed.any() && !m_frame.isActive()) {
        const qint64 since = m_sincePaint.isValid() ? m_sincePaint.elapsed() : kFrameMs;
        if (since >= kFrameMs)
            repaintChanged();
        else
            m_frame.start(int(kFrameMs - since));
    }
    // Written once with the last (highest) change instead of once per change.
    const QString text = QLatin1Char(' ') + QString::number(changed);
    if (m_text5.text() != text)
        m_text5.setText(text);
}
