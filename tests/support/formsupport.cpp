#include "support/formsupport.h"

#include "panel/lamp.h"
#include "panel/shape.h"
#include "receive/monitor.h"

#include <QPushButton>

QList<int> greenLamps(const Form1& form) {
    QList<int> green;
    for (int n = 1; n <= FormState::kLampCount; ++n) {
        const Lamp* lamp = form.controls().Lampe[std::size_t(n - 1)];
        const bool red = lamp->isElementVisible(0);
        const bool on = lamp->isElementVisible(1);
        if (red == on)
            green << -n;
        else if (on)
            green << n;
    }
    return green;
}

WindowRig::WindowRig(QtSerialControl::DeviceResolver resolve, SettingsStore* store)
    : serial(std::move(resolve)),
      form(serial, store ? *store : settings, messages, [this] { ++quits; }) {
    form.Form_Load();
    messages.shown.clear(); // the reminders for the counts that are not stored yet
    form.show();
}

void WindowRig::start() {
    form.controls().Command3->click();
}

void WindowRig::stop() {
    form.controls().Command4->click();
}

int WindowRig::indicator() const {
    return form.controls().Shape1->FillColor();
}

QString WindowRig::monitor() {
    return form.monitor().text();
}

quint64 WindowRig::entries() {
    return form.monitor().entries();
}
