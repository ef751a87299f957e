#include "diag/changefeed.h"

ChangeFeed::ChangeFeed(QObject* parent) : QObject(parent) {
    m_clock.start();
}

void ChangeFeed::publish(int input, bool active, qint64 timeMs) {
    if (input < 1 || input > kLastInput)
        return;
    m_active[input] = active;
    m_lastChange[input] = timeMs;
    m_changed[input] = true;
    if (!m_clockMs) {
        m_lastMs = timeMs;
        m_clock.start();
    }
    emit inputChanged(input, active, timeMs);
}

bool ChangeFeed::isActive(int input) const {
    return input >= 1 && input <= kLastInput && m_active[input];
}

QHash<int, qint64> ChangeFeed::changedSince(qint64 sinceMs) const {
    QHash<int, qint64> out;
    for (int n = 1; n <= kLastInput; ++n)
        if (m_changed[n] && m_lastChange[n] >= sinceMs)
            out.insert(n, m_lastChange[n]);
    return out;
}

qint64 ChangeFeed::nowMs() const {
    if (m_clockMs)
        return m_clockMs();
    return m_lastMs + m_clock.elapsed();
}
