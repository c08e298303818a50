#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the house style and runs the static analysis, with Debian 12's
# clang-format-14 and clang-tidy-14:
#   - every C and C++ file of the tree must be formatted as .clang-format says;
#   - the product sources (app/, input/, csource/, platform/) must be clean
#     under .clang-tidy, natively and, when the MinGW-w64 compiler is there,
#     platform_win32.cpp for the Windows target.
# Exits non-zero on any finding. Build folders: build-lint, build-lint-win.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

fail() { echo "lint.sh: $*" >&2; exit 1; }
command -v clang-format-14 >/dev/null || fail "clang-format-14 is missing: install clang-format-14"
command -v clang-tidy-14 >/dev/null || fail "clang-tidy-14 is missing: install clang-tidy-14"

status=0

echo "== clang-format"
mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
if ! clang-format-14 --dry-run --Werror "${sources[@]}"; then
  echo "lint.sh: formatting differs; run: clang-format-14 -i <file>" >&2
  status=1
fi

echo "== clang-tidy (native)"
product=(app/*.cpp input/*.cpp csource/*.cpp platform/platform_posix.cpp)
cmake -S . -B build-lint -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
clang-tidy-14 -p build-lint --quiet "${product[@]}" || status=1

if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "== clang-tidy (Windows, MinGW-w64)"
  cmake -S . -B build-lint-win -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
  # clang parses for the MinGW target with MinGW's own C++ library and
  # Windows headers (the ones g++ searches), and its own compiler headers.
  extra=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
  while read -r dir; do
    extra+=("--extra-arg=-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 |
           sed -n '/#include <...> search starts here:/,/End of search list./s/^ //p' |
           grep -E 'c\+\+|mingw32/include$')
  clang-tidy-14 -p build-lint-win --quiet "${extra[@]}" platform/platform_win32.cpp || status=1
else
  echo "== clang-tidy (Windows): skipped, no MinGW-w64 compiler"
fi

if [ "$status" -ne 0 ]; then
  echo "lint.sh: FAILED" >&2
else
  echo "lint.sh: clean"
fi
exit "$status"
