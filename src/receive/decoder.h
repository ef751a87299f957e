#pragma once

#include "state/formstate.h"

// Decodes one module report into the sixteen inputs of its module: the low byte carries the
// module's inputs 1..8 (weight 1 = input 1), the high byte inputs 9..16. Module m owns
// inputs (m - 1) * 16 + 1 .. m * 16; an input number outside 0..200 is skipped and the rest
// of the report is decoded as usual. Values of 255 or more set all eight inputs of their
// byte, values of 0 or less clear them.
void S88(std::array<bool, FormState::kInputCount>& InputState, qint16 module, qint16 high,
         qint16 low);
