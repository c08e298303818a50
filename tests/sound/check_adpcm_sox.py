#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""IMA ADPCM against sox and ffmpeg: their decoding of our bytes, and the
SNR of our encoder against theirs.

Makes clips at 8000 Hz 16-bit mono: two spoken by espeak-ng (two voices,
two texts, resampled by sox), three of music made by sox's synth (plucked
chords; a melody of tones with harmonics; drums, noise bursts and a bass),
and edge cases (a short last block, one sample, silence, full-scale square
waves that drive the decoder into its clamps). For each:

  clip2c-board --encoding ima-adpcm --target c -o clip.h in.wav

then the array's bytes and the _samples define are read from the header
and wrapped in an IMA ADPCM WAV file (tag 0x11, fmt of 20 bytes with 505
samples a block, fact, data) as the engine writes one. That file decoded by
  sox f.wav -t raw -e signed -b 16 -
and the header's own decoder, compiled on the host (cc -std=c99 -pedantic
-Wall -Wextra -Werror) in a program that prints every sample, must agree
sample for sample, give exactly _samples samples, and the decoder must give
0 after the last. On speech and music our decode's SNR against the input
(10 log10 sum x^2 / sum (x - y)^2 over the input's length) must be at
least 1 dB above that of sox's own encoder (sox in.wav -e ima-adpcm,
decoded by sox). The table beside it, not checked: ffmpeg's adpcm_ima_wav
encoder plain and with -trellis 8 (decoded by ffmpeg); ffmpeg decoding our
file, against the input and against our exact decode, and the largest
difference between the two (its decoder rounds the product form
((2n + 1) * step) >> 3, not the shift-and-add sum); 8-bit
PCM at 8000 Hz (clip2c-board --encoding pcm8, (u - 128) * 256 against the
input); 8-bit PCM at 4000 Hz (clip2c-board --rate 4000, brought back to
8000 Hz 16-bit by sox -D rate -v, whose filter is linear-phase with its delay
taken out, so the two line up sample for sample).

Prints the table, then "N passed, N failed"; exits 1 on a failure. Skips
(exit 0, saying why) without sox, ffmpeg, espeak-ng or a C compiler.

Usage: check_adpcm_sox.py --exe CLIP2C_BOARD --scratch DIR
"""
import argparse
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import wave
from array import array

RATE = 8000
BLOCK_BYTES = 256
BLOCK_SAMPLES = 505
MARGIN_DB = 1.0

SPEECH = [
    ("speech, en-us male", ["-v", "en-us", "-s", "150"],
     "The quick brown fox jumps over the lazy dog. She sells sea shells by the sea shore, "
     "and the shells she sells are surely seashells."),
    ("speech, en-gb female", ["-v", "en-gb+f3", "-s", "170", "-p", "60"],
     "Six, seven, eight: zero point nine. Peter Piper picked a peck of pickled peppers; "
     "how many pickled peppers did Peter Piper pick?"),
]


def run(command, **kw):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False, **kw)


def must(command):
    """Runs `command`; returns its standard output, or raises with its words."""
    done = run(command)
    if done.returncode != 0:
        raise RuntimeError("%s exited %d: %s" % (command[0], done.returncode,
                                                 done.stderr.decode(errors="replace").strip()))
    return done.stdout


def s16(raw):
    values = array("h")
    values.frombytes(raw[:len(raw) // 2 * 2])
    if sys.byteorder != "little":
        values.byteswap()
    return list(values)


def write_s16_wave(path, samples, rate=RATE):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))


def read_s16_wave(path):
    with wave.open(path, "rb") as clip:
        return s16(clip.readframes(clip.getnframes()))


def snr(reference, decoded):
    """SNR in dB of `decoded` against `reference` over the reference's length
    (missing samples count as 0); inf when they are equal."""
    decoded = list(decoded[:len(reference)]) + [0] * max(0, len(reference) - len(decoded))
    signal = sum(x * x for x in reference)
    noise = sum((x - y) * (x - y) for x, y in zip(reference, decoded))
    if noise == 0:
        return math.inf
    if signal == 0:
        return -math.inf
    return 10.0 * math.log10(signal / noise)


def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def adpcm_wave(data, samples, rate=RATE):
    """A mono IMA ADPCM WAV file of `data` holding `samples` samples."""
    byte_rate = (rate * BLOCK_BYTES + BLOCK_SAMPLES // 2) // BLOCK_SAMPLES
    fmt = struct.pack("<HHIIHHHH", 0x11, 1, rate, byte_rate, BLOCK_BYTES, 4, 2, BLOCK_SAMPLES)
    body = b"WAVE" + chunk(b"fmt ", fmt) + chunk(b"fact", struct.pack("<I", samples)) + chunk(b"data", data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def read_header(path):
    """(array name, bytes, _samples) of an ADPCM header."""
    with open(path, encoding="utf-8") as fh:
        text = fh.read()
    found = re.search(r"const unsigned char (\w+)\[(\d+)\] =\s*\{([^}]*)\}", text)
    count = re.search(r"#define (\w+)_samples (\d+)", text)
    if found is None or count is None or count.group(1) != found.group(1):
        raise RuntimeError("no ADPCM array and _samples define in " + path)
    data = bytes(int(v, 0) for v in re.findall(r"0x[0-9a-fA-F]+|\d+", found.group(3)))
    if len(data) != int(found.group(2)):
        raise RuntimeError("%s: %d bytes, declared %s" % (path, len(data), found.group(2)))
    return found.group(1), data, int(count.group(2))


def read_pcm8(path):
    with open(path, encoding="utf-8") as fh:
        body = re.search(r"\{([^}]*)\}", fh.read())
    return [int(v, 0) for v in re.findall(r"0x[0-9a-fA-F]+|\d+", body.group(1))]


def host_decode(compiler, folder, header, name, samples):
    """The header's decoder run on the host: every sample and two past the end."""
    main = os.path.join(folder, "decode.c")
    with open(main, "w", encoding="ascii") as fh:
        fh.write('#include <stdio.h>\n#include "%s"\n\nint main(void)\n{\n'
                 "\tstruct clip2c_adpcm d;\n\tuint32_t i;\n"
                 "\tclip2c_adpcm_start(&d, %s, %s_samples);\n"
                 "\tfor (i = 0; i < %s_samples + 2u; ++i) {\n"
                 "\t\tint16_t s = clip2c_adpcm_next(&d);\n"
                 "\t\tputchar(s & 255);\n\t\tputchar((s >> 8) & 255);\n\t}\n"
                 "\treturn 0;\n}\n" % (os.path.basename(header), name, name, name))
    exe = os.path.join(folder, "decode")
    must([compiler, "-std=c99", "-pedantic", "-Wall", "-Wextra", "-Werror", "-O2", "-o", exe, main])
    out = s16(must([exe]))
    if len(out) != samples + 2:
        raise RuntimeError("the header's decoder gave %d samples, %d expected" % (len(out), samples + 2))
    return out


def sox_decode(path):
    return s16(must(["sox", path, "-t", "raw", "-e", "signed", "-b", "16", "-"]))


def ffmpeg_decode(path):
    return s16(must(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-"]))


def ffmpeg_takes_trellis(folder, source):
    out = os.path.join(folder, "trellis-probe.wav")
    return run(["ffmpeg", "-v", "error", "-y", "-i", source, "-c:a", "adpcm_ima_wav", "-trellis", "8",
                out]).returncode == 0


# -- the clips -------------------------------------------------------------

# The clips are made with sox -D: without it sox dithers whatever it
# writes after an effect, at random, and the figures would move run by run;
# -R seeds the noise of synth alike on every run.

def make_speech(folder, index, voice, text):
    spoken = os.path.join(folder, "spoken%d.wav" % index)
    must(["espeak-ng"] + voice + ["-w", spoken, text])
    out = os.path.join(folder, "speech%d.wav" % index)
    must(["sox", "-D", spoken, "-r", str(RATE), "-b", "16", "-c", "1", out])
    return out


def sox_synth(folder, name, *effects):
    out = os.path.join(folder, name)
    must(["sox", "-D", "-R", "-n", "-r", str(RATE), "-b", "16", "-c", "1", out] + list(effects))
    return out


def concatenate(folder, name, parts):
    out = os.path.join(folder, name)
    must(["sox", "-D"] + parts + [out])
    return out


def make_chords(folder):
    """Four plucked guitar chords, strings struck one after another."""
    chords = [("G2", "B2", "D3", "G3", "D4", "G4"), ("C3", "E3", "G3", "C4", "E4", "G4"),
              ("A2", "E3", "A3", "C4", "E4", "A4"), ("D3", "A3", "D4", "F#4", "A4", "D5")]
    parts = []
    for number, notes in enumerate(chords):
        effects = ["synth", "1.2"]
        for note in notes:
            effects += ["pluck", note]
        effects += ["delay", "0", "0.04", "0.08", "0.12", "0.16", "0.2", "remix", "-", "fade", "0", "1.2",
                    "0.1", "norm", "-3"]
        parts.append(sox_synth(folder, "chord%d.wav" % number, *effects))
    return concatenate(folder, "chords.wav", parts)


def make_melody(folder):
    """A melody of tones each with its 2nd and 3rd harmonics, shaped by a fade."""
    notes = ["C4", "E4", "G4", "C5", "B4", "G4", "A4", "F4", "D4", "F4", "E4", "C4", "D4", "G3", "C4", "C4"]
    parts = []
    for number, note in enumerate(notes):
        midi = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}[note[0]] + 12 * (int(note[1]) + 1)
        pitch = 440.0 * 2.0 ** ((midi - 69) / 12.0)
        parts.append(sox_synth(folder, "note%02d.wav" % number, "synth", "0.25", "sine", "%.2f" % pitch,
                               "sine", "%.2f" % (2 * pitch), "sine", "%.2f" % (3 * pitch), "remix", "1v0.6",
                               "2v0.25", "3v0.15", "fade", "0.01", "0.25", "0.08", "vol", "0.8"))
    return concatenate(folder, "melody.wav", parts)


def make_drums(folder):
    """Two bars of kick, snare and hi-hat (noise bursts) over a bass line."""
    kick = sox_synth(folder, "kick.wav", "synth", "0.25", "sine", "120-40", "fade", "0", "0.25", "0.22",
                     "vol", "0.9")
    snare = sox_synth(folder, "snare.wav", "synth", "0.25", "whitenoise", "synth", "0.25", "sine", "mix",
                      "190", "fade", "0", "0.25", "0.2", "vol", "0.6")
    hat = sox_synth(folder, "hat.wav", "synth", "0.25", "whitenoise", "highpass", "2500", "fade", "0", "0.25",
                    "0.2", "vol", "0.3")
    beat = concatenate(folder, "beat.wav", [kick, hat, snare, hat, kick, kick, snare, hat] * 2)
    bass = sox_synth(folder, "bass.wav", "synth", "4", "square", "55", "lowpass", "400", "tremolo", "2", "60",
                     "vol", "0.25")
    out = os.path.join(folder, "drums.wav")
    must(["sox", "-D", "-m", beat, bass, out, "norm", "-1"])
    return out


def make_samples(folder, name, samples):
    out = os.path.join(folder, name)
    write_s16_wave(out, samples)
    return out


def square(count, period, low=-32768, high=32767):
    return [high if (i // (period // 2)) % 2 == 0 else low for i in range(count)]


def make_clips(folder):
    """(name, kind, path): kind "compare" for the clips the +1 dB rule holds on,
    "exact" for those that must decode to their input exactly."""
    clips = [(name, "compare", make_speech(folder, index, voice, text))
             for index, (name, voice, text) in enumerate(SPEECH)]
    clips += [("music, plucked chords", "compare", make_chords(folder)),
              ("music, melody with harmonics", "compare", make_melody(folder)),
              ("music, drums and bass", "compare", make_drums(folder))]
    tone = [int(12000 * math.sin(2 * math.pi * 440 * i / RATE)) for i in range(2 * BLOCK_SAMPLES + 13)]
    clips += [("edge, short last block (1023 samples)", "edge", make_samples(folder, "short.wav", tone)),
              ("edge, one sample", "exact", make_samples(folder, "one.wav", [12345])),
              ("edge, silence", "exact", make_samples(folder, "silence.wav", [0] * 3000)),
              ("edge, full-scale square 1000 Hz", "edge",
               make_samples(folder, "square1000.wav", square(3000, 8))),
              ("edge, full-scale square 50 Hz", "edge", make_samples(folder, "square50.wav", square(3000, 160)))]
    return clips


# -- the checks ------------------------------------------------------------

def check_clip(exe, compiler, folder, kind, source, trellis):
    """(problems, figures) of one clip."""
    problems, figures = [], {}
    reference = read_s16_wave(source)
    header = os.path.join(folder, "clip.h")
    must([exe, "--encoding", "ima-adpcm", "--target", "c", "--name", "clip", "-o", header, source])
    array_name, data, samples = read_header(header)
    ours_wave = os.path.join(folder, "ours.wav")
    with open(ours_wave, "wb") as fh:
        fh.write(adpcm_wave(data, samples))

    by_sox = sox_decode(ours_wave)
    by_header = host_decode(compiler, folder, header, array_name, samples)
    if by_header[samples:] != [0, 0]:
        problems.append("the header's decoder gave %r after the last sample, not 0, 0" % by_header[samples:])
    by_header = by_header[:samples]
    if len(by_sox) != samples:
        problems.append("sox decoded %d samples, _samples is %d" % (len(by_sox), samples))
    differ = [i for i, (a, b) in enumerate(zip(by_sox, by_header)) if a != b]
    if differ:
        i = differ[0]
        problems.append("sox and the header's decoder differ at %d samples, first at %d: %d against %d" % (
            len(differ), i, by_sox[i], by_header[i]))
    if samples < len(reference) or samples - len(reference) > 7:
        problems.append("_samples is %d for %d samples in" % (samples, len(reference)))
    figures["count"] = "%d/%d" % (len(reference), samples)
    figures["ours"] = snr(reference, by_header)
    by_ffmpeg = ffmpeg_decode(ours_wave)
    figures["ffmpeg plays ours"] = snr(reference, by_ffmpeg)
    figures["ffmpeg vs exact"] = snr(by_header, by_ffmpeg) if len(by_ffmpeg) == samples else math.nan
    figures["ffmpeg largest difference"] = max((abs(a - b) for a, b in zip(by_header, by_ffmpeg)), default=0)
    if len(by_ffmpeg) != samples:
        problems.append("ffmpeg decoded %d samples, _samples is %d" % (len(by_ffmpeg), samples))

    # sox dithers to its ADPCM's 13 bits unless told not to (-D); the
    # dither is random, so its figure moves by a few hundredths of a dB.
    for label, flags in (("sox", []), ("sox -D", ["-D"])):
        sox_wave = os.path.join(folder, "sox.wav")
        must(["sox"] + flags + [source, "-e", "ima-adpcm", sox_wave])
        figures[label] = snr(reference, sox_decode(sox_wave))
    for label, extra in [("ffmpeg", [])] + ([("ffmpeg -trellis 8", ["-trellis", "8"])] if trellis else []):
        ff_wave = os.path.join(folder, "ffmpeg.wav")
        # Only a figure beside ours: an encoder of ffmpeg's that fails (its
        # trellis search crashes on a full-scale square wave) is noted.
        done = run(["ffmpeg", "-v", "error", "-y", "-i", source, "-c:a", "adpcm_ima_wav"] + extra + [ff_wave])
        figures[label] = snr(reference, ffmpeg_decode(ff_wave)) if done.returncode == 0 else done.returncode

    pcm8_header = os.path.join(folder, "pcm8.h")
    must([exe, "--encoding", "pcm8", "--target", "c", "--name", "clip", "-o", pcm8_header, source])
    figures["pcm8 8000"] = snr(reference, [(u - 128) * 256 for u in read_pcm8(pcm8_header)])
    must([exe, "--encoding", "pcm8", "--target", "c", "--name", "clip", "--rate", "4000", "-o", pcm8_header,
          source])
    half = make_samples(folder, "half.wav", [(u - 128) * 256 for u in read_pcm8(pcm8_header)])
    with wave.open(half, "rb") as clip:
        frames = clip.readframes(clip.getnframes())
    with wave.open(half, "wb") as out:  # the same samples, played at 4000 Hz
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE // 2)
        out.writeframes(frames)
    up = s16(must(["sox", "-D", half, "-t", "raw", "-e", "signed", "-b", "16", "-", "rate", "-v", str(RATE)]))
    figures["pcm8 4000"] = snr(reference, up)

    best_sox = max(figures["sox"], figures["sox -D"])
    if kind == "compare" and not figures["ours"] >= best_sox + MARGIN_DB:
        problems.append("our SNR %.2f dB is not %.0f dB above sox's %.2f dB" % (
            figures["ours"], MARGIN_DB, best_sox))
    if kind == "exact" and figures["ours"] != math.inf:
        problems.append("decoded with an SNR of %.2f dB, not exactly" % figures["ours"])
    return problems, figures


COLUMNS = ["ours", "sox", "sox -D", "ffmpeg", "ffmpeg -trellis 8", "ffmpeg plays ours", "ffmpeg vs exact", "pcm8 8000",
           "pcm8 4000"]


def decibels(value):
    if isinstance(value, int):
        return "exit %d" % value
    if math.isnan(value):
        return "-"
    if value == math.inf:
        return "exact"
    if value == -math.inf:
        return "-inf"
    return "%.2f" % value


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="the clip2c-board executable")
    parser.add_argument("--scratch", required=True, help="a folder for the clips (made anew)")
    args = parser.parse_args()
    exe, scratch = os.path.abspath(args.exe), os.path.abspath(args.scratch)

    compiler = next((c for c in (os.environ.get("CC"), "cc", "gcc") if c and shutil.which(c)), None)
    missing = [tool for tool in ("sox", "ffmpeg", "espeak-ng") if shutil.which(tool) is None]
    missing += [] if compiler else ["a C compiler"]
    if missing:
        print("skipped: %s not found" % " and ".join(missing))
        print("0 passed, 0 failed")
        return 0

    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    try:
        clips = make_clips(scratch)
    except RuntimeError as problem:
        print("FAIL making the clips: %s" % problem)
        print("0 passed, 1 failed")
        return 1
    trellis = ffmpeg_takes_trellis(scratch, clips[0][2])
    columns = [c for c in COLUMNS if trellis or "trellis" not in c]

    passed = failed = 0
    table = []
    for index, (name, kind, source) in enumerate(clips):
        folder = os.path.join(scratch, "clip%d" % index)
        os.makedirs(folder)
        try:
            problems, figures = check_clip(exe, compiler, folder, kind, source, trellis)
        except RuntimeError as problem:
            problems, figures = [str(problem)], {}
        if figures:
            table.append((name, figures))
        if problems:
            print("\n     ".join(["FAIL " + name] + problems), flush=True)
            failed += 1
        else:
            print("ok   %s: %s samples, sox and the header's decoder agree, ours %s dB, sox %s dB" % (
                name, figures["count"], decibels(figures["ours"]),
                decibels(max(figures["sox"], figures["sox -D"]))), flush=True)
            passed += 1

    print("\nSNR in dB against the 16-bit input (samples in/decoded):")
    print("| clip | samples | " + " | ".join(columns) + " | ffmpeg's largest difference |")
    print("|---|---|" + "---|" * (len(columns) + 1))
    for name, figures in table:
        print("| %s | %s | %s | %d |" % (name, figures["count"], " | ".join(decibels(figures[c]) for c in columns),
                                        figures["ffmpeg largest difference"]))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
