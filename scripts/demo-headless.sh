#!/usr/bin/env bash
# Starts a simulated controller, reads everything from it into files, then verifies it against them.
set -euo pipefail
cli=${1:-build/default/src/cli/kaviraob-cli}
out=$(mktemp -d)
"$cli" simulate --demo --no-pacing >"$out/sim.out" 2>"$out/sim.err" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$out/sim.out" ] && break; sleep 0.1; done
port=$(head -n 1 "$out/sim.out")
echo "Simulated controller on $port"
"$cli" --port "$port" version
"$cli" --port "$port" read all --image "$out/show"
ls -l "$out"/show.K3?
"$cli" --port "$port" verify all --image "$out/show"
echo "Files kept in $out"
