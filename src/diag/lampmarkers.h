#pragma once

#include "frame/framegate.h"
#include "state/formstate.h"

#include <QObject>
#include <array>

class ChangeHistory;
class Lamp;
class QWidget;

// The lamps' part of the diagnostics: an amber ring around the disc of every lamp whose input
// the history flags as unstable (the disc stays visible inside it; a lamp without a marker
// looks as it always did), kept until the history is cleared, and a tooltip on each lamp with
// its input's statistics.
class LampMarkers final : public QObject, public FrameView {
    Q_OBJECT

public:
    LampMarkers(const ChangeHistory& history, const std::array<Lamp*, FormState::kLampCount>& lamps,
                QObject* parent = nullptr);

    bool isMarked(int input) const { return m_markers[std::size_t(input - 1)] != nullptr; }
    int markedCount() const;
    // What the tooltip of lamp `input` says now.
    QString toolTip(int input) const;

    // The history changed: new events or cleared.
    void historyChanged() { requestFrame(); }
    void paintFrame() override;

    // Shortest times as the tooltip writes them: "18 ms", "–" for none.
    static QString msText(qint64 ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const ChangeHistory& m_history;
    std::array<Lamp*, FormState::kLampCount> m_lamps;
    std::array<QWidget*, FormState::kLampCount> m_markers{};
};
