#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the three sounds of the example bank, 8-bit mono WAV files made
from nothing but arithmetic so the bytes are the project's own:
  beep.wav   0.1 s of 1000 Hz, fading out, at 8000 Hz
  chirp.wav  0.15 s rising from 400 to 2000 Hz at 11025 Hz
  noise.wav  0.1 s of a decaying noise burst at 22050 Hz
into FOLDER (default: the current folder). sounds.h beside this script is
  clip2c-board --bank sounds --target progmem -o sounds.h beep.wav chirp.wav noise.wav
of them. Run again to recreate the same files."""
import math
import os
import struct
import sys


def beep():
    rate, count = 8000, 800
    return rate, bytes(128 + round(100 * (1 - i / count) * math.sin(2 * math.pi * 1000 * i / rate))
                       for i in range(count))


def chirp():
    rate, count = 11025, 1654
    out, phase = bytearray(), 0.0
    for i in range(count):
        phase += 2 * math.pi * (400 + 1600 * i / count) / rate
        out.append(128 + round(90 * math.sin(phase)))
    return rate, bytes(out)


def noise():
    rate, count = 22050, 2205
    out, x = bytearray(), 1
    for i in range(count):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(128 + round(((x >> 16) % 201 - 100) * math.exp(-4 * i / count)))
    return rate, bytes(out)


# name: (rate, samples), in the bank's order
SOUNDS = {"beep": beep(), "chirp": chirp(), "noise": noise()}


def wav(rate, samples):
    """An 8-bit mono PCM WAV file of the samples."""
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    if len(samples) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, (rate, samples) in SOUNDS.items():
        with open(os.path.join(folder, name + ".wav"), "wb") as out:
            out.write(wav(rate, samples))
