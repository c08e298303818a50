#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# fuzz_engine's speed in inputs a minute, run as scripts/fuzz.sh runs it
# (its build in build-fuzz/, -max_len=8192, the generated seeds) but each
# time from an empty corpus of its own, RUNS times (3 by default) for
# RUN_SECONDS each (60). Prints each run's inputs a minute of wall time and of
# CPU time (user + system, /usr/bin/time) with the load average, then the
# medians. Exits 1 when the median a CPU minute is below 200,000; the wall
# figure follows whatever else the machine runs.
#
#   bash scripts/fuzz.sh                 # builds build-fuzz/ (FUZZ_SECONDS=1 is enough)
#   bash bench/fuzz-bench.sh             # RUNS=3 RUN_SECONDS=60; needs python3, /usr/bin/time
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-fuzz"
runs="${RUNS:-3}"
seconds="${RUN_SECONDS:-60}"
[ -x "$build/fuzz_engine" ] || { echo "fuzz-bench.sh: no $build/fuzz_engine; run scripts/fuzz.sh first" >&2; exit 1; }
for tool in python3 /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "fuzz-bench.sh needs $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for run in $(seq "$runs"); do
  corpus="$work/corpus-$run"
  mkdir -p "$corpus"
  /usr/bin/time -f "time %U %S %e" -o "$work/time-$run" "$build/fuzz_engine" -max_total_time="$seconds" \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/finding-$run-" "$corpus" \
    "$build/fuzz-seeds/engine" > "$work/log-$run" 2>&1 || { cat "$work/log-$run" >&2; exit 1; }
  cut -d ' ' -f 1 /proc/loadavg > "$work/load-$run"
done

python3 - "$work" "$runs" <<'PY'
import statistics, sys
work, runs = sys.argv[1], int(sys.argv[2])
wall, cpu = [], []
for run in range(1, runs + 1):
    log = open(f"{work}/log-{run}").read()
    units = int(log.split("stat::number_of_executed_units:")[1].split()[0])
    _, user, system, elapsed = open(f"{work}/time-{run}").read().split()
    load = open(f"{work}/load-{run}").read().strip()
    wall.append(units * 60 / float(elapsed))
    cpu.append(units * 60 / (float(user) + float(system)))
    print(f"run {run}: {units} inputs, {wall[-1]:,.0f} a minute, {cpu[-1]:,.0f} a CPU minute (load {load})")
print(f"median: {statistics.median(wall):,.0f} inputs a minute, {statistics.median(cpu):,.0f} a CPU minute")
sys.exit(0 if statistics.median(cpu) >= 200000 else 1)
PY
