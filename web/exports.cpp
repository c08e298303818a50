// SPDX-License-Identifier: MIT
// The C functions the page's script calls in the WebAssembly module: the
// engine's one-clip flow (board::makeClip, board::makeDecodedClip) and its
// banks (board::makeBank). The script reads a result as one JSON summary
// (clip2c_clip_summary, clip2c_bank_summary), whose large blocks (the
// text, the samples, the prepared WAV file) it copies out of the module by
// the index the summary gives them (clip2c_clip_buffer,
// clip2c_bank_buffer). Every pointer is into the module's memory; strings
// are UTF-8 and NUL-terminated. A handle that clip2c_make_clip or
// clip2c_make_decoded_clip returns is freed with clip2c_clip_free, one from
// clip2c_bank_new with clip2c_bank_free; a summary and its blocks live as
// long as their handle. A handle that cannot be allocated stops the module
// (it is built without exceptions, so a failed new aborts), which the page
// reports as running out of memory before it loads a fresh one. Natively
// (the unit tests) the same functions are plain C functions.
#include "web/exports.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <emscripten/emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE
#endif

#include "board/bank.h"
#include "board/json_writer.h"
#include "board/make_clip.h"
#include "board/notes.h"
#include "board/targets.h"
#include "sound/ima_adpcm.h"
#include "sound/prepare.h"

using clip2c::board::BankFile;
using clip2c::board::BankRefusal;
using clip2c::board::BankResult;
using clip2c::board::BoardClip;
using clip2c::board::ClipOutcome;
using clip2c::board::ClipRequest;
using clip2c::board::Encoding;
using clip2c::board::JsonWriter;
using clip2c::board::Target;

namespace {

// Bits of a request's flags, which clip2c_flags names for the script.
constexpr std::pair<std::string_view, int> kFlags[] = {{"normalize", 1}, {"trim", 2}, {"forcePrepare", 4}};
constexpr int kNormalize = kFlags[0].second;
constexpr int kTrim = kFlags[1].second;
constexpr int kForcePrepare = kFlags[2].second;

std::string_view outcomeName(ClipOutcome outcome) {
    switch (outcome) {
        case ClipOutcome::Made:
            return "made";
        case ClipOutcome::Refused:
            return "refused";
        case ClipOutcome::NeedsDecoder:
            return "needs-decoder";
    }
    return "";
}

std::string_view refusalName(BankRefusal refusal) {
    switch (refusal) {
        case BankRefusal::None:
            return "none";
        case BankRefusal::NoClips:
            return "no-clips";
        case BankRefusal::BadName:
            return "bad-name";
        case BankRefusal::ClipRefused:
            return "clip-refused";
        case BankRefusal::NeedsDecoder:
            return "needs-decoder";
        case BankRefusal::EmptyClip:
            return "empty-clip";
        case BankRefusal::OverArray:
            return "over-array";
    }
    return "";
}

// Writes {"buffer": index, "length": bytes} for the block, with "bits"
// when given, and keeps it in `summary` under that index.
void buffer(JsonWriter& json, Clip2cSummary& summary, const void* data, std::size_t length, int bits = 0) {
    json.open('{').key("buffer").number(static_cast<std::int64_t>(summary.buffers.size()));
    json.key("length").number(static_cast<std::int64_t>(length));
    if (bits != 0) json.key("bits").number(bits);
    json.close('}');
    summary.buffers.push_back({data, length});
}

// The samples a clip sounds as, for the page to draw and play: the array's
// `bytes` for 8-bit PCM (8 bits, unsigned), the `adpcmSamples` they decode
// to for IMA ADPCM (16 bits, signed).
void sound(JsonWriter& json, Clip2cSummary& summary, const std::vector<std::uint8_t>& bytes,
           Encoding encoding, std::uint32_t adpcmSamples) {
    if (encoding != Encoding::ImaAdpcm) {
        buffer(json, summary, bytes.data(), bytes.size(), 8);
        return;
    }
    const std::vector<std::int16_t>& decoded =
        summary.decoded.emplace_back(clip2c::sound::decodeAdpcm(bytes.data(), bytes.size(), adpcmSamples));
    buffer(json, summary, decoded.data(), decoded.size() * sizeof(std::int16_t), 16);
}

// The summary of a clip: the one function that reads a BoardClip's fields.
//   {"outcome": "made" | "refused" | "needs-decoder", "status": the tool's
//    status (the "status" of clip2c_texts), "name", "notes": [...],
//    "rateOffer", "notWave", "prepareRate",
//    "text": buffer, "outputName", "arrayName", "bytes": the array's bytes,
//    "sound": buffer with "bits", "rate", "fits", "fitText",
//    "what", "preparedWave": buffer, "preparedName"}
// The text and the figures are empty (0) unless the clip was made; the
// prepared WAV file, its name and what was done unless it was prepared.
Clip2cSummary summarizeClip(const BoardClip& clip) {
    Clip2cSummary summary;
    JsonWriter json;
    json.open('{');
    json.key("outcome").string(outcomeName(clip.outcome));
    json.key("status").number(static_cast<std::int64_t>(clip.status));
    json.key("name").string(clip.name);
    json.key("notes").open('[');
    for (const std::string& note : clip.notes) json.string(note);
    json.close(']');
    json.key("rateOffer").boolean(clip.rateKept != 0);
    json.key("notWave").boolean(clip.source.notWave);
    json.key("prepareRate").number(clip.prepareRate);
    json.key("refusal").string(clip2c::board::refusalEnglish(clip.refusal));
    const clip2c::board::MadeClip& made = clip.made;
    json.key("text");
    buffer(json, summary, made.text.data(), made.text.size());
    json.key("outputName").string(made.outputName);
    json.key("arrayName").string(made.arrayName);
    json.key("bytes").number(static_cast<std::int64_t>(made.bytes.size()));
    json.key("sound");
    sound(json, summary, made.bytes, made.encoding, made.sampleCount);
    json.key("rate").number(made.sampleRate);
    json.key("fits").boolean(made.fit.fits);
    json.key("fitText").string(made.fit.text);
    json.key("what").string(made.how);
    json.key("preparedWave");
    buffer(json, summary, made.preparedWave.data(), made.preparedWave.size());
    json.key("preparedName").string(made.preparedName);
    json.close('}');
    summary.json = json.take();
    return summary;
}

// The summary of a bank: the one function that reads a BankResult's fields
// and those of its clips.
//   {"refusal": "none" | "no-clips" | "bad-name" | "clip-refused" |
//    "needs-decoder" | "empty-clip" | "over-array", "refusedClip": the
//    index of the clip a refusal is for (-1 for none and for the bank's
//    own), "refusalText", "text": buffer, "notes": [...], "fits", "fitText",
//    "sampleCount", "clips": [{"name", "bytes", "sound", "rate"}, ...],
//    "decodedWaves": [buffer | null, ...]}
// "clips" are the clips made, "decodedWaves" one a file: the WAV file a
// file the browser decoded entered the bank as (clip2c_bank_decoded).
Clip2cSummary summarizeBank(const BankResult& bank,
                            const std::vector<std::vector<std::uint8_t>>& decodedWaves) {
    Clip2cSummary summary;
    JsonWriter json;
    json.open('{');
    json.key("refusal").string(refusalName(bank.refusal));
    const bool clipRefusal = bank.refusal >= BankRefusal::ClipRefused;
    json.key("refusedClip").number(clipRefusal ? static_cast<std::int64_t>(bank.refusedClip) : -1);
    json.key("refusalText").string(bank.refusalText);
    json.key("text");
    buffer(json, summary, bank.text.data(), bank.text.size());
    json.key("notes").open('[');
    for (const std::string& note : bank.notes) json.string(note);
    json.close(']');
    json.key("fits").boolean(bank.fit.fits);
    json.key("fitText").string(bank.fit.text);
    json.key("sampleCount").number(static_cast<std::int64_t>(bank.sampleCount));
    json.key("clips").open('[');
    for (const BoardClip& clip : bank.clips) {
        const clip2c::board::MadeClip& made = clip.made;
        json.open('{').key("name").string(clip.name);
        json.key("bytes").number(static_cast<std::int64_t>(made.bytes.size()));
        json.key("sound");
        sound(json, summary, made.bytes, made.encoding, made.sampleCount);
        json.key("rate").number(made.sampleRate).close('}');
    }
    json.close(']');
    json.key("decodedWaves").open('[');
    for (const std::vector<std::uint8_t>& wave : decodedWaves) {
        if (wave.empty()) {
            json.null();
        } else {
            buffer(json, summary, wave.data(), wave.size());
        }
    }
    json.close(']');
    json.close('}');
    summary.json = json.take();
    return summary;
}

Target targetOf(const char* word) {
    return word == nullptr ? Target::C : clip2c::board::targetNamed(word).value_or(Target::C);
}

Encoding encodingOf(const char* word) {
    return word == nullptr ? Encoding::Pcm8 : clip2c::board::encodingNamed(word).value_or(Encoding::Pcm8);
}

clip2c::sound::PrepareOptions optionsOf(int flags) {
    clip2c::sound::PrepareOptions options;
    options.normalize = (flags & kNormalize) != 0;
    options.trim = (flags & kTrim) != 0;
    return options;
}

Clip2cClip* handOut(ClipRequest request, BoardClip clip) {
    auto* c = new Clip2cClip{std::move(request), std::move(clip), {}};
    c->summary = summarizeClip(c->clip);
    return c;
}

const void* bufferAt(const Clip2cSummary& summary, std::uint32_t index) {
    return index < summary.buffers.size() ? summary.buffers[index].data : nullptr;
}

std::string flagsJson() {
    JsonWriter json;
    json.open('{');
    for (const auto& [name, bit] : kFlags) json.key(name).number(bit);
    json.close('}');
    return json.take();
}

}  // namespace

extern "C" {

// Memory for the script to copy a file or decoded sound into; null when it
// cannot be had (a plain malloc, which does not stop the module).
EMSCRIPTEN_KEEPALIVE void* clip2c_alloc(std::uint32_t size) { return std::malloc(size == 0 ? 1 : size); }
EMSCRIPTEN_KEEPALIVE void clip2c_release(void* block) { std::free(block); }

// The page's texts: the statuses and the notices as one JSON object
// (textsJson), owned by the module.
EMSCRIPTEN_KEEPALIVE const char* clip2c_texts() { return clip2c::board::textsJson().c_str(); }

// The bits of the `flags` that clip2c_make_clip and clip2c_bank_new take,
// as one JSON object of their names: {"normalize": 1, ...}.
EMSCRIPTEN_KEEPALIVE const char* clip2c_flags() {
    static const std::string json = flagsJson();
    return json.c_str();
}

// The clip of the file `bytes` called `fileName` (no folders), made by the
// engine (makeClip): under `name`, or the file's own when `name` is null;
// for the target named `target` ("c", "firmware", "progmem", "flash", as
// the command line names them; C for any other or null), in the encoding
// named `encoding` ("pcm8", "ima-adpcm"; 8-bit PCM for any other or null);
// at `rate` (0: a WAV file's own, 8000 Hz for a raw clip). The flags
// (clip2c_flags) ask to normalize, to trim, and to prepare a WAV file at
// `rate` that would convert as it is at its own.
// The script passes plain numbers and strings by position, the one way a
// C function is called from it.
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
EMSCRIPTEN_KEEPALIVE Clip2cClip* clip2c_make_clip(const std::uint8_t* bytes, std::uint32_t length,
                                                  const char* fileName, const char* name, int isSigned,
                                                  const char* target, const char* encoding,
                                                  std::uint32_t rate, int flags) {
    ClipRequest request;
    request.fileName = fileName;
    if (name != nullptr) request.name = name;
    request.target = targetOf(target);
    request.isSigned = isSigned != 0;
    request.rate = rate;
    request.forcePrepare = (flags & kForcePrepare) != 0;
    request.options = optionsOf(flags);
    request.encoding = encodingOf(encoding);
    BoardClip clip = clip2c::board::makeClip(bytes, length, request);
    return handOut(std::move(request), std::move(clip));
}
// NOLINTEND(bugprone-easily-swappable-parameters)

// `first` (outcome "needs-decoder") finished from `channelCount` planar
// float channels of `frames` samples each, decoded at its prepare rate
// (makeDecodedClip). `first` stays the caller's to free.
EMSCRIPTEN_KEEPALIVE Clip2cClip* clip2c_make_decoded_clip(const Clip2cClip* first, const float* planar,
                                                          std::uint32_t channelCount, std::uint32_t frames) {
    BoardClip clip =
        clip2c::board::makeDecodedClip(first->clip, first->request, {planar, channelCount, frames});
    return handOut(first->request, std::move(clip));
}

// The clip's summary (summarizeClip) and the block its buffer `index`
// names; null past them.
EMSCRIPTEN_KEEPALIVE const char* clip2c_clip_summary(const Clip2cClip* c) { return c->summary.json.c_str(); }
EMSCRIPTEN_KEEPALIVE const void* clip2c_clip_buffer(const Clip2cClip* c, std::uint32_t index) {
    return bufferAt(c->summary, index);
}
EMSCRIPTEN_KEEPALIVE void clip2c_clip_free(Clip2cClip* c) { delete c; }

// An empty bank called `name` ("sounds" when null), whose clips are all
// made with these options: those of clip2c_make_clip (but forcePrepare: a
// bank prepares every WAV file at `rate` unless it is 0).
// NOLINTBEGIN(bugprone-easily-swappable-parameters)
EMSCRIPTEN_KEEPALIVE Clip2cBank* clip2c_bank_new(const char* name, int isSigned, const char* target,
                                                 const char* encoding, std::uint32_t rate, int flags) {
    auto* b = new Clip2cBank;
    if (name != nullptr) b->request.name = name;
    b->request.target = targetOf(target);
    b->request.isSigned = isSigned != 0;
    b->request.rate = rate;
    b->request.options = optionsOf(flags);
    b->request.encoding = encodingOf(encoding);
    return b;
}

// Adds the file `block` (from clip2c_alloc, the bank's from now on: the
// script neither releases nor changes it) of `length` bytes, called
// `fileName`, under `name`, or the file's own when `name` is null, as the
// bank's last file.
EMSCRIPTEN_KEEPALIVE void clip2c_bank_add(Clip2cBank* b, std::uint8_t* block, std::uint32_t length,
                                          const char* fileName, const char* name) {
    b->blocks.push_back(block);
    b->decodedWaves.emplace_back();
    BankFile file;
    file.bytes = block;
    file.length = length;
    file.fileName = fileName;
    if (name != nullptr) file.name = name;
    b->request.files.push_back(std::move(file));
}

// The file at `index`, which only the browser decodes, replaced by the
// WAV file of its sound: `channelCount` planar float channels of `frames`
// samples each, decoded at `rate`, mixed to mono (neither normalized nor
// trimmed: the bank does that, as for every clip) at 8 bits (mixToEightBit),
// or at 16 bits for IMA ADPCM (mixToSixteen), so that the bank encodes it
// from the samples a clip alone is made from; called `fileName`. 1 when
// done; 0 for an index past the files or a sound too long for a WAV file.
EMSCRIPTEN_KEEPALIVE int clip2c_bank_decoded(Clip2cBank* b, std::uint32_t index, const float* planar,
                                             std::uint32_t channelCount, std::uint32_t frames,
                                             std::uint32_t rate, const char* fileName) {
    if (index >= b->request.files.size()) return 0;
    std::vector<std::uint8_t> wave =
        b->request.encoding == Encoding::ImaAdpcm
            ? clip2c::sound::makeSixteenBitWaveFile(
                  clip2c::sound::mixToSixteen({planar, channelCount, frames}), rate)
            : clip2c::sound::makeWaveFile(clip2c::sound::mixToEightBit({planar, channelCount, frames}), rate);
    if (wave.empty()) return 0;
    std::vector<std::uint8_t>& held = b->decodedWaves[index];
    held = std::move(wave);
    BankFile& file = b->request.files[index];
    file.bytes = held.data();
    file.length = static_cast<std::uint32_t>(held.size());
    file.fileName = fileName;
    std::free(b->blocks[index]);
    b->blocks[index] = nullptr;
    return 1;
}
// NOLINTEND(bugprone-easily-swappable-parameters)

// Makes the bank of the files added (makeBank) and its summary
// (summarizeBank).
EMSCRIPTEN_KEEPALIVE void clip2c_bank_make(Clip2cBank* b) {
    b->result = clip2c::board::makeBank(b->request);
    b->summary = summarizeBank(b->result, b->decodedWaves);
}

// The summary of the bank made and the block its buffer `index` names;
// null past them.
EMSCRIPTEN_KEEPALIVE const char* clip2c_bank_summary(const Clip2cBank* b) { return b->summary.json.c_str(); }
EMSCRIPTEN_KEEPALIVE const void* clip2c_bank_buffer(const Clip2cBank* b, std::uint32_t index) {
    return bufferAt(b->summary, index);
}
EMSCRIPTEN_KEEPALIVE void clip2c_bank_free(Clip2cBank* b) {
    for (void* block : b->blocks) std::free(block);
    delete b;
}

}  // extern "C"
