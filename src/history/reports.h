#pragma once

#include "history/changehistory.h"

#include <QString>

// The command-line reports on a recording, run before (and instead of) any window: --history
// FILE, --inputs FILE and --summary FILE. Need no display and make no QApplication. The command
// line is read once, by the program; a report gets its parsed values here.
namespace reports {

struct Request {
    enum class Kind { History, Inputs, Summary };
    Kind kind = Kind::History;
    QString path;
    StabilityLimits limits;
    char separator = ','; // between the cells of a CSV report
};

// Writes the report to standard output and returns the exit status: 0, or 2 with a one-line
// message on standard error for a bad file.
int run(const Request& request);

} // namespace reports
