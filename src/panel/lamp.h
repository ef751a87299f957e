#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>

// An input lamp: two pictures in the same place, element 0 the red disc (inactive) and
// element 1 the green disc (active), each with its own visibility. Changing an element does
// not repaint by itself: whoever switches lamps asks for the repaint (the panel does so at
// most once per frame, however often the inputs change).
//
// On a screen with more device pixels than logical ones (a zoom above 100 %) the disc is drawn
// as a vector at the device's resolution, once per resolution and shared by every lamp, so it
// stays sharp; at 100 % the pictures are drawn as they are. With the colour help on, an active
// lamp also carries a light ring in the middle of its disc, so active and inactive differ by
// more than their colour.
class Lamp final : public QWidget {
    Q_OBJECT

public:
    Lamp(const std::array<QPixmap, 2>& pictures, QWidget* parent = nullptr);

    bool isElementVisible(int index) const { return m_visible[std::size_t(index)]; }
    void setElementVisible(int index, bool visible) { m_visible[std::size_t(index)] = visible; }
    // Shows the green disc exactly when the input is active.
    void setActive(bool active) {
        setElementVisible(1, active);
        setElementVisible(0, !active);
    }
    // The ring on an active lamp; like the elements, repainted by whoever switches it.
    void setColourHelp(bool on) { m_colourHelp = on; }
    bool colourHelp() const { return m_colourHelp; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QPixmap, 2> m_pictures;
    std::array<bool, 2> m_visible{true, false};
    bool m_colourHelp = false;
};
