// SPDX-License-Identifier: MIT
// One clip made for a board from any file the engine takes: converted as
// the tool converts it when it can be, else prepared first. Every door (the
// page, clip2c-board, the CMake function through clip2c-board) makes its
// clips here, so that the same file and choices give the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_text.h"
#include "board/clip_conversion.h"
#include "sound/prepare.h"

namespace clip2c::board {

// The rate a raw clip plays at when none is chosen.
inline constexpr std::uint32_t kDefaultRate = 8000;

// What to make of a file.
struct ClipRequest {
    std::string fileName;             // the file's own name, no folders: it classifies the input
    std::optional<std::string> name;  // the name as chosen; none: the file's own, proposed when needed
    Target target = Target::C;
    bool isSigned = false;
    // The rate to prepare at, which a raw clip plays at; 0: a WAV file keeps
    // its own, a raw clip plays at kDefaultRate.
    std::uint32_t rate = 0;
    // Whether a WAV file that converts as it is, but at another rate than
    // `rate`, is prepared at `rate` all the same.
    bool forcePrepare = false;
    sound::PrepareOptions options;
    // ImaAdpcm: the clip is always prepared, to 16 bits, and encoded.
    Encoding encoding = Encoding::Pcm8;
};

enum class ClipOutcome {
    Made,          // `result` holds the text
    Refused,       // `status` says why
    NeedsDecoder,  // the engine does not read the sound: only a decoder can (makeDecodedClip)
};

struct BoardClip {
    ClipOutcome outcome = ClipOutcome::Refused;
    // Made: Converted. Otherwise the tool's status for the file as it is
    // (Unreadable for an empty file), or OutOfMemory.
    ClipStatus status = ClipStatus::Unreadable;
    std::string name;                // the name the array is made from: "<name>_wave"
    std::vector<std::string> notes;  // English, one sentence each, in the order they arose
    // A WAV file kept its own rate (rateKept), which is not the chosen one:
    // the page offers to prepare it at the chosen rate.
    bool rateOffer = false;
    std::uint32_t rateKept = 0;
    // The file converted as it is, for the facts it gives; without its text
    // and samples, which are `result`'s when it is the clip.
    ClipResult asIs;
    ClipResult result;  // Made: the clip's conversion (asIs when not prepared)
    // What the sound was, e.g. "16-bit stereo 44100 Hz" or "raw 8-bit"; for
    // a file only a decoder reads, the container its first bytes name
    // ("MP3", "OGG", "FLAC", "WAV", else the file's extension, else
    // "decoded").
    std::string source;
    // When prepared: "<source> → 8-bit mono <rate> Hz" ("→ IMA ADPCM mono
    // <rate> Hz"), then ", normalized" and ", trimmed" as done; empty when
    // converted as it is.
    std::string what;
    // When prepared: the 8-bit mono WAV file the text is of; for IMA ADPCM,
    // the IMA ADPCM WAV file whose data chunk is the array.
    std::vector<std::uint8_t> preparedWave;
    std::string preparedName;  // its name, "<name>.wav", under which it was converted
    // NeedsDecoder: the name classified the input as WAV but the bytes are
    // no RIFF WAVE, which is worth saying when no decoder reads them either.
    bool notWave = false;
    std::uint32_t prepareRate = 0;  // the rate a prepare makes the clip at
};

// Makes the clip of the file `bytes` as `request` says.
//   1. The name is request.name, else the file's own (clipName), proposed
//      (proposeName) when it gives no identifier, which a note says; a
//      chosen name that gives none is noted too.
//   2. The file is converted as the tool converts it under that name
//      (convertName). A data chunk cut short is noted. When that converts
//      and no option asks for more (normalize, trim, or forcePrepare at a
//      rate the file does not have), it is the clip.
//   3. Else a file the tool refuses for its name, its channels or its bits
//      is prepared at the chosen rate by the engine (prepareRawFile,
//      prepareWaveFile), and the prepared WAV is converted under
//      "<name>.wav"; an empty file and the other refusals stand.
//   4. A file whose sound the engine does not read needs a decoder.
// For Encoding::ImaAdpcm step 2 only names the rate (the file's own when it
// would convert as it is, with its rate-kept note) and the refusals, and
// step 3 is taken for every file the tool or the engine reads: prepared to
// 16 bits (prepareRawSixteen, prepareWaveSixteen), encoded (encodeAdpcm),
// the text rendered from clipHeader for "<name>_adpcm" and the WAV file by
// makeAdpcmWaveFile.
BoardClip makeClip(const std::uint8_t* bytes, std::uint32_t length, const ClipRequest& request);

// Finishes a clip that needed a decoder (`first`, from makeClip with the
// same request): `channelCount` planar channels of `frames` samples each,
// decoded at first.prepareRate, mixed and quantized (mixToEightBit) into a
// WAV that is converted as in step 3; for IMA ADPCM mixed to 16 bits
// (mixToSixteen) and encoded. Keeps first's notes, then adds its own.
BoardClip makeDecodedClip(const BoardClip& first, const ClipRequest& request, const float* planar,
                          std::uint32_t channelCount, std::uint32_t frames);

// The facts of a clip made (Made), whose samples are signed as `isSigned`
// says (IMA ADPCM's never are).
ClipFacts factsOf(const BoardClip& clip, bool isSigned);

}  // namespace clip2c::board
