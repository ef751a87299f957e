// Allocations and processor time on the receive path and per painted frame, in the whole
// window: the bench's stream (bursts of 10 modules whose inputs move by one per burst, two
// stray bytes between bursts) is delivered to the window's receive path in pieces as the line
// brings them (5 bytes) and as a flood brings them (16 KiB). Every operator new is counted;
// after a warm-up the allocations per byte and per report should be 0. With --frames the
// window is shown and each frame the gate paints is timed (run it under xcb for the real cost).
//
//   s88alloc [--mb N] [--frames]
#include "frame/framegate.h"
#include "support/formsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMap>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
std::atomic<quint64> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// The window bench's stream: 34 bytes a burst.
QByteArray benchStream(qsizetype size) {
    QByteArray out;
    out.reserve(size + 64);
    QRandomGenerator random(88);
    for (int k = 0; out.size() < size; ++k) {
        out.append('i');
        out.append(char(10));
        for (int m = 1; m <= 10; ++m) {
            const int active = (k % 160) + 1 - (m - 1) * 16; // one input, moving
            const quint16 inputs = active >= 1 && active <= 16 ? quint16(1u << (active - 1)) : 0;
            out.append(char(m));
            out.append(char(inputs >> 8));
            out.append(char(inputs & 0xff));
        }
        for (int s = 0; s < 2; ++s) {
            int v = int(random.bounded(256));
            out.append(char(v == 'i' ? v + 1 : v));
        }
    }
    out.truncate(size);
    return out;
}

// Counts the paint events of each widget while frames are measured.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (counting && event->type() == QEvent::Paint) {
            QString name = QString::fromLatin1(watched->metaObject()->className());
            if (!watched->objectName().isEmpty())
                name += u' ' + watched->objectName();
            else if (const QObject* parent = watched->parent())
                name += QStringLiteral(" in %1 %2")
                            .arg(QString::fromLatin1(parent->metaObject()->className()),
                                 parent->objectName());
            ++painted[name];
        }
        return false;
    }
    bool counting = false;
    QMap<QString, int> painted;
};
PaintCounter* paints = nullptr;

struct Figures {
    double allocationsPerByte;
    double allocationsPerReport;
    double nsPerByte;
};

Figures feed(ScriptedWindow& w, const QByteArray& stream, qsizetype piece, bool frames,
             std::vector<double>* frameMicros) {
    FrameGate& gate = w.form.frameGate();
    const quint64 reportsPerBurst = 10;
    quint64 counted = 0; // on the receive path only; the frames' own are counted apart
    qint64 receiveNs = 0;
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        const QByteArray bytes = stream.mid(at, piece);
        const quint64 before = allocations.load();
        QElapsedTimer one;
        one.start();
        w.serial.deliver(bytes);
        receiveNs += one.nsecsElapsed();
        counted += allocations.load() - before;
        // Ten frames a second while the line streams: one per 960 bytes.
        if (frames && (at / 960 != (at + piece) / 960) && gate.pending()) {
            QElapsedTimer paint;
            paint.start();
            paints->counting = true;
            gate.frame();
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(); // the paint and its flush
            paints->counting = false;
            frameMicros->push_back(double(paint.nsecsElapsed()) / 1000.0);
        }
    }
    const double bytes = double(stream.size());
    const double reports = bytes / 34.0 * double(reportsPerBurst);
    return {double(counted) / bytes, double(counted) / reports, double(receiveNs) / bytes};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool frames = args.contains(QStringLiteral("--frames"));
    const qsizetype idx = args.indexOf(QStringLiteral("--mb"));
    const double mb = idx >= 0 && idx + 1 < args.size() ? args[idx + 1].toDouble() : 4.0;
    const QByteArray stream = benchStream(qsizetype(mb * 1024 * 1024));

    paints = new PaintCounter;
    app.installEventFilter(paints);
    ScriptedWindow w({.show = frames, .openPort = true});
    if (frames)
        QCoreApplication::processEvents();
    // Warm-up: the history's ring, the monitor's pictures and Qt's caches reach their size.
    const QByteArray warm = benchStream(512 * 1024);
    std::vector<double> ignored;
    feed(w, warm, 5, frames, &ignored);
    feed(w, warm, 16 * 1024, frames, &ignored);

    std::printf("%-44s %14s %14s %10s\n", "delivery", "allocs/byte", "allocs/report", "ns/byte");
    for (const qsizetype piece : {qsizetype(5), qsizetype(16 * 1024)}) {
        std::vector<double> frameMicros;
        paints->painted.clear();
        const Figures f = feed(w, stream, piece, frames && piece == 5, &frameMicros);
        std::printf("%-44s %14.6f %14.6f %10.1f\n",
                    qPrintable(QStringLiteral("%1 MB in pieces of %2 bytes").arg(mb).arg(piece)),
                    f.allocationsPerByte, f.allocationsPerReport, f.nsPerByte);
        if (!frameMicros.empty()) {
            std::sort(frameMicros.begin(), frameMicros.end());
            const auto at = [&](double q) {
                return frameMicros[std::size_t(q * double(frameMicros.size() - 1))];
            };
            std::printf("frames painted: %zu, processor time per frame: median %.0f us, "
                        "95th percentile %.0f us (goal: at most 400 us)\n",
                        frameMicros.size(), at(0.5), at(0.95));
            for (auto it = paints->painted.cbegin(); it != paints->painted.cend(); ++it)
                std::printf("  painted %5.2f times a frame: %s\n",
                            double(it.value()) / double(frameMicros.size()), qPrintable(it.key()));
        }
    }
    return 0;
}
