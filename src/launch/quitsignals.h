#pragma once

class QObject;

// SIGINT and SIGTERM end the event loop instead of the process, so the program ends as after
// Afslut: the recording complete, the port closed and its lock file gone. The handler only
// writes to a pipe; the quit happens on the event loop. Unix only; elsewhere nothing.
void quitOnSignals(QObject& context);
