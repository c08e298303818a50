#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The test command: builds and runs every suite, in this order, and stops at
# the first that fails:
#   install-deps    scripts/install-deps.sh: any missing package, as root
#   lint            scripts/lint.sh: format, clang-tidy, shellcheck
#   native          the native build (warnings as errors) in build/ and its
#                   whole suite: unit tables, end-to-end cases, and the
#                   integration tests (install, CMake package, consumer
#                   projects and firmware, packages and lintian, the man
#                   page, the README's quick start)
#   web             scripts/test-web.sh: the browser page in headless Chromium
#   sanitize        scripts/test-sanitize.sh: ASan + UBSan, all but the
#                   integration tests
#   windows         scripts/test-windows.sh: the MinGW-w64 build, its suite
#                   under Wine in code page 932 and its .zip package
#   coverage        scripts/coverage.sh: an instrumented build, all but the
#                   integration tests, gcovr's thresholds
#   fuzz            scripts/fuzz.sh: a bounded libFuzzer run
# Ends with each one's time. CI runs exactly this (.ci/run).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

# Each suite's time, shown at the end, also when one fails. (No "||" here:
# it would turn set -e off inside the function a step runs.)
times=()
running=""
step() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  running=$name
  "$@"
  running=""
  times+=("$(printf '%-13s %5d s' "$name" $((SECONDS - start)))")
}
trap 'printf "%s\n" "${times[@]}"; [ -z "$running" ] || echo "test-all.sh: $running FAILED" >&2' EXIT

native() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCLIP2C_WARNINGS_AS_ERRORS=ON -DCLIP2C_BUILD_TESTS=ON
  cmake --build build -j "$(nproc)"
  ctest --test-dir build --output-on-failure
}

step install-deps bash scripts/install-deps.sh
step lint bash scripts/lint.sh
step native native
step web bash scripts/test-web.sh
step sanitize bash scripts/test-sanitize.sh
step windows bash scripts/test-windows.sh
step coverage bash scripts/coverage.sh
step fuzz bash scripts/fuzz.sh

echo "== all suites passed"
