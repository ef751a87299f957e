#include "diag/timelinepainter.h"

#include "state/language.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace timeline {

namespace {

// A scale step near `ms`: 1, 2 or 5 times a power of ten, or a round minute or hour.
qint64 niceStep(double ms) {
    static constexpr qint64 kSteps[] = {
        1,      2,      5,       10,      20,      50,       100,      200,     500,
        1000,   2000,   5000,    10000,   15000,   30000,    60000,    120000,  300000,
        600000, 900000, 1800000, 3600000, 7200000, 21600000, 43200000, 86400000};
    for (qint64 s : kSteps)
        if (double(s) >= ms)
            return s;
    return kSteps[std::size(kSteps) - 1];
}

} // namespace

QString timeText(const QDateTime& origin, qint64 timeMs, qint64 stepMs) {
    const QDateTime t = origin.addMSecs(timeMs);
    if (stepMs < 1000)
        return t.toString(QStringLiteral("HH:mm:ss.zzz"));
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QString spanText(qint64 ms) {
    if (ms < 1000)
        return QStringLiteral("%1 ms").arg(ms);
    if (ms < 60000)
        return QStringLiteral("%1 s").arg(
            language::locale(language::current()).toString(ms / 1000.0, 'g', 3));
    if (ms < 3600000)
        return QStringLiteral("%1 min").arg(
            language::locale(language::current()).toString(ms / 60000.0, 'g', 3));
    return QCoreApplication::translate("timeline", "%1 t")
        .arg(language::locale(language::current()).toString(ms / 3600000.0, 'g', 3));
}

QRect Painter::plotRect(const QRect& rect) const {
    return rect.adjusted(m_layout.labelWidth, m_layout.scaleHeight, 0, 0);
}

double Painter::xOf(const QRect& rect, const Model& model, qint64 timeMs) const {
    const QRect plot = plotRect(rect);
    const double span = double(model.toMs() - model.fromMs());
    return plot.left() + double(timeMs - model.fromMs()) * plot.width() / span;
}

qint64 Painter::timeAt(const QRect& rect, const Model& model, int x) const {
    const QRect plot = plotRect(rect);
    const double span = double(model.toMs() - model.fromMs());
    return model.fromMs() + qint64(std::llround((x - plot.left()) * span / plot.width()));
}

int Painter::rowsShown(const QRect& rect) const {
    return std::max(0, plotRect(rect).height() / m_layout.rowHeight);
}

int Painter::rowAt(const QRect& rect, const Model& model, int y, int firstRow) const {
    const QRect plot = plotRect(rect);
    if (y < plot.top())
        return -1;
    const int r = firstRow + (y - plot.top()) / m_layout.rowHeight;
    return r < int(model.rows().size()) ? r : -1;
}

void Painter::paint(QPainter& p, const QRect& rect, const Model& model, const names::Names& names,
                    const QDateTime& origin, int firstRow) {
    const QRect plot = plotRect(rect);
    const int h = m_layout.rowHeight;
    p.fillRect(rect, kBackground);
    p.fillRect(QRect(rect.left(), rect.top(), m_layout.labelWidth, rect.height()), kLabels);
    if (plot.width() <= 0)
        return;

    // The scale: ticks at round times, labelled.
    const QFontMetrics fm = p.fontMetrics();
    const double msPerPixel = double(model.toMs() - model.fromMs()) / plot.width();
    const qint64 step =
        niceStep(msPerPixel * (fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 24));
    const QColor grid(225, 225, 225);
    p.setPen(Qt::black);
    for (qint64 t = (model.fromMs() / step) * step; t <= model.toMs(); t += step) {
        const int x = int(std::lround(xOf(rect, model, t)));
        if (x < plot.left())
            continue;
        p.setPen(grid);
        p.drawLine(x, plot.top(), x, plot.bottom());
        p.setPen(Qt::black);
        p.drawLine(x, plot.top() - 4, x, plot.top() - 1);
        p.drawText(QRect(x + 3, rect.top(), 200, m_layout.scaleHeight - 2),
                   Qt::AlignLeft | Qt::AlignVCenter, timeText(origin, t, step));
    }

    const int last = std::min<int>(int(model.rows().size()), firstRow + rowsShown(rect));
    for (int i = firstRow; i < last; ++i) {
        const Row& row = model.rows()[std::size_t(i)];
        const int top = plot.top() + (i - firstRow) * h;
        if (row.unstable) {
            p.fillRect(QRect(rect.left(), top, m_layout.labelWidth, h), kUnstable);
            p.fillRect(QRect(plot.left(), top, plot.width(), h), kUnstableRow);
        }
        p.setPen(grid);
        p.drawLine(plot.left(), top + h - 1, plot.right(), top + h - 1);
        p.setPen(Qt::black);
        const QString name = names.name(row.input);
        const QString label = name.isEmpty() ? QString::number(row.input)
                                             : QStringLiteral("%1 %2").arg(row.input).arg(name);
        p.drawText(QRect(rect.left() + 4, top, m_layout.labelWidth - 8, h),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   fm.elidedText(label, Qt::ElideRight, m_layout.labelWidth - 8));

        // Bars, merged where they share a pixel, so 100,000 short pulses cost a row of pixels.
        int runStart = 0, runEnd = -1;
        const auto flush = [&] {
            if (runEnd >= runStart)
                p.fillRect(QRect(runStart, top + 2, runEnd - runStart + 1, h - 5), kActive);
        };
        for (const Bar& b : row.bars) {
            int x0 = int(std::floor(xOf(rect, model, b.startMs)));
            int x1 = int(std::ceil(xOf(rect, model, b.endMs))) - 1;
            x0 = std::max(x0, plot.left());
            x1 = std::min(x1, plot.right());
            x1 = std::max(x1, x0);
            if (x0 > plot.right() || x1 < plot.left())
                continue;
            if (x0 <= runEnd + 1) {
                runEnd = std::max(runEnd, x1);
            } else {
                flush();
                runStart = x0;
                runEnd = x1;
            }
        }
        flush();
    }

    // Marks over the rows: given-up bursts first, so noise in a given-up burst shows red.
    const int bottom = plot.top() + std::min(plot.height(), (last - firstRow) * h);
    for (bool noise : {false, true}) {
        int previous = -1;
        for (const BurstMark& m : model.marks()) {
            if (noise ? !m.noise : !m.givenUp)
                continue;
            const int x = int(std::floor(xOf(rect, model, m.timeMs)));
            if (x == previous || x < plot.left() || x > plot.right())
                continue;
            previous = x;
            p.fillRect(QRect(x, plot.top(), 1, std::max(bottom, plot.top() + h) - plot.top()),
                       noise ? kNoise : kGivenUp);
        }
    }
}

QImage render(const Model& model, const names::Names& names, const QDateTime& origin, int width,
              const Layout& layout) {
    const int rows = std::max<int>(1, int(model.rows().size()));
    QImage image(width, layout.scaleHeight + rows * layout.rowHeight + 4, QImage::Format_RGB32);
    image.fill(kBackground);
    QPainter p(&image);
    Painter painter(layout);
    painter.paint(p, image.rect(), model, names, origin);
    return image;
}

QByteArray pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

} // namespace timeline
