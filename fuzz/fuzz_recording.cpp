// Reads arbitrary bytes as a recording and plays them through the receive path into a change
// history, and checks what must always hold: the reader never reads past the data and stops
// at the first fault, and the history's events are consistent with its statistics.
#include "history/csv.h"
#include "history/playback.h"
#include "history/recording.h"

#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Most inputs should get past the header, so half of them are given a sound one.
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1))
        bytes = recording::header(0) + bytes.mid(1);
    recording::Reader reader(bytes);
    PlaybackRun run(reader, 64); // a small bound, so dropping is exercised too
    const bool ok = run.run();
    if (ok != reader.ok() || reader.offset() > bytes.size())
        fail("reader state");
    if (reader.status() == recording::Reader::Status::Reading)
        fail("reading stopped without an end or a fault");
    if (!ok && reader.error().isEmpty())
        fail("a fault without a reason");
    const ChangeHistory& h = run.history();
    if (h.total() - h.firstKept() > quint64(h.capacity()) || h.dropped() != h.firstKept())
        fail("bound");
    quint64 changes = 0;
    for (int n = 1; n <= FormState::kLastInput; ++n) {
        changes += h.input(n).changes;
        // Every input starts inactive and every change is seen: an odd count means active.
        if ((h.input(n).changes % 2 == 1) != run.state().InputState[std::size_t(n)])
            fail("an input changed without an event");
    }
    if (changes != h.total())
        fail("statistics and events disagree");
    qint64 last = 0;
    for (quint64 seq = h.firstKept(); seq < h.total(); ++seq) {
        const ChangeEvent& e = h.event(seq);
        if (e.input < 1 || e.input > FormState::kLastInput || e.timeMs < last)
            fail("event");
        last = e.timeMs;
    }
    csv::inputs(h);
    return 0;
}
