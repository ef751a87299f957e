#pragma once

#include "history/changehistory.h"
#include "history/names.h"

#include <QString>

// The command-line reports on a recording, run before (and instead of) any window: --history
// FILE, --inputs FILE and --summary FILE. Need no display and make no QApplication. The command
// line is read once, by the program; a report gets its parsed values here.
namespace reports {

struct Request {
    // Timeline is drawn by the program (it needs a picture); the others are written here.
    enum class Kind { History, Inputs, Summary, Bursts, Timeline };
    Kind kind = Kind::History;
    QString path;
    StabilityLimits limits;
    char separator = ','; // between the cells of a CSV report
    QString names;        // --names: a names file, for a name column added last
    QString png;          // --png, with --timeline
    qint64 fromMs = 0;    // --from, with --timeline
    qint64 toMs = -1;     // --to, with --timeline; -1: the recording's end
};

// The names of --names read for a report, each bad line told on standard error; false (with
// the message written) when the file is not there or cannot be read.
bool readNames(const QString& path, names::Names& names);

// Writes the report to standard output and returns the exit status: 0, or 2 with a one-line
// message on standard error for a bad file.
int run(const Request& request);

} // namespace reports
