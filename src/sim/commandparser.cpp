#include "sim/commandparser.h"

#include "state/protocol.h"

#include <algorithm>

namespace sim {

static_assert(protocol::kCountCommandSize == 5);

int ChainCounts::modules() const {
    return std::min(int(left) + int(mid) + int(right), protocol::kMaxReports);
}

std::optional<ChainCounts> CommandParser::feed(char byte) {
    if (m_size == 0 && byte != protocol::kCountCommand)
        return std::nullopt;
    m_window[std::size_t(m_size++)] = byte;
    if (m_size < protocol::kCountCommandSize)
        return std::nullopt;
    if (m_window[4] == protocol::kCommandEnd) {
        m_size = 0;
        return ChainCounts{quint8(m_window[1]), quint8(m_window[2]), quint8(m_window[3])};
    }
    // Not a command: resume at the next 's' after the one that started it.
    const auto next = std::find(m_window.begin() + 1, m_window.end(), protocol::kCountCommand);
    m_size = int(m_window.end() - next);
    std::copy(next, m_window.end(), m_window.begin());
    return std::nullopt;
}

} // namespace sim
