#include "diag/historylist.h"

#include "history/changehistory.h"
#include "history/names.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>
#include <algorithm>

namespace {

constexpr int kModules = protocol::kLastModule; // 13: the last one only in part

// A term's number, or -1 when it is not a whole number in first..last.
int number(const QString& text, int first, int last) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= first && n <= last ? n : -1;
}

// The lamps' colours, a little darker so the mark stands out on the white list.
const QColor kActive(0, 170, 0);
const QColor kInactive(220, 0, 0);

// The new state in words, beside its dot: not told by colour alone.
QString stateWord(bool active) {
    return active ? HistoryList::tr("til") : HistoryList::tr("fra");
}

} // namespace

std::optional<HistoryFilter> HistoryFilter::parse(const QString& text) {
    static const QRegularExpression kTerm(QStringLiteral("^(m?)(\\d{1,3})(?:-(\\d{1,3}))?$"),
                                          QRegularExpression::CaseInsensitiveOption);
    HistoryFilter filter;
    const QStringList terms =
        text.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts);
    for (const QString& term : terms) {
        const QRegularExpressionMatch m = kTerm.match(term);
        if (!m.hasMatch())
            return std::nullopt;
        const bool module = !m.captured(1).isEmpty();
        const int last = module ? kModules : FormState::kLastInput;
        const int from = number(m.captured(2), 1, last);
        const int to = m.captured(3).isEmpty() ? from : number(m.captured(3), 1, last);
        if (from < 0 || to < from)
            return std::nullopt;
        const int first = module ? protocol::inputOf(from, 1) : from;
        const int end = module ? std::min(protocol::inputOf(to, protocol::kInputsPerModule),
                                          FormState::kLastInput)
                               : to;
        for (int n = first; n <= end; ++n)
            filter.inputs.set(std::size_t(n));
        filter.all = false;
    }
    return filter;
}

HistoryList::HistoryList(const ChangeHistory& history, QWidget* parent)
    : QAbstractScrollArea(parent), m_history(history), m_seen(history.firstKept()),
      m_firstKept(history.firstKept()) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->installEventFilter(this);
    viewport()->installEventFilter(this);
    takeNew();
}

bool HistoryList::setFilter(const QString& text) {
    const std::optional<HistoryFilter> filter = HistoryFilter::parse(text);
    m_valid = filter.has_value();
    m_filter = filter.value_or(HistoryFilter{});
    rebuildMatches();
    verticalScrollBar()->setValue(0);
    updateScrollRange();
    viewport()->update();
    return m_valid;
}

void HistoryList::rebuildMatches() {
    m_matches.clear();
    m_firstKept = m_history.firstKept();
    m_seen = m_firstKept;
    takeNew();
}

// Takes the new events into the list (a filter notes the ones it matches) and
// returns the rows this added at the top.
int HistoryList::takeNew() {
    if (m_filter.all) { // every event is a row: count them, nothing to note
        int rows = 0;
        m_seen = m_history.forEachNew(m_seen, [&rows](const ChangeEvent&) { ++rows; });
        return rows;
    }
    const std::size_t before = m_matches.size();
    m_seen = m_history.forEachNew(m_seen, [this](quint64 seq, const ChangeEvent& e) {
        if (m_filter.accepts(e.input))
            m_matches.push_back(seq);
    });
    return int(m_matches.size() - before);
}

// An invalid filter shows nothing.
bool HistoryList::shows(const ChangeEvent& e) const {
    return m_valid && m_filter.accepts(e.input);
}

int HistoryList::rowCount() const {
    if (!m_valid)
        return 0;
    return int(m_filter.all ? m_seen - m_firstKept : m_matches.size());
}

quint64 HistoryList::seqAt(int row) const {
    return m_filter.all ? m_seen - 1 - quint64(row) : m_matches[m_matches.size() - 1 - row];
}

const ChangeEvent& HistoryList::eventAt(int row) const {
    return m_history.event(seqAt(row));
}

QString HistoryList::sinceText(qint64 ms) {
    if (ms < 0)
        return {};
    if (ms < 10'000)
        return QStringLiteral("%1 ms").arg(ms);
    if (ms >= 600'000)
        return QStringLiteral("%1 min").arg(ms / 60'000);
    return QStringLiteral("%1 s").arg(
        QString::number(double(ms) / 1000.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')));
}

QString HistoryList::rowText(int row) const {
    const ChangeEvent& e = eventAt(row);
    const QString name = m_names ? m_names->name(e.input) : QString();
    return QStringLiteral("%1  %2  %3.%4%5  %6  %7")
        .arg(m_history.timeOfDay(e.timeMs))
        .arg(e.input)
        .arg(e.module())
        .arg(e.contact())
        .arg(name.isEmpty() ? QString() : u' ' + name,
             e.active ? QCoreApplication::translate("HistoryList", "aktiv")
                      : QCoreApplication::translate("HistoryList", "inaktiv"),
             sinceText(e.sinceMs))
        .trimmed();
}

void HistoryList::namesChanged() {
    for (CachedRow& row : m_rows)
        row.seq = 0; // drawn again, with the names as they are now
    viewport()->update();
}

void HistoryList::paintFrame() {
    // Nobody reads a list that scrolls faster than this; the changes wait in the history.
    if (m_sincePaint.isValid() && m_sincePaint.elapsed() < kPaintMs) {
        // A millisecond more: the gate's clock may tick over before this one does.
        requestFrameAfter(kPaintMs - m_sincePaint.elapsed() + 1);
        return;
    }
    const quint64 total = m_history.total();
    const bool dropped = m_history.firstKept() != m_firstKept;
    if (total == m_seen && !dropped)
        return;
    if (dropped) {
        m_firstKept = m_history.firstKept();
        while (!m_matches.empty() && m_matches.front() < m_firstKept)
            m_matches.pop_front();
    }
    const int added = takeNew();
    QScrollBar* bar = verticalScrollBar();
    const bool following = bar->value() == 0;
    if (following && !dropped)
        growScrollRange();
    else
        updateScrollRange();
    if (following) {
        if (added != 0 || dropped)
            repaintRows();
        return;
    }
    // The rows in sight stay in sight: they moved down by the rows added above them.
    bar->setValue(bar->value() + added);
    if (dropped && bar->value() + visibleRows() >= rowCount())
        repaintRows();
}

void HistoryList::repaintRows() {
    m_sincePaint.start();
    viewport()->update();
}

int HistoryList::rowHeight() const {
    return fontMetrics().height();
}

// Whole rows below the header.
int HistoryList::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight() - 1);
}

void HistoryList::updateScrollRange() {
    verticalScrollBar()->setPageStep(visibleRows());
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - visibleRows()));
    m_rangeStale = false;
}

// Where the scroll bar's slider would lie with `maximum`, at the top.
QRect HistoryList::sliderAt(int maximum) const {
    const QScrollBar* bar = verticalScrollBar();
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = Qt::Vertical;
    opt.minimum = 0;
    opt.maximum = maximum;
    opt.pageStep = bar->pageStep();
    opt.singleStep = bar->singleStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider,
                                        bar);
}

// While the list follows the newest row, a longer list often leaves the slider where it was;
// the scroll bar is then brought up to date only when it is next used.
void HistoryList::growScrollRange() {
    const int maximum = std::max(0, rowCount() - visibleRows());
    QScrollBar* bar = verticalScrollBar();
    if (bar->value() == 0 && maximum > bar->maximum() &&
        sliderAt(maximum) == sliderAt(bar->maximum())) {
        m_rangeStale = true;
        return;
    }
    updateScrollRange();
}

bool HistoryList::eventFilter(QObject* watched, QEvent* event) {
    if (m_rangeStale &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel))
        updateScrollRange();
    return QAbstractScrollArea::eventFilter(watched, event);
}

void HistoryList::keyPressEvent(QKeyEvent* event) {
    if (m_rangeStale)
        updateScrollRange();
    QAbstractScrollArea::keyPressEvent(event);
}

void HistoryList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    forgetPictures();
    updateScrollRange();
}

void HistoryList::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        forgetPictures();
        viewport()->update();
    }
}

// Where the columns lie: time, input, module.contact (when shown), the new state as a dot and
// a word, time since the previous change.
HistoryList::Columns HistoryList::columns() const {
    const QFontMetrics fm = fontMetrics();
    Columns c;
    c.h = rowHeight();
    c.input = 3 + fm.horizontalAdvance(QStringLiteral("00:00:00.000 "));
    c.number = fm.horizontalAdvance(QStringLiteral("200"));
    c.module = c.input + c.number + 8;
    c.mark =
        m_moduleShown ? c.module + fm.horizontalAdvance(QStringLiteral("13.16")) + 8 : c.module;
    c.state = c.mark + c.h - 1;
    c.since =
        c.state +
        std::max(fm.horizontalAdvance(stateWord(true)), fm.horizontalAdvance(stateWord(false))) + 4;
    c.sinceWidth = viewport()->width() - 4 - c.since;
    return c;
}

QStringList HistoryList::cells(const ChangeEvent& e) const {
    QStringList cells{m_history.timeOfDay(e.timeMs), QString::number(e.input)};
    if (m_moduleShown)
        cells << QStringLiteral("%1.%2").arg(e.module()).arg(e.contact());
    cells << stateWord(e.active) << sinceText(e.sinceMs);
    return cells;
}

QStringList HistoryList::rowCells(int row) const {
    return cells(eventAt(row));
}

QStringList HistoryList::headerCells() const {
    QStringList cells{QCoreApplication::translate("HistoryList", "Tid"),
                      QCoreApplication::translate("HistoryList", "Nr.")};
    if (m_moduleShown)
        cells << QCoreApplication::translate("HistoryList", "Mod.");
    cells << QString() << QCoreApplication::translate("HistoryList", "Siden");
    return cells;
}

void HistoryList::setModuleShown(bool shown) {
    m_moduleShown = shown;
    m_rows.fill({});
    viewport()->update();
}

// A row's tooltip tells all of it; the header's says what the columns are.
bool HistoryList::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int line = help->pos().y() / rowHeight();
    const int row = verticalScrollBar()->value() + line - 1;
    QString tip;
    if (line == 0)
        tip = tr("Tid, indgang, %1tilstand og tid siden indgangens forrige skift")
                  .arg(m_moduleShown ? tr("modul.kontakt, ") : QString());
    else if (m_valid && row >= 0 && row < rowCount() && seqAt(row) >= m_history.firstKept())
        tip = rowText(row);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

// A row never changes once made, so it is drawn once and kept while it may be in sight.
// An opaque piece of a row, `width` wide, on the row's background.
QPixmap HistoryList::tile(int width, int h) const {
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(QSize(width, h) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(palette().base().color());
    return picture;
}

const QPixmap& HistoryList::numberTile(int input, const Columns& c) {
    QPixmap& t = m_tiles.numbers[std::size_t(input)];
    if (t.isNull()) {
        t = tile(c.number, c.h);
        QPainter p(&t);
        p.setFont(font());
        p.setPen(palette().text().color());
        p.drawText(0, 0, c.number, c.h, Qt::AlignVCenter | Qt::AlignRight, QString::number(input));
    }
    return t;
}

// From the dot's left to the time since: the dot, then the word.
const QPixmap& HistoryList::markTile(bool active, const Columns& c) {
    QPixmap& t = m_tiles.marks[active ? 1 : 0];
    if (t.isNull()) {
        t = tile(c.since - c.mark, c.h);
        QPainter p(&t);
        p.setFont(font());
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(palette().text().color());
        p.drawText(c.state - c.mark, 0, c.since - c.state, c.h, Qt::AlignVCenter,
                   stateWord(active));
        p.setPen(Qt::NoPen);
        p.setBrush(active ? kActive : kInactive);
        p.drawEllipse(QRectF(0, 2.5, c.h - 5, c.h - 5));
    }
    return t;
}

void HistoryList::forgetPictures() {
    m_rows.fill({});
    m_tiles = {};
}

const QPixmap& HistoryList::rowPicture(quint64 seq, const Columns& c) {
    CachedRow& cached = m_rows[std::size_t(seq % m_rows.size())];
    if (cached.seq == seq + 1)
        return cached.picture;
    const qreal ratio = devicePixelRatioF();
    if (m_tiles.h != c.h || m_tiles.number != c.number || m_tiles.state != c.since - c.mark ||
        m_tiles.ratio != ratio)
        m_tiles = {c.h, c.number, c.since - c.mark, ratio, {}, {}};
    QPixmap picture = tile(viewport()->width(), c.h);
    QPainter p(&picture);
    p.setFont(font());
    const ChangeEvent& e = m_history.event(seq);
    p.drawPixmap(c.input, 0, numberTile(e.input, c));
    p.drawPixmap(c.mark, 0, markTile(e.active, c));
    p.setPen(palette().text().color());
    p.drawText(3, 0, c.input, c.h, Qt::AlignVCenter, m_history.timeOfDay(e.timeMs));
    if (m_moduleShown)
        p.drawText(c.module, 0, c.mark - c.module, c.h, Qt::AlignVCenter,
                   QStringLiteral("%1.%2").arg(e.module()).arg(e.contact()));
    const QString since = sinceText(e.sinceMs);
    p.drawText(c.since, 0, c.sinceWidth, c.h, Qt::AlignVCenter | Qt::AlignRight, since);
    if (const QString name = m_names ? m_names->name(e.input) : QString(); !name.isEmpty()) {
        // In the room the time since leaves, cut short where it must be.
        const QFontMetrics fm(font());
        const int room = c.sinceWidth - fm.horizontalAdvance(since) - 6;
        if (room > 0)
            p.drawText(c.since, 0, room, c.h, Qt::AlignVCenter,
                       fm.elidedText(name, Qt::ElideRight, room));
    }
    p.end();
    cached = {seq + 1, picture};
    return cached.picture;
}

void HistoryList::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const Columns c = columns();
    const int h = c.h;
    const int w = viewport()->width();
    p.fillRect(0, 0, w, h, palette().button());
    p.setPen(palette().buttonText().color());
    const QStringList header = headerCells();
    p.drawText(3, 0, c.input, h, Qt::AlignVCenter, header[0]);
    p.drawText(c.input - 4, 0, c.number + 4, h, Qt::AlignVCenter | Qt::AlignRight, header[1]);
    if (m_moduleShown)
        p.drawText(c.module, 0, c.mark - c.module, h, Qt::AlignVCenter, header[2]);
    p.drawText(c.since, 0, c.sinceWidth, h, Qt::AlignVCenter | Qt::AlignRight, header.last());

    if (!m_valid || rowCount() == 0) {
        p.setPen(m_valid ? palette().color(QPalette::Disabled, QPalette::Text) : kInactive);
        p.drawText(QRect(0, h, w, viewport()->height() - h), Qt::AlignCenter | Qt::TextWordWrap,
                   m_valid ? QCoreApplication::translate("HistoryList", "Ingen skift")
                           : QCoreApplication::translate(
                                 "HistoryList", "Ugyldigt filter. Skriv fx 73, 33-48 eller m5"));
        return;
    }
    const int first = verticalScrollBar()->value();
    const int last = std::min(rowCount(), first + visibleRows()); // whole rows only
    const quint64 kept = m_history.firstKept();
    for (int row = first; row < last; ++row) {
        const quint64 seq = seqAt(row);
        if (seq < kept)
            break; // overwritten since the last frame; the next frame trims it
        p.drawPixmap(0, h * (row - first + 1), rowPicture(seq, c));
    }
}
