#pragma once

#include "diag/speaker.h"

#include <QStringList>

// A speaker that writes down what it would say: texts as given, cues as "<OK>" and "<fejl>",
// changes only while reading aloud is on and no guided test runs.
class SpeakerDouble final : public Speaker {
public:
    bool available() const override { return true; }
    QString unavailableReason() const override { return {}; }
    void setEnabled(bool on) override { enabled = on; }
    bool isEnabled() const override { return enabled; }
    void setGuiding(bool on) override { guiding = on; }
    void announceChange(int input, bool active) override {
        if (enabled && !guiding)
            said << changeText(input, active);
    }
    void say(const QString& text) override { said << text; }
    void cue(Cue cue) override {
        said << (cue == Cue::Ok ? QStringLiteral("<OK>") : QStringLiteral("<fejl>"));
    }

    QStringList said;
    bool enabled = true;
    bool guiding = false;
};
