#include "diag/changefeed.h"

void ChangeFeed::publish(int input, bool active, qint64 timeMs) {
    if (input < 1 || input > kLastInput)
        return;
    m_active[input] = active;
    emit inputChanged(input, active, timeMs);
}

bool ChangeFeed::isActive(int input) const {
    return input >= 1 && input <= kLastInput && m_active[input];
}
