#pragma once

#include "state/protocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <array>
#include <functional>

// Input changes in the order the receive path made them (or a replayed recording did), for
// the walk test and for reading changes aloud. The window's adapter publishes each change of
// the history here; the feed keeps the present state of every input, so a walk test started
// at any moment knows which inputs are already active.
class ChangeFeed final : public QObject {
    Q_OBJECT

public:
    static constexpr int kLastInput = protocol::kLastInput;

    explicit ChangeFeed(QObject* parent = nullptr);

    // Records the change and emits inputChanged; inputs outside 1..kLastInput are ignored.
    void publish(int input, bool active, qint64 timeMs);
    bool isActive(int input) const;
    // The inputs that changed at or after `sinceMs`, each with the time of its last change.
    QHash<int, qint64> changedSince(qint64 sinceMs) const;
    // The time now on the changes' clock: the clock given, else the last change's time and what
    // has passed since.
    qint64 nowMs() const;
    // The changes' own clock (the change history's), read only when asked: publishing then
    // reads no clock at all, which a flood of changes notices.
    void setClock(std::function<qint64()> clockMs) { m_clockMs = std::move(clockMs); }

signals:
    // `timeMs` counts from any fixed start; only differences are used.
    void inputChanged(int input, bool active, qint64 timeMs);

private:
    std::array<bool, kLastInput + 1> m_active{};
    std::array<qint64, kLastInput + 1> m_lastChange{};
    std::array<bool, kLastInput + 1> m_changed{};
    std::function<qint64()> m_clockMs;
    QElapsedTimer m_clock; // from the last change, without a clock given
    qint64 m_lastMs = 0;   // its time
};
