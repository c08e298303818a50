#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the asan preset (ASan + UBSan, no recovery) in build-asan/ and runs
# the whole test suite under it. Fails when a test fails or any sanitizer
# wrote a report, also from a child process whose output a test swallowed.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build="$repo/build-asan"
reports="$build/sanitizer-reports"

cmake --preset asan
cmake --build --preset asan

rm -rf "$reports"
mkdir -p "$reports"
# The preset's options, plus a log path: every report also lands in a file.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"

status=0
# The integration tests build other projects and packages; the native suite
# runs them, and they would only test the compiler under the sanitizers.
ctest --test-dir "$build" --output-on-failure --label-exclude integration || status=$?

if compgen -G "$reports/*" > /dev/null; then
  echo "sanitizer reports:" >&2
  cat "$reports"/* >&2
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "test-sanitize: FAILED" >&2
fi
exit "$status"
