#pragma once

#include "app/form1.h"
#include "frame/framegate.h"
#include "panel/lamp.h"
#include "panel/shape.h"
#include "receive/monitor.h"
#include "serial/qtserialcontrol.h"
#include "support/ptypair.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

// The lamps showing green, in input order; -n marks a lamp that shows both discs or neither.
QList<int> greenLamps(const Form1& form);

// The active inputs 1..last, ascending.
QList<int> activeInputs(const FormState& state, int last = FormState::kLastInput);

// How a window rig starts: loaded the way the program loads it (the start-up reminders are
// dropped), shown, and with the settings in memory unless a store is given.
struct RigSetup {
    SettingsStore* store = nullptr;
    bool load = true;
    bool show = true;
    bool openPort = false; // opens the serial port directly, without Start
};

// The program's window on a serial control of the test's choice: the scripted one, or the
// real one, whose `resolve` says which device each port number opens.
template <typename Serial> struct WindowRigOn {
    explicit WindowRigOn(RigSetup setup = {}) : WindowRigOn(setup, std::in_place) {}
    explicit WindowRigOn(QtSerialControl::DeviceResolver resolve, RigSetup setup = {})
        : WindowRigOn(setup, std::in_place, std::move(resolve)) {}
    // Port 1 opens the pseudo terminal's program side, no other port opens anything.
    explicit WindowRigOn(const PtyPair& pty, RigSetup setup = {})
        : WindowRigOn([&pty](int port) { return port == 1 ? pty.devicePath() : QString(); },
                      setup) {}

    const Controls& c() const { return form.controls(); }
    FormState& state() { return form.state(); }
    void start() { c().Command3->click(); }
    void stop() { c().Command4->click(); }
    void quit() { c().Command5->click(); }
    void choosePort(int index) { c().Option1[std::size_t(index)]->click(); }
    int indicator() const { return c().Shape1->FillColor(); }
    int portStarted() const { return form.state().PortStarted; }
    bool idle() const { return !form.state().Flags[1] && !form.state().Flags[2]; }
    QString monitor() const { return form.monitor().text(); }
    // What "Seneste aktive indgang" shows once the pending frame is painted.
    QString text5() {
        form.frameGate().frame();
        return c().Text5->text();
    }
    quint64 entries() const { return form.monitor().entries(); }

    Serial serial;
    MemorySettings settings;
    CapturedMessages messages;
    int quits = 0;
    Form1 form;

private:
    template <typename... SerialArgs>
    WindowRigOn(RigSetup setup, std::in_place_t, SerialArgs&&... serialArgs)
        : serial(std::forward<SerialArgs>(serialArgs)...),
          form(serial, setup.store ? *setup.store : settings, messages, [this] { ++quits; }) {
        if (setup.load) {
            form.Form_Load();
            messages.shown.clear();
        }
        if (setup.openPort)
            serial.setPortOpen(true);
        if (setup.show)
            form.show();
    }
};

using WindowRig = WindowRigOn<QtSerialControl>;
using ScriptedWindow = WindowRigOn<ScriptedSerialControl>;
