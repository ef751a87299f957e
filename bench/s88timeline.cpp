// The timeline's cost per frame: 100,000 change events in view (ten modules, two inputs
// flipping in each of 50,000 bursts a millisecond apart, plus a chattering input), turned into
// bars and marks and drawn at the timeline window's size and at the command line's. Prints one
// figure a line: the median of 30 frames, and the slowest. Goal: at most 16 ms a frame.
//   QT_QPA_PLATFORM=offscreen s88timeline
#include "diag/timelinepainter.h"
#include "history/playback.h"
#include "history/recording.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray recordingOf(int bursts) {
    QByteArray r = recording::header(0);
    std::array<quint16, 11> words{};
    for (int b = 0; b < bursts; ++b) {
        // Two inputs of the 160 flip in every burst, walking over all of them.
        for (int k = 0; k < 2; ++k) {
            const int input = (b * 7 + k * 80) % 160;
            words[std::size_t(input / 16 + 1)] ^= quint16(1u << (input % 16));
        }
        QByteArray burst("i");
        burst.append(char(10));
        for (int m = 1; m <= 10; ++m) {
            burst.append(char(m));
            burst.append(char(words[std::size_t(m)] >> 8));
            burst.append(char(words[std::size_t(m)] & 0xff));
        }
        recording::appendReceived(r, b == 0 ? 0 : 1, burst);
    }
    recording::appendEnd(r, 1);
    return r;
}

struct Figures {
    double median = 0;
    double worst = 0;
};

template <typename F> Figures timeIt(F&& frame) {
    std::vector<double> ms;
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        frame();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QByteArray data = recordingOf(50'000);
    recording::Reader reader(data);
    PlaybackRun run(reader, 200'000);
    run.run();
    const ChangeHistory& history = run.history();
    const qint64 end = reader.timeMs();
    std::printf("events in view: %llu over %lld ms, %zu burst marks\n",
                static_cast<unsigned long long>(history.total() - history.firstKept()),
                static_cast<long long>(end), history.marks().size());

    timeline::Model model;
    names::Names names;
    names.setName(73, QStringLiteral("Blok 3 øst"));
    const Figures build = timeIt([&] { model.build(history, 0, end, end); });
    std::printf("model: %.2f ms median, %.2f ms slowest (%zu rows)\n", build.median, build.worst,
                model.rows().size());

    for (const QSize size : {QSize(860, 360), QSize(1200, 20 + 160 * 16 + 4)}) {
        QImage image(size, QImage::Format_RGB32);
        timeline::Painter painter;
        const Figures frame = timeIt([&] {
            model.build(history, 0, end, end);
            QPainter p(&image);
            painter.paint(p, image.rect(), model, names, history.wallTime(0));
        });
        std::printf("frame %dx%d (model and paint): %.2f ms median, %.2f ms slowest (goal 16 "
                    "ms)\n",
                    size.width(), size.height(), frame.median, frame.worst);
    }
    return 0;
}
