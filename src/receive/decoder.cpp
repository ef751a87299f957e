#include "receive/decoder.h"

#include "state/protocol.h"

#include <algorithm>
#include <cstring>

namespace {
// The eight inputs of every byte value, weight 1 first: one copy decodes a byte.
constexpr auto kBits = [] {
    std::array<std::array<bool, 8>, 256> bits{};
    for (std::size_t v = 0; v < bits.size(); ++v)
        for (std::size_t k = 0; k < 8; ++k)
            bits[v][k] = ((v >> k) & 1U) != 0;
    return bits;
}();

void decodeByte(std::array<bool, FormState::kInputCount>& InputState, int first, qint16 value) {
    // Weights are taken off one by one from the highest, so a value of 255 or more sets all
    // eight inputs and one of 0 or less none: the same as clamping it to a byte.
    const std::array<bool, 8>& bits = kBits[std::size_t(std::clamp<int>(value, 0, 255))];
    if (first >= 0 && first + 7 <= FormState::kLastInput) {
        std::memcpy(&InputState[std::size_t(first)], bits.data(), bits.size());
        return;
    }
    for (int k = 0; k < 8; ++k) {
        const int input = first + k;
        if (input >= 0 && input <= FormState::kLastInput)
            InputState[std::size_t(input)] = bits[std::size_t(k)];
    }
}
} // namespace

void S88(std::array<bool, FormState::kInputCount>& InputState, qint16 module, qint16 high,
         qint16 low) {
    const int base = protocol::inputOf(module, 0); // the bits count from contact 1
    decodeByte(InputState, base + 1, low);
    decodeByte(InputState, base + 9, high);
}
