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
and the tables stay in flash.

IMA ADPCM headers (--encoding ima-adpcm) of one clip for every target, and
the two banks in IMA ADPCM beside a one-clip header, compiled with
-Wconversion -Wsign-conversion as well (on AVR, where int has 16 bits,
that catches the decoder's narrowing): on the host (gcc -std=c99 and g++
-std=c++17 -pedantic) the program decodes every sample, which must be what
the decoder written here in Python gives from the header's bytes, and 0
after the last; on arm-none-eabi-gcc, avr-gcc and avr-g++ the decoder's
samples go to a port. Two one-clip headers of one target share the
decoder; headers of targets that read the array differently must stop the
build with the header's #error. On AVR the linked program must hold no
libgcc multiply or division routine (avr-nm): the decoder uses shifts and
adds alone.

--source, for every target and both encodings: a one-clip header and a
bank, each with its definitions in a file of their own, linked with a
program whose file includes the headers alone and asserts at compile time
that each array's sizeof is the length the whole header gives it (host gcc
-std=c11 and g++ -std=c++17 -pedantic-errors, run; avr-gcc and avr-g++,
"Data: 0 bytes"). A missing toolchain is skipped.

  check_bank_compiles.py --exe build/clip2c-board --scratch build/bank-compiles-scratch
"""
import argparse
import collections
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


# A compile case: `make(opts, folder)` writes the headers and returns the
# problems; `expect(folder)` is what a "run" program must print. kind:
# "run" (linked and run), "object" (compiled), "avr" (linked, nothing in
# RAM), "avr-ram" (linked; the c target keeps its arrays in RAM), "error"
# (the compiler must stop with `expect(folder)` in its words). `arithmetic`:
# check that no libgcc multiply or division routine is linked in.
Row = collections.namedtuple("Row", "name target signed compiler flags source text kind make expect arithmetic",
                             defaults=(None, None, False))


def pcm8_row(name, target, signed, compiler, flags, source, text, kind):
    return Row(name, target, signed, compiler, flags, source, text, kind,
               lambda opts, folder: make_banks(opts, folder, target, signed), lambda folder: expected_output(signed))


def rows():
    return pcm8_rows() + adpcm_rows() + source_rows()


def pcm8_rows():
    strict = ["-pedantic-errors", "-Wall", "-Wextra", "-Werror"]
    avr = ["-mmcu=atmega328p", "-Os"]
    pgm = board_main("pgm_read_byte(clip.data + clip.length - 1)")
    flash = board_main("clip.data[clip.length - 1]")
    arm = board_main("clip.data[clip.length - 1]")
    out = []
    for target in ("c", "firmware"):
        for signed in (False, True):
            kind = "%s%s" % (target, ", signed" if signed else "")
            out.append(pcm8_row("host C11, " + kind, target, signed, "gcc", ["-std=c11"] + strict, "main.c",
                                host_main(), "run"))
            out.append(pcm8_row("host C++17, " + kind, target, signed, "g++", ["-std=c++17"] + strict, "main.cpp",
                                host_main(), "run"))
    for signed in (False, True):
        kind = ", signed" if signed else ""
        out.append(pcm8_row("arm-none-eabi C11, firmware" + kind, "firmware", signed, "arm-none-eabi-gcc",
                            ["-std=c11", "-mcpu=cortex-m4", "-mthumb", "-c"] + strict, "main.c", arm, "object"))
        out.append(pcm8_row("avr C11, progmem" + kind, "progmem", signed, "avr-gcc", ["-std=c11"] + avr + strict,
                            "main.c", pgm, "avr"))
        out.append(pcm8_row("avr C++17, progmem" + kind, "progmem", signed, "avr-g++",
                            ["-std=c++17"] + avr + strict, "main.cpp", pgm, "avr"))
        out.append(pcm8_row("avr gnu11, flash" + kind, "flash", signed, "avr-gcc", ["-std=gnu11"] + avr + strict,
                            "main.c", flash, "avr"))
    return out


# -- IMA ADPCM -------------------------------------------------------------

ADPCM_FILES = {"beep.raw": pattern(700, seed=7), "boop.wav": pcm8(pattern(1200, seed=8), rate=11025)}
STEPS = [7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88,
         97, 107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658,
         724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660,
         4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818,
         18500, 20350, 22385, 24623, 27086, 29794, 32767]
INDEX_STEPS = [-1, -1, -1, -1, 2, 4, 6, 8]
ADPCM_ERROR = b"ADPCM headers made for different targets share one decoder"
LIBGCC_ARITHMETIC = re.compile(r"\b__(u?mul|u?div|u?divmod|u?mod)\w*\b")


def adpcm_decode(data, count):
    """`count` samples of IMA ADPCM blocks of 256 bytes, by the reference
    decoder's shift-and-add rule."""
    out = []
    for block in range(0, len(data), 256):
        sample = struct.unpack_from("<h", data, block)[0]
        index = min(data[block + 2], 88)
        out.append(sample)
        for byte in data[block + 4:block + 256]:
            for nibble in (byte & 15, byte >> 4):
                step = STEPS[index]
                diff = (step >> 3) + (step if nibble & 4 else 0) + (step >> 1 if nibble & 2 else 0) + \
                    (step >> 2 if nibble & 1 else 0)
                sample = max(-32768, min(32767, sample - diff if nibble & 8 else sample + diff))
                index = max(0, min(88, index + INDEX_STEPS[nibble & 7]))
                out.append(sample)
    return out[:count]


def adpcm_clips(folder, header):
    """{array name: (bytes, samples, rate)} of the ADPCM arrays in a header."""
    with open(os.path.join(folder, header), encoding="ascii") as fh:
        text = fh.read()
    found = {}
    for name, size, body in re.findall(r"unsigned char (\w+_adpcm)\[(\d+)\] =\s*\{([^}]*)\}", text):
        data = bytes(int(v) for v in re.findall(r"\d+", body))
        samples = int(re.search(r"#define %s_samples (\d+)" % name, text).group(1))
        rate = int(re.search(r"#define %s_rate (\d+)" % name, text).group(1))
        found[name] = (data, samples, rate) if len(data) == int(size) else (b"", -1, -1)
    return found


def make_adpcm(headers, banks):
    """A maker: one-clip headers [(file, name, target)] and banks [(name,
    target)] of BANKS' clips, all in IMA ADPCM."""
    def make(opts, folder):
        problems = []
        for name, content in list(FILES.items()) + list(ADPCM_FILES.items()):
            with open(os.path.join(folder, name), "wb") as fh:
                fh.write(content)
        commands = [["--target", target, "--name", name, "-o", name + ".h", source]
                    for source, name, target in headers]
        commands += [["--bank", bank, "--target", target] + [clip[0] for clip in dict(BANKS)[bank]]
                     for bank, target in banks]
        for command in commands:
            status, _, err = run([opts.exe, "--encoding", "ima-adpcm"] + command, folder)
            if status != 0:
                problems.append("clip2c-board %s: status %d, %r" % (" ".join(command), status, err))
        return problems
    return make


def adpcm_clip_main(names, host):
    """Decodes each one-clip header's samples: printed with its count and
    rate on the host (and the 0 after the last), to a port on a board."""
    lines = ['#include "%s.h"' % name for name in names]
    lines = (["#include <stdio.h>"] if host else []) + lines + [
        "", "#define SINK (*(volatile unsigned char *)0x25)", "", "int main(void)", "{",
        "	struct clip2c_adpcm d;", "	uint32_t i;"]
    for name in names:
        lines += ["	clip2c_adpcm_start(&d, %s_adpcm, %s_adpcm_samples);" % (name, name)]
        if host:
            lines += ['	printf("%%lu %%lu\\n", (unsigned long)%s_adpcm_samples, (unsigned long)%s_adpcm_rate);'
                      % (name, name),
                      "	for (i = 0; i <= %s_adpcm_samples; ++i)" % name,
                      '		printf("%d\\n", clip2c_adpcm_next(&d));']
        else:
            lines += ["	for (i = 0; i < %s_adpcm_samples; ++i)" % name,
                      "		SINK = (unsigned char)((clip2c_adpcm_next(&d) >> 8) + 128);"]
    return "\n".join(lines + ["\treturn 0;", "}", ""])


def adpcm_clip_expected(names):
    def expect(folder):
        out = []
        for name in names:
            data, samples, rate = adpcm_clips(folder, name + ".h")[name + "_adpcm"]
            out += ["%d %d" % (samples, rate)] + ["%d" % v for v in adpcm_decode(data, samples)] + ["0"]
        return ("\n".join(out) + "\n").encode()
    return expect


def adpcm_bank_main(host):
    """Every clip of both banks decoded from its table entry, and the
    first sample of the one-clip header beep.h beside them: printed on the
    host, to a port on a board."""
    lines = (["#include <stdio.h>"] if host else []) + [
        '#include "sfx.h"', '#include "ui.h"', '#include "beep.h"', "",
        "#define SINK (*(volatile unsigned char *)0x25)", "", "int main(void)", "{", "\tstruct clip2c_adpcm d;",
        "\tunsigned i;", "\tuint32_t j;"]
    for bank, _ in BANKS:
        lines += ["\tfor (i = 0; i < %s_COUNT; ++i) {" % bank.upper(),
                  "\t\tstruct %s_clip clip = %s_at(i);" % (bank, bank),
                  "\t\tclip2c_adpcm_start(&d, clip.data, (uint32_t)clip.samples);"]
        if host:
            lines += ['\t\tprintf("%lu %lu %lu\\n", clip.bytes, clip.samples, clip.rate);',
                      "\t\tfor (j = 0; j < clip.samples; ++j)",
                      '\t\t\tprintf("%d\\n", clip2c_adpcm_next(&d));']
        else:
            lines += ["\t\tfor (j = 0; j < clip.samples; ++j)",
                      "\t\t\tSINK = (unsigned char)((clip2c_adpcm_next(&d) >> 8) + 128);",
                      "\t\tSINK = (unsigned char)clip.rate;"]
        lines += ["\t}"]
    lines += ["\tclip2c_adpcm_start(&d, beep_adpcm, beep_adpcm_samples);",
              '\tprintf("%d\\n", clip2c_adpcm_next(&d));' if host else
              "\tSINK = (unsigned char)(clip2c_adpcm_next(&d) >> 8);"]
    return "\n".join(lines + ["\treturn 0;", "}", ""])


def adpcm_bank_expected(folder):
    out = []
    for bank, clips in BANKS:
        arrays = adpcm_clips(folder, bank + ".h")
        for source, _, _ in clips:
            data, samples, rate = arrays[os.path.splitext(source)[0] + "_adpcm"]
            out += ["%d %d %d" % (len(data), samples, rate)] + ["%d" % v for v in adpcm_decode(data, samples)]
    data, samples, _ = adpcm_clips(folder, "beep.h")["beep_adpcm"]
    out += ["%d" % adpcm_decode(data, samples)[0]]
    return ("\n".join(out) + "\n").encode()


def adpcm_rows():
    strict = ["-pedantic", "-Wall", "-Wextra", "-Werror", "-Wconversion", "-Wsign-conversion"]
    avr = ["-mmcu=atmega328p", "-Os"]
    arm = ["-mcpu=cortex-m0", "-mthumb", "-c"]
    c99, cxx = ["-std=c99"] + strict, ["-std=c++17"] + strict
    one, two = ["beep"], ["beep", "boop"]

    def clip(name, target, compiler, flags, source, names, kind, host=False):
        headers = [(file, stem, target) for file, stem in (("beep.raw", "beep"), ("boop.wav", "boop"))
                   if stem in names]
        return Row("ADPCM " + name, target, False, compiler, flags, source, adpcm_clip_main(names, host), kind,
                   make_adpcm(headers, []), adpcm_clip_expected(names) if host else None,
                   compiler.startswith("avr"))

    out = []
    for target in ("c", "firmware"):
        out += [clip("host C99, " + target, target, "gcc", c99, "main.c", one, "run", True),
                clip("host C++17, " + target, target, "g++", cxx, "main.cpp", one, "run", True),
                clip("arm-none-eabi C99, " + target, target, "arm-none-eabi-gcc", c99 + arm, "main.c", one,
                     "object"),
                clip("avr C99, " + target, target, "avr-gcc", c99 + avr, "main.c", one, "avr-ram")]
    out += [clip("avr C99, progmem", "progmem", "avr-gcc", c99 + avr, "main.c", one, "avr"),
            clip("avr C++17, progmem", "progmem", "avr-g++", cxx + avr, "main.cpp", one, "avr"),
            clip("avr gnu99, flash", "flash", "avr-gcc", ["-std=gnu99"] + strict + avr, "main.c", one, "avr"),
            clip("avr gnu11, flash", "flash", "avr-gcc", ["-std=gnu11"] + strict + avr, "main.c", one, "avr"),
            # Two headers of one target: the decoder once, by its guard.
            clip("two headers, host C99, c", "c", "gcc", c99, "main.c", two, "run", True),
            clip("two headers, host C++17, c", "c", "g++", cxx, "main.cpp", two, "run", True),
            clip("two headers, avr C99, progmem", "progmem", "avr-gcc", c99 + avr, "main.c", two, "avr"),
            clip("two headers, avr gnu11, flash", "flash", "avr-gcc", ["-std=gnu11"] + strict + avr, "main.c",
                 two, "avr")]
    # c and firmware read the array alike: their headers go together.
    out.append(Row("ADPCM c and firmware headers, host C99", "c", False, "gcc", c99, "main.c",
                   adpcm_clip_main(two, True), "run", make_adpcm([("beep.raw", "beep", "c"),
                                                                  ("boop.wav", "boop", "firmware")], []),
                   adpcm_clip_expected(two)))
    for first, second in (("c", "progmem"), ("progmem", "flash"), ("flash", "c")):
        out.append(Row("ADPCM %s and %s headers stop with the #error" % (first, second), first, False, "avr-gcc",
                       ["-std=gnu11"] + avr, "main.c", adpcm_clip_main(two, False), "error",
                       make_adpcm([("beep.raw", "beep", first), ("boop.wav", "boop", second)], []),
                       lambda folder: ADPCM_ERROR))

    def bank(name, target, compiler, flags, source, kind, host=False):
        return Row("ADPCM banks and a clip, " + name, target, False, compiler, flags, source,
                   adpcm_bank_main(host), kind,
                   make_adpcm([("beep.raw", "beep", target)], [("sfx", target), ("ui", target)]),
                   adpcm_bank_expected if host else None, compiler.startswith("avr"))

    out += [bank("host C99, c", "c", "gcc", c99, "main.c", "run", True),
            bank("host C++17, c", "c", "g++", cxx, "main.cpp", "run", True),
            bank("arm-none-eabi C99, firmware", "firmware", "arm-none-eabi-gcc", c99 + arm, "main.c", "object"),
            bank("avr C99, progmem", "progmem", "avr-gcc", c99 + avr, "main.c", "avr"),
            bank("avr C++17, progmem", "progmem", "avr-g++", cxx + avr, "main.cpp", "avr"),
            bank("avr gnu11, flash", "flash", "avr-gcc", ["-std=gnu11"] + strict + avr, "main.c", "avr")]
    return out


# -- --source: the definitions in a file, the header declaring them -------

SOURCE_FILES = ["click_clip.c", "sfx_bank.c"]
DIMENSION = re.compile(r"^(?:static )?const [^\n]* (\w+)\[(\w+)\] =", re.M)


def make_sources(target, encoding):
    """A maker: click.h and sfx.h with their definitions in SOURCE_FILES,
    and the whole headers whole_click.h and whole_sfx.h beside them."""
    def make(opts, folder):
        for name, content in FILES.items():
            with open(os.path.join(folder, name), "wb") as fh:
                fh.write(content)
        problems = []
        for (stem, more, inputs), definitions in zip(
                (("click", ["--name", "click"], ["click.wav"]),
                 ("sfx", ["--bank", "sfx"], [clip[0] for clip in dict(BANKS)["sfx"]])), SOURCE_FILES):
            for argv in (["-o", "whole_%s.h" % stem], ["-o", stem + ".h", "--source", definitions]):
                status, _, err = run([opts.exe, "--target", target, "--encoding", encoding] + more + argv + inputs,
                                     folder)
                if status != 0:
                    problems.append("clip2c-board %s: status %d, %r" % (" ".join(more + argv), status, err))
        return problems
    return make


def source_main(target):
    """The program's text: it includes the headers alone, checks each
    array's length (as the whole headers give it) at compile time, and
    reads each array's first element (the bank's table through sfx_at)."""
    host = target in ("c", "firmware")

    def text(folder):
        arrays = []
        for whole in ("whole_click.h", "whole_sfx.h"):
            with open(os.path.join(folder, whole), encoding="ascii") as fh:
                arrays += DIMENSION.findall(fh.read())
        arrays = list(dict.fromkeys(arrays))  # the step table once
        lines = ['#include "click.h"', '#include "sfx.h"', "", "#ifdef __cplusplus",
                 "#define CHECK(e) static_assert(e, #e)", "#else", "#define CHECK(e) _Static_assert(e, #e)",
                 "#endif", "#define READ(x) " + ("pgm_read_byte(&(x))" if target == "progmem" else "(x)"), ""]
        lines += ["CHECK(sizeof %s / sizeof %s[0] == %s);" % (name, name, size) for name, size in arrays]
        # On AVR the values go to a port, which takes no RAM.
        lines += ["", "volatile unsigned char sink;" if host else "#define sink (*(volatile unsigned char *)0x25)",
                  "", "int main(void)", "{", "\tsink = (unsigned char)sfx_at(0).rate;"]
        lines += ["\tsink = (unsigned char)READ(%s[0]);" % name for name, size in arrays if size.isdigit()]
        return "\n".join(lines + ["\treturn 0;", "}", ""])
    return text


def source_rows():
    strict = ["-pedantic-errors", "-Wall", "-Wextra", "-Werror"]
    avr = ["-mmcu=atmega328p", "-Os"]
    cases = [("host C11", "gcc", ["-std=c11"], "main.c", ("c", "firmware"), "run"),
             ("host C++17", "g++", ["-std=c++17"], "main.cpp", ("c", "firmware"), "run"),
             ("avr C11", "avr-gcc", ["-std=c11"] + avr, "main.c", ("progmem",), "avr"),
             ("avr C++17", "avr-g++", ["-std=c++17"] + avr, "main.cpp", ("progmem",), "avr"),
             ("avr gnu11", "avr-gcc", ["-std=gnu11"] + avr, "main.c", ("flash",), "avr")]
    # g++ and avr-g++ compile the definitions as C++, as CMake's SOURCE does
    # where C is not enabled.
    return [Row("--source %s, %s, %s" % (name, target, encoding), target, False, compiler,
                flags + strict + SOURCE_FILES, main, source_main(target), kind, make_sources(target, encoding),
                lambda folder: b"")
            for name, compiler, flags, main, targets, kind in cases for target in targets
            for encoding in ("pcm8", "ima-adpcm")]


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
    name, compiler, flags, source, kind = row.name, row.compiler, row.flags, row.source, row.kind
    folder = os.path.join(opts.scratch, re.sub(r"[^a-z0-9]+", "-", name.lower()))
    os.makedirs(folder)
    problems = row.make(opts, folder)
    if problems:
        return problems
    with open(os.path.join(folder, source), "w", encoding="ascii") as fh:
        fh.write(row.text(folder) if callable(row.text) else row.text)
    output = "main.o" if kind == "object" else "main.elf"
    status, _, err = run([compiler] + flags + ["-o", output, source], folder)
    if kind == "error":
        if status == 0 or row.expect(folder) not in err:
            return ["%s: status %d, expected it to stop with %r:\n%s" % (compiler, status, row.expect(folder),
                                                                         err.decode(errors="replace"))]
        return []
    if status != 0:
        return ["%s %s: status %d\n%s" % (compiler, " ".join(flags), status, err.decode(errors="replace"))]
    if kind == "run":
        expected = row.expect(folder)
        status, out, err = run([os.path.join(folder, output)], folder)
        if status != 0 or out != expected:
            shown = out if len(out) < 400 else out[:400] + b"..."
            problems.append("the program gave status %d, %r; expected %r" % (status, shown, expected[:400]))
    if row.arithmetic:
        _, out, _ = run(["avr-nm", output], folder)
        routines = sorted(set(m.group(0) for m in LIBGCC_ARITHMETIC.finditer(out.decode(errors="replace"))))
        if routines:
            problems.append("libgcc's multiply or division is linked in: " + ", ".join(routines))
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
        tools = [row.compiler] + (["avr-size"] if row.kind == "avr" else []) + (["avr-nm"] if row.arithmetic else [])
        missing = [tool for tool in tools if shutil.which(tool) is None]
        if missing:
            print("SKIP %s: %s is missing" % (row.name, missing[0]), flush=True)
            continue
        problems = check_row(opts, row)
        if problems:
            failed += 1
            print("\n     ".join(["FAIL " + row.name] + problems), flush=True)
        else:
            passed += 1
            print("ok   " + row.name, flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
