// SPDX-License-Identifier: MIT
// The C functions the page's script calls in the WebAssembly module: the
// engine's one-clip flow (board::makeClip, board::makeDecodedClip), its
// banks (board::makeBank) and the parts of their results the page shows. Every pointer is into the module's
// memory; strings are UTF-8 and NUL-terminated. A handle that
// clip2c_make_clip or clip2c_make_decoded_clip returns is freed with
// clip2c_clip_free, one from clip2c_bank_new with clip2c_bank_free. A
// handle that cannot be allocated stops the module (it
// is built without exceptions, so a failed new aborts), which the page
// reports as running out of memory before it loads a fresh one. Natively
// (the unit tests) the same functions are plain C functions.
#include "web/exports.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE
#endif

#include "board/bank.h"
#include "board/board_text.h"
#include "board/clip_conversion.h"
#include "board/make_clip.h"
#include "board/texts.h"
#include "sound/ima_adpcm.h"

using clip2c::board::BankFile;
using clip2c::board::BoardClip;
using clip2c::board::ClipRequest;
using clip2c::board::ClipResult;
using clip2c::board::Target;

namespace {

// Bits of a request's flags.
constexpr int kNormalize = 1;
constexpr int kTrim = 2;
constexpr int kForcePrepare = 4;
constexpr int kImaAdpcm = 8;

clip2c::board::Encoding encodingOf(int flags) {
    return (flags & kImaAdpcm) != 0 ? clip2c::board::Encoding::ImaAdpcm : clip2c::board::Encoding::Pcm8;
}

// The samples an IMA ADPCM clip's bytes decode to, for the page to draw
// and play; empty for 8-bit PCM, whose bytes are its samples.
std::vector<std::int16_t> decodedOf(const ClipResult& made) {
    if (made.encoding != clip2c::board::Encoding::ImaAdpcm) return {};
    return clip2c::sound::decodeAdpcm(made.samples.data(), made.samples.size(), made.adpcmSamples);
}

Clip2cClip* handOut(ClipRequest request, BoardClip clip) {
    auto* c = new Clip2cClip{std::move(request), std::move(clip), {}};
    c->decoded = decodedOf(c->clip.result);
    return c;
}

const ClipResult& result(const Clip2cClip* c) { return c->clip.result; }

// The page's number for a target: 0 C, 1 firmware, 2 PROGMEM, 3 __flash,
// anything else C.
Target targetOf(int target) {
    return target >= 0 && target <= static_cast<int>(Target::Flash) ? static_cast<Target>(target) : Target::C;
}

clip2c::sound::PrepareOptions optionsOf(int flags) {
    clip2c::sound::PrepareOptions options;
    options.normalize = (flags & kNormalize) != 0;
    options.trim = (flags & kTrim) != 0;
    return options;
}

const ClipResult& bankClip(const Clip2cBank* b, std::uint32_t index) { return b->result.clips[index].result; }

}  // namespace

extern "C" {

// Memory for the script to copy a file or decoded sound into; null when it
// cannot be had (a plain malloc, which does not stop the module).
EMSCRIPTEN_KEEPALIVE void* clip2c_alloc(std::uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
EMSCRIPTEN_KEEPALIVE void clip2c_release(void* block) { std::free(block); }

// The clip of the file `bytes` called `fileName` (no folders), made by the
// engine (makeClip): under `name`, or the file's own when `name` is null;
// for `target` (0 C, 1 firmware, 2 PROGMEM, 3 __flash, anything else C);
// at `rate` (0: a WAV file's own, 8000 Hz for a raw clip). Bit 0 of
// `flags` asks to normalize, bit 1 to trim, bit 2 to prepare a WAV file at
// `rate` that would convert as it is at its own, bit 3 to encode it as IMA
// ADPCM (always prepared, to 16 bits, then encoded).
// The script passes plain numbers and strings by position, the one way a
// C function is called from it.
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
EMSCRIPTEN_KEEPALIVE Clip2cClip* clip2c_make_clip(const std::uint8_t* bytes, std::uint32_t length,
                                                  const char* fileName, const char* name, int isSigned,
                                                  int target, std::uint32_t rate, int flags) {
    ClipRequest request;
    request.fileName = fileName;
    if (name != nullptr) request.name = name;
    request.target = targetOf(target);
    request.isSigned = isSigned != 0;
    request.rate = rate;
    request.forcePrepare = (flags & kForcePrepare) != 0;
    request.options = optionsOf(flags);
    request.encoding = encodingOf(flags);
    BoardClip clip = clip2c::board::makeClip(bytes, length, request);
    return handOut(std::move(request), std::move(clip));
}
// NOLINTEND(bugprone-easily-swappable-parameters)

// `first` (outcome 2, needs a decoder) finished from `channelCount` planar
// float channels of `frames` samples each, decoded at its prepare rate
// (makeDecodedClip). `first` stays the caller's to free.
EMSCRIPTEN_KEEPALIVE Clip2cClip* clip2c_make_decoded_clip(const Clip2cClip* first, const float* planar,
                                                          std::uint32_t channelCount, std::uint32_t frames) {
    BoardClip clip =
        clip2c::board::makeDecodedClip(first->clip, first->request, planar, channelCount, frames);
    return handOut(first->request, std::move(clip));
}

// `channelCount` planar float channels of `frames` samples each mixed to
// a 16-bit mono PCM WAV file at `rate` (mixToSixteen, neither normalized nor
// trimmed): what a bank in IMA ADPCM is made from when only the browser
// decodes a file, so that it is encoded from 16 bits as a clip alone is.
// A block the caller releases (clip2c_release), its size at `length`;
// null when the module cannot hold it.
EMSCRIPTEN_KEEPALIVE std::uint8_t* clip2c_sixteen_bit_wave(const float* planar, std::uint32_t channelCount,
                                                           std::uint32_t frames, std::uint32_t rate,
                                                           std::uint32_t* length) {
    const std::vector<std::uint8_t> wave = clip2c::sound::makeSixteenBitWaveFile(
        clip2c::sound::mixToSixteen(planar, channelCount, frames), rate);
    auto* block = static_cast<std::uint8_t*>(std::malloc(wave.empty() ? 1 : wave.size()));
    if (block == nullptr || wave.empty()) {
        std::free(block);
        return nullptr;
    }
    std::memcpy(block, wave.data(), wave.size());
    *length = static_cast<std::uint32_t>(wave.size());
    return block;
}

// 0 made, 1 refused, 2 needs a decoder (board::ClipOutcome).
EMSCRIPTEN_KEEPALIVE int clip2c_clip_outcome(const Clip2cClip* c) {
    return static_cast<int>(c->clip.outcome);
}
// The tool's status (board::ClipStatus): 0 when made.
EMSCRIPTEN_KEEPALIVE int clip2c_clip_status(const Clip2cClip* c) { return static_cast<int>(c->clip.status); }
// The name the array is made from, whatever the outcome.
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_name(const Clip2cClip* c) { return c->clip.name.c_str(); }
// The notes in English, in the order they arose; `index` below the count.
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_note_count(const Clip2cClip* c) {
    return static_cast<std::uint32_t>(c->clip.notes.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_note(const Clip2cClip* c, std::uint32_t index) {
    return c->clip.notes[index].c_str();
}
// 1 when a WAV file kept its own rate, not the chosen one, so the page
// offers to prepare it at the chosen rate.
EMSCRIPTEN_KEEPALIVE int clip2c_clip_rate_offer(const Clip2cClip* c) {
    return static_cast<int>(c->clip.rateOffer);
}
// 1 when the name says WAV but the bytes are none, which is worth a note
// when no decoder reads them either.
EMSCRIPTEN_KEEPALIVE int clip2c_clip_not_wave(const Clip2cClip* c) {
    return static_cast<int>(c->clip.notWave);
}
// The rate a decoder is to decode at.
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_prepare_rate(const Clip2cClip* c) {
    return c->clip.prepareRate;
}

// The clip's text and its figures; empty (0) unless it was made.
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_text(const Clip2cClip* c) { return result(c).text.data(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_text_length(const Clip2cClip* c) {
    return static_cast<std::uint32_t>(result(c).text.size());
}
// The tool's default output name, "<name>.h".
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_output_name(const Clip2cClip* c) {
    return result(c).outputName.c_str();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* clip2c_clip_samples(const Clip2cClip* c) {
    return result(c).samples.data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_sample_count(const Clip2cClip* c) {
    return static_cast<std::uint32_t>(result(c).samples.size());
}
// What the array's bytes hold: 0 8-bit PCM, 1 IMA ADPCM (board::Encoding).
EMSCRIPTEN_KEEPALIVE int clip2c_clip_encoding(const Clip2cClip* c) {
    return static_cast<int>(result(c).encoding);
}
// IMA ADPCM: the samples the bytes decode to (the text's "<array>_samples")
// and those samples, decoded by the core's reference decoder; 0 and empty
// for 8-bit PCM, whose bytes are the samples.
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_adpcm_samples(const Clip2cClip* c) {
    return result(c).adpcmSamples;
}
EMSCRIPTEN_KEEPALIVE const std::int16_t* clip2c_clip_decoded(const Clip2cClip* c) {
    return c->decoded.data();
}
// The name of the array the text declares, "<name>_wave" or "<name>_adpcm".
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_array_name(const Clip2cClip* c) {
    return result(c).arrayName.c_str();
}
// The rate the clip plays at (0 for a WAV file that says 0 Hz).
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_sample_rate(const Clip2cClip* c) {
    return result(c).sampleRate;
}
EMSCRIPTEN_KEEPALIVE int clip2c_clip_fits(const Clip2cClip* c) {
    return static_cast<int>(result(c).fit.fits);
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_fit_text(const Clip2cClip* c) {
    return result(c).fit.text.c_str();
}

// When prepared: what was done ("16-bit stereo 44100 Hz → 8-bit mono 8000
// Hz, normalized"), the 8-bit mono WAV file the text is of (for IMA ADPCM,
// the IMA ADPCM WAV file whose data chunk is the array), and its name,
// "<name>.wav"; empty when converted as it is.
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_what(const Clip2cClip* c) { return c->clip.what.c_str(); }
EMSCRIPTEN_KEEPALIVE const std::uint8_t* clip2c_clip_prepared_wave(const Clip2cClip* c) {
    return c->clip.preparedWave.data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_clip_prepared_wave_length(const Clip2cClip* c) {
    return static_cast<std::uint32_t>(c->clip.preparedWave.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_prepared_name(const Clip2cClip* c) {
    return c->clip.preparedName.c_str();
}
EMSCRIPTEN_KEEPALIVE void clip2c_clip_free(Clip2cClip* c) { delete c; }

// An empty bank called `name` ("sounds" when null), whose clips are all made with these
// options: the numbers and flags of clip2c_make_clip (bit 2 aside: a bank
// prepares every WAV file at `rate` unless it is 0; bit 3 encodes every
// clip as IMA ADPCM).
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
EMSCRIPTEN_KEEPALIVE Clip2cBank* clip2c_bank_new(const char* name, int isSigned, int target,
                                                 std::uint32_t rate, int flags) {
    auto* b = new Clip2cBank;
    if (name != nullptr) b->request.name = name;
    b->request.target = targetOf(target);
    b->request.isSigned = isSigned != 0;
    b->request.rate = rate;
    b->request.options = optionsOf(flags);
    b->request.encoding = encodingOf(flags);
    return b;
}

// Adds the file `block` (from clip2c_alloc, the bank's from now on: the
// script neither releases nor changes it) of `length` bytes, called
// `fileName`, under `name`, or the file's own when `name` is null, as the
// bank's last clip.
EMSCRIPTEN_KEEPALIVE void clip2c_bank_add(Clip2cBank* b, std::uint8_t* block, std::uint32_t length,
                                          const char* fileName, const char* name) {
    b->blocks.push_back(block);
    BankFile file;
    file.bytes = block;
    file.length = length;
    file.fileName = fileName;
    if (name != nullptr) file.name = name;
    b->request.files.push_back(std::move(file));
}
// NOLINTEND(bugprone-easily-swappable-parameters)

// Makes the bank of the clips added (makeBank); the accessors below read it.
EMSCRIPTEN_KEEPALIVE void clip2c_bank_make(Clip2cBank* b) {
    b->result = clip2c::board::makeBank(b->request);
    b->decoded.clear();
    for (const BoardClip& clip : b->result.clips) b->decoded.push_back(decodedOf(clip.result));
}

// 0 made, else why not (board::BankRefusal), the index of the clip it was
// for and the sentence that says so, naming it.
EMSCRIPTEN_KEEPALIVE int clip2c_bank_refusal(const Clip2cBank* b) {
    return static_cast<int>(b->result.refusal);
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_refused_clip(const Clip2cBank* b) {
    return static_cast<std::uint32_t>(b->result.refusedClip);
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_refusal_text(const Clip2cBank* b) {
    return b->result.refusalText.c_str();
}
// The bank's header; empty unless it was made.
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_text(const Clip2cBank* b) { return b->result.text.data(); }
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_text_length(const Clip2cBank* b) {
    return static_cast<std::uint32_t>(b->result.text.size());
}
// Every clip's notes, "<fileName>: <note>"; `index` below the count.
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_note_count(const Clip2cBank* b) {
    return static_cast<std::uint32_t>(b->result.notes.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_note(const Clip2cBank* b, std::uint32_t index) {
    return b->result.notes[index].c_str();
}
// The whole bank's fit (empty unless every clip was made).
EMSCRIPTEN_KEEPALIVE int clip2c_bank_fits(const Clip2cBank* b) {
    return static_cast<int>(b->result.fit.fits);
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_fit_text(const Clip2cBank* b) {
    return b->result.fit.text.c_str();
}
// The samples of the clips made, in all (decoded, for IMA ADPCM; at most
// 2^32 - 1: no browser holds more).
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_sample_count(const Clip2cBank* b) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(b->result.sampleCount, std::numeric_limits<std::uint32_t>::max()));
}
// The clips made, in order: each one's name in the bank, its array's bytes
// (its samples, for 8-bit PCM), its rate, its encoding (as
// clip2c_clip_encoding) and its decoded samples (as clip2c_clip_adpcm_samples
// and clip2c_clip_decoded);
// `index` below the count.
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_clip_count(const Clip2cBank* b) {
    return static_cast<std::uint32_t>(b->result.clips.size());
}
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_clip_name(const Clip2cBank* b, std::uint32_t index) {
    return b->result.clips[index].name.c_str();
}
EMSCRIPTEN_KEEPALIVE const std::uint8_t* clip2c_bank_clip_samples(const Clip2cBank* b, std::uint32_t index) {
    return bankClip(b, index).samples.data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_clip_sample_count(const Clip2cBank* b, std::uint32_t index) {
    return static_cast<std::uint32_t>(bankClip(b, index).samples.size());
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_clip_sample_rate(const Clip2cBank* b, std::uint32_t index) {
    return bankClip(b, index).sampleRate;
}
EMSCRIPTEN_KEEPALIVE int clip2c_bank_clip_encoding(const Clip2cBank* b, std::uint32_t index) {
    return static_cast<int>(bankClip(b, index).encoding);
}
EMSCRIPTEN_KEEPALIVE const std::int16_t* clip2c_bank_clip_decoded(const Clip2cBank* b, std::uint32_t index) {
    return b->decoded[index].data();
}
EMSCRIPTEN_KEEPALIVE std::uint32_t clip2c_bank_clip_adpcm_samples(const Clip2cBank* b, std::uint32_t index) {
    return bankClip(b, index).adpcmSamples;
}
EMSCRIPTEN_KEEPALIVE void clip2c_bank_free(Clip2cBank* b) {
    for (void* block : b->blocks) std::free(block);
    delete b;
}

// The page's texts: the statuses and the notices as one JSON object
// (textsJson), owned by the module.
EMSCRIPTEN_KEEPALIVE const char* clip2c_texts() { return clip2c::board::textsJson().c_str(); }

}  // extern "C"
