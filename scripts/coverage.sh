#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures line and branch coverage of the product code (app/, input/,
# csource/, platform/, the engine in board/ and sound/, and web/'s exports
# as the unit tests build them)
# under the native test suite, with GCC's gcov and gcovr. Builds the coverage
# preset in build-coverage/, runs the native tests but the integration ones,
# and ends with a table of each file's lines (the missed ones listed) and
# gcovr's summary: its "lines:" and "branches:" lines come last. The
# integration tests (packages, the consumer projects, the quick start) build
# other projects and reach no line or branch the others miss; the native
# suite of scripts/test-all.sh runs them. Fails when a test fails, or when
# lines fall below 99 % or branches below 90 % (throw branches left out:
# they are the compiler's, not decisions of the code). A detailed HTML
# report is left in build-coverage/coverage/index.html.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build="$repo/build-coverage"

command -v gcovr >/dev/null || { echo "coverage.sh: gcovr is missing: install gcovr" >&2; exit 1; }

cmake --preset coverage >/dev/null
cmake --build --preset coverage

# Counters from earlier runs would be added to this one's.
find "$build" -name '*.gcda' -delete
# One hostile case runs the tool as the user nobody, whose instrumented exit
# must add to the counters that root's runs create. Run the tool once here so
# that every counter file of the executable exists, then let anyone write
# them; otherwise that run would report on its error stream that it cannot.
"$build/clip2c" /? >/dev/null || true
find "$build" -name '*.gcda' -exec chmod a+rw {} +

status=0
ctest --preset coverage --label-exclude integration || status=$?

mkdir -p "$build/coverage"
gcovr --root "$repo" \
  --filter "$repo/app/" --filter "$repo/input/" --filter "$repo/csource/" --filter "$repo/platform/" \
  --filter "$repo/board/" --filter "$repo/sound/" --filter "$repo/web/" \
  --exclude-throw-branches \
  --html-details "$build/coverage/index.html" --txt - \
  --fail-under-line 99 --fail-under-branch 90 \
  --print-summary \
  "$build" || status=$?
exit "$status"
