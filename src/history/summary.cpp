#include "history/summary.h"

#include "history/changehistory.h"
#include "history/modulecheck.h"

#include <QCoreApplication>
#include <QStringList>
#include <bitset>

namespace {

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
    // The counts come from a count command the recording sent: the window's rule, as sent.
    const ModuleCheck check = ModuleCheck::of(history, configured, ModuleCheck::Changes{}, 0);
    const ModuleCheck::Modules& reported = check.reported;
    const ModuleCheck::Modules& missing = check.missing;
    const ModuleCheck::Modules& unknown = check.unexpected;
    const ModuleCheck::Inputs& unstable = check.unstable;
    QString shortText = QString::number(check.shortBursts);
    if (check.shortMissing.any())
        shortText += QCoreApplication::translate("summary", " (module %1 left out of the reply)")
                         .arg(list(check.shortMissing));
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
