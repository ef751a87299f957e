#include "history/modulecheck.h"

#include "history/changehistory.h"
#include "state/language.h"
#include "state/protocol.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// One decimal below ten, so the line does not flicker with a steady stream.
QString rate(double value) {
    // The window's decimal sign: a comma in Danish and German.
    return QString::number(value, 'f', value < 10 ? 1 : 0)
        .replace(QLatin1Char('.'), language::locale(language::current()).decimalPoint());
}

} // namespace

ModuleCheck::Changes ModuleCheck::changesNow(const ChangeHistory& history) {
    Changes changes{};
    for (int n = 1; n <= FormState::kLastInput; ++n)
        changes[std::size_t(n)] = history.input(n).changes;
    return changes;
}

ModuleCheck::Inputs ModuleCheck::unstableInputs(const ChangeHistory& history) {
    Inputs unstable;
    for (int n = 1; n <= FormState::kLastInput; ++n)
        unstable[std::size_t(n)] = history.input(n).unstable();
    return unstable;
}

ModuleCheck ModuleCheck::of(const ChangeHistory& history, std::optional<int> configured,
                            const Changes& changesAtStart, double burstsPerSecond) {
    ModuleCheck check;
    check.configured = configured;
    const BurstStats& b = history.bursts();
    check.bursts = b.complete;
    check.givenUp = b.givenUp;
    check.noise = b.noise;
    check.strayBytes = b.strayBytes;
    check.burstsPerSecond = burstsPerSecond;
    const int counted = configured.value_or(-1);
    for (int m = 0; m < kModules; ++m) {
        const bool reported = history.reports(m) > 0;
        const bool expected = m >= 1 && m <= counted;
        check.reported[std::size_t(m)] = reported;
        check.missing[std::size_t(m)] = expected && !reported;
        check.unexpected[std::size_t(m)] = reported && configured && !expected;
        const int first = protocol::inputOf(m, 1);
        if (!reported || m < 1 || first > FormState::kLastInput)
            continue; // module 0 and those past input 200 have no inputs to watch
        bool changed = false;
        const int last =
            std::min(protocol::inputOf(m, protocol::kInputsPerModule), FormState::kLastInput);
        for (int n = first; n <= last && !changed; ++n)
            changed = history.input(n).changes > changesAtStart[std::size_t(n)];
        check.unchanged[std::size_t(m)] = !changed;
    }
    check.takeShortBursts(history);
    check.unstable = unstableInputs(history);
    return check;
}

void ModuleCheck::takeShortBursts(const ChangeHistory& history) {
    const BurstStats& b = history.bursts();
    shortBursts = b.shortBursts;
    for (int m = 0; m < kModules; ++m)
        shortMissing[std::size_t(m)] = b.shortMissing.test(std::size_t(m));
    missing &= ~shortMissing;
}

// "kort burst: modul 2 mangler i svaret (12)".
QString ModuleCheck::shortBurstText() const {
    const QString what =
        shortMissing.any()
            ? QCoreApplication::translate("ModuleCheck", "modul %1 mangler i svaret")
                  .arg(list(shortMissing))
            : QCoreApplication::translate("ModuleCheck", "færre rapporter end meldt");
    return QCoreApplication::translate("ModuleCheck", "kort burst: %1 (%2)")
        .arg(what)
        .arg(shortBursts);
}

void ModuleCheck::countsSent(bool sent) {
    if (sent)
        return;
    countsNotSent = missing.any();
    missing.reset();
}

template <typename Add> void ModuleCheck::parts(Add&& add) const {
    add(QCoreApplication::translate("ModuleCheck", "Modulantal %1, meldt %2")
            .arg(configured ? QString::number(*configured) : QStringLiteral("?"))
            .arg(reported.count()),
        Tone::Plain);
    if (bursts + givenUp + shortBursts == 0) {
        add(QCoreApplication::translate("ModuleCheck", "ingen burst"), Tone::Hint);
    } else {
        unsentPart(add);
        if (missing.any())
            add(QCoreApplication::translate("ModuleCheck", "mangler ") + list(missing),
                Tone::Fault);
        if (unexpected.any())
            add(QCoreApplication::translate("ModuleCheck", "ukendt ") + list(unexpected),
                Tone::Fault);
        if (unchanged.any())
            add(QCoreApplication::translate("ModuleCheck", "uændret ") + list(unchanged),
                Tone::Hint);
    }
    if (shortBursts > 0)
        add(shortBurstText(), Tone::Fault);
    add(rate(burstsPerSecond) + QCoreApplication::translate("ModuleCheck", " burst/s"),
        Tone::Plain);
    add(QCoreApplication::translate("ModuleCheck", "støj %1").arg(noise),
        noise ? Tone::Fault : Tone::Plain);
    add(QCoreApplication::translate("ModuleCheck", "afbrudt %1").arg(givenUp),
        givenUp ? Tone::Fault : Tone::Plain);
    add(QCoreApplication::translate("ModuleCheck", "løse byte %1").arg(strayBytes), Tone::Plain);
}

template <typename Add> void ModuleCheck::unsentPart(Add&& add) const {
    if (countsNotSent)
        add(QCoreApplication::translate("ModuleCheck", "Antal ikke sendt: tryk Indsæt (s)"),
            Tone::Hint);
}

QString ModuleCheck::text() const {
    QStringList out;
    parts([&](const QString& part, Tone) { out << part; });
    return out.join(QStringLiteral(" · "));
}

QString ModuleCheck::html() const {
    QStringList out;
    parts([&](const QString& part, Tone tone) {
        const QString escaped = part.toHtmlEscaped();
        if (tone == Tone::Fault)
            out << QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(escaped);
        else if (tone == Tone::Hint)
            out << QStringLiteral("<span style=\"color:#805000\">%1</span>").arg(escaped);
        else
            out << escaped;
    });
    return out.join(QStringLiteral(" · "));
}

QString ModuleCheck::explanation() {
    return QCoreApplication::translate(
        "ModuleCheck",
        "Modulantal: Left + Mid + Right, som sidst sendt med Indsæt (s) eller indlæst ved start\n"
        "Meldt: moduler med mindst én rapport\n"
        "Mangler: i modulantallet og sendt med Indsæt (s), men aldrig meldt\n"
        "Antal ikke sendt: modulantallet er ikke sendt siden programmet startede\n"
        "Ukendt: meldt, men ikke i modulantallet\n"
        "Uændret: ingen indgang har skiftet siden Start (måske ikke tilsluttet)\n"
        "Kort burst: en burst meldte flere rapporter end den sendte, så den næste gik tabt\n"
        "Burst/s: hele bursts i sekundet; støj: bursts hvor mindst 8 indgange i mindst to "
        "moduler skiftede på én gang; afbrudt: bursts opgivet midt i\n"
        "Løse byte: byte mellem bursts\n"
        "Ryd nulstiller tallene");
}
