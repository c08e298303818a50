#!/usr/bin/env bash
# Cross-builds clip2c and its test suite for 64-bit Windows with MinGW-w64
# and runs the suite under Wine through CTest.
#
#   scripts/test-windows.sh            # build folder: build-win
#   BUILD_DIR=/tmp/bw scripts/test-windows.sh
#
# Needs g++-mingw-w64-x86-64, wine and wine64 (installed elsewhere; this
# script installs nothing). Works as root on a fresh machine with no display
# and no standard input: the Wine prefix lives inside the build folder and is
# created here, non-interactively, on the first run.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-build-win}
case $build in /*) ;; *) build=$repo/$build ;; esac

fail() { echo "test-windows.sh: $*" >&2; exit 1; }

# The tools, checked up front so that a missing one is named plainly.
command -v cmake >/dev/null || fail "cmake not found"
command -v ctest >/dev/null || fail "ctest not found"
command -v python3 >/dev/null || fail "python3 not found (the end-to-end runner needs it)"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null ||
  fail "the MinGW-w64 C++ compiler (x86_64-w64-mingw32-g++-posix) is missing: install g++-mingw-w64-x86-64"
command -v wine >/dev/null || fail "wine is missing: install wine and wine64"
command -v wineboot >/dev/null || fail "wineboot is missing: install wine and wine64"
command -v wineserver >/dev/null || fail "wineserver is missing: install wine and wine64"
[ -x /usr/lib/wine/wine64 ] || [ -x /usr/lib/wine/wine ] || command -v wine64 >/dev/null ||
  fail "wine cannot run 64-bit programs here: install wine64"

# Wine: quiet, its own prefix inside the build folder, no window and no
# question to anyone (no X display; no Mono or Gecko installer).
export WINEDEBUG=-all
export WINEPREFIX=$build/wineprefix
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

stop_wineserver() {
  # Let this prefix's wineserver end (it lingers a few seconds after the last
  # program); end it if it does not.
  timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
}

start=$SECONDS

cmake -S "$repo" -B "$build" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCLIP2C_WARNINGS_AS_ERRORS=ON
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
built=$SECONDS

trap stop_wineserver EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "-- Creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # wineboot may still be busy after it returns: wait for the server too.
  # Its notes (such as the missing 32-bit rundll32, harmless here) go to a
  # log that is shown only when it fails.
  log=$build/wineboot.log
  if ! timeout 300 wineboot --init </dev/null >"$log" 2>&1 ||
     ! timeout 120 wineserver -w >>"$log" 2>&1; then
    cat "$log" >&2
    fail "wineboot --init failed or timed out (log: $log)"
  fi
  [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot did not create the prefix $WINEPREFIX"
fi

status=0
ctest --test-dir "$build" --output-on-failure </dev/null || status=$?
echo "-- Windows build: $((built - start)) s; Wine prefix and tests: $((SECONDS - built)) s"
exit $status
