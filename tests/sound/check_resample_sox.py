#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The resampler against sox's very-high-quality one on spoken clips.

Makes a sentence with espeak-ng (22050 Hz mono), and from it with sox the
same speech at 44100 Hz 16-bit stereo, 48000 Hz and 11025 Hz; converts each
with clip2c-board --target c --rate R and with
  sox -D in.wav -r R -b 8 -e unsigned -c 1 out.wav rate -v
and checks that both give as many samples and that at least 99 % of them
are within 1 of each other. Prints the figures, then "N passed, N failed";
exits 1 on a failure. Skips (exit 0, saying why) without sox or espeak-ng.

Usage: check_resample_sox.py --exe CLIP2C_BOARD --scratch DIR
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import wave

SENTENCE = ("The quick brown fox jumps over the lazy dog. She sells sea shells by the sea shore, "
            "and the shells she sells are surely seashells. Six, seven, eight: zero point nine.")

# (name, how sox makes the input from the spoken clip, the rate to convert to)
CASES = [
    ("22050 Hz mono to 8000 Hz", [], 8000),
    ("44100 Hz 16-bit stereo to 8000 Hz", ["-r", "44100", "-b", "16", "-c", "2"], 8000),
    ("48000 Hz mono to 8000 Hz", ["-r", "48000"], 8000),
    ("11025 Hz mono to 8000 Hz", ["-r", "11025"], 8000),
    ("44100 Hz mono to 7999 Hz", ["-r", "44100"], 7999),
    ("8000 Hz mono to 22050 Hz", ["-r", "8000"], 22050),
]
SHARE = 0.99


def run(command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)


def board_samples(exe, source, output, rate):
    """The samples of clip2c-board's array for `source` at `rate`, or an error text."""
    done = run([exe, "--target", "c", "--rate", str(rate), "-o", output, source])
    if done.returncode != 0:
        return None, "clip2c-board exited %d: %s" % (done.returncode, done.stderr.decode(errors="replace"))
    with open(output, encoding="utf-8") as text:
        body = re.search(r"\{([^}]*)\}", text.read())
    if body is None:
        return None, "no array in " + output
    return [int(value) for value in re.findall(r"\d+", body.group(1))], None


def sox_samples(source, output, rate):
    done = run(["sox", "-D", source, "-r", str(rate), "-b", "8", "-e", "unsigned", "-c", "1", output,
                "rate", "-v"])
    if done.returncode != 0:
        return None, "sox exited %d: %s" % (done.returncode, done.stderr.decode(errors="replace"))
    with wave.open(output, "rb") as clip:
        return list(clip.readframes(clip.getnframes())), None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="the clip2c-board executable")
    parser.add_argument("--scratch", required=True, help="a folder for the clips (made anew)")
    args = parser.parse_args()

    missing = [tool for tool in ("sox", "espeak-ng") if shutil.which(tool) is None]
    if missing:
        print("skipped: %s not found" % " and ".join(missing))
        print("0 passed, 0 failed")
        return 0

    shutil.rmtree(args.scratch, ignore_errors=True)
    os.makedirs(args.scratch)
    speech = os.path.join(args.scratch, "speech.wav")
    made = run(["espeak-ng", "-w", speech, SENTENCE])
    if made.returncode != 0:
        print("skipped: espeak-ng could not speak: " + made.stderr.decode(errors="replace").strip())
        print("0 passed, 0 failed")
        return 0

    passed = failed = 0
    for index, (name, conversion, rate) in enumerate(CASES):
        source = os.path.join(args.scratch, "in%d.wav" % index)
        if conversion:
            made = run(["sox", speech] + conversion + [source])
            if made.returncode != 0:
                print("FAIL %s: sox could not make the input: %s" % (name, made.stderr.decode(errors="replace")))
                failed += 1
                continue
        else:
            shutil.copyfile(speech, source)
        ours, problem = board_samples(args.exe, source, os.path.join(args.scratch, "ours%d.h" % index), rate)
        theirs, sox_problem = sox_samples(source, os.path.join(args.scratch, "sox%d.wav" % index), rate)
        problem = problem or sox_problem
        if problem is None and len(ours) != len(theirs):
            problem = "lengths differ: clip2c-board %d, sox %d" % (len(ours), len(theirs))
        if problem is None:
            close = sum(1 for a, b in zip(ours, theirs) if abs(a - b) <= 1)
            share = close / len(ours) if ours else 1.0
            equal = sum(1 for a, b in zip(ours, theirs) if a == b) / len(ours) if ours else 1.0
            worst = max((abs(a - b) for a, b in zip(ours, theirs)), default=0)
            figures = "%d samples, %.2f %% within 1 of sox, %.2f %% equal (largest difference %d)" % (
                len(ours), 100.0 * share, 100.0 * equal, worst)
            if share < SHARE:
                problem = figures + ", below %.0f %%" % (100.0 * SHARE)
            else:
                print("ok   %s: %s" % (name, figures))
                passed += 1
                continue
        print("FAIL %s: %s" % (name, problem))
        failed += 1

    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
