#include "history/reports.h"

#include "history/csv.h"
#include "history/filename.h"
#include "history/playback.h"
#include "history/recording.h"
#include "history/summary.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <optional>

namespace reports {

namespace {

int usage(const QString& text) {
    std::fprintf(stderr, "s88monitor: %s\n", qPrintable(text));
    return 2;
}

// Standard output failed (a full disk, a closed pipe): one line, status 1.
int outputFailed(int error) {
    std::fprintf(stderr, "s88monitor: cannot write the report to standard output: %s\n",
                 error ? std::strerror(error) : "write failed");
    return 1;
}

// False, with errno, when not all of it was written.
bool put(const QByteArray& text) {
    errno = 0;
    return std::fwrite(text.constData(), 1, size_t(text.size()), stdout) == size_t(text.size());
}

QByteArray burstLines(const ChangeHistory& history) {
    QByteArray out(csv::kBurstsHeader);
    for (const BurstMark& m : history.marks())
        out.append(QStringLiteral("%1,%2,%3,%4,%5\n")
                       .arg(m.timeMs)
                       .arg(m.inputs)
                       .arg(m.modules)
                       .arg(m.noise ? 1 : 0)
                       .arg(m.givenUp ? 1 : 0)
                       .toLatin1());
    return out;
}

int report(const Request& request) {
    const bool history = request.kind == Request::Kind::History;
    const QString& path = request.path;
    const char sep = request.separator;
    // A closed standard output would take the number of the next file opened.
    if (::fcntl(1, F_GETFD) < 0)
        return outputFailed(EBADF);
    names::Names nameTable;
    const names::Names* names = nullptr;
    if (!request.names.isEmpty()) {
        if (!readNames(request.names, nameTable))
            return 2;
        names = &nameTable;
    }
    recording::File file;
    QString why;
    if (!file.open(path, &why))
        return usage(QStringLiteral("%1: %2").arg(filename::shown(path), why));
    file.stopAtSizeNow(); // a recording still being written would never end
    recording::Reader reader(file);
    PlaybackRun run(reader);
    ChangeHistory& changes = run.history();
    changes.setLimits(request.limits);
    std::optional<csv::Clock> clock;

    // Lines are written as bursts end, so the history's bound never drops one; the first
    // failed write ends the report.
    QByteArray out;
    quint64 written = 0;
    bool started = false;
    int writeError = -1; // errno of the first failed write; -1 while none failed
    const auto emitOut = [&] {
        if (writeError < 0 && !put(out))
            writeError = errno;
        out.clear();
    };
    const auto writeNew = [&] {
        if (!started) {
            started = true;
            out.append(csv::header(csv::kHistoryHeader, sep, names != nullptr));
            clock.emplace(changes);
        }
        written = changes.forEachNew(written, [&](const ChangeEvent& event) {
            csv::appendHistoryRow(out, event, *clock, sep);
            csv::appendName(out, names, event.input, sep);
        });
        if (out.size() >= 256 * 1024)
            emitOut();
    };
    if (history)
        QObject::connect(&changes, &ChangeHistory::eventsAdded, &changes, writeNew);
    run.run();
    // A recording whose header was sound gets its report, up to a fault if there is one.
    if (reader.offset() >= recording::kHeaderSize) {
        if (history) {
            writeNew();
        } else if (request.kind == Request::Kind::Bursts) {
            out = burstLines(changes);
        } else if (request.kind == Request::Kind::Summary) {
            out = moduleSummary(changes, run.line().modulesSent());
        } else {
            const QList<QByteArray> lines = csv::inputs(changes, sep).split('\n');
            out = csv::header(csv::kInputsHeader, sep, names != nullptr);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                if (lines[i].isEmpty())
                    continue;
                out.append(lines[i]).append('\n');
                csv::appendName(out, names, lines[i].left(lines[i].indexOf(sep)).toInt(), sep);
            }
        }
        emitOut();
    }
    errno = 0;
    if (writeError < 0 && std::fflush(stdout) != 0)
        writeError = errno;
    errno = 0;
    if (writeError < 0 && std::fclose(stdout) != 0) // nothing is written after the report
        writeError = errno;
    if (writeError >= 0)
        return outputFailed(writeError);
    if (reader.status() != recording::Reader::Status::Finished) {
        const QString covered =
            reader.offset() >= recording::kHeaderSize
                ? QCoreApplication::translate("reports", " (reported up to %1 ms)")
                      .arg(reader.timeMs())
                : QString();
        if (file.grewPastStop())
            return usage(QCoreApplication::translate(
                             "reports", "%1: still being recorded; reported up to its %2 bytes "
                                        "at the start%3")
                             .arg(filename::shown(path))
                             .arg(file.stop())
                             .arg(covered));
        return usage(
            QStringLiteral("%1: %2%3").arg(filename::shown(path), reader.error(), covered));
    }
    if (file.grewPastStop())
        std::fprintf(stderr, "s88monitor: %s\n",
                     qPrintable(QCoreApplication::translate(
                                    "reports", "%1: grew while it was read; reported up to its "
                                               "%2 bytes at the start")
                                    .arg(filename::shown(path))
                                    .arg(file.stop())));
    return 0;
}

int guarded(const Request& request) {
    try {
        return report(request);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "s88monitor: out of memory while reading %s\n",
                     qPrintable(filename::shown(request.path)));
        return 1;
    }
}

} // namespace

bool readNames(const QString& path, names::Names& names) {
    QList<names::Problem> problems;
    QString why;
    // The window's own names file may not be there yet; a file named on the command line must.
    if (!QFileInfo::exists(path)) {
        usage(QStringLiteral("--names %1: %2")
                  .arg(filename::shown(path),
                       QCoreApplication::translate("pathgate", "no such file")));
        return false;
    }
    if (!names::load(path, names, &problems, &why)) {
        usage(QStringLiteral("%1: %2").arg(path, why));
        return false;
    }
    for (const names::Problem& p : problems)
        std::fprintf(stderr, "s88monitor: %s: %s (left out)\n", qPrintable(path),
                     qPrintable(names::describe(p)));
    return true;
}

int run(const Request& request) {
    return guarded(request);
}

} // namespace reports
