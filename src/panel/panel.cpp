#include "panel/panel.h"

#include "panel/lamp.h"

#include <QLineEdit>
#include <algorithm>
#include <cstring>

Panel::Panel(FormState& state, QLineEdit& lastChanged,
             std::array<Lamp*, FormState::kLampCount> lamps, FrameGate& gate)
    : m_state(state), m_text5(lastChanged), m_lamps(lamps), m_gate(gate) {
    gate.add(*this);
}

namespace {
// " 1" .. " 200", made once: a refresh that changes an input allocates nothing.
const QString& inputText(int input) {
    static const std::array<QString, FormState::kInputCount> texts = [] {
        std::array<QString, FormState::kInputCount> t;
        for (int n = 0; n < FormState::kInputCount; ++n)
            t[std::size_t(n)] = QLatin1Char(' ') + QString::number(n);
        return t;
    }();
    return texts[std::size_t(input)];
}
} // namespace

void Panel::paintFrame() {
    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        if (m_changed.test(i))
            m_lamps[i]->update();
    }
    m_changed.reset();
    if (m_textPending) {
        if (const qint64 wait = m_gate.textWaitMs(m_textShownMs); wait > 0) {
            requestFrameAfter(wait);
            return;
        }
        m_textPending = false;
        // A new text repaints the box alone: what shows of its group and the window at its
        // rounded corners never changes, so the pixels there are kept rather than painted again
        // under it with every text. Set here, after the style's polish, which clears it.
        if (!m_text5.testAttribute(Qt::WA_OpaquePaintEvent))
            m_text5.setAttribute(Qt::WA_OpaquePaintEvent);
        m_text5.setText(m_reportedText);
    }
}

void Panel::setColourHelp(bool on) {
    m_colourHelp = on;
    for (Lamp* lamp : m_lamps) {
        if (lamp->colourHelp() == on)
            continue;
        lamp->setColourHelp(on);
        if (lamp->isElementVisible(1)) // an inactive lamp looks the same either way
            lamp->update();
    }
}

void Panel::arbejd() {
    FormState& s = m_state;
    // Inputs 1..200 are compared eight at a time; most events (an echoed byte, a report that
    // repeats the last one) change nothing, and a burst changes a few inputs.
    static_assert(FormState::kLastInput % 8 == 0);
    int changed = 0;
    for (std::size_t base = 1; base <= std::size_t(FormState::kLastInput); base += 8) {
        quint64 now = 0;
        quint64 before = 0;
        std::memcpy(&now, &s.InputState[base], 8);
        std::memcpy(&before, &s.LastState[base], 8);
        if (now == before)
            continue;
        for (std::size_t i = base; i < base + 8; ++i) {
            if (s.InputState[i] == s.LastState[i])
                continue;
            changed = int(i);
            s.LastState[i] = s.InputState[i];
            if (i <= std::size_t(FormState::kLampCount)) {
                m_lamps[i - 1]->setActive(s.InputState[i]);
                m_changed.set(i - 1);
            }
        }
    }
    s.LoopCounter = FormState::kLastInput + 1;
    if (changed == 0)
        return;
    if (m_changed.any())
        requestFrame();
    // Written once with the last (highest) change instead of once per change.
    if (changed != m_reported) {
        m_reported = changed;
        m_reportedText = inputText(changed);
    }
    // The text is written now; the box takes it at the frame, since laying out a text costs
    // more than a whole burst's handling and a person sees only the last one of a frame.
    if (!m_textPending && m_text5.text() != m_reportedText) {
        m_textPending = true;
        requestFrame();
    }
}
