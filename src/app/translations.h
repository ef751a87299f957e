#pragma once

#include "state/language.h"

class QCoreApplication;
class SettingsStore;

// The language the window speaks: chosen in the window and kept in a section of its own in the
// settings file (the module counts' keys are not touched), or given for one run on the command
// line. Nothing chosen is Danish.
namespace translations {

Language stored(SettingsStore& settings);
// Throws PlatformError when the settings file cannot be written.
void store(SettingsStore& settings, Language language);
// Installs the program's translation and Qt's own (its dialogs' buttons and titles).
void install(QCoreApplication& app, Language language);

} // namespace translations
