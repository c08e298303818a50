#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Preparing 3 minutes of 44.1 kHz 16-bit stereo for 8000 Hz, the whole
# command beside sox doing the same job:
#   clip2c-board --target c --rate 8000 -o out.h in.wav
#   sox -D in.wav -r 8000 -b 8 -e unsigned -c 1 out.wav rate -v
# Builds clip2c-board and the resampler's own timing in
# build-resample-bench/, makes the clip with sox (a sweep and noise), runs
# the two in alternation PAIRS times (7 by default), prints both medians
# and their ratio and each one's peak resident memory (/usr/bin/time -f %M),
# then the resampler alone (clip2c_resample_bench). Exits 1 when the
# median of the paired ratios (clip2c-board / sox, run by run) is above 1.
#
#   bash bench/resample-bench.sh           # PAIRS=7; needs sox, python3, /usr/bin/time
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-resample-bench"
pairs="${PAIRS:-7}"

for tool in sox python3 /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "resample-bench.sh needs $tool" >&2; exit 1; }
done

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCLIP2C_BENCH=ON \
  -DCLIP2C_BUILD_TESTS=OFF -DCLIP2C_PAGE=OFF > /dev/null
cmake --build "$build" -j 2 --target clip2c-board clip2c_resample_bench > /dev/null

work="$build/resample"
mkdir -p "$work"
clip="$work/three-minutes.wav"
[ -f "$clip" ] || sox -n -r 44100 -b 16 -c 2 "$clip" synth 180 sine 100-3800 whitenoise vol 0.4 \
  synth 180 sine amod 0.5 remix 1 1

status=0
python3 - "$build/clip2c-board" "$clip" "$work" "$pairs" <<'PY' || status=$?
import statistics, subprocess, sys, time
board, clip, work, pairs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
commands = {
    "clip2c-board": [board, "--target", "c", "--rate", "8000", "-o", work + "/out.h", clip],
    "sox": ["sox", "-D", clip, "-r", "8000", "-b", "8", "-e", "unsigned", "-c", "1", work + "/out.wav",
            "rate", "-v"],
}
times = {name: [] for name in commands}
for _ in range(pairs):
    for name, command in commands.items():
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times[name].append(time.perf_counter() - start)
ratios = [a / b for a, b in zip(times["clip2c-board"], times["sox"])]
for name, command in commands.items():
    done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, text=True)
    memory = int(done.stderr.strip().splitlines()[-1])
    print("%-13s median %6.1f ms (%.1f to %.1f) over %d runs, peak memory %.1f MiB" % (
        name, 1e3 * statistics.median(times[name]), 1e3 * min(times[name]), 1e3 * max(times[name]),
        pairs, memory / 1024))
ours, theirs = statistics.median(times["clip2c-board"]), statistics.median(times["sox"])
print("clip2c-board / sox: %.2f x (median of the paired ratios %.2f x)" % (ours / theirs,
                                                                         statistics.median(ratios)))
sys.exit(0 if statistics.median(ratios) <= 1.0 else 1)
PY
echo
"$build/clip2c_resample_bench"
exit $status
