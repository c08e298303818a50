#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuzzers' seed inputs: WAV images made here, from the ordinary
8-bit mono file to the odd ones recorders, editors and cut-off downloads
leave behind.

  make_seeds.py OUT_DIR

OUT_DIR/wave/ gets the WAV images as they are; OUT_DIR/convert/ gets each
of them, and a few raw images, behind a mode byte for every mode
(bit 0: WAV input, bit 1: signed output).
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from cliptest import chunk, fmt, ramp, riff  # noqa: E402


def wave_seeds():
    samples = ramp(300)
    return {
        "mono8": riff(fmt(), chunk(b"data", samples)),
        "mono8_odd": riff(fmt(), chunk(b"data", samples[:17])),
        "mono8_empty_data": riff(fmt(), chunk(b"data", b"")),
        "no_data": riff(fmt()),
        "data_before_fmt": riff(chunk(b"data", samples[:40]), fmt()),
        "list_odd_then_data": riff(fmt(), chunk(b"LIST", b"INFOx"), chunk(b"data", samples[:33])),
        "fact_and_two_data": riff(fmt(), chunk(b"fact", b"\x10\0\0\0"),
                                  chunk(b"data", samples[:16]), chunk(b"data", samples[:5])),
        "mono16": riff(fmt(bits=16), chunk(b"data", samples[:64])),
        "stereo8": riff(fmt(channels=2), chunk(b"data", samples[:64])),
        "zero_channels": riff(fmt(channels=0), chunk(b"data", samples[:8])),
        "fmt_size12": riff(fmt(body_size=12), chunk(b"data", samples[:8])),
        "cut_short": riff(fmt(), chunk(b"data", samples))[:150],
        "cut_in_fmt": riff(fmt(), chunk(b"data", samples))[:30],
        "streamed_sizes": riff(fmt(), chunk(b"data", samples[:50], declared=0xFFFFFFFF),
                               riff_size=0xFFFFFFFF),
        "riff_size_small": riff(fmt(), chunk(b"data", samples[:20]), riff_size=4),
        "riff_size_wraps": riff(fmt(), chunk(b"data", samples[:20]), riff_size=0xFFFFFFF8),
        "huge_list": riff(fmt(), chunk(b"LIST", b"ab", declared=0xFFFFFFF0), chunk(b"data", b"x")),
        "not_wave": riff(fmt(), chunk(b"data", samples[:20]), form=b"AVI "),
        "header_only": b"RIFF\x04\0\0\0WAVE",
    }


def main():
    out = sys.argv[1]
    waves = wave_seeds()
    raws = {"raw_empty": b"", "raw_ramp": ramp(300), "raw_line": ramp(16), "raw_extremes": b"\0\x7f\x80\xff"}
    for folder in ("wave", "convert"):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
    for name, image in waves.items():
        with open(os.path.join(out, "wave", name + ".wav"), "wb") as f:
            f.write(image)
    for mode in range(4):
        images = waves if mode & 1 else raws
        for name, image in images.items():
            with open(os.path.join(out, "convert", "%s_mode%d" % (name, mode)), "wb") as f:
                f.write(bytes([mode]) + image)


if __name__ == "__main__":
    main()
