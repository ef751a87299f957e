#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

// The languages the program speaks. Danish is its own: the texts in the code are Danish, the
// others come from translations.
enum class Language { Danish, English, German };

namespace language {

// "da", "en", "de"
QString code(Language l);
std::optional<Language> fromCode(const QString& code);
// "da, en, de": for messages that name the choices.
QString codes();

// Numbers and a voice in that language: Danish, English or German.
QLocale locale(Language l);

// The language the program speaks in this run (its translation installed): Danish until set.
Language current();
void setCurrent(Language l);

} // namespace language
