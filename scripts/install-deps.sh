#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, with apt-get, whichever of the packages the build and the test
# suites need is missing, and generates the locale ja_JP.UTF-8 when it is
# missing. Does nothing when all are there.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

packages=(
  cmake g++ make python3          # native build and the end-to-end runner
  ninja-build git                 # the consumer project's builds; the quick start's clean copy
  groff-base dpkg-dev             # the manual page's check; the .deb's library dependencies
  locales                         # locale sources: the console tests' UTF-8 terminal, the Windows suite's ja_JP.UTF-8
  googletest libgtest-dev         # unit tests; googletest's source also serves the Windows build
  clang libclang-rt-14-dev        # fuzzing and the sanitizer build
  libbenchmark-dev                # the text builder's benchmark
  g++-mingw-w64-x86-64 wine wine64  # the Windows build and its suite under Wine
  lintian                         # the .deb's check
  gcc-arm-none-eabi               # bare-metal Cortex-M firmware in the consumer test
  gcc-avr binutils-avr avr-libc   # the AVR firmware check (arrays in flash)
  arduino-builder arduino-core-avr arduino-ctags simavr libsimavr-dev  # the Arduino sketch, built and run in a simulated Uno
  clang-format-14 clang-tidy-14   # scripts/lint.sh
  gcovr                           # scripts/coverage.sh
  shellcheck                      # scripts/lint.sh
  emscripten nodejs npm chromium  # the browser page (scripts/build-web.sh) and its test (scripts/test-web.sh)
  firefox-esr                     # the same page test in Firefox
  espeak-ng sox libsox-fmt-mp3    # the browser test's spoken clips, and MP3 from sox
  ffmpeg                          # IMA ADPCM: its encoders measured against ours, its reading of our WAV
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  # NodeSource's nodejs carries its own npm and conflicts with Debian's.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root, or install them with sudo apt-get install)" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Windows suite runs Wine in the locale ja_JP.UTF-8, which gives the
# Japanese ANSI code page (932). The locales package holds its source;
# localedef adds it to the system's locale archive.
if ! locale -a 2>/dev/null | grep -ix 'ja_JP\.utf-\?8' >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing locale: ja_JP.UTF-8 (run as root, or: sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)" >&2
    exit 1
  fi
  echo "generating the locale ja_JP.UTF-8"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
