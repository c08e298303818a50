#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the house style and runs the static analysis:
#   - every C and C++ file of the tree must be formatted as .clang-format says
#     (Debian 12's clang-format-14);
#   - the product sources (app/, input/, csource/, platform/, and the
#     engine: board/ and sound/) must be clean
#     under .clang-tidy (clang-tidy-14), natively and, when the MinGW-w64
#     compiler is there, platform_win32.cpp for the Windows target;
#   - every tracked shell script (*.sh, and any file whose first line names
#     a shell) must be clean under shellcheck at its default severity.
# Prints findings only. Exits non-zero on any finding, and when a file list
# comes back empty (nothing checked is no pass). Build folders: build-lint,
# build-lint-win.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

fail() { echo "lint.sh: $*" >&2; exit 1; }
for tool in clang-format-14 clang-tidy-14 shellcheck; do
  command -v "$tool" >/dev/null || fail "$tool is missing: install $tool"
done

# Runs clang-tidy-14; prints its output, without the count of warnings it
# suppressed ("N warnings generated."), only when it fails.
tidy() {
  local out
  if out=$(clang-tidy-14 --quiet "$@" 2>&1); then return 0; fi
  grep -v '^[0-9]* warnings\? generated\.$' <<<"$out" >&2 || true
  return 1
}

status=0

echo "== clang-format"
mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
[ ${#sources[@]} -gt 0 ] || fail "git ls-files found no C or C++ file"
if ! clang-format-14 --dry-run --Werror "${sources[@]}"; then
  echo "lint.sh: formatting differs; run: clang-format-14 -i <file>" >&2
  status=1
fi

echo "== clang-tidy (native)"
product=(app/*.cpp input/*.cpp csource/*.cpp platform/platform_posix.cpp platform/large_block_heap.cpp
         board/*.cpp sound/*.cpp)
[ -f "${product[0]}" ] || fail "no product source under app/"
cmake -S . -B build-lint -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
tidy -p build-lint "${product[@]}" || status=1

if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "== clang-tidy (Windows, MinGW-w64)"
  cmake -S . -B build-lint-win --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
  # clang parses for the MinGW target with MinGW's own C++ library and
  # Windows headers (the ones g++ searches), and its own compiler headers.
  extra=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
  while read -r dir; do
    extra+=("--extra-arg=-isystem$dir")
  done < <(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 |
           sed -n '/#include <...> search starts here:/,/End of search list./s/^ //p' |
           grep -E 'c\+\+|mingw32/include$')
  tidy -p build-lint-win "${extra[@]}" platform/platform_win32.cpp || status=1
else
  echo "== clang-tidy (Windows): skipped, no MinGW-w64 compiler"
fi

echo "== shellcheck"
mapfile -t scripts < <({
  git ls-files '*.sh'
  git ls-files | while read -r f; do
    [ -f "$f" ] && head -n 1 "$f" | grep -Eq '^#!.*[/ ](ba|da)?sh( |$)' && echo "$f"
  done
} | sort -u)
[ ${#scripts[@]} -gt 0 ] || fail "git ls-files found no shell script"
shellcheck "${scripts[@]}" || status=1

if [ "$status" -ne 0 ]; then
  echo "lint.sh: FAILED" >&2
else
  echo "lint.sh: clean"
fi
exit "$status"
