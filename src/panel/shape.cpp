#include "panel/shape.h"

#include <QPainter>

Shape::Shape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor Shape::toColor(int value) {
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

void Shape::setFillColor(int value) {
    if (value == m_fillColor)
        return;
    m_fillColor = value;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), toColor(m_fillColor));
}
