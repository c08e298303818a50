#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Banks made by clip2c-board, compiled by each target's toolchain.

Two banks (sfx: a raw clip and a 16-bit stereo WAV file; ui: an 8-bit WAV
file at 22050 Hz and a raw clip) are made for every target, unsigned and
signed, and included together in one program:

  c, firmware   host gcc -std=c11 and g++ -std=c++17, -pedantic-errors -Wall
                -Wextra -Werror; the program runs and prints every clip's
                length, rate and first and last samples, which must be the
                files' own
  firmware      arm-none-eabi-gcc -std=c11 -pedantic-errors -mcpu=cortex-m4
                -mthumb -c
  progmem       avr-gcc -mmcu=atmega328p -Os, C (-std=c11) and C++ (avr-g++
                -std=c++17), linked
  flash         avr-gcc -mmcu=atmega328p -Os -std=gnu11 (__flash is GNU C),
                linked

and avr-size must show "Data: 0 bytes" for progmem and flash: the samples
and the tables stay in flash. A missing toolchain is skipped.

  check_bank_compiles.py --exe build/clip2c-board --scratch build/bank-compiles-scratch
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import pattern, pcm8, wave_module_file  # noqa: E402

JUMP = pattern(300, seed=2)
COIN = pattern(200, seed=3)
CLICK = pattern(50, seed=4)
TICK = pattern(20, seed=6)


def pcm16_stereo(samples8, rate):
    """Two equal channels of (u - 128) * 256: exactly `samples8` once made 8-bit."""
    frames = b"".join(struct.pack("<hh", (u - 128) * 256, (u - 128) * 256) for u in samples8)
    return wave_module_file(frames, channels=2, width=2, rate=rate)


FILES = {
    "jump.raw": JUMP,
    "coin.wav": pcm16_stereo(COIN, 11025),
    "click.wav": pcm8(CLICK, rate=22050),
    "tick.raw": TICK,
}
# Each bank's clips in order: (bank, [(file, samples, rate)]).
BANKS = [
    ("sfx", [("jump.raw", JUMP, 8000), ("coin.wav", COIN, 11025)]),
    ("ui", [("click.wav", CLICK, 22050), ("tick.raw", TICK, 8000)]),
]


def host_main():
    """Prints each clip of both banks: length, rate, first and last sample."""
    lines = ["#include <stdio.h>", '#include "sfx.h"', '#include "ui.h"', "", "int main(void)", "{",
             "\tunsigned i;"]
    for bank, _ in BANKS:
        lines += ["\tfor (i = 0; i < %s_COUNT; ++i) {" % bank.upper(),
                  "\t\tstruct %s_clip clip = %s_at(i);" % (bank, bank),
                  '\t\tprintf("%lu %lu %d %d\\n", clip.length, clip.rate, (int)clip.data[0], '
                  "(int)clip.data[clip.length - 1]);",
                  "\t}"]
    return "\n".join(lines + ["\treturn 0;", "}", ""])


def expected_output(signed):
    value = (lambda u: u - 128) if signed else (lambda u: u)
    return "".join("%d %d %d %d\n" % (len(samples), rate, value(samples[0]), value(samples[-1]))
                   for _, clips in BANKS for _, samples, rate in clips).encode()


def board_main(read):
    """A program with nothing in RAM: every clip's last sample to PORTB (AVR)
    or through a pointer to an address (ARM), by `read` (a C expression of
    `clip` and the index `i`)."""
    lines = ['#include "sfx.h"', '#include "ui.h"', "", "#define SINK (*(volatile unsigned char *)0x25)",
             "", "int main(void)", "{", "\tunsigned i;"]
    for bank, _ in BANKS:
        lines += ["\tfor (i = 0; i < %s_COUNT; ++i) {" % bank.upper(),
                  "\t\tstruct %s_clip clip = %s_at(i);" % (bank, bank),
                  "\t\tSINK = (unsigned char)%s;" % read,
                  "\t\tSINK = (unsigned char)clip.rate;",
                  "\t}"]
    return "\n".join(lines + ["\treturn 0;", "}", ""])


# (name, target, signed, compiler, flags, source name, main text, linked, avr)
def rows():
    strict = ["-pedantic-errors", "-Wall", "-Wextra", "-Werror"]
    avr = ["-mmcu=atmega328p", "-Os"]
    pgm = board_main("pgm_read_byte(clip.data + clip.length - 1)")
    flash = board_main("clip.data[clip.length - 1]")
    arm = board_main("clip.data[clip.length - 1]")
    out = []
    for target in ("c", "firmware"):
        for signed in (False, True):
            kind = "%s%s" % (target, ", signed" if signed else "")
            out.append(("host C11, " + kind, target, signed, "gcc", ["-std=c11"] + strict, "main.c", host_main(),
                        "run"))
            out.append(("host C++17, " + kind, target, signed, "g++", ["-std=c++17"] + strict, "main.cpp",
                        host_main(), "run"))
    for signed in (False, True):
        kind = ", signed" if signed else ""
        out.append(("arm-none-eabi C11, firmware" + kind, "firmware", signed, "arm-none-eabi-gcc",
                    ["-std=c11", "-mcpu=cortex-m4", "-mthumb", "-c"] + strict, "main.c", arm, "object"))
        out.append(("avr C11, progmem" + kind, "progmem", signed, "avr-gcc", ["-std=c11"] + avr + strict,
                    "main.c", pgm, "avr"))
        out.append(("avr C++17, progmem" + kind, "progmem", signed, "avr-g++", ["-std=c++17"] + avr + strict,
                    "main.cpp", pgm, "avr"))
        out.append(("avr gnu11, flash" + kind, "flash", signed, "avr-gcc", ["-std=gnu11"] + avr + strict,
                    "main.c", flash, "avr"))
    return out


def run(argv, cwd):
    proc = subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return proc.returncode, proc.stdout, proc.stderr


def make_banks(opts, folder, target, signed):
    """Writes sfx.h and ui.h in `folder` with clip2c-board; returns the problems."""
    problems = []
    for name, content in FILES.items():
        with open(os.path.join(folder, name), "wb") as fh:
            fh.write(content)
    for bank, clips in BANKS:
        argv = [opts.exe, "--bank", bank, "--target", target] + (["--signed"] if signed else [])
        status, _, err = run(argv + [clip[0] for clip in clips], folder)
        if status != 0 or not os.path.isfile(os.path.join(folder, bank + ".h")):
            problems.append("clip2c-board --bank %s: status %d, %r" % (bank, status, err))
    return problems


def check_row(opts, row):
    name, target, signed, compiler, flags, source, text, kind = row
    folder = os.path.join(opts.scratch, re.sub(r"[^a-z0-9]+", "-", name.lower()))
    os.makedirs(folder)
    problems = make_banks(opts, folder, target, signed)
    if problems:
        return problems
    with open(os.path.join(folder, source), "w", encoding="ascii") as fh:
        fh.write(text)
    output = "main.o" if kind == "object" else "main.elf"
    status, _, err = run([compiler] + flags + ["-o", output, source], folder)
    if status != 0:
        return ["%s %s: status %d\n%s" % (compiler, " ".join(flags), status, err.decode(errors="replace"))]
    if kind == "run":
        status, out, err = run([os.path.join(folder, output)], folder)
        if status != 0 or out != expected_output(signed):
            problems.append("the program gave status %d, %r; expected %r" % (status, out, expected_output(signed)))
    if kind == "avr":
        _, out, _ = run(["avr-size", "-C", "--mcu=atmega328p", output], folder)
        text_out = out.decode(errors="replace")
        print("%s: %s" % (name, " / ".join(line.strip() for line in text_out.splitlines()
                                            if line.startswith(("Program", "Data")))))
        if not re.search(r"^Data:\s+0 bytes", text_out, re.M):
            problems.append("the banks take RAM:\n" + text_out)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True, help="the built clip2c-board")
    parser.add_argument("--scratch", required=True, help="a folder of the runner's own, made anew and empty")
    opts = parser.parse_args()
    opts.exe, opts.scratch = os.path.abspath(opts.exe), os.path.abspath(opts.scratch)
    shutil.rmtree(opts.scratch, ignore_errors=True)
    os.makedirs(opts.scratch)
    passed = failed = 0
    for row in rows():
        tools = [row[3]] + (["avr-size"] if row[7] == "avr" else [])
        missing = [tool for tool in tools if shutil.which(tool) is None]
        if missing:
            print("SKIP %s: %s is missing" % (row[0], missing[0]), flush=True)
            continue
        problems = check_row(opts, row)
        if problems:
            failed += 1
            print("\n     ".join(["FAIL " + row[0]] + problems), flush=True)
        else:
            passed += 1
            print("ok   " + row[0], flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
