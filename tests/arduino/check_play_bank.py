#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""examples/arduino/play_bank, built for the Arduino Uno with arduino-builder
and run in simavr (ocr_trace.c beside this script, over libsimavr: it
records every write to OCR2A, the PWM level of pin 11, with its CPU cycle,
and presses a button on pin 2 at given cycles).

For each bank the pin must get the middle level (128), then each clip the
run plays: its samples in order (a signed bank's shifted by 128) and 128
again, at the clip's own rate within 1 %, each write within half a sample
period of its place. After reset the sketch plays every clip in order,
GAP_MS apart; a press of the button (held low past DEBOUNCE_MS, through
contact bounce) plays the next clip DEBOUNCE_MS after the pin settles, the
first after the last, and ends the opening run; a shorter blip plays
nothing. Timer2 stays in fast PWM on pin 11. The RAM use (data + bss) must
be the same for banks of one and three clips, and the sketch's own flash
(all of it but the samples and the table's entries) at most
BANK_SKETCH_FLASH bytes. The shipped sounds.h must be the bank of
make_sounds.py's sounds, and play.

The banks come from clip2c-board --bank when the given clip2c-board has
it, and must then be, byte for byte, the text bank_header() writes from
the same clips; without --bank they come from bank_header() alone.

  check_play_bank.py --exe build/clip2c-board --scratch build/arduino-bank-scratch
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from cliptest import Tally, c_array, pattern, wave_module_file  # noqa: E402

# The one-clip sketch's check: the same tools, core and simulator.
from check_play_clip import CPP_FLAGS, F_CPU, missing_tools  # noqa: E402

SKETCH = os.path.join(os.path.dirname(os.path.dirname(HERE)), "examples", "arduino", "play_bank")
sys.path.insert(0, SKETCH)
import make_sounds  # noqa: E402

DEBOUNCE_MS = 20
GAP_MS = 250
# The flash the sketch as shipped takes beside its bank's samples and table,
# at most: what the fit of a bank must leave for it in the Uno's 32,256
# bytes.
BANK_SKETCH_FLASH = 1312
ENTRY_BYTES = 10  # a table entry on AVR: a 2-byte pointer and two 4-byte longs

tally = Tally("Arduino play_bank")


def seconds_text(count, rate):
    """count / rate in seconds to the millisecond, halves up, as "0.600"."""
    ms = (count * 2000 + rate) // (2 * rate)
    return "%d.%03d" % (ms // 1000, ms % 1000)


def bank_header(bank, clips, signed):
    """The progmem bank header of `clips` [(name, rate, samples)], written
    line by line from the bank's format."""
    kind = "signed 8-bit (silence 0)" if signed else "unsigned 8-bit (silence 128)"
    element = "signed char" if signed else "unsigned char"
    upper = bank.upper()
    total = sum(len(s) for _, _, s in clips)
    lines = ["/* %s: %d clip%s, %s sample%s in all" % (bank, len(clips), "" if len(clips) == 1 else "s",
                                                         format(total, ","), "" if total == 1 else "s")]
    lines += ["   %s_wave: %s samples, %s s at %d Hz, %s" % (name, format(len(s), ","), seconds_text(len(s), rate),
                                                            rate, kind) for name, rate, s in clips]
    out = "\n".join(lines) + " */\n#ifndef %s_BANK_H\n#define %s_BANK_H\n#include <avr/pgmspace.h>\n" % (upper, upper)
    for name, rate, samples in clips:
        text = c_array(name, samples, signed).decode("ascii")
        text = text.replace("const char ", "const signed char ", 1).replace("const", "const PROGMEM", 1)
        out += "\n#define %s_wave_rate %d\n%s" % (name, rate, text)
    out += "\nenum { %s };\n" % ", ".join(["%s_%s" % (upper, name.upper()) for name, _, _ in clips]
                                          + [upper + "_COUNT"])
    out += "\nstruct %s_clip {\n\tconst %s *data;\n\tunsigned long length;\n\tunsigned long rate;\n};\n" % (bank, element)
    out += "\nconst PROGMEM struct %s_clip %s_clips[%s_COUNT] = {\n" % (bank, bank, upper)
    out += "".join("\t{%s_wave, %d, %s_wave_rate},\n" % (name, len(s), name) for name, _, s in clips) + "};\n"
    out += ("\n/* Entry `index` of {b}_clips (below {u}_COUNT), read from flash; its samples are then read with "
            "pgm_read_byte(data + i). */\n"
            "static inline struct {b}_clip {b}_at(unsigned index)\n{{\n\tstruct {b}_clip clip;\n"
            "\tmemcpy_P(&clip, &{b}_clips[index], sizeof clip);\n\treturn clip;\n}}\n\n#endif\n").format(b=bank, u=upper)
    return out


CLIP_TEXT = re.compile(r"#define (\w+)_wave_rate (\d+)\nconst PROGMEM (unsigned|signed) char \1_wave\[\d+\] =\n"
                       r"\{\n(.*?)\};\n", re.S)


def read_bank(text):
    """(bank name, signed, [(name, rate, samples as bytes 0..255)]), or a
    string saying what is wrong with the header: it must be bank_header()'s
    text for the values it holds."""
    head = re.match(r"/\* (\w+): ", text)
    clips = [(m.group(1), int(m.group(2)), m.group(3) == "signed", [int(v) for v in re.findall(r"-?\d+", m.group(4))])
             for m in CLIP_TEXT.finditer(text)]
    if not head or not clips:
        return "not a progmem bank (no opening comment or no clip's #define <array>_rate and array)"
    signed = clips[0][2]
    found = [(name, rate, bytes((v + 128 if signed else v) & 0xFF for v in values)) for name, rate, _, values in clips]
    if any(s != signed for _, _, s, _ in clips):
        return "the bank mixes signed and unsigned arrays"
    if text != bank_header(head.group(1), found, signed):
        return "the header is not the bank's text for its own values"
    return head.group(1), signed, found


def make_bank(exe, has_bank, folder, clips, signed):
    """Writes folder/sounds.h, bank `sounds` of `clips`, with clip2c-board
    when it has --bank (each clip an 8-bit mono WAV file at its rate, named
    after the clip), else with bank_header(). Returns problems."""
    path = os.path.join(folder, "sounds.h")
    expected = bank_header("sounds", clips, signed)
    if not has_bank:
        with open(path, "w") as f:
            f.write(expected)
        return []
    inputs = []
    for name, rate, samples in clips:
        inputs.append(os.path.join(folder, name + ".wav"))
        with open(inputs[-1], "wb") as f:
            f.write(wave_module_file(samples, rate=rate))
    proc = subprocess.run([exe, "--bank", "sounds", "--target", "progmem"] + (["--signed"] if signed else [])
                          + ["-o", path] + inputs, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if proc.returncode != 0:
        return ["clip2c-board --bank exits %d: %s" % (proc.returncode, proc.stdout.decode("utf-8", "replace"))]
    with open(path) as f:
        made = f.read()
    if made != expected:
        first = next((i for i, (a, b) in enumerate(zip(made, expected)) if a != b), min(len(made), len(expected)))
        return ["clip2c-board --bank's header differs from the bank's text at character %d: %r, expected %r"
                % (first, made[first:first + 40], expected[first:first + 40])]
    return []


def build(folder, header=None):
    """Copies the sketch to folder, with `header` as its sounds.h when
    given, and builds it. Returns (ELF path, flash bytes, RAM bytes) or a
    string saying what failed."""
    sketch = os.path.join(folder, "play_bank")
    shutil.rmtree(sketch, ignore_errors=True)
    shutil.copytree(SKETCH, sketch, ignore=shutil.ignore_patterns("__pycache__"))
    if header:
        shutil.copy(header, os.path.join(sketch, "sounds.h"))
    out = os.path.join(folder, "out")
    os.makedirs(out, exist_ok=True)
    ino = os.path.join(sketch, "play_bank.ino")
    proc = subprocess.run(
        ["arduino-builder", "-compile", "-hardware", "/usr/share/arduino-builder",
         "-hardware", "/usr/share/arduino/hardware", "-tools", "/usr/share/arduino-builder",
         "-fqbn", "arduino:avr:uno", "-build-path", out, "-warnings", "all",
         "-prefs", "compiler.cpp.extra_flags=%s" % CPP_FLAGS, ino],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    log = proc.stdout.decode("utf-8", "replace")
    if proc.returncode != 0:
        return "arduino-builder failed:\n" + log
    own = [line for line in log.splitlines()
           if ("play_bank.ino" in line or "sounds.h" in line) and "warning" in line]
    if own:
        return "the sketch compiles with warnings:\n" + "\n".join(own)
    elf = os.path.join(out, "play_bank.ino.elf")
    size = subprocess.run(["avr-size", elf], stdout=subprocess.PIPE, check=True).stdout.decode()
    text, data, bss = (int(v) for v in size.splitlines()[1].split()[:3])
    return elf, text + data, data + bss


def run_trace(tracer, elf, max_cycles, changes):
    """([(cycle, value)] of the writes to OCR2A, [(cycle, level)] of pin 2's
    changes, the end line's fields)."""
    proc = subprocess.run([tracer, elf, str(max_cycles)] + [str(c) for c in changes],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=True)
    writes, pin, end = [], [], None
    for line in proc.stdout.decode().splitlines():
        fields = line.split()
        if len(fields) == 2 and fields[0].isdigit():
            writes.append((int(fields[0]), int(fields[1])))
        elif fields and fields[0] == "pin2":
            pin.append((int(fields[1]), int(fields[2])))
        elif fields and fields[0] == "end":
            end = fields[1:]
    return writes, pin, end


def ms(t):
    return int(t * F_CPU / 1000)


HELD_AT = 3.0  # ms into a press, when the pin goes low for good


def press_changes(at_ms, kind):
    """Pin 2's changes (cycles, low then high in turn) for a press at
    `at_ms`: "press" bounces three times each way around a 60 ms hold,
    "blip" is low for 5 ms, under DEBOUNCE_MS."""
    if kind == "blip":
        return [ms(at_ms), ms(at_ms + 5)]
    steps = [0, 0.3, 1.0, 1.5, 2.0, 2.3, HELD_AT]  # low, high, low, high, low, high, low (held), ...
    steps += [HELD_AT + 60, HELD_AT + 60.4, HELD_AT + 60.9]  # ... high, low 0.5 ms, high
    return [ms(at_ms + s) for s in steps]


def plan_run(clips, events):
    """The run's expectation from the clips [(name, rate, samples)] and the
    events after the opening run [("press" | "blip" | "gap press", clip
    expected or None)]: ("gap press" comes 50 ms into the first gap and ends
    the opening run). Returns (pin 2's changes, [(clip, cause)] in the order
    played, cause "reset", "gap" or the cycle pin 2 settled low, the
    cycles to run). Each press comes 100 ms after the clip before it ends."""
    durations = [len(s) / rate * 1000 for _, rate, s in clips]
    plays, changes = [(0, "reset")], []
    t = durations[0]
    if events and events[0][0] == "gap press":
        changes += press_changes(t + 50, "press")
        plays.append((events[0][1], ms(t + 50 + HELD_AT)))
        t += 50 + HELD_AT + DEBOUNCE_MS + 2 + durations[events[0][1]]
        events = events[1:]
    else:
        for k in range(1, len(clips)):
            plays.append((k, "gap"))
            t += GAP_MS + durations[k]
    t += GAP_MS + 100  # past any pause that would start another clip
    for kind, clip in events:
        changes += press_changes(t, kind)
        if clip is not None:
            plays.append((clip, ms(t + HELD_AT)))
            t += HELD_AT + DEBOUNCE_MS + 2 + durations[clip]
        t += 100
    return changes, plays, ms(t + 20)


def check_run(writes, pin, plays, clips):
    """Problems with the writes as the planned plays, and each play's
    measured rate error in per cent, by rate."""
    expected = [128]
    for clip, _ in plays:
        expected += [*clips[clip][2], 128]
    got = [v for _, v in writes]
    if got != expected:
        first = next((i for i, (g, e) in enumerate(zip(got, expected)) if g != e), min(len(got), len(expected)))
        return ["the pin's levels differ from [128] and the clips %s, each followed by 128, at write %d of %d "
                "(%d written): got %s, expected %s" % ([c for c, _ in plays], first, len(expected), len(writes),
                                                       got[first:first + 4], expected[first:first + 4])], {}
    settled = {cycle for cycle, level in pin if level == 0}
    problems, errors, start = [], {}, 1
    for clip, cause in plays:
        rate, count = clips[clip][1], len(clips[clip][2])
        times = [c for c, _ in writes[start:start + count + 1]]
        period = (times[-1] - times[0]) / count if count else F_CPU / rate
        error = (F_CPU / period / rate - 1) * 100 if count else 0.0
        errors.setdefault(rate, []).append(error)
        if abs(error) > 1:
            problems.append("clip %d comes at %+.3f %% of %d Hz" % (clip, error, rate))
        late = max(abs(t - (times[0] + k * period)) for k, t in enumerate(times))
        if late > period / 2:
            problems.append("clip %d: a write lies %.0f cycles off its place (period %.1f)" % (clip, late, period))
        # The first sample comes one period after the clip starts.
        begun = (times[0] - F_CPU / rate) / F_CPU * 1000
        if cause == "gap":
            wait, want = begun - writes[start - 1][0] / F_CPU * 1000, GAP_MS
        elif cause != "reset":
            low = min(c for c in settled if c >= cause)  # the cycle the pin went low for good
            wait, want = begun - low / F_CPU * 1000, DEBOUNCE_MS
        if cause != "reset" and not want - 2 <= wait <= want + 2:
            problems.append("clip %d starts %.2f ms after its %s, not %d ms"
                            % (clip, wait, "press" if want == DEBOUNCE_MS else "pause", want))
        start += count + 1
    return problems, errors


def check_bank(tracer, folder, header, events):
    """Builds and runs the sketch with a header (None: the shipped one) and
    the events after reset. Returns (problems, errors by rate, sketch's own
    flash, RAM)."""
    built = build(folder, header)
    if isinstance(built, str):
        return [built], {}, 0, 0
    elf, flash, ram = built
    with open(header or os.path.join(SKETCH, "sounds.h")) as f:
        found = read_bank(f.read())
    if isinstance(found, str):
        return [found], {}, 0, 0
    _, _, clips = found
    changes, plays, cycles = plan_run(clips, events)
    writes, pin, end = run_trace(tracer, elf, cycles, changes)
    problems, errors = check_run(writes, pin, plays, clips)
    if end is None or end[0] != "limit":
        problems.append("the run ended %s" % (end and end[0]))
    elif end[2:4] != ["83", "01"] or not int(end[4], 16) & 0x08:
        problems.append("Timer2 is not fast PWM on pin 11 at 62.5 kHz: TCCR2A TCCR2B DDRB = %s" % " ".join(end[2:]))
    own = flash - sum(len(s) for _, _, s in clips) - ENTRY_BYTES * len(clips)
    if own > BANK_SKETCH_FLASH:
        problems.append("the sketch takes %d bytes of flash beside the bank, over %d" % (own, BANK_SKETCH_FLASH))
    print("     %s: %s; flash %d bytes (the bank + %d), RAM %d bytes"
          % (", ".join("%d samples at %d Hz" % (len(s), r) for _, r, s in clips),
             ", ".join("%d Hz %+.4f %%" % (r, max(e, key=abs)) for r, e in sorted(errors.items())),
             flash, own, ram), flush=True)
    return problems, errors, own, ram


def varied(n, seed):
    """n bytes of every value, with both extremes."""
    body = bytearray(pattern(n, seed))
    body[n // 3], body[n // 3 + 1] = 0, 255
    return bytes(body)


# {name, signed, clips [(name, rate, samples)], events after the opening run}
CASES = [
    ("three clips at 8000, 11025 and 22050 Hz; a blip plays nothing; four presses play the next, wrapping",
     False, [("low", 8000, varied(400, 1)), ("mid", 11025, varied(882, 2)), ("high", 22050, varied(2205, 3))],
     [("blip", None), ("press", 0), ("press", 1), ("press", 2), ("press", 0)]),
    ("three signed clips at 16000, 44100 and 62500 Hz; a press in the opening run's pause ends it",
     True, [("a", 16000, varied(800, 4)), ("b", 44100, varied(2205, 5)), ("c", 62500, varied(3125, 6))],
     [("gap press", 1), ("press", 2), ("press", 0)]),
    ("one signed clip, 40 samples at 100 Hz (Timer1 divided by 8); a press plays it again",
     True, [("slow", 100, varied(40, 7))], [("press", 0)]),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", help="the built clip2c-board, to make the banks")
    parser.add_argument("--header", help="play this progmem bank called sounds (the page's download, say) "
                                         "instead of the banks the script makes")
    parser.add_argument("--scratch", required=True, help="a folder of the runner's own, made anew and empty")
    args = parser.parse_args()
    if not args.exe and not args.header:
        parser.error("give --exe, or --header")
    missing = missing_tools()
    if missing:
        print("Arduino play_bank: missing " + ", ".join(missing) + "; scripts/install-deps.sh installs them")
        return 1
    exe = os.path.abspath(args.exe) if args.exe else None
    scratch = os.path.abspath(args.scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    tracer = os.path.join(scratch, "ocr_trace")
    subprocess.run(["cc", "-O2", "-I/usr/include/simavr", "-o", tracer, os.path.join(HERE, "ocr_trace.c"),
                    "-lsimavr"], check=True)
    if args.header:
        # A given bank: its clips, each at its own rate, then a press that
        # plays the first again.
        problems, _, _, _ = check_bank(tracer, scratch, os.path.abspath(args.header), [("press", 0)])
        tally.record("%s plays in the bank sketch" % os.path.basename(args.header), problems)
        return tally.finish()
    help_text = subprocess.run([exe, "--help"], stdout=subprocess.PIPE, check=True).stdout.decode("utf-8", "replace")
    has_bank = "--bank" in help_text
    print("     the banks come from %s" % ("clip2c-board --bank" if has_bank else "this script (clip2c-board has no --bank)"))

    rams, owns, errors = {}, {}, {}
    for i, (name, signed, clips, events) in enumerate(CASES):
        folder = os.path.join(scratch, "case%d" % i)
        os.makedirs(folder)
        problems = make_bank(exe, has_bank, folder, clips, signed)
        if not problems:
            problems, found, owns[name], rams[name] = check_bank(tracer, folder, os.path.join(folder, "sounds.h"),
                                                                 events)
            for rate, e in found.items():
                errors.setdefault(rate, []).extend(e)
        tally.record(name, problems)

    shipped = [(name, rate, samples) for name, (rate, samples) in make_sounds.SOUNDS.items()]
    folder = os.path.join(scratch, "shipped")
    os.makedirs(folder)
    with open(os.path.join(SKETCH, "sounds.h")) as f:
        problems = [] if f.read() == bank_header("sounds", shipped, False) else [
            "the shipped sounds.h is not the bank of make_sounds.py's sounds"]
    if has_bank:
        problems += make_bank(exe, True, folder, shipped, False)
    if not problems:
        problems, _, owns["shipped"], rams["shipped"] = check_bank(tracer, folder, None, [("press", 0)])
    tally.record("the shipped sounds.h plays as it is, and a press plays its first clip again", problems)

    if len(set(rams.values())) > 1:
        tally.fail("the RAM use differs between banks: " + ", ".join("%s: %d" % kv for kv in rams.items()))
    if owns:
        print("     the sketch's own flash: %d to %d bytes; RAM %s bytes"
              % (min(owns.values()), max(owns.values()), "/".join(str(v) for v in sorted(set(rams.values())))))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
