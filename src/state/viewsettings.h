#pragma once

#include "state/language.h"

#include <QList>

class SettingsStore;

// How the window looks to its user: the language, the zoom and the colour help, kept in a
// section of their own in the settings file ("Visning"); the module counts' keys are not
// touched. A missing or unreadable value is the default.
namespace view_settings {

// The zoom choices in percent; 0 follows the screen's own scale.
inline constexpr int kFollowScreen = 0;
const QList<int>& zoomChoices();

Language language(SettingsStore& settings);
int zoom(SettingsStore& settings);
bool colourHelp(SettingsStore& settings);

// Each throws PlatformError when the settings file cannot be written.
void setLanguage(SettingsStore& settings, Language language);
void setZoom(SettingsStore& settings, int percent);
void setColourHelp(SettingsStore& settings, bool on);

} // namespace view_settings
