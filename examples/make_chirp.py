#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes examples/chirp.wav: 0.05 s of a falling, fading chirp, 8-bit mono at
8000 Hz, made from nothing but arithmetic so the bytes are the project's own.
Run again to recreate the same file."""
import math
import os
import struct

RATE = 8000
COUNT = 400

samples = bytearray()
phase = 0.0
for i in range(COUNT):
    t = i / RATE
    freq = 1200.0 - 16000.0 * t          # 1200 Hz falling to 400 Hz
    phase += 2 * math.pi * freq / RATE
    level = 100.0 * (1.0 - i / COUNT)    # linear fade-out
    samples.append(128 + int(round(level * math.sin(phase))))

fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", COUNT) + bytes(samples)
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chirp.wav")
with open(path, "wb") as out:
    out.write(b"RIFF" + struct.pack("<I", len(body)) + body)
