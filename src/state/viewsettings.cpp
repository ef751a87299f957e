#include "state/viewsettings.h"

#include "state/settingsstore.h"

namespace view_settings {

namespace {
using settings_keys::kColourHelp;
using settings_keys::kLanguage;
using settings_keys::kZoom;
const QString& kSection = settings_keys::kView;
constexpr int kDefaultZoom = 100;

QString stored(SettingsStore& settings, const QString& key) {
    return settings.GetSetting(settings_keys::kApp, kSection, key, QString());
}
void store(SettingsStore& settings, const QString& key, const QString& text) {
    settings.SaveSetting(settings_keys::kApp, kSection, key, text);
}
} // namespace

const QList<int>& zoomChoices() {
    static const QList<int> choices{100, 125, 150, 200, kFollowScreen};
    return choices;
}

Language language(SettingsStore& settings) {
    return language::fromCode(stored(settings, kLanguage)).value_or(Language::Danish);
}

int zoom(SettingsStore& settings) {
    bool ok = false;
    const int percent = stored(settings, kZoom).toInt(&ok);
    return ok && zoomChoices().contains(percent) ? percent : kDefaultZoom;
}

bool colourHelp(SettingsStore& settings) {
    // On unless turned off: the marks sit inside the lamps and cost a sighted user nothing.
    return stored(settings, kColourHelp) != QLatin1String("0");
}

void setLanguage(SettingsStore& settings, Language language) {
    store(settings, kLanguage, language::code(language));
}

void setZoom(SettingsStore& settings, int percent) {
    store(settings, kZoom,
          QString::number(zoomChoices().contains(percent) ? percent : kDefaultZoom));
}

void setColourHelp(SettingsStore& settings, bool on) {
    store(settings, kColourHelp, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace view_settings
