// SPDX-License-Identifier: MIT
#include "board/make_clip.h"

#include <algorithm>

#include "board/clip_header.h"
#include "board/header.h"
#include "board/names.h"
#include "board/numbers.h"
#include "board/texts.h"
#include "csource/array_source.h"
#include "csource/conversion.h"
#include "input/riff.h"
#include "sound/ima_adpcm.h"

namespace clip2c::board {
namespace {

std::string channelWord(std::uint32_t channels) {
    if (channels == 1) return "mono";
    if (channels == 2) return "stereo";
    return decimal(channels) + "-channel";
}

// A WAV file's format as the chunk walk reads it, e.g. "16-bit stereo 44100 Hz".
std::string describeWave(const ClipResult& r) {
    return decimal(r.sourceBits) + "-bit " + channelWord(r.sourceChannels) + " " + decimal(r.sourceRate) +
           " Hz";
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

// Names what a prepare did, after what the sound was.
void describePrepare(BoardClip& clip, const ClipRequest& request, std::string_view made) {
    clip.what = clip.source + " \xE2\x86\x92 " + std::string(made) + " " + decimal(clip.prepareRate) + " Hz";
    if (request.options.normalize) clip.what += ", normalized";
    if (request.options.trim) clip.what += ", trimmed";
}

// Makes the prepared 8-bit samples into `clip` at clip.prepareRate, as the
// tool converts them held in a WAV file called "<name>.wav" (the
// download, preparedWave, which the tool turns into this very text).
void finishPrepared(BoardClip& clip, const ClipRequest& request, std::vector<std::uint8_t> samples) {
    clip.preparedName = clip.name + ".wav";
    ClipResult& result = clip.result;
    result = ClipResult{};
    result.target = request.target;
    // No file is made of a clip too long for a WAV file's 32-bit sizes,
    // which no memory would hold as text either.
    clip.preparedWave = sound::makeWaveFile(samples, clip.prepareRate);
    if (!clip.preparedWave.empty()) {
        const auto count = static_cast<std::uint32_t>(samples.size());
        result.isRiffWave = true;
        result.sourceChannels = 1;
        result.sourceBits = 8;
        result.sourceRate = clip.prepareRate;
        result.sampleRate = clip.prepareRate;
        result.dataPromised = count;
        result.dataHeld = count;
        result.outputName = deriveOutputPath(clip.preparedName, ".wav");
        result.arrayName = deriveArrayName(clip.preparedName, ".wav") + "_wave";
        const ClipFacts facts{result.arrayName, result.sampleRate, request.isSigned, count};
        result.text = render(clipHeader(request.target, facts, samples));
        result.samples = std::move(samples);
        result.fit = fitFor(request.target, count, result.sampleRate);
    }
    result.status = result.text.empty() ? ClipStatus::OutOfMemory : ClipStatus::Converted;
    if (result.status == ClipStatus::OutOfMemory) result.arrayName.clear();
    clip.status = result.status;
    if (clip.status != ClipStatus::Converted) {
        clip.outcome = ClipOutcome::Refused;
        return;
    }
    clip.outcome = ClipOutcome::Made;
    if (request.options.trim && clip.result.samples.empty())
        clip.notes.push_back(fillNote(Notice::TrimmedToNothing));
    describePrepare(clip, request, "8-bit mono");
}

// Leaves `clip` to a decoder: the engine does not read its sound.
void handOver(BoardClip& clip, const ClipRequest& request, const std::uint8_t* bytes, std::uint32_t length) {
    const ClipResult& asIs = clip.asIs;
    clip.outcome = ClipOutcome::NeedsDecoder;
    clip.source =
        asIs.sourceChannels != 0 ? describeWave(asIs) : containerName(bytes, length, request.fileName);
    clip.notWave = asIs.status != ClipStatus::NotRawOrWav && !asIs.isRiffWave;
}

// Encodes the prepared 16-bit samples into `clip` as IMA ADPCM.
void finishAdpcm(BoardClip& clip, const ClipRequest& request, const std::vector<std::int16_t>& samples) {
    clip.preparedName = clip.name + ".wav";
    ClipResult& result = clip.result;
    result = ClipResult{};
    result.target = request.target;
    result.encoding = Encoding::ImaAdpcm;
    result.isRaw = clip.asIs.isRaw;
    result.isRiffWave = clip.asIs.isRiffWave;
    result.outputName = clip.asIs.outputName.empty() ? clip.name + ".h" : clip.asIs.outputName;
    result.arrayName = clip.name + "_adpcm";
    result.sampleRate = clip.prepareRate;
    // Past what a WAV file's sizes hold, no text is made either.
    if (sound::adpcmBytes(samples.size()) > UINT32_MAX - 64) {
        result.status = ClipStatus::OutOfMemory;
    } else {
        result.samples = sound::encodeAdpcm(samples.data(), samples.size());
        result.adpcmSamples = static_cast<std::uint32_t>(sound::adpcmSampleCount(samples.size()));
        const auto bytes = static_cast<std::uint32_t>(result.samples.size());
        const ClipFacts facts{result.arrayName,    result.sampleRate,  false,
                              result.adpcmSamples, Encoding::ImaAdpcm, bytes};
        result.text = render(clipHeader(request.target, facts, result.samples));
        result.status = result.text.empty() ? ClipStatus::OutOfMemory : ClipStatus::Converted;
        result.fit = fitFor(request.target, bytes, result.sampleRate, Encoding::ImaAdpcm);
        clip.preparedWave = sound::makeAdpcmWaveFile(result.samples, result.adpcmSamples, result.sampleRate);
    }
    clip.status = result.status;
    if (clip.status != ClipStatus::Converted) {
        clip.outcome = ClipOutcome::Refused;
        return;
    }
    clip.outcome = ClipOutcome::Made;
    if (request.options.trim && samples.empty()) clip.notes.push_back(fillNote(Notice::TrimmedToNothing));
    describePrepare(clip, request, "IMA ADPCM mono");
}

// Makes an IMA ADPCM clip of the file once the tool's conversion as it is
// (clip.asIs) has been judged preparable.
// A raw clip plays at `rawRate`.
void makeAdpcmClip(BoardClip& clip, const ClipRequest& request, std::uint32_t rawRate,
                   const std::uint8_t* bytes, std::uint32_t length) {
    const ClipResult& asIs = clip.asIs;
    if (asIs.isRaw) {
        clip.prepareRate = rawRate;
        clip.source = "raw 8-bit";
        finishAdpcm(clip, request, sound::prepareRawSixteen(bytes, length, request.options));
        return;
    }
    // A WAV file the tool converts as it is keeps its own rate unless one
    // is forced, as its 8-bit clip would.
    const bool otherRate = request.rate != 0 && asIs.sampleRate != request.rate;
    const bool keepsOwn = asIs.status == ClipStatus::Converted && !(request.forcePrepare && otherRate);
    if (keepsOwn && otherRate) {
        clip.notes.push_back(fillNote(
            Notice::RateKept, {{"fileRate", decimal(asIs.sampleRate)}, {"rate", decimal(request.rate)}}));
        clip.rateOffer = true;
        clip.rateKept = asIs.sampleRate;
    }
    clip.prepareRate = keepsOwn ? asIs.sampleRate : request.rate != 0 ? request.rate : asIs.sourceRate;
    std::optional<std::vector<std::int16_t>> samples;
    if (clip.prepareRate != 0)
        samples = sound::prepareWaveSixteen(bytes, length, clip.prepareRate, request.options);
    if (samples) {
        clip.source = describeWave(asIs);
        finishAdpcm(clip, request, *samples);
        return;
    }
    handOver(clip, request, bytes, length);
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

}  // namespace

BoardClip makeClip(const std::uint8_t* bytes, std::uint32_t length, const ClipRequest& request) {
    BoardClip clip;
    chooseName(clip, request);
    const std::uint32_t rawRate = request.rate != 0 ? request.rate : kDefaultRate;
    clip.asIs = convertClip(bytes, length, convertName(request.fileName, clip.name), request.isSigned,
                            request.target, rawRate);
    const ClipResult& asIs = clip.asIs;
    if (asIs.dataHeld < asIs.dataPromised) {
        clip.notes.push_back(fillNote(
            Notice::CutShort, {{"held", grouped(asIs.dataHeld)}, {"promised", grouped(asIs.dataPromised)}}));
    }
    const bool preparable = asIs.status == ClipStatus::Converted || asIs.status == ClipStatus::NotRawOrWav ||
                            asIs.status == ClipStatus::NotMono || asIs.status == ClipStatus::NotEightBit;
    if (request.encoding == Encoding::ImaAdpcm && preparable) {
        clip.status = asIs.status;
        makeAdpcmClip(clip, request, rawRate, bytes, length);
        return clip;
    }
    const bool asksMore = request.options.normalize || request.options.trim;
    const bool otherRate = !asIs.isRaw && request.rate != 0 && asIs.sampleRate != request.rate;
    if (asIs.status == ClipStatus::Converted && !asksMore && !(request.forcePrepare && otherRate)) {
        if (otherRate) {
            clip.notes.push_back(fillNote(
                Notice::RateKept, {{"fileRate", decimal(asIs.sampleRate)}, {"rate", decimal(request.rate)}}));
            clip.rateOffer = true;
            clip.rateKept = asIs.sampleRate;
        }
        clip.outcome = ClipOutcome::Made;
        clip.status = ClipStatus::Converted;
        // The text and the samples move, so that a long clip is held once.
        std::string text = std::move(clip.asIs.text);
        std::vector<std::uint8_t> samples = std::move(clip.asIs.samples);
        clip.result = clip.asIs;
        clip.result.text = std::move(text);
        clip.result.samples = std::move(samples);
        return clip;
    }
    if (!preparable) {
        if (asIs.status == ClipStatus::Unreadable) clip.notes.push_back(fillNote(Notice::Empty));
        clip.outcome = ClipOutcome::Refused;
        clip.status = asIs.status;
        return clip;
    }
    if (asIs.status == ClipStatus::Converted && asksMore)
        clip.notes.push_back(fillNote(Notice::PreparedOnRequest));

    // A raw clip or a PCM WAV file is the engine's alone, exact at every
    // width and resampled by it at any rate; everything else needs a decoder.
    clip.status = asIs.status;
    if (asIs.isRaw) {
        clip.prepareRate = rawRate;
        clip.source = "raw 8-bit";
        finishPrepared(clip, request, sound::prepareRawEight(bytes, length, request.options));
        return clip;
    }
    clip.prepareRate = request.rate != 0 ? request.rate : asIs.sourceRate;
    std::optional<std::vector<std::uint8_t>> samples;
    if (clip.prepareRate != 0)
        samples = sound::prepareWaveEight(bytes, length, clip.prepareRate, request.options);
    // A clip too long for a WAV file is left to the decoder, which says so.
    if (samples && samples->size() > sound::kWaveDataLimit) samples.reset();
    if (samples) {
        clip.source = describeWave(asIs);
        finishPrepared(clip, request, std::move(*samples));
        return clip;
    }
    handOver(clip, request, bytes, length);
    return clip;
}

BoardClip makeDecodedClip(const BoardClip& first, const ClipRequest& request, const float* planar,
                          std::uint32_t channelCount, std::uint32_t frames) {
    BoardClip clip = first;
    // The chunk walk's reading of a WAV's format stands; for anything else
    // the decoder tells the channels.
    if (first.asIs.sourceChannels == 0) clip.source = first.source + " " + channelWord(channelCount);
    if (request.encoding == Encoding::ImaAdpcm) {
        finishAdpcm(clip, request, sound::mixToSixteen(planar, channelCount, frames, request.options));
        return clip;
    }
    finishPrepared(clip, request, sound::mixToEightBit(planar, channelCount, frames, request.options));
    return clip;
}

ClipFacts factsOf(const BoardClip& clip, bool isSigned) {
    const ClipResult& result = clip.result;
    const auto bytes = static_cast<std::uint32_t>(result.samples.size());
    if (result.encoding == Encoding::ImaAdpcm)
        return {result.arrayName, result.sampleRate, false, result.adpcmSamples, Encoding::ImaAdpcm, bytes};
    return {result.arrayName, result.sampleRate, isSigned, bytes};
}

}  // namespace clip2c::board
