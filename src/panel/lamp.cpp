#include "panel/lamp.h"

#include <QPainter>

Lamp::Lamp(const std::array<QPixmap, 2>& pictures, QWidget* parent)
    : QWidget(parent), m_pictures(pictures) {
    // The pictures cover the whole square, so nothing behind the lamp needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_visible[0] && !m_visible[1])
        painter.fillRect(rect(), palette().window());
    // Element 1 lies on top of element 0.
    for (int i = 0; i < 2; ++i) {
        if (m_visible[std::size_t(i)])
            painter.drawPixmap(rect(), m_pictures[std::size_t(i)]);
    }
}
