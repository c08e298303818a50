#!/usr/bin/env bash
# Builds clip2c for release in build-measure/ and prints its three figures
# beside xxd -i's on the same random files:
#   instructions per sample   valgrind callgrind, whole process, 1 MiB file
#   wall time                 median of PAIRS runs in turn, 32 MiB file,
#                             each tool writing its own output file
#   peak resident memory      whole process, 32 MiB file, unsigned and signed
# then the Google Benchmark of the text builder. Exits 1 when clip2c misses
# a target: 20 instructions a sample, a quarter of xxd -i's wall time, and
# 7.5 times the input plus 16 MiB of memory.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-measure"
pairs="${PAIRS:-7}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCLIP2C_BENCH=ON \
  -DCLIP2C_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" > /dev/null

for tool in valgrind xxd python3; do
  command -v "$tool" > /dev/null || { echo "measure.sh needs $tool" >&2; exit 1; }
done

status=0
python3 -u - "$build" "$pairs" <<'PY' || status=$?
import os, random, re, statistics, subprocess, sys, time

build, pairs = sys.argv[1], int(sys.argv[2])
exe = os.path.join(build, "clip2c")
work = os.path.join(build, "measure")
os.makedirs(work, exist_ok=True)
MiB = 2**20

def random_file(name, size):
    with open(os.path.join(work, name), "wb") as f:
        f.write(random.Random(size).randbytes(size))
    # Runs take paths relative to the work folder: an argument that begins
    # with "/" is an option to clip2c.
    return name

small = random_file("r1m.raw", 1 * MiB)
big = random_file("r32m.raw", 32 * MiB)
# Each tool overwrites its own output from the run before. Sharing one file
# would charge each run with discarding the other tool's larger output,
# still being written back, when it truncates the file.
out = "clip2c.h"
xxd_out = "xxd.h"

def run(argv, stdout_path):
    """Runs argv with stdout to a file; returns (seconds, peak RSS bytes)."""
    with open(stdout_path, "wb") as sink:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdout=sink, cwd=work)
        _, status, usage = os.wait4(proc.pid, 0)
        seconds = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode not in (0,):
        sys.exit("%s exited with %d" % (argv, proc.returncode))
    return seconds, usage.ru_maxrss * 1024

def instructions(argv):
    proc = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + argv,
                          cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    found = re.search(r"Collected : (\d+)", proc.stderr)
    if not found:
        sys.exit("no instruction count from callgrind:\n" + proc.stderr)
    return int(found.group(1))

clip_u = [exe, small, out]
clip_s = [exe, "-signed", small, out]
xxd = ["xxd", "-i", small, xxd_out]
ir_u = instructions(clip_u) / MiB
ir_s = instructions(clip_s) / MiB
ir_x = instructions(xxd) / MiB

clip_times, xxd_times, ratios = [], [], []
for _ in range(pairs):
    c, _ = run([exe, big, out], os.devnull)
    x, _ = run(["xxd", "-i", big, xxd_out], os.devnull)
    clip_times.append(c)
    xxd_times.append(x)
    ratios.append(c / x)
ratio = statistics.median(ratios)

_, rss_u = run([exe, big, out], os.devnull)
_, rss_s = run([exe, "-signed", big, out], os.devnull)
_, rss_x = run(["xxd", "-i", big, xxd_out], os.devnull)
rss_limit = 7.5 * 32 * MiB + 16 * MiB

def verdict(ok):
    return "meets" if ok else "MISSES"

rows = [
    ("instructions/sample, 1 MiB, unsigned", "%.2f" % ir_u, "%.2f" % ir_x, "<= 20", verdict(ir_u <= 20)),
    ("instructions/sample, 1 MiB, signed", "%.2f" % ir_s, "%.2f" % ir_x, "<= 20", verdict(ir_s <= 20)),
    ("wall time median, 32 MiB (%d pairs)" % pairs, "%.3f s" % statistics.median(clip_times),
     "%.3f s" % statistics.median(xxd_times), "ratio <= 0.25",
     "%s (%.3f)" % (verdict(ratio <= 0.25), ratio)),
    ("peak RSS, 32 MiB, unsigned", "%.1f MiB" % (rss_u / MiB), "%.1f MiB" % (rss_x / MiB),
     "<= %.0f MiB" % (rss_limit / MiB), "%s (%.2fx input)" % (verdict(rss_u <= rss_limit), rss_u / (32 * MiB))),
    ("peak RSS, 32 MiB, signed", "%.1f MiB" % (rss_s / MiB), "%.1f MiB" % (rss_x / MiB),
     "<= %.0f MiB" % (rss_limit / MiB), "%s (%.2fx input)" % (verdict(rss_s <= rss_limit), rss_s / (32 * MiB))),
]
header = ("figure", "clip2c", "xxd -i", "target", "result")
widths = [max(len(r[i]) for r in rows + [header]) for i in range(5)]
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
print("wall time pairs (clip2c / xxd -i, s): " +
      ", ".join("%.3f/%.3f" % p for p in zip(clip_times, xxd_times)))
sys.exit(0 if all(r[4].startswith("meets") for r in rows) else 1)
PY

echo
"$build/clip2c_bench" --benchmark_filter='/(1048576|33554432)$' --benchmark_min_time=0.5
exit "$status"
