# SPDX-License-Identifier: MIT
"""Writes the browser test's clips into a folder, each in a folder of its own
(so that names may repeat), and cases.json: the tables the driver
(run_web_test.js) walks.

  converts  clips the tool converts; the page must write its text and name
  refusals  clips neither the tool nor the browser takes, with the status
  prepares  clips the browser decodes and the page prepares: exact samples,
            or a sample count near duration x rate when it resamples
  board     clips of any PCM WAV the engine prepares, at other rates too, with
            the options to give the page and clip2c-board alike, whose
            texts must be the same bytes
  adpcm     clips the page encodes as IMA ADPCM: PCM WAV files, whose texts
            must be clip2c-board --encoding ima-adpcm's, and a file only the
            browser decodes; each .wav download played by sox and ffmpeg
  narrow    clips shown at 375 px, one with a long prepared name
  banks     files made into banks (three WAV files at three rates, one to
            add, a second jump.wav for a clash, a long name for 375 px) and
            the options to give the page and clip2c-board --bank alike
  speed     the 1 MiB raw clip of the timing run
  skipped   rows this machine cannot make, with the reason

Usage: make_fixtures.py <folder>
"""
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from cliptest import (EIGHT_BIT_ONLY, MONO_ONLY, NOT_RAW_OR_WAV, chunk, fmt, pattern,  # noqa: E402
                      pcm8, ramp, riff, wave_module_file)

STATUS_NOT_RAW_OR_WAV, STATUS_NOT_MONO, STATUS_NOT_EIGHT_BIT, STATUS_UNREADABLE = 2, 3, 4, 5
NOT_SOUND = b"just some notes, not a sound at all\n" * 20


def japanese(message):
    """A message as the page shows it: UTF-8 text without the line end."""
    return message.decode("cp932").rstrip("\n")


def quantize(x):
    """The page's documented rule: round(x * 128) + 128, halves up, clamped."""
    return max(0, min(255, math.floor(x * 128 + 0.5) + 128))


def pcm16(values):
    return struct.pack("<%dh" % len(values), *values)


def interleave(*channels):
    return [v for frame in zip(*channels) for v in frame]


def sixteen_bit_values(n, seed):
    """Values over the whole 16-bit range, with the extremes and the halves
    (+-128 rounds to 129 and 128) among them."""
    edges = [-32768, 32767, 32512, -32512, 128, -128, 127, -127, 384, -384, 0, 255, -255]
    return edges + [((b << 8) | c) - 32768 for b, c in zip(pattern(n, seed), pattern(n, seed + 7))]


def multiples_of_256(n, seed):
    return [(b - 128) * 256 for b in pattern(n, seed)]


def main():
    out = os.path.abspath(sys.argv[1])
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    cases = {"converts": [], "refusals": [], "prepares": [], "skipped": [], "names": [], "notices": [],
             "shaping": [], "board": [], "narrow": [], "adpcm": []}

    def put(table, row, name, data):
        folder = os.path.join(out, "%s-%02d" % (table, len(cases[table])))
        os.makedirs(folder)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        row["file"] = path
        cases[table].append(row)
        return path

    # --- Clips the tool converts as they are ---------------------------------------
    s = ramp(500)
    converts = [
        ("raw", "clip.raw", pattern(1000), False),
        ("raw, signed", "clip.raw", pattern(1000, seed=2), True),
        ("raw, one byte", "one.raw", b"\x80", False),
        ("wav, canonical", "tone.wav", pcm8(s), False),
        ("wav, signed", "tone.wav", pcm8(s), True),
        ("wav, data before fmt", "late.wav", riff(chunk(b"data", s), fmt()), False),
        ("wav, LIST of odd size and its pad byte", "listed.wav",
         riff(fmt(), chunk(b"LIST", b"INFOISFT\x03\x00\x00\x00ab\x00"), chunk(b"data", s)), False),
        ("wav, fact chunk", "fact.wav",
         riff(fmt(), chunk(b"fact", struct.pack("<I", len(s))), chunk(b"data", s)), False),
        ("wav, data declaring more than the file holds", "short.wav",
         riff(fmt(), chunk(b"data", s, declared=len(s) + 1000)), False),
        ("wav, RIFF size smaller than the file", "riffsmall.wav",
         riff(fmt(), chunk(b"data", s), riff_size=4 + 24 + 8 + 100) + b"trailing bytes", False),
        ("wav, two data chunks: the last counts", "twice.wav",
         riff(fmt(), chunk(b"data", pattern(300)), chunk(b"data", ramp(77))), False),
        ("wav, odd data length with its pad byte", "odd.wav", pcm8(pattern(333, seed=3)), False),
        ("wav, fmt with an extension", "ext.wav", pcm8(s, extra=b"\x00\x00"), False),
        ("wav, u-law tag: converted byte for byte", "ulaw.wav", pcm8(s, tag=7), False),
        ("wav, no samples", "silent.wav", pcm8(b""), False),
        ("wav, Python wave module at 11025 Hz", "pywave.wav", wave_module_file(pattern(700, seed=4), 1, 1, 11025),
         False),
        ("name with a non-ASCII character", "\u97f3.raw", pattern(200, seed=5), False),
        ("name snd.wav.raw: raw, output snd.wav.h", "snd.wav.raw", pcm8(s), False),
        ("name clip.raw.wav: raw wins", "clip.raw.wav", pcm8(s), False),
    ]
    # The name the page converts each under, as the name rule proposes it.
    page_names = {"clip.raw": "clip", "one.raw": "one", "tone.wav": "tone", "late.wav": "late",
                  "listed.wav": "listed", "fact.wav": "fact", "short.wav": "short", "riffsmall.wav": "riffsmall",
                  "twice.wav": "twice", "odd.wav": "odd", "ext.wav": "ext", "ulaw.wav": "ulaw",
                  "silent.wav": "silent", "pywave.wav": "pywave", "\u97f3.raw": "clip", "snd.wav.raw": "snd_wav",
                  "clip.raw.wav": "clip"}
    for name, file_name, data, signed in converts:
        ext = ".raw" if ".raw" in file_name else ".wav"
        put("converts", {"name": name, "signed": signed, "page_name": page_names[file_name], "ext": ext},
            file_name, data)

    # --- Refusals: neither the tool nor the browser takes them -----------------
    refusals = [
        ("neither raw nor wav", "notes.txt", NOT_SOUND, STATUS_NOT_RAW_OR_WAV, NOT_RAW_OR_WAV),
        ("upper-case .RAW is neither", "SOUND.RAW", NOT_SOUND, STATUS_NOT_RAW_OR_WAV, NOT_RAW_OR_WAV),
        ("stereo with an unknown format tag", "bogus2.wav",
         riff(fmt(channels=2, tag=0x1234), chunk(b"data", pattern(400))), STATUS_NOT_MONO, MONO_ONLY),
        ("not a WAVE form", "form.wav", riff(chunk(b"junk", pattern(40)), form=b"AVI "), STATUS_NOT_MONO,
         MONO_ONLY),
        ("no fmt chunk", "nofmt.wav", riff(chunk(b"data", pattern(40))), STATUS_NOT_MONO, MONO_ONLY),
        ("16-bit mono with an unknown format tag", "bogus16.wav",
         riff(fmt(bits=16, tag=0x1234), chunk(b"data", pattern(400))), STATUS_NOT_EIGHT_BIT, EIGHT_BIT_ONLY),
        ("empty .raw", "empty.raw", b"", STATUS_UNREADABLE, None),
        ("empty .wav", "empty.wav", b"", STATUS_UNREADABLE, None),
    ]
    for name, file_name, data, status, message in refusals:
        put("refusals", {"name": name, "status": status, "ja": japanese(message) if message else ""},
            file_name, data)

    # --- Prepares with exact samples (no resampling) ---------------------------
    def exact(name, file_name, data, rate, expected, describe, prepared_name):
        put("prepares", {"name": name, "rate": rate, "expected": bytes(expected).hex(), "describe": describe,
                         "prepared_name": prepared_name}, file_name, data)

    m = multiples_of_256(600, 11)
    exact("16-bit mono, multiples of 256: v/256+128", "tone16.wav", wave_module_file(pcm16(m), 1, 2, 8000), 8000,
          [v // 256 + 128 for v in m], "16-bit mono 8000 Hz \u2192 8-bit mono 8000 Hz", "tone16.wav")
    v = sixteen_bit_values(600, 12)
    exact("16-bit mono, every kind of value: the rounding rule", "round16.wav",
          wave_module_file(pcm16(v), 1, 2, 8000), 8000, [quantize(x / 32768) for x in v],
          "16-bit mono 8000 Hz \u2192 8-bit mono 8000 Hz", "round16.wav")
    left, right = multiples_of_256(600, 13), multiples_of_256(600, 14)
    exact("16-bit stereo, multiples of 256: the mean", "stereo16.wav",
          wave_module_file(pcm16(interleave(left, right)), 2, 2, 8000), 8000,
          [quantize((a + b) / 2 / 32768) for a, b in zip(left, right)],
          "16-bit stereo 8000 Hz \u2192 8-bit mono 8000 Hz", "stereo16.wav")
    v = sixteen_bit_values(600, 15)
    exact("16-bit stereo, equal channels: that channel", "twin16.wav",
          wave_module_file(pcm16(interleave(v, v)), 2, 2, 8000), 8000, [quantize(x / 32768) for x in v],
          "16-bit stereo 8000 Hz \u2192 8-bit mono 8000 Hz", "twin16.wav")
    # PCM at the chosen rate is mixed by the core itself, not by the
    # browser's decoder (which reads 8-bit samples above the middle as
    # (u - 128) / 127): equal channels give the very bytes back.
    u = pattern(600, 16)
    exact("8-bit stereo, equal channels: the same bytes", "twin8.wav",
          wave_module_file(bytes(interleave(u, u)), 2, 1, 8000), 8000, u,
          "8-bit stereo 8000 Hz \u2192 8-bit mono 8000 Hz", "twin8.wav")
    m = multiples_of_256(600, 22)
    exact("16-bit stereo, data chunk before fmt: the tool's chunk walk", "late16.wav",
          riff(chunk(b"data", pcm16(interleave(m, m))), chunk(b"LIST", b"odd"), fmt(channels=2, bits=16)), 8000,
          [x // 256 + 128 for x in m], "16-bit stereo 8000 Hz \u2192 8-bit mono 8000 Hz", "late16.wav")
    m = multiples_of_256(600, 17)
    exact("16-bit mono at the chosen 16000 Hz: not resampled", "fast16.wav",
          wave_module_file(pcm16(m), 1, 2, 16000), 16000, [x // 256 + 128 for x in m],
          "16-bit mono 16000 Hz \u2192 8-bit mono 16000 Hz", "fast16.wav")
    m = multiples_of_256(600, 18)
    exact("16-bit WAV named without an extension", "voice", wave_module_file(pcm16(m), 1, 2, 8000), 8000,
          [x // 256 + 128 for x in m], "16-bit mono 8000 Hz \u2192 8-bit mono 8000 Hz", "voice.wav")
    m = multiples_of_256(600, 19)
    exact("16-bit WAV named .mp3.wav.bak: cut at .wav", "take.mp3.wav.bak",
          wave_module_file(pcm16(m), 1, 2, 8000), 8000,
          [x // 256 + 128 for x in m], "16-bit mono 8000 Hz \u2192 8-bit mono 8000 Hz", "take_mp3.wav")
    k = [b - 128 for b in pattern(600, 20)]
    exact("32-bit float mono", "float.wav",
          riff(fmt(bits=32, tag=3), chunk(b"data", struct.pack("<%df" % len(k), *[x / 128 for x in k]))), 8000,
          [x + 128 for x in k], "32-bit mono 8000 Hz \u2192 8-bit mono 8000 Hz", "float.wav")

    # Made by other programs: espeak-ng speech (22050 Hz, 16-bit) and sox.
    work = tempfile.mkdtemp()
    try:
        speech = os.path.join(work, "speech.wav")
        subprocess.run(["espeak-ng", "-w", speech, "Eight bit sound for a tiny speaker."], check=True)
        with open(speech, "rb") as f:
            speech_bytes = f.read()
        frames, speech_rate = speech_frames(speech_bytes)
        for rate in (8000, 11025):
            put("prepares", {"name": "espeak-ng speech resampled to %d Hz" % rate, "rate": rate,
                             "count": frames / speech_rate * rate, "tolerance": 2,
                             "describe": "16-bit mono %d Hz \u2192 8-bit mono %d Hz" % (speech_rate, rate),
                             "prepared_name": "speech.wav"}, "speech.wav", speech_bytes)
        m = multiples_of_256(4000, 21)
        sox_rows = [
            ("FLAC, 16-bit mono at 8000 Hz: exact", "tone.flac", wave_module_file(pcm16(m), 1, 2, 8000), []),
            ("OGG Vorbis speech resampled to 8000 Hz", "speech.ogg", speech_bytes, []),
            ("MP3 speech resampled to 8000 Hz", "speech.mp3", speech_bytes, []),
        ]
        for name, file_name, wav, options in sox_rows:
            source, target = os.path.join(work, "in.wav"), os.path.join(work, file_name)
            with open(source, "wb") as f:
                f.write(wav)
            made = subprocess.run(["sox", source] + options + [target], capture_output=True)
            if made.returncode != 0 or not os.path.exists(target):
                cases["skipped"].append({"name": name, "reason": "sox cannot write %s here: %s" % (
                    file_name.rsplit(".", 1)[1], made.stderr.decode(errors="replace").strip()[:120])})
                continue
            with open(target, "rb") as f:
                data = f.read()
            container = file_name.rsplit(".", 1)[1].upper()
            row = {"name": name, "rate": 8000, "prepared_name": file_name.rsplit(".", 1)[0] + ".wav"}
            if file_name.endswith(".flac"):
                row.update(expected=bytes(x // 256 + 128 for x in m).hex(),
                           describe="FLAC mono \u2192 8-bit mono 8000 Hz")
            else:
                # Lossy codecs pad the stream. Ogg says how much to drop,
                # which decoders honour to within a sample or two; an MP3
                # without a LAME/Xing header (sox writes none) cannot say,
                # so its encoder delay and padding stay: at most two frames
                # of 1152 samples at the source's rate.
                tolerance = 2 * 1152 * 8000 / speech_rate + 2 if container == "MP3" else 2
                row.update(count=frames / speech_rate * 8000, tolerance=tolerance,
                           describe="%s mono \u2192 8-bit mono 8000 Hz" % container)
            put("prepares", row, file_name, data)
    finally:
        shutil.rmtree(work)

    # --- The name rule: what #name starts as, and whether a note says why -------
    for file_name, page_name in [("Bell Ring - final (v2).wav", "Bell_Ring_final_v2"), ("8bit.wav", "clip_8bit"),
                                 ("my-clip.wav", "my_clip"), ("\u97f3\u58f0.wav", "clip"), ("beep.raw", "beep"),
                                 ("_hidden.raw", "hidden"), ("song.v2.mp3.wav", "song_v2_mp3")]:
        put("names", {"name": file_name, "page_name": page_name, "proposed": page_name != file_name.rsplit(".", 1)[0]}, file_name, pcm8(ramp(64)) if file_name.endswith(".wav") else ramp(64))

    # --- Notes in plain words ---------------------------------------------------
    notices = [
        ("an 8-bit mono WAV at its own rate keeps it", "kept.wav", pcm8(ramp(300), rate=11025), 8000,
         "This WAV keeps its own rate, 11025 Hz"),
        ("a WAV cut short", "cut.wav", riff(fmt(), chunk(b"data", ramp(500), declared=1500)), 8000,
         "cut short: 500 of 1,500 bytes"),
        ("a text file named .wav", "notes.wav", NOT_SOUND, 8000, "not a WAV file"),
        ("an empty file", "nothing.raw", b"", 8000, "The file is empty"),
        ("nothing to say: 8-bit mono WAV at the chosen rate", "plain.wav", pcm8(ramp(300)), 8000, ""),
        ("nothing to say: raw", "plain.raw", ramp(300), 8000, ""),
    ]
    for name, file_name, data, rate, says in notices:
        put("notices", {"name": name, "rate": rate, "says": says}, file_name, data)

    # --- Normalize and trim: a quiet tone between stretches of silence ---------
    quiet = [0] * 400 + [int(3000 * math.sin(i / 7.0)) for i in range(2000)] + [0] * 300
    for label, normalize, trim in [("normalize", True, False), ("trim", False, True), ("both", True, True)]:
        put("shaping", {"name": "16-bit quiet tone, " + label, "normalize": normalize, "trim": trim,
                        "frames": len(quiet)}, "quiet.wav", wave_module_file(pcm16(quiet), 1, 2, 8000))
    put("shaping", {"name": "8-bit mono WAV with both: prepared, and it says so", "normalize": True, "trim": True,
                    "frames": 700, "says": "Prepared because normalize or trim was asked for"},
        "small.wav", pcm8(bytes([128] * 100 + [120 + i % 17 for i in range(500)] + [128] * 100)))
    put("shaping", {"name": "raw with normalize", "normalize": True, "trim": False, "frames": 500},
        "quiet.raw", bytes(120 + i % 17 for i in range(500)))

    # --- The page beside clip2c-board: the engine's bytes in both ----------------
    # A chord with a quiet start and end, so that trim has silence to cut
    # and normalize a peak below full scale to raise.
    def chord(rate, seconds, channels, scale):
        n = int(rate * seconds)
        frames = []
        for i in range(n):
            fade = min(1.0, i / (0.1 * rate), (n - 1 - i) / (0.1 * rate))
            for c in range(channels):
                x = math.sin(2 * math.pi * 440 * i / rate) + 0.5 * math.sin(2 * math.pi * (660 + 110 * c) * i / rate)
                frames.append(int(round(scale * fade * x / 1.5)))
        return frames

    stereo44 = wave_module_file(pcm16(chord(44100, 0.5, 2, 12000)), 2, 2, 44100)
    floats48 = chord(48000, 0.3, 1, 1 << 20)
    board_rows = [
        ("16-bit stereo 44.1 kHz, progmem at 8000 Hz, named bell", "Bell Ring 44k.wav", stereo44,
         dict(target="progmem", rate=8000, chosen="bell")),
        ("16-bit stereo 44.1 kHz, progmem at 8000 Hz, named bell, normalize and trim", "Bell Ring 44k.wav",
         stereo44, dict(target="progmem", rate=8000, chosen="bell", normalize=True, trim=True)),
        ("16-bit stereo 44.1 kHz, C at 11025 Hz, its proposed name", "Bell Ring 44k.wav", stereo44,
         dict(target="c", rate=11025)),
        ("16-bit mono 22050 Hz, firmware at 8000 Hz", "voice22.wav",
         wave_module_file(pcm16(chord(22050, 0.4, 1, 20000)), 1, 2, 22050), dict(target="firmware", rate=8000)),
        ("16-bit stereo 48000 Hz, __flash at 16000 Hz, signed", "tone48.wav",
         wave_module_file(pcm16(chord(48000, 0.3, 2, 30000)), 2, 2, 48000),
         dict(target="flash", rate=16000, signed=True)),
        ("32-bit float mono 48000 Hz, firmware at 22050 Hz, normalize", "float48.wav",
         riff(fmt(rate=48000, bits=32, tag=3),
              chunk(b"data", struct.pack("<%df" % len(floats48), *[x / (1 << 21) for x in floats48]))),
         dict(target="firmware", rate=22050, normalize=True)),
        ("24-bit stereo 22050 Hz, progmem at 8000 Hz, trim", "deep22.wav",
         wave_module_file(b"".join(struct.pack("<i", v)[:3] for v in chord(22050, 0.3, 2, 3 << 20)), 2, 3,
                          22050), dict(target="progmem", rate=8000, trim=True)),
        ("8-bit mono 22050 Hz prepared at 8000 Hz by the offer's button", "kept22.wav",
         pcm8(bytes(128 + v // 256 for v in chord(22050, 0.3, 1, 25000)), rate=22050),
         dict(target="progmem", rate=8000, offer=True)),
    ]
    for name, file_name, data, row in board_rows:
        row = dict(dict(name=name, target="c", chosen=None, signed=False, normalize=False, trim=False, offer=False),
                   **row)
        put("board", row, file_name, data)

    # --- IMA ADPCM: the same clips encoded ------------------------------------------
    # `board`: compared with clip2c-board --encoding ima-adpcm (which reads
    # no MP3 or OGG); `rate` None keeps an 8-bit WAV's own rate (no --rate).
    adpcm_rows = [
        ("16-bit stereo 44.1 kHz WAV, firmware at 8000 Hz", "Bell Ring 44k.wav", stereo44,
         dict(target="firmware", rate=8000)),
        ("16-bit mono 22050 Hz WAV, C at 11025 Hz, normalize and trim", "voice22.wav",
         wave_module_file(pcm16(chord(22050, 0.4, 1, 9000)), 1, 2, 22050),
         dict(target="c", rate=11025, normalize=True, trim=True)),
        ("16-bit stereo 44.1 kHz WAV, progmem at 8000 Hz, named bell", "Bell Ring 44k.wav", stereo44,
         dict(target="progmem", rate=8000, chosen="bell")),
        ("8-bit mono WAV at its own 11025 Hz", "kept11.wav",
         pcm8(bytes(128 + v // 256 for v in chord(11025, 0.25, 1, 25000)), rate=11025),
         dict(target="c", rate=None)),
    ]
    # Seven seconds of speech at 8000 Hz fit an Uno as IMA ADPCM: the page's
    # download plays in the simulated Uno (`sketch`).
    work = tempfile.mkdtemp()
    try:
        spoken = os.path.join(work, "spoken.wav")
        seven = os.path.join(work, "seven.wav")
        subprocess.run(["espeak-ng", "-w", spoken, "Twice the sound in the same flash: seven seconds of speech "
                        "at eight thousand samples a second, on an Arduino Uno."], check=True)
        subprocess.run(["sox", "-D", spoken, seven, "pad", "0", "7", "trim", "0", "7"], check=True)
        with open(seven, "rb") as f:
            adpcm_rows.append(("7 s of espeak-ng speech, progmem at 8000 Hz, named clip",
                               "speech7.wav", f.read(), dict(target="progmem", rate=8000, chosen="clip",
                                                              sketch=True)))
    finally:
        shutil.rmtree(work)
    for name, file_name, data, row in adpcm_rows:
        row = dict(dict(name=name, target="c", chosen=None, normalize=False, trim=False, board=True, sketch=False),
                   **row)
        put("adpcm", row, file_name, data)
    for row in [r for r in cases["prepares"] if r["file"].endswith((".ogg", ".mp3"))]:
        cases["adpcm"].append(dict(name=os.path.basename(row["file"]) + ", decoded by the browser, C at 8000 Hz",
                                   file=row["file"], target="c", rate=8000, chosen=None, normalize=False,
                                   trim=False, board=False))

    # --- Banks: several files in one header, beside clip2c-board --bank ----------
    def bank_file(key, file_name, data):
        folder = os.path.join(out, "bank-" + key)
        os.makedirs(folder)
        path = os.path.join(folder, file_name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    cases["banks"] = {
        # Three WAV files at three rates, bit depths and channel counts.
        "files": [bank_file("jump", "jump.wav", pcm8(bytes(128 + v // 256 for v in chord(11025, 0.2, 1, 25000)),
                                                     rate=11025)),
                  bank_file("coin", "coin.wav", wave_module_file(pcm16(chord(22050, 0.15, 2, 20000)), 2, 2, 22050)),
                  bank_file("bell", "Bell Ring.wav", wave_module_file(pcm16(chord(44100, 0.25, 1, 16000)), 1, 2,
                                                                      44100))],
        "extra": bank_file("extra", "laser.raw", bytes(128 + (i * 37) % 90 - 45 for i in range(3000))),
        # Another file called jump.wav: its clip is jump_2.
        "twin": bank_file("twin", "jump.wav", pcm8(bytes(128 + (i % 50) - 25 for i in range(2000)))),
        "long": bank_file("long", "Explosion_far_away_in_the_hills_final_mix_v3.wav",
                          wave_module_file(pcm16(chord(16000, 0.1, 1, 20000)), 1, 2, 16000)),
        "rows": [
            dict(name="progmem at 8000 Hz", bank="sfx", target="progmem", rate=8000),
            dict(name="C at 11025 Hz, signed, normalize and trim", bank="sounds", target="c", rate=11025,
                 signed=True, normalize=True, trim=True),
            dict(name="firmware at 22050 Hz", bank="fx", target="firmware", rate=22050),
            dict(name="__flash at 16000 Hz, trim", bank="uno_fx", target="flash", rate=16000, trim=True),
            # Each WAV file at its own rate (rate None: #own-rates ticked, no --rate).
            dict(name="progmem, each file at its own rate", bank="sounds", target="progmem", rate=None),
            dict(name="progmem at 8000 Hz in IMA ADPCM", bank="sfx", target="progmem", rate=8000,
                 encoding="ima-adpcm"),
            dict(name="firmware, each file at its own rate, in IMA ADPCM, normalize", bank="fx", target="firmware",
                 rate=None, encoding="ima-adpcm", normalize=True),
        ],
        # The files' own rates, in order.
        "rates": [11025, 22050, 44100],
    }
    for row in cases["banks"]["rows"]:
        for key in ("signed", "normalize", "trim"):
            row.setdefault(key, False)
        row.setdefault("encoding", "pcm8")

    # --- 375 px: a proposed name, and a long prepared name ----------------------
    put("narrow", {"name": "a proposed name", "prepared": False}, "Bell Ring - final (v2).wav", pcm8(ramp(64)))
    put("narrow", {"name": "a long prepared name", "prepared": True}, "Bell_Ring_final_mix_v2_for_the_board.wav",
        wave_module_file(pcm16(chord(22050, 0.2, 2, 12000)), 2, 2, 22050))
    put("narrow", {"name": "a long name in IMA ADPCM", "prepared": True, "encoding": "ima-adpcm"},
        "Bell_Ring_final_mix_v2_for_the_board.wav", wave_module_file(pcm16(chord(22050, 0.2, 2, 12000)), 2, 2, 22050))

    # --- Long runs: no main-thread task over 100 ms ------------------------------
    long_runs = os.path.join(out, "long")
    os.makedirs(long_runs)
    cases["long"] = []
    for name, file_name, make in [
            ("50 MB raw clip", "fifty.raw", lambda: bytes(range(256)) * (50_000_000 // 256)),
            ("32 MiB raw clip", "big32.raw", lambda: pattern(1 << 20, seed=3) * 32),
            ("3 minutes of 44.1 kHz 16-bit stereo", "three.wav",
             lambda: wave_module_file(bytes(range(256)) * (180 * 44100 * 4 // 256), 2, 2, 44100))]:
        path = os.path.join(long_runs, file_name)
        with open(path, "wb") as f:
            f.write(make())
        cases["long"].append({"name": name, "file": path})

    # --- The timing run -----------------------------------------------------------
    speed = os.path.join(out, "speed")
    os.makedirs(speed)
    cases["speed"] = {"file": os.path.join(speed, "big.raw")}
    with open(cases["speed"]["file"], "wb") as f:
        f.write(pattern(1 << 20, seed=9))

    with open(os.path.join(out, "cases.json"), "w", encoding="utf-8") as f:
        json.dump(cases, f, ensure_ascii=False, indent=1)


def speech_frames(data):
    """(frames, rate) of a 16-bit mono PCM WAV file, from its chunks."""
    pos, rate, frames = 12, 0, 0
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        if cid == b"fmt ":
            channels, rate = struct.unpack_from("<HI", data, pos + 10)
            align = struct.unpack_from("<H", data, pos + 20)[0]
        elif cid == b"data":
            frames = min(size, len(data) - pos - 8) // align
        pos += 8 + size + (size & 1)
    assert channels == 1 and rate, "espeak-ng wrote an unexpected WAV file"
    return frames, rate


if __name__ == "__main__":
    main()
