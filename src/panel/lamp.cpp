#include "panel/lamp.h"

#include <QPainter>

namespace {

// The pictures drawn again at one device pixel ratio: the ground of the picture's corner and
// a round disc of its middle's colour, filling the square as the picture's disc does.
class SharpPictures {
public:
    const QPixmap& picture(const QPixmap& source, int element, qreal ratio) {
        Entry& e = m_entries[std::size_t(element)];
        if (e.sourceKey != source.cacheKey() || e.ratio != ratio) {
            e.sourceKey = source.cacheKey();
            e.ratio = ratio;
            e.picture = draw(source, ratio);
        }
        return e.picture;
    }

private:
    struct Entry {
        qint64 sourceKey = 0;
        qreal ratio = 0;
        QPixmap picture;
    };

    static QPixmap draw(const QPixmap& source, qreal ratio) {
        const QImage image = source.toImage();
        const QSizeF size = source.deviceIndependentSize();
        QPixmap sharp((size * ratio).toSize());
        sharp.setDevicePixelRatio(ratio);
        sharp.fill(image.pixelColor(0, 0));
        QPainter p(&sharp);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(image.pixelColor(image.width() / 2, image.height() / 2));
        p.drawEllipse(QRectF(QPointF(0, 0), size));
        return sharp;
    }

    std::array<Entry, 2> m_entries;
};

SharpPictures& sharpPictures() {
    static SharpPictures pictures;
    return pictures;
}

// The colour help's mark: a light ring in the middle of the disc, whose very middle keeps the
// disc's colour.
void drawActiveMark(QPainter& p, const QRect& square) {
    // Made once for the lamps' size, so a repaint allocates no pen.
    static QPen pen(QColor(255, 255, 255), 0);
    if (pen.widthF() != square.width() * 0.12)
        pen.setWidthF(square.width() * 0.12);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF centre = QRectF(square).center();
    p.drawEllipse(centre, square.width() * 0.2, square.height() * 0.2);
}

// An active lamp with the colour help's mark, painted once for the lamps' pictures and size
// and then copied: an antialiased ring costs more than the rest of a lamp's paint.
class MarkedPicture {
public:
    const QPixmap& picture(const QPixmap* under, const QPixmap& active, const QSize& size) {
        const qint64 underKey = under ? under->cacheKey() : 0;
        if (m_picture.isNull() || m_underKey != underKey || m_activeKey != active.cacheKey() ||
            m_picture.size() != size) {
            m_underKey = underKey;
            m_activeKey = active.cacheKey();
            m_picture = QPixmap(size);
            m_picture.fill(Qt::transparent);
            QPainter p(&m_picture);
            const QRect square(QPoint(0, 0), size);
            if (under)
                p.drawPixmap(square, *under);
            p.drawPixmap(square, active);
            drawActiveMark(p, square);
        }
        return m_picture;
    }

private:
    qint64 m_underKey = 0;
    qint64 m_activeKey = 0;
    QPixmap m_picture;
};

} // namespace

Lamp::Lamp(const std::array<QPixmap, 2>& pictures, QWidget* parent)
    : QWidget(parent), m_pictures(pictures) {
    // The pictures cover the whole square, so nothing behind the lamp needs repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_visible[0] && !m_visible[1])
        painter.fillRect(rect(), palette().window());
    const qreal ratio = devicePixelRatioF();
    if (m_colourHelp && m_visible[1] && ratio == 1.0 && !m_pictures[1].isNull()) {
        static MarkedPicture marked;
        painter.drawPixmap(rect().topLeft(), marked.picture(m_visible[0] ? &m_pictures[0] : nullptr,
                                                            m_pictures[1], size()));
        return;
    }
    // Element 1 lies on top of element 0.
    for (int i = 0; i < 2; ++i) {
        if (!m_visible[std::size_t(i)])
            continue;
        const QPixmap& picture = m_pictures[std::size_t(i)];
        if (ratio == 1.0 || picture.isNull())
            painter.drawPixmap(rect(), picture);
        else
            painter.drawPixmap(rect(), sharpPictures().picture(picture, i, ratio));
    }
    if (m_colourHelp && m_visible[1])
        drawActiveMark(painter, rect());
}
