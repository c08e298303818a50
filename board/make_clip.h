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

#include "board/clip_conversion.h"
#include "board/refusal.h"
#include "board/targets.h"
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
    Made,          // `made` holds the clip
    Refused,       // `status` says why
    NeedsDecoder,  // the engine does not read the sound: only a decoder can (makeDecodedClip)
};

// What the file is, as the engine read it.
struct SourceFacts {
    // What the sound was, e.g. "16-bit stereo 44100 Hz" or "raw 8-bit"; for
    // a file only a decoder reads, the container its first bytes name
    // ("MP3", "OGG", "FLAC", "WAV", else the file's extension, else
    // "decoded"). Empty for a file converted as it is or refused.
    std::string description;
    bool isRaw = false;       // the name classified it as raw
    bool isRiffWave = false;  // its bytes begin "RIFF" and hold "WAVE" at offset 8
    // The name classified it as WAV but its bytes are no RIFF WAVE, which is
    // worth saying when no decoder reads them either.
    bool notWave = false;
    // The chunk walk's reading of its "fmt " chunk, whatever the name (0
    // when it reads none).
    std::uint32_t channels = 0;
    std::uint32_t bits = 0;
    std::uint32_t rate = 0;
    // For WAV input, the size that the data chunk the walk takes declares,
    // and the bytes of it that the file holds (fewer when it is cut short).
    std::uint32_t dataPromised = 0;
    std::uint32_t dataHeld = 0;
    std::string outputName;  // the tool's default output path for the file's name, when it classifies
};

// The clip made: its array, its text and, when prepared, its WAV file.
struct MadeClip {
    Encoding encoding = Encoding::Pcm8;
    std::string arrayName;            // "<name>_wave" ("<name>_adpcm")
    std::string outputName;           // the tool's default output path for the clip
    std::vector<std::uint8_t> bytes;  // the array's bytes
    std::uint32_t sampleCount = 0;    // the samples they decode to (for 8 bits, one a byte)
    std::uint32_t sampleRate = 0;     // the rate the clip plays at
    std::string text;                 // the target's header
    Fit fit;                          // the clip's fit for the target (fitFor)
    // When prepared: "<source> → 8-bit mono <rate> Hz" ("→ IMA ADPCM mono
    // <rate> Hz"), then ", normalized" and ", trimmed" as done; empty when
    // converted as it is.
    std::string how;
    // When prepared: the 8-bit mono WAV file the text is of, which the tool
    // converts into it under `preparedName` ("<name>.wav"); for IMA ADPCM,
    // the IMA ADPCM WAV file whose data chunk is the array.
    std::vector<std::uint8_t> preparedWave;
    std::string preparedName;
};

struct BoardClip {
    ClipOutcome outcome = ClipOutcome::Refused;
    // Made: Converted. Otherwise the tool's status for the file as it is
    // (Unreadable for an empty file), or OutOfMemory.
    ClipStatus status = ClipStatus::Unreadable;
    std::string name;  // the name the array is made from: "<name>_wave"
    SourceFacts source;
    MadeClip made;                   // Made: the clip
    std::vector<std::string> notes;  // English, one sentence each, in the order they arose
    // A WAV file kept its own rate, which is not the chosen one: the page
    // offers to prepare it at the chosen rate. 0 when none was kept so.
    std::uint32_t rateKept = 0;
    std::uint32_t prepareRate = 0;  // the rate a prepare makes the clip at
    // Refused, NeedsDecoder: why the engine makes no clip of the file, as
    // every door says it (for NeedsDecoder, should no decoder read it).
    Refusal refusal;
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
//      is prepared at the chosen rate by the engine (prepareRawEight,
//      prepareWaveEight) and made the clip as the tool converts those
//      samples held in a WAV file called "<name>.wav"; an empty file and
//      the other refusals stand.
//   4. A file whose sound the engine does not read needs a decoder.
// For Encoding::ImaAdpcm step 2 only names the rate (the file's own when it
// would convert as it is, with its rate-kept note) and the refusals, and
// step 3 is taken for every file the tool or the engine reads: prepared to
// 16 bits (prepareRawSixteen, prepareWaveSixteen), encoded (encodeAdpcm),
// the text rendered from clipHeader for "<name>_adpcm" and the WAV file by
// makeAdpcmWaveFile.
BoardClip makeClip(const std::uint8_t* bytes, std::uint32_t length, const ClipRequest& request);

// Finishes a clip that needed a decoder (`first`, from makeClip with the
// same request) from its sound decoded at first.prepareRate: mixed and
// quantized (mixToEightBit) and made as in step 3; for IMA ADPCM mixed to
// 16 bits (mixToSixteen) and encoded. Keeps first's notes, then adds its
// own.
BoardClip makeDecodedClip(const BoardClip& first, const ClipRequest& request, sound::Planar decoded);

// The facts of a clip made (Made), whose samples are signed as `isSigned`
// says (IMA ADPCM's never are).
ClipFacts factsOf(const BoardClip& clip, bool isSigned);

}  // namespace clip2c::board
