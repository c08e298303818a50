#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds clip2c for release in build-measure/ and prints, in one table made
# by bench/measure.py, its five cost figures beside their references and
# targets, all on random raw input and for the whole process:
#   1. 8 KB clip, instructions for the whole run       callgrind; reference: an
#                                                      empty static C program
#   2. 8 KB clip, wall time against xxd -i             median of SMALL_PAIRS
#                                                      paired ratios; both
#                                                      write a new file each
#                                                      run (and, for
#                                                      information, overwriting)
#   3. 1 MiB clip, instructions a sample               callgrind
#   4. 32 MiB clip, wall time against cat copying      median of PAIRS paired
#      clip2c's own output into a new file             ratios; both write a
#                                                      new file each run
#   5. 32 MiB clip, peak resident memory               wait4's ru_maxrss
# Figures 3 and 5 are given for signed output too (its widest value text is
# the longer). Then the Google Benchmark of the text builder. Exits 1 when
# any figure misses its target.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
build="$repo/build-measure"
pairs="${PAIRS:-7}"
small_pairs="${SMALL_PAIRS:-41}"

for tool in valgrind xxd python3 cat "${CC:-cc}"; do
  command -v "$tool" > /dev/null || { echo "measure.sh needs $tool" >&2; exit 1; }
done

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCLIP2C_BENCH=ON \
  -DCLIP2C_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null

# The start-up reference: a C program that does nothing, linked statically.
mkdir -p "$build/measure"
printf 'int main(void) { return 0; }\n' > "$build/measure/empty.c"
"${CC:-cc}" -O2 -static -o "$build/measure/empty-static" "$build/measure/empty.c"

echo "machine: $(uname -srm); $(nproc) cores;" \
  "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1);" \
  "THP $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo unknown)"
echo "clip2c: $(file -b "$build/clip2c" 2>/dev/null | cut -d, -f1-4 || true)"

status=0
python3 -u "$repo/bench/measure.py" "$build" "$pairs" "$small_pairs" || status=$?

echo
"$build/clip2c_bench" --benchmark_filter='/(1048576|33554432)$' --benchmark_min_time=0.5
exit "$status"
