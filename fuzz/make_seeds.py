#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the fuzzers' seed inputs: WAV images made here, from the ordinary
8-bit mono file to the odd ones recorders, editors and cut-off downloads
leave behind.

  make_seeds.py OUT_DIR

OUT_DIR/wave/ gets the WAV images as they are; OUT_DIR/convert/ gets each
of them, and a few raw images, behind a mode byte for every mode
(bit 0: WAV input, bit 1: signed output). OUT_DIR/engine/ gets PCM files
of every width the engine prepares, as fuzz_engine.cpp reads its input: a
mode byte, two rate bytes, a name, a NUL and the file.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from cliptest import chunk, fmt, pattern, ramp, riff  # noqa: E402

PCM, FLOAT, EXTENSIBLE = 1, 3, 0xFFFE


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


def extensible(subformat, channels, bits, valid_bits=None, cut=None):
    """An extensible "fmt " chunk whose subformat GUID carries `subformat`;
    `cut` cuts its body to that many bytes."""
    guid = struct.pack("<HH", subformat, 0) + b"\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"
    extra = struct.pack("<HHI", 22, valid_bits or bits, (1 << channels) - 1) + guid
    return fmt(tag=EXTENSIBLE, channels=channels, bits=bits, extra=extra, body_size=cut)


def floats(count, width):
    """`count` float samples of `width` bytes: a sine, with a loud sample, an
    infinity and a NaN, which a decoder may hand over too."""
    values = [math.sin(i * 0.3) for i in range(count)]
    values[3:6] = [1.75, float("-inf"), float("nan")]
    return struct.pack("<%d%s" % (count, "f" if width == 4 else "d"), *values)


def page_seeds():
    """Files the page prepares, and a few it must refuse without a fault."""
    frames = 40
    seeds = {}
    for bits in (8, 16, 24, 32):
        for channels in (1, 2):
            body = pattern(frames * channels * bits // 8, seed=bits + channels)
            seeds["pcm%d_ch%d" % (bits, channels)] = riff(fmt(channels=channels, bits=bits), chunk(b"data", body))
    for bits in (32, 64):
        for channels in (1, 2):
            body = floats(frames * channels, bits // 8)
            seeds["float%d_ch%d" % (bits, channels)] = riff(fmt(channels=channels, bits=bits, tag=FLOAT),
                                                            chunk(b"data", body))
    seeds.update({
        "ext_pcm16_ch2": riff(extensible(PCM, 2, 16), chunk(b"data", pattern(160))),
        "ext_pcm24_in32_ch1": riff(extensible(PCM, 1, 32, valid_bits=24), chunk(b"data", pattern(160))),
        "ext_float32_ch1": riff(extensible(FLOAT, 1, 32), chunk(b"data", floats(frames, 4))),
        "ext_float64_ch2": riff(extensible(FLOAT, 2, 64), chunk(b"data", floats(2 * frames, 8))),
        "ext_cut_before_subformat": riff(extensible(PCM, 1, 16, cut=24), chunk(b"data", pattern(80))),
        "pcm24_ch3": riff(fmt(channels=3, bits=24), chunk(b"data", pattern(9 * frames))),
        "pcm16_partial_frame": riff(fmt(bits=16), chunk(b"data", pattern(81))),
        "pcm16_data_cut_short": riff(fmt(bits=16), chunk(b"data", pattern(80), declared=4000)),
        "pcm16_no_frames": riff(fmt(bits=16), chunk(b"data", b"\x01")),
        "pcm8_ch1_empty_data": riff(fmt(), chunk(b"data", b"")),
        "data_before_fmt_and_list": riff(chunk(b"data", pattern(64)), chunk(b"LIST", b"INFOx"), fmt(bits=16)),
        "two_fmt_last_float": riff(fmt(bits=16), chunk(b"data", floats(frames, 4)), fmt(bits=32, tag=FLOAT)),
        "align_not_by_channels": riff(fmt(channels=2, bits=8, align=3), chunk(b"data", pattern(60))),
        "width5": riff(fmt(bits=40), chunk(b"data", pattern(200))),
        "float16": riff(fmt(bits=16, tag=FLOAT), chunk(b"data", pattern(80))),
        "adpcm": riff(fmt(bits=4, tag=2, align=256), chunk(b"data", pattern(512))),
    })
    return seeds


def page_inputs():
    """fuzz_engine's inputs: each page seed under "clip.wav", unsigned and
    signed at its own rate, forced to 8000 Hz, and at 11025 and 22050 Hz
    with normalize and trim; the 8-bit mono one also under names that
    classify otherwise or not at all."""
    inputs = {}
    # (mode, rate): the rate bytes hold the rate less 1000.
    modes = [(4, 8000), (5, 8000), (2, 8000), (0x32, 11025), (0x10, 22050), (0xA2, 44100)]
    for name, image in page_seeds().items():
        for i, (mode, rate) in enumerate(modes):
            head = bytes([mode]) + struct.pack("<H", rate - 1000)
            inputs["%s_mode%d" % (name, i)] = head + b"clip.wav\0" + image
    mono8 = page_seeds()["pcm8_ch1"]
    names = [b"clip.raw", b"take.raw.raw", b"song.mp3", b"noext", b"", b"x.wav.raw", b"Clip.WAV"]
    for i, name in enumerate(names):
        inputs["pcm8_ch1_name%d" % i] = b"\x04\x00\x00" + name + b"\0" + mono8
    inputs["name_only"] = b"\0clip.wav"
    return inputs


def main():
    out = sys.argv[1]
    waves = wave_seeds()
    raws = {"raw_empty": b"", "raw_ramp": ramp(300), "raw_line": ramp(16), "raw_extremes": b"\0\x7f\x80\xff"}
    for folder in ("wave", "convert", "engine"):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
    for name, image in waves.items():
        with open(os.path.join(out, "wave", name + ".wav"), "wb") as f:
            f.write(image)
    for mode in range(4):
        images = waves if mode & 1 else raws
        for name, image in images.items():
            with open(os.path.join(out, "convert", "%s_mode%d" % (name, mode)), "wb") as f:
                f.write(bytes([mode]) + image)
    for name, data in page_inputs().items():
        with open(os.path.join(out, "engine", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
