// SPDX-License-Identifier: MIT
#include "board/make_clip.h"

#include <algorithm>

#include "board/names.h"
#include "board/numbers.h"
#include "board/texts.h"

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
    if (startsWith(bytes, length, "RIFF")) return "WAV";
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

// Converts the prepared WAV file `wave` into `clip` under "<name>.wav", so
// that the tool, given that file, writes this very text.
void finishPrepared(BoardClip& clip, const ClipRequest& request, std::vector<std::uint8_t> wave) {
    clip.preparedName = clip.name + ".wav";
    // No file is made of a clip too long for a WAV file's 32-bit sizes,
    // which no memory would hold as text either.
    if (wave.empty()) {
        clip.result.status = ClipStatus::OutOfMemory;
    } else {
        clip.result = convertClip(wave.data(), static_cast<std::uint32_t>(wave.size()), clip.preparedName,
                                  request.isSigned, request.target, clip.prepareRate);
    }
    clip.preparedWave = std::move(wave);
    clip.status = clip.result.status;
    if (clip.status != ClipStatus::Converted) {
        clip.outcome = ClipOutcome::Refused;
        return;
    }
    clip.outcome = ClipOutcome::Made;
    if (request.options.trim && clip.result.samples.empty())
        clip.notes.push_back(fillNote("trimmed-to-nothing"));
    clip.what = clip.source + " \xE2\x86\x92 8-bit mono " + decimal(clip.prepareRate) + " Hz";
    if (request.options.normalize) clip.what += ", normalized";
    if (request.options.trim) clip.what += ", trimmed";
}

// Sets clip.name as makeClip's step 1 says, with its note.
void chooseName(BoardClip& clip, const ClipRequest& request) {
    if (request.name) {
        clip.name = *request.name;
        if (!givesIdentifier(clip.name)) {
            clip.notes.push_back(fillNote("name-not-identifier", {{"name", clip.name}}));
        }
        return;
    }
    const std::string base = clipName(request.fileName);
    clip.name = proposeName(base);
    if (clip.name != base)
        clip.notes.push_back(fillNote("name-proposed", {{"file", base}, {"name", clip.name}}));
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
            "cut-short", {{"held", grouped(asIs.dataHeld)}, {"promised", grouped(asIs.dataPromised)}}));
    }
    const bool asksMore = request.options.normalize || request.options.trim;
    const bool otherRate = !asIs.isRaw && request.rate != 0 && asIs.sampleRate != request.rate;
    if (asIs.status == ClipStatus::Converted && !asksMore && !(request.forcePrepare && otherRate)) {
        if (otherRate) {
            clip.notes.push_back(fillNote(
                "rate-kept", {{"fileRate", decimal(asIs.sampleRate)}, {"rate", decimal(request.rate)}}));
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
    const bool preparable = asIs.status == ClipStatus::Converted || asIs.status == ClipStatus::NotRawOrWav ||
                            asIs.status == ClipStatus::NotMono || asIs.status == ClipStatus::NotEightBit;
    if (!preparable) {
        if (asIs.status == ClipStatus::Unreadable) clip.notes.push_back(fillNote("empty"));
        clip.outcome = ClipOutcome::Refused;
        clip.status = asIs.status;
        return clip;
    }
    if (asIs.status == ClipStatus::Converted && asksMore)
        clip.notes.push_back(fillNote("prepared-on-request"));

    // A raw clip or a PCM WAV file is the engine's alone, exact at every
    // width and resampled by it at any rate; everything else needs a decoder.
    clip.status = asIs.status;
    if (asIs.isRaw) {
        clip.prepareRate = rawRate;
        clip.source = "raw 8-bit";
        finishPrepared(clip, request, sound::prepareRawFile(bytes, length, rawRate, request.options));
        return clip;
    }
    clip.prepareRate = request.rate != 0 ? request.rate : asIs.sourceRate;
    std::vector<std::uint8_t> wave;
    if (clip.prepareRate != 0)
        wave = sound::prepareWaveFile(bytes, length, clip.prepareRate, request.options);
    if (!wave.empty()) {
        clip.source = describeWave(asIs);
        finishPrepared(clip, request, std::move(wave));
        return clip;
    }
    clip.outcome = ClipOutcome::NeedsDecoder;
    clip.source =
        asIs.sourceChannels != 0 ? describeWave(asIs) : containerName(bytes, length, request.fileName);
    clip.notWave = asIs.status != ClipStatus::NotRawOrWav && !asIs.isRiffWave;
    return clip;
}

BoardClip makeDecodedClip(const BoardClip& first, const ClipRequest& request, const float* planar,
                          std::uint32_t channelCount, std::uint32_t frames) {
    BoardClip clip = first;
    // The chunk walk's reading of a WAV's format stands; for anything else
    // the decoder tells the channels.
    if (first.asIs.sourceChannels == 0) clip.source = first.source + " " + channelWord(channelCount);
    const std::vector<std::uint8_t> samples =
        sound::mixToEightBit(planar, channelCount, frames, request.options);
    finishPrepared(clip, request, sound::makeWaveFile(samples, clip.prepareRate));
    return clip;
}

}  // namespace clip2c::board
