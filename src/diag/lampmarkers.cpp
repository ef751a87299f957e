#include "diag/lampmarkers.h"

#include "diag/historylist.h"
#include "history/changehistory.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QWidget>

namespace {

// Room around the 16-pixel lamp for the ring, which stays clear of the disc.
constexpr int kRingMargin = 3;

// A see-through mark laid over a lamp; the lamp below keeps its tooltip.
class Overlay : public QWidget {
public:
    explicit Overlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }
};

class Ring final : public Overlay {
public:
    using Overlay::Overlay;

    // The warning sign in the ring's top right corner, told by its shape, not its colour.
    void setSymbol(bool on) {
        if (on == m_symbol)
            return;
        m_symbol = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        // Amber just outside the disc, with a dark edge so it reads on the grey face.
        p.setPen(QPen(QColor(255, 160, 0), 2));
        p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        p.setPen(QPen(QColor(110, 60, 0), 0.8));
        p.drawEllipse(QRectF(rect()).adjusted(0.4, 0.4, -0.4, -0.4));
        if (m_symbol)
            drawSymbol(p);
    }

private:
    // A yellow triangle with a dark exclamation mark, over the ring's top right.
    void drawSymbol(QPainter& p) const {
        const qreal right = width() - 0.5;
        const qreal side = width() * 0.45;
        const QPointF corners[] = {
            {right - side / 2, 0.5}, {right, side * 0.9 + 0.5}, {right - side, side * 0.9 + 0.5}};
        p.setPen(QPen(QColor(40, 20, 0), 1));
        p.setBrush(QColor(255, 230, 0));
        p.drawPolygon(corners, 3);
        const qreal x = right - side / 2;
        p.drawLine(QPointF(x, side * 0.3), QPointF(x, side * 0.6));
        p.drawPoint(QPointF(x, side * 0.78));
    }

    bool m_symbol = false;
};

// Over a silent module's lamp: grey, hatched, the lamp faintly visible below.
class Veil final : public Overlay {
public:
    using Overlay::Overlay;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(96, 96, 96, 170));
        p.fillRect(rect(), QBrush(QColor(40, 40, 40), Qt::BDiagPattern));
    }
};

QString reasonsText(quint8 reasons) {
    QStringList why;
    if (reasons & InputStats::ShortPulse)
        why << QCoreApplication::translate("LampMarkers", "kort puls");
    if (reasons & InputStats::ShortGap)
        why << QCoreApplication::translate("LampMarkers", "kort pause");
    if (reasons & InputStats::Frequent)
        why << QCoreApplication::translate("LampMarkers", "mange skift");
    return why.join(QStringLiteral(", "));
}

} // namespace

LampMarkers::LampMarkers(const ChangeHistory& history,
                         const std::array<QWidget*, FormState::kLampCount>& lamps, QObject* parent)
    : QObject(parent), m_history(history), m_lamps(lamps) {
    for (QWidget* lamp : m_lamps)
        lamp->installEventFilter(this);
}

int LampMarkers::markedCount() const {
    return int(std::count_if(m_markers.begin(), m_markers.end(), [](QWidget* w) { return w; }));
}

int LampMarkers::veiledCount() const {
    return int(std::count_if(m_veils.begin(), m_veils.end(), [](QWidget* w) { return w; }));
}

void LampMarkers::restartVeil() {
    m_burstsAtRestart = m_history.bursts().complete;
}

void LampMarkers::setSilentModules(const Modules& missing, bool linkRuns, quint64 completeBursts) {
    const Modules modules = linkRuns && completeBursts > m_burstsAtRestart ? missing : Modules();
    if (modules == m_silent)
        return;
    m_silent = modules;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        QWidget*& veil = m_veils[std::size_t(n - 1)];
        const bool silent = m_silent.test(std::size_t(protocol::moduleOf(n)));
        if (silent == (veil != nullptr))
            continue;
        if (silent) {
            const QWidget* lamp = m_lamps[std::size_t(n - 1)];
            veil = new Veil(lamp->parentWidget());
            veil->setGeometry(lamp->geometry().adjusted(-1, -1, 1, 1));
            veil->show();
        } else {
            delete veil;
            veil = nullptr;
        }
    }
}

QString LampMarkers::msText(qint64 ms) {
    return ms < 0 ? QStringLiteral("–") : QStringLiteral("%1 ms").arg(ms);
}

void LampMarkers::paintFrame() {
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        QWidget*& marker = m_markers[std::size_t(n - 1)];
        const bool unstable = m_history.input(n).unstable();
        if (unstable == (marker != nullptr))
            continue;
        if (unstable) {
            const QWidget* lamp = m_lamps[std::size_t(n - 1)];
            auto* ring = new Ring(lamp->parentWidget());
            ring->setSymbol(m_colourHelp);
            marker = ring;
            marker->setGeometry(
                lamp->geometry().adjusted(-kRingMargin, -kRingMargin, kRingMargin, kRingMargin));
            marker->show();
        } else {
            delete marker;
            marker = nullptr;
        }
    }
}

void LampMarkers::setColourHelp(bool on) {
    m_colourHelp = on;
    for (QWidget* marker : m_markers) {
        if (marker)
            static_cast<Ring*>(marker)->setSymbol(on);
    }
}

QString LampMarkers::toolTip(int input) const {
    const InputStats& s = m_history.input(input);
    QString text = QCoreApplication::translate("LampMarkers", "Indgang %1: modul %2, kontakt %3")
                       .arg(input)
                       .arg(protocol::moduleOf(input))
                       .arg(protocol::contactOf(input));
    if (m_silent.test(std::size_t(protocol::moduleOf(input))))
        text += QCoreApplication::translate("LampMarkers", "\nmodul %1 svarer ikke")
                    .arg(protocol::moduleOf(input));
    if (m_names && !m_names->name(input).isEmpty())
        text += u'\n' + m_names->name(input);
    if (s.changes == 0)
        return text + QCoreApplication::translate("LampMarkers", "\nIngen skift");
    text +=
        QCoreApplication::translate(
            "LampMarkers", "\nSkift: %1\nKorteste puls: %2, pause: %3\nSidste skift: %4 (%5 siden)")
            .arg(s.changes)
            .arg(msText(s.shortestActiveMs), msText(s.shortestInactiveMs),
                 m_history.timeOfDay(s.lastChangeMs),
                 HistoryList::sinceText(m_history.nowMs() - s.lastChangeMs));
    if (s.unstable())
        text += QCoreApplication::translate("LampMarkers", "\nUstabil: ") + reasonsText(s.reasons);
    return text;
}

bool LampMarkers::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto it = std::find(m_lamps.begin(), m_lamps.end(), watched);
    if (it == m_lamps.end())
        return false;
    const int input = int(it - m_lamps.begin()) + 1;
    if (event->type() == QEvent::MouseButtonDblClick) {
        emit nameWanted(input);
        return true;
    }
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), toolTip(input), *it);
    return true;
}
