#include "history/reports.h"

#include "history/csv.h"
#include "history/playback.h"
#include "history/recording.h"

#include <QByteArray>
#include <QString>
#include <cstdio>

namespace reports {

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
    return 2;
}

void put(const QByteArray& text) {
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
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

int run(const Request& request) {
    return report(request.kind == Request::Kind::History, request.path, request.limits);
}

} // namespace reports
