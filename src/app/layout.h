#pragma once

#include "state/formstate.h"

#include <QList>
#include <QtGlobal>
#include <array>

class Lamp;
class Monitor;
class MonitorView;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class Shape;

// Every control of the window, under the names the handlers know them by. Controls that
// share a name are arrays indexed from 0 (Option1(0..7), Label3(0..1)); card frame k and its
// numbering label are cards[k - 1] and cardLabels[k - 1]; Lampe[n - 1] is lamp n.
struct Controls {
    QGroupBox* Frame24 = nullptr;
    Shape* Shape1 = nullptr;
    QPushButton* Command3 = nullptr; // Start
    QPushButton* Command4 = nullptr; // Stop
    QPushButton* Command5 = nullptr; // Afslut
    std::array<QLabel*, 2> Label3{};
    std::array<QRadioButton*, 8> Option1{};

    QGroupBox* Frame25 = nullptr;
    QLineEdit* Text1 = nullptr; // Left chain
    QLineEdit* Text2 = nullptr; // Mid chain
    QLineEdit* Text3 = nullptr; // Right chain
    QLabel* Label14 = nullptr;
    QPushButton* Command1 = nullptr; // Indsæt (s)

    QGroupBox* Frame26 = nullptr;
    QLineEdit* Text5 = nullptr; // last changed input
    QLabel* Label6 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label15 = nullptr;
    MonitorView* Text4 = nullptr; // receive monitor

    std::array<QGroupBox*, 20> cards{};
    std::array<QLabel*, 20> cardLabels{};
    std::array<Lamp*, FormState::kLampCount> Lampe{};
};

namespace layout {

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline constexpr int kClientWidth = 12660;
inline constexpr int kClientHeight = 8145;

// Where lamp n (1..160) lies: its card frame (1..20) and its rectangle inside it, in twips.
struct LampPlace {
    int card, left, top, width, height;
};
inline constexpr LampPlace lampPlace(int n) {
    return {(n - 1) / 8 + 1, 120 + 360 * ((n - 1) % 8), 240, 240, 240};
}
// Card frame k's rectangle in the window, in twips.
struct CardPlace {
    int left, top, width, height;
};
inline constexpr CardPlace cardPlace(int k) {
    return {120 + 3120 * ((k - 1) % 4), 840 + 960 * ((k - 1) / 4), 3015, 975};
}

// The light grey of the classic window face, also the lamp pictures' ground.
inline constexpr int kFaceGrey = 192;
// The grey of a disabled control's text on that face: 5:1 against it, readable, and still
// plainly lighter than the enabled black (11.5:1). The toolkit's own (190) all but vanishes.
inline constexpr int kDisabledTextGrey = 72;

// Creates every control inside `form` in its design-time state; the monitor box shows `monitor`.
Controls build(QWidget& form, const Monitor& monitor);

// Tab goes on from the window's own order (its last control) through `more`, in that order;
// each of them is made to take the focus by Tab as well as by a click.
void appendTabChain(const Controls& c, const QList<QWidget*>& more);

// Places the diagnostics area, a child of the window, in the lower-left corner below the
// cards and left of the monitor, in the window's face; it lays out its own controls.
void placeDiagnostics(QWidget& area);

} // namespace layout
