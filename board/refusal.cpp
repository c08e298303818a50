// SPDX-License-Identifier: MIT
#include "board/refusal.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "board/names.h"
#include "board/notes.h"
#include "board/numbers.h"
#include "input/riff.h"
#include "sound/pcm_wave.h"

namespace clip2c::board {
namespace {

std::string hex4(std::uint32_t value) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
    return "0x" + text;
}

// A WAV format tag as a person knows it, with its number.
std::string formatName(std::uint32_t tag) {
    constexpr std::pair<std::uint32_t, std::string_view> kNames[] = {
        {riff::kMsAdpcmTag, "Microsoft ADPCM"},
        {riff::kALawTag, "A-law"},
        {riff::kMuLawTag, "u-law"},
        {riff::kImaAdpcmTag, "IMA ADPCM"},
        {riff::kGsmTag, "GSM 6.10"},
        {riff::kMpegTag, "MPEG"},
        {riff::kMp3Tag, "MP3"},
        {riff::kWmaTag, "Windows Media Audio"},
    };
    const auto* known = std::find_if(std::begin(kNames), std::end(kNames),
                                     [tag](const auto& entry) { return entry.first == tag; });
    std::string number = "format " + hex4(tag);
    if (known == std::end(kNames)) return number;
    return std::string(known->second).append(" (").append(number).append(")");
}

// Whether a file name (a loaded file's, so never empty) can stand in a
// shell command as it is.
bool isPlainName(std::string_view name) {
    constexpr std::string_view kPlain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-";
    return name.find_first_not_of(kPlain) == std::string_view::npos && name.substr(0, 1) != "-";
}

// "decode it first, e.g. sox song.mp3 -b 16 song.wav": the command names
// the file itself when it can, else stand-ins; `rateOption` goes before the
// input ("-r 8000 ", which makes sox take that rate for the file's own).
std::string decodeHint(std::string_view fileName, std::string_view first = "decode it first",
                       std::string_view rateOption = "") {
    std::string from = "in.wav";
    std::string to = "out.wav";
    if (isPlainName(fileName)) {
        from = std::string(fileName);
        const std::size_t dot = from.rfind('.');
        const std::string stem = from.substr(0, dot == 0 ? std::string::npos : dot);
        const std::string_view extension = dot == std::string::npos ? "" : fileName.substr(dot);
        to = stem + (extension == ".wav" ? "-pcm.wav" : ".wav");
    }
    return std::string(first) + ", e.g. sox " + std::string(rateOption) + from + " -b 16 " + to;
}

}  // namespace

std::string refusalEnglish(const Refusal& refusal) {
    const std::string& fileName = refusal.fileName;
    const std::string& detail = refusal.detail;
    const bool known = detail == "MP3" || detail == "OGG" || detail == "FLAC";
    const std::string holds = known ? "; it holds " + detail + " data: " : "; ";
    switch (refusal.kind) {
        case RefusalKind::None:
            break;
        case RefusalKind::Compressed:
            return "a compressed or non-PCM WAV file, " + formatName(refusal.formatTag) +
                   ", which clip2c-board does not read; " + decodeHint(fileName);
        case RefusalKind::ZeroRate:
            return "the WAV file gives its sample rate as 0 Hz, so its sound cannot be prepared; " +
                   decodeHint(fileName, "write the rate it plays at into it first",
                              "-r " + decimal(refusal.rate) + " ");
        case RefusalKind::TooLongForWave:
            return "at " + decimal(refusal.rate) +
                   " Hz the clip would be too long for a WAV file; choose a lower --rate";
        case RefusalKind::NoFormat:
            return "a WAV file without a readable \"fmt \" chunk, so its sound cannot be read; " +
                   decodeHint(fileName);
        case RefusalKind::UnreadablePcm:
            return "a WAV file whose PCM data cannot be read (" + detail + ", " +
                   decimal(refusal.blockAlign) + " bytes a frame); " + decodeHint(fileName);
        case RefusalKind::NotWave:
            return "not a WAV file" + holds + decodeHint(fileName);
        case RefusalKind::NotWaveOrRaw:
            return "clip2c-board reads WAV and raw files only" + holds + decodeHint(fileName);
        case RefusalKind::Empty:
            return "the file is empty";
        case RefusalKind::OutOfMemory:
            return "out of memory: the clip or its text does not fit";
        case RefusalKind::Unconvertible:
            return "cannot be converted: " + std::string(statusEnglish(static_cast<int>(refusal.status)));
        case RefusalKind::EmptyClip:
            return "the clip has no samples, and a bank holds no empty clip (C has no empty array)";
        case RefusalKind::OverArray:
            return arrayLimitText({refusal.bytes, refusal.rate, refusal.encoding});
        case RefusalKind::NoClips:
            return "a bank needs at least one clip";
        case RefusalKind::BadBankName:
            return detail +
                   ": the bank's name gives no C identifier (a letter, then letters, digits and _); try " +
                   proposeName(detail);
    }
    return {};
}

std::optional<Refusal> compressedRefusal(const std::string& fileName, const std::uint8_t* bytes,
                                         std::uint32_t length) {
    if (classifyInput(fileName) == ".raw" || !riff::isRiffWave(bytes, length)) return std::nullopt;
    const std::uint32_t tag = sound::readPcmWave(bytes, length).formatTag;
    if (tag == 0 || tag == riff::kPcmTag || tag == riff::kFloatTag) return std::nullopt;
    Refusal refusal;
    refusal.kind = RefusalKind::Compressed;
    refusal.fileName = fileName;
    refusal.formatTag = tag;
    return refusal;
}

}  // namespace clip2c::board
