#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the window needs before its application object exists, looked at first: without it
// the toolkit would end the program with its own text and a core dump. Qt Core only.
namespace preflight {

// The open files the window may need at once: the display, the event loop, the port, the
// virtual module's terminal pair, a recording, the settings file and its replacement,
// plugins and fonts while they load.
inline constexpr int kMinOpenFiles = 32;

// Why the window cannot open here, in one line after "s88monitor: "; nothing when it can.
// `arguments` as the program got them (for -platform); reads the environment.
std::optional<QString> windowProblem(const QStringList& arguments);

// The display the platform would use: -platform NAME, else QT_QPA_PLATFORM, else the
// system's; nothing when it needs a display that is not set.
bool hasDisplay(const QStringList& arguments);

// Why no platform of -platform NAME (else QT_QPA_PLATFORM, else the system's own) gives the
// window a screen, in one line; nothing when one does. A platform whose plugin is not there, an
// X display (-display, else DISPLAY) where no X server lets this program in, and a Wayland socket
// that nothing answers are told here, where the toolkit would abort.
std::optional<QString> platformProblem(const QStringList& arguments);

// Raises the soft limit of open files as far as the hard limit allows; false when it stays
// below kMinOpenFiles. `limit` gets the limit then in force.
bool enoughOpenFiles(long* limit);

} // namespace preflight
