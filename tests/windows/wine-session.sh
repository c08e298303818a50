#!/bin/sh
# SPDX-License-Identifier: MIT
# Starts and stops the Wine session that the Windows test suite runs in; the
# CTest fixtures of tests/CMakeLists.txt call it before and after the tests.
#
#   WINEPREFIX=DIR LANG=ja_JP.UTF-8 wine-session.sh start
#       checks the locale, creates the prefix if need be, starts Wine
#   WINEPREFIX=DIR wine-session.sh stop
#       ends that prefix's Wine server
#
# Why a session: the first Wine program of a prefix starts Wine's own
# background programs (services.exe, explorer.exe, ...), which inherit its
# standard output. A test that reads the program's output through a pipe then
# waits for them to end too, some two seconds a run. Started here once, with
# their output on /dev/null, and kept by a persistent Wine server, they are
# already there for every test, and a run takes a few hundredths of a second.
#
# Wine programs run through cmake/wine-run.sh, the tests' emulator, which
# sets Wine's environment: no display, no Mono or Gecko offered, nothing
# written outside the prefix. Every Wine command here has a time limit, so
# nothing waits for a person. wineserver itself needs only WINEPREFIX.
set -eu

: "${WINEPREFIX:?set WINEPREFIX to the prefix to use}"
export WINEPREFIX
wine_run="$(dirname "$0")/../../cmake/wine-run.sh"

fail() { echo "wine-session.sh: $*" >&2; exit 1; }

case "${1:-}" in
start)
  command -v wine >/dev/null || fail "wine is missing: install wine and wine64"
  command -v wineserver >/dev/null || fail "wineserver is missing: install wine and wine64"
  # Wine reads the command line and the Unix file names in the locale's
  # character set and takes the ANSI code page from the locale: the suite's
  # Japanese file names need the UTF-8 locale CTest names in LANG (ja_JP.UTF-8,
  # code page 932). A locale glibc lacks would leave Wine in another code page.
  wanted=${LC_ALL:-${LC_CTYPE:-${LANG:-C}}}
  [ "$(locale charmap 2>/dev/null)" = UTF-8 ] ||
    fail "the locale '$wanted' is not a UTF-8 locale this machine has (see locale -a)." \
         "The suite runs under ja_JP.UTF-8 (ctest sets LANG): generate it as root with" \
         "'localedef -i ja_JP -f UTF-8 ja_JP.UTF-8' (scripts/install-deps.sh does)."
  log="$WINEPREFIX.log"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # wineboot's notes (a missing 32-bit rundll32 among them, harmless for
    # 64-bit programs) go to the log, shown only when it fails.
    if ! timeout 300 sh "$wine_run" wineboot.exe --init </dev/null >"$log" 2>&1 ||
       ! timeout 120 wineserver -w </dev/null >>"$log" 2>&1; then
      cat "$log" >&2
      fail "wineboot --init failed or timed out"
    fi
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot did not create $WINEPREFIX"
  fi
  # A server left from an earlier run of this prefix may be about to exit:
  # start afresh with one that stays until 'stop'. Wine takes the code page
  # from the locale at every start, so a prefix made under another locale
  # serves as well.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  wineserver -p </dev/null >/dev/null 2>&1 || fail "could not start the Wine server"
  timeout 120 sh "$wine_run" cmd.exe /c exit </dev/null >"$log" 2>&1 || {
    cat "$log" >&2
    fail "Wine could not start a program in $WINEPREFIX"
  }
  echo "Wine session running in $WINEPREFIX (locale $wanted)"
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
