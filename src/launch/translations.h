#pragma once

#include "state/language.h"

class QCoreApplication;

// The language the window speaks: chosen in the window (state/viewsettings.h) or given for one
// run on the command line. Nothing chosen is Danish.
namespace translations {

// Installs the program's translation and Qt's own (its dialogs' buttons and titles), in place
// of any installed before. Windows made afterwards speak `language`.
void install(QCoreApplication& app, Language language);

} // namespace translations
