#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Encoding IMA ADPCM, the whole command beside sox's encoder on the same
# 8000 Hz 16-bit mono clip:
#   clip2c-board --encoding ima-adpcm --target c -o out.h in.wav
#   sox -D in.wav -e ima-adpcm out.wav
# on 7 seconds of speech (espeak-ng, when it is there) and on 3 minutes of
# music and noise made by sox. Runs the two in alternation PAIRS times (5 by
# default) on each clip, prints both medians, the median of the paired
# ratios, each one's peak resident memory (/usr/bin/time -f %M) and the
# seconds of sound encoded a second. Builds clip2c-board in
# build-adpcm-bench/ unless BOARD names one already built.
#
#   bash bench/adpcm-bench.sh                     # needs sox, python3, /usr/bin/time
#   BOARD=build/clip2c-board PAIRS=9 bash bench/adpcm-bench.sh
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build-adpcm-bench"
pairs="${PAIRS:-5}"

for tool in sox python3 /usr/bin/time; do
  command -v "$tool" > /dev/null || { echo "adpcm-bench.sh needs $tool" >&2; exit 1; }
done

board="${BOARD:-}"
if [ -z "$board" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCLIP2C_BUILD_TESTS=OFF -DCLIP2C_PAGE=OFF > /dev/null
  cmake --build "$build" -j 2 --target clip2c-board > /dev/null
  board="$build/clip2c-board"
fi

work="$build/adpcm"
mkdir -p "$work"
clips=()
if command -v espeak-ng > /dev/null; then
  speech="$work/speech-7s.wav"
  if [ ! -f "$speech" ]; then
    espeak-ng -v en-us -w "$work/spoken.wav" "The quick brown fox jumps over the lazy dog. She sells sea \
shells by the sea shore, and the shells she sells are surely seashells. Peter Piper picked a peck."
    sox -D "$work/spoken.wav" -r 8000 -b 16 -c 1 "$speech" trim 0 7
  fi
  clips+=("$speech")
fi
music="$work/music-3min.wav"
[ -f "$music" ] || sox -D -R -n -r 8000 -b 16 -c 1 "$music" synth 180 pluck 220 sine 330-1200 pinknoise \
  tremolo 3 70 remix - vol 0.6

python3 - "$board" "$work" "$pairs" "${clips[@]}" "$music" <<'PY'
import statistics, subprocess, sys, time, wave
board, work, pairs, clips = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
for clip in clips:
    with wave.open(clip, "rb") as w:
        seconds = w.getnframes() / w.getframerate()
    commands = {
        "clip2c-board": [board, "--encoding", "ima-adpcm", "--target", "c", "-o", work + "/out.h", clip],
        "sox": ["sox", "-D", clip, "-e", "ima-adpcm", work + "/out.wav"],
    }
    times = {name: [] for name in commands}
    for _ in range(pairs):
        for name, command in commands.items():
            start = time.perf_counter()
            subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            times[name].append(time.perf_counter() - start)
    print("%s: %.1f s at 8000 Hz" % (clip.rsplit("/", 1)[-1], seconds))
    for name, command in commands.items():
        done = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, check=True, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
        memory = int(done.stderr.strip().splitlines()[-1])
        median = statistics.median(times[name])
        print("  %-13s median %8.1f ms (%.1f to %.1f) over %d runs, %6.1f s of sound a second, "
              "peak memory %.1f MiB" % (name, 1e3 * median, 1e3 * min(times[name]), 1e3 * max(times[name]),
                                        pairs, seconds / median, memory / 1024))
    ratios = [a / b for a, b in zip(times["clip2c-board"], times["sox"])]
    print("  clip2c-board / sox: median of the paired ratios %.1f x" % statistics.median(ratios))
PY
