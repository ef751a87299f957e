#include "diag/timelinewindow.h"

#include "diag/readable.h"
#include "history/changehistory.h"
#include "history/pathgate.h"
#include "state/messagesink.h"
#include "state/protocol.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

// "12:03:04.250" for a time on the history's clock.
QString at(const ChangeHistory& history, qint64 ms) {
    return history.wallTime(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

TimelineView::TimelineView(const ChangeHistory& history, const names::Names& names, QWidget* parent)
    : QWidget(parent), m_history(history), m_names(names) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(400, 120);
    m_throttle.setSingleShot(true);
    connect(&history, &ChangeHistory::eventsAdded, this, &TimelineView::historyChanged);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        if (m_changed) {
            m_changed = false;
            requestFrame();
            m_throttle.start(kChangesMs);
        }
    });
    connect(&history, &ChangeHistory::cleared, this, [this] { requestFrame(); });
    connect(&m_follower, &QTimer::timeout, this, [this] { requestFrame(); });
    scheduleFollow();
}

// A change after a quiet spell shows at once; changes that stream in, at most every
// kChangesMs. While following, the follower's repaints show them.
void TimelineView::historyChanged() {
    if (m_follow)
        return;
    if (m_throttle.isActive()) {
        m_changed = true;
        return;
    }
    requestFrame();
    m_throttle.start(kChangesMs);
}

// While following, the picture moves a pixel every span/width ms: repaint no more often than
// that, and at most four times a second, so an idle timeline costs next to nothing.
void TimelineView::scheduleFollow() {
    const int plotWidth = std::max(1, m_painter.plotRect(rect()).width());
    const int every = int(std::clamp<qint64>(m_span / plotWidth, kChangesMs, 60'000));
    if (!m_follow) {
        m_follower.stop();
        return;
    }
    if (!m_follower.isActive() || m_follower.interval() != every)
        m_follower.start(every);
}

void TimelineView::setSpanMs(qint64 span) {
    m_span = std::clamp(span, kMinSpanMs, kMaxSpanMs);
    scheduleFollow();
    requestFrame();
    emit viewChanged();
}

void TimelineView::followPresent() {
    m_follow = true;
    scheduleFollow();
    requestFrame();
    emit viewChanged();
}

void TimelineView::setConfigured(int inputs) {
    m_configured = inputs;
    requestFrame();
}

void TimelineView::setFirstRow(int row) {
    m_firstRow = std::max(0, row);
    requestFrame();
}

void TimelineView::paintFrame() {
    update();
}

void TimelineView::rebuild() {
    const qint64 now = m_history.nowMs();
    const qint64 end = m_follow ? now : m_end;
    m_model.build(m_history, end - m_span, end, now,
                  m_configured > 0 ? timeline::Rows::Configured : timeline::Rows::Changed,
                  m_configured);
}

void TimelineView::paintEvent(QPaintEvent*) {
    const int rows = rowCount();
    rebuild();
    QPainter p(this);
    m_painter.paint(p, rect(), m_model, m_names, m_history.wallTime(0), m_firstRow);
    if (rowCount() != rows)
        emit viewChanged();
}

QImage TimelineView::picture() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter p(&image);
    timeline::Painter painter(m_painter.layout());
    painter.paint(p, image.rect(), m_model, m_names, m_history.wallTime(0), m_firstRow);
    return image;
}

void TimelineView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return;
    // Zoom about the time under the cursor, so it stays where it is.
    const int x = int(event->position().x());
    const qint64 pivot = m_painter.timeAt(rect(), m_model, x);
    const qint64 oldEnd = m_model.toMs();
    const double factor = std::pow(1.25, -steps);
    const qint64 span =
        std::clamp(qint64(std::llround(double(m_span) * factor)), kMinSpanMs, kMaxSpanMs);
    if (!m_follow)
        m_end = pivot + qint64(double(oldEnd - pivot) * double(span) / double(m_span));
    setSpanMs(span);
    event->accept();
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_dragX = int(event->position().x());
    m_dragEnd = m_model.toMs();
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragX >= 0 && (event->buttons() & Qt::LeftButton)) {
        const int plotWidth = std::max(1, m_painter.plotRect(rect()).width());
        const qint64 shift = qint64(double(pos.x() - m_dragX) * double(m_span) / plotWidth);
        const qint64 now = m_history.nowMs();
        m_end = std::min(m_dragEnd - shift, now);
        // Dragged back to the present: follow it again.
        m_follow = m_end >= now;
        scheduleFollow();
        requestFrame();
    }
    m_cursor = pos.x() >= m_painter.plotRect(rect()).left()
                   ? m_painter.timeAt(rect(), m_model, pos.x())
                   : -1;
    emit viewChanged();
    showHover(pos, event->globalPosition().toPoint());
}

void TimelineView::mouseReleaseEvent(QMouseEvent*) {
    m_dragX = -1;
}

void TimelineView::leaveEvent(QEvent*) {
    m_cursor = -1;
    emit viewChanged();
}

void TimelineView::resizeEvent(QResizeEvent*) {
    scheduleFollow();
    requestFrame();
    emit viewChanged();
}

void TimelineView::showHover(const QPoint& pos, const QPoint& global) {
    const QRect plot = m_painter.plotRect(rect());
    if (!plot.contains(pos)) {
        QToolTip::hideText();
        return;
    }
    const qint64 t = m_painter.timeAt(rect(), m_model, pos.x());
    // A burst mark within two pixels.
    for (const BurstMark& m : m_model.marks()) {
        if (std::abs(m_painter.xOf(rect(), m_model, m.timeMs) - pos.x()) <= 2) {
            QString text =
                m.noise ? QCoreApplication::translate("TimelineWindow",
                                                      "Støj: %1 indgange i %2 moduler skiftede "
                                                      "på én gang")
                              .arg(m.inputs)
                              .arg(m.modules)
                        : QCoreApplication::translate("TimelineWindow", "Opgivet burst");
            if (m.noise && m.givenUp)
                text += QCoreApplication::translate("TimelineWindow", " (opgivet)");
            QToolTip::showText(global, text + QStringLiteral("\n") + at(m_history, m.timeMs), this);
            return;
        }
    }
    const int r = m_painter.rowAt(rect(), m_model, pos.y(), m_firstRow);
    if (r < 0) {
        QToolTip::hideText();
        return;
    }
    const timeline::Row& row = m_model.rows()[std::size_t(r)];
    const timeline::Span s = timeline::Model::spanAt(row, t);
    const QString name = m_names.name(row.input);
    QString text =
        QCoreApplication::translate("TimelineWindow", "Indgang %1 (modul %2, kontakt %3)")
            .arg(row.input)
            .arg(protocol::moduleOf(row.input))
            .arg(protocol::contactOf(row.input));
    if (!name.isEmpty())
        text += QStringLiteral(": ") + name;
    text += s.active ? QCoreApplication::translate("TimelineWindow", "\nAktiv")
                     : QCoreApplication::translate("TimelineWindow", "\nInaktiv");
    text +=
        QCoreApplication::translate("TimelineWindow", "\nFra %1")
            .arg(s.startMs < 0 ? QCoreApplication::translate("TimelineWindow", "før historikken")
                               : at(m_history, s.startMs));
    text += QCoreApplication::translate("TimelineWindow", "\nTil %1")
                .arg(s.endMs < 0 ? QCoreApplication::translate("TimelineWindow", "nu")
                                 : at(m_history, s.endMs));
    if (s.startMs >= 0)
        text += QCoreApplication::translate("TimelineWindow", "\nVarighed %1")
                    .arg(timeline::spanText((s.endMs < 0 ? m_model.nowMs() : s.endMs) - s.startMs));
    if (row.unstable)
        text += QCoreApplication::translate("TimelineWindow", "\nUstabil");
    QToolTip::showText(global, text, this);
}

TimelineWindow::TimelineWindow(const ChangeHistory& history, const names::Names& names,
                               FrameGate& gate, MessageSink& messages,
                               std::function<int()> configuredInputs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_history(history), m_messages(messages),
      m_configured(std::move(configuredInputs)),
      m_choose([this](const QString& caption, const QString& filter) {
          return QFileDialog::getSaveFileName(this, caption, QString(), filter);
      }) {
    setWindowTitle(QCoreApplication::translate("TimelineWindow", "Tidslinje"));
    setObjectName(QStringLiteral("timelineWindow"));
    m_view = new TimelineView(history, names, this);
    gate.add(*m_view);
    m_rows = new QScrollBar(Qt::Vertical, this);
    m_now = new QPushButton(QCoreApplication::translate("TimelineWindow", "Nu"), this);
    m_now->setToolTip(QCoreApplication::translate("TimelineWindow", "Følg nuet i højre kant"));
    m_all = new QCheckBox(
        QCoreApplication::translate("TimelineWindow", "Alle konfigurerede indgange"), this);
    m_all->setToolTip(QCoreApplication::translate(
        "TimelineWindow", "En række for hver indgang i modulerne, ikke kun dem der "
                          "skiftede"));
    auto* save =
        new QPushButton(QCoreApplication::translate("TimelineWindow", "Gem billede…"), this);
    m_status = new QLabel(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_now);
    top->addWidget(m_all);
    top->addWidget(m_status, 1);
    top->addWidget(save);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addWidget(m_rows);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(middle, 1);
    resize(900, 420);
    readable::addMnemonics({m_now, m_all, save});
    readable::chainTabs({m_now, m_all, save});

    connect(m_now, &QPushButton::clicked, m_view, &TimelineView::followPresent);
    connect(m_all, &QCheckBox::toggled, this,
            [this](bool on) { m_view->setConfigured(on ? m_configured() : 0); });
    connect(m_rows, &QScrollBar::valueChanged, m_view, &TimelineView::setFirstRow);
    connect(m_view, &TimelineView::viewChanged, this, &TimelineWindow::showStatus);
    connect(save, &QPushButton::clicked, this, [this] {
        const QString path =
            m_choose(QCoreApplication::translate("TimelineWindow", "Gem billede"),
                     QCoreApplication::translate("TimelineWindow", "PNG-billeder (*.png)"));
        if (!path.isEmpty())
            savePicture(path);
    });
    showStatus();
}

bool TimelineWindow::savePicture(const QString& path) {
    QString why;
    if (pathgate::writeWhole(path, timeline::pngOf(m_view->picture()), {}, &why))
        return true;
    m_messages.MsgBox(
        QCoreApplication::translate("TimelineWindow", "%1 kan ikke skrives: %2").arg(path, why));
    return false;
}

void TimelineWindow::showStatus() {
    QString text = QCoreApplication::translate("TimelineWindow", "Vist: %1")
                       .arg(timeline::spanText(m_view->spanMs()));
    if (m_view->cursorMs() >= 0)
        text += QCoreApplication::translate("TimelineWindow", "   Markør: %1")
                    .arg(at(m_history, m_view->cursorMs()));
    m_status->setText(text);
    m_now->setEnabled(!m_view->following());
    const int hidden = std::max(0, m_view->rowCount() - m_view->rowsShown());
    m_rows->setRange(0, hidden);
    m_rows->setPageStep(std::max(1, m_view->rowsShown()));
}
