#!/bin/sh
# SPDX-License-Identifier: MIT
# Starts and stops the Wine session that the Windows test suite runs in; the
# CTest fixtures of tests/CMakeLists.txt call it before and after the tests.
#
#   WINEPREFIX=DIR wine-session.sh start   # create the prefix if need be, start Wine
#   WINEPREFIX=DIR wine-session.sh stop    # end that prefix's Wine server
#
# Why a session: the first Wine program of a prefix starts Wine's own
# background programs (services.exe, explorer.exe, ...), which inherit its
# standard output. A test that reads the program's output through a pipe then
# waits for them to end too, some two seconds a run. Started here once, with
# their output on /dev/null, and kept by a persistent Wine server, they are
# already there for every test, and a run takes a few hundredths of a second.
#
# Nothing here waits for a person: no display is used, Mono and Gecko are not
# offered, and every Wine command has a time limit. Nothing is written outside
# the prefix (winemenubuilder, which fills ~/.local with menu entries, is off).
set -eu

: "${WINEPREFIX:?set WINEPREFIX to the prefix to use}"
export WINEPREFIX
WINEDEBUG=-all
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY WAYLAND_DISPLAY

fail() { echo "wine-session.sh: $*" >&2; exit 1; }

case "${1:-}" in
start)
  command -v wine >/dev/null || fail "wine is missing: install wine and wine64"
  command -v wineserver >/dev/null || fail "wineserver is missing: install wine and wine64"
  log="$WINEPREFIX.log"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # wineboot's notes (a missing 32-bit rundll32 among them, harmless for
    # 64-bit programs) go to the log, shown only when it fails.
    if ! timeout 300 wineboot --init </dev/null >"$log" 2>&1 ||
       ! timeout 120 wineserver -w </dev/null >>"$log" 2>&1; then
      cat "$log" >&2
      fail "wineboot --init failed or timed out"
    fi
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot did not create $WINEPREFIX"
  fi
  # A server left from an earlier run of this prefix may be about to exit:
  # start afresh with one that stays until 'stop'.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1 || fail "could not start the Wine server"
  timeout 120 wine cmd.exe /c exit </dev/null >"$log" 2>&1 || {
    cat "$log" >&2
    fail "Wine could not start a program in $WINEPREFIX"
  }
  echo "Wine session running in $WINEPREFIX"
  ;;
stop)
  # Ends this prefix's server and the programs in it; never another prefix's.
  if command -v wineserver >/dev/null; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
  fi
  ;;
*)
  fail "usage: wine-session.sh start|stop"
  ;;
esac
