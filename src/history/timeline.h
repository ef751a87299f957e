#pragma once

#include "history/changehistory.h"

#include <array>
#include <vector>

// The change history as a picture in time: per input, the spans in which it was active, and
// the bursts worth marking. Qt Core only, so the window, the command line's picture and the
// tests share it.
namespace timeline {

// One span in which an input was active.
struct Bar {
    qint64 startMs = 0;     // when it came on; see openStart
    qint64 endMs = 0;       // when it went off; see openEnd
    bool openStart = false; // on before the oldest event kept: startMs is that event's time
    bool openEnd = false;   // still on: endMs is the present
    friend bool operator==(const Bar&, const Bar&) = default;
};

struct Row {
    int input = 0;
    bool unstable = false;
    std::vector<Bar> bars; // those that reach into the view, oldest first
    qint64 lastOffMs = -1; // the end of the newest bar that ended before the view; -1: none
};

// What is under a point of a row: the bar, or the gap between two bars.
struct Span {
    bool active = false;
    qint64 startMs = -1; // -1: since before the history
    qint64 endMs = -1;   // -1: up to the present
};

enum class Rows {
    Changed,    // a row per input that changed since the history was cleared
    Configured, // a row per input 1..configured, and any other input that changed
};

class Model {
public:
    // The view from `fromMs` to `toMs` of the history as it is at `nowMs`. Reuses its storage,
    // so a view rebuilt every frame allocates nothing once it has grown.
    void build(const ChangeHistory& history, qint64 fromMs, qint64 toMs, qint64 nowMs,
               Rows rows = Rows::Changed, int configured = 0);

    qint64 fromMs() const { return m_from; }
    qint64 toMs() const { return m_to; }
    qint64 nowMs() const { return m_now; }
    const std::vector<Row>& rows() const { return m_rows; }
    // The noise and given-up bursts in the view, oldest first.
    const std::vector<BurstMark>& marks() const { return m_marks; }
    // The row of `input`, or nullptr.
    const Row* row(int input) const;
    // The bar or gap of `row` at `timeMs`.
    static Span spanAt(const Row& row, qint64 timeMs);

private:
    qint64 m_from = 0;
    qint64 m_to = 0;
    qint64 m_now = 0;
    std::vector<Row> m_rows;
    std::size_t m_used = 0;
    std::vector<BurstMark> m_marks;
    std::array<int, FormState::kInputCount> m_rowOf{}; // -1: no row
};

} // namespace timeline
