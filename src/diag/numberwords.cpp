#include "diag/numberwords.h"

#include <array>

namespace {

QString danish(int n) {
    static const std::array<const char*, 20> kSmall = {
        "nul",     "en",     "to",      "tre",    "fire",   "fem",   "seks",
        "syv",     "otte",   "ni",      "ti",     "elleve", "tolv",  "tretten",
        "fjorten", "femten", "seksten", "sytten", "atten",  "nitten"};
    static const std::array<const char*, 10> kTens = {
        "", "", "tyve", "tredive", "fyrre", "halvtreds", "tres", "halvfjerds", "firs", "halvfems"};
    if (n < 20)
        return QString::fromUtf8(kSmall[n]);
    if (n < 100) {
        const QString tens = QString::fromUtf8(kTens[n / 10]);
        return n % 10 ? QString::fromUtf8(kSmall[n % 10]) + QStringLiteral("og") + tens : tens;
    }
    QString out = n < 200 ? QStringLiteral("hundrede")
                          : QString::fromUtf8(kSmall[n / 100]) + QStringLiteral(" hundrede");
    if (n % 100)
        out += QStringLiteral(" og ") + danish(n % 100);
    return out;
}

QString english(int n) {
    static const std::array<const char*, 20> kSmall = {
        "zero",     "one",     "two",     "three",     "four",     "five",    "six",
        "seven",    "eight",   "nine",    "ten",       "eleven",   "twelve",  "thirteen",
        "fourteen", "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
    static const std::array<const char*, 10> kTens = {
        "", "", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"};
    if (n < 20)
        return QLatin1String(kSmall[n]);
    if (n < 100) {
        const QString tens = QLatin1String(kTens[n / 10]);
        return n % 10 ? tens + u'-' + QLatin1String(kSmall[n % 10]) : tens;
    }
    QString out = QLatin1String(kSmall[n / 100]) + QStringLiteral(" hundred");
    if (n % 100)
        out += QStringLiteral(" and ") + english(n % 100);
    return out;
}

QString german(int n) {
    static const std::array<const char*, 20> kSmall = {
        "null",     "eins",     "zwei",     "drei",     "vier",     "fünf",    "sechs",
        "sieben",   "acht",     "neun",     "zehn",     "elf",      "zwölf",   "dreizehn",
        "vierzehn", "fünfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn"};
    static const std::array<const char*, 10> kTens = {"",        "",        "zwanzig", "dreißig",
                                                      "vierzig", "fünfzig", "sechzig", "siebzig",
                                                      "achtzig", "neunzig"};
    // In compounds one is "ein": einundzwanzig, but hunderteins.
    const auto unit = [](int u) {
        return u == 1 ? QStringLiteral("ein") : QString::fromUtf8(kSmall[u]);
    };
    if (n < 20)
        return QString::fromUtf8(kSmall[n]);
    if (n < 100) {
        const QString tens = QString::fromUtf8(kTens[n / 10]);
        return n % 10 ? unit(n % 10) + QStringLiteral("und") + tens : tens;
    }
    const QString hundreds = unit(n / 100) + QStringLiteral("hundert");
    return n % 100 ? hundreds + german(n % 100) : hundreds;
}

} // namespace

QString numberWords(int n, Language language) {
    if (n < 0 || n > 999)
        return QString::number(n);
    switch (language) {
    case Language::English:
        return english(n);
    case Language::German:
        return german(n);
    case Language::Danish:
        break;
    }
    return danish(n);
}
