#pragma once

#include <QtGlobal>

// Milliseconds on one monotonic clock shared by the whole program, counted from its first
// reading; never goes back when the wall clock is set.
qint64 monotonicMs();
