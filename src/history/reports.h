#pragma once

#include <optional>

// The command-line reports, run before (and instead of) any window: --history FILE and
// --inputs FILE. Needs no display and makes no QApplication.
namespace reports {

// When the arguments ask for a report, writes it to standard output and returns the exit
// status (0, or 2 with a one-line message on standard error for a bad file or bad usage);
// otherwise nothing, and the program goes on to its window.
std::optional<int> run(int argc, char* argv[]);

} // namespace reports
