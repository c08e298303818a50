#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and runs every suite: the format and static-analysis check, the
# native build (warnings as errors) with the integration tests (install,
# CMake package, consumer projects and firmware, packages and lintian, the
# README's quick start), the sanitizer build, the Windows build under Wine
# in code page 932 (with its .zip package), the coverage run with its
# thresholds, and a bounded fuzzing run.
# Exits non-zero when any of them fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== format and static analysis"
bash scripts/lint.sh

echo "== native build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCLIP2C_WARNINGS_AS_ERRORS=ON -DCLIP2C_BUILD_TESTS=ON
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure

echo "== sanitizer build and tests"
bash scripts/test-sanitize.sh

echo "== Windows build and tests under Wine"
bash scripts/test-windows.sh

echo "== coverage"
bash scripts/coverage.sh

echo "== fuzzing"
bash scripts/fuzz.sh

echo "== all suites passed"
