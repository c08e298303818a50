// SPDX-License-Identifier: MIT
#include "board/make_clip.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "board/clip_header.h"
#include "board/header.h"
#include "board/names.h"
#include "board/notes.h"
#include "board/numbers.h"
#include "csource/array_source.h"
#include "csource/conversion.h"
#include "input/riff.h"
#include "sound/ima_adpcm.h"
#include "sound/pcm_wave.h"

namespace clip2c::board {
namespace {

std::string channelWord(std::uint32_t channels) {
    if (channels == 1) return "mono";
    if (channels == 2) return "stereo";
    return decimal(channels) + "-channel";
}

// A WAV file's format as the chunk walk reads it, e.g. "16-bit stereo 44100 Hz".
std::string describeWave(const SourceFacts& source) {
    return decimal(source.bits) + "-bit " + channelWord(source.channels) + " " + decimal(source.rate) + " Hz";
}

bool startsWith(const std::uint8_t* bytes, std::uint32_t length, std::string_view id) {
    return length >= id.size() && std::equal(id.begin(), id.end(), bytes);
}

// The container a file's first bytes name, else its extension in capitals,
// else "decoded".
std::string containerName(const std::uint8_t* bytes, std::uint32_t length, const std::string& fileName) {
    if (startsWith(bytes, length, "OggS")) return "OGG";
    if (startsWith(bytes, length, "fLaC")) return "FLAC";
    if (startsWith(bytes, length, "ID3") || (length >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0)) {
        return "MP3";
    }
    if (length >= 4 && riff::readU32le(bytes) == riff::kRiffId) return "WAV";
    const std::size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? "" : fileName.substr(dot + 1);
    const bool plain = !extension.empty() && extension.size() <= 5 &&
                       std::all_of(extension.begin(), extension.end(), [](char c) {
                           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
                       });
    if (!plain) return "decoded";
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return extension;
}

// The facts of the file that the tool's conversion as it is read.
SourceFacts sourceOf(const ClipResult& asIs) {
    SourceFacts source;
    source.isRaw = asIs.isRaw;
    source.isRiffWave = asIs.isRiffWave;
    source.channels = asIs.sourceChannels;
    source.bits = asIs.sourceBits;
    source.rate = asIs.sourceRate;
    source.dataPromised = asIs.dataPromised;
    source.dataHeld = asIs.dataHeld;
    source.outputName = asIs.outputName;
    return source;
}

// Refuses `clip` for its status.
void refuse(BoardClip& clip, const ClipRequest& request) {
    clip.outcome = ClipOutcome::Refused;
    clip.refusal.fileName = request.fileName;
    clip.refusal.status = clip.status;
    clip.refusal.kind = clip.status == ClipStatus::Unreadable    ? RefusalKind::Empty
                        : clip.status == ClipStatus::OutOfMemory ? RefusalKind::OutOfMemory
                                                                 : RefusalKind::Unconvertible;
}

// The samples a prepare gives, at the width the encoding takes.
using Samples = std::variant<std::vector<std::uint8_t>, std::vector<std::int16_t>>;

// Makes `samples`, at clip.prepareRate, into the clip `made` holds, in
// the request's encoding and for its target: the one step from samples to
// a clip. 8-bit samples are named and made as the tool converts them held
// in a WAV file called "<name>.wav" (the download, which the tool turns
// into this very text); 16-bit ones are encoded in IMA ADPCM.
void finish(BoardClip& clip, const ClipRequest& request, Samples samples, std::string_view outputName) {
    MadeClip& made = clip.made;
    made = MadeClip{};
    clip.refusal = Refusal{};
    made.preparedName = clip.name + ".wav";
    made.sampleRate = clip.prepareRate;
    std::size_t count = 0;
    if (auto* eight = std::get_if<std::vector<std::uint8_t>>(&samples)) {
        count = eight->size();
        made.outputName = deriveOutputPath(made.preparedName, ".wav");
        made.arrayName = deriveArrayName(made.preparedName, ".wav") + "_wave";
        // No file is made of a clip too long for a WAV file's 32-bit sizes,
        // which no memory would hold as text either.
        made.preparedWave = sound::makeWaveFile(*eight, made.sampleRate);
        if (!made.preparedWave.empty()) {
            made.sampleCount = static_cast<std::uint32_t>(count);
            made.bytes = std::move(*eight);
        }
    } else {
        const auto& sixteen = std::get<std::vector<std::int16_t>>(samples);
        count = sixteen.size();
        made.encoding = Encoding::ImaAdpcm;
        made.outputName = outputName.empty() ? clip.name + ".h" : std::string(outputName);
        made.arrayName = clip.name + "_adpcm";
        // Past what a WAV file's sizes hold, no text is made either.
        if (sound::adpcmBytes(count) <= sound::kWaveDataLimit) {
            made.bytes = sound::encodeAdpcm(sixteen.data(), count);
            made.sampleCount = static_cast<std::uint32_t>(sound::adpcmSampleCount(count));
            made.preparedWave = sound::makeAdpcmWaveFile(made.bytes, made.sampleCount, made.sampleRate);
        }
    }
    if (!made.preparedWave.empty()) {
        const ClipFacts facts = factsOf(clip, request.isSigned);
        made.text = render(clipHeader(request.target, facts, made.bytes));
        made.fit = fitFor(request.target,
                          {static_cast<std::uint32_t>(made.bytes.size()), made.sampleRate, made.encoding});
    }
    if (made.text.empty()) {
        clip.status = ClipStatus::OutOfMemory;
        refuse(clip, request);
        made.arrayName.clear();
        return;
    }
    clip.outcome = ClipOutcome::Made;
    clip.status = ClipStatus::Converted;
    if (request.options.trim && count == 0) clip.notes.push_back(fillNote(Notice::TrimmedToNothing));
    made.how = clip.source.description + " \xE2\x86\x92 " +
               (made.encoding == Encoding::ImaAdpcm ? "IMA ADPCM mono " : "8-bit mono ") +
               decimal(clip.prepareRate) + " Hz";
    if (request.options.normalize) made.how += ", normalized";
    if (request.options.trim) made.how += ", trimmed";
}

// Why the engine does not read the sound of `clip`, a file of `bytes`.
Refusal decoderRefusal(const BoardClip& clip, const ClipRequest& request, const std::uint8_t* bytes,
                       std::uint32_t length) {
    // A format that is no PCM is refused in the words the command line
    // says before it looks further.
    if (std::optional<Refusal> compressed = compressedRefusal(request.fileName, bytes, length))
        return *compressed;
    Refusal refusal;
    refusal.fileName = request.fileName;
    refusal.detail = clip.source.description;
    if (!clip.source.isRiffWave) {
        refusal.kind = clip.source.notWave ? RefusalKind::NotWave : RefusalKind::NotWaveOrRaw;
        return refusal;
    }
    const sound::PcmWave wave = sound::readPcmWave(bytes, length);
    // The engine resamples from the file's own rate, and there is none to
    // resample from: only the file mended says it.
    if (wave.readable && wave.sampleRate == 0) {
        refusal.kind = RefusalKind::ZeroRate;
        refusal.rate = clip.prepareRate != 0 ? clip.prepareRate : kDefaultRate;
    } else if (wave.readable) {
        refusal.kind = RefusalKind::TooLongForWave;
        refusal.rate = clip.prepareRate;
    } else if (wave.formatTag == 0) {
        refusal.kind = RefusalKind::NoFormat;
    } else {
        refusal.kind = RefusalKind::UnreadablePcm;
        refusal.blockAlign = wave.blockAlign;
    }
    return refusal;
}

// Leaves `clip` to a decoder: the engine does not read its sound.
void handOver(BoardClip& clip, const ClipRequest& request, const std::uint8_t* bytes, std::uint32_t length) {
    clip.outcome = ClipOutcome::NeedsDecoder;
    clip.source.notWave = clip.status != ClipStatus::NotRawOrWav && !clip.source.isRiffWave;
    clip.source.description = clip.source.channels != 0 ? describeWave(clip.source)
                                                        : containerName(bytes, length, request.fileName);
    clip.refusal = decoderRefusal(clip, request, bytes, length);
}

// Sets clip.name as makeClip's step 1 says, with its note, which names the
// array the encoding declares.
void chooseName(BoardClip& clip, const ClipRequest& request) {
    const std::string_view suffix = request.encoding == Encoding::ImaAdpcm ? "_adpcm" : "_wave";
    if (request.name) {
        clip.name = *request.name;
        if (!givesIdentifier(clip.name)) {
            clip.notes.push_back(
                fillNote(Notice::NameNotIdentifier, {{"array", clip.name + std::string(suffix)}}));
        }
        return;
    }
    const std::string base = clipName(request.fileName);
    clip.name = proposeName(base);
    if (clip.name != base) {
        clip.notes.push_back(
            fillNote(Notice::NameProposed, {{"file", base}, {"array", clip.name + std::string(suffix)}}));
    }
}

// Whether a WAV file the tool converts as it is keeps its own rate, which
// it does unless another is forced; an 8-bit clip only while no option asks
// it to be prepared, an IMA ADPCM clip, always prepared, whatever the
// options. A rate so kept, which is not the chosen one, is noted.
bool keepsOwnRate(BoardClip& clip, const ClipRequest& request, const ClipResult& asIs) {
    const bool otherRate = !asIs.isRaw && request.rate != 0 && asIs.sampleRate != request.rate;
    const bool asksMore = request.options.normalize || request.options.trim;
    const bool keeps = asIs.status == ClipStatus::Converted && !asIs.isRaw &&
                       !(request.forcePrepare && otherRate) &&
                       (request.encoding == Encoding::ImaAdpcm || !asksMore);
    if (keeps && otherRate) {
        clip.notes.push_back(fillNote(
            Notice::RateKept, {{"fileRate", decimal(asIs.sampleRate)}, {"rate", decimal(request.rate)}}));
        clip.rateKept = asIs.sampleRate;
    }
    return keeps;
}

// The samples of the raw clip or PCM WAV file `bytes` prepared at
// clip.prepareRate, at the width the encoding takes; nothing when the
// engine does not read the file's sound, and for 8 bits when the clip
// would be too long for a WAV file (a decoder then says so).
std::optional<Samples> prepared(const BoardClip& clip, const ClipRequest& request, const std::uint8_t* bytes,
                                std::uint32_t length) {
    const bool adpcm = request.encoding == Encoding::ImaAdpcm;
    if (clip.source.isRaw) {
        if (adpcm) return sound::prepareRawSixteen({bytes, length}, request.options);
        return sound::prepareRawEight({bytes, length}, request.options);
    }
    if (clip.prepareRate == 0) return std::nullopt;
    if (adpcm) {
        auto sixteen = sound::prepareWaveSixteen({bytes, length}, clip.prepareRate, request.options);
        if (!sixteen) return std::nullopt;
        return std::move(*sixteen);
    }
    auto eight = sound::prepareWaveEight({bytes, length}, clip.prepareRate, request.options);
    if (!eight || eight->size() > sound::kWaveDataLimit) return std::nullopt;
    return std::move(*eight);
}

// The clip of the file converted as it is (`asIs`, which gives up its text
// and samples, so that a long clip is held once).
void madeAsIs(BoardClip& clip, ClipResult& asIs) {
    clip.outcome = ClipOutcome::Made;
    clip.status = ClipStatus::Converted;
    MadeClip& made = clip.made;
    made.arrayName = asIs.arrayName;
    made.outputName = asIs.outputName;
    made.sampleRate = asIs.sampleRate;
    made.sampleCount = static_cast<std::uint32_t>(asIs.samples.size());
    made.bytes = std::move(asIs.samples);
    made.text = std::move(asIs.text);
    made.fit = asIs.fit;
}

}  // namespace

BoardClip makeClip(const std::uint8_t* bytes, std::uint32_t length, const ClipRequest& request) {
    BoardClip clip;
    chooseName(clip, request);
    const std::uint32_t rawRate = request.rate != 0 ? request.rate : kDefaultRate;
    ClipResult asIs = convertClip(bytes, length, convertName(request.fileName, clip.name), request.isSigned,
                                  request.target, rawRate);
    clip.source = sourceOf(asIs);
    clip.status = asIs.status;
    if (asIs.dataHeld < asIs.dataPromised) {
        clip.notes.push_back(fillNote(
            Notice::CutShort, {{"held", grouped(asIs.dataHeld)}, {"promised", grouped(asIs.dataPromised)}}));
    }
    const bool preparable = asIs.status == ClipStatus::Converted || asIs.status == ClipStatus::NotRawOrWav ||
                            asIs.status == ClipStatus::NotMono || asIs.status == ClipStatus::NotEightBit;
    const bool adpcm = request.encoding == Encoding::ImaAdpcm;
    const bool asksMore = request.options.normalize || request.options.trim;
    const bool keepsOwn = keepsOwnRate(clip, request, asIs);
    if (!adpcm && keepsOwn) {
        madeAsIs(clip, asIs);
        return clip;
    }
    // A raw clip that asks for nothing more is the tool's own too.
    if (!adpcm && asIs.isRaw && asIs.status == ClipStatus::Converted && !asksMore) {
        madeAsIs(clip, asIs);
        return clip;
    }
    if (!preparable) {
        if (asIs.status == ClipStatus::Unreadable) clip.notes.push_back(fillNote(Notice::Empty));
        refuse(clip, request);
        return clip;
    }
    if (!adpcm && asIs.status == ClipStatus::Converted && asksMore)
        clip.notes.push_back(fillNote(Notice::PreparedOnRequest));

    // A raw clip or a PCM WAV file is the engine's alone, exact at every
    // width and resampled by it at any rate; everything else needs a decoder.
    clip.prepareRate = asIs.isRaw          ? rawRate
                       : keepsOwn          ? asIs.sampleRate
                       : request.rate != 0 ? request.rate
                                           : asIs.sourceRate;
    if (std::optional<Samples> samples = prepared(clip, request, bytes, length)) {
        clip.source.description = asIs.isRaw ? "raw 8-bit" : describeWave(clip.source);
        finish(clip, request, std::move(*samples), asIs.outputName);
        return clip;
    }
    handOver(clip, request, bytes, length);
    return clip;
}

BoardClip makeDecodedClip(const BoardClip& first, const ClipRequest& request, sound::Planar decoded) {
    BoardClip clip = first;
    // The chunk walk's reading of a WAV's format stands; for anything else
    // the decoder tells the channels.
    if (first.source.channels == 0)
        clip.source.description = first.source.description + " " + channelWord(decoded.channels);
    Samples samples = std::vector<std::uint8_t>{};
    if (request.encoding == Encoding::ImaAdpcm) {
        samples = sound::mixToSixteen(decoded, request.options);
    } else {
        samples = sound::mixToEightBit(decoded, request.options);
    }
    finish(clip, request, std::move(samples), first.source.outputName);
    return clip;
}

ClipFacts factsOf(const BoardClip& clip, bool isSigned) {
    const MadeClip& made = clip.made;
    const auto bytes = static_cast<std::uint32_t>(made.bytes.size());
    if (made.encoding == Encoding::ImaAdpcm)
        return {made.arrayName, made.sampleRate, false, made.sampleCount, Encoding::ImaAdpcm, bytes};
    return {made.arrayName, made.sampleRate, isSigned, bytes};
}

}  // namespace clip2c::board
