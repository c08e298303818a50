#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""clip2c in a user's CMake project: install, find_package, clip2c_add_clip().

Installs the built clip2c into a scratch prefix and checks the installed
files; then builds tests/consumer (a C and a C++ program with clips compiled
in, and a program whose C++ and C files share arrays made with SOURCE, with
their rates; warnings as errors) against the installed package and as a
subproject (add_subdirectory and FetchContent), with Ninja and with Make in
parallel, runs the programs, and checks that a header is made again when its
clip, its RATE or clip2c-board changes, and only then. Every file the
functions make is what clip2c-board writes for the same options, byte for
byte (with SOURCE, its --source); without options that is clip2c's text. It
also checks the function's configure-time refusals, clips in awkward
folders, the rate read from WAV files of unusual layouts, the generated
sources compiling without warnings under gcc and clang, C and C++, the
plain-char caveat of signed output, and a cross build that uses the
installed tool. Board options (TARGET, NAME, RATE, NORMALIZE, TRIM): 16-,
24-bit and float WAV files of any channels and rate; a new option makes its
clip again; clip2c-board's refusals fail the build with its own lines, no
CMake warning and no file left. Firmware: a bare-metal Cortex-M build with
the installed tool (alone, and with clip2c's source tree added after it;
one of its arrays shared by two files through SOURCE) and ATmega328P
programs with their clip in flash, by hand and through STORAGE __flash and
PROGMEM, and an Uno build of a folder of stereo WAV files through TARGET
progmem RATE 8000; each reads the ELF file for where the arrays lie and
what they hold. IMA ADPCM (ENCODING ima-adpcm, tests/consumer/adpcm):
decoded by a host C program to its count of samples, and an Uno build with
the array and the decoder's table in flash, each also with SOURCE (the
array defined once, for two files). Banks (clip2c_add_bank): clips the tool
refuses among the rows above, and an Uno build of three WAV files at three
rates (tests/consumer/bank), with SOURCE for two C++ files, in 8-bit and in
IMA ADPCM, made again when a clip, an option or the tool changes.

  run_consumer.py --source . --build build --scratch build/consumer-scratch
"""
import io
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import (Tally, c_array, chunk, fmt, pcm8, riff, runner_args,  # noqa: E402  (expected texts; WAV files)
                      wave_module_file)

tally = Tally("consumer")


def run(argv, cwd=None, expect_ok=True):
    proc = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          stdin=subprocess.DEVNULL)
    out = proc.stdout.decode("utf-8", "replace")
    if expect_ok and proc.returncode != 0:
        raise SystemExit("command failed (%d): %s\n%s" % (proc.returncode, " ".join(argv), out))
    return proc.returncode, out


def mtimes(paths):
    return {p: os.stat(p).st_mtime_ns for p in paths}


def bump(path):
    """Makes a file newer than anything built so far (and not in the future,
    which would leave it newer than every later build)."""
    time.sleep(1.1)
    os.utime(path, None)


# --- the installed tree ------------------------------------------------------

def check_install(args, prefix, exe):
    run(["cmake", "--install", args.build, "--prefix", prefix] + (["--config", args.config] if args.config else []))
    expected = [
        "bin/" + exe,
        "share/man/man1/clip2c.1",
        "share/doc/clip2c/README.md",
    ]
    for rel in expected:
        if not os.path.isfile(os.path.join(prefix, rel)):
            tally.fail("install: %s is missing" % rel)
    package = [os.path.join(dp, f) for dp, _, fs in os.walk(prefix) for f in fs
               if f in ("clip2cConfig.cmake", "clip2cConfigVersion.cmake")]
    if len(package) != 2 or os.path.dirname(package[0]) != os.path.dirname(package[1]):
        tally.fail("install: clip2cConfig.cmake and its version file not found side by side: %s" % package)
    code, out = run([os.path.join(prefix, "bin", exe)], expect_ok=False)
    if code != 255 or "Usage : " not in out:
        tally.fail("install: the installed tool does not show its usage text (exit %d)" % code)


# --- the consumer project ----------------------------------------------------

def configure(src, build, generator, extra):
    return run(["cmake", "-S", src, "-B", build, "-G", generator] + extra, expect_ok=False)


def configure_and_build(what, src, build, generator, extra, then_build=True):
    """Configures <src> in <build> with the generator and the extra
    arguments, then (unless then_build is False) builds all of it. Returns
    True; a step that fails is recorded under <what>, with CMake's output,
    and gives False."""
    step, (code, out) = "configure", configure(src, build, generator, extra)
    if code == 0 and then_build:
        step, (code, out) = "build", run(["cmake", "--build", build, "--parallel", "2"], expect_ok=False)
    if code != 0:
        tally.fail("%s: the %s failed:\n%s" % (what, step, out))
    return code == 0


def build_and_check(name, src, build, ramp_rate):
    """Builds, runs the programs; returns the generated files: the headers of
    embed_c (tone, ramp) and embed_cxx (tone), then shared_cxx's headers and
    definitions of tone and ramp (SOURCE; ramp's RATE is ramp_rate)."""
    run(["cmake", "--build", build, "--parallel", "2"])
    headers = [os.path.join(build, "clip2c_clips", t, h)
               for t, h in (("embed_c", "tone.h"), ("embed_c", "ramp.h"), ("embed_cxx", "tone.h"),
                            ("shared_cxx", "tone.h"), ("shared_cxx", "tone_wave.c"),
                            ("shared_cxx", "ramp.h"), ("shared_cxx", "ramp_wave.c"))]
    tone, ramp = os.path.join(src, "clips", "tone.wav"), os.path.join(src, "clips", "ramp.raw")
    with wave.open(tone) as w:
        tone_rate = str(w.getframerate())
    for argv in ([os.path.join(build, "embed_c"), tone, ramp], [os.path.join(build, "embed_cxx"), tone],
                 [os.path.join(build, "shared_cxx"), tone, tone_rate, ramp, ramp_rate]):
        code, out = run(argv, expect_ok=False)
        if code != 0:
            tally.fail("%s: %s exited %d: %s" % (name, os.path.basename(argv[0]), code, out.strip()))
    return headers


def scenario(args, name, generator, extra, tool_of):
    root = os.path.join(args.scratch, name)
    src, build = os.path.join(root, "src"), os.path.join(root, "build")
    shutil.copytree(os.path.join(args.source, "tests", "consumer"), src)
    if not configure_and_build(name, src, build, generator, extra, then_build=False):
        return
    headers = build_and_check(name, src, build, "11025")
    tone_c, ramp_c, tone_cxx, shared_h, shared_c, shared_ramp_h, shared_ramp_c = headers

    before = mtimes(headers)
    run(["cmake", "--build", build, "--parallel", "2"])
    if mtimes(headers) != before:
        tally.fail("%s: a rebuild with nothing changed made headers again" % name)

    # A new clip, written by another tool, of another length and rate:
    # shared_cxx checks that sizeof, in C and C++, and the rate follow it.
    with open(os.path.join(src, "clips", "tone.wav"), "wb") as f:
        f.write(wave_module_file(bytes((i * 37 + 11) & 0xFF for i in range(777)), rate=22050))
    bump(os.path.join(src, "clips", "tone.wav"))
    before = mtimes(headers)
    build_and_check(name, src, build, "11025")
    after = mtimes(headers)
    if any(after[h] == before[h] for h in (tone_c, tone_cxx, shared_h, shared_c)):
        tally.fail("%s: tone.h or tone_wave.c was not made again after tone.wav changed" % name)
    if any(after[h] != before[h] for h in (ramp_c, shared_ramp_h, shared_ramp_c)):
        tally.fail("%s: ramp.h was made again though ramp.raw did not change" % name)

    # A new RATE makes ramp's files in shared_cxx again, and nothing else.
    before = mtimes(headers)
    if not configure_and_build(name + ", RATE 16000", src, build, generator,
                               extra + ["-DCONSUMER_RAMP_RATE=16000"], then_build=False):
        return
    build_and_check(name, src, build, "16000")
    after = mtimes(headers)
    if any((after[h] == before[h]) != (h not in (shared_ramp_h, shared_ramp_c)) for h in headers):
        tally.fail("%s: a new RATE for ramp.raw should make ramp.h and ramp_wave.c of shared_cxx again, "
                   "and nothing else" % name)

    # clip2c-board makes every file; clip2c none.
    for tool, remade in ((tool_of(build), ()), (board_tool(tool_of(build)), headers)):
        bump(tool)
        before = mtimes(headers)
        run(["cmake", "--build", build, "--parallel", "2"])
        after = mtimes(headers)
        if any((after[h] != before[h]) != (h in remade) for h in headers):
            tally.fail("%s: after %s changed, made again: %s; expected %s" % (
                name, os.path.basename(tool), [os.path.basename(h) for h in headers if after[h] != before[h]],
                [os.path.basename(h) for h in remade]))

    # A clip the tool rejects fails the build, says why, and leaves no header
    # that a later build could take as up to date.
    tone = os.path.join(src, "clips", "tone.wav")
    good = open(tone, "rb").read()
    law = bytearray(good)
    law[20:22] = struct.pack("<H", 7)  # the format tag of the "fmt " chunk: u-law
    with open(tone, "wb") as f:
        f.write(bytes(law))
    bump(tone)
    code, out = run(["cmake", "--build", build], expect_ok=False)
    if code == 0 or "a compressed or non-PCM WAV file, u-law" not in out or "CMake Warning" in out:
        tally.fail("%s: a u-law clip did not fail the build with its reason alone:\n%s" % (name, out))
    for header in (tone_c, tone_cxx, shared_h, shared_c):
        if os.path.exists(header) and os.stat(header).st_mtime_ns >= os.stat(tone).st_mtime_ns:
            tally.fail("%s: a failed conversion left %s newer than its clip" % (name, header))
    with open(tone, "wb") as f:
        f.write(good)
    bump(tone)
    build_and_check(name, src, build, "16000")

    # Headers removed by hand, folder and all, are simply made again.
    shutil.rmtree(os.path.join(build, "clip2c_clips"))
    build_and_check(name, src, build, "16000")
    return build


def board_tool(tool):
    """The clip2c-board beside the clip2c at <tool>."""
    return os.path.join(os.path.dirname(tool), "clip2c-board" + (".exe" if tool.endswith(".exe") else ""))


def check_subproject_only_builds_the_tool(name, build):
    sub = os.path.join(build, "clip2c")
    for unwanted in ("tests", "CTestTestfile.cmake", "CPackConfig.cmake"):
        if os.path.exists(os.path.join(sub, unwanted)) or os.path.exists(os.path.join(build, unwanted)):
            tally.fail("%s: as a subproject clip2c made %s" % (name, unwanted))
    dest = os.path.join(build, "installed")
    run(["cmake", "--install", build, "--prefix", dest])
    if os.path.exists(dest) and any(files for _, _, files in os.walk(dest)):
        tally.fail("%s: installing the parent project installed clip2c's files" % name)


# --- the function's rules at configure time ----------------------------------

PROJECT = """cmake_minimum_required(VERSION 3.20)
project(rules LANGUAGES C)
find_package(clip2c CONFIG REQUIRED)
add_executable(app main.c)
%s
"""

# {name, clip files to create, calls, expected configure error ("" = none)}.
# What clip2c-board checks (names, targets, encodings, rates) it refuses at
# build time: BOARD_REJECTED_ROWS.
RULE_ROWS = [
    ("no extension", ["clip.txt"], ["clip2c_add_clip(app clip.txt)"], 'neither ".raw" nor ".wav"'),
    ("upper-case extension", ["SOUND.RAW"], ["clip2c_add_clip(app SOUND.RAW)"], 'neither ".raw" nor ".wav"'),
    ("two clips one name", ["a/boom.wav", "b/boom.raw"],
     ["clip2c_add_clip(app a/boom.wav)", "clip2c_add_clip(app b/boom.raw)"], "already has a clip or a bank named boom"),
    ("unknown option", ["tone.wav"], ["clip2c_add_clip(app tone.wav LOUD)"], "unexpected arguments: LOUD"),
    ("no such target", ["tone.wav"], ["clip2c_add_clip(nothing tone.wav)"], "no target named nothing"),
    ("semicolon in the folder", ["a;b/tone.wav"], ['clip2c_add_clip(app "a;b/tone.wav")'], 'holding ";"'),
    ("a keyword without its value", ["tone.raw"], ["clip2c_add_clip(app tone.raw SOURCE RATE)"],
     "clip2c_add_clip: RATE needs a value"),
    ("STORAGE of other words", ["tone.wav"], ["clip2c_add_clip(app tone.wav SOURCE STORAGE volatile)"],
     'clip2c_add_clip: STORAGE takes PROGMEM or __flash, the words of TARGET progmem and TARGET flash, '
     'not "volatile"'),
    ("TARGET with STORAGE", ["tone.wav"], ["clip2c_add_clip(app tone.wav SOURCE TARGET progmem STORAGE PROGMEM)"],
     "and does not go with TARGET"),
    ("two clips one NAME", ["a.wav", "b.wav"],
     ["clip2c_add_clip(app a.wav NAME boom)", "clip2c_add_clip(app b.wav NAME boom TARGET firmware)"],
     "already has a clip or a bank named boom"),
    ("bank, an unknown option", ["tone.wav"], ["clip2c_add_bank(app sfx LOUD CLIPS tone.wav)"],
     "clip2c_add_bank: unexpected arguments: LOUD"),
    ("bank named as a clip", ["sfx.wav"], ["clip2c_add_clip(app sfx.wav)", "clip2c_add_bank(app sfx CLIPS sfx.wav)"],
     "already has a clip or a bank named sfx"),
]


def check_rules(args, prefix):
    clip = wave_module_file(bytes(range(40)))
    for name, files, calls, expected in RULE_ROWS:
        root = os.path.join(args.scratch, "rules", name.replace(" ", "_"))
        os.makedirs(root)
        for rel in files:
            os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(root, rel), "wb") as f:
                f.write(clip)
        with open(os.path.join(root, "main.c"), "w") as f:
            f.write("int main(void) { return 0; }\n")
        with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
            f.write(PROJECT % "\n".join(calls))
        code, out = configure(root, os.path.join(root, "build"), args.generator[0],
                              ["-DCMAKE_PREFIX_PATH=" + prefix])
        flat = " ".join(out.split())  # CMake wraps its messages
        if code == 0 or expected not in flat:
            tally.fail("rule '%s': expected a configure error with %r, got exit %d:\n%s" % (name, expected, code, out))


# Clips whose folders would mislead a tool that read the whole path, or
# whose paths begin like an option: {name, clip path, SIGNED?, array name}.
# Without options each header is clip2c's text.
PLACE_ROWS = [
    ("folder named like a raw file", "snd.raw/beep.wav", False, b"beep"),
    ("folder named like a wav file", "x.wav/hum.raw", True, b"hum"),
    ("folder beginning with a hyphen", "-snd/click.raw", False, b"click"),
    ("raw before wav in the name", "old.raw.wav", False, b"old"),
]


def check_places(args, prefix):
    root = os.path.join(args.scratch, "places")
    os.makedirs(root)
    calls, expected = [], {}
    for i, (name, rel, signed, array, ) in enumerate(PLACE_ROWS):
        samples = bytes((i * 50 + k * 7) & 0xFF for k in range(20 + i))
        is_raw = ".raw" in os.path.basename(rel)
        data = samples if is_raw else wave_module_file(samples)
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        # Relative paths and absolute ones alike.
        calls.append("clip2c_add_clip(app %s%s)" % (
            "${CMAKE_CURRENT_SOURCE_DIR}/" + rel if i % 2 else rel, " SIGNED" if signed else ""))
        expected[name] = (array + b".h", c_array(array, samples, signed))
    with open(os.path.join(root, "main.c"), "w") as f:
        f.write("int main(void) { return 0; }\n")
    # Another target, named so that joining names with "_" would clash
    # ("app_x" + "y" and "app" + "x_y"), and an old policy level: the
    # function must not depend on the caller's policies.
    with open(os.path.join(root, "x_y.raw"), "wb") as f:
        f.write(bytes(range(3)))
    with open(os.path.join(root, "y.raw"), "wb") as f:
        f.write(bytes(range(4)))
    calls += ["add_executable(app_x main.c)", "clip2c_add_clip(app_x y.raw)", "clip2c_add_clip(app x_y.raw)"]
    expected["helper names"] = (b"x_y.h", c_array(b"x_y", bytes(range(3))))
    with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
        f.write((PROJECT % "\n".join(calls)).replace("VERSION 3.20", "VERSION 3.5"))
    build = os.path.join(root, "-build")  # a build folder whose name begins with "-"
    if not configure_and_build("places", root, build, args.generator[0], ["-DCMAKE_PREFIX_PATH=" + prefix]):
        return
    for name, (header, text) in expected.items():
        path = os.path.join(build, "clip2c_clips", "app", header.decode())
        got = open(path, "rb").read() if os.path.exists(path) else b"(missing)"
        if got != text:
            tally.fail("place '%s': %s holds\n%r\nexpected\n%r" % (name, header.decode(), got[:200], text[:200]))


# --- the rate, the STORAGE words, and what compilers say about it all ---------

CLIP = bytes(range(7, 47))  # an even length: no pad byte after "data"
DATA = chunk(b"data", CLIP)

# Clips with SOURCE: {name, file, its bytes, more arguments, the rate the
# header must give}. The WAV files' chunks lie as clip2c's walk allows.
# With RATE the clip is clip2c-board's: a raw clip's text is still clip2c's,
# a WAV file at another rate is resampled (over.wav: its text is
# clip2c-board's for the same choices).
RATE_ROWS = [
    ("fmt, then data", "plain.wav", pcm8(CLIP, rate=8000), "", "8000"),
    ("data before fmt", "late.wav", riff(DATA, fmt(rate=11025)), "", "11025"),
    ("odd-sized chunk before fmt", "padded.wav", riff(chunk(b"LIST", b"abcde"), fmt(rate=22050), DATA), "", "22050"),
    ("two fmt chunks: the last", "twice.wav", riff(fmt(rate=8000), DATA, fmt(rate=44100)), "", "44100"),
    ("last fmt cut off by the file's end", "cut.wav", riff(fmt(rate=16000), DATA, fmt(rate=44100, body_size=6)),
     "", "16000"),
    ("fmt beyond the RIFF size", "beyond.wav",
     riff(fmt(rate=12000), DATA, fmt(rate=44100), riff_size=4 + len(fmt()) + len(DATA)), "", "12000"),
    ("the highest WAV rate", "top.wav", pcm8(CLIP, rate=0xFFFFFFFF), "", "4294967295"),
    ("RATE over the WAV's", "over.wav", pcm8(CLIP, rate=8000), "RATE 12345", "12345"),
    ("raw, signed", "beep.raw", CLIP, "SIGNED RATE 4000", "4000"),
    ("raw, the highest RATE", "peak.raw", CLIP, "RATE 1000000", "1000000"),
    ("raw, no RATE: 8000 Hz", "bare.raw", CLIP, "", "8000"),
]


def check_rates(args, prefix):
    """Each header of RATE_ROWS defines <array>_rate once, with its rate;
    the files are clip2c-board --source's, the definition clip2c's text
    (but for a clip resampled); and the sources compile without a warning
    under each of gcc and clang, as C and as C++."""
    root = os.path.join(args.scratch, "rates")
    os.makedirs(root)
    calls = ["add_executable(app main.c)"]
    for _, clip, data, more, _ in RATE_ROWS:
        with open(os.path.join(root, clip), "wb") as f:
            f.write(data)
        calls.append("clip2c_add_clip(app %s SOURCE %s)" % (clip, more))
    with open(os.path.join(root, "main.c"), "w") as f:
        f.write("int main(void) { return 0; }\n")
    with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
        f.write((PROJECT % "\n".join(calls)).replace("add_executable(app main.c)\n", "", 1))
    build = os.path.join(root, "build")
    if not configure_and_build("rates", root, build, args.generator[0], ["-DCMAKE_PREFIX_PATH=" + prefix]):
        return
    out_dir = os.path.join(build, "clip2c_clips", "app")
    sources = []
    for name, clip, data, more, rate in RATE_ROWS:
        array = clip[:-4].encode()
        samples = data if clip.endswith(".raw") else CLIP
        header = open(os.path.join(out_dir, clip[:-4] + ".h"), "rb").read()
        rates = re.findall(rb"^#define \w+_rate\b.*$", header, re.M)
        if rates != [b"#define %s_wave_rate %s" % (array, rate.encode())]:
            tally.fail("rate '%s': the header defines %s, expected %s_wave_rate %s" % (name, rates, array, rate))
        sources.append(os.path.join(out_dir, clip[:-4] + "_wave.c"))
        path = os.path.join(root, clip)
        check_tool_files("rate '%s'" % name, args, board_argv(prefix, path, more)[:-1], [path], out_dir,
                         clip[:-4] + ".h", clip[:-4] + "_wave.c")
        definition = open(sources[-1], "rb").read()
        if clip != "over.wav" and not definition.endswith(c_array(array, samples, "SIGNED" in more)):
            tally.fail("rate '%s': %s does not end with clip2c's text:\n%s" % (name, sources[-1], definition.decode()))
    compilers = [("gcc", "c", "c99"), ("clang", "c", "c99"), ("g++", "c++", "c++11"), ("clang++", "c++", "c++11")]
    for compiler, language, standard in compilers:
        if shutil.which(compiler) is None:
            print("generated sources: %s skipped, not installed" % compiler)
            continue
        for source in sources:
            code, out = run([compiler, "-x", language, "-std=" + standard, "-Wall", "-Wextra", "-pedantic",
                             "-c", "-o", os.devnull, source], expect_ok=False)
            if code != 0 or out.strip():
                tally.fail("%s -x %s -Wall -Wextra -pedantic: %s is not clean:\n%s"
                           % (compiler, language, os.path.basename(source), out))


# --- clip2c-board's clips: any PCM WAV file, made for a board ------------------

def board_exe(prefix):
    return os.path.join(prefix, "bin", "clip2c-board.exe" if os.name == "nt" else "clip2c-board")


def clip_base(path):
    """The name clip2c_add_clip gives a clip without NAME: its file name cut
    at the last ".raw", else the last ".wav"."""
    name = os.path.basename(path)
    cut = name.rfind(".raw")
    return name[:cut if cut >= 0 else name.rfind(".wav")]


def board_argv(prefix, clip, more):
    """clip2c-board's command line for the function's options <more> (a
    string of them, as in the call) on <clip>, without -o."""
    words, argv = more.split(), [board_exe(prefix)]
    values = {w: words[i + 1] for i, w in enumerate(words[:-1]) if w in ("TARGET", "ENCODING", "NAME", "RATE")}
    argv += ["--target", values.get("TARGET", "c"), "--name", values.get("NAME", clip_base(clip))]
    if "ENCODING" in values:
        argv += ["--encoding", values["ENCODING"]]
    if "RATE" in values:
        argv += ["--rate", values["RATE"]]
    return argv + ["--" + w.lower() for w in ("NORMALIZE", "TRIM", "SIGNED") if w in words] + [clip]


def board_text(args, prefix, clip, more, target=None):
    """What clip2c-board writes for <clip> with the options <more> (TARGET
    replaced by <target> when given)."""
    if target:
        more = re.sub(r"TARGET \w+", "", more) + " TARGET " + target
    out = os.path.join(args.scratch, "board-expected.h")
    run(board_argv(prefix, clip, more)[:-1] + ["-o", out, clip])
    with open(out, "rb") as f:
        text = f.read()
    os.remove(out)
    return text


def check_tool_files(what, args, argv, inputs, out_dir, header, source):
    """Checks that <header> and <source> in <out_dir> are what clip2c-board
    writes with --source for the options <argv> on <inputs>; returns the
    header that it writes whole for them."""
    tool_dir = os.path.join(args.scratch, "tool-files")
    shutil.rmtree(tool_dir, ignore_errors=True)
    os.makedirs(tool_dir)
    run(argv + ["-o", os.path.join(tool_dir, "whole.h")] + inputs)
    run(argv + ["-o", os.path.join(tool_dir, header), "--source", os.path.join(tool_dir, source)] + inputs)
    for made in (header, source):
        got, expected = (open(os.path.join(d, made), "rb").read() if os.path.isfile(os.path.join(d, made))
                         else b"(missing)" for d in (out_dir, tool_dir))
        if got != expected:
            tally.fail("%s: %s is not clip2c-board --source's:\n%s\nexpected\n%s"
                       % (what, made, got[:400].decode(), expected[:400].decode()))
    return open(os.path.join(tool_dir, "whole.h"), "rb").read()


def text_samples(text):
    """The bytes of the array that a text defines, as stored (signed values
    as their two's complement)."""
    body = re.search(rb"\] =\n\{\n(.*)\};\n", text, re.S).group(1)
    return bytes(int(v) & 0xFF for v in re.findall(rb"-?\d+", body))


def sine_frames(seconds, rate, channels, peak, pad=0.0):
    """Frames of a 440 Hz tone (each channel a little apart) at <peak> of
    full scale, with <pad> seconds of silence before and after: floats."""
    count, silent = int(seconds * rate), int(pad * rate)
    tone = [[peak * math.sin(2 * math.pi * 440 * i / rate + c) for c in range(channels)] for i in range(count)]
    quiet = [[0.0] * channels] * silent
    return quiet + tone + quiet


def pcm_wave(frames, rate, bits, is_float=False):
    """A WAV file of the frames: integer PCM of <bits> (Python's wave
    module), or 32-bit float (format 3, written by hand)."""
    channels = len(frames[0])
    if is_float:
        data = b"".join(struct.pack("<%df" % channels, *f) for f in frames)
        return riff(fmt(channels=channels, rate=rate, bits=32, tag=3), chunk(b"data", data))
    top = (1 << (bits - 1)) - 1
    data = b"".join(int(round(x * top)).to_bytes(bits // 8, "little", signed=True) for f in frames for x in f)
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(bits // 8)
        w.setframerate(rate)
        w.writeframes(data)
    return buf.getvalue()


SONG = pcm_wave(sine_frames(0.25, 44100, 2, 0.5), 44100, 16)  # 16-bit stereo 44.1 kHz
CHIME = pcm_wave(sine_frames(0.1, 48000, 2, 0.3), 48000, 24)  # 24-bit stereo 48 kHz
HUM = pcm_wave(sine_frames(0.1, 44100, 2, 0.1), 44100, 32, is_float=True)  # quiet float stereo
PADDED = pcm_wave(sine_frames(0.05, 22050, 1, 0.5, pad=0.05), 22050, 16)  # silence around a tone

# Clips with board options, in one host project: {name, file, its bytes,
# the options}. Without SOURCE the header must be clip2c-board's text for
# the same options, byte for byte; with it, the source holds that text
# after the header's #include, and the header declares the array and its
# rate. ${BOARD_RATE} is a cache variable the test changes.
BOARD_ROWS = [
    ("16-bit stereo 44.1 kHz, firmware", "song.wav", SONG, "TARGET firmware RATE ${BOARD_RATE}"),
    ("24-bit 48 kHz, NAME", "chime.wav", CHIME, "TARGET firmware NAME bell"),
    ("float, NORMALIZE", "hum.wav", HUM, "TARGET firmware NORMALIZE"),
    ("TRIM", "padded.wav", PADDED, "TARGET firmware TRIM RATE 8000"),
    ("SIGNED firmware: signed char", "song.wav", SONG, "TARGET firmware SIGNED NAME song_signed RATE 8000"),
    ("NORMALIZE alone: the c target", "hum.wav", HUM, "NAME hum_c NORMALIZE"),
    ("a file name that is no identifier, NAME", "my-clip.wav", CHIME, "NAME my_clip TARGET firmware"),
    ("raw clip, firmware, RATE", "beep.raw", bytes(range(0, 250, 3)), "TARGET firmware RATE 4000"),
    ("SOURCE, firmware, SIGNED", "song.wav", SONG, "NAME song_src TARGET firmware SIGNED RATE 8000 SOURCE"),
    ("SOURCE, c target: the rate from the engine", "chime.wav", CHIME, "NAME chime_c NORMALIZE SOURCE"),
    ("SOURCE, raw clip without RATE: 8000 Hz", "beep.raw", bytes(range(0, 250, 3)),
     "NAME beep_src TARGET firmware SOURCE"),
    ("SOURCE, IMA ADPCM", "song.wav", SONG, "NAME song_small ENCODING ima-adpcm RATE 8000 SOURCE"),
    ("16-bit WAV, no options: the c target", "wide.wav", PADDED, ""),
]


def board_header_name(clip, more):
    found = re.search(r"NAME (\w+)", more)
    return found.group(1) if found else clip_base(clip)


def check_board_files(what, args, prefix, clip, more, out_dir, rate_var="8000"):
    """Checks the files made for one row of BOARD_ROWS; returns the paths
    of those that a compiler can take alone."""
    name = board_header_name(clip, more)
    more = more.replace("${BOARD_RATE}", rate_var)
    header_path = os.path.join(out_dir, name + ".h")
    header = open(header_path, "rb").read() if os.path.isfile(header_path) else b"(missing)"
    expected = board_text(args, prefix, clip, more)
    if "SOURCE" not in more:
        if header != expected:
            tally.fail("board '%s': %s.h is not clip2c-board's text:\n%s\nexpected\n%s"
                       % (what, name, header[:300].decode(), expected[:300].decode()))
        return [header_path]
    source_path = os.path.join(out_dir, name + ("_adpcm.c" if "ima-adpcm" in more else "_wave.c"))
    if not os.path.isfile(source_path):
        source_path += "pp"  # C++ alone enabled
    check_tool_files("board '%s'" % what, args, board_argv(prefix, clip, more)[:-1], [clip], out_dir, name + ".h",
                     os.path.basename(source_path))
    return [source_path]


def check_board(args, prefix):
    """BOARD_ROWS in one project; the files compile clean under gcc and
    clang as C and C++; a rebuild makes nothing; a new RATE makes the one
    clip again, and nothing else."""
    root = os.path.join(args.scratch, "board")
    os.makedirs(root)
    calls = ['set(BOARD_RATE 8000 CACHE STRING "")']
    for _, clip, data, more in BOARD_ROWS:
        with open(os.path.join(root, clip), "wb") as f:
            f.write(data)
        calls.append("clip2c_add_clip(app %s %s)" % (clip, more))
    with open(os.path.join(root, "main.c"), "w") as f:
        f.write("int main(void) { return 0; }\n")
    with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
        f.write(PROJECT % "\n".join(calls))
    build = os.path.join(root, "build")
    if not configure_and_build("board", root, build, args.generator[0], ["-DCMAKE_PREFIX_PATH=" + prefix]):
        return
    out_dir = os.path.join(build, "clip2c_clips", "app")
    compiled = []
    for name, clip, _, more in BOARD_ROWS:
        compiled += check_board_files(name, args, prefix, os.path.join(root, clip), more, out_dir)
    for compiler, language, standard in (("gcc", "c", "c99"), ("clang", "c", "c99"),
                                         ("g++", "c++", "c++11"), ("clang++", "c++", "c++11")):
        if shutil.which(compiler) is None:
            continue
        for path in compiled:
            # A header that defines its array, included by no code that uses
            # it, is an unused const variable in C++.
            quiet = ["-Wno-unused-const-variable"] if path.endswith(".h") and language == "c++" else []
            code, out = run([compiler, "-x", language, "-std=" + standard, "-Wall", "-Wextra", "-pedantic",
                             "-I", out_dir, "-c", "-o", os.devnull, path] + quiet, expect_ok=False)
            if code != 0 or out.strip():
                tally.fail("board: %s -x %s: %s is not clean:\n%s" % (compiler, language, path, out))

    files = [os.path.join(out_dir, f) for f in os.listdir(out_dir)]
    before = mtimes(files)
    run(["cmake", "--build", build])
    if mtimes(files) != before:
        tally.fail("board: a rebuild with nothing changed made files again")
    if not configure_and_build("board, RATE 11025", root, build, args.generator[0],
                               ["-DCMAKE_PREFIX_PATH=" + prefix, "-DBOARD_RATE=11025"]):
        return
    after = mtimes(files)
    remade = sorted(os.path.basename(f) for f in files if after[f] != before[f])
    if remade != ["song.h"]:
        tally.fail("board: a new RATE for song.wav made again %s, expected song.h alone" % remade)
    check_board_files("RATE changed", args, prefix, os.path.join(root, "song.wav"), BOARD_ROWS[0][3], out_dir,
                      "11025")


# Clips and options clip2c-board refuses: {name, clip, its bytes, the
# options}. The build must fail with its own lines, word for word, no CMake
# warning, and no file left.
ADPCM = riff(fmt(tag=2, bits=4, align=256, extra=b"\x00\x00"), chunk(b"data", bytes(256)))  # IMA ADPCM
BOARD_REJECTED_ROWS = [
    ("compressed WAV", "adpcm.wav", ADPCM, "TARGET firmware"),
    ("compressed WAV, SOURCE", "adpcm.wav", ADPCM, "NAME adpcm2 SOURCE RATE 8000"),
    ("5 s at 8000 Hz for progmem", "long.wav", pcm_wave(sine_frames(5, 8000, 1, 0.5), 8000, 16), "TARGET progmem"),
    ("5 s raw for flash, SOURCE", "long.raw", bytes(40000), "TARGET flash RATE 8000 SOURCE"),
    ("no WAV at all", "notes.wav", b"these are no sound\n" * 4, "TARGET firmware"),
    ("empty file", "empty.wav", b"", "TRIM"),
    ("RATE for a WAV of rate 0", "zero.wav", pcm8(bytes(40), rate=0), "SOURCE RATE 8000"),
    ("missing clip, no options", "gone.raw", None, ""),
    ("empty clip, no options", "empty.raw", b"", ""),
    ("u-law WAV, no options", "law.wav", riff(fmt(tag=7), chunk(b"data", bytes(40))), ""),
    ("a file name that gives no C identifier", "8bit.wav", pcm8(bytes(40)), ""),
    ("NAME no C identifier", "tone.wav", pcm8(bytes(40)), "NAME my-tone"),
    ("unknown TARGET", "tone.wav", pcm8(bytes(40)), "TARGET avr"),
    ("unknown ENCODING", "tone.wav", pcm8(bytes(40)), "ENCODING adpcm"),
    ("RATE over a million", "tone.wav", pcm8(bytes(40)), "SOURCE RATE 1000001"),
    # Banks: the clip after a good one (ok.wav) in a bank named "bad".
    ("bank, a compressed WAV", "adpcm.wav", ADPCM, "BANK TARGET progmem"),
    ("bank, a clip over one array, SOURCE", "long.wav", pcm_wave(sine_frames(5, 8000, 1, 0.5), 8000, 16),
     "BANK TARGET progmem SOURCE"),
    ("bank, a clip trimmed to nothing", "quiet.wav", pcm8(bytes([128]) * 400), "BANK TRIM"),
    ("bank, a clip missing", "gone.wav", None, "BANK TARGET firmware"),
    # Made, but too big for an Uno beside the bank sketch: the build goes on
    # and shows the tool's line.
    ("bank, too big for an Uno", "big.raw", bytes(32000), "BANK TARGET progmem"),
]


def rejected_path(root, i, clip, data):
    """Where row <i> of BOARD_REJECTED_ROWS puts its clip: a missing one is
    the output of a build step that never writes it."""
    return os.path.join(root, "build" if data is None else str(i), clip)


def check_board_rejected(args, prefix):
    root = os.path.join(args.scratch, "board-rejected")
    os.makedirs(root)
    calls = []
    ok = pcm_wave(sine_frames(0.05, 8000, 1, 0.5), 8000, 16)
    for i, (_, clip, data, more) in enumerate(BOARD_REJECTED_ROWS):
        os.makedirs(os.path.join(root, str(i)))
        path = rejected_path(root, i, clip, data)
        if data is None:
            calls.append("add_custom_command(OUTPUT %s COMMAND ${CMAKE_COMMAND} -E true)" % path)
        else:
            with open(path, "wb") as f:
                f.write(data)
        calls.append("add_executable(app%d main.c)" % i)
        if more.startswith("BANK"):
            with open(os.path.join(root, str(i), "ok.wav"), "wb") as f:
                f.write(ok)
            calls.append("clip2c_add_bank(app%d bad CLIPS %d/ok.wav %s %s)" % (i, i, path, more[4:]))
        else:
            calls.append("clip2c_add_clip(app%d %s %s)" % (i, path, more))
    with open(os.path.join(root, "main.c"), "w") as f:
        f.write("int main(void) { return 0; }\n")
    with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
        f.write((PROJECT % "\n".join(calls)).replace("add_executable(app main.c)\n", ""))
    build = os.path.join(root, "build")
    if not configure_and_build("board rejected", root, build, args.generator[0], ["-DCMAKE_PREFIX_PATH=" + prefix],
                               then_build=False):
        return
    for i, (name, clip, data, more) in enumerate(BOARD_REJECTED_ROWS):
        path = rejected_path(root, i, clip, data)
        unwanted = os.path.join(root, "unwanted.h")
        if more.startswith("BANK"):
            argv = bank_argv(prefix, "bad", more[4:], [os.path.join(root, str(i), "ok.wav"), path], unwanted)
        else:
            argv = board_argv(prefix, path, more)[:-1] + ["-o", unwanted, path]
        code, said = run(argv, expect_ok=False)
        code_build, out = run(["cmake", "--build", build, "--target", "app%d" % i], expect_ok=False)
        lines = said.strip().splitlines()
        if code == 0:
            # Made: the build goes on, and shows the tool's "Too big" line.
            too_big = [line for line in lines if line.startswith("clip2c-board: Too big")]
            if code_build != 0 or len(too_big) != 1 or too_big[0] not in out.splitlines() or "CMake Warning" in out:
                tally.fail("board rejected '%s': expected a build that shows\n%s\nand no warning, got exit %d:\n%s"
                           % (name, too_big, code_build, out))
            continue
        if (code_build == 0 or not lines or any(line not in out.splitlines() for line in lines)
                or "CMake Warning" in out):
            tally.fail("board rejected '%s': expected a failed build with clip2c-board's lines\n%s\nand no "
                       "warning, got exit %d:\n%s" % (name, said, code_build, out))
        left = os.listdir(os.path.join(build, "clip2c_clips", "app%d" % i))
        if left:
            tally.fail("board rejected '%s': the failed conversion left %s" % (name, left))


# --- plain char and signed output --------------------------------------------

def check_plain_char(args, prefix):
    """Signed output declares plain char: C++ rejects it where char is
    unsigned; C converts it, and says so under -Wconversion."""
    header = os.path.join(args.scratch, "plain-char")
    os.makedirs(header)
    shutil.copy(os.path.join(args.source, "tests", "consumer", "clips", "ramp.raw"), header)
    run([os.path.join(prefix, "bin", "clip2c.exe" if os.name == "nt" else "clip2c"), "/SIGNED", "ramp.raw"],
        cwd=header)
    cases = [
        ("C++, char unsigned", os.environ.get("CXX", "c++"), ["-x", "c++", "-std=c++17", "-funsigned-char"], "error"),
        ("C++, char signed", os.environ.get("CXX", "c++"), ["-x", "c++", "-std=c++17", "-fsigned-char"], ""),
        ("C, char unsigned", os.environ.get("CC", "cc"), ["-x", "c", "-std=c11", "-funsigned-char", "-Wconversion"],
         "warning"),
        ("C, char signed", os.environ.get("CC", "cc"), ["-x", "c", "-std=c11", "-fsigned-char", "-Werror"], ""),
    ]
    for name, compiler, flags, expected in cases:
        if shutil.which(compiler) is None:
            continue
        code, out = run([compiler, "-fsyntax-only", "-Wall", "-I", header] + flags +
                        [os.path.join(header, "ramp.h")], expect_ok=False)
        ok = {"error": code != 0, "warning": code == 0 and "warning" in out, "": code == 0 and not out.strip()}
        if not ok[expected]:
            tally.fail("plain char, %s: expected %s, got exit %d:\n%s" % (name, expected or "a clean compile", code, out))


# --- a cross build that converts with the installed host tool -----------------

def package_dir(prefix):
    """The installed package's folder, for -Dclip2c_DIR."""
    return os.path.dirname([os.path.join(dp, f) for dp, _, fs in os.walk(prefix) for f in fs
                            if f == "clip2cConfig.cmake"][0])


def check_cross_build(args, prefix):
    toolchain = os.path.join(args.source, "cmake", "mingw-w64-x86_64.cmake")
    if shutil.which("x86_64-w64-mingw32-gcc-posix") is None and shutil.which("x86_64-w64-mingw32-gcc") is None:
        print("cross build: skipped, no MinGW-w64 compiler")
        return
    root = os.path.join(args.scratch, "cross")
    src, build = os.path.join(root, "src"), os.path.join(root, "build")
    shutil.copytree(os.path.join(args.source, "tests", "consumer"), src)
    if not configure_and_build("cross build with the host tool", src, build, args.generator[0],
                               ["-DCMAKE_TOOLCHAIN_FILE=" + toolchain, "-Dclip2c_DIR=" + package_dir(prefix)]):
        return
    for exe in ("embed_c.exe", "embed_cxx.exe"):
        if not os.path.isfile(os.path.join(build, exe)):
            tally.fail("cross build: %s was not built" % exe)
    text = open(os.path.join(build, "clip2c_clips", "embed_c", "ramp.h"), "rb").read()
    if text != c_array(b"ramp", open(os.path.join(src, "clips", "ramp.raw"), "rb").read(), True):
        tally.fail("cross build: ramp.h is not the host tool's text")


# --- firmware: where the arrays land, and what they hold -----------------------

def allocated_sections(tools, elf):
    """{name: (address, size)} of the sections that occupy target memory."""
    _, out = run([tools + "objdump", "-h", elf])
    lines, sections = out.splitlines(), {}
    for line, flags in zip(lines, lines[1:]):
        f = line.split()
        if len(f) == 7 and f[0].isdigit() and "ALLOC" in flags:
            sections[f[1]] = (int(f[3], 16), int(f[2], 16))
    return sections


def check_array_in_flash(what, tools, elf, symbol, section, flash, samples):
    """Checks that <symbol> lies in <section>, that the section lies in the
    flash region (origin, length), and that the symbol holds exactly
    <samples>; prints the symbol's nm line."""
    _, out = run([tools + "nm", "-S", "-C", elf])  # -C: a C++ const array's name is mangled
    lines = [line for line in out.splitlines() if line.split()[-1:] == [symbol]]
    print("%s: %s" % (what, lines[0] if lines else symbol + " missing"))
    if len(lines) != 1 or len(lines[0].split()) != 4:
        tally.fail("%s: nm -S shows no sized symbol %s:\n%s" % (what, symbol, out))
        return
    address, size = (int(field, 16) for field in lines[0].split()[:2])
    start, length = allocated_sections(tools, elf).get(section, (None, 0))
    if start is None or not start <= address <= address + size <= start + length:
        tally.fail("%s: %s (0x%x, %d bytes) does not lie in %s" % (what, symbol, address, size, section))
        return
    if not flash[0] <= start <= start + length <= flash[0] + flash[1]:
        tally.fail("%s: %s (0x%x, %d bytes) is not in flash" % (what, section, start, length))
    if size != len(samples):
        tally.fail("%s: %s has %d bytes, the clip %d samples" % (what, symbol, size, len(samples)))
    image = elf + "." + section.strip(".") + ".bin"
    run([tools + "objcopy", "-O", "binary", "--only-section=" + section, elf, image])
    with open(image, "rb") as f:
        held = f.read()[address - start:address - start + size]
    if held != samples:
        tally.fail("%s: %s does not hold the clip's samples" % (what, symbol))


def flash_region(linker_script):
    """(origin, length) of the FLASH region that the linker script declares."""
    text = open(linker_script).read()
    found = re.search(r"FLASH\s*\([a-z]*\)\s*:\s*ORIGIN\s*=\s*(\w+)\s*,\s*LENGTH\s*=\s*(\d+)K", text)
    return int(found.group(1), 0), int(found.group(2)) * 1024


# {name, add clip2c's source tree after the package?}
FIRMWARE_ROWS = [
    ("firmware, host package", False),
    ("firmware, host package then source tree", True),
]


def check_firmware(args, prefix):
    """A bare-metal Cortex-M build: the installed tool converts, the arrays
    are linked into the flash region's .rodata; with clip2c's source tree
    added too, nothing of it is built for the target."""
    if shutil.which("arm-none-eabi-gcc") is None:
        print("firmware: skipped, no arm-none-eabi-gcc")
        return
    root = os.path.join(args.scratch, "firmware")
    src = os.path.join(root, "src")
    shutil.copytree(os.path.join(args.source, "tests", "consumer"), src)
    project = os.path.join(src, "firmware")
    flash = flash_region(os.path.join(project, "cortex-m4.ld"))
    with open(os.path.join(src, "clips", "tone.wav"), "rb") as f, wave.open(f) as w:
        tone = w.readframes(w.getnframes())
    with open(os.path.join(src, "clips", "ramp.raw"), "rb") as f:
        ramp = f.read()
    for name, with_source in FIRMWARE_ROWS:
        build = os.path.join(root, "build-source" if with_source else "build-package")
        extra = ["-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(project, "cortex-m4.cmake"),
                 "-Dclip2c_DIR=" + package_dir(prefix)]
        if with_source:
            extra.append("-DCLIP2C_SOURCE_DIR=" + args.source)
        if not configure_and_build(name, project, build, args.generator[0], extra):
            continue
        elf = os.path.join(build, "firmware.elf")
        check_array_in_flash(name, "arm-none-eabi-", elf, "tone_wave", ".rodata", flash, tone)
        check_array_in_flash(name, "arm-none-eabi-", elf, "ramp_wave", ".rodata", flash, ramp)
        check_defined_once(name, "arm-none-eabi-", build, "ramp_wave", "ramp_wave.c")


def check_defined_once(what, tools, build, symbol, source):
    """Checks that of the objects that use <symbol> (an array made with
    SOURCE), only the one compiled from <source> defines it, and that at
    least two others refer to it."""
    objects = [os.path.join(dp, f) for dp, _, fs in os.walk(build) for f in fs if f.endswith((".o", ".obj"))]
    defined, used = [], []
    for path in objects:
        _, out = run([tools + "nm", path])
        kinds = [line.split()[-2] for line in out.splitlines() if line.split()[-1:] == [symbol]]
        (defined if any(k != "U" for k in kinds) else used if kinds else []).append(os.path.basename(path))
    if [os.path.splitext(d)[0] for d in defined] != [source] or len(used) < 2:
        tally.fail("%s: %s should be defined in %s alone and used by two files; defined in %s, used in %s"
             % (what, symbol, source, defined, used))


# The array as clip2c writes it, read as any program would: avr-gcc puts it
# in RAM.
AVR_RAM_PLAYER = b"""#include <avr/io.h>
#include "beep.h"
int main(void) {
    unsigned int i;
    for (i = 0; i < sizeof beep_wave; ++i) OCR0A = beep_wave[i];
    return 0;
}
"""


def check_avr(args, prefix):
    """An ATmega328P (32 KiB flash, 2 KiB RAM) and a 4000-sample clip: as
    written, the array fills RAM and the link fails; declared __flash
    (tests/consumer/avr), it lies in flash and takes no RAM."""
    if shutil.which("avr-gcc") is None:
        print("avr: skipped, no avr-gcc")
        return
    root = os.path.join(args.scratch, "avr")
    shutil.copytree(os.path.join(args.source, "tests", "consumer", "avr"), root)
    samples = bytes((i * 7 + 3) & 0xFF for i in range(4000))
    with open(os.path.join(root, "beep.raw"), "wb") as f:
        f.write(samples)
    run([os.path.join(prefix, "bin", "clip2c.exe" if os.name == "nt" else "clip2c"), "beep.raw"], cwd=root)
    # beep_flash.c includes the tool's text with __flash put after its one
    # const, at its start, as the sed line of doc/firmware.md does.
    with open(os.path.join(root, "beep.h"), "rb") as f, open(os.path.join(root, "beep_flash.h"), "wb") as out:
        out.write(re.sub(rb"\Aconst ", b"const __flash ", f.read()))
    with open(os.path.join(root, "ram_player.c"), "wb") as f:
        f.write(AVR_RAM_PLAYER)
    compile_avr = ["avr-gcc", "-mmcu=atmega328p", "-Os", "-std=gnu11", "-Wall", "-Wextra", "-pedantic", "-Werror"]

    code, out = run(compile_avr + ["-o", "ram.elf", "ram_player.c"], cwd=root, expect_ok=False)
    if code == 0 or "is not within region `data'" not in out:
        tally.fail("avr: the array in RAM did not fail the link for want of room:\n" + out)

    code, out = run(compile_avr + ["-o", "flash.elf", "player.c", "beep_flash.c"], cwd=root, expect_ok=False)
    if code != 0:
        tally.fail("avr: the program with its clip in flash did not build:\n" + out)
        return
    check_avr_elf("avr", os.path.join(root, "flash.elf"), samples)

    # The same through clip2c_add_clip, from a copy that holds no beep.h of
    # its own for "#include" to find first.
    src, build = os.path.join(args.scratch, "avr-cmake"), os.path.join(args.scratch, "avr-cmake", "build")
    shutil.copytree(os.path.join(args.source, "tests", "consumer", "avr"), src)
    with open(os.path.join(src, "beep.raw"), "wb") as f:
        f.write(samples)
    if not configure_and_build("avr, clip2c_add_clip", src, build, args.generator[0], [
            "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(src, "atmega328p.cmake"), "-Dclip2c_DIR=" + package_dir(prefix)]):
        return
    for name, target, definition, board_target in AVR_ROWS:
        clip = os.path.join(src, "beep.raw")
        check_tool_files(name, args, board_argv(prefix, clip, "RATE 8000 TARGET " + board_target)[:-1], [clip],
                         os.path.join(build, "clip2c_clips", target), "beep.h", definition)
        check_avr_elf(name, os.path.join(build, target + ".elf"), samples)


# {name, target of tests/consumer/avr, the file that defines beep_wave, the
# clip2c-board target its STORAGE is}
AVR_ROWS = [
    ("avr, STORAGE __flash from C", "flash_player", "beep_wave.c", "flash"),
    ("avr, STORAGE PROGMEM from C++", "progmem_player", "beep_wave.cpp", "progmem"),
]


def check_avr_elf(what, elf, samples, symbol="beep_wave"):
    """The ATmega328P program takes no RAM, and its flash holds the clip."""
    _, out = run(["avr-size", "-C", "--mcu=atmega328p", elf])
    print("%s: %s" % (what, " / ".join(line.strip() for line in out.splitlines()
                                       if line.startswith(("Program", "Data")))))
    if not re.search(r"^Data:\s+0 bytes", out, re.M):
        tally.fail("%s: the clip in flash still takes RAM:\n%s" % (what, out))
    check_array_in_flash(what, "avr-", elf, symbol, ".text", (0, 32 * 1024), samples)


# The folder of tests/consumer/uno: {file, its bytes}.
UNO_SOUNDS = [
    ("song.wav", pcm_wave(sine_frames(1, 44100, 2, 0.5), 44100, 16)),  # 16-bit stereo 44.1 kHz: 8000 bytes
    ("chime.wav", CHIME),
    ("hum.wav", HUM),
    ("click.wav", pcm_wave(sine_frames(0.2, 48000, 2, 0.4), 48000, 16)),  # 16-bit stereo 48 kHz
]


def check_uno(args, prefix):
    """A folder of 16-, 24-bit and float stereo WAV files at 44.1 and 48 kHz
    embedded into one Uno build (TARGET progmem RATE 8000): each header is
    clip2c-board's text, each array lies in flash and holds it, and the
    program takes no RAM; song.wav with SOURCE too, defined once."""
    if shutil.which("avr-gcc") is None:
        print("uno: skipped, no avr-gcc")
        return
    src, build = os.path.join(args.scratch, "uno"), os.path.join(args.scratch, "uno", "build")
    shutil.copytree(os.path.join(args.source, "tests", "consumer", "uno"), src)
    os.makedirs(os.path.join(src, "sounds"))
    for clip, data in UNO_SOUNDS:
        with open(os.path.join(src, "sounds", clip), "wb") as f:
            f.write(data)
    toolchain = os.path.join(args.source, "tests", "consumer", "avr", "atmega328p.cmake")
    if not configure_and_build("uno", src, build, args.generator[0],
                               ["-DCMAKE_TOOLCHAIN_FILE=" + toolchain, "-Dclip2c_DIR=" + package_dir(prefix)]):
        return
    for clip, _ in UNO_SOUNDS:
        name, path = clip[:-4], os.path.join(src, "sounds", clip)
        expected = board_text(args, prefix, path, "TARGET progmem RATE 8000")
        header = os.path.join(build, "clip2c_clips", "uno_player", name + ".h")
        if (open(header, "rb").read() if os.path.isfile(header) else b"") != expected:
            tally.fail("uno: %s.h is not clip2c-board's text for TARGET progmem RATE 8000" % name)
        check_avr_elf("uno, " + clip, os.path.join(build, "uno_player.elf"), text_samples(expected),
                      name + "_wave")
    song = os.path.join(src, "sounds", "song.wav")
    check_board_files("uno, SOURCE", args, prefix, song, "TARGET progmem RATE 8000 SOURCE",
                      os.path.join(build, "clip2c_clips", "song_player"))
    # The definition is song_wave.cpp: C is not enabled in this project.
    check_avr_elf("uno, song.wav with SOURCE", os.path.join(build, "song_player.elf"),
                  text_samples(board_text(args, prefix, song, "TARGET progmem RATE 8000")), "song_wave")
    check_defined_once("uno, SOURCE", "avr-", build, "song_wave", "song_wave.cpp")


# --- IMA ADPCM: half the bytes, the decoder in the header ---------------------

ADPCM_BEEP = pcm_wave(sine_frames(0.6, 44100, 2, 0.5), 44100, 16)  # 16-bit stereo 44.1 kHz


def check_adpcm(args, prefix):
    """tests/consumer/adpcm with ENCODING ima-adpcm: for the host, the
    header is clip2c-board's text, and a C program decodes it to
    beep_adpcm_samples samples of sound and gives the array's sizeof; for
    an Uno (TARGET progmem), the header is clip2c-board's text too, the
    array and the decoder lie in flash and the program takes no RAM. Each
    also with SOURCE: the files are clip2c-board --source's, and the array
    is defined once for two files."""
    src = os.path.join(args.scratch, "adpcm")
    shutil.copytree(os.path.join(args.source, "tests", "consumer", "adpcm"), src)
    beep = os.path.join(src, "beep.wav")
    with open(beep, "wb") as f:
        f.write(ADPCM_BEEP)
    host = os.path.join(src, "host")
    if configure_and_build("adpcm, host", src, host, args.generator[0], ["-Dclip2c_DIR=" + package_dir(prefix)]):
        expected = board_text(args, prefix, beep, "ENCODING ima-adpcm RATE 8000")
        header = os.path.join(host, "clip2c_clips", "adpcm_count", "beep.h")
        text = open(header, "rb").read() if os.path.isfile(header) else b""
        if text != expected:
            tally.fail("adpcm, host: beep.h is not clip2c-board's text for ENCODING ima-adpcm RATE 8000:\n%s"
                       % text[:300].decode("ascii", "replace"))
        count = re.search(rb"\n#define beep_adpcm_samples (\d+)\n", expected)
        check_tool_files("adpcm, host, SOURCE", args, board_argv(prefix, beep, "ENCODING ima-adpcm RATE 8000")[:-1],
                         [beep], os.path.join(host, "clip2c_clips", "adpcm_shared"), "beep.h", "beep_adpcm.c")
        check_defined_once("adpcm, host, SOURCE", "", os.path.join(host, "CMakeFiles", "adpcm_shared.dir"),
                           "beep_adpcm", "beep_adpcm.c")
        for program in ("adpcm_count", "adpcm_shared"):
            code, out = run([os.path.join(host, program)], expect_ok=False)
            said = out.split()
            print("adpcm, host, %s: decoded %s samples, %s bytes" % (program, said[:1], said[4:]))
            # 0.6 s at 8000 Hz, the last block's nibbles made whole words; a
            # tone at half of full scale, not silence.
            if (code != 0 or not count or said[0] != count.group(1).decode() or count.group(1) != b"4802"
                    or said[2:] != ["0", "8000", str(len(text_samples(expected)))]
                    or int(said[1]) < 4800 * 16384 * 0.5):
                tally.fail("adpcm, host: %s said %r (exit %d), the header %r samples"
                           % (program, out, code, count and count.group(1)))
    if shutil.which("avr-gcc") is None:
        print("adpcm, uno: skipped, no avr-gcc")
        return
    build = os.path.join(src, "uno")
    toolchain = os.path.join(args.source, "tests", "consumer", "avr", "atmega328p.cmake")
    if not configure_and_build("adpcm, uno", src, build, args.generator[0],
                               ["-DCMAKE_TOOLCHAIN_FILE=" + toolchain, "-Dclip2c_DIR=" + package_dir(prefix)]):
        return
    expected = board_text(args, prefix, beep, "ENCODING ima-adpcm TARGET progmem RATE 8000")
    header = os.path.join(build, "clip2c_clips", "adpcm_player", "beep.h")
    if (open(header, "rb").read() if os.path.isfile(header) else b"") != expected:
        tally.fail("adpcm, uno: beep.h is not clip2c-board's text for ENCODING ima-adpcm TARGET progmem RATE 8000")
    argv = board_argv(prefix, beep, "ENCODING ima-adpcm TARGET progmem RATE 8000")[:-1]
    check_tool_files("adpcm, uno, SOURCE", args, argv, [beep],
                     os.path.join(build, "clip2c_clips", "adpcm_shared_player"), "beep.h", "beep_adpcm.c")
    check_defined_once("adpcm, uno, SOURCE", "avr-", os.path.join(build, "CMakeFiles", "adpcm_shared_player.dir"),
                       "beep_adpcm", "beep_adpcm.c")
    steps = struct.pack("<89H", *map(int, re.search(rb"clip2c_adpcm_steps\[89\] = \{(.*?)\}", expected,
                                                    re.S).group(1).replace(b",", b" ").split()))
    for program in ("adpcm_player", "adpcm_shared_player"):
        elf = os.path.join(build, program + ".elf")
        check_avr_elf("adpcm, uno, " + program, elf, text_samples(expected), "beep_adpcm")
        check_array_in_flash("adpcm, uno, %s, the step table" % program, "avr-", elf, "clip2c_adpcm_steps", ".text",
                             (0, 32 * 1024), steps)


# --- banks: several clips in one header ---------------------------------------

def bank_options(prefix, bank, more):
    """clip2c-board --bank's options for clip2c_add_bank's options <more>
    (a string of them, as in the call)."""
    words = more.split()
    values = {w: words[i + 1] for i, w in enumerate(words[:-1]) if w in ("TARGET", "ENCODING", "RATE")}
    argv = [board_exe(prefix), "--bank", bank, "--target", values.get("TARGET", "c")]
    for word in ("ENCODING", "RATE"):
        if word in values:
            argv += ["--" + word.lower(), values[word]]
    return argv + ["--" + w.lower() for w in ("NORMALIZE", "TRIM", "SIGNED") if w in words]


def bank_argv(prefix, bank, more, clips, output):
    return bank_options(prefix, bank, more) + ["-o", output] + clips


def bank_text(args, prefix, bank, more, clips):
    out = os.path.join(args.scratch, "bank-expected.h")
    run(bank_argv(prefix, bank, more, clips, out))
    with open(out, "rb") as f:
        text = f.read()
    os.remove(out)
    return text


def bank_arrays(text):
    """{array: its bytes as stored} of every array a bank's text defines."""
    return {name.decode(): text_samples(b"x] =\n{\n" + body + b"\n};\n")
            for name, body in re.findall(rb"^const [^\n]* (\w+)\[\d+\] =\n\{\n(.*?)\n\};$", text, re.M | re.S)}


# tests/consumer/bank's sounds/: {file, its bytes}, at three rates.
BANK_SOUNDS = [
    ("song.wav", pcm_wave(sine_frames(0.1, 44100, 2, 0.5), 44100, 16)),  # 16-bit stereo 44.1 kHz: 4410 bytes
    ("voice.wav", pcm_wave(sine_frames(0.1, 22050, 1, 0.4), 22050, 16)),  # 16-bit mono 22050 Hz
    ("beep.wav", pcm8(bytes((i * 9) & 0xFF for i in range(1600)), rate=8000)),  # 8-bit 8000 Hz
]

# The banks of tests/consumer/bank: {name, target, its options; SOURCE?}.
BANK_ROWS = [
    ("bank, progmem", "bank_player", "TARGET progmem", False),
    ("bank, progmem, SOURCE, two C++ files", "bank_shared", "TARGET progmem", True),
    ("bank, IMA ADPCM, progmem, SOURCE, two C++ files", "bank_adpcm", "TARGET progmem ENCODING ima-adpcm", True),
]


def check_bank_files(name, args, prefix, build, target, more, source, clips):
    """Checks one bank's files against clip2c-board --bank's (with SOURCE,
    --source's); returns the header it writes whole."""
    out_dir = os.path.join(build, "clip2c_clips", target)
    if source:
        return check_tool_files(name, args, bank_options(prefix, "sfx", more), clips, out_dir, "sfx.h", "sfx_bank.cpp")
    expected = bank_text(args, prefix, "sfx", more, clips)
    path = os.path.join(out_dir, "sfx.h")
    got = open(path, "rb").read() if os.path.isfile(path) else b"(missing)"
    if got != expected:
        tally.fail("%s: sfx.h is not clip2c-board --bank's text:\n%s" % (name, got[:600].decode()))
    return expected


def check_bank(args, prefix):
    """An Uno build of three WAV files at three rates as one bank (TARGET
    progmem): the header is clip2c-board --bank's text, or with SOURCE its
    --source's, in 8-bit and in IMA ADPCM; every array lies in flash and holds its clip, nothing takes RAM,
    and with SOURCE each is defined once for two files. Then: a rebuild
    makes nothing; a clip, an option or the tool changed makes the banks
    that depend on it again; a clip refused fails the build with the tool's
    lines and leaves no header."""
    if shutil.which("avr-gcc") is None:
        print("bank: skipped, no avr-gcc")
        return
    src, build = os.path.join(args.scratch, "bank"), os.path.join(args.scratch, "bank", "build")
    shutil.copytree(os.path.join(args.source, "tests", "consumer", "bank"), src)
    os.makedirs(os.path.join(src, "sounds"))
    clips = [os.path.join(src, "sounds", clip) for clip, _ in BANK_SOUNDS]
    for path, (_, data) in zip(clips, BANK_SOUNDS):
        with open(path, "wb") as f:
            f.write(data)
    extra = ["-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(args.source, "tests", "consumer", "avr", "atmega328p.cmake"),
             "-Dclip2c_DIR=" + package_dir(prefix)]
    if not configure_and_build("bank", src, build, args.generator[0], extra):
        return
    for name, target, more, source in BANK_ROWS:
        expected = check_bank_files(name, args, prefix, build, target, more, source, clips)
        for array, samples in bank_arrays(expected).items():
            check_avr_elf("%s, %s" % (name, array), os.path.join(build, target + ".elf"), samples, array)
        if source:
            check_defined_once(name, "avr-", os.path.join(build, "CMakeFiles", target + ".dir"), "sfx_clips",
                               "sfx_bank.cpp")

    files = [os.path.join(build, "clip2c_clips", t, f)
             for t, f in (("bank_player", "sfx.h"), ("bank_shared", "sfx.h"), ("bank_shared", "sfx_bank.cpp"))]

    def remade_by(what, step, expected_remade):
        before = mtimes(files)
        step()
        after = mtimes(files)
        remade = [f for f in files if after[f] != before[f]]
        if remade != [f for f in files if f in expected_remade]:
            tally.fail("bank: after %s, made again %s; expected %s" % (
                what, [os.path.relpath(f, build) for f in remade], [os.path.relpath(f, build) for f in expected_remade]))

    rebuild = lambda: run(["cmake", "--build", build, "--parallel", "2"])  # noqa: E731
    remade_by("nothing changed", rebuild, [])
    remade_by("voice.wav changed", lambda: (bump(clips[1]), rebuild()), files)
    remade_by("clip2c-board changed", lambda: (bump(board_exe(prefix)), rebuild()), files)
    remade_by("NORMALIZE added to bank_player's bank",
              lambda: configure_and_build("bank, NORMALIZE", src, build, args.generator[0],
                                          extra + ["-DBANK_MORE=NORMALIZE"]), files[:1])
    check_bank_files("bank, NORMALIZE", args, prefix, build, "bank_player", "TARGET progmem NORMALIZE", False, clips)

    # A clip the tool refuses, after a good build: no header is left.
    with open(clips[1], "wb") as f:
        f.write(ADPCM)
    bump(clips[1])
    code, said = run(bank_argv(prefix, "sfx", "TARGET progmem", clips, os.path.join(src, "unwanted.h")),
                     expect_ok=False)
    code_build, out = run(["cmake", "--build", build], expect_ok=False)
    lines = said.strip().splitlines()
    if (code == 0 or code_build == 0 or not lines or any(line not in out.splitlines() for line in lines)
            or "CMake Warning" in out or any(os.path.exists(f) for f in files)):
        tally.fail("bank: a compressed clip should fail the build with\n%s\nno warning and no header left; got "
                   "exit %d, %s left:\n%s" % (said, code_build, [f for f in files if os.path.exists(f)], out))
    with open(clips[1], "wb") as f:
        f.write(BANK_SOUNDS[1][1])
    bump(clips[1])
    rebuild()


def main():
    args = runner_args(__doc__, "--source", "--build", "--scratch", "--config", "--generator")
    if not args.generator:
        args.generator = (["Ninja"] if shutil.which("ninja") else []) + ["Unix Makefiles"]

    prefix = os.path.join(args.scratch, "prefix")
    exe = "clip2c.exe" if os.name == "nt" else "clip2c"
    check_install(args, prefix, exe)
    tool_in_prefix = os.path.join(prefix, "bin", exe)
    for generator in args.generator:
        tag = generator.split()[-1].lower()
        scenario(args, "scenario-package-" + tag, generator, ["-DCMAKE_PREFIX_PATH=" + prefix],
                 lambda build: tool_in_prefix)
        name = "scenario-subproject-" + tag
        build = scenario(args, name, generator, ["-DCLIP2C_SOURCE_DIR=" + args.source],
                         lambda build: os.path.join(build, "clip2c", exe))
        if build:
            check_subproject_only_builds_the_tool(name, build)
    # FetchContent adds the source tree the same way; one generator is enough.
    scenario(args, "scenario-fetchcontent", args.generator[0], ["-DCLIP2C_FETCH_SOURCE=" + args.source],
             lambda build: os.path.join(build, "_deps", "clip2c-build", exe))
    check_rules(args, prefix)
    check_places(args, prefix)
    check_rates(args, prefix)
    check_board(args, prefix)
    check_board_rejected(args, prefix)
    check_plain_char(args, prefix)
    check_cross_build(args, prefix)
    check_firmware(args, prefix)
    check_avr(args, prefix)
    check_uno(args, prefix)
    check_adpcm(args, prefix)
    check_bank(args, prefix)

    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
