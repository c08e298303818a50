#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""examples/arduino/play_clip, built for the Arduino Uno with arduino-builder
and run in simavr (ocr_trace.c over libsimavr, which records every write to
OCR2A, the PWM level of pin 11, with its CPU cycle).

For each clip the sketch must put out the middle level (128), then every
sample in order (a signed clip's shifted by 128), then 128 again, one write
per sample period at the header's rate within 1 %, each within half a
period of its place; leave Timer2 in fast PWM on pin 11; and stop itself.
Its RAM use (data + bss) must be the same for every clip, the samples
staying in flash. The headers come from the built clip2c, in the shape of
the page's progmem target.

  check_play_clip.py --exe build/clip2c --scratch build/arduino-scratch
  check_play_clip.py --header clip.h --rate 8000 --scratch /tmp/play-clip
The second form checks one given header: its shape, the rate it declares,
and the sketch playing it.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from cliptest import Tally, c_array, pattern  # noqa: E402

SKETCH = os.path.join(os.path.dirname(os.path.dirname(HERE)), "examples", "arduino", "play_clip")
F_CPU = 16000000
TOOLS = {  # program: the Debian package that holds it
    "arduino-builder": "arduino-builder", "arduino-ctags": "arduino-ctags", "avr-g++": "gcc-avr",
    "avr-size": "binutils-avr", "cc": "gcc"}
CORE = "/usr/share/arduino/hardware/arduino/avr/platform.txt"
SIMAVR_HEADER = "/usr/include/simavr/sim_avr.h"
# The flash the sketch as shipped takes beside its clip's samples, at most:
# what a fit check must add to the clip's length to stay within the Uno's
# 32,256 bytes.
SKETCH_FLASH = 768
# Debian 12's core needs DECIMAL_DIG, which its avr-gcc 5.4 leaves undefined.
CPP_FLAGS = "-DDECIMAL_DIG=9"

HEADER = re.compile(r"/\* (\w+): [^\n]*\*/\n#include <avr/pgmspace\.h>\n#define \1_rate (\d+)\n"
                    r"const PROGMEM (unsigned char|char) \1\[(\d+)\] =\n\{\n.*\};\n\Z", re.S)

tally = Tally("Arduino play_clip")


def progmem_header(exe, folder, samples, rate, signed):
    """Writes clip.h as the page's progmem target does: clip2c's text for
    clip.raw with PROGMEM after its first word, under a comment, the
    include and the rate."""
    with open(os.path.join(folder, "clip.raw"), "wb") as f:
        f.write(samples)
    subprocess.run([exe] + (["-SIGNED"] if signed else []) + ["clip.raw"], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, "clip.h"), "rb") as f:
        text = f.read().decode("ascii")
    kind = "signed 8-bit (silence 0)" if signed else "unsigned 8-bit (silence 128)"
    comment = "/* clip_wave: {:,} samples, {:.3f} s at {} Hz, {} */\n".format(len(samples), len(samples) / rate, rate, kind)
    with open(os.path.join(folder, "clip.h"), "w") as f:
        f.write(comment + "#include <avr/pgmspace.h>\n#define clip_wave_rate %d\n" % rate
                + text.replace("const", "const PROGMEM", 1))


def read_header(path):
    """(array name, rate, signed, the samples as bytes 0..255), or a
    string saying what is wrong with the header."""
    with open(path, "rb") as f:
        text = f.read().decode("ascii", "replace")
    m = HEADER.match(text)
    if not m:
        return "not in the progmem shape (comment, include, #define <array>_rate, const PROGMEM array)"
    name, rate, signed = m.group(1), int(m.group(2)), m.group(3) == "char"
    if not name.endswith("_wave"):
        return "the array's name %s does not end in _wave" % name
    values = [int(v) for v in re.findall(r"-?\d+", text[text.index("{"):])]
    samples = bytes((v + 128 if signed else v) & 0xFF for v in values)
    if not samples:
        return "the array holds no samples"
    tool_text = c_array(name[:-len("_wave")], samples, signed).decode("ascii").replace("const", "const PROGMEM", 1)
    if text[m.start(3) - len("const PROGMEM "):] != tool_text:
        return "the array is not clip2c's text for its own values with PROGMEM inserted"
    return name, rate, signed, samples


def build(header, name, folder, extra_flags=""):
    """Copies the sketch and the header (as clip.h, the sketch's names set
    to its array `name`) to folder and builds it. Returns (ELF path, flash bytes,
    RAM bytes) or a string saying what failed."""
    sketch = os.path.join(folder, "play_clip")
    shutil.rmtree(sketch, ignore_errors=True)
    shutil.copytree(SKETCH, sketch)
    shutil.copy(header, os.path.join(sketch, "clip.h"))
    ino = os.path.join(sketch, "play_clip.ino")
    with open(ino) as f:
        code = f.read()
    code = code.replace("#define CLIP clip_wave\n", "#define CLIP %s\n" % name)
    code = code.replace("#define CLIP_RATE clip_wave_rate\n", "#define CLIP_RATE %s_rate\n" % name)
    with open(ino, "w") as f:
        f.write(code)
    out = os.path.join(folder, "out")
    os.makedirs(out, exist_ok=True)
    proc = subprocess.run(
        ["arduino-builder", "-compile", "-hardware", "/usr/share/arduino-builder",
         "-hardware", "/usr/share/arduino/hardware", "-tools", "/usr/share/arduino-builder",
         "-fqbn", "arduino:avr:uno", "-build-path", out, "-warnings", "all",
         "-prefs", "compiler.cpp.extra_flags=%s %s" % (CPP_FLAGS, extra_flags), ino],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    log = proc.stdout.decode("utf-8", "replace")
    if proc.returncode != 0:
        return "arduino-builder failed:\n" + log
    own = [line for line in log.splitlines() if "play_clip.ino" in line and "warning" in line]
    if own:
        return "the sketch compiles with warnings:\n" + "\n".join(own)
    elf = os.path.join(out, "play_clip.ino.elf")
    size = subprocess.run(["avr-size", elf], stdout=subprocess.PIPE, check=True).stdout.decode()
    text, data, bss = (int(v) for v in size.splitlines()[1].split()[:3])
    return elf, text + data, data + bss


def run_trace(tracer, elf, max_cycles):
    """([(cycle, value)] of the writes to OCR2A, end line's fields)."""
    proc = subprocess.run([tracer, elf, str(max_cycles)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          check=True)
    writes, end = [], None
    for line in proc.stdout.decode().splitlines():
        fields = line.split()
        if len(fields) == 2 and fields[0].isdigit():
            writes.append((int(fields[0]), int(fields[1])))
        elif fields and fields[0] == "end":
            end = fields[1:]
    return writes, end


def check_playing(writes, samples, rate, rounds=1):
    """Problems with the writes as `rounds` plays of the samples, and the
    measured rate's error in per cent."""
    expected = [128] + ([*samples, 128] * rounds)
    got = [v for _, v in writes[:len(expected)]]
    if got != expected:
        first = next((i for i, (g, e) in enumerate(zip(got, expected)) if g != e), min(len(got), len(expected)))
        return ["the pin's levels differ from [128] + the clip + [128] at write %d of %d (%d written): got %s, "
                "expected %s" % (first, len(expected), len(writes), got[first:first + 4], expected[first:first + 4])], 0
    problems, errors = [], []
    for r in range(rounds):
        times = [c for c, _ in writes[1 + r * (len(samples) + 1):][:len(samples) + 1]]
        period = (times[-1] - times[0]) / len(samples)
        errors.append((F_CPU / period / rate - 1) * 100)
        late = max(abs(t - (times[0] + k * period)) for k, t in enumerate(times))
        if late > period / 2:
            problems.append("round %d: a write lies %.0f cycles off its place (period %.1f)" % (r + 1, late, period))
        if r:
            gap = (times[0] - writes[r * (len(samples) + 1)][0]) / F_CPU * 1000
            if not 10 <= gap <= 12:
                problems.append("the pause before round %d lasts %.2f ms, not 10 ms" % (r + 1, gap))
    worst = max(errors, key=abs)
    if abs(worst) > 1:
        problems.append("the samples come at %+.3f %% of %d Hz" % (worst, rate))
    return problems, worst


def check_clip(tracer, header, rate, folder, extra_flags="", rounds=1):
    """Builds and runs the sketch with a header. Returns (problems, flash, RAM)."""
    os.makedirs(folder, exist_ok=True)
    found = read_header(header)
    if isinstance(found, str):
        return [found], 0, 0
    name, declared, _, samples = found
    if declared != rate:
        return ["the header declares %d Hz, not %d" % (declared, rate)], 0, 0
    built = build(header, name, folder, extra_flags)
    if isinstance(built, str):
        return [built], 0, 0
    elf, flash, ram = built
    seconds = 0.01 + rounds * (len(samples) + 2) / rate + (rounds - 1) * 0.011
    writes, end = run_trace(tracer, elf, int(seconds * F_CPU * 1.05) + F_CPU // 10)
    problems, error = check_playing(writes, samples, rate, rounds)
    if end is None or end[0] != ("done" if rounds == 1 else "limit"):
        problems.append("the run ended %s" % (end and end[0]))
    elif end[2:4] != ["83", "01"] or not int(end[4], 16) & 0x08:
        problems.append("Timer2 is not fast PWM on pin 11 at 62.5 kHz: TCCR2A TCCR2B DDRB = %s" % " ".join(end[2:]))
    own = flash - len(samples)
    if not extra_flags and own > SKETCH_FLASH:
        problems.append("the sketch takes %d bytes of flash beside the clip, over %d" % (own, SKETCH_FLASH))
    print("     %d samples at %d Hz: rate %+.4f %%, flash %d bytes (the clip + %d), RAM %d bytes"
          % (len(samples), rate, error, flash, own, ram), flush=True)
    return problems, flash, ram


def varied(n, seed):
    """n bytes of every value, with runs of repeats and both extremes."""
    body = bytearray(pattern(n, seed))
    for i in range(0, n - 8, 97):
        body[i:i + 5] = bytes([body[i]] * 5)
    body[n // 3], body[n // 3 + 1] = 0, 255
    return bytes(body)


# {name, samples, rate, signed, extra compiler flags, rounds played}
CASES = [
    ("one sample (the smallest clip)", b"\xc8", 8000, False, "", 1),
    ("unsigned, 4,800 samples at 8000 Hz", varied(4800, 1), 8000, False, "", 1),
    ("signed, 4,800 samples at 11025 Hz", varied(4800, 2), 11025, True, "", 1),
    ("unsigned, 20,000 samples at 22050 Hz", varied(20000, 3), 22050, False, "", 1),
    ("signed, 40 samples at 100 Hz (Timer1 divided by 8)", varied(40, 4), 100, True, "", 1),
    ("signed, the largest clip that fits: 32,256 - %d samples at 44100 Hz" % SKETCH_FLASH,
     varied(32256 - SKETCH_FLASH, 6), 44100, True, "", 1),
    ("unsigned, 300 samples at 44100 Hz, again after 10 ms", varied(300, 5), 44100, False, "-DREPEAT_AFTER_MS=10", 2),
]


def missing_tools():
    missing = ["%s (Debian package %s)" % (tool, package) for tool, package in TOOLS.items() if not shutil.which(tool)]
    for path, package in ((CORE, "arduino-core-avr"), (SIMAVR_HEADER, "libsimavr-dev")):
        if not os.path.exists(path):
            missing.append("%s (Debian package %s)" % (path, package))
    return missing


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--exe", help="the built clip2c, to make the suite's headers")
    parser.add_argument("--header", help="check this header only")
    parser.add_argument("--rate", type=int, help="the rate the header must declare and play at")
    args = parser.parse_args()
    if bool(args.header) == bool(args.exe) or bool(args.header) != bool(args.rate):
        parser.error("give either --exe, or --header and --rate")
    missing = missing_tools()
    if missing:
        print("Arduino play_clip: missing " + ", ".join(missing) + "; scripts/install-deps.sh installs them")
        return 1
    scratch = os.path.abspath(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    tracer = os.path.join(scratch, "ocr_trace")
    subprocess.run(["cc", "-O2", "-I/usr/include/simavr", "-o", tracer, os.path.join(HERE, "ocr_trace.c"),
                    "-lsimavr"], check=True)

    if args.header:
        problems, _, _ = check_clip(tracer, os.path.abspath(args.header), args.rate, os.path.join(scratch, "given"))
        tally.record(os.path.basename(args.header), problems)
        return tally.finish()

    rams = {}
    for i, (name, samples, rate, signed, flags, rounds) in enumerate(CASES):
        folder = os.path.join(scratch, "case%d" % i)
        os.makedirs(folder)
        progmem_header(os.path.abspath(args.exe), folder, samples, rate, signed)
        problems, flash, ram = check_clip(tracer, os.path.join(folder, "clip.h"), rate, folder, flags, rounds)
        tally.record(name, problems)
        if not problems:
            rams[name] = ram
        if i == 0 and not problems:
            print("     flash for the sketch with the smallest clip: %d bytes" % flash)
    if len(set(rams.values())) > 1:
        tally.fail("the RAM use differs between clips: " + ", ".join("%s: %d" % kv for kv in rams.items()))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
