#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end cases for the built clip2c executable.

Each case runs the executable in a fresh scratch folder holding the case's
files, then compares standard output byte for byte, the exit status, and the
whole folder afterwards: files the case expects to be written must hold
exactly the expected bytes, and every other file must be as it was (a
rejected run creates and truncates nothing).

  run_e2e.py --exe build/clip2c --scratch build/e2e-scratch
  LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
  run_e2e.py --exe build-win/clip2c.exe --scratch /tmp/s --prefix "$PWD/cmake/wine-run.sh" --windows

--prefix runs the executable through a command such as cmake/wine-run.sh;
--windows picks the cases that only exist on Windows and reads CR LF on
standard output as LF (the C runtime's text mode).

Names in the cases (arguments and files) are what the tool receives: text
stands for its bytes in code page 932 (Shift_JIS); bytes are taken as they
are. On POSIX the runner passes those bytes and names the files with them.
A Windows program gets its names converted from Unicode into its ANSI code
page, so on Windows the runner passes the names as UTF-8 text, and a
backslash in a file's name separates folders. Under Wine in the locale
ja_JP.UTF-8 (as ctest sets it) Wine reads them as UTF-8 and hands the tool
Shift_JIS; natively, Python takes bytes arguments and paths as UTF-8. Where
the ANSI code page is not 932 (a Windows of another language), the cases
with non-ASCII names are skipped.
"""
import os
import shutil
import struct
import subprocess
import sys
from dataclasses import dataclass, field

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import (BANNER, EIGHT_BIT_ONLY, FAIL, MONO_ONLY, NO_INPUT, NOT_RAW_OR_WAV,  # noqa: E402
                      USAGE, Tally, c_array, chunk, fmt, pattern, pcm8, riff, runner_args, tool_bytes,
                      wave_module_file)


@dataclass
class Case:
    name: str
    args: list
    stdout: bytes
    status: int
    files: dict = field(default_factory=dict)    # folder contents before the run
    written: dict = field(default_factory=dict)  # files the run must leave, with their bytes
    only: str = ""                               # "posix" or "windows" for cases of one platform


S = pattern(500)
WAV500 = pcm8(S)
EXTENSIBLE = fmt(tag=0xFFFE, extra=struct.pack("<HHI16s", 22, 8, 4, b"\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"))

CASES = [
    # Command line and console texts.
    Case("no arguments", [], BANNER + USAGE, FAIL),
    Case("/?", ["/?"], BANNER + USAGE, FAIL),
    Case("-help", ["-help"], BANNER + USAGE, FAIL),
    Case("/HELPME", ["/HELPME"], BANNER + USAGE, FAIL),
    Case("help with valid paths touches nothing", ["clip.raw", "out.h", "/Help"], BANNER + USAGE, FAIL,
         files={"clip.raw": b"\x01\x02", "out.h": b"keep"}),
    Case("no input path", ["/signed", "/x"], BANNER + NO_INPUT, FAIL),
    Case("empty arguments only", ["", ""], BANNER + NO_INPUT, FAIL),
    Case("absolute POSIX path is an option", ["/data/clip.raw"], BANNER + NO_INPUT, FAIL),
    Case("neither raw nor wav", ["clip.txt"], BANNER + NOT_RAW_OR_WAV, FAIL, files={"clip.txt": b"abc"}),
    Case("upper-case extension", ["SOUND.RAW"], BANNER + NOT_RAW_OR_WAV, FAIL, files={"SOUND.RAW": b"abc"}),
    Case("missing raw input", ["clip.raw"], BANNER, FAIL),
    Case("wildcards are not expanded", ["*.raw"], BANNER, FAIL, files={"a.raw": b"ab", "b.raw": b"cd"}),
    Case("empty raw input", ["clip.raw"], BANNER, FAIL, files={"clip.raw": b""}),
    Case("folder as raw input", ["dir.raw"], BANNER, FAIL, files={"dir.raw/": None}),

    # Raw input.
    Case("raw", ["clip.raw"], BANNER, 0, files={"clip.raw": b"\x80\x81\x7f"},
         written={"clip.h": b"const unsigned char clip_wave[3] =\n{\n\t128, 129, 127\n};\n"}),
    Case("raw signed", ["-SIGNED", "clip.raw"], BANNER, 0, files={"clip.raw": b"\x80\x81\x7f"},
         written={"clip.h": b"const char clip_wave[3] =\n{\n\t0, 1, -1\n};\n"}),
    Case("raw, every value, signed", ["all.raw", "/signedness"], BANNER, 0, files={"all.raw": bytes(range(256))},
         written={"all.h": c_array(b"all", bytes(range(256)), signed=True)}),
    Case("given output used unchanged, third path ignored", ["a.raw", "b.txt", "c.raw"], BANNER, 0,
         files={"a.raw": S[:17]}, written={"b.txt": c_array(b"a", S[:17])}),
    Case("empty argument keeps the output slot open", ["a.raw", "", "out.c"], BANNER, 0,
         files={"a.raw": S[:16]}, written={"out.c": c_array(b"a", S[:16])}),
    Case("unknown option ignored", ["/x", "a.raw", "-verbose"], BANNER, 0,
         files={"a.raw": S[:1]}, written={"a.h": c_array(b"a", S[:1])}),
    Case("raw tried first", ["clip.raw.wav"], BANNER, 0, files={"clip.raw.wav": S[:40]},
         written={"clip.h": c_array(b"clip", S[:40])}),
    Case("last raw cut", ["old.wav.raw"], BANNER, 0, files={"old.wav.raw": S[:3]},
         written={"old.wav.h": c_array(b"old.wav", S[:3])}),
    Case("extension alone", [".raw"], BANNER, 0, files={".raw": S[:5]}, written={".h": c_array(b"", S[:5])}),
    Case("extension inside the name", ["clip.rawdata"], BANNER, 0, files={"clip.rawdata": S[:5]},
         written={"clip.h": c_array(b"clip", S[:5])}),
    Case("name keeps spaces and hyphens", ["my clip-1.raw"], BANNER, 0, files={"my clip-1.raw": S[:2]},
         written={"my clip-1.h": c_array(b"my clip-1", S[:2])}),
    Case("folder cut from the name", ["snd/clip.raw"], BANNER, 0, files={"snd/clip.raw": S[:20]},
         written={"snd/clip.h": c_array(b"clip", S[:20])}),
    Case("dotted folders cut from the name", ["./a/b/clip.wav"], BANNER, 0, files={"a/b/clip.wav": WAV500},
         written={"a/b/clip.h": c_array(b"clip", S)}),
    Case("output equal to input replaces it", ["clip.raw", "clip.raw"], BANNER, 0, files={"clip.raw": S[:9]},
         written={"clip.raw": c_array(b"clip", S[:9])}),
    Case("existing output truncated", ["clip.raw"], BANNER, 0, files={"clip.raw": S[:2], "clip.h": b"x" * 5000},
         written={"clip.h": c_array(b"clip", S[:2])}),
    Case("output in a missing folder", ["clip.raw", "nowhere/clip.h"], BANNER, FAIL, files={"clip.raw": S[:2]}),
    Case("output is a folder", ["clip.raw", "out"], BANNER, FAIL, files={"clip.raw": S[:2], "out/": None}),

    # WAV input.
    Case("8-bit mono wav", ["clip.wav"], BANNER, 0, files={"clip.wav": WAV500},
         written={"clip.h": c_array(b"clip", S)}),
    Case("8-bit mono wav signed", ["clip.wav", "/SIGNED"], BANNER, 0, files={"clip.wav": WAV500},
         written={"clip.h": c_array(b"clip", S, signed=True)}),
    Case("wav from Python's wave writer", ["tone.wav"], BANNER, 0, files={"tone.wav": wave_module_file(S[:333])},
         written={"tone.h": c_array(b"tone", S[:333])}),
    Case("16-bit mono wav", ["clip.wav"], BANNER + EIGHT_BIT_ONLY, FAIL,
         files={"clip.wav": wave_module_file(S[:100], width=2)}),
    Case("8-bit stereo wav", ["clip.wav"], BANNER + MONO_ONLY, FAIL,
         files={"clip.wav": wave_module_file(S[:100], channels=2)}),
    Case("16-bit stereo wav: channels first", ["clip.wav"], BANNER + MONO_ONLY, FAIL,
         files={"clip.wav": wave_module_file(S[:100], channels=2, width=2)}),
    Case("not a WAVE form", ["clip.wav"], BANNER + MONO_ONLY, FAIL,
         files={"clip.wav": riff(fmt(), chunk(b"data", S[:4]), form=b"AVI ")}),
    Case("raw bytes named wav", ["clip.wav"], BANNER + MONO_ONLY, FAIL, files={"clip.wav": S[:100]}),
    Case("tiny file named wav", ["clip.wav"], BANNER + MONO_ONLY, FAIL, files={"clip.wav": b"RIFF"}),
    Case("no fmt chunk", ["clip.wav"], BANNER + MONO_ONLY, FAIL, files={"clip.wav": riff(chunk(b"data", S[:4]))}),
    Case("fmt without data gives an empty array", ["clip.wav"], BANNER, 0, files={"clip.wav": riff(fmt())},
         written={"clip.h": b"const unsigned char clip_wave[0] =\n{\n};\n"}),
    Case("data ahead of fmt, LIST and fact chunks", ["clip.wav"], BANNER, 0,
         files={"clip.wav": riff(chunk(b"LIST", b"INFOISFT\x05\x00\x00\x00abcd\x00"), chunk(b"data", S[:33]),
                                 chunk(b"fact", struct.pack("<I", 33)), fmt())},
         written={"clip.h": c_array(b"clip", S[:33])}),
    Case("u-law mono is taken byte for byte", ["speech.wav"], BANNER, 0,
         files={"speech.wav": riff(fmt(tag=7), chunk(b"fact", struct.pack("<I", 50)), chunk(b"data", S[:50]))},
         written={"speech.h": c_array(b"speech", S[:50])}),
    Case("extensible fmt, 8-bit mono", ["ext.wav"], BANNER, 0,
         files={"ext.wav": riff(EXTENSIBLE, chunk(b"data", S[:21]))}, written={"ext.h": c_array(b"ext", S[:21])}),
    Case("bits field ignored, block align counts", ["clip.wav"], BANNER, 0,
         files={"clip.wav": pcm8(S[:8], align=1, bits=16)}, written={"clip.h": c_array(b"clip", S[:8])}),
    Case("block align 2 mono is 16-bit", ["clip.wav"], BANNER + EIGHT_BIT_ONLY, FAIL,
         files={"clip.wav": pcm8(S[:8], align=2, bits=8)}),
    Case("truncated download converts what is there", ["cut.wav"], BANNER, 0,
         files={"cut.wav": WAV500[:300]}, written={"cut.h": c_array(b"cut", WAV500[44:300])}),
    Case("streamed data size 0xFFFFFFFF", ["live.wav"], BANNER, 0,
         files={"live.wav": riff(fmt(), chunk(b"data", S[:76], declared=0xFFFFFFFF), riff_size=0x7FFFFFFF)},
         written={"live.h": c_array(b"live", S[:76])}),
    Case("RIFF size 0xFFFFFFFF wraps the walk's end: nothing found", ["live.wav"], BANNER + MONO_ONLY, FAIL,
         files={"live.wav": riff(fmt(), chunk(b"data", S[:77]), riff_size=0xFFFFFFFF)}),
    Case("RIFF size stops the walk before data", ["clip.wav"], BANNER, 0,
         files={"clip.wav": riff(fmt(), chunk(b"data", S[:4]), riff_size=28)},
         written={"clip.h": b"const unsigned char clip_wave[0] =\n{\n};\n"}),
    Case("last data chunk wins", ["clip.wav"], BANNER, 0,
         files={"clip.wav": riff(fmt(), chunk(b"data", S[:5]), chunk(b"data", S[100:103]))},
         written={"clip.h": c_array(b"clip", S[100:103])}),
    Case("extension in a folder name", ["snd.wav/clip.bin"], BANNER, 0, files={"snd.wav/clip.bin": WAV500},
         written={"snd.h": c_array(b"snd", S)}),

    # Paths that exist on one platform only.
    Case("backslash folder in a Windows path", ["snd.wav\\clip.bin"], BANNER, 0,
         files={"snd.wav/clip.bin": WAV500}, written={"snd.h": c_array(b"snd", S)}, only="windows"),
    Case("backslash folder cut from the name", ["sub\\clip.raw"], BANNER, 0,
         files={"sub/clip.raw": S[:3]}, written={"sub/clip.h": c_array(b"clip", S[:3])}, only="windows"),
    Case("backslash inside a POSIX file name", ["snd.wav\\clip.bin"], BANNER, 0,
         files={"snd.wav\\clip.bin": WAV500}, written={"snd.h": c_array(b"snd", S)}, only="posix"),
    # Drive paths: "{case}" stands for the case folder as an absolute Windows
    # path with its drive letter (under Wine, on drive Z:, which is /).
    Case("drive path to the input", ["{case}\\clip.raw"], BANNER, 0, files={"clip.raw": S[:4]},
         written={"clip.h": c_array(b"clip", S[:4])}, only="windows"),
    Case("drive path to the output", ["sub\\clip.wav", "{case}\\out\\clip.c"], BANNER, 0,
         files={"sub/clip.wav": WAV500, "out/": None}, written={"out/clip.c": c_array(b"clip", S)}, only="windows"),

    # Shift_JIS names, on both platforms: the tool sees their code page 932
    # bytes, and the array name keeps them. 表 (0x95 0x5C) and ソ (0x83 0x5C)
    # end in the backslash byte, which cuts the array name. The backslash
    # after ソフト is a folder separator on Windows and part of the one file's
    # name on POSIX.
    Case("Shift_JIS name", ["効果音.wav"], BANNER, 0, files={"効果音.wav": WAV500},
         written={"効果音.h": c_array("効果音", S)}),
    Case("Shift_JIS output path", ["効果音.wav", "出力.c"], BANNER, 0, files={"効果音.wav": WAV500},
         written={"出力.c": c_array("効果音", S)}),
    Case("Shift_JIS name whose second byte is a backslash", ["表示.raw"], BANNER, 0,
         files={"表示.raw": S[:3]}, written={"表示.h": c_array("示", S[:3])}),
    Case("backslash after a Shift_JIS folder holding a backslash byte", ["ソフト\\clip.raw"], BANNER, 0,
         files={"ソフト\\clip.raw": S[:6]}, written={"ソフト\\clip.h": c_array("clip", S[:6])}),
    Case("Shift_JIS folder and file name, each with a backslash byte", ["ソフト/表示.wav"], BANNER, 0,
         files={"ソフト/表示.wav": WAV500}, written={"ソフト/表示.h": c_array("示", S)}),
]


def snapshot(root):
    """Every file below root with its bytes; folders as None."""
    found = {}
    for folder, dirs, files in os.walk(os.fsencode(root)):
        rel = os.path.relpath(folder, os.fsencode(root))
        for d in dirs:
            found[os.path.normpath(os.path.join(rel, d)) + b"/"] = None
        for f in files:
            with open(os.path.join(folder, f), "rb") as fh:
                found[os.path.normpath(os.path.join(rel, f))] = fh.read()
    return found


def host_name(name, windows, path=False):
    """A name as the runner hands it to the system, so that the tool receives
    tool_bytes(name): on POSIX those bytes; on Windows the name as UTF-8 text,
    in which a backslash of a path separates folders."""
    if not windows:
        return tool_bytes(name)
    text = tool_bytes(name).decode("cp932")
    return (text.replace("\\", "/") if path else text).encode()


def lay_out(root, files, windows):
    for name, content in files.items():
        path = os.path.join(os.fsencode(root), host_name(name, windows, path=True))
        if content is None:
            os.makedirs(path, exist_ok=True)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as fh:
            fh.write(content)


def run_case(case, exe, prefix, windows, scratch):
    root = os.path.join(scratch, "case")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    lay_out(root, case.files, windows)
    before = snapshot(root)
    args = [host_name(a, windows) for a in case.args]
    if windows:
        here = os.path.abspath(root) if os.name == "nt" else "Z:" + os.path.abspath(root).replace("/", "\\")
        args = [a.replace(b"{case}", here.encode()) for a in args]
    proc = subprocess.run(prefix + [exe] + args, cwd=root,
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    stdout = proc.stdout.replace(b"\r\n", b"\n") if windows else proc.stdout
    problems = []
    if stdout != case.stdout:
        problems.append(f"stdout {stdout!r}\n   expected {case.stdout!r}")
    if proc.returncode != case.status:
        problems.append(f"exit status {proc.returncode}, expected {case.status}")
    if not prefix and proc.stderr:
        problems.append(f"stderr not empty: {proc.stderr!r}")
    expected = dict(before)
    for name, content in case.written.items():
        expected[os.path.normpath(host_name(name, windows, path=True))] = content
    after = snapshot(root)
    for name in sorted(set(expected) | set(after)):
        if expected.get(name, b"<absent>") != after.get(name, b"<absent>"):
            got = after.get(name, b"<absent>")
            problems.append(f"file {name!r}: {got[:200]!r}... expected {expected.get(name, b'<absent>')[:200]!r}...")
    return problems


def main():
    opts = runner_args(__doc__, "--exe", "--scratch", "--prefix", "--windows")
    exe = opts.exe
    platform = "windows" if opts.windows else "posix"
    # Natively on Windows the ANSI code page is the system's own; under Wine
    # ctest's locale makes it 932.
    code_page = 932
    if opts.windows and os.name == "nt":
        import ctypes
        code_page = ctypes.windll.kernel32.GetACP()
    tally = Tally("e2e")
    for case in CASES:
        if case.only and case.only != platform:
            tally.skip(case.name, "only on " + case.only)
            continue
        names = case.args + list(case.files) + list(case.written)
        if opts.windows and code_page != 932 and not all(tool_bytes(n).isascii() for n in names):
            tally.skip(case.name, "Shift_JIS names need the ANSI code page 932, not %d" % code_page)
            continue
        tally.record(case.name, run_case(case, exe, opts.prefix, opts.windows, opts.scratch))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
