#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds clip2c, clip2c-board and the test suite for 64-bit Windows
# with MinGW-w64 (warnings as errors) and runs the suite under Wine through
# CTest: among it both tools' end-to-end tables and the .zip's contents.
#
#   scripts/test-windows.sh                    # build folder: build-win
#   BUILD_DIR=/tmp/bw scripts/test-windows.sh
#
# Needs cmake, python3, g++-mingw-w64-x86-64, wine and wine64; it installs
# nothing (scripts/install-deps.sh does). Works as root on a fresh machine
# with no display and no standard input: the Wine prefix lives in the build
# folder and is created without questions by the suite's first fixture
# (tests/windows/wine-session.sh), which also starts the Wine session the
# tests share and stops it when they end. Wine's environment is set by
# cmake/wine-run.sh, the locale (ja_JP.UTF-8, which scripts/install-deps.sh
# generates) by CTest.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build=${BUILD_DIR:-build-win}
case $build in /*) ;; *) build=$repo/$build ;; esac

fail() { echo "test-windows.sh: $*" >&2; exit 1; }

# The tools, checked up front so that a missing one is named plainly.
command -v cmake >/dev/null || fail "cmake is missing"
command -v ctest >/dev/null || fail "ctest is missing"
command -v python3 >/dev/null || fail "python3 is missing (the end-to-end runner needs it)"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null ||
  fail "the MinGW-w64 C++ compiler (x86_64-w64-mingw32-g++-posix) is missing: install g++-mingw-w64-x86-64"
[ -d /usr/src/googletest ] || fail "GoogleTest's source (/usr/src/googletest) is missing: install googletest"
command -v wine >/dev/null || fail "wine is missing: install wine and wine64"
command -v wineboot >/dev/null || fail "wineboot is missing: install wine and wine64"
command -v wineserver >/dev/null || fail "wineserver is missing: install wine and wine64"
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null ||
  fail "wine cannot run 64-bit programs here: install wine64"

# The suite's Wine prefix, inside the build folder.
prefix=$build/wineprefix

start=$SECONDS
cmake -S "$repo" -B "$build" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
  -DCLIP2C_WARNINGS_AS_ERRORS=ON \
  -DCLIP2C_BUILD_TESTS=ON \
  -DCLIP2C_WINEPREFIX="$prefix"
cmake --build "$build" --parallel "$(nproc 2>/dev/null || echo 2)"
built=$SECONDS

# CTest's cleanup fixture stops the Wine session; this covers an interrupted
# run. It ends only this build folder's Wine server.
trap 'WINEPREFIX=$prefix sh "$repo/tests/windows/wine-session.sh" stop' EXIT
status=0
ctest --test-dir "$build" --output-on-failure </dev/null || status=$?
echo "-- Windows build: $((built - start)) s; tests under Wine: $((SECONDS - built)) s"
exit $status
