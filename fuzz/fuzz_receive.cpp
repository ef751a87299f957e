// Drives the receive state machine, the report decoder and the panel refresh with arbitrary
// byte streams split into arbitrary reads, waits, empty events and port restarts, and checks
// after every step what must always hold: the lamps show the inputs, the refresh has caught
// up, the state flags are consistent and the monitor stays bounded.
#include "panel/monitorview.h"
#include "receive/receiver.h"
#include "support/formsupport.h"

#include <QApplication>
#include <cstdlib>

namespace {

QApplication* app = nullptr;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The window outlives the runs (making 160 lamps per run would dominate the time); each
    // run starts it afresh: a blank state, every lamp red, the port open and nothing waiting.
    static ScriptedWindow* window = new ScriptedWindow({.show = false, .openPort = true});
    QCoreApplication::sendPostedEvents(); // a drain the last run left queued
    window->form.state() = FormState{};
    for (Lamp* lamp : window->c().Lampe)
        lamp->setActive(false);
    window->c().Text5->clear();
    window->messages.shown.clear();
    ScriptedSerialControl& serial = window->serial;
    const FormState& state = window->form.state();
    const auto& lamps = window->c().Lampe;
    const Monitor& monitor = window->form.monitor();
    const quint64 entriesBefore = monitor.entries();
    const quint64 takenBefore = serial.charactersTaken();

    // Each operation: one control byte, then its payload.
    size_t i = 0;
    while (i < size) {
        const uint8_t op = data[i++];
        const size_t len = std::min<size_t>(op >> 3, size - i);
        const QByteArray chunk(reinterpret_cast<const char*>(data + i), qsizetype(len));
        i += len;
        switch (op & 7) {
        case 0:
        case 1:
        case 2:
            serial.deliver(chunk);
            break;
        case 3: // bytes that turn up only while a burst waits for them
            serial.arriveDuringWaits({chunk.left(len / 2), chunk.mid(len / 2)});
            break;
        case 4:
            window->form.receiver()
                .MSComm1_OnComm(); // an event with whatever is waiting, maybe nothing
            break;
        case 5:
            serial.setPortOpen(false);
            serial.setPortOpen(true);
            break;
        case 6:
            serial.queue(chunk);
            break;
        case 7: {
            MonitorView& view = window->form.monitorView();
            view.flush();
            if (view.lineCount() > 0 && (view.lineFirst(0) != monitor.firstKept() ||
                                         view.lineEnd(view.lineCount() - 1) != monitor.entries()))
                fail("the monitor box does not hold exactly the ring");
            break;
        }
        }
        // After any event: the refresh has run, the lamps follow the inputs.
        if (state.LastState != state.InputState) {
            for (int n = 1; n <= FormState::kLastInput; ++n)
                if (state.LastState[std::size_t(n)] != state.InputState[std::size_t(n)])
                    fail("LastState differs from InputState after a refresh");
        }
        for (int n = 1; n <= FormState::kLampCount; ++n) {
            const bool on = state.InputState[std::size_t(n)];
            if (lamps[std::size_t(n - 1)]->isElementVisible(1) != on ||
                lamps[std::size_t(n - 1)]->isElementVisible(0) == on)
                fail("a lamp does not show its input");
        }
        if (state.Flags[1] && state.Flags[2] && state.RxChar != 'i')
            fail("count expected and burst pending without an 'i' last");
    }
    const QString kept = monitor.text();
    if (kept.size() > 2 * Monitor::kKeep + 16)
        fail("monitor grew beyond its bound");
    if (monitor.entries() - entriesBefore != serial.charactersTaken() - takenBefore)
        fail("a byte taken from the line is missing from the monitor, or shown twice");
    serial.clearInput(); // nothing of this run is left for the next one
    return 0;
}
