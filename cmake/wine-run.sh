#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine, quietly: the CMAKE_CROSSCOMPILING_EMULATOR
# of cmake/mingw-w64-x86_64.cmake. Without WINEDEBUG=-all, Debian's wine
# script and Wine itself write notes to stderr that would mix with the
# program's own output. WINEPREFIX, when set, is passed through (CTest sets
# it to a prefix inside the build folder); otherwise Wine uses ~/.wine.
WINEDEBUG=-all
# No Mono or Gecko: a console program needs neither, and asking to install
# them would wait for a person. No winemenubuilder: it would write menu
# entries and file associations into the user's home.
WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEDEBUG WINEDLLOVERRIDES
exec "${CLIP2C_WINE:-wine}" "$@"
