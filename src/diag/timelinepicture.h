#pragma once

#include "history/reports.h"

// --timeline FILE --png OUT [--from S --to S] [--names FILE]: the timeline of a recording drawn
// on an image and saved, with no display. Needs a QGuiApplication (on any platform, offscreen
// will do) for its fonts. Returns the exit status: 0, or 2 with a one-line message.
namespace timeline {

int savePicture(const reports::Request& request);

} // namespace timeline
