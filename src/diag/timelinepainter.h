#pragma once

#include "history/names.h"
#include "history/timeline.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QRect>

class QPainter;

// Draws a timeline model: a label column (number and name), then time left to right with a
// scale on top, a row per input, active spans as bars in the lamp's green, unstable rows in
// the amber of their lamp marker, noise bursts as thin red lines and given-up bursts as grey
// ones. Needs no window: the command line draws on a QImage.
namespace timeline {

inline const QColor kActive(0, 255, 0);
inline const QColor kUnstable(255, 160, 0);
inline const QColor kUnstableRow(255, 236, 200);
inline const QColor kNoise(220, 0, 0);
inline const QColor kGivenUp(128, 128, 128);
inline const QColor kBackground(255, 255, 255);
inline const QColor kLabels(236, 236, 236);

struct Layout {
    int labelWidth = 180;
    int rowHeight = 16;
    int scaleHeight = 20;
};

class Painter {
public:
    explicit Painter(const Layout& layout = {}) : m_layout(layout) {}

    // Paints `model` into `rect`, rows from `firstRow` on; `origin` is the wall time of 0 ms.
    void paint(QPainter& p, const QRect& rect, const Model& model, const names::Names& names,
               const QDateTime& origin, int firstRow = 0);

    const Layout& layout() const { return m_layout; }
    // Where the time area is, for a painted rect.
    QRect plotRect(const QRect& rect) const;
    // The time at x, and the x of a time, in the last painted view.
    qint64 timeAt(const QRect& rect, const Model& model, int x) const;
    double xOf(const QRect& rect, const Model& model, qint64 timeMs) const;
    // The row index (into model.rows()) at y, or -1.
    int rowAt(const QRect& rect, const Model& model, int y, int firstRow = 0) const;
    // How many rows fit.
    int rowsShown(const QRect& rect) const;

private:
    Layout m_layout;
};

// The whole model on an image of `width` pixels, as tall as its rows need.
QImage render(const Model& model, const names::Names& names, const QDateTime& origin,
              int width = 1200, const Layout& layout = {});

// "12:03:04.250" style text for a time, as precise as the view's span needs.
QString timeText(const QDateTime& origin, qint64 timeMs, qint64 stepMs);
// "250 ms", "2 s", "5 min", "1 t": a span.
QString spanText(qint64 ms);

// The picture as a PNG file's bytes.
QByteArray pngOf(const QImage& image);

} // namespace timeline
