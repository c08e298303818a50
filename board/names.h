// SPDX-License-Identifier: MIT
// The names of a clip: the array's, the one proposed when a file's name
// gives no C identifier, and the names the tool is handed to convert it.
#pragma once

#include <string>
#include <string_view>

namespace clip2c::board {

// The base name the tool gives the array of a file called `fileName`
// (deriveArrayName under its classifying extension); for a name the tool
// does not classify, the name of the clip prepared from it (preparedName).
std::string clipName(const std::string& fileName);

// The name the tool sees for a file called `fileName` renamed to `name`:
// `name` followed by the extension that classifies `fileName` (".raw",
// else ".wav"); `fileName` itself when neither does, so that the name is
// refused as the file's own would be.
std::string convertName(const std::string& fileName, const std::string& name);

// The name a prepared clip is converted under: `name` cut at its first
// ".raw", else at its last ".wav", else at its last dot, followed by ".wav";
// so it never holds ".raw" and always classifies as a WAV file.
std::string preparedName(const std::string& name);

// Whether `<name>_wave` is a C identifier on every compiler the text is
// meant for: `name` holds only ASCII letters, digits and "_", and starts
// with a letter (so an empty name fails, and so does a leading "_", which
// C reserves at file scope).
bool givesIdentifier(std::string_view name);

// Returns `name` itself when it gives an identifier (givesIdentifier), else
// a name that does, made by these steps in order:
//   1. every run of bytes that are not ASCII letters or digits becomes one
//      "_" (so spaces, punctuation, "_" itself and every byte of a non-ASCII
//      character);
//   2. leading and trailing "_" are dropped;
//   3. a name that now starts with a digit gets "clip_" before it;
//   4. an empty name becomes "clip".
// "Bell Ring - final (v2)" gives "Bell_Ring_final_v2", "8bit" gives
// "clip_8bit", "my-clip" gives "my_clip", a name of Japanese characters
// gives "clip".
std::string proposeName(std::string_view name);

}  // namespace clip2c::board
