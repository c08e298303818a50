# SPDX-License-Identifier: MIT
"""What the test runners share: the clips they make (a RIFF writer and sample
patterns), the texts the tool must print and write, the reading of their
command lines (runner_args), and one tally of outcomes.

A runner outside this folder finds it with
  sys.path.insert(0, <path of tests/>)
  from cliptest import ...
"""
import argparse
import io
import os
import shutil
import struct
import wave

# --- What the tool prints -----------------------------------------------------

TITLE = "8ビットモノラル rawまたはwavを.cに変換するプログラム".encode("cp932")
BANNER = TITLE + b" version.1.00\n"
USAGE = (b"Usage : " + TITLE + b" [option] [filelist file (.raw)] [output file (.c)]\n"
         b"\n"
         b"Option : /HELP            Display help message.\n"
         b"Option : /SIGNED          Make signed data.\n")
NO_INPUT = "入力ファイルのパス名が指定されていません.\n".encode("cp932")
NOT_RAW_OR_WAV = "入力ファイルがrawまたはwavではありません.\n".encode("cp932")
MONO_ONLY = "wavファイルはモノラルのみ対応しています.\n".encode("cp932")
EIGHT_BIT_ONLY = "wavファイルは8bitのみ対応しています.\n".encode("cp932")
FAIL = 255  # -1 as a POSIX parent sees it


# --- What the tool writes -----------------------------------------------------

def tool_bytes(name):
    """A name as the tool receives it: text in code page 932, bytes as they are."""
    return name if isinstance(name, bytes) else name.encode("cp932")


def c_array(name, samples, signed=False):
    """The declaration the tool must write, built number by number; the name
    holds the bytes the tool saw (tool_bytes)."""
    kind = b"const char " if signed else b"const unsigned char "
    out = kind + tool_bytes(name) + b"_wave[%d] =\n{\n" % len(samples)
    for i, byte in enumerate(samples):
        value = byte - 128 if signed else byte
        out += (b"\t" if i % 16 == 0 else b"") + b"%d" % value
        out += b"\n" if i == len(samples) - 1 else (b",\n" if i % 16 == 15 else b", ")
    return out + b"};\n"


# --- Clips --------------------------------------------------------------------

def pattern(n, seed=1):
    """Deterministic bytes that cover every value."""
    out, x = bytearray(), seed
    for _ in range(n):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((x >> 16) & 0xFF)
    return bytes(out)


def ramp(n):
    """n bytes stepping by 37 from 11: every value once in each 256."""
    return bytes((i * 37 + 11) % 256 for i in range(n))


def chunk(cid, body, declared=None, pad=True):
    """A RIFF chunk; `declared` overrides the size field, `pad=False` leaves
    out the pad byte an odd body is owed."""
    size = len(body) if declared is None else declared
    return cid + struct.pack("<I", size) + body + (b"\0" if pad and len(body) % 2 else b"")


def fmt(channels=1, rate=8000, align=None, bits=8, tag=1, extra=b"", body_size=None):
    """A `fmt ` chunk. The block align is channels x bits / 8 unless given;
    `body_size` cuts the body (16 bytes plus `extra`) to that many bytes."""
    if align is None:
        align = channels * bits // 8
    body = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra
    return chunk(b"fmt ", body if body_size is None else body[:body_size])


def riff(*chunks, riff_size=None, form=b"WAVE"):
    """A RIFF file of the chunks; `riff_size` overrides its size field."""
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if riff_size is None else riff_size) + body


def pcm8(samples, **kw):
    """A WAV file of a `fmt ` chunk (fmt's arguments) and the samples' data."""
    return riff(fmt(**kw), chunk(b"data", samples))


def wave_module_file(samples, channels=1, width=1, rate=8000):
    """A WAV file as Python's own wave writer makes it."""
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(samples)
    return buf.getvalue()


# --- Running ------------------------------------------------------------------

# Every option a runner may take, as argparse reads it; a runner names the
# ones it takes, and each keeps this one meaning in all of them.
RUNNER_OPTIONS = {
    "--exe": {"required": True, "help": "the built clip2c"},
    "--scratch": {"required": True, "help": "a folder of the runner's own, made anew and empty"},
    "--source": {"required": True, "help": "the project's source tree"},
    "--build": {"required": True, "help": "the project's build folder"},
    "--config": {"default": "", "help": "the build's configuration (multi-config generators)"},
    "--windows": {"action": "store_true", "help": "the tool is a Windows executable"},
    "--prefix": {"nargs": "+", "default": [], "help": "a command to run the tool through"},
    "--dynamic-exe": {"help": "clip2c linked dynamically"},
    "--close-fails": {"help": "a library to preload whose close() fails"},
    "--generator": {"action": "append", "default": [], "help": "a CMake generator to use (repeatable)"},
}
# The options that name files or folders: made absolute when given.
PATH_OPTIONS = ("--exe", "--scratch", "--source", "--build", "--dynamic-exe", "--close-fails")


def runner_args(description, *options):
    """Reads the runner's command line, which takes the `options` named (keys
    of RUNNER_OPTIONS) and no others. Returns argparse's namespace ("--dynamic-exe"
    as dynamic_exe), with every path absolute and the scratch folder, when
    there is one, made anew and empty."""
    parser = argparse.ArgumentParser(description=description,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    for name in options:
        parser.add_argument(name, **RUNNER_OPTIONS[name])
    args = parser.parse_args()
    for name in set(options) & set(PATH_OPTIONS):
        dest = name[2:].replace("-", "_")
        if getattr(args, dest) is not None:
            setattr(args, dest, os.path.abspath(getattr(args, dest)))
    if "--scratch" in options:
        shutil.rmtree(args.scratch, ignore_errors=True)
        os.makedirs(args.scratch)
    return args


class Tally:
    """The outcomes of one runner, each printed as it comes: cases passed,
    failed or skipped (record, skip), and failures found outside any case
    (fail). finish() prints the summary and returns the exit status."""

    def __init__(self, label):
        self.label, self.passed, self.failed, self.skipped = label, 0, 0, 0

    def skip(self, name, reason):
        self.skipped += 1
        print("SKIP %s: %s" % (name, reason), flush=True)

    def record(self, name, problems):
        if problems:
            self.failed += 1
            print("\n     ".join(["FAIL %s" % name] + problems), flush=True)
        else:
            self.passed += 1
            print("ok   %s" % name, flush=True)

    def fail(self, what):
        self.failed += 1
        print("FAIL: " + what, flush=True)

    def finish(self):
        if self.passed or self.skipped:
            print("%s: %d passed, %d failed, %d skipped"
                  % (self.label, self.passed, self.failed, self.skipped))
        elif self.failed:
            print("%s: %d check(s) failed" % (self.label, self.failed))
        else:
            print("%s: all checks passed" % self.label)
        return 1 if self.failed else 0
