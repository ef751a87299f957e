#pragma once

#include "state/protocol.h"

#include <QObject>
#include <array>

// Input changes in the order the receive path made them (or a replayed recording did), for
// the walk test and for reading changes aloud. The window's adapter publishes each change of
// the history here; the feed keeps the present state of every input, so a walk test started
// at any moment knows which inputs are already active.
class ChangeFeed final : public QObject {
    Q_OBJECT

public:
    static constexpr int kLastInput = protocol::kLastInput;

    explicit ChangeFeed(QObject* parent = nullptr) : QObject(parent) {}

    // Records the change and emits inputChanged; inputs outside 1..kLastInput are ignored.
    void publish(int input, bool active, qint64 timeMs);
    bool isActive(int input) const;

signals:
    // `timeMs` counts from any fixed start; only differences are used.
    void inputChanged(int input, bool active, qint64 timeMs);

private:
    std::array<bool, kLastInput + 1> m_active{};
};
