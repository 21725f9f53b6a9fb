// A small but plausible show for demonstrations and manual testing: chases, colour washes and static
// looks in a few programs, with speeds, fades, end scenes, collections, MIDI keys and special keys.
#pragma once

#include <memory>

#include "model/controller_image.h"
#include "sim/sim_controller.h"

namespace kavira {

// Replaces the whole image with the demonstration show.
void FillDemoShow(ControllerImage& image);

// A simulated controller whose memory holds the demonstration show.
std::unique_ptr<SimController> DemoController(SimOptions options = {});

}  // namespace kavira
