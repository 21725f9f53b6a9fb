// Systems without pseudo-terminals (Windows): there is nothing to serve a simulated controller on.
#include "platform/pty_simulator.h"

namespace kavira {

bool PtySimulator::Available() {
  return false;
}

std::unique_ptr<PtySimulator> PtySimulator::Start(std::unique_ptr<SimController>, std::string* error,
                                                  std::function<void()>, std::optional<AdapterModel>) {
  if (error != nullptr) *error = "this system has no pseudo-terminals";
  return nullptr;
}

PtySimulator::~PtySimulator() = default;

void PtySimulator::stop() {}

void PtySimulator::serve() {}

}  // namespace kavira
