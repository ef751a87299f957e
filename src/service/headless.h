#pragma once

#include "launch/commandline.h"

class PortMap;

// --headless: the link, the receive path, the change history, the bridge and the recording
// as the window builds them, with no widget and no display (a QCoreApplication). It opens
// the port (trying again every few seconds while it cannot, or after it was lost), sends the
// counts as soon as it is open, exactly as Indsæt (s) does, and runs until SIGTERM or SIGINT:
// then "offline" is published, the port closed and the recording ended, and it exits 0.
// Writes one line to stderr per change of the link or the broker, nothing per byte.
namespace headless {

// The port the service opens: the only --port given, else 1.
int portOf(const CommandLine::Window& options);

// Runs the service on `ports` (a QCoreApplication exists); returns the exit status.
int run(const CommandLine::Window& options, const PortMap& ports);

// The service as a program of its own, s88monitor-headless, which needs Qt Core only and so
// loads none of the window's libraries: the command line read (in its language) and run().
// `s88monitor --headless` becomes it.
int serviceMain(int argc, char* argv[]);

} // namespace headless
