#!/usr/bin/env bash
# Installs what is missing, builds, and starts KaviraOB with a simulated controller attached.
# Without a display it runs the same job headless: a simulated controller is read into files and
# verified against them by kaviraob-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset default
cmake --build --preset default
bin=build/default/src
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/ui/kaviraob" ]; then
  exec "$bin/ui/kaviraob" --simulate "$@"
fi
echo "No display found: running the headless demonstration with kaviraob-cli instead."
exec ./scripts/demo-headless.sh "$bin/cli/kaviraob-cli"
