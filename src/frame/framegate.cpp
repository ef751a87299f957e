#include "frame/framegate.h"

#include "state/clock.h"

#include <algorithm>

FrameView::~FrameView() {
    if (m_gate)
        m_gate->remove(*this);
}

FrameGate::FrameGate(QObject* parent) : FrameGate(&monotonicMs, parent) {}

FrameGate::FrameGate(Clock clock, QObject* parent) : QObject(parent), m_clock(std::move(clock)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FrameGate::frame);
    m_laterTimer.setSingleShot(true);
    m_laterTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_laterTimer, &QTimer::timeout, this, &FrameGate::takeDue);
}

FrameGate::~FrameGate() {
    for (FrameView* view : m_views)
        view->m_gate = nullptr;
}

void FrameGate::add(FrameView& view) {
    if (view.m_gate == this)
        return;
    if (view.m_gate)
        view.m_gate->remove(view);
    view.m_gate = this;
    m_views.push_back(&view);
    if (view.m_requested)
        schedule();
}

void FrameGate::remove(FrameView& view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), &view), m_views.end());
    if (view.m_gate == this) {
        view.m_gate = nullptr;
        view.m_laterMs = -1;
    }
}

void FrameGate::schedule() {
    if (m_pending)
        return;
    m_pending = true;
    m_laterTimer.stop(); // the frame takes along what falls due by then, and arms it again
    const qint64 now = m_clock();
    if (m_frames == 0 || now - m_lastFrame >= kQuietMs)
        m_activeSince = now; // after a quiet spell: at once
    m_streamPace = now - m_activeSince >= kStreamAfterMs;
    const int interval = m_streamPace ? kStreamFrameMs : kFrameMs;
    m_due = m_frames == 0 ? now : std::max(now, m_lastFrame + interval);
    // Even "at once" waits for the event loop, so the rest of the bytes read together are in
    // the same frame.
    m_timer.start(int(m_due - now) + (m_streamPace ? kStreamLateMs : 0));
}

void FrameGate::frame() {
    m_timer.stop();
    m_streamFrame = m_pending && m_streamPace;
    const qint64 now = m_clock();
    if (!m_pending && now - m_lastFrame >= kQuietMs)
        m_activeSince = now; // painted unasked after a quiet spell: activity starts again
    m_pending = false;
    m_lastFrame = now;
    ++m_frames;
    m_painting = true;
    for (FrameView* view : m_views) {
        // A view painted before its wait ran out decides again; it may ask again.
        if (view->m_requested || (view->m_laterMs >= 0 && view->m_laterMs <= now)) {
            view->m_requested = false;
            view->m_laterMs = -1;
            view->paintFrame();
        }
    }
    m_painting = false;
    armLater();
}

void FrameGate::requestAfter(FrameView& view, qint64 waitMs) {
    const qint64 at = m_clock() + std::max<qint64>(waitMs, 0);
    if (view.m_laterMs < 0 || at < view.m_laterMs)
        view.m_laterMs = at;
    if (!m_painting)
        armLater();
}

void FrameGate::takeDue() {
    const qint64 now = m_clock();
    for (FrameView* view : m_views) {
        if (view->m_laterMs >= 0 && view->m_laterMs <= now) {
            view->m_laterMs = -1;
            request(*view);
        }
    }
    armLater();
}

qint64 FrameGate::laterMs() const {
    qint64 first = -1;
    for (const FrameView* view : m_views) {
        if (view->m_laterMs >= 0 && (first < 0 || view->m_laterMs < first))
            first = view->m_laterMs;
    }
    return first;
}

// While a frame is pending its timer is enough; otherwise the later timer runs until the first
// wait runs out. After a frame of a stream, the stream's next frame is likely to take the wait
// along: the timer stands in only for one that does not come, as the frame timer does for a
// stream's last frame.
void FrameGate::armLater() {
    qint64 at = m_pending ? -1 : laterMs();
    if (at < 0) {
        m_laterTimer.stop();
        return;
    }
    if (m_streamFrame)
        at = std::max(at, m_lastFrame + kStreamFrameMs + kStreamLateMs);
    m_laterArmedMs = m_clock();
    m_laterTimer.start(int(std::max<qint64>(at - m_laterArmedMs, 0)));
}

qint64 FrameGate::textWaitMs(qint64& shownMs) const {
    if (m_streamFrame && m_lastFrame - shownMs < kStreamTextMs)
        return shownMs + kStreamTextMs - m_lastFrame;
    shownMs = m_lastFrame;
    return 0;
}
