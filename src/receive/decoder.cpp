#include "receive/decoder.h"

#include "state/protocol.h"

namespace {
void decodeByte(std::array<bool, FormState::kInputCount>& InputState, int base, int firstOffset,
                qint16 value) {
    // Successive subtraction rather than a mask: this is what makes out-of-range values
    // saturate instead of wrapping.
    int v = value;
    for (int k = 7; k >= 0; --k) {
        const int weight = 1 << k;
        const bool on = v >= weight;
        if (on)
            v -= weight;
        const int input = base + firstOffset + k;
        if (input >= 0 && input <= FormState::kLastInput)
            InputState[std::size_t(input)] = on;
    }
}
} // namespace

void S88(std::array<bool, FormState::kInputCount>& InputState, qint16 module, qint16 high,
         qint16 low) {
    const int base = protocol::inputOf(module, 0); // the bits count from contact 1
    decodeByte(InputState, base, 1, low);
    decodeByte(InputState, base, 9, high);
}
