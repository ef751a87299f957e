// Drives the receive state machine, the report decoder and the panel refresh with arbitrary
// byte streams split into arbitrary reads, waits, empty events and port restarts, and checks
// after every step what must always hold: the lamps show the inputs, the refresh has caught
// up, the state flags are consistent and the monitor stays bounded.
#include "panel/framegate.h"
#include "panel/lamp.h"
#include "panel/monitorview.h"
#include "panel/panel.h"
#include "receive/monitor.h"
#include "receive/receiver.h"
#include "state/formstate.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLineEdit>
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

// The widgets outlive the runs (making 160 lamps per run would dominate the time); each run
// starts them from the design-time state.
struct Widgets {
    FrameGate gate;
    QLineEdit text5;
    QWidget lampParent;
    std::array<Lamp*, FormState::kLampCount> lamps{};
    Monitor monitor;
    MonitorView monitorView{monitor};
    Widgets() {
        gate.add(monitorView);
        monitorView.resize(313, 121);
        const std::array<QPixmap, 2> pictures{QPixmap(16, 16), QPixmap(16, 16)};
        for (auto& lamp : lamps)
            lamp = new Lamp(pictures, &lampParent);
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Widgets* widgets = new Widgets;
    for (Lamp* lamp : widgets->lamps)
        lamp->setActive(false);
    widgets->text5.clear();
    auto& lamps = widgets->lamps;
    Monitor& monitor = widgets->monitor;

    const quint64 entriesBefore = monitor.entries();
    FormState state;
    ScriptedSerialControl serial;
    Panel panel(state, widgets->text5, lamps, widgets->gate);
    Receiver receiver(state, serial, monitor, panel);
    serial.setOnCommHandler([&] { receiver.MSComm1_OnComm(); });
    serial.setPortOpen(true);

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
            receiver.MSComm1_OnComm(); // an event with whatever is waiting, maybe nothing
            break;
        case 5:
            serial.setPortOpen(false);
            serial.setPortOpen(true);
            break;
        case 6:
            serial.queue(chunk);
            break;
        case 7: {
            MonitorView& view = widgets->monitorView;
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
    if (monitor.entries() != serial.charactersTaken() + entriesBefore)
        fail("a byte taken from the line is missing from the monitor, or shown twice");
    return 0;
}
