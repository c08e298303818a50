#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs, with apt-get, whichever of the packages the build and the test
# suites need is missing. Does nothing when all are there.
set -euo pipefail

packages=(
  cmake g++ make python3          # native build and the end-to-end runner
  ninja-build git                 # the consumer project's builds; the quick start's clean copy
  groff-base dpkg-dev             # the manual page's check; the .deb's library dependencies
  locales                         # locale sources for the console tests under a UTF-8 terminal
  googletest libgtest-dev         # unit tests; googletest's source also serves the Windows build
  clang libclang-rt-14-dev        # fuzzing and the sanitizer build
  libbenchmark-dev                # the text builder's benchmark
  g++-mingw-w64-x86-64 wine wine64  # the Windows build and its suite under Wine
  lintian                         # the .deb's check
  gcc-arm-none-eabi libnewlib-arm-none-eabi  # bare-metal Cortex-M firmware in the consumer test
  gcc-avr binutils-avr avr-libc   # the AVR firmware check (arrays in flash)
  clang-format-14 clang-tidy-14   # scripts/lint.sh
  gcovr                           # scripts/coverage.sh
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root, or install them with sudo apt-get install)" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
