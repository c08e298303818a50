// SPDX-License-Identifier: MIT
#include "board/notes.h"

#include <algorithm>
#include <cstdint>

#include "board/clip_conversion.h"
#include "board/json_writer.h"
#include "board/numbers.h"
#include "board/targets.h"

namespace clip2c::board {
namespace {

struct StatusText {
    ClipStatus status;
    std::string_view key;
    std::string_view english;
};

// clang-format off
constexpr StatusText kStatusTexts[] = {
    {ClipStatus::Converted, "converted", ""},
    {ClipStatus::NoInputPath, "no-input-path", "The input file's path name is not specified."},
    {ClipStatus::NotRawOrWav, "not-raw-or-wav", "The input file is neither raw nor wav."},
    {ClipStatus::NotMono, "not-mono", "wav files: only mono is supported."},
    {ClipStatus::NotEightBit, "not-eight-bit", "wav files: only 8 bit is supported."},
    {ClipStatus::Unreadable, "unreadable", "The file is empty: there are no samples to convert."},
    {ClipStatus::OutOfMemory, "out-of-memory", "Out of memory: the page could not hold the clip or its text."},
};

struct NoticeText {
    Notice notice;
    std::string_view key;  // the page's name for it
    std::string_view text;
};

// The curly quotes are written as their UTF-8 bytes, so that the text is
// the same whatever a compiler takes the source's encoding to be.
constexpr NoticeText kNotices[] = {
    {Notice::NameProposed, "name-proposed", "\xE2\x80\x9C{file}\xE2\x80\x9D does not give a C identifier, so the array would not "
                      "compile; it is named {array} instead. Choose another name to change it."},
    {Notice::RateKept, "rate-kept", "This WAV keeps its own rate, {fileRate} Hz: the chosen {rate} Hz applies to raw and "
                  "prepared clips."},
    {Notice::RateOffer, "rate-offer", "Prepare it at {rate} Hz"},
    {Notice::CutShort, "cut-short", "cut short: {held} of {promised} bytes"},
    {Notice::NotWav, "not-wav", "not a WAV file"},
    {Notice::Empty, "empty", "The file is empty: there are no samples to convert."},
    {Notice::PreparedOnRequest, "prepared-on-request", "Prepared because normalize or trim was asked for; without both it converts as it is."},
    {Notice::TrimmedToNothing, "trimmed-to-nothing", "Trim left no samples: the clip is all silence."},
    {Notice::NameNotIdentifier, "name-not-identifier", "{array} is not a C identifier: this text will not compile."},
};
// clang-format on

std::string buildTextsJson() {
    JsonWriter json;
    json.open('{').key("statuses").open('[');
    for (const StatusText& entry : kStatusTexts) {
        std::string_view japanese = statusMessage(entry.status);
        if (!japanese.empty() && japanese.back() == '\n') japanese.remove_suffix(1);
        json.open('{').key("status").number(static_cast<std::int64_t>(entry.status));
        json.key("key").string(entry.key).key("ja").string(japanese).key("en").string(entry.english);
        json.close('}');
    }
    json.close(']').key("notices").open('{');
    for (const NoticeText& notice : kNotices) json.key(notice.key).string(notice.text);
    // The figures behind the fit, for whoever wants to say them.
    const std::pair<std::string_view, std::uint32_t> limits[] = {
        {"arrayLimit", kArrayLimit},
        {"boardFlash", kBoardFlash},
        {"sketchBytes", kSketchBytes},
        {"unoClip", std::min(kArrayLimit, kBoardRoom)}};
    json.close('}').key("limits").open('{');
    for (const auto& [name, value] : limits) json.key(name).number(value);
    json.close('}').close('}');
    return json.take();
}

}  // namespace

std::string fillNote(Notice notice,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    const auto* entry = std::find_if(std::begin(kNotices), std::end(kNotices),
                                     [&](const NoticeText& text) { return text.notice == notice; });
    if (entry == std::end(kNotices)) return {};
    const std::string_view pattern = entry->text;
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t close = pattern[i] == '{' ? pattern.find('}', i) : std::string_view::npos;
        if (close == std::string_view::npos) {
            text += pattern[i];
            continue;
        }
        const std::string_view name = pattern.substr(i + 1, close - i - 1);
        const auto* value = std::find_if(values.begin(), values.end(),
                                         [&](const auto& entry) { return entry.first == name; });
        text += value == values.end() ? pattern.substr(i, close + 1 - i) : value->second;
        i = close;
    }
    return text;
}

const std::string& textsJson() {
    static const std::string json = buildTextsJson();
    return json;
}

std::string_view statusEnglish(int status) {
    for (const StatusText& entry : kStatusTexts) {
        if (static_cast<int>(entry.status) == status) return entry.english;
    }
    return "";
}

}  // namespace clip2c::board
