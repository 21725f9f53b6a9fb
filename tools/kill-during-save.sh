#!/usr/bin/env bash
# Kills kaviraob-cli with SIGKILL during the save of a `read all`, again and again, and counts what
# each kill left of the three data files: all old, all new, or a mixed set; and how many temporary
# files (.kaviraob-PID-N) lay in the folder. Not part of the test suite: run it by hand.
#
# The save is slowed down by a preload library (tools/slow_fsync_shim.cpp, built as
# tools/libslow_fsync_shim.so) that makes every fsync() wait, as on a slow disk, and marks the start
# of the save; each kill lands at a random moment within the save. The program itself is unchanged.
#
# Usage: tools/kill-during-save.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR            the build with src/cli/kaviraob-cli and the library (default build/default)
#   RUNS                 how many kills (default 100)
#   KAVIRA_CLI           another kaviraob-cli to measure, e.g. an older build (default BUILD_DIR's)
#   KAVIRA_SLOW_FSYNC_MS how long each fsync() waits (default 40)
set -euo pipefail

build=${1:-build/default}
runs=${2:-100}
cli=$(realpath "${KAVIRA_CLI:-$build/src/cli/kaviraob-cli}")
sim_cli=$(realpath "$build/src/cli/kaviraob-cli")
shim=$(realpath "$build/tools/libslow_fsync_shim.so")
delay=${KAVIRA_SLOW_FSYNC_MS:-40}

work=$(mktemp -d)
sim=
cleanup() {
  [[ -n $sim ]] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$sim_cli" simulate --demo --no-pacing >"$work/sim.out" 2>/dev/null &
sim=$!
for _ in $(seq 100); do
  [[ -s $work/sim.out ]] && break
  sleep 0.05
done
port=$(head -n 1 "$work/sim.out")

# The new files: one whole read that is not killed. The old ones: the same sizes, all zero.
mkdir "$work/new" "$work/old" "$work/run"
"$sim_cli" -q --port "$port" read all --image "$work/new/show"
for ext in K3s K3p K3m; do
  head -c "$(stat -c %s "$work/new/show.$ext")" /dev/zero >"$work/old/show.$ext"
done

all_old=0 all_new=0 mixed=0 other=0 most_temporaries=0
for run in $(seq "$runs"); do
  cp "$work/old/"show.* "$work/run/"
  rm -f "$work/mark"
  LD_PRELOAD=$shim KAVIRA_SLOW_FSYNC_MS=$delay KAVIRA_SLOW_MARK=$work/mark \
    "$cli" -q --port "$port" read all --image "$work/run/show" 2>/dev/null &
  pid=$!
  while [[ ! -e $work/mark ]] && kill -0 "$pid" 2>/dev/null; do
    sleep 0.002
  done
  # Anywhere within the save: up to six slowed fsync() calls (a file and its folder, three times).
  sleep "$(printf '0.%03d' $((RANDOM % (6 * delay))))"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true

  state=
  for ext in K3s K3p K3m; do
    if cmp -s "$work/run/show.$ext" "$work/new/show.$ext"; then
      state+=n
    elif cmp -s "$work/run/show.$ext" "$work/old/show.$ext"; then
      state+=o
    else
      state+=?
    fi
  done
  case $state in
    ooo) all_old=$((all_old + 1)) ;;
    nnn) all_new=$((all_new + 1)) ;;
    *\?*) other=$((other + 1)); echo "run $run: a damaged file ($state)" ;;
    *) mixed=$((mixed + 1)); echo "run $run: mixed set ($state)" ;;
  esac
  temporaries=$(find "$work/run" -maxdepth 1 -name '.kaviraob-*' | wc -l)
  ((temporaries > most_temporaries)) && most_temporaries=$temporaries
done
left=$(find "$work/run" -maxdepth 1 -name '.kaviraob-*' | wc -l)
bytes=$(find "$work/run" -maxdepth 1 -name '.kaviraob-*' -printf '%s\n' | awk '{s += $1} END {print s + 0}')

# One more save, not killed, into the same folder.
"$cli" -q --port "$port" read all --image "$work/run/show"
after=$(find "$work/run" -maxdepth 1 -name '.kaviraob-*' | wc -l)

echo "kills during the save: $runs (each fsync() slowed by $delay ms)"
echo "  all three files old: $all_old"
echo "  all three files new: $all_new"
echo "  mixed sets:          $mixed"
echo "  damaged files:       $other"
echo "temporary files: at most $most_temporaries after a kill; $left ($bytes bytes) after the last kill;" \
  "$after after one more save"
