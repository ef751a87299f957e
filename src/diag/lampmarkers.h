#pragma once

#include "frame/framegate.h"
#include "history/names.h"
#include "state/formstate.h"

#include <QObject>
#include <array>
#include <bitset>

class ChangeHistory;
class QWidget;

// The lamps' part of the diagnostics: an amber ring around the disc of every lamp whose input
// the history flags as unstable, with a warning sign when the colour help is on (the disc
// stays visible inside it; a lamp without a marker
// looks as it always did), kept until the history is cleared, and a tooltip on each lamp with
// its input's statistics. The lamps of a module that is counted and sent but silent wear a
// grey hatched veil, which exists only while the module is missing, and their tooltips say so.
class LampMarkers final : public QObject, public FrameView {
    Q_OBJECT

public:
    // `lamps` are the lamp widgets; the markers are drawn beside them in their parents.
    LampMarkers(const ChangeHistory& history,
                const std::array<QWidget*, FormState::kLampCount>& lamps,
                QObject* parent = nullptr);

    bool isMarked(int input) const { return m_markers[std::size_t(input - 1)] != nullptr; }
    int markedCount() const;
    // What the tooltip of lamp `input` says now.
    QString toolTip(int input) const;
    // Names shown in the tooltips; null: none.
    void setNames(const names::Names* names) { m_names = names; }

    // The modules (bit m for module m) whose lamps are veiled as silent: the missing ones, but
    // only while the link runs and after at least one complete burst since Start or Ryd
    // (`completeBursts` is the count the missing ones were found at, against the count at the
    // last restartVeil()). Stopped, the lamps show what they showed, unveiled.
    using Modules = std::bitset<256>;
    void setSilentModules(const Modules& missing, bool linkRuns, quint64 completeBursts);
    // Start or Ryd: no veil until the next complete burst.
    void restartVeil();
    bool isVeiled(int input) const { return m_veils[std::size_t(input - 1)] != nullptr; }
    int veiledCount() const;

    // With the colour help on, each ring also carries a warning sign (a triangle with an
    // exclamation mark), so an unstable lamp is told by shape as well as by colour.
    void setColourHelp(bool on);

    // The history changed: new events or cleared.
    void historyChanged() { requestFrame(); }

signals:
    // A lamp was double-clicked: its input's name is to be edited.
    void nameWanted(int input);

public:
    void paintFrame() override;

    // Shortest times as the tooltip writes them: "18 ms", "–" for none.
    static QString msText(qint64 ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const names::Names* m_names = nullptr;
    const ChangeHistory& m_history;
    std::array<QWidget*, FormState::kLampCount> m_lamps;
    std::array<QWidget*, FormState::kLampCount> m_markers{};
    std::array<QWidget*, FormState::kLampCount> m_veils{};
    Modules m_silent;
    quint64 m_burstsAtRestart = 0;
    bool m_colourHelp = false;
};
