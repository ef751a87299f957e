#include "history/summary.h"

#include "history/changehistory.h"

#include <QCoreApplication>
#include <QStringList>
#include <bitset>

namespace {

constexpr int kModules = ChangeHistory::kModules;

// "2, 4-7, 12", or "none".
template <std::size_t N> QString list(const std::bitset<N>& set) {
    return set.none() ? QCoreApplication::translate("summary", "none") : numberRanges(set);
}

} // namespace

QString numberRanges(int count, const std::function<bool(int)>& has, int most) {
    QStringList parts;
    for (int m = 0; m < count; ++m) {
        if (!has(m))
            continue;
        int end = m;
        while (end + 1 < count && has(end + 1))
            ++end;
        if (parts.size() == most) {
            parts << QStringLiteral("…");
            break;
        }
        parts << (end == m ? QString::number(m) : QStringLiteral("%1-%2").arg(m).arg(end));
        m = end;
    }
    return parts.join(QStringLiteral(", "));
}

QByteArray moduleSummary(const ChangeHistory& history, std::optional<int> configured) {
    const BurstStats& b = history.bursts();
    std::bitset<kModules> reported;
    std::bitset<kModules> missing;
    std::bitset<kModules> unknown;
    for (int m = 0; m < kModules; ++m) {
        const bool expected = configured && m >= 1 && m <= *configured;
        reported[std::size_t(m)] = history.reports(m) > 0;
        // A module a short burst names is told there, as in the window.
        missing[std::size_t(m)] =
            expected && !reported.test(std::size_t(m)) && !b.shortMissing.test(std::size_t(m));
        unknown[std::size_t(m)] = configured && !expected && reported.test(std::size_t(m));
    }
    std::bitset<FormState::kInputCount> unstable;
    for (int n = 1; n <= FormState::kLastInput; ++n)
        unstable[std::size_t(n)] = history.input(n).unstable();
    QString shortText = QString::number(b.shortBursts);
    if (b.shortMissing.any())
        shortText += QCoreApplication::translate("summary", " (module %1 left out of the reply)")
                         .arg(list(b.shortMissing));
    if (b.shortUnnamed > 0)
        shortText +=
            QCoreApplication::translate("summary", " (%1 with fewer reports than announced)")
                .arg(b.shortUnnamed);

    QStringList lines;
    lines << QCoreApplication::translate("summary", "configured: %1")
                 .arg(configured ? QString::number(*configured)
                                 : QCoreApplication::translate(
                                       "summary", "unknown (no count command recorded)"))
          << QCoreApplication::translate("summary", "reported: %1").arg(list(reported))
          << QCoreApplication::translate("summary", "missing: %1")
                 .arg(configured ? list(missing)
                                 : QCoreApplication::translate("summary", "unknown"))
          << QCoreApplication::translate("summary", "unknown: %1")
                 .arg(configured ? list(unknown)
                                 : QCoreApplication::translate("summary", "unknown"))
          << QCoreApplication::translate("summary", "complete bursts: %1").arg(b.complete)
          << QCoreApplication::translate("summary", "short bursts: %1").arg(shortText)
          << QCoreApplication::translate("summary", "given up: %1").arg(b.givenUp)
          << QCoreApplication::translate("summary", "stray bytes: %1").arg(b.strayBytes)
          << QCoreApplication::translate("summary", "bytes lost behind short bursts: %1")
                 .arg(b.lostBytes)
          << QCoreApplication::translate("summary", "changes: %1").arg(history.total())
          << QCoreApplication::translate("summary", "unstable inputs: %1").arg(list(unstable));
    return (lines.join(u'\n') + u'\n').toUtf8();
}
