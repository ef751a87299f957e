#pragma once

#include <QtGlobal>
#include <array>
#include <optional>

namespace sim {

// The three chain counts of one module-count command.
struct ChainCounts {
    quint8 left = 0;
    quint8 mid = 0;
    quint8 right = 0;

    // Modules reported: all three chains together, at most what a burst can announce.
    int modules() const;
    friend bool operator==(const ChainCounts&, const ChainCounts&) = default;
};

// Finds module-count commands ('s', Left, Mid, Right, CR) in the byte stream from the host,
// however it is split up. Bytes before an 's' are ignored; when five bytes starting with 's'
// do not end in CR, the search starts again at the next 's' among them, so a count of 115
// (an 's') or a stray 's' in front of a command does not lose the command.
class CommandParser {
public:
    std::optional<ChainCounts> feed(char byte);

private:
    std::array<char, 5> m_window{};
    int m_size = 0;
};

} // namespace sim
