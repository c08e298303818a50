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

An IMA ADPCM header (from the built clip2c-board, --encoding ima-adpcm
--target progmem) must play the same way: 128, then each decoded sample's
high byte shifted by 128, in order, then 128, the decoded samples being
sox's decoding of the header's bytes (sox decodes IMA ADPCM as the header's
decoder must). Its interrupt must take at most 300 cycles a sample, the
sketch at most kAdpcmSketchBytes of flash beside the array (the room the
fit keeps for it), and its RAM no more than the decoder's state beyond the
8-bit sketch's. A 7-second speech clip from espeak-ng at 8000 Hz must fit
the Uno and play whole.

  check_play_clip.py --exe build/clip2c --board-exe build/clip2c-board --scratch build/arduino-scratch
  check_play_clip.py --header clip.h --rate 8000 --scratch /tmp/play-clip
The second form checks one given header, 8-bit or ADPCM: its shape, the
rate it declares, and the sketch playing it.
"""
import argparse
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from cliptest import Tally, c_array, chunk, pattern, riff  # noqa: E402

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
# The Uno's flash for a sketch (the rest holds the bootloader).
UNO_FLASH = 32256
# The room the fit keeps beside an ADPCM array for the sketch that plays it.
with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), "board", "targets.h")) as _f:
    ADPCM_SKETCH_FLASH = int(re.search(r"kAdpcmSketchBytes = (\d+);", _f.read()).group(1))
# The most cycles the timer interrupt may take a sample, response and reti
# included: at 44100 Hz a sample lasts 363.
ISR_CYCLES = 300
# TIMER1_COMPA's vector number on the ATmega328P.
TIMER1_COMPA = 11
# The tools the ADPCM rows need beyond the others.
ADPCM_TOOLS = {"sox": "sox", "espeak-ng": "espeak-ng"}

HEADER = re.compile(r"/\* (\w+): [^\n]*\*/\n#include <avr/pgmspace\.h>\n#define \1_rate (\d+)\n"
                    r"const PROGMEM (unsigned char|char) \1\[(\d+)\] =\n\{\n.*\};\n\Z", re.S)

ADPCM_HEADER = re.compile(
    r"/\* (\w+_adpcm): [^\n]*\*/\n#include <avr/pgmspace\.h>\n#ifndef CLIP2C_ADPCM_DECODER\n"
    r"#define CLIP2C_ADPCM_DECODER 2\n.*\n#endif\n\n#define \1_rate (\d+)\n#define \1_samples (\d+)\n"
    r"#define \1_block_bytes 256\nconst PROGMEM unsigned char \1\[(\d+)\] =\n\{\n(.*)\};\n\Z", re.S)
# IMA ADPCM's blocks: 256 bytes, 505 samples.
BLOCK_BYTES, BLOCK_SAMPLES = 256, 505

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


def adpcm_wave(rate, samples, data):
    """A mono IMA ADPCM WAV file of the bytes: tag 0x11, 4 bits, blocks of
    256 bytes and 505 samples, a fact chunk with the count."""
    fmt_body = struct.pack("<HHIIHHHH", 0x11, 1, rate, rate * BLOCK_BYTES // BLOCK_SAMPLES, BLOCK_BYTES, 4, 2,
                           BLOCK_SAMPLES)
    return riff(chunk(b"fmt ", fmt_body), chunk(b"fact", struct.pack("<I", samples)), chunk(b"data", data))


def sox_levels(folder, rate, samples, data):
    """The pin's levels for the ADPCM bytes, (s >> 8) + 128 for each sample
    s as sox decodes them, or a string saying what is wrong."""
    wav = os.path.join(folder, "adpcm.wav")
    with open(wav, "wb") as f:
        f.write(adpcm_wave(rate, samples, data))
    raw = subprocess.run(["sox", "-V1", wav, "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", "-"],
                         stdout=subprocess.PIPE, check=True).stdout
    decoded = struct.unpack("<%dh" % (len(raw) // 2), raw)
    if len(decoded) != samples:
        return "sox decodes %d samples from the bytes, the header says %d" % (len(decoded), samples)
    return bytes((s >> 8) + 128 for s in decoded)


def read_adpcm_header(path, folder):
    """(array name, rate, the pin's levels as bytes, the array's length), or
    a string saying what is wrong with the header."""
    with open(path, "rb") as f:
        text = f.read().decode("ascii", "replace")
    m = ADPCM_HEADER.match(text)
    if not m:
        return ("not in the ADPCM progmem shape (comment, include, the decoder for progmem, #define "
                "<array>_rate, _samples, _block_bytes 256, const PROGMEM unsigned char array)")
    name, rate, samples, length = m.group(1), int(m.group(2)), int(m.group(3)), int(m.group(4))
    values = [int(v) for v in re.findall(r"\d+", m.group(5))]
    if len(values) != length or not all(v < 256 for v in values):
        return "the array holds %d bytes, not %d values from 0 to 255" % (len(values), length)
    levels = sox_levels(folder, rate, samples, bytes(values))
    if isinstance(levels, str):
        return levels
    return name, rate, levels, length


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
    kind = "adpcm" if name.endswith("_adpcm") else "wave"
    for macro, suffix in (("CLIP", ""), ("CLIP_RATE", "_rate"), ("CLIP_SAMPLES", "_samples")):
        code = code.replace("#define %s clip_%s%s\n" % (macro, kind, suffix),
                            "#define %s %s%s\n" % (macro, name, suffix))
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
    """([(cycle, value)] of the writes to OCR2A, end line's fields,
    [(entry cycle, exit cycle)] of each run of Timer1's interrupt)."""
    proc = subprocess.run([tracer, "--isr", str(TIMER1_COMPA), elf, str(max_cycles)], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, check=True)
    writes, end, isr = [], None, []
    for line in proc.stdout.decode().splitlines():
        fields = line.split()
        if len(fields) == 2 and fields[0].isdigit():
            writes.append((int(fields[0]), int(fields[1])))
        elif len(fields) == 3 and fields[0] == "isr":
            isr.append((int(fields[1]), int(fields[2])))
        elif fields and fields[0] == "end":
            end = fields[1:]
    return writes, end, isr


def check_playing(writes, samples, rate, rounds=1, entries=None):
    """Problems with the writes as `rounds` plays of the samples, and the
    measured rate's error in per cent: measured from the writes, or from
    the cycles at which Timer1's interrupt began when `entries` holds them
    (one play: an interrupt a sample and one for the silence after)."""
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
        if entries is not None and len(entries) > len(samples):
            errors.append((F_CPU * len(samples) / (entries[len(samples)] - entries[0]) / rate - 1) * 100)
        else:
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
    """Builds and runs the sketch with a header, 8-bit or ADPCM. Returns
    (problems, flash, RAM)."""
    os.makedirs(folder, exist_ok=True)
    with open(header, "rb") as f:
        adpcm = b"CLIP2C_ADPCM_DECODER" in f.read()
    found = read_adpcm_header(header, folder) if adpcm else read_header(header)
    if isinstance(found, str):
        return [found], 0, 0
    if adpcm:
        name, declared, samples, array_bytes = found
    else:
        name, declared, _, samples = found
        array_bytes = len(samples)
    if declared != rate:
        return ["the header declares %d Hz, not %d" % (declared, rate)], 0, 0
    built = build(header, name, folder, extra_flags)
    if isinstance(built, str):
        return [built], 0, 0
    elf, flash, ram = built
    seconds = 0.01 + rounds * (len(samples) + 2) / rate + (rounds - 1) * 0.011
    writes, end, isr = run_trace(tracer, elf, int(seconds * F_CPU * 1.05) + F_CPU // 10)
    # An ADPCM sample is put out once decoded, and its decoding takes more or
    # fewer cycles (a block's first sample the fewest), so its writes lie a
    # little off an even spacing and one sample's rate is measured from the
    # timer.
    problems, error = check_playing(writes, samples, rate, rounds, [a for a, _ in isr] if adpcm else None)
    isr = [b - a for a, b in isr]
    if end is None or end[0] != ("done" if rounds == 1 else "limit"):
        problems.append("the run ended %s" % (end and end[0]))
    elif end[2:4] != ["83", "01"] or not int(end[4], 16) & 0x08:
        problems.append("Timer2 is not fast PWM on pin 11 at 62.5 kHz: TCCR2A TCCR2B DDRB = %s" % " ".join(end[2:]))
    own = flash - array_bytes
    room = ADPCM_SKETCH_FLASH if adpcm else SKETCH_FLASH
    if not extra_flags and own > room:
        problems.append("the sketch takes %d bytes of flash beside the clip, over %d" % (own, room))
    if flash > UNO_FLASH:
        problems.append("the sketch and its clip take %d bytes of flash, over the Uno's %d" % (flash, UNO_FLASH))
    if len(isr) < len(samples) + 1:
        problems.append("Timer1's interrupt ran %d times for %d samples" % (len(isr), len(samples)))
    elif max(isr) > ISR_CYCLES:
        problems.append("Timer1's interrupt takes up to %d cycles a sample, over %d" % (max(isr), ISR_CYCLES))
    print("     %d samples at %d Hz: rate %+.4f %%, flash %d bytes (the clip + %d), RAM %d bytes, "
          "interrupt %d cycles a sample at most (%.1f on average)"
          % (len(samples), rate, error, flash, own, ram, max(isr, default=0), sum(isr) / max(len(isr), 1)),
          flush=True)
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


def busy(n, rate, seed):
    """n 16-bit samples that work the decoder: two tones with noise, bursts
    of a full-scale square wave (the largest steps, the sum clamped at
    both ends) and stretches of silence (the step index falling to 0)."""
    noise = pattern(n, seed)
    out = []
    for i in range(n):
        if (i // 700) % 3 == 2:
            v = 32767 if (i // 9) % 2 else -32768
        elif (i // 1100) % 4 == 3:
            v = 0
        else:
            v = int(12000 * math.sin(2 * math.pi * 440 * i / rate) + 6000 * math.sin(2 * math.pi * 3100 * i / rate)
                    + (noise[i] - 128) * 40)
        out.append(max(-32768, min(32767, v)))
    return out


def sixteen_bit_wave(path, rate, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def speech_wave(path, seconds):
    """espeak-ng's speech, cut or padded with silence to `seconds`."""
    spoken = path + ".espeak.wav"
    subprocess.run(["espeak-ng", "-w", spoken, "This clip is speech, kept as IMA ADPCM in the flash of an Arduino "
                    "Uno, four bits a sample, and decoded in the timer interrupt, one sample at a time, eight "
                    "thousand times a second."], check=True)
    subprocess.run(["sox", "-V1", spoken, path, "pad", "0", str(seconds), "trim", "0", str(seconds)], check=True)


def adpcm_header(exe, folder, make_sound, rate):
    """Writes clip.h from the sound make_sound(path) writes, with
    clip2c-board --encoding ima-adpcm --target progmem --rate rate --name clip."""
    sound = os.path.join(folder, "sound.wav")
    make_sound(sound)
    subprocess.run([exe, "--encoding", "ima-adpcm", "--target", "progmem", "--rate", str(rate), "--name", "clip",
                    "-o", os.path.join(folder, "clip.h"), sound], check=True, stderr=subprocess.DEVNULL)


# {name, a function writing the sound to a path, the rate}
ADPCM_CASES = [
    ("ADPCM, one sample", lambda path: sixteen_bit_wave(path, 8000, [-20000]), 8000),
    ("ADPCM, 4,000 samples at 8000 Hz", lambda path: sixteen_bit_wave(path, 8000, busy(4000, 8000, 7)), 8000),
    ("ADPCM, 20,000 samples at 22050 Hz", lambda path: sixteen_bit_wave(path, 22050, busy(20000, 22050, 8)), 22050),
    ("ADPCM, 7 s of espeak-ng's speech at 8000 Hz", lambda path: speech_wave(path, 7), 8000),
]
# The sketch's error for an ADPCM clip faster than it decodes.
ADPCM_TOO_FAST = "play_clip plays ADPCM clips at rates up to 40000 Hz"
# The decoder's state, struct clip2c_adpcm, on the AVR: the RAM an ADPCM
# clip may take beyond an 8-bit one.
ADPCM_STATE = 12


def missing_tools():
    missing = ["%s (Debian package %s)" % (tool, package) for tool, package in TOOLS.items() if not shutil.which(tool)]
    for path, package in ((CORE, "arduino-core-avr"), (SIMAVR_HEADER, "libsimavr-dev")):
        if not os.path.exists(path):
            missing.append("%s (Debian package %s)" % (path, package))
    return missing


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--scratch", required=True)
    parser.add_argument("--exe", help="the built clip2c, to make the suite's 8-bit headers")
    parser.add_argument("--board-exe", help="the built clip2c-board, to make the suite's ADPCM headers")
    parser.add_argument("--header", help="check this header only")
    parser.add_argument("--rate", type=int, help="the rate the header must declare and play at")
    args = parser.parse_args()
    if (bool(args.header) == bool(args.exe) or bool(args.header) != bool(args.rate)
            or bool(args.exe) != bool(args.board_exe)):
        parser.error("give either --exe and --board-exe, or --header and --rate")
    missing = missing_tools() + ["%s (Debian package %s)" % (tool, package) for tool, package in ADPCM_TOOLS.items()
                                 if not shutil.which(tool)]
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

    adpcm_rams = {}
    for i, (name, make_sound, rate) in enumerate(ADPCM_CASES):
        folder = os.path.join(scratch, "adpcm%d" % i)
        os.makedirs(folder)
        adpcm_header(os.path.abspath(args.board_exe), folder, make_sound, rate)
        problems, _, ram = check_clip(tracer, os.path.join(folder, "clip.h"), rate, folder)
        tally.record(name, problems)
        if not problems:
            adpcm_rams[name] = ram
    folder = os.path.join(scratch, "adpcm-fast")
    os.makedirs(folder)
    adpcm_header(os.path.abspath(args.board_exe), folder,
                 lambda path: sixteen_bit_wave(path, 44100, busy(500, 44100, 9)), 44100)
    built = build(os.path.join(folder, "clip.h"), "clip_adpcm", folder)
    refused = isinstance(built, str) and ADPCM_TOO_FAST in built
    tally.record("ADPCM at 44100 Hz stops the build", [] if refused else [
        "the build gave %s, not the error '%s'" % (built if isinstance(built, str) else "an ELF", ADPCM_TOO_FAST)])
    if len(set(adpcm_rams.values())) > 1:
        tally.fail("the RAM use differs between ADPCM clips: " + ", ".join("%s: %d" % kv for kv in adpcm_rams.items()))
    if rams and adpcm_rams:
        more = max(adpcm_rams.values()) - max(rams.values())
        print("     RAM with an ADPCM clip: %d bytes, %+d beside an 8-bit clip's" % (max(adpcm_rams.values()), more))
        if more > ADPCM_STATE:
            tally.fail("an ADPCM clip takes %d bytes of RAM more than an 8-bit one, over the decoder's %d"
                       % (more, ADPCM_STATE))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
