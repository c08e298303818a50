// SPDX-License-Identifier: MIT
// The page's words around the tool's text: the array's name and whether it
// compiles, the text made for a target board, whether the clip fits that
// board, and the one table of texts the page's script shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace clip2c::web {

// The base name the tool gives the array of a file called `fileName`
// (deriveArrayName under its classifying extension); for a name the tool
// does not classify, the name of the clip prepared from it (preparedName).
std::string clipName(const std::string& fileName);

// The name the tool sees for a file called `fileName` renamed to `name`:
// `name` followed by the extension that classifies `fileName` (".raw",
// else ".wav"); `fileName` itself when neither does, so that the name is
// refused as the file's own would be.
std::string convertName(const std::string& fileName, const std::string& name);

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

// What the page's text is for. The numbers are what the script passes.
enum class Target : int {
    C = 0,         // the tool's text, byte for byte
    Firmware = 1,  // a comment, the rate, the tool's text
    Progmem = 2,   // the same, the array in AVR program memory (PROGMEM)
    Flash = 3,     // the same, the array in AVR flash by GCC's __flash (gnu modes)
};

// What a target's text says about the clip.
struct ClipFacts {
    std::string_view arrayName;  // as the tool's text declares it: "<name>_wave"
    std::uint32_t sampleRate = 0;
    bool isSigned = false;
    std::uint32_t sampleCount = 0;
};

// The text for `target` made from the tool's text `toolText` (which begins
// with "const"). C gives `toolText` unchanged. Every other target gives,
// each line ending "\n":
//   /* beep_wave: 4,800 samples, 0.600 s at 8000 Hz, unsigned 8-bit (silence 128) */
//   #include <avr/pgmspace.h>          (Progmem only)
//   #define beep_wave_rate 8000
// then `toolText` with " PROGMEM" (Progmem) or " __flash" (Flash) put right
// after its leading "const", and, for signed samples ("const char"), the
// word " signed" after those: plain char is unsigned on ARM, where the
// values would read back wrong and C++ rejects the negative ones. The seconds are the count over the rate,
// rounded to the nearest millisecond (halves up); a rate of 0 gives "length
// unknown at 0 Hz" in their place. Signed samples say "signed 8-bit
// (silence 0)". A "*/" inside the name is written "* /" in the comment.
std::string targetText(Target target, std::string_view toolText, const ClipFacts& facts);

// The figures behind the fit of a clip in an Arduino Uno (ATmega328P):
// avr-gcc takes at most kArrayLimit bytes in one array; the board has
// kBoardFlash bytes of flash beside its bootloader, of which the player
// sketch (examples/arduino/play_clip) takes at most kSketchBytes.
inline constexpr std::uint32_t kArrayLimit = 32767;
inline constexpr std::uint32_t kBoardFlash = 32256;
inline constexpr std::uint32_t kSketchBytes = 768;
inline constexpr std::uint32_t kBoardRoom = kBoardFlash - kSketchBytes;
// A Nano (ATmega328P too) keeps 2 KB for its bootloader: 30,720 bytes.
inline constexpr std::uint32_t kNanoFlash = 30720;
inline constexpr std::uint32_t kNanoRoom = kNanoFlash - kSketchBytes;

// Whether `sampleCount` bytes go in one AVR array (at most kArrayLimit) and
// in `room` bytes of flash.
constexpr bool fitsFlash(std::uint32_t sampleCount, std::uint32_t room) {
    return sampleCount <= kArrayLimit && sampleCount <= room;
}

// Whether a clip fits the target's board, and the sentence that says so.
struct Fit {
    bool fits = true;
    std::string text;
};

// For Progmem and Flash, the clip of `sampleCount` bytes fits when
// fitsFlash(sampleCount, kBoardRoom), judged for the Uno; the text says so,
// and whether it fits a Nano's kNanoRoom, and
// how many seconds fit at `sampleRate` (rounded down to the millisecond;
// none said at 0 Hz). For C and Firmware there is no board to judge
// (`fits` is true): the text puts the size beside common flash sizes.
Fit fitFor(Target target, std::uint32_t sampleCount, std::uint32_t sampleRate);

// The page's texts as one JSON object, built once:
//   {"statuses":[{"status":0,"key":"converted","ja":"","en":""}, ...],
//    "notices":{"name-proposed":"...", ...}}
// one status entry for each PageStatus, in order; "ja" is the tool's own
// message in UTF-8 without its line end ("" where the tool prints none);
// the notices are English templates whose {placeholders} the script fills.
const std::string& textsJson();

}  // namespace clip2c::web
