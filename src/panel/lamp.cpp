#include "lamp.h"

#include <QPainter>

Lamp::Lamp(const std::array<QPixmap, 2>& pictures, QWidget* parent)
    : QWidget(parent), m_pictures(pictures) {}

void Lamp::setElementVisible(int index, bool visible) {
    bool& current = m_visible[std::size_t(index)];
    if (current == visible)
        return;
    current = visible;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Element 1 lies on top of element 0.
    for (int i = 0; i < 2; ++i) {
        if (m_visible[std::size_t(i)])
            painter.drawPixmap(rect(), m_pictures[std::size_t(i)]);
    }
}
