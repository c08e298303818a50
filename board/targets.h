// SPDX-License-Identifier: MIT
// The text made for a board around the tool's text, and whether a clip
// fits that board.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace clip2c::board {

// What a text is for. Each is named by kTargetWords at its number.
enum class Target : int {
    C = 0,         // the tool's text, byte for byte
    Firmware = 1,  // a comment, the rate, the tool's text
    Progmem = 2,   // the same, the array in AVR program memory (PROGMEM)
    Flash = 3,     // the same, the array in AVR flash by GCC's __flash (gnu modes)
};

// How a clip's samples are held. Each is named by kEncodingWords at its
// number.
enum class Encoding : int {
    Pcm8 = 0,      // one unsigned (or signed) byte a sample: the "<name>_wave" array
    ImaAdpcm = 1,  // 4-bit IMA ADPCM (sound/ima_adpcm.h): the "<name>_adpcm" array and its decoder
};

// The words that name the targets and the encodings, in their order.
inline constexpr std::string_view kTargetWords[] = {"c", "firmware", "progmem", "flash"};
inline constexpr std::string_view kEncodingWords[] = {"pcm8", "ima-adpcm"};

// The encoding named `word` ("pcm8", "ima-adpcm"); nothing for any other.
std::optional<Encoding> encodingNamed(std::string_view word);

// The target named `word` ("c", "firmware", "progmem", "flash"); nothing
// for any other word.
std::optional<Target> targetNamed(std::string_view word);

// What a target's text says about the clip.
struct ClipFacts {
    std::string_view arrayName;  // as the text declares it: "<name>_wave", "<name>_adpcm"
    std::uint32_t sampleRate = 0;
    bool isSigned = false;
    std::uint32_t sampleCount = 0;  // the samples decoded
    Encoding encoding = Encoding::Pcm8;
    std::uint32_t byteCount = 0;  // ImaAdpcm: the array's bytes
};

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
// A bank (board/bank.h) plays beside the bank sketch
// (examples/arduino/play_bank), which takes at most kBankSketchBytes (what
// it measures is in doc/arduino.md), and its table takes kBankEntryBytes a
// clip on AVR: a 2-byte pointer and two 4-byte longs.
inline constexpr std::uint32_t kBankSketchBytes = 1312;
inline constexpr std::uint32_t kBankEntryBytes = 10;
inline constexpr std::uint32_t kBankRoom = kBoardFlash - kBankSketchBytes;
// An IMA ADPCM bank's table takes kBankAdpcmEntryBytes a clip (a pointer
// and three longs), and its player the decoder's bytes more: what the one-
// clip player's decoder takes beside the 8-bit one.
inline constexpr std::uint32_t kBankAdpcmEntryBytes = 14;
inline constexpr std::uint32_t kBankAdpcmSketchBytes = kBankSketchBytes + (1280 - kSketchBytes);
inline constexpr std::uint32_t kBankNanoRoom = kNanoFlash - kBankSketchBytes;

// An IMA ADPCM clip plays beside the same sketch with its decoder, which
// takes at most kAdpcmSketchBytes.
inline constexpr std::uint32_t kAdpcmSketchBytes = 1280;

// Whether `sampleCount` bytes go in one AVR array (at most kArrayLimit) and
// in `room` bytes of flash.
constexpr bool fitsFlash(std::uint32_t sampleCount, std::uint32_t room) {
    return sampleCount <= kArrayLimit && sampleCount <= room;
}

// Whether the target keeps the array in AVR flash, where one array holds
// at most kArrayLimit bytes.
constexpr bool isAvrTarget(Target target) { return target == Target::Progmem || target == Target::Flash; }

// Whether a clip fits the target's board, and the sentence that says so.
struct Fit {
    bool fits = true;
    std::string text;
};

// An array's bytes, and the samples they hold: `encoding` at `sampleRate`.
struct ArrayBytes {
    std::uint32_t bytes = 0;
    std::uint32_t sampleRate = 0;
    Encoding encoding = Encoding::Pcm8;
};

// For Progmem and Flash, the clip's array of `byteCount` bytes fits when
// fitsFlash(byteCount, room), judged for the Uno, whose room is kBoardRoom
// (kBoardFlash less kAdpcmSketchBytes for IMA ADPCM); the text says so,
// and whether it fits a Nano's room (kNanoFlash less the sketch), and how
// many seconds fit at `sampleRate` in the encoding (rounded down to the
// millisecond; none said at 0 Hz). For C and Firmware there is no board to
// judge (`fits` is true): the text puts the size beside common flash sizes.
Fit fitFor(Target target, ArrayBytes array);

// The sentence that refuses a clip's array (more than kArrayLimit bytes)
// for an AVR target: how many bytes one array holds and how many seconds
// that is at its rate in its encoding (none said at 0 Hz).
std::string arrayLimitText(ArrayBytes array);

// Seconds that the array's bytes hold at its rate (not 0) in its encoding,
// rounded down to the millisecond, as "3.776".
std::string secondsIn(ArrayBytes array);

}  // namespace clip2c::board
