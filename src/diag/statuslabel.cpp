#include "diag/statuslabel.h"

#include <QEvent>

QSize StatusLabel::hint() const {
    if (m_height < 0)
        m_height = QLabel::sizeHint().height(); // a label's line is as high empty as not
    return {0, m_height};                       // the width is the layout's to give
}

void StatusLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
        m_height = -1;
        updateGeometry();
        break;
    default:
        break;
    }
}
