#pragma once

#include "state/platformerror.h"

#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <functional>

// Who wants to see the line's traffic as the program sees it: the recording. Called on the
// receive path, so it must be cheap.
class SerialTap {
public:
    virtual ~SerialTap() = default;
    // Every character Input() or takeBlock() takes, in order; the control's arrivalMs() is
    // its arrival.
    virtual void received(char c) = 0;
    virtual void sent(const QByteArray& bytes) = 0; // every Output() that was queued
};

// The serial-communications control: a port number, an open state, output, and input read
// one character at a time. OnComm is raised while characters wait unread: after a handler
// run that left characters waiting, it is raised again.
class SerialControl : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual int CommPort() const = 0;
    virtual void setCommPort(int port) = 0; // throws PlatformError
    virtual bool PortOpen() const = 0;
    virtual void setPortOpen(bool open) = 0; // throws PlatformError
    // Queues the bytes for sending in one piece; throws PlatformError on a closed port.
    virtual void Output(const QByteArray& bytes) = 0;
    virtual int InBufferCount() const = 0;
    // How many characters Input() has taken since the control was made, counting those of a
    // block that its reader has run through but not yet taken (markRun()).
    quint64 charactersTaken() const { return m_taken + quint64(m_run); }
    // The first `count` characters of waitingBlock() have been run through: so far the block's
    // reader has come, for whoever asks charactersTaken() meanwhile (a clock that follows the
    // bytes). takeBlock() takes them.
    void markRun(qsizetype count) { m_run = count; }
    // Takes one waiting character. Only called when InBufferCount() > 0.
    char Input() {
        ++m_taken;
        const char c = takeOne();
        if (m_tap)
            m_tap->received(c);
        return c;
    }
    // The characters waiting that can be had in one piece, oldest first: all of them or the
    // first part; empty when the control offers none this way. Valid until the next take,
    // wait or return to the event loop.
    virtual QByteArrayView waitingBlock() const { return {}; }
    // Takes the first `count` characters of waitingBlock(), as `count` Input() calls would.
    // The tap is told of them one by one, each with arrivalMs() its own.
    void takeBlock(qsizetype count) {
        if (m_tap) {
            const QByteArrayView block = waitingBlock().first(count);
            for (qsizetype i = 0; i < count; ++i) {
                m_run = i + 1;
                m_tap->received(block[i]);
            }
        }
        m_run = 0;
        m_taken += quint64(count);
        skip(count);
    }
    // When the character the reader is at arrived, on clockMs()'s scale: the last one taken,
    // or the last one run through (markRun()); for the tap, the one it is told of. A busy
    // program takes characters late, but their arrival stays when they were read off the line.
    qint64 arrivalMs() const { return arrivalOf(m_run - 1); }
    // Waits at most `msecs` for input without returning to the event loop; true when a
    // character is waiting. OnComm is not raised from inside the wait. `wanted` says how many
    // characters the caller still expects: a control may gather that many while they are on
    // the wire before it returns, so that a slow line wakes the program once per batch, not
    // per byte.
    bool WaitForInput(int msecs, int wanted = 1) {
        m_waited = true;
        m_wanted = wanted;
        return waitForInput(msecs);
    }
    // The reader needs `chars` more characters before it can go on: the rest of a burst, or
    // (with nothing waiting) about as many as the last burst took. A control may gather them
    // while they are on the wire and raise OnComm again once they should be in, so that a slow
    // line wakes the program about once a burst. Returns whether it will; when it will and
    // characters wait, the current round of OnComm events ends without taking them.
    bool AwaitInput(int chars) {
        const bool will = chars > 0 && gatherFor(chars);
        m_awaiting = will && InBufferCount() > 0;
        return will;
    }
    // Longest a wait gathers characters after the first one arrived, as a USB adapter's
    // latency timer does.
    static constexpr int kGatherMs = 8;

    // Milliseconds on the control's own monotonic clock: real time on a real port, the
    // recorded time of the byte being taken when a recording is played back, a scripted
    // time in tests. Time-outs of the receive path are measured on it.
    virtual qint64 clockMs() const;
    // The device the chosen port opens (the open one's while open), for people to read;
    // empty where there is none or the control does not know.
    virtual QString deviceName() const { return {}; }

    // How long one round of OnComm events may keep the event loop waiting before the rest is
    // left to a queued continuation.
    static constexpr int kDrainBudgetMs = 4;

    // The receive handler, called directly for each OnComm: at full line speed there is one
    // event per byte, and a direct call costs a fraction of a signal.
    void setOnCommHandler(std::function<void()> handler) { m_handler = std::move(handler); }

    // At most one; null for none.
    void setTap(SerialTap* tap) { m_tap = tap; }

signals:
    // The open port failed underneath (device unplugged, peer gone). The port is closed
    // already; raised once, from the event loop.
    void PortLost(const QString& error);

protected:
    virtual char takeOne() = 0;
    // When waitingBlock()[index] arrived; a negative index counts back over the characters
    // taken (-1: the last one). By default now: a control without stamps takes at once.
    virtual qint64 arrivalOf(qsizetype index) const {
        Q_UNUSED(index);
        return clockMs();
    }
    virtual bool waitForInput(int msecs) = 0;
    // Drops the first `count` waiting characters (those takeBlock() hands out).
    virtual void skip(qsizetype count) {
        for (qsizetype i = 0; i < count; ++i)
            takeOne();
    }
    // See AwaitInput(); the default raises OnComm again at once.
    virtual bool gatherFor(int chars) {
        Q_UNUSED(chars);
        return false;
    }
    // Called when a drain has ended with nothing left it could take, or with the rest left to
    // its queued continuation.
    virtual void afterDrain() {}
    // Raises OnComm while characters wait, within the drain budget; what is left over is
    // picked up by a queued continuation so the window keeps painting and taking clicks.
    // Safe against re-entry from a wait inside a handler.
    void drain();
    // Queues one drain for when control returns to the event loop.
    void scheduleDrain();
    // For Output(): tells the tap what was sent.
    void tapSent(const QByteArray& bytes) {
        if (m_tap)
            m_tap->sent(bytes);
    }
    bool draining() const { return m_draining; }
    // Whether the last round of OnComm events left the waiting characters for a gathering.
    bool awaiting() const { return m_awaiting; }
    // Whether a drain waits for the event loop to take the rest.
    bool continuationQueued() const { return m_continuationQueued; }
    // The characters the current wait's caller expects.
    int wantedInput() const { return m_wanted; }

private:
    std::function<void()> m_handler;
    SerialTap* m_tap = nullptr;
    quint64 m_taken = 0;
    qsizetype m_run = 0; // see markRun()
    int m_wanted = 1;
    bool m_waited = false;
    bool m_awaiting = false; // the reader left the waiting characters for a gathering
    bool m_draining = false;
    bool m_continuationQueued = false;
};
