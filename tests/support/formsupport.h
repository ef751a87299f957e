#pragma once

#include "app/form1.h"
#include "link/qtserialcontrol.h"
#include "support/testsupport.h"

#include <QList>

// The lamps showing green, in input order; -n marks a lamp that shows both discs or neither.
QList<int> greenLamps(const Form1& form);

// The program's window on the real serial control; `resolve` says which device each port
// number opens. Settings live in memory unless a store is given.
struct WindowRig {
    explicit WindowRig(QtSerialControl::DeviceResolver resolve, SettingsStore* store = nullptr);

    const Controls& c() const { return form.controls(); }
    void start();
    void stop();
    int indicator() const;
    int portStarted() const { return form.state().PortStarted; }
    bool idle() const { return !form.state().Flags[1] && !form.state().Flags[2]; }
    QString monitor();
    quint64 entries();

    QtSerialControl serial;
    MemorySettings settings;
    CapturedMessages messages;
    int quits = 0;
    Form1 form;
};
