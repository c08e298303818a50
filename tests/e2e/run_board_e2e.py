#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end cases for the built clip2c-board executable.

Each case runs clip2c-board in a fresh scratch folder holding the case's
files, then compares standard error and standard output byte for byte, the
exit status, and the whole folder afterwards: a file the case expects to be
written must hold exactly the expected bytes, and every other file must be
as it was (a refused run creates, truncates and leaves nothing, not even a
temporary file).

The expected texts are built here from the rules the tool documents (the
array, the board's comment and #define, the fit sentence, the figures),
not taken from the tool. Cases marked `same_as_tool` also run clip2c (--tool)
on the same file and require clip2c-board's header to be clip2c's header,
byte for byte.

  run_board_e2e.py --exe build/clip2c-board --tool build/clip2c --scratch build/board-e2e-scratch
  run_board_e2e.py --exe build-win/clip2c-board.exe --tool build-win/clip2c.exe --scratch /tmp/s \\
      --prefix "$PWD/cmake/wine-run.sh" --windows

--windows reads CR LF on standard output and standard error as LF (the C
runtime's text mode) and picks the cases of Windows paths.
"""
import argparse
import math
import os
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
from dataclasses import dataclass, field

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import Tally, c_array, chunk, fmt, pattern, pcm8, riff, wave_module_file  # noqa: E402

SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
P = "clip2c-board: "
USAGE = ("usage: clip2c-board [--target c|firmware|progmem|flash] [--encoding pcm8|ima-adpcm] [--name NAME] "
         "[--rate HZ] [--normalize] [--trim] [--signed] [-o OUTPUT] [--source FILE] INPUT\n"
         "       clip2c-board --bank NAME [options] INPUT...")
REFUSED, BAD_USAGE = 1, 2


def project_version():
    text = open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8").read()
    return re.search(r"project\(clip2c VERSION (\S+)", text).group(1)


# --- The texts, from the documented rules -------------------------------------

def grouped(n):
    return "{:,}".format(n)


def seconds_near(n, rate):
    """n samples at rate, rounded to the nearest millisecond (halves up)."""
    millis = (n * 2000 + rate) // (rate * 2)
    return "%d.%03d" % (millis // 1000, millis % 1000)


def seconds_down(n, rate):
    millis = n * 1000 // rate
    return "%d.%03d" % (millis // 1000, millis % 1000)


def percent_text(percent):
    """Two significant digits, whole from 10 on, "0" for none."""
    if percent <= 0:
        return "0"
    decimals = min(max(1 - math.floor(math.log10(percent)), 0), 12)
    scaled = math.floor(percent * 10 ** decimals + 0.5)
    if decimals == 0:
        return str(scaled)
    whole, fraction = divmod(scaled, 10 ** decimals)
    return "%d.%0*d" % (whole, decimals, fraction)


UNO_ROOM, NANO_ROOM, ARRAY_LIMIT = 32256 - 768, 30720 - 768, 32767


def fit_text(target, n, rate):
    size = grouped(n) + (" byte" if n == 1 else " bytes")
    if target in ("c", "firmware"):
        boards = [(256 * 1024, "256 KB (SAMD21)"), (512 * 1024, "512 KB"), (2 * 1024 * 1024, "2 MB (RP2040)"),
                  (4 * 1024 * 1024, "4 MB (ESP32)")]
        return size + ": " + ", ".join("%s %% of %s" % (percent_text(100.0 * n / b), label)
                                       for b, label in boards) + "."

    def room(b):
        return grouped(b) + " bytes" + (" (%s s at %d Hz)" % (seconds_down(b, rate), rate) if rate else "")
    if n <= UNO_ROOM and n <= NANO_ROOM:
        return "Fits an Arduino Uno or Nano: %s, where the Uno holds %s and the Nano %s." % (
            size, room(UNO_ROOM), room(NANO_ROOM))
    if n <= UNO_ROOM:
        return "Fits an Arduino Uno: %s, where it holds %s; too big for a Nano, which holds %s." % (
            size, room(UNO_ROOM), room(NANO_ROOM))
    return ("Too big for an Arduino Uno: %s, where it holds %s. Lower the rate, trim it, or cut the clip "
            "shorter; a board with more flash still takes at most 32,767 bytes in one array." % (size, room(UNO_ROOM)))


def board_text(target, name, samples, rate, signed=False):
    """The header clip2c-board writes for `target`."""
    text = c_array(name, samples, signed)
    if target == "c":
        return text
    n = len(samples)
    length = "%s s at %d Hz" % (seconds_near(n, rate), rate) if rate else "length unknown at 0 Hz"
    kind = "signed 8-bit (silence 0)" if signed else "unsigned 8-bit (silence 128)"
    head = "/* %s_wave: %s samples, %s, %s */\n" % (name, grouped(n), length, kind)
    if target == "progmem":
        head += "#include <avr/pgmspace.h>\n"
    head += "#define %s_wave_rate %d\n" % (name, rate)
    words = {"firmware": "", "progmem": " PROGMEM", "flash": " __flash"}[target] + (" signed" if signed else "")
    return head.encode() + b"const" + words.encode() + text[len(b"const"):]


def made(shown, what, out, name, n, rate, target="c", notes=(), encoding="utf-8"):
    """The lines of a written clip; names in them are bytes in `encoding`,
    as the tool received them."""
    figures = "%s_wave, %s %s, " % (name, grouped(n), "sample" if n == 1 else "samples")
    figures += "%s s at %d Hz" % (seconds_near(n, rate), rate) if rate else "length unknown at 0 Hz"
    lines = ["%s: %s" % (shown, what), "wrote %s: %s" % (out, figures), fit_text(target, n, rate)]
    lines += ["note: " + note for note in notes]
    return "".join(P + line + "\n" for line in lines).encode(encoding)


def refused(shown, why):
    return ("%s%s: %s\n" % (P, shown, why)).encode()


def usage_error(why):
    return ("%s%s\n%s\n" % (P, why, USAGE)).encode()


def proposed_note(base, name):
    return ('"%s" does not give a C identifier, so the array would not compile; it is named %s_wave instead. '
            "Choose another name to change it." % (base, name))


# --- Banks --------------------------------------------------------------------

BANK_UNO, BANK_NANO = 32256 - 1024, 30720 - 1024


def bank_fit(target, clips):
    """The fit of a bank of `clips` ([(name, samples, rate)])."""
    total = sum(len(samples) for _, samples, _ in clips)
    if target in ("c", "firmware"):
        return fit_text(target, total, 0)
    size = "%s bytes (clips %s, table %s)" % (grouped(total + 10 * len(clips)), grouped(total),
                                              grouped(10 * len(clips)))
    if total + 10 * len(clips) <= BANK_NANO:
        return ("Fits an Arduino Uno or Nano beside the bank sketch: %s, where the Uno holds 30,944 bytes and the "
                "Nano 29,408 bytes." % size)
    return "Too big for an Arduino Uno beside the bank sketch: %s, where it holds 30,944 bytes." % size


def bank_header(bank, target, clips, signed=False):
    """The header of the bank `bank` of `clips` ([(name, samples, rate)])."""
    up = bank.upper()
    total = sum(len(samples) for _, samples, _ in clips)
    kind = "signed 8-bit (silence 0)" if signed else "unsigned 8-bit (silence 128)"
    lines = ["/* %s: %d clip%s, %s sample%s in all" % (bank, len(clips), "" if len(clips) == 1 else "s",
                                                      grouped(total), "" if total == 1 else "s")]
    lines += ["   %s_wave: %s samples, %s s at %d Hz, %s" % (name, grouped(len(samples)),
                                                              seconds_near(len(samples), rate), rate, kind)
              for name, samples, rate in clips]
    text = "\n".join(lines) + " */\n#ifndef %s_BANK_H\n#define %s_BANK_H\n" % (up, up)
    text += "#include <avr/pgmspace.h>\n" if target == "progmem" else ""
    text = text.encode() + b"\n"
    for name, samples, rate in clips:
        one = board_text(target, name, samples, rate, signed)
        if target != "c":
            one = one.split(b"\n", 2 if target == "progmem" else 1)[-1]
        text += one + b"\n"
    pointer = {"flash": "const __flash "}.get(target, "const ")
    pointer += "unsigned char *" if not signed else "char *" if target == "c" else "signed char *"
    where = {"progmem": "const PROGMEM struct", "flash": "const __flash struct"}.get(target, "const struct")
    rest = "enum { %s };\n\n" % ", ".join(["%s_%s" % (up, name.upper()) for name, _, _ in clips] + [up + "_COUNT"])
    rest += "struct %s_clip {\n\t%sdata;\n\tunsigned long length;\n\tunsigned long rate;\n};\n\n" % (bank, pointer)
    rest += "%s %s_clip %s_clips[%s_COUNT] = {\n" % (where, bank, bank, up)
    rest += "".join("\t{%s_wave, %d, %s},\n" % (name, len(samples), rate if target == "c" else name + "_wave_rate")
                    for name, samples, rate in clips)
    rest += "};\n\n/* Entry `index` of %s_clips (below %s_COUNT)" % (bank, up)
    rest += {"progmem": ", read from flash; its samples are then read with pgm_read_byte(data + i). */\n",
             "flash": ", read from flash; its samples are then read as data[i]. */\n"}.get(
        target, "; its samples are data[0] to data[length - 1]. */\n")
    rest += "static inline struct %s_clip %s_at(unsigned index)\n{\n" % (bank, bank)
    if target == "progmem":
        rest += "\tstruct %s_clip clip;\n\tmemcpy_P(&clip, &%s_clips[index], sizeof clip);\n\treturn clip;\n" % (
            bank, bank)
    else:
        rest += "\treturn %s_clips[index];\n" % bank
    return text + (rest + "}\n\n#endif\n").encode()


def bank_made(out, target, inputs, notes=()):
    """The lines of a written bank; `inputs` are [(shown, what, name, samples, rate)]."""
    lines = []
    for shown, what, name, samples, rate in inputs:
        figures = "%s_wave, %s %s, %s s at %d Hz" % (name, grouped(len(samples)),
                                                     "sample" if len(samples) == 1 else "samples",
                                                     seconds_near(len(samples), rate), rate)
        lines.append("%s: %s; %s" % (shown, what, figures))
    total = sum(len(clip[3]) for clip in inputs)
    lines.append("wrote %s: %d clip%s, %s sample%s in all" % (out, len(inputs), "" if len(inputs) == 1 else "s",
                                                              grouped(total), "" if total == 1 else "s"))
    lines.append(bank_fit(target, [clip[2:] for clip in inputs]))
    lines += ["note: " + note for note in notes]
    return "".join(P + line + "\n" for line in lines).encode()


# --- IMA ADPCM ----------------------------------------------------------------
#
# The encoder searches for its nibbles, so the bytes are not rebuilt here:
# the header around them is (the comment, the decoder's guard, the defines,
# the array as the tool writes arrays), and the bytes must decode, by the
# IMA reference decoder in its shift-and-add form, to the clip's count, each
# block starting exactly at its sample and the whole close to the sound.

ADPCM_BLOCK, ADPCM_BLOCK_SAMPLES = 256, 505
ADPCM_UNO, ADPCM_NANO = 32256 - 1280, 30720 - 1280
STEPS = [7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31, 34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97,
         107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658, 724, 796,
         876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024, 3327, 3660, 4026, 4428,
         4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350,
         22385, 24623, 27086, 29794, 32767]
INDEX_STEPS = [-1, -1, -1, -1, 2, 4, 6, 8]


def adpcm_count(n):
    """The samples n prepared samples are encoded as: a short last block's
    nibbles made whole 4-byte words (8 samples) after its header's sample."""
    blocks, rest = divmod(n, ADPCM_BLOCK_SAMPLES)
    return blocks * ADPCM_BLOCK_SAMPLES + (1 + -(-(rest - 1) // 8) * 8 if rest else 0)


def adpcm_bytes(n):
    blocks, rest = divmod(adpcm_count(n), ADPCM_BLOCK_SAMPLES)
    return blocks * ADPCM_BLOCK + (4 + (rest - 1) // 2 if rest else 0)


def adpcm_samples_in(size):
    blocks, rest = divmod(size, ADPCM_BLOCK)
    return blocks * ADPCM_BLOCK_SAMPLES + (1 + (rest - 4) // 4 * 8 if rest >= 4 else 0)


def adpcm_fit(target, size, rate):
    if target in ("c", "firmware"):
        return fit_text(target, size, rate)
    text = grouped(size) + (" byte" if size == 1 else " bytes")

    def room(b):
        return grouped(b) + " bytes (%s s at %d Hz)" % (seconds_down(adpcm_samples_in(b), rate), rate)
    if size <= ADPCM_NANO:
        return "Fits an Arduino Uno or Nano: %s, where the Uno holds %s and the Nano %s." % (
            text, room(ADPCM_UNO), room(ADPCM_NANO))
    if size <= ADPCM_UNO:
        return "Fits an Arduino Uno: %s, where it holds %s; too big for a Nano, which holds %s." % (
            text, room(ADPCM_UNO), room(ADPCM_NANO))
    return ("Too big for an Arduino Uno: %s, where it holds %s. Lower the rate, trim it, or cut the clip "
            "shorter; a board with more flash still takes at most 32,767 bytes in one array." % (text, room(ADPCM_UNO)))


def adpcm_made(shown, what, out, name, n, rate, target="c", notes=()):
    """The lines of a written IMA ADPCM clip of n prepared samples."""
    count, size = adpcm_count(n), adpcm_bytes(n)
    figures = "%s_adpcm, %s %s in %s %s, %s s at %d Hz" % (
        name, grouped(count), "sample" if count == 1 else "samples", grouped(size), "byte" if size == 1 else "bytes",
        seconds_near(count, rate), rate)
    lines = ["%s: %s" % (shown, what), "wrote %s: %s" % (out, figures), adpcm_fit(target, size, rate)]
    lines += ["note: " + note for note in notes]
    return "".join(P + line + "\n" for line in lines).encode()


def decode_adpcm(data, count):
    """The first `count` samples of `data`, and the blocks' (sample, index, zero) headers."""
    out, heads = [], []
    for start in range(0, len(data), ADPCM_BLOCK):
        block = data[start:start + ADPCM_BLOCK]
        sample, index, zero = struct.unpack("<hBB", block[:4])
        heads.append((sample, index, zero))
        out.append(sample)
        index = min(index, 88)
        for byte in block[4:]:
            for nibble in (byte & 15, byte >> 4):
                step = STEPS[index]
                diff = step >> 3
                diff += step if nibble & 4 else 0
                diff += step >> 1 if nibble & 2 else 0
                diff += step >> 2 if nibble & 1 else 0
                sample = max(-32768, min(32767, sample - diff if nibble & 8 else sample + diff))
                index = max(0, min(88, index + INDEX_STEPS[nibble & 7]))
                out.append(sample)
    return out[:count], heads


# The decoder blocks met so far, by the number the guard gives each target:
# every header of a target holds the same one, and c and firmware share it.
DECODERS = {}


@dataclass
class AdpcmHeader:
    """An IMA ADPCM header of `sound` (the 16-bit samples prepared) for `target`."""
    target: str
    name: str
    sound: list
    rate: int
    snr: float = 30.0  # the least signal-to-error ratio of the decoded clip, in dB

    def problems(self, got):
        if not isinstance(got, bytes):
            return ["no header"]
        text = got.decode("ascii", "replace")
        count, size, name = adpcm_count(len(self.sound)), adpcm_bytes(len(self.sound)), self.name + "_adpcm"
        guard = {"c": 1, "firmware": 1, "progmem": 2, "flash": 3}[self.target]
        # The comment says "samples" for any count, as the 8-bit one does.
        head = "/* %s: %s samples, %s s at %d Hz, IMA ADPCM in %s bytes */\n" % (
            name, grouped(count), seconds_near(count, self.rate), self.rate, grouped(size))
        head += "#include <avr/pgmspace.h>\n" if self.target == "progmem" else ""
        opening = "#ifndef CLIP2C_ADPCM_DECODER\n#define CLIP2C_ADPCM_DECODER %d\n" % guard
        closing = ("#elif CLIP2C_ADPCM_DECODER != %d\n#error \"clip2c: ADPCM headers made for different targets share "
                   "one decoder: make them for one target\"\n#endif\n\n" % guard)
        decoder = text[len(head):text.find(closing) + len(closing)] if closing in text else ""
        problems = []
        if not decoder.startswith(opening):
            return ["not a header with the decoder: %r..." % got[:300]]
        if DECODERS.setdefault(guard, decoder) != decoder:
            problems.append("the decoder differs from another header's for the same target")
        values = re.findall(r"-?\d+", text[text.find("{", len(head) + len(decoder)):])
        data = bytes(int(v) & 0xFF for v in values)
        words = {"progmem": " PROGMEM", "flash": " __flash"}.get(self.target, "")
        body = "#define %s_rate %d\n#define %s_samples %d\n#define %s_block_bytes 256\n" % (
            name, self.rate, name, count, name)
        expected = (head + decoder + body).encode() + b"const" + words.encode() + c_array(name[:-6], data)[5:].replace(
            b"_wave[", b"_adpcm[", 1)
        if got != expected:
            problems.append("header %r...\n   expected %r..." % (got[len(head) + len(decoder):][:300],
                                                              expected[len(head) + len(decoder):][:300]))
        if len(data) != size:
            return problems + ["%d bytes, expected %d" % (len(data), size)]
        decoded, heads = decode_adpcm(data, count)
        held = self.sound + self.sound[-1:] * (count - len(self.sound))
        starts = [(held[i * ADPCM_BLOCK_SAMPLES], 0) for i in range(len(heads))]
        if [(sample, zero) for sample, _, zero in heads] != starts or any(h[1] > 88 for h in heads):
            problems.append("block headers %r, expected samples and zeros %r" % (heads[:4], starts[:4]))
        signal_power = sum(v * v for v in held)
        error = sum((a - b) ** 2 for a, b in zip(decoded, held))
        if len(decoded) != count or (error and 10 * math.log10(signal_power / error) < self.snr):
            problems.append("decodes to %d samples at %.1f dB, expected %d at %.0f dB or more" % (
                len(decoded), 10 * math.log10(signal_power / error) if error else 999, count, self.snr))
        return problems


# --- Clips --------------------------------------------------------------------

S = pattern(500)
WAV500 = pcm8(S)


def pcm16_stereo(samples8, rate=8000):
    """A 16-bit stereo file whose two channels are each 8-bit sample u as
    (u - 128) * 256: read at its own rate it is exactly `samples8`."""
    frames = b"".join(struct.pack("<hh", (u - 128) * 256, (u - 128) * 256) for u in samples8)
    return wave_module_file(frames, channels=2, width=2, rate=rate)


def float32_mono(samples8, rate=8000):
    frames = b"".join(struct.pack("<f", (u - 128) / 128.0) for u in samples8)
    return riff(fmt(tag=3, bits=32, rate=rate), chunk(b"data", frames))


def zero_rate(wave):
    """The WAV file with its "fmt " chunk's rate set to 0 (the canonical
    header's offset 24)."""
    return wave[:24] + b"\0\0\0\0" + wave[28:]


QUIET = bytes([128, 127, 129, 126, 130]) + S[:40] + bytes([130, 128, 126])
HALF = bytes([128 + 64, 128 - 64, 128 + 32, 128, 128 - 16])  # peak 64: normalize doubles each step
ADPCM = riff(fmt(tag=0x11, channels=1, bits=4, align=256, extra=struct.pack("<HH", 2, 505)),
             chunk(b"fact", struct.pack("<I", 1010)), chunk(b"data", S[:512]))
ULAW = riff(fmt(tag=7), chunk(b"fact", struct.pack("<I", 50)), chunk(b"data", S[:50]))
ALAW = riff(fmt(tag=6, channels=2), chunk(b"data", S[:100]))
ODD_TAG = riff(fmt(tag=0x1234), chunk(b"data", S[:10]))
LONG = pattern(40000, seed=5)
EXTENSIBLE = fmt(tag=0xFFFE, extra=struct.pack("<HHI16s", 22, 8, 4,
                                               b"\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"))

AS_IS = "8-bit mono 8000 Hz, converted as it is"
RAW_AS_IS = "raw 8-bit 8000 Hz, converted as it is"
CANNOT_READ = "cannot read it; check that it exists, is a file and may be read"
CANNOT_WRITE = "cannot write it; check that its folder exists and may be written"
CLIP_OUT_OF_MEMORY = "out of memory: the clip or its text does not fit"
# A file the kernel gives a size (a page) it does not hold.
SYSFS_FILE = "/sys/kernel/uevent_seqnum"
MIB = 1 << 20


@dataclass
class Sparse:
    """A file of `size` zero bytes that takes no room on the disk."""
    size: int


@dataclass
class Case:
    name: str
    args: list
    stderr: bytes
    status: int
    files: dict = field(default_factory=dict)    # folder contents before the run
    written: dict = field(default_factory=dict)  # files the run must leave, with their bytes
    stdout: bytes = b""
    same_as_tool: str = ""                       # the file whose clip2c header must be the written one
    only: str = ""                               # "posix" or "windows"
    # POSIX resource limits the run starts under: "as" (address space),
    # "fsize" (the largest file it may write).
    limits: dict = field(default_factory=dict)
    needs: str = ""                              # a path the case reads, skipped when it is not there


CASES = [
    # The byte-for-byte rule: an 8-bit mono WAV at its own rate, and a raw
    # clip, give clip2c's own text with --target c.
    Case("8-bit mono wav", ["clip.wav"], made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"clip.h": c_array("clip", S)}, same_as_tool="clip.wav"),
    Case("8-bit mono wav, signed", ["--signed", "clip.wav"], made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"clip.h": c_array("clip", S, signed=True)}, same_as_tool="clip.wav"),
    Case("raw clip", ["beep.raw"], made("beep.raw", "raw 8-bit 8000 Hz, converted as it is", "beep.h", "beep", 300,
                                        8000), 0,
         files={"beep.raw": S[:300]}, written={"beep.h": c_array("beep", S[:300])}, same_as_tool="beep.raw"),
    Case("raw clip, signed", ["--signed", "beep.raw"],
         made("beep.raw", "raw 8-bit 8000 Hz, converted as it is", "beep.h", "beep", 256, 8000), 0,
         files={"beep.raw": bytes(range(256))}, written={"beep.h": c_array("beep", bytes(range(256)), signed=True)},
         same_as_tool="beep.raw"),
    Case("wav from Python's wave writer at 22050 Hz", ["tone.wav"],
         made("tone.wav", "8-bit mono 22050 Hz, converted as it is", "tone.h", "tone", 333, 22050), 0,
         files={"tone.wav": wave_module_file(S[:333], rate=22050)}, written={"tone.h": c_array("tone", S[:333])},
         same_as_tool="tone.wav"),
    Case("extensible fmt, 8-bit mono", ["ext.wav"], made("ext.wav", AS_IS, "ext.h", "ext", 21, 8000), 0,
         files={"ext.wav": riff(EXTENSIBLE, chunk(b"data", S[:21]))}, written={"ext.h": c_array("ext", S[:21])},
         same_as_tool="ext.wav"),
    Case("data ahead of fmt, last data chunk wins", ["odd.wav"], made("odd.wav", AS_IS, "odd.h", "odd", 3, 8000), 0,
         files={"odd.wav": riff(chunk(b"data", S[:5]), chunk(b"LIST", b"INFO"), fmt(), chunk(b"data", S[9:12]))},
         written={"odd.h": c_array("odd", S[9:12])}, same_as_tool="odd.wav"),
    Case("fmt without data gives an empty array", ["none.wav"], made("none.wav", AS_IS, "none.h", "none", 0, 8000), 0,
         files={"none.wav": riff(fmt())}, written={"none.h": c_array("none", b"")}, same_as_tool="none.wav"),
    Case("one sample", ["one.raw"], made("one.raw", "raw 8-bit 8000 Hz, converted as it is", "one.h", "one", 1,
                                         8000), 0,
         files={"one.raw": b"\x80"}, written={"one.h": c_array("one", b"\x80")}, same_as_tool="one.raw"),
    Case("download cut short: converted, and a note", ["cut.wav"],
         made("cut.wav", AS_IS, "cut.h", "cut", 256, 8000, notes=["cut short: 256 of 500 bytes"]), 0,
         files={"cut.wav": WAV500[:300]}, written={"cut.h": c_array("cut", WAV500[44:300])}, same_as_tool="cut.wav"),
    Case("8-bit mono wav at 0 Hz converts as it is", ["zero.wav"],
         made("zero.wav", "8-bit mono 0 Hz, converted as it is", "zero.h", "zero", 500, 0), 0,
         files={"zero.wav": zero_rate(WAV500)}, written={"zero.h": c_array("zero", S)}, same_as_tool="zero.wav"),
    Case("--rate at the file's own rate converts as it is", ["--rate", "8000", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"clip.h": c_array("clip", S)}, same_as_tool="clip.wav"),

    # Targets.
    Case("firmware", ["--target", "firmware", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000, "firmware"), 0,
         files={"clip.wav": WAV500}, written={"clip.h": board_text("firmware", "clip", S, 8000)}),
    Case("progmem", ["--target=progmem", "clip.wav"], made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000, "progmem"),
         0, files={"clip.wav": WAV500}, written={"clip.h": board_text("progmem", "clip", S, 8000)}),
    Case("flash, signed", ["--target", "flash", "--signed", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000, "flash"), 0,
         files={"clip.wav": WAV500}, written={"clip.h": board_text("flash", "clip", S, 8000, signed=True)}),
    Case("firmware, signed, rate 0 Hz", ["--target", "firmware", "--signed", "zero.wav"],
         made("zero.wav", "8-bit mono 0 Hz, converted as it is", "zero.h", "zero", 500, 0, "firmware"), 0,
         files={"zero.wav": zero_rate(WAV500)}, written={"zero.h": board_text("firmware", "zero", S, 0, True)}),
    Case("raw clip at --rate 11025", ["--target", "firmware", "--rate=11025", "beep.raw"],
         made("beep.raw", "raw 8-bit 11025 Hz, converted as it is", "beep.h", "beep", 300, 11025, "firmware"), 0,
         files={"beep.raw": S[:300]}, written={"beep.h": board_text("firmware", "beep", S[:300], 11025)}),
    Case("progmem: fits the Uno, too big for a Nano", ["--target", "progmem", "big.raw"],
         made("big.raw", "raw 8-bit 8000 Hz, converted as it is", "big.h", "big", 30000, 8000, "progmem"), 0,
         files={"big.raw": LONG[:30000]}, written={"big.h": board_text("progmem", "big", LONG[:30000], 8000)}),
    Case("progmem: too big for the Uno, one array still", ["--target", "progmem", "big.raw"],
         made("big.raw", "raw 8-bit 8000 Hz, converted as it is", "big.h", "big", 32767, 8000, "progmem"), 0,
         files={"big.raw": LONG[:32767]}, written={"big.h": board_text("progmem", "big", LONG[:32767], 8000)}),
    Case("firmware takes more than one AVR array", ["--target", "firmware", "long.raw"],
         made("long.raw", "raw 8-bit 8000 Hz, converted as it is", "long.h", "long", 40000, 8000, "firmware"), 0,
         files={"long.raw": LONG}, written={"long.h": board_text("firmware", "long", LONG, 8000)}),

    # Prepared clips, whose samples are known exactly.
    Case("16-bit stereo at its own rate", ["--target", "firmware", "jump.wav"],
         made("jump.wav", "16-bit stereo 8000 Hz -> 8-bit mono 8000 Hz", "jump.h", "jump", 500, 8000, "firmware"), 0,
         files={"jump.wav": pcm16_stereo(S)}, written={"jump.h": board_text("firmware", "jump", S, 8000)}),
    Case("32-bit float mono", ["f.wav"], made("f.wav", "32-bit mono 8000 Hz -> 8-bit mono 8000 Hz", "f.h", "f", 500,
                                              8000), 0,
         files={"f.wav": float32_mono(S)}, written={"f.h": c_array("f", S)}),
    Case("normalize", ["--normalize", "half.wav"],
         made("half.wav", "8-bit mono 8000 Hz -> 8-bit mono 8000 Hz, normalized", "half.h", "half", 5, 8000,
              notes=["Prepared because normalize or trim was asked for; without both it converts as it is."]), 0,
         files={"half.wav": pcm8(HALF)}, written={"half.h": c_array("half", bytes([255, 0, 192, 128, 96]))}),
    Case("trim a raw clip", ["--trim", "quiet.raw"],
         made("quiet.raw", "raw 8-bit -> 8-bit mono 8000 Hz, trimmed", "quiet.h", "quiet", len(S[:40].strip(bytes(
             range(126, 131)))), 8000,
              notes=["Prepared because normalize or trim was asked for; without both it converts as it is."]), 0,
         files={"quiet.raw": QUIET}, written={"quiet.h": c_array("quiet", S[:40].strip(bytes(range(126, 131))))}),
    Case("trim to nothing", ["--trim", "--target", "firmware", "hush.raw"],
         made("hush.raw", "raw 8-bit -> 8-bit mono 8000 Hz, trimmed", "hush.h", "hush", 0, 8000, "firmware",
              notes=["Prepared because normalize or trim was asked for; without both it converts as it is.",
                     "Trim left no samples: the clip is all silence."]), 0,
         files={"hush.raw": bytes([128, 127, 130] * 10)}, written={"hush.h": board_text("firmware", "hush", b"", 8000)}),

    # Names and the default output.
    Case("proposed name, in the input's folder", ["snd/Bell Ring - final (v2).wav"],
         made("snd/Bell Ring - final (v2).wav", AS_IS, "snd/Bell_Ring_final_v2.h", "Bell_Ring_final_v2", 500, 8000,
              notes=[proposed_note("Bell Ring - final (v2)", "Bell_Ring_final_v2")]), 0,
         files={"snd/Bell Ring - final (v2).wav": WAV500},
         written={"snd/Bell_Ring_final_v2.h": c_array("Bell_Ring_final_v2", S)}),
    Case("proposed name for a leading digit", ["8bit.raw"],
         made("8bit.raw", "raw 8-bit 8000 Hz, converted as it is", "clip_8bit.h", "clip_8bit", 3, 8000,
              notes=[proposed_note("8bit", "clip_8bit")]), 0,
         files={"8bit.raw": S[:3]}, written={"clip_8bit.h": c_array("clip_8bit", S[:3])}),
    Case("--name names the array and the file", ["--name", "jump", "Clip 1.wav"],
         made("Clip 1.wav", AS_IS, "jump.h", "jump", 500, 8000), 0,
         files={"Clip 1.wav": WAV500}, written={"jump.h": c_array("jump", S)}),
    Case("--name=, -o into another folder", ["--name=hello", "-o", "out/h.h", "clip.wav"],
         made("clip.wav", AS_IS, "out/h.h", "hello", 500, 8000), 0,
         files={"clip.wav": WAV500, "out/": None}, written={"out/h.h": c_array("hello", S)}),
    Case("-oFILE and --output=FILE, the later one wins", ["-ofirst.h", "--output=second.h", "clip.wav"],
         made("clip.wav", AS_IS, "second.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"second.h": c_array("clip", S)}),
    Case("options after the input; a later target wins", ["clip.wav", "--target", "c", "--target", "firmware"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000, "firmware"), 0,
         files={"clip.wav": WAV500}, written={"clip.h": board_text("firmware", "clip", S, 8000)}),
    Case("-- ends the options", ["--", "-x.raw"],
         made("-x.raw", "raw 8-bit 8000 Hz, converted as it is", "x.h", "x", 2, 8000,
              notes=[proposed_note("-x", "x")]), 0,
         files={"-x.raw": S[:2]}, written={"x.h": c_array("x", S[:2])}),
    Case("an existing output is replaced", ["clip.wav"], made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500, "clip.h": b"x" * 9000}, written={"clip.h": c_array("clip", S)}),
    Case("a WAV under another name is read as one", ["sound.WAV"],
         made("sound.WAV", "8-bit mono 8000 Hz -> 8-bit mono 8000 Hz", "sound.h", "sound", 500, 8000), 0,
         files={"sound.WAV": WAV500}, written={"sound.h": c_array("sound", S)}),
    Case("folder name does not classify", ["snd.wav/clip.bin"],
         made("snd.wav/clip.bin", "8-bit mono 8000 Hz -> 8-bit mono 8000 Hz", "snd.wav/clip.h", "clip", 500, 8000), 0,
         files={"snd.wav/clip.bin": WAV500}, written={"snd.wav/clip.h": c_array("clip", S)}),
    # Japanese names give no identifier: the clip is called clip_wave. On
    # Windows the program sees them in code page 932, where the second byte
    # of 表 is a backslash's: the array's base name is cut there as clip2c
    # cuts it (示), but the folder of the input is not, so clip.h goes
    # beside it and not into a file named after 表.
    Case("Japanese name", ["表示.raw"],
         made("表示.raw", "raw 8-bit 8000 Hz, converted as it is", "clip.h", "clip", 3, 8000,
              notes=[proposed_note("表示", "clip")]), 0,
         files={"表示.raw": S[:3]}, written={"clip.h": c_array("clip", S[:3])}, only="posix"),
    Case("Japanese name in code page 932", ["表示.raw"],
         made("表示.raw", "raw 8-bit 8000 Hz, converted as it is", "clip.h", "clip", 3, 8000,
              notes=[proposed_note("示", "clip")], encoding="cp932"), 0,
         files={"表示.raw": S[:3]}, written={"clip.h": c_array("clip", S[:3])}, only="windows"),
    Case("backslash folder on Windows", ["snd\\clip.wav"], made("snd\\clip.wav", AS_IS, "snd\\clip.h", "clip", 500,
                                                                8000), 0,
         files={"snd/clip.wav": WAV500}, written={"snd/clip.h": c_array("clip", S)}, only="windows"),

    # Refused files: one line, status 1, nothing written or left behind.
    Case("missing file", ["nope.wav"], refused("nope.wav", "cannot read it; check that it exists, is a file and may "
                                                            "be read"), REFUSED),
    Case("folder as input", ["dir.wav"], refused("dir.wav", "cannot read it; check that it exists, is a file and may "
                                                            "be read"), REFUSED, files={"dir.wav/": None}),
    Case("empty file", ["e.wav"], refused("e.wav", "the file is empty"), REFUSED, files={"e.wav": b""}),
    Case("empty raw file", ["e.raw"], refused("e.raw", "the file is empty"), REFUSED, files={"e.raw": b""}),
    Case("IMA ADPCM, existing output untouched", ["adpcm.wav"],
         refused("adpcm.wav", "a compressed or non-PCM WAV file, IMA ADPCM (format 0x0011), which clip2c-board does "
                              "not read; decode it first, e.g. sox adpcm.wav -b 16 adpcm-pcm.wav"), REFUSED,
         files={"adpcm.wav": ADPCM, "adpcm.h": b"keep"}),
    Case("u-law mono 8-bit", ["speech.wav"],
         refused("speech.wav", "a compressed or non-PCM WAV file, u-law (format 0x0007), which clip2c-board does not "
                               "read; decode it first, e.g. sox speech.wav -b 16 speech-pcm.wav"), REFUSED,
         files={"speech.wav": ULAW}),
    Case("A-law stereo", ["a law.wav"],
         refused("a law.wav", "a compressed or non-PCM WAV file, A-law (format 0x0006), which clip2c-board does not "
                              "read; decode it first, e.g. sox in.wav -b 16 out.wav"), REFUSED,
         files={"a law.wav": ALAW}),
    Case("unknown format tag", ["odd.wav"],
         refused("odd.wav", "a compressed or non-PCM WAV file, format 0x1234, which clip2c-board does not read; "
                            "decode it first, e.g. sox odd.wav -b 16 odd-pcm.wav"), REFUSED,
         files={"odd.wav": ODD_TAG}),
    Case("24-bit PCM in a frame of 7 bytes", ["seven.wav"],
         refused("seven.wav", "a WAV file whose PCM data cannot be read (56-bit mono 8000 Hz, 7 bytes a frame); "
                              "decode it first, e.g. sox seven.wav -b 16 seven-pcm.wav"), REFUSED,
         files={"seven.wav": pcm8(S[:70], align=7, bits=24)}),
    Case("no fmt chunk", ["nofmt.wav"],
         refused("nofmt.wav", "a WAV file without a readable \"fmt \" chunk, so its sound cannot be read; decode it "
                              "first, e.g. sox nofmt.wav -b 16 nofmt-pcm.wav"), REFUSED,
         files={"nofmt.wav": riff(chunk(b"data", S[:4]))}),
    Case("not a WAV file", ["noise.wav"],
         refused("noise.wav", "not a WAV file; decode it first, e.g. sox noise.wav -b 16 noise-pcm.wav"), REFUSED,
         files={"noise.wav": S[:100]}),
    Case("MP3 bytes named wav", ["song.wav"],
         refused("song.wav", "not a WAV file; it holds MP3 data: decode it first, e.g. sox song.wav -b 16 "
                             "song-pcm.wav"), REFUSED, files={"song.wav": b"ID3\x04\x00" + S[:60]}),
    Case("an MP3 file", ["song.mp3"],
         refused("song.mp3", "clip2c-board reads WAV and raw files only; it holds MP3 data: decode it first, e.g. sox "
                             "song.mp3 -b 16 song.wav"), REFUSED, files={"song.mp3": b"ID3\x04\x00" + S[:60]}),
    Case("an OGG file", ["tune.ogg"],
         refused("tune.ogg", "clip2c-board reads WAV and raw files only; it holds OGG data: decode it first, e.g. sox "
                             "tune.ogg -b 16 tune.wav"), REFUSED, files={"tune.ogg": b"OggS\x00\x02" + S[:60]}),
    Case("a text file", ["notes.txt"],
         refused("notes.txt", "clip2c-board reads WAV and raw files only; decode it first, e.g. sox notes.txt -b 16 "
                              "notes.wav"), REFUSED, files={"notes.txt": b"hello\n"}),
    Case("16-bit WAV at 0 Hz", ["zs.wav"],
         refused("zs.wav", "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; write the "
                           "rate it plays at into it first, e.g. sox -r 8000 zs.wav -b 16 zs-pcm.wav"),
         REFUSED, files={"zs.wav": zero_rate(pcm16_stereo(S[:40]))}),
    Case("16-bit WAV at 0 Hz with --rate", ["--rate", "11025", "zs.wav"],
         refused("zs.wav", "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; write the "
                           "rate it plays at into it first, e.g. sox -r 11025 zs.wav -b 16 zs-pcm.wav"),
         REFUSED, files={"zs.wav": zero_rate(pcm16_stereo(S[:40]))}),
    Case("8-bit mono WAV at 0 Hz, normalized", ["--normalize", "zero.wav"],
         refused("zero.wav", "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; write the "
                             "rate it plays at into it first, e.g. sox -r 8000 zero.wav -b 16 zero-pcm.wav"),
         REFUSED, files={"zero.wav": zero_rate(WAV500)}),
    Case("too long for progmem", ["--target", "progmem", "long.raw"],
         refused("long.raw", "Too long for one AVR array: 40,000 bytes, where one array holds 32,767 bytes (4.095 s at "
                             "8000 Hz). Lower the rate, trim, or cut the clip shorter."), REFUSED,
         files={"long.raw": LONG, "long.h": b"keep"}),
    Case("too long for flash at 22050 Hz", ["--target", "flash", "--rate", "22050", "long.raw"],
         refused("long.raw", "Too long for one AVR array: 40,000 bytes, where one array holds 32,767 bytes (1.486 s at "
                             "22050 Hz). Lower the rate, trim, or cut the clip shorter."), REFUSED,
         files={"long.raw": LONG}),
    Case("one byte over the array", ["--target", "flash", "long.raw"],
         refused("long.raw", "Too long for one AVR array: 32,768 bytes, where one array holds 32,767 bytes (4.095 s at "
                             "8000 Hz). Lower the rate, trim, or cut the clip shorter."), REFUSED,
         files={"long.raw": LONG[:32768]}),
    Case("a FLAC file", ["tune.flac"],
         refused("tune.flac", "clip2c-board reads WAV and raw files only; it holds FLAC data: decode it first, e.g. "
                              "sox tune.flac -b 16 tune.wav"), REFUSED, files={"tune.flac": b"fLaC\x00" + S[:60]}),
    Case("RIFF, but no WAVE", ["movie.wav"],
         refused("movie.wav", "not a WAV file; decode it first, e.g. sox movie.wav -b 16 movie-pcm.wav"), REFUSED,
         files={"movie.wav": riff(chunk(b"data", S[:40]), form=b"AVI ")}),
    Case("a name without an extension", ["noise"],
         refused("noise", "clip2c-board reads WAV and raw files only; decode it first, e.g. sox noise -b 16 "
                          "noise.wav"), REFUSED, files={"noise": S[:100]}),
    Case("a name that is only an extension", [".wav"],
         refused(".wav", "not a WAV file; decode it first, e.g. sox .wav -b 16 .wav-pcm.wav"), REFUSED,
         files={".wav": S[:100]}),
    Case("a name that would be an option stands in", ["--", "-n.wav"],
         refused("-n.wav", "not a WAV file; decode it first, e.g. sox in.wav -b 16 out.wav"), REFUSED,
         files={"-n.wav": S[:100]}),
    Case("a 1 Hz WAV at --rate 1000000 would be too long for a WAV file", ["--rate", "1000000", "slow.wav"],
         refused("slow.wav", "at 1000000 Hz the clip would be too long for a WAV file; choose a lower --rate"),
         REFUSED, files={"slow.wav": pcm8(pattern(4296), rate=1)}),
    Case("4 GiB or larger", ["big.raw"], refused("big.raw", "cannot read it: it is 4 GiB or larger"), REFUSED,
         files={"big.raw": Sparse(1 << 32)}, only="posix"),
    Case("a file that holds less than its size", [SYSFS_FILE], refused(SYSFS_FILE, CANNOT_READ), REFUSED,
         only="posix", needs=SYSFS_FILE),
    Case("out of memory for the file", ["big.raw"], refused("big.raw", "out of memory: the file does not fit"),
         REFUSED, files={"big.raw": Sparse(1 << 30)}, limits={"as": 32 * MIB}, only="posix"),
    Case("out of memory for the text", ["hush.raw"], refused("hush.raw", CLIP_OUT_OF_MEMORY), REFUSED,
         files={"hush.raw": bytes([128]) * (8 * MIB)}, limits={"as": 32 * MIB}, only="posix"),
    Case("out of memory after the text", ["hush.raw"], (P + "out of memory\n").encode(), REFUSED,
         files={"hush.raw": bytes([128]) * (8 * MIB)}, limits={"as": 80 * MIB}, only="posix"),
    Case("the output cannot be written whole", ["long.raw"], refused("long.h", CANNOT_WRITE), REFUSED,
         files={"long.raw": LONG * 8}, limits={"fsize": MIB}, only="posix"),
    Case("default output over the input", ["clip.h"],
         refused("clip.h", "the header would replace the input file itself; name another with -o OUTPUT"), REFUSED,
         files={"clip.h": WAV500}),
    Case("--source over the input", ["--source", "clip.wav", "clip.wav"],
         refused("clip.wav", "the source file would replace the input file itself; name another with --source FILE"),
         REFUSED, files={"clip.wav": WAV500}),
    Case("--source over the header", ["--source", "clip.h", "clip.wav"],
         refused("clip.wav", "the source file and the header would be one file; name another with --source FILE"),
         REFUSED, files={"clip.wav": WAV500}),
    Case("--source in a missing folder leaves no header", ["--source", "nowhere/clip.c", "clip.wav"],
         refused("nowhere/clip.c", "cannot write it; check that its folder exists and may be written"), REFUSED,
         files={"clip.wav": WAV500}),
    Case("output in a missing folder", ["-o", "nowhere/clip.h", "clip.wav"],
         refused("nowhere/clip.h", "cannot write it; check that its folder exists and may be written"), REFUSED,
         files={"clip.wav": WAV500}),
    Case("output is a folder", ["-o", "out", "clip.wav"],
         refused("out", "cannot write it; check that its folder exists and may be written"), REFUSED,
         files={"clip.wav": WAV500, "out/": None}),

    # Banks: one header of several clips, written whole in the current folder.
    Case("bank, progmem: a WAV file and a raw clip", ["--bank", "sfx", "--target", "progmem", "jump.wav", "coin.raw"],
         bank_made("sfx.h", "progmem", [("jump.wav", AS_IS, "jump", S, 8000),
                                        ("coin.raw", "raw 8-bit 8000 Hz, converted as it is", "coin", S[:77], 8000)]),
         0, files={"jump.wav": WAV500, "coin.raw": S[:77]},
         written={"sfx.h": bank_header("sfx", "progmem", [("jump", S, 8000), ("coin", S[:77], 8000)])}),
    Case("bank, c, signed, at --rate: prepared and resampled as one clip", ["--signed", "--rate=8000", "--bank=ui",
                                                                             "snd/a.wav", "b.wav"],
         bank_made("ui.h", "c", [("snd/a.wav", "16-bit stereo 8000 Hz -> 8-bit mono 8000 Hz", "a", S[:90], 8000),
                                 ("b.wav", AS_IS, "b", S[:5], 8000)]),
         0, files={"snd/a.wav": pcm16_stereo(S[:90]), "b.wav": pcm8(S[:5])},
         written={"ui.h": bank_header("ui", "c", [("a", S[:90], 8000), ("b", S[:5], 8000)], signed=True)}),
    Case("bank of one, flash, -o into a folder", ["--target", "flash", "tone.wav", "--bank", "one", "-o", "out/o.h"],
         bank_made("out/o.h", "flash", [("tone.wav", "8-bit mono 22050 Hz, converted as it is", "tone", S[:33],
                                         22050)]),
         0, files={"tone.wav": wave_module_file(S[:33], rate=22050), "out/": None},
         written={"out/o.h": bank_header("one", "flash", [("tone", S[:33], 22050)])}),
    Case("bank, firmware: names that clash, and a proposed one",
         ["--bank", "sfx", "--target", "firmware", "jump.wav", "snd/jump.raw", "JUMP.raw", "my jump.raw"],
         bank_made("sfx.h", "firmware", [("jump.wav", AS_IS, "jump", S[:4], 8000),
                                         ("snd/jump.raw", "raw 8-bit 8000 Hz, converted as it is", "jump_2", S[:3],
                                          8000),
                                         ("JUMP.raw", "raw 8-bit 8000 Hz, converted as it is", "JUMP_3", S[:2], 8000),
                                         ("my jump.raw", "raw 8-bit 8000 Hz, converted as it is", "my_jump", S[:1],
                                          8000)],
                   notes=["snd/jump.raw: two clips are named jump: the second is jump_2",
                          "JUMP.raw: jump and JUMP are one name in the enum (SFX_JUMP): the second is JUMP_3",
                          "my jump.raw: " + proposed_note("my jump", "my_jump")]),
         0, files={"jump.wav": pcm8(S[:4]), "snd/jump.raw": S[:3], "JUMP.raw": S[:2], "my jump.raw": S[:1]},
         written={"sfx.h": bank_header("sfx", "firmware", [("jump", S[:4], 8000), ("jump_2", S[:3], 8000),
                                                           ("JUMP_3", S[:2], 8000), ("my_jump", S[:1], 8000)])}),
    Case("bank replaces an existing header", ["--bank", "sfx", "a.raw"],
         bank_made("sfx.h", "c", [("a.raw", "raw 8-bit 8000 Hz, converted as it is", "a", S[:9], 8000)]), 0,
         files={"a.raw": S[:9], "sfx.h": b"old"}, written={"sfx.h": bank_header("sfx", "c", [("a", S[:9], 8000)])}),

    # A bank with one clip refused is no bank: the refusal names the clip,
    # status 1, nothing written.
    Case("bank: an empty file", ["--bank", "sfx", "a.raw", "e.raw"], refused("e.raw", "the file is empty"), REFUSED,
         files={"a.raw": S[:9], "e.raw": b"", "sfx.h": b"keep"}),
    Case("bank: a missing file", ["--bank", "sfx", "a.raw", "nope.wav"],
         refused("nope.wav", "cannot read it; check that it exists, is a file and may be read"), REFUSED,
         files={"a.raw": S[:9]}),
    Case("bank: a compressed WAV file", ["--bank", "sfx", "adpcm.wav", "a.raw"],
         refused("adpcm.wav", "a compressed or non-PCM WAV file, IMA ADPCM (format 0x0011), which clip2c-board does "
                              "not read; decode it first, e.g. sox adpcm.wav -b 16 adpcm-pcm.wav"), REFUSED,
         files={"adpcm.wav": ADPCM, "a.raw": S[:9]}),
    Case("bank: an MP3 file", ["--bank", "sfx", "a.raw", "song.mp3"],
         refused("song.mp3", "clip2c-board reads WAV and raw files only; it holds MP3 data: decode it first, e.g. sox "
                             "song.mp3 -b 16 song.wav"), REFUSED,
         files={"a.raw": S[:9], "song.mp3": b"ID3\x04\x00" + S[:60]}),
    Case("bank: a clip trimmed to nothing", ["--bank", "sfx", "--trim", "a.raw", "hush.raw"],
         refused("hush.raw", "the clip has no samples, and a bank holds no empty clip (C has no empty array)"),
         REFUSED, files={"a.raw": S[:9], "hush.raw": bytes([128, 127, 130] * 10)}),
    Case("bank: a WAV file without samples", ["--bank", "sfx", "none.wav"],
         refused("none.wav", "the clip has no samples, and a bank holds no empty clip (C has no empty array)"),
         REFUSED, files={"none.wav": riff(fmt())}),
    Case("bank, progmem: a clip over one array, and the rate that fits them all",
         ["--bank", "sfx", "--target", "progmem", "a.raw", "long.raw"],
         refused("long.raw", "Too long for one AVR array: 40,000 bytes, where one array holds 32,767 bytes (4.095 s at "
                             "8000 Hz). Lower the rate, trim, or cut the clip shorter.") +
         (P + "Too big for an Arduino Uno beside the bank sketch: 41,020 bytes (clips 41,000, table 20), where it "
          "holds 30,944 bytes. long_wave is over one array (32,767 bytes). At 6034 Hz all 2 clips would fit: "
          "30,944 bytes.\n").encode(),
         REFUSED, files={"a.raw": LONG[:1000], "long.raw": LONG}),
    Case("bank: the header over an input", ["--bank", "sfx", "-o", "a.raw", "b.raw", "a.raw"],
         refused("a.raw", "the header would replace the input file itself; name another with -o OUTPUT"), REFUSED,
         files={"a.raw": S[:9], "b.raw": S[:9]}),
    Case("bank: out of memory for a clip's text", ["--bank", "sfx", "a.raw", "hush.raw"],
         refused("hush.raw", CLIP_OUT_OF_MEMORY), REFUSED,
         files={"a.raw": S[:9], "hush.raw": bytes([128]) * (8 * MIB)}, limits={"as": 32 * MIB}, only="posix"),
    Case("bank of one sample", ["--bank", "one", "a.raw"],
         bank_made("one.h", "c", [("a.raw", RAW_AS_IS, "a", S[:1], 8000)]), 0,
         files={"a.raw": S[:1]}, written={"one.h": bank_header("one", "c", [("a", S[:1], 8000)])}),
    Case("bank: output in a missing folder", ["--bank", "sfx", "-o", "nowhere/s.h", "a.raw"],
         refused("nowhere/s.h", "cannot write it; check that its folder exists and may be written"), REFUSED,
         files={"a.raw": S[:9]}),

    # Bad command lines: status 2, the usage line, nothing read or written.
    Case("no arguments", [], usage_error("no input file"), BAD_USAGE),
    Case("options only", ["--trim"], usage_error("no input file"), BAD_USAGE),
    Case("unknown option", ["--loud", "clip.wav"], usage_error("unknown option '--loud'"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("unknown short option", ["-x", "clip.wav"], usage_error("unknown option '-x'"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("unknown short option with more letters", ["-xo", "clip.wav"], usage_error("unknown option '-xo'"),
         BAD_USAGE, files={"clip.wav": WAV500}),
    Case("no abbreviations", ["--norm", "clip.wav"], usage_error("unknown option '--norm'"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("missing value", ["clip.wav", "--rate"], usage_error("option '--rate' needs a value"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("missing -o value", ["clip.wav", "-o"], usage_error("option '-o' needs a value"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("value for a flag", ["--trim=yes", "clip.wav"], usage_error("option '--trim' takes no value, but was "
                                                                     "given 'yes'"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("bad target", ["--target", "avr", "clip.wav"],
         usage_error("--target must be c, firmware, progmem or flash, not 'avr'"), BAD_USAGE,
         files={"clip.wav": WAV500, "clip.h": b"keep"}),
    Case("name with a hyphen", ["--name", "my-clip", "clip.wav"],
         usage_error("--name 'my-clip' gives no C identifier (a letter, then letters, digits and _); try --name "
                     "my_clip"), BAD_USAGE, files={"clip.wav": WAV500, "clip.h": b"keep"}),
    Case("name with a leading digit", ["--name=2go", "clip.wav"],
         usage_error("--name '2go' gives no C identifier (a letter, then letters, digits and _); try --name "
                     "clip_2go"), BAD_USAGE, files={"clip.wav": WAV500}),
    Case("name with a leading underscore", ["--name", "_x", "clip.wav"],
         usage_error("--name '_x' gives no C identifier (a letter, then letters, digits and _); try --name x"),
         BAD_USAGE, files={"clip.wav": WAV500}),
    Case("empty name", ["--name=", "clip.wav"],
         usage_error("--name '' gives no C identifier (a letter, then letters, digits and _); try --name clip"),
         BAD_USAGE, files={"clip.wav": WAV500}),
    Case("empty output", ["--output=", "clip.wav"], usage_error("option '--output' needs a file name, not an empty "
                                                                "one"), BAD_USAGE, files={"clip.wav": WAV500}),
    Case("two inputs", ["a.wav", "b.wav"], usage_error("one input file only, but 'a.wav' and 'b.wav' were given"),
         BAD_USAGE, files={"a.wav": WAV500, "b.wav": WAV500}),
    Case("empty input argument", [""], usage_error("an empty argument is no input file"), BAD_USAGE),
    Case("--bank with --name", ["--bank", "sfx", "a.raw", "--name", "x"],
         usage_error("--name cannot be used with --bank: each clip of a bank is named from its file's name"),
         BAD_USAGE, files={"a.raw": S[:9]}),
    Case("--bank that is no identifier", ["a.raw", "b.raw", "--bank", "my-sfx"],
         usage_error("--bank 'my-sfx' gives no C identifier (a letter, then letters, digits and _); try --bank "
                     "my_sfx"), BAD_USAGE, files={"a.raw": S[:9], "b.raw": S[:9]}),
    Case("--bank without a value", ["a.raw", "--bank"], usage_error("option '--bank' needs a value"), BAD_USAGE,
         files={"a.raw": S[:9]}),
    Case("--bank without inputs", ["--bank", "sfx"], usage_error("no input file"), BAD_USAGE),
    Case("--bank after the inputs takes them all", ["a.raw", "b.raw", "--bank", "sfx", "--loud"],
         usage_error("unknown option '--loud'"), BAD_USAGE, files={"a.raw": S[:9], "b.raw": S[:9]}),
    Case("without --bank, a second input stops the reading", ["a.raw", "b.raw", "--loud"],
         usage_error("one input file only, but 'a.raw' and 'b.raw' were given"), BAD_USAGE,
         files={"a.raw": S[:9], "b.raw": S[:9]}),
    Case("a bad option before --help counts", ["--loud", "--help"], usage_error("unknown option '--loud'"),
         BAD_USAGE),
]

# A rate that is no whole number of hertz from 1 to 1,000,000, however it
# is written: (the case's name, the option's words, the rate as quoted).
CASES += [
    Case(name, words + ["clip.wav"],
         usage_error("--rate must be a whole number of hertz from 1 to 1,000,000, not '%s'" % value), BAD_USAGE,
         files={"clip.wav": WAV500})
    for name, words, value in (("rate 0", ["--rate", "0"], "0"), ("rate -5", ["--rate", "-5"], "-5"),
                               ("rate 8k", ["--rate=8k"], "8k"),
                               ("rate 99999999999", ["--rate", "99999999999"], "99999999999"),
                               ("rate just over the top", ["--rate", "1000001"], "1000001"),
                               ("empty rate", ["--rate="], ""))]

# IMA ADPCM: every target on a 16-bit WAV at its own rate and on a raw clip
# (whose 8-bit samples u are (u - 128) * 256 in 16 bits), in both forms of
# the option.
SINE16 = [int(12000 * math.sin(i / 5.0)) for i in range(700)]
SINE8 = bytes(128 + int(100 * math.sin(i / 4.0)) for i in range(300))
WIDE8 = [(u - 128) * 256 for u in SINE8]
WAV16 = wave_module_file(b"".join(struct.pack("<h", v) for v in SINE16), width=2)
CASES += [
    Case("ima-adpcm, %s, %s" % (target, kind), words + ["--target", target, shown],
         adpcm_made(shown, what, stem + ".h", stem, len(sound), 8000, target), 0,
         files={shown: content}, written={stem + ".h": AdpcmHeader(target, stem, sound, 8000)})
    for target, words in (("c", ["--encoding=ima-adpcm"]), ("firmware", ["--encoding", "ima-adpcm"]),
                          ("progmem", ["--encoding=ima-adpcm"]), ("flash", ["--encoding", "ima-adpcm"]))
    for kind, shown, stem, content, sound, what in (
        ("16-bit wav", "sine.wav", "sine", WAV16, SINE16, "16-bit mono 8000 Hz -> IMA ADPCM mono 8000 Hz"),
        ("raw clip", "tone.raw", "tone", SINE8, WIDE8, "raw 8-bit -> IMA ADPCM mono 8000 Hz"))]

HUSH = bytes([128, 127, 130] * 10)
LONG_SINE = bytes(128 + int(90 * math.sin(i / 9.0)) for i in range(88200))
CASES += [
    Case("--encoding pcm8 is the default", ["--encoding", "pcm8", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"clip.h": c_array("clip", S)}, same_as_tool="clip.wav"),
    Case("--encoding=pcm8 on progmem", ["--encoding=pcm8", "--target", "progmem", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000, "progmem"), 0,
         files={"clip.wav": WAV500}, written={"clip.h": board_text("progmem", "clip", S, 8000)}),
    Case("a later --encoding wins", ["--encoding", "ima-adpcm", "--encoding", "pcm8", "clip.wav"],
         made("clip.wav", AS_IS, "clip.h", "clip", 500, 8000), 0,
         files={"clip.wav": WAV500}, written={"clip.h": c_array("clip", S)}),
    Case("ima-adpcm, --signed has no effect", ["--encoding", "ima-adpcm", "--signed", "--target", "firmware",
                                               "tone.raw"],
         adpcm_made("tone.raw", "raw 8-bit -> IMA ADPCM mono 8000 Hz", "tone.h", "tone", 300, 8000, "firmware"), 0,
         files={"tone.raw": SINE8}, written={"tone.h": AdpcmHeader("firmware", "tone", WIDE8, 8000)}),
    Case("ima-adpcm, one sample", ["--encoding", "ima-adpcm", "--target", "progmem", "one.raw"],
         adpcm_made("one.raw", "raw 8-bit -> IMA ADPCM mono 8000 Hz", "one.h", "one", 1, 8000, "progmem"), 0,
         files={"one.raw": b"\xc0"}, written={"one.h": AdpcmHeader("progmem", "one", [64 * 256], 8000)}),
    Case("ima-adpcm, trim to nothing", ["--encoding", "ima-adpcm", "--trim", "--target", "flash", "hush.raw"],
         adpcm_made("hush.raw", "raw 8-bit -> IMA ADPCM mono 8000 Hz, trimmed", "hush.h", "hush", 0, 8000, "flash",
                    notes=["Trim left no samples: the clip is all silence."]), 0,
         files={"hush.raw": HUSH}, written={"hush.h": AdpcmHeader("flash", "hush", [], 8000)}),
    Case("ima-adpcm, -o and --name", ["--encoding", "ima-adpcm", "--name", "beep", "-o", "out/b.h", "tone.raw"],
         adpcm_made("tone.raw", "raw 8-bit -> IMA ADPCM mono 8000 Hz", "out/b.h", "beep", 300, 8000), 0,
         files={"tone.raw": SINE8, "out/": None}, written={"out/b.h": AdpcmHeader("c", "beep", WIDE8, 8000)}),
    Case("ima-adpcm, too long for progmem at 44100 Hz", ["--encoding", "ima-adpcm", "--target", "progmem",
                                                         "--rate", "44100", "long.raw"],
         refused("long.raw", "Too long for one AVR array: %s bytes, where one array holds 32,767 bytes (%s s at "
                 "44100 Hz). Lower the rate, trim, or cut the clip shorter." % (
                     grouped(adpcm_bytes(88200)), seconds_down(adpcm_samples_in(32767), 44100))), REFUSED,
         files={"long.raw": LONG_SINE, "long.h": b"keep"}),
    Case("ima-adpcm, firmware takes more than one AVR array", ["--encoding", "ima-adpcm", "--target", "firmware",
                                                               "--rate", "44100", "long.raw"],
         adpcm_made("long.raw", "raw 8-bit -> IMA ADPCM mono 44100 Hz", "long.h", "long", 88200, 44100, "firmware"),
         0, files={"long.raw": LONG_SINE},
         written={"long.h": AdpcmHeader("firmware", "long", [(u - 128) * 256 for u in LONG_SINE], 44100)}),
    Case("bad encoding", ["--encoding", "adpcm", "clip.wav"],
         usage_error("--encoding must be pcm8 or ima-adpcm, not 'adpcm'"), BAD_USAGE,
         files={"clip.wav": WAV500, "clip.h": b"keep"}),
    Case("encodings are lower case", ["--encoding=IMA-ADPCM", "clip.wav"],
         usage_error("--encoding must be pcm8 or ima-adpcm, not 'IMA-ADPCM'"), BAD_USAGE,
         files={"clip.wav": WAV500}),
    Case("--encoding without a value", ["clip.wav", "--encoding"], usage_error("option '--encoding' needs a value"),
         BAD_USAGE, files={"clip.wav": WAV500}),
]


def help_problems(stdout):
    """--help: the usage line first, then a line for every option it names."""
    text = stdout.decode("ascii", "replace")
    problems = []
    if not text.startswith(USAGE + "\n") or not text.endswith("\n"):
        problems.append("--help does not begin with the usage line: %r" % text[:200])
    for option in re.findall(r"--[a-z]+|-o\b", USAGE) + ["--help", "--version"]:
        if not re.search(r"^  .*%s\b" % re.escape(option), text, re.M):
            problems.append("--help does not describe %s" % option)
    return problems


# --- Running ------------------------------------------------------------------

def snapshot(root):
    found = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        for d in dirs:
            found[os.path.normpath(os.path.join(rel, d)) + "/"] = None
        for f in files:
            path = os.path.join(folder, f)
            # A file too large to hold is known by its size: the runs that
            # meet one refuse it before reading a byte.
            if os.path.getsize(path) > 64 * MIB:
                found[os.path.normpath(os.path.join(rel, f))] = Sparse(os.path.getsize(path))
                continue
            with open(path, "rb") as fh:
                found[os.path.normpath(os.path.join(rel, f))] = fh.read()
    return found


def lay_out(root, files):
    for name, content in files.items():
        path = os.path.join(root, name)
        if content is None:
            os.makedirs(path, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as fh:
            if isinstance(content, Sparse):
                fh.truncate(content.size)
            else:
                fh.write(content)


def limited(limits):
    """A function that puts the child under `limits` (Case.limits), or None."""
    if not limits:
        return None

    def apply():
        if "as" in limits:
            resource.setrlimit(resource.RLIMIT_AS, (limits["as"], limits["as"]))
        if "fsize" in limits:
            # A write past the limit then fails (EFBIG) instead of killing the run.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (limits["fsize"], limits["fsize"]))
    return apply


def run(argv, cwd, windows, limits=None):
    proc = subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=120,
                          preexec_fn=limited(limits))
    out, err = proc.stdout, proc.stderr
    if windows:
        out, err = out.replace(b"\r\n", b"\n"), err.replace(b"\r\n", b"\n")
    return proc.returncode, out, err


def tool_header(opts, name, content, signed):
    """clip2c's header for the file `name` holding `content`, by the tool itself."""
    root = os.path.join(opts.scratch, "tool")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    lay_out(root, {name: content})
    run(opts.prefix + [opts.tool] + (["/SIGNED"] if signed else []) + [name, "tool-out.h"], root, opts.windows)
    path = os.path.join(root, "tool-out.h")
    return open(path, "rb").read() if os.path.isfile(path) else None


def run_case(case, opts):
    root = os.path.join(opts.scratch, "case")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    lay_out(root, case.files)
    before = snapshot(root)
    status, out, err = run(opts.prefix + [opts.exe] + case.args, root, opts.windows, case.limits)
    problems = []
    if err != case.stderr:
        problems.append("stderr %r\n   expected %r" % (err, case.stderr))
    if out != case.stdout:
        problems.append("stdout %r\n   expected %r" % (out, case.stdout))
    if status != case.status:
        problems.append("exit status %d, expected %d" % (status, case.status))
    expected = dict(before)
    for name, content in case.written.items():
        expected[os.path.normpath(name)] = content
    after = snapshot(root)
    for name in sorted(set(expected) | set(after)):
        if isinstance(expected.get(name), AdpcmHeader):
            problems += ["file %r: %s" % (name, p) for p in expected[name].problems(after.get(name))]
        elif expected.get(name, b"<absent>") != after.get(name, b"<absent>"):
            got = after.get(name, b"<absent>")
            want = expected.get(name, b"<absent>")
            problems.append("file %r: %r... expected %r..." % (name, (got or b"")[:300], (want or b"")[:300]))
    if case.same_as_tool:
        tool = tool_header(opts, case.same_as_tool, case.files[case.same_as_tool], "--signed" in case.args)
        mine = after.get(os.path.normpath(next(iter(case.written))))
        if tool is None or tool != mine:
            problems.append("not clip2c's header for the same file: %r..." % (tool or b"<none>")[:300])
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True, help="the built clip2c-board")
    parser.add_argument("--tool", required=True, help="the built clip2c")
    parser.add_argument("--scratch", required=True, help="a folder of the runner's own, made anew and empty")
    parser.add_argument("--prefix", nargs="+", default=[], help="a command to run the executables through")
    parser.add_argument("--windows", action="store_true", help="the executables are Windows programs")
    opts = parser.parse_args()
    opts.exe, opts.tool, opts.scratch = (os.path.abspath(p) for p in (opts.exe, opts.tool, opts.scratch))
    shutil.rmtree(opts.scratch, ignore_errors=True)
    os.makedirs(opts.scratch)

    tally = Tally("e2e_board")
    platform = "windows" if opts.windows else "posix"
    version = ("clip2c-board %s\n" % project_version()).encode()
    cases = CASES + [
        Case("--version", ["--version"], b"", 0, stdout=version),
        Case("--version with a file stops there", ["--version", "clip.wav"], b"", 0, stdout=version,
             files={"clip.wav": WAV500}),
    ]
    for case in cases:
        if case.only and case.only != platform:
            tally.skip(case.name, "only on " + case.only)
            continue
        if case.needs and not os.path.exists(case.needs):
            tally.skip(case.name, case.needs + " is not there")
            continue
        # A sanitizer's build reserves more address space than any limit
        # here leaves: it is known by its options in the environment (and
        # is not started under the limit, where it would log its failure
        # as a report), or by not starting at all under the limit.
        sanitized = "ASAN_OPTIONS" in os.environ or "UBSAN_OPTIONS" in os.environ
        if "as" in case.limits and (sanitized or run(opts.prefix + [opts.exe, "--version"], opts.scratch,
                                                     opts.windows, case.limits)[0] != 0):
            tally.skip(case.name, "the executable does not start under the memory limit")
            continue
        tally.record(case.name, run_case(case, opts))

    # --help prints the usage line and every option to standard output.
    for args in (["--help"], ["clip.wav", "--help", "--loud"]):
        root = os.path.join(opts.scratch, "help")
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(root)
        status, out, err = run(opts.prefix + [opts.exe] + args, root, opts.windows)
        problems = help_problems(out)
        if status != 0 or err:
            problems.append("exit status %d, stderr %r" % (status, err))
        if os.listdir(root):
            problems.append("files made: %r" % os.listdir(root))
        tally.record("help " + " ".join(args), problems)

    # The same file and choices give the same bytes: a resampled clip.
    root = os.path.join(opts.scratch, "again")
    os.makedirs(root)
    frames = b"".join(struct.pack("<hh", int(9000 * math.sin(i / 7.0)), int(7000 * math.sin(i / 11.0)))
                      for i in range(26460))
    lay_out(root, {"jump.wav": wave_module_file(frames, channels=2, width=2, rate=44100)})
    argv = opts.prefix + [opts.exe, "--target", "progmem", "--rate", "8000", "jump.wav"]
    first = run(argv, root, opts.windows) + (open(os.path.join(root, "jump.h"), "rb").read(),)
    second = run(argv, root, opts.windows) + (open(os.path.join(root, "jump.h"), "rb").read(),)
    expected_err = made("jump.wav", "16-bit stereo 44100 Hz -> 8-bit mono 8000 Hz", "jump.h", "jump", 4800, 8000,
                        "progmem")
    problems = []
    if first[0] != 0 or first[2] != expected_err:
        problems.append("status %d, stderr %r\n   expected %r" % (first[0], first[2], expected_err))
    head = board_text("progmem", "jump", bytes(4800), 8000).split(b"{")[0]
    if not first[3].startswith(head) or first[3][len(head):].count(b",") != 4799:
        problems.append("not a progmem header of 4,800 samples: %r..." % first[3][:300])
    if first != second:
        problems.append("a second run gave other bytes")
    tally.record("44.1 kHz stereo resampled to 8000 Hz, twice", problems)

    # The same bank from the same files twice: the same bytes, and each
    # clip's array as that clip alone gets it.
    lay_out(root, {"coin.raw": S[:123]})
    argv = opts.prefix + [opts.exe, "--bank", "sfx", "--target", "progmem", "--rate", "8000", "jump.wav", "coin.raw"]
    first = run(argv, root, opts.windows) + (open(os.path.join(root, "sfx.h"), "rb").read(),)
    second = run(argv, root, opts.windows) + (open(os.path.join(root, "sfx.h"), "rb").read(),)
    alone = open(os.path.join(root, "jump.h"), "rb").read().split(b"\n", 2)[2]
    problems = []
    if first[0] != 0 or first[2].count(b"\n") != 4:
        problems.append("status %d, stderr %r" % (first[0], first[2]))
    if b"\n\n" + alone + b"\n" not in first[3] or b"\nenum { SFX_JUMP, SFX_COIN, SFX_COUNT };\n" not in first[3]:
        problems.append("the bank does not hold jump's array as it is alone: %r..." % first[3][:300])
    if first != second:
        problems.append("a second run gave other bytes")
    tally.record("the same bank twice", problems)

    print("%d passed, %d failed" % (tally.passed, tally.failed))
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
