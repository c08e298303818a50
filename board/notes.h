// SPDX-License-Identifier: MIT
// The board's words: the English notes said about a clip, and the one
// table of texts that the page's script shows.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace clip2c::board {

// The notes said about a clip, and the words of the page beside them.
enum class Notice {
    NameProposed,       // {file}, {array}: the file's name gives no identifier
    RateKept,           // {fileRate}, {rate}: a WAV file kept its own rate
    RateOffer,          // {rate}: the page's offer to prepare it at the chosen rate
    CutShort,           // {held}, {promised}: the data chunk is cut short
    NotWav,             // the bytes are no WAV file
    Empty,              // the file is empty
    PreparedOnRequest,  // prepared for normalize or trim
    TrimmedToNothing,   // trim left no samples
    NameNotIdentifier,  // {array}: the chosen name gives no identifier
};

// The text of `notice` with each {placeholder} filled from `values` (name,
// value); a placeholder without a value stays as written.
std::string fillNote(Notice notice,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> values = {});

// The page's texts as one JSON object, built once:
//   {"statuses":[{"status":0,"key":"converted","ja":"","en":""}, ...],
//    "notices":{"name-proposed":"...", ...}, "limits":{...}}
// one status entry for each ClipStatus, in order; "ja" is the tool's own
// message in UTF-8 without its line end ("" where the tool prints none);
// the notices are the English templates of fillNote.
const std::string& textsJson();

// The English words of a status ("" for Converted).
std::string_view statusEnglish(int status);

}  // namespace clip2c::board
