#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a
# bounded time (FUZZ_SECONDS, 30 by default) from the generated seeds. Fails
# on the first crash, sanitizer report or broken invariant; the input that
# caused it is left in build-fuzz/findings/. The engine's arithmetic inner
# loops are built without coverage feedback (fuzz/coverage_ignore.txt says
# which and why).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build="$repo/build-fuzz"
seconds="${FUZZ_SECONDS:-30}"

CC=clang CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLIP2C_FUZZ=ON -DCLIP2C_BUILD_TESTS=OFF -DCLIP2C_PAGE=OFF \
  -DCLIP2C_WARNINGS_AS_ERRORS=ON
cmake --build "$build"

mkdir -p "$build/findings"
for target in wave convert engine; do
  # New inputs go to corpus/; the seeds stay as the generator wrote them.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  if ! "$build/fuzz_$target" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" "$corpus" "$build/fuzz-seeds/$target"; then
    echo "fuzz_$target: finding, see $build/findings/" >&2
    exit 1
  fi
done
echo "fuzz: no finding"
