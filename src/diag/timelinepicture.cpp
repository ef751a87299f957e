#include "diag/timelinepicture.h"

#include "diag/timelinepainter.h"
#include "history/pathgate.h"
#include "history/playback.h"
#include "history/recording.h"

#include <QCoreApplication>
#include <cstdio>

namespace timeline {

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
    return 2;
}

// Enough for hours of a chattering input; a longer recording shows its newest events.
constexpr qsizetype kEventsDrawn = 2'000'000;

} // namespace

int savePicture(const reports::Request& request) {
    names::Names names;
    if (!request.names.isEmpty() && !reports::readNames(request.names, names))
        return 2;
    QString why;
    // The picture never replaces the recording or the names it is drawn from.
    if (!pathgate::writable(request.png, {request.path, request.names}, &why))
        return fail(QStringLiteral("--png %1: %2").arg(request.png, why));
    recording::File file;
    if (!file.open(request.path, &why))
        return fail(QStringLiteral("%1: %2").arg(request.path, why));
    file.stopAtSizeNow();
    recording::Reader reader(file);
    PlaybackRun run(reader, kEventsDrawn);
    ChangeHistory& history = run.history();
    history.setLimits(request.limits);
    run.run();
    if (reader.offset() < recording::kHeaderSize)
        return fail(QStringLiteral("%1: %2").arg(request.path, reader.error()));
    // A damaged recording is drawn up to its fault, told, and ends with status 2 as a report does.
    const bool damaged = reader.status() != recording::Reader::Status::Finished;
    if (damaged)
        std::fprintf(stderr, "s88monitor: %s: %s; drawn up to %lld ms\n", qPrintable(request.path),
                     qPrintable(reader.error()), static_cast<long long>(reader.timeMs()));
    const qint64 end = std::max<qint64>(reader.timeMs(), 1);
    const qint64 to = request.toMs >= 0 ? request.toMs : end;
    if (to <= request.fromMs)
        return fail(QCoreApplication::translate("timeline",
                                                "--from %1 s is past the recording's end at %2 s")
                        .arg(request.fromMs / 1000.0)
                        .arg(end / 1000.0));
    Model model;
    model.build(history, request.fromMs, to, end);
    const QImage image = render(model, names, history.wallTime(0));
    const QByteArray png = pngOf(image);
    if (!pathgate::writeWhole(request.png, png, {request.path, request.names}, &why))
        return fail(QStringLiteral("--png %1: %2").arg(request.png, why));
    return damaged ? 2 : 0;
}

} // namespace timeline
