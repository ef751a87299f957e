#include "history/reports.h"

#include "history/csv.h"
#include "history/playback.h"
#include "history/recording.h"
#include "history/summary.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <optional>

namespace reports {

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
    return 2;
}

void put(const QByteArray& text) {
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
}

int report(const Request& request) {
    const bool history = request.kind == Request::Kind::History;
    const QString& path = request.path;
    const char sep = request.separator;
    recording::File file;
    QString why;
    if (!file.open(path, &why))
        return usage(QStringLiteral("%1: %2").arg(path, why));
    recording::Reader reader(file.data());
    PlaybackRun run(reader);
    ChangeHistory& changes = run.history();
    changes.setLimits(request.limits);
    std::optional<csv::Clock> clock;

    // Lines are written as bursts end, so the history's bound never drops one.
    QByteArray out;
    quint64 written = 0;
    bool started = false;
    const auto writeNew = [&] {
        if (!started) {
            started = true;
            out.append(csv::header(csv::kHistoryHeader, sep));
            clock.emplace(changes);
        }
        written = changes.forEachNew(written, [&](const ChangeEvent& event) {
            csv::appendHistoryRow(out, event, *clock, sep);
        });
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
        else if (request.kind == Request::Kind::Inputs)
            out = csv::inputs(changes, sep);
        else
            out = moduleSummary(changes, run.line().modulesSent());
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

int run(const Request& request) {
    return report(request);
}

} // namespace reports
