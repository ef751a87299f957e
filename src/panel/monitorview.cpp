#include "panel/monitorview.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>
#include <algorithm>

namespace {
constexpr qint64 kBarSyncMs = 500;
constexpr int kPremadeAtOnce = 16; // a few milliseconds of the event loop's idle time
// While frames stream, the one that comes once the bar is due moves it, in the same paint pass;
// the bar's own timer only catches up after the last frame, this much later than due.
constexpr qint64 kBarLateMs = FrameGate::kStreamFrameMs + FrameGate::kStreamLateMs + 50;

QString entryText(quint16 entry) {
    return Monitor::valueText(Monitor::valueOf(entry)) +
           Monitor::separatorText(Monitor::separatorOf(entry));
}
} // namespace

MonitorView::MonitorView(const Monitor& monitor, QWidget* parent)
    : QAbstractScrollArea(parent), m_monitor(monitor) {
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    m_barSync.setSingleShot(true);
    m_barSync.setInterval(kBarSyncMs);
    connect(&m_barSync, &QTimer::timeout, this, &MonitorView::syncScrollBar);
    connect(&m_premake, &QTimer::timeout, this, &MonitorView::premakePictures);
    measure();
}

void MonitorView::measure() {
    const QFontMetrics metrics(font());
    for (int code = 0; code < 512; ++code)
        m_width[std::size_t(code)] = metrics.horizontalAdvance(entryText(quint16(code)));
    // Lines as a text box spaces them: the font's line spacing, rounded up.
    const QFontMetricsF exact(font());
    m_lineHeight = std::max(1, qCeil(exact.lineSpacing()));
    m_ascent = exact.ascent();
    m_pictures.fill(QPixmap());
    m_premade = 0;
    if (isVisible())
        m_premake.start();
}

void MonitorView::premakePictures() {
    if (!isVisible()) {
        m_premake.stop(); // showing it starts again
        return;
    }
    const int end = std::min(m_premade + kPremadeAtOnce, int(m_pictures.size()));
    for (; m_premade < end; ++m_premade)
        picture(quint16(m_premade));
    if (m_premade == int(m_pictures.size()))
        m_premake.stop();
}

const QPixmap& MonitorView::picture(quint16 entry) {
    QPixmap& p = m_pictures[entry & 0x1ff];
    if (p.isNull()) {
        const qreal ratio = devicePixelRatioF();
        p = QPixmap(QSize(entryWidth(entry), m_lineHeight) * ratio);
        p.setDevicePixelRatio(ratio);
        p.fill(palette().color(QPalette::Base));
        QPainter painter(&p);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(0, m_ascent), entryText(entry));
    }
    return p;
}

int MonitorView::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / m_lineHeight);
}

int MonitorView::topLine() const {
    return m_top;
}

quint64 MonitorView::lineFirst(int line) const {
    return std::max(m_lineStart[std::size_t(line)], m_monitor.firstKept());
}

quint64 MonitorView::lineEnd(int line) const {
    return line + 1 < lineCount() ? m_lineStart[std::size_t(line) + 1] : m_laidOut;
}

bool MonitorView::layOut() {
    const quint64 end = m_monitor.entries();
    const quint64 first = m_monitor.firstKept();
    bool fresh = false;
    if (m_laidOut < first || (m_lineStart.empty() && end > first)) {
        // More arrived than the ring keeps: start afresh with what it holds.
        m_firstLine += m_lineStart.size();
        m_lineStart.assign(1, first);
        m_laidOut = first;
        m_lastLineWidth = 0;
        fresh = true;
    }
    const int room = std::max(1, viewport()->width() - 2 * kMargin);
    for (quint64 i = m_laidOut; i < end; ++i) {
        const int width = entryWidth(m_monitor.entry(i));
        if (m_lastLineWidth > 0 && m_lastLineWidth + width > room) {
            m_lineStart.push_back(i);
            m_lastLineWidth = 0;
        }
        m_lastLineWidth += width;
    }
    m_laidOut = end;
    return !fresh;
}

void MonitorView::dropOldLines() {
    const quint64 first = m_monitor.firstKept();
    while (m_lineStart.size() >= 2 && m_lineStart[1] <= first) {
        m_lineStart.pop_front();
        ++m_firstLine;
    }
}

void MonitorView::syncScrollBar() {
    m_barSync.stop();
    m_barSynced.start();
    QScrollBar* bar = verticalScrollBar();
    m_adjusting = true;
    bar->setPageStep(visibleLines());
    bar->setRange(0, lastTop());
    bar->setValue(m_top);
    m_barValue = bar->value();
    m_adjusting = false;
}

void MonitorView::syncScrollBarSoon(bool following) {
    if (!following || !m_barSynced.isValid() || m_barSynced.hasExpired(kBarSyncMs))
        syncScrollBar();
    else if (!m_barSync.isActive())
        m_barSync.start(int(kBarSyncMs + kBarLateMs - m_barSynced.elapsed()));
}

void MonitorView::paintFrame() {
    const bool follow = m_top >= lastTop();
    const quint64 oldTop = m_firstLine + quint64(m_top);
    // The last line held so far is the first that may change.
    const quint64 changedFrom = m_firstLine + quint64(std::max(0, lineCount() - 1));
    const bool continued = layOut();
    dropOldLines();
    const qint64 kept = qint64(oldTop) - qint64(m_firstLine);
    m_top = follow ? lastTop() : int(std::clamp<qint64>(kept, 0, lastTop()));
    syncScrollBarSoon(follow);

    const quint64 top = m_firstLine + quint64(m_top);
    const qint64 shift = qint64(top) - qint64(oldTop);
    if (!continued || shift < 0 || shift >= visibleLines()) {
        viewport()->update();
        return;
    }
    if (shift > 0)
        scrollContentsBy(0, -int(shift));
    updateLines(int(qint64(changedFrom) - qint64(top)), visibleLines() + 1);
}

// Repaints rows [from, to) of the box, counted from its top.
void MonitorView::updateLines(int from, int to) {
    from = std::max(from, 0);
    if (from >= to)
        return;
    viewport()->update(0, kMargin + from * m_lineHeight, viewport()->width(),
                       (to - from) * m_lineHeight);
}

void MonitorView::scrollContentsBy(int, int) {
    if (m_adjusting || verticalScrollBar()->value() == m_barValue)
        return;
    // Moved by the user: from where the box is, which the bar may not have caught up with.
    const int dy = m_top - verticalScrollBar()->value();
    m_top = std::min(verticalScrollBar()->value(), lastTop());
    syncScrollBar();
    if (std::abs(dy) >= visibleLines()) {
        viewport()->update();
        return;
    }
    // Only the rows below the margin move; the rows scrolled in are painted afresh.
    const QRect rows(0, kMargin, viewport()->width(), viewport()->height() - kMargin);
    viewport()->scroll(0, dy * m_lineHeight, rows);
}

void MonitorView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QRect dirty = event->rect();
    const int top = topLine();
    const quint64 selFirst = selectionFirst();
    const quint64 selEnd = selectionEnd();
    for (int row = 0; row <= visibleLines(); ++row) {
        const int line = top + row;
        const int y = kMargin + row * m_lineHeight;
        if (line >= lineCount() || y >= dirty.bottom() + 1)
            break;
        if (y + m_lineHeight <= dirty.top())
            continue;
        int x = kMargin;
        for (quint64 i = lineFirst(line), end = lineEnd(line); i < end; ++i) {
            const quint16 entry = m_monitor.entry(i);
            const int width = entryWidth(entry);
            if (i >= selFirst && i < selEnd) {
                painter.fillRect(x, y, width, m_lineHeight, palette().brush(QPalette::Highlight));
                painter.setPen(palette().color(QPalette::HighlightedText));
                painter.drawText(QPointF(x, y + m_ascent), entryText(entry));
            } else {
                painter.drawPixmap(x, y, picture(entry));
            }
            x += width;
        }
    }
}

void MonitorView::relayOut() {
    const bool follow = m_top >= lastTop();
    const quint64 topEntry = lineCount() > 0 ? lineFirst(topLine()) : 0;
    m_firstLine += m_lineStart.size();
    m_lineStart.clear();
    m_laidOut = 0;
    layOut();
    const auto at = std::upper_bound(m_lineStart.begin(), m_lineStart.end(), topEntry);
    const int line = int(std::max<qint64>(0, (at - m_lineStart.begin()) - 1));
    m_top = follow ? lastTop() : std::min(line, lastTop());
    syncScrollBar();
    viewport()->update();
}

void MonitorView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (m_premade < int(m_pictures.size()))
        m_premake.start();
}

void MonitorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    relayOut();
}

void MonitorView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        measure();
        relayOut();
    }
}

QString MonitorView::toPlainText() const {
    QString out;
    for (int line = 0; line < lineCount(); ++line) {
        if (line > 0)
            out += QLatin1Char('\n');
        for (quint64 i = lineFirst(line), end = lineEnd(line); i < end; ++i)
            out += entryText(m_monitor.entry(i));
    }
    return out;
}

quint64 MonitorView::selectionFirst() const {
    return std::clamp(m_selFirst, m_monitor.firstKept(), m_laidOut);
}

quint64 MonitorView::selectionEnd() const {
    return std::clamp(m_selEnd, selectionFirst(), m_laidOut);
}

void MonitorView::select(quint64 first, quint64 end) {
    m_selFirst = first;
    m_selEnd = end;
    viewport()->update();
}

QString MonitorView::selectedText() const {
    QString out;
    for (quint64 i = selectionFirst(), end = selectionEnd(); i < end; ++i)
        out += entryText(m_monitor.entry(i));
    return out;
}

void MonitorView::copy() const {
    if (selectionEnd() > selectionFirst())
        QGuiApplication::clipboard()->setText(selectedText());
}

void MonitorView::copyAll() const {
    QGuiApplication::clipboard()->setText(m_monitor.text());
}

quint64 MonitorView::entryAt(const QPoint& pos) const {
    if (lineCount() == 0)
        return m_laidOut;
    const int row = std::max(0, (pos.y() - kMargin) / m_lineHeight);
    const int line = std::min(topLine() + row, lineCount() - 1);
    int x = kMargin;
    const quint64 end = lineEnd(line);
    for (quint64 i = lineFirst(line); i < end; ++i) {
        x += entryWidth(m_monitor.entry(i));
        if (pos.x() < x)
            return i;
    }
    return end > lineFirst(line) ? end - 1 : end;
}

void MonitorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const quint64 at = entryAt(event->position().toPoint());
    if (event->modifiers() & Qt::ShiftModifier) {
        select(std::min(m_anchor, at), std::max(m_anchor, at) + 1);
    } else {
        m_anchor = at; // a click alone selects nothing, a drag selects what it passes
        select(at, at);
    }
}

void MonitorView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const quint64 at = entryAt(event->position().toPoint());
    select(std::min(m_anchor, at), std::max(m_anchor, at) + 1);
}

void MonitorView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        select(m_monitor.firstKept(), m_laidOut);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void MonitorView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copySelection = menu.addAction(QCoreApplication::translate("MonitorView", "Kopiér"),
                                            this, &MonitorView::copy);
    copySelection->setEnabled(selectionEnd() > selectionFirst());
    menu.addAction(QCoreApplication::translate("MonitorView", "Kopiér alt"), this,
                   &MonitorView::copyAll);
    menu.exec(event->globalPos());
}
