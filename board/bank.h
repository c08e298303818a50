// SPDX-License-Identifier: MIT
// A bank: several clips in one header for one target, each made exactly as
// makeClip makes it alone, with a table of them all and an accessor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "board/header.h"
#include "board/make_clip.h"
#include "board/refusal.h"
#include "board/targets.h"
#include "sound/prepare.h"

namespace clip2c::board {

// One file of a bank.
struct BankFile {
    const std::uint8_t* bytes = nullptr;  // the file's bytes, held by the caller through makeBank
    std::uint32_t length = 0;
    std::string fileName;             // the file's own name, no folders: it classifies the input
    std::optional<std::string> name;  // the name as chosen; none: the file's own, proposed when needed
};

// What to make of a list of files. The options are every clip's.
struct BankRequest {
    std::string name = "sounds";  // the bank's: <name>_clips, <name>_at, <NAME>_COUNT
    Target target = Target::C;
    std::vector<BankFile> files;
    // The rate every clip is made at (a WAV file at another rate is
    // resampled); 0: a WAV file keeps its own, a raw clip plays at
    // kDefaultRate.
    std::uint32_t rate = 0;
    sound::PrepareOptions options;
    bool isSigned = false;
    // ImaAdpcm: every clip encoded, its entry giving data, bytes, samples
    // and rate.
    Encoding encoding = Encoding::Pcm8;
};

// Why no bank was made.
enum class BankRefusal {
    None,          // the bank is made
    NoClips,       // the request lists no file
    BadName,       // the bank's name gives no C identifier (givesIdentifier)
    ClipRefused,   // makeClip refused the clip: its `status` says why
    NeedsDecoder,  // the engine does not read the clip's sound
    EmptyClip,     // the clip has no samples (e.g. trimmed to nothing): C has no empty array
    OverArray,     // on Progmem or Flash, the clip is over one AVR array (kArrayLimit bytes)
};

// Whether a bank fits its target's board, and the sentence that says so.
struct BankFit {
    bool fits = true;
    std::string text;
    std::uint64_t bytes = 0;        // the samples of every clip, plus the table on Progmem and Flash
    std::vector<std::size_t> over;  // Progmem, Flash: the clips over one AVR array, by index
    std::uint32_t fittingRate = 0;  // when it does not fit: the highest rate that fits them all; 0: none
};

struct BankResult {
    BankRefusal refusal = BankRefusal::None;
    std::size_t refusedClip = 0;  // the index of the clip refused (ClipRefused to OverArray)
    // English, one sentence naming the clip ("jump.wav: ...", the bank's
    // name for BadName); empty when the bank is made.
    std::string refusalText;
    Refusal why;       // the refusal, typed, as refusalText words it (without the file's name)
    std::string text;  // the bank's header, when made
    // The clips made, in the request's order: all of them when the bank is
    // made; else those made before a clip that could not be made, which is
    // the last, and every one after a clip over one array. Each clip's name
    // is the one it has in the bank; its notes start with the one that
    // says why it was renamed, if it was.
    std::vector<BoardClip> clips;
    // Every clip's notes in order, each as "<fileName>: <note>".
    std::vector<std::string> notes;
    BankFit fit;                    // when every clip was made (the bank, or a clip over one array)
    std::uint64_t sampleCount = 0;  // the samples of the clips made (decoded, for IMA ADPCM)
};

// The names the clips of `request` have in the bank, in order. Each is the
// one makeClip would give it alone (the chosen name, else the proposed
// file's name); a name that clashes with an earlier clip's, or whose
// upper-cased form does (the enum's <BANK>_<NAME>), or that makes the enum
// constant <BANK>_COUNT or <BANK>_BANK_H (the bank's own count and include
// guard), gets the first of "_2", "_3", ... that clashes with no clip's
// name, given or wanted.
std::vector<std::string> bankNames(const BankRequest& request);

// The fit of clips with `facts` (one per clip, in order) as a bank for
// `target`. For Progmem and Flash, the bank's bytes (the samples and the
// table's kBankEntryBytes a clip) fit when they are within kBankRoom and
// no clip is over one array: the text says so, whether they fit a Nano's
// kBankNanoRoom, and when they do not fit, which clips are over one array
// and the highest whole rate at which every clip, resampled from its own
// rate, would fit (none when a clip has no rate or no rate fits). For C and
// Firmware `fits` is true and the text is fitFor's for the samples.
BankFit bankFit(Target target, const std::vector<ClipFacts>& facts);

// Makes the bank `request` asks for: each clip by makeClip under its name
// in the bank (bankNames), with the request's target, signedness and
// options, its rate, and forcePrepare when a rate is chosen. No bank is
// made (`refusal` says why) when there is no file, the bank's name gives
// no identifier, or a clip is refused, needs a decoder, has no samples or,
// on Progmem and Flash, is over one array; the first such clip is named.
BankResult makeBank(const BankRequest& request);

// The model of the header of the bank `bank` made for `request` (every
// clip made): the clips' comment, an include guard, the pgmspace include on
// Progmem, the decoder once for IMA ADPCM, each clip's part as it would
// have it alone, then the enum, the struct with the target's pointer type,
// the table where the target keeps arrays and the accessor <bank>_at.
// Its arrays are the clips' samples, held by `bank`.
Header bankHeader(const BankRequest& request, const BankResult& bank);

}  // namespace clip2c::board
