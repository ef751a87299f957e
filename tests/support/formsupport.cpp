#include "support/formsupport.h"

#include "panel/lamp.h"

QList<int> greenLamps(const Form1& form) {
    QList<int> green;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        const Lamp* lamp = form.controls().Lampe[std::size_t(n - 1)];
        const bool red = lamp->isElementVisible(0);
        const bool on = lamp->isElementVisible(1);
        if (red == on)
            green << -n;
        else if (on)
            green << n;
    }
    return green;
}

QList<int> activeInputs(const FormState& state, int last) {
    QList<int> active;
    for (int n = 1; n <= last; ++n) {
        if (state.InputState[std::size_t(n)])
            active << n;
    }
    return active;
}
