#include "history/timeline.h"

#include <algorithm>

namespace timeline {

void Model::build(const ChangeHistory& history, qint64 fromMs, qint64 toMs, qint64 nowMs, Rows rows,
                  int configured) {
    m_from = fromMs;
    m_to = std::max(toMs, fromMs + 1);
    m_now = nowMs;
    m_rowOf.fill(-1);
    m_used = 0;
    const auto addRow = [&](int input) {
        if (m_used == m_rows.size())
            m_rows.emplace_back();
        Row& r = m_rows[m_used];
        r.input = input;
        r.unstable = history.input(input).unstable();
        r.bars.clear();
        r.lastOffMs = -1;
        m_rowOf[std::size_t(input)] = int(m_used++);
    };
    const int last =
        rows == Rows::Configured ? std::clamp(configured, 0, FormState::kLastInput) : 0;
    for (int n = 1; n <= FormState::kLastInput; ++n)
        if (n <= last || history.input(n).changes > 0)
            addRow(n);
    m_rows.resize(m_used);

    // One pass over the kept events: a bar is known whole when its input goes off.
    std::array<qint64, FormState::kInputCount> onSince{};
    std::array<bool, FormState::kInputCount> on{};
    std::array<bool, FormState::kInputCount> seen{};
    const qint64 oldest =
        history.total() > history.firstKept() ? history.event(history.firstKept()).timeMs : 0;
    const auto keep = [&](int input, const Bar& bar) {
        const int r = m_rowOf[std::size_t(input)];
        if (r < 0)
            return;
        Row& row = m_rows[std::size_t(r)];
        if (bar.endMs < m_from)
            row.lastOffMs = bar.endMs;
        else if (bar.startMs <= m_to)
            row.bars.push_back(bar);
    };
    history.forEachNew(0, [&](const ChangeEvent& e) {
        const std::size_t n = e.input;
        if (e.active) {
            on[n] = true;
            onSince[n] = e.timeMs;
        } else if (on[n] || !seen[n]) {
            // Off without a kept switch-on: it was on since before the oldest event kept.
            keep(e.input, {on[n] ? onSince[n] : oldest, e.timeMs, !on[n], false});
            on[n] = false;
        }
        seen[n] = true;
    });
    for (std::size_t n = 1; n < on.size(); ++n)
        if (on[n])
            keep(int(n), {onSince[n], std::max(nowMs, onSince[n]), false, true});

    m_marks.clear();
    const std::deque<BurstMark>& marks = history.marks();
    auto it = std::lower_bound(marks.begin(), marks.end(), m_from,
                               [](const BurstMark& m, qint64 t) { return m.timeMs < t; });
    for (; it != marks.end() && it->timeMs <= m_to; ++it)
        m_marks.push_back(*it);
}

const Row* Model::row(int input) const {
    if (input < 0 || input >= int(m_rowOf.size()) || m_rowOf[std::size_t(input)] < 0)
        return nullptr;
    return &m_rows[std::size_t(m_rowOf[std::size_t(input)])];
}

Span Model::spanAt(const Row& row, qint64 timeMs) {
    // The first bar that ends at or after timeMs.
    const auto it = std::lower_bound(row.bars.begin(), row.bars.end(), timeMs,
                                     [](const Bar& b, qint64 t) { return b.endMs < t; });
    if (it != row.bars.end() && it->startMs <= timeMs)
        return {true, it->openStart ? -1 : it->startMs, it->openEnd ? -1 : it->endMs};
    Span gap;
    gap.startMs = it != row.bars.begin() ? std::prev(it)->endMs : row.lastOffMs;
    if (it != row.bars.end())
        gap.endMs = it->startMs;
    return gap;
}

} // namespace timeline
