#pragma once

#include <QObject>
#include <QTimer>
#include <QtGlobal>
#include <functional>
#include <vector>

class FrameGate;

// Something in the window that is painted through the frame gate. Its state may change at any
// time (the handlers write it when they say); what the screen shows of it is brought up to
// date only in paintFrame(), which the gate calls at most once per frame.
class FrameView {
public:
    FrameView() = default;
    FrameView(const FrameView&) = delete;
    FrameView& operator=(const FrameView&) = delete;
    virtual ~FrameView(); // leaves its gate

    // Asks Qt to repaint what changed since the last frame (update() on the changed parts
    // only); Qt paints all views of one frame together when control returns to the event loop.
    virtual void paintFrame() = 0;

    // The state changed: paint in the gate's next frame. Cheap enough to call per byte.
    void requestFrame();
    // Paint in the first frame at least `waitMs` from now: while data streams, the stream's
    // frames take it along; after a stream the gate asks for the frame itself.
    void requestFrameAfter(qint64 waitMs);

private:
    friend class FrameGate;
    FrameGate* m_gate = nullptr;
    bool m_requested = false;
    qint64 m_laterMs = -1; // the gate's clock; -1: none asked for
};

// The window's one paint schedule. A request after a quiet spell is painted as soon as control
// returns to the event loop; requests close together are painted together, at most once per
// kFrameMs, and once the data has streamed without a quiet spell for kStreamAfterMs, at most
// once per kStreamFrameMs.
class FrameGate final : public QObject {
    Q_OBJECT

public:
    static constexpr int kFrameMs = 16;
    // While data streams the lamps, Text5 and the monitor change more often than anyone can
    // follow; ten frames a second show the same and keep the window's share of a core low.
    static constexpr int kStreamFrameMs = 100;
    static constexpr int kStreamAfterMs = 250;
    // While data streams, a frame falls due between two reads of the line, and the read that
    // finds it due paints it (frameIfDue()): it costs no wake-up of its own. Its timer waits
    // this much longer, for the last frame of a stream.
    static constexpr int kStreamLateMs = 50;
    static constexpr int kQuietMs = 100;
    // While data streams, a text that changes with nearly every frame is rewritten at most this
    // often: nobody reads ten numbers a second, and laying out a text costs more than a frame.
    static constexpr int kStreamTextMs = 500;

    // Milliseconds on a monotonic clock; tests give a double.
    using Clock = std::function<qint64()>;

    explicit FrameGate(QObject* parent = nullptr);
    explicit FrameGate(Clock clock, QObject* parent = nullptr);
    ~FrameGate() override;

    // Paints `view` through this gate until it is removed or destroyed (a view has one gate).
    void add(FrameView& view);
    void remove(FrameView& view);

    void request(FrameView& view) {
        if (!view.m_requested) {
            view.m_requested = true;
            schedule();
        }
    }

    // `view` in the first frame at or after `waitMs` from now (see FrameView).
    void requestAfter(FrameView& view, qint64 waitMs);
    // Asks for a frame for every view whose wait has run out: the later timer's work, which
    // runs only while no frame is pending, and for tests.
    void takeDue();
    // When the earliest wait runs out; -1: no view waits.
    qint64 laterMs() const;
    // When the later timer fires, on the gate's clock (never before the first wait runs out);
    // -1 while it does not run.
    qint64 laterTimerMs() const {
        return m_laterTimer.isActive() ? m_laterArmedMs + m_laterTimer.interval() : -1;
    }

    // Paints every requested view now: the timer's work, and for tests and benches.
    void frame();
    // At the end of a read of the line: paints the pending frame if it is one of a stream and
    // has fallen due.
    void frameIfDue() {
        if (m_pending && m_streamPace && m_clock() >= m_due)
            frame();
    }

    // In paintFrame(), for a text that changes with nearly every frame: 0 when the view may
    // write it now (`shownMs`, when it last did, becomes now), else the milliseconds until it
    // may, after which the view asks for a frame again. Always 0 outside a stream.
    qint64 textWaitMs(qint64& shownMs) const;

    // Whether a frame is pending, and when it is due on the gate's clock.
    bool pending() const { return m_pending; }
    qint64 dueMs() const { return m_due; }
    quint64 frames() const { return m_frames; }

private:
    void schedule();
    void armLater();

    Clock m_clock;
    QTimer m_timer;
    QTimer m_laterTimer;
    std::vector<FrameView*> m_views;
    qint64 m_lastFrame = 0;
    qint64 m_activeSince = 0;
    qint64 m_due = 0;
    quint64 m_frames = 0;
    qint64 m_laterArmedMs = 0;
    bool m_pending = false;
    bool m_painting = false;    // in frame(): the views' waits are looked at after it
    bool m_streamPace = false;  // the pending frame was asked for while data streamed
    bool m_streamFrame = false; // the frame under way is one of a stream
};

inline void FrameView::requestFrame() {
    if (m_gate)
        m_gate->request(*this);
}

inline void FrameView::requestFrameAfter(qint64 waitMs) {
    if (m_gate)
        m_gate->requestAfter(*this, waitMs);
}
