#include "history/reports.h"

#include "history/csv.h"
#include "history/playback.h"
#include "history/recording.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstring>

namespace reports {

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
    return 2;
}

void put(const QByteArray& text) {
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

// "N" or "N/MS" into the limits; false when it is neither.
bool parseLimit(const QString& option, const QString& value, StabilityLimits& limits) {
    bool ok = false;
    if (option == u"--unstable-ms") {
        limits.shortestMs = value.toLongLong(&ok);
        return ok && limits.shortestMs >= 0;
    }
    const QStringList parts = value.split(u'/');
    if (parts.size() != 2)
        return false;
    bool ok2 = false;
    limits.changes = parts[0].toInt(&ok);
    limits.windowMs = parts[1].toLongLong(&ok2);
    return ok && ok2 && limits.changes >= 2 && limits.changes <= StabilityLimits::kMaxChanges &&
           limits.windowMs > 0;
}

int report(bool history, const QString& path, const StabilityLimits& limits) {
    recording::File file;
    QString why;
    if (!file.open(path, &why))
        return usage(QStringLiteral("%1: %2").arg(path, why));
    recording::Reader reader(file.data());
    PlaybackRun run(reader);
    ChangeHistory& changes = run.history();
    changes.setLimits(limits);

    // Lines are written as bursts end, so the history's bound never drops one.
    QByteArray out;
    quint64 written = 0;
    bool started = false;
    const auto writeNew = [&] {
        if (!started) {
            started = true;
            out.append(csv::kHistoryHeader);
        }
        written = changes.forEachNew(
            written, [&out](const ChangeEvent& event) { csv::appendHistoryRow(out, event); });
        if (out.size() >= 256 * 1024) {
            put(out);
            out.clear();
        }
    };
    if (history)
        QObject::connect(&changes, &ChangeHistory::eventsAdded, &changes, writeNew);
    run.run();
    // A recording whose header was sound gets its report, up to a fault if there is one.
    if (reader.offset() >= recording::kHeaderSize) {
        if (history)
            writeNew();
        else
            out = csv::inputs(changes);
        put(out);
    }
    std::fflush(stdout);
    if (reader.status() != recording::Reader::Status::Finished) {
        const QString covered = reader.offset() >= recording::kHeaderSize
                                    ? QStringLiteral(" (reported up to %1 ms)").arg(reader.timeMs())
                                    : QString();
        return usage(QStringLiteral("%1: %2%3").arg(path, reader.error(), covered));
    }
    return 0;
}

} // namespace

std::optional<int> run(int argc, char* argv[]) {
    std::optional<bool> history; // true: --history, false: --inputs
    QString path;
    StabilityLimits limits;
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        QString value;
        const qsizetype eq = arg.indexOf(u'=');
        if (arg.startsWith(u"--") && eq > 0) {
            value = arg.mid(eq + 1);
            arg.truncate(eq);
        }
        const bool isReport = arg == u"--history" || arg == u"--inputs";
        const bool isLimit = arg == u"--unstable-ms" || arg == u"--unstable-changes";
        if (!isReport && !isLimit)
            continue;
        if (eq <= 0) {
            if (i + 1 >= argc)
                return usage(QStringLiteral("%1 needs a value").arg(arg));
            value = QString::fromLocal8Bit(argv[++i]);
        }
        if (isLimit) {
            if (!parseLimit(arg, value, limits))
                return usage(
                    QStringLiteral("%1 %2: expected %3")
                        .arg(arg, value,
                             arg == u"--unstable-ms" ? u"milliseconds" : u"N/MS, N from 2 to 32"));
            continue;
        }
        if (history)
            return usage(QStringLiteral("give one of --history and --inputs, once"));
        history = arg == u"--history";
        path = value;
    }
    if (!history)
        return std::nullopt;
    return report(*history, path, limits);
}

} // namespace reports
