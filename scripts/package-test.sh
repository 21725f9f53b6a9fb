#!/usr/bin/env bash
# Checks the Debian package the way a distribution does, then runs the programs from it. Builds the
# package from a configured and built folder with cpack, validates its desktop entry and AppStream data,
# runs lintian, checks that this system satisfies its dependencies, unpacks it into a clean folder tree
# and starts kaviraob-cli and kaviraob (with its simulated controller, on the offscreen platform) from
# there. On a throw-away CI machine (CI=true, as root) it installs the package into the system with
# dpkg -i instead, runs the programs from /usr/bin and purges the package afterwards; elsewhere nothing
# is installed into the system.
#   scripts/package-test.sh [BUILD_DIR]        (default build/ci)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/ci}
work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "package-test: $*" >&2
  exit 1
}
step() { echo "== $*"; }

step "Building the package"
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$build"/package/kaviraob_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then fail "expected one kaviraob_*.deb in $build/package"; fi
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
echo "$deb: $(stat -c %s "$deb") bytes, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"

step "Unpacking into a clean folder tree"
root=$work/root
dpkg-deb -x "$deb" "$root"
# One application id names the metainfo, the desktop entry, the icons and the window program's
# desktop file name.
metainfos=("$root"/usr/share/metainfo/*.metainfo.xml)
if [ ${#metainfos[@]} -ne 1 ] || [ ! -f "${metainfos[0]}" ]; then fail "expected one metainfo file"; fi
id=$(basename "${metainfos[0]}" .metainfo.xml)
for f in usr/bin/kaviraob usr/bin/kaviraob-cli \
  usr/share/man/man1/kaviraob.1.gz usr/share/man/man1/kaviraob-cli.1.gz \
  "usr/share/applications/$id.desktop" \
  "usr/share/icons/hicolor/48x48/apps/$id.png" "usr/share/icons/hicolor/128x128/apps/$id.png" \
  "usr/share/icons/hicolor/256x256/apps/$id.png" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
  usr/share/doc/kaviraob/copyright usr/share/doc/kaviraob/changelog.Debian.gz; do
  [ -s "$root/$f" ] || fail "the package lacks /$f"
done
grep -q "<id>$id</id>" "${metainfos[0]}" || fail "the metainfo's id is not $id"
# grep reads to the end (no -q): with pipefail, strings killed by a grep that stopped early would fail.
strings -e l "$root/usr/bin/kaviraob" | grep -xF "$id" >/dev/null || fail "kaviraob does not name its desktop file $id"
echo "application id $id"

step "desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
step "appstreamcli validate"
# The addresses are the maker's; they are not fetched.
appstreamcli validate --no-net "${metainfos[0]}"
appstreamcli validate-tree --no-net "$root"

step "lintian"
lintian --fail-on error "$deb"

step "Dependencies"
# What dpkg -i would check: every dependency is installed already (apt's resolver, nothing changed).
apt-get satisfy --simulate "$(dpkg-deb -f "$deb" Depends)" >"$work/satisfy.log" 2>&1 ||
  { cat "$work/satisfy.log"; fail "the dependencies cannot be satisfied"; }
if grep '^Inst ' "$work/satisfy.log"; then fail "dependencies above are not installed"; fi
echo "all installed"

step "Running the programs from the package"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
bin=$root/usr/bin
if [ "${CI:-}" = true ] && [ "$(id -u)" -eq 0 ] && ! dpkg-query -W kaviraob >/dev/null 2>&1; then
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
  installed=yes
  trap 'cleanup; dpkg --purge kaviraob >/dev/null 2>&1 || true' EXIT
  bin=/usr/bin
  [ "$(command -v kaviraob-cli)" = /usr/bin/kaviraob-cli ] || fail "kaviraob-cli is not on PATH after dpkg -i"
  echo "installed with dpkg -i; running from /usr/bin"
fi
upstream=${version%-*}
[ "$("$bin/kaviraob-cli" --version)" = "kaviraob-cli $upstream" ] || fail "kaviraob-cli --version is wrong"
[ "$("$bin/kaviraob" --version)" = "kaviraob $upstream" ] || fail "kaviraob --version is wrong"
echo "kaviraob-cli --version, kaviraob --version: $upstream"

# kaviraob has no way to end by itself once started. It has started well when it still runs with its
# simulated controller (the pseudo-terminal's master, /dev/ptmx) and with the port its search found
# that controller on (a /dev/pts/N) open. A failed search closes the port and shows a box; a crash,
# a missing library, plugin or picture ends it or writes to standard error. Then it is ended with
# SIGTERM, which it may also answer by quitting cleanly.
"$bin/kaviraob" --simulate </dev/null >"$work/kaviraob.out" 2>"$work/kaviraob.err" &
pid=$!
holds() {
  local fds
  fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 -printf '%l\n' 2>/dev/null) || return 1
  grep -qx /dev/ptmx <<<"$fds" && grep -q '^/dev/pts/[0-9]*$' <<<"$fds"
}
started=""
for _ in $(seq 300); do  # up to 30 s on a loaded machine
  kill -0 "$pid" 2>/dev/null || break
  if holds; then
    started=yes
    break
  fi
  sleep 0.1
done
if [ -n "$started" ]; then
  sleep 1  # the version query runs; it must stay up and keep the port
  kill -0 "$pid" 2>/dev/null && holds || started=""
fi
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
pid=""
unexpected=$(grep -v -e '^This plugin does not support ' "$work/kaviraob.err" || true)
if [ -z "$started" ] || { [ "$status" -ne 143 ] && [ "$status" -ne 0 ]; } || [ -n "$unexpected" ]; then
  cat "$work/kaviraob.out" "$work/kaviraob.err" >&2
  fail "kaviraob --simulate did not start well (exit status $status)"
fi
echo "kaviraob --simulate started, found its simulated controller and ran until ended"
if [ -n "${installed:-}" ]; then
  dpkg --purge kaviraob >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge failed"; }
  [ ! -e /usr/bin/kaviraob ] || fail "dpkg --purge left /usr/bin/kaviraob behind"
fi
step "Package test passed"
