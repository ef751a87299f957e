#pragma once

#include "bridge/mqtturl.h"
#include "history/reports.h"
#include "serial/portmap.h"
#include "state/language.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The command line, read once, before any application object exists: help, version, a
// mistyped option and every action that needs no window must work without a display. What
// it asks for is decided here, with every value parsed; nothing reads argv after this.
struct CommandLine {
    enum class Run {
        Window,   // open the window with `window`
        Print,    // write `text` (stdout if `exitCode` is 0, else stderr) and end
        Report,   // --history, --inputs or --summary: `report` on a recording, no window
        Headless, // --headless: `window`'s link, recording and bridge with no window or display
        // Another action that needs no window gets its own value here, its arguments a field
        // below, and a case in main.
    };

    // What the window is opened with.
    struct Window {
        QList<PortMap::Assignment> ports; // --port N=DEVICE, in the order given
        bool simulate = false;
        QStringList faults; // --fault KIND:VALUE, for the virtual module
        bool walk = false;  // --walk: the virtual module shorts its inputs one by one
        QString replay;     // --replay FILE
        double speed = 1;   // --speed F, with --replay
        QString record;     // --record FILE
        bool exitWhenShown = false;
        std::optional<MqttUrl> mqtt; // --mqtt URL
        QString mqttCa;              // --mqtt-ca FILE
        QString mqttPasswordFile;    // --mqtt-password-file FILE (the password is never here)
        bool mqttDiscovery = false;
        bool mqttCommands = false;
        std::optional<std::array<QString, 3>> counts; // --counts L,M,R, with --headless
        QString names;                                // --names FILE, with --headless
    };

    Run run = Run::Window;
    int exitCode = 0;
    QString text;
    Window window;
    std::optional<Language> language; // --language; none: the one chosen in the window
    reports::Request report;

    // arguments[0] is the program as started.
    static CommandLine parse(const QStringList& arguments);
    // Writes `text` where it belongs and returns `exitCode`.
    int print() const;
};
