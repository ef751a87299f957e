#pragma once

#include "bridge/bridge.h"
#include "launch/commandline.h"
#include "serial/portmap.h"
#include "sim/virtualmodule.h"

#include <QStringList>
#include <memory>
#include <optional>

// What the window and the headless service do alike before they run: the environment, the
// arguments, the language and the ports.
namespace launch {

// Qt's own event loop (it costs less a wake-up than GLib's, and the program wakes often while a
// module sends) and the local time zone named once (with TZ unset the C library looks at
// /etc/localtime again for every time stamp). A user's own choice of either stands.
void quietEnvironment();

// The arguments as given; a file name opens as it was given.
QStringList arguments(int argc, char* argv[]);

// --language if given, else the one chosen in the window, else Danish.
Language spoken(const CommandLine& commandLine);

// The bridge as the command line's --mqtt options give it, the password read from its file or
// the environment; nothing, with why, when the password file cannot be read.
std::optional<Bridge::Options> bridgeOptions(const CommandLine::Window& options, QString* why);

// Writes `text` on stderr and returns the exit status for a run that cannot start.
int fail(const QString& text);

// The ports as given, with the virtual module of --simulate or --replay behind port 1.
struct Ports {
    PortMap map;
    std::unique_ptr<VirtualModule> module;

    // The exit status when the virtual module cannot be had (a line on stderr says why).
    std::optional<int> set(const CommandLine::Window& options);
};

} // namespace launch
