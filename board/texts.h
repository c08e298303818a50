// SPDX-License-Identifier: MIT
// The board's words: the English notes said about a clip, and the one
// table of texts that the page's script shows.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace clip2c::board {

// The note `key` of the texts table with each {placeholder} filled from
// `values` (name, value); a placeholder without a value stays as written.
// Empty for an unknown key.
std::string fillNote(std::string_view key,
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

// Why a file the tool does not convert is refused, in the words the
// command line and banks say it: "the file is empty", "out of memory: ...",
// else "cannot be converted: " and the status's words.
std::string refusalText(int status);

}  // namespace clip2c::board
