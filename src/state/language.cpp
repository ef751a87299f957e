#include "state/language.h"

#include <array>

namespace language {

namespace {

struct Entry {
    Language language;
    const char* code;
};
constexpr std::array<Entry, 3> kLanguages{{
    {Language::Danish, "da"},
    {Language::English, "en"},
    {Language::German, "de"},
}};

Language g_current = Language::Danish;

} // namespace

QString code(Language l) {
    for (const Entry& e : kLanguages) {
        if (e.language == l)
            return QLatin1String(e.code);
    }
    return QStringLiteral("da");
}

std::optional<Language> fromCode(const QString& code) {
    for (const Entry& e : kLanguages) {
        if (code == QLatin1String(e.code))
            return e.language;
    }
    return std::nullopt;
}

QString codes() {
    QStringList all;
    for (const Entry& e : kLanguages)
        all.append(QLatin1String(e.code));
    return all.join(QStringLiteral(", "));
}

QLocale locale(Language l) {
    switch (l) {
    case Language::English:
        return QLocale(QLocale::English);
    case Language::German:
        return QLocale(QLocale::German);
    case Language::Danish:
        break;
    }
    return QLocale(QLocale::Danish);
}

Language current() {
    return g_current;
}

void setCurrent(Language l) {
    g_current = l;
}

} // namespace language
