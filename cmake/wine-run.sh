#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine, quietly, and never waits for a person:
#
#   cmake/wine-run.sh PROGRAM.exe [ARGUMENT...]
#
# It is the CMAKE_CROSSCOMPILING_EMULATOR of cmake/mingw-w64-x86_64.cmake,
# and the one place that sets Wine's environment: the test suite's Wine
# session (tests/windows/wine-session.sh) runs its Wine programs through it
# too. WINEPREFIX, when set, is passed through (CTest sets it to a prefix
# inside the build folder); otherwise Wine uses ~/.wine. So is the locale,
# from which Wine takes the ANSI code page (the test suite runs under
# ja_JP.UTF-8: code page 932).
#
# Without WINEDEBUG=-all, Debian's wine script and Wine itself write notes to
# stderr that would mix with the program's own output.
WINEDEBUG=-all
# No Mono or Gecko: a console program needs neither, and asking to install
# them would wait for a person. No winemenubuilder: it would write menu
# entries and file associations into the user's home.
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES
# No window either: the programs are console programs, and with a display
# the first start in a new prefix would show a dialog while it sets it up.
unset DISPLAY WAYLAND_DISPLAY
exec "${CLIP2C_WINE:-wine}" "$@"
