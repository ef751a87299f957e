#pragma once

#include <QPixmap>
#include <QWidget>
#include <array>

// An input lamp: two pictures in the same place, element 0 the red disc (inactive) and
// element 1 the green disc (active), each with its own visibility. Changing an element does
// not repaint by itself: whoever switches lamps asks for the repaint (the panel does so at
// most once per frame, however often the inputs change).
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QPixmap, 2> m_pictures;
    std::array<bool, 2> m_visible{true, false};
};
