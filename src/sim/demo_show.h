// A small but plausible show for demonstrations and manual testing: chases, colour washes and static
// looks in a few programs, with speeds, fades, end scenes, collections, MIDI keys and special keys.
#pragma once

#include "model/controller_image.h"

namespace kavira {

// Replaces the whole image with the demonstration show.
void FillDemoShow(ControllerImage& image);

}  // namespace kavira
