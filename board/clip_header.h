// SPDX-License-Identifier: MIT
// The parts of the header's model that one clip gives: its facts comment,
// its defines and array as the target keeps them, and for IMA ADPCM the
// decoder that plays it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "board/header.h"
#include "board/targets.h"

namespace clip2c::board {

// The words after "const" that put an array where the target keeps it:
// " PROGMEM", " __flash", or none.
std::string_view storageWords(Target target);

// The facts the clip's comment states, without its "/* " and " */":
// "beep_wave: 4,800 samples, 0.600 s at 8000 Hz, unsigned 8-bit (silence 128)".
// The seconds are the count over the rate, rounded to the nearest
// millisecond (halves up); a rate of 0 gives "length unknown at 0 Hz" in
// their place. Signed samples say "signed 8-bit (silence 0)"; IMA ADPCM
// says "IMA ADPCM in 2,432 bytes". A "*/" inside the name is written "* /".
std::string factsLine(const ClipFacts& facts);

// The type of a pointer to the samples of the clip's array, as a bank's
// entry holds it: "const unsigned char *"; "const signed char *" for signed
// 8-bit samples on a board's target, "const char *" on C (the tool's own
// type); with "__flash " after "const" for Flash.
std::string samplePointerType(Target target, bool isSigned);

// The defines and the array of one clip whose facts and array's bytes are
// given. 8-bit: "<name>_wave" with "#define <name>_wave_rate" on every
// target but C (there too with `withRate`), "signed char" for signed
// samples on a board's target (plain char is unsigned on ARM, where the
// values would read back wrong, and C++ rejects the negative ones), the
// tool's "char" on C. IMA ADPCM: "<name>_adpcm" of unsigned bytes with its
// _rate, _samples and _block_bytes defines.
ClipPart clipPart(Target target, const ClipFacts& facts, std::span<const std::uint8_t> bytes,
                  bool withRate = false);

// The IMA ADPCM decoder for the target, between an include guard that lets
// several clips' headers be included together: "#ifndef
// CLIP2C_ADPCM_DECODER" ... "#endif\n". It gives struct clip2c_adpcm,
// clip2c_adpcm_start(&d, array, samples) and clip2c_adpcm_next(&d), reading
// the array through pgm_read_byte on Progmem and as __flash on Flash, with
// its table of steps (sound::kAdpcmSteps) kept there too. Headers made for
// targets that read the array differently stop the build with an #error
// where they meet.
const std::string& adpcmDecoderText(Target target);

// The header of one clip alone. 8-bit on C: the tool's text, its array
// alone. 8-bit on the other targets: the facts comment, the pgmspace
// include on Progmem, the rate and the array. IMA ADPCM: the comment, the
// include, the decoder, then the clip's part; C and Firmware alike.
// `withRate` as clipPart.
Header clipHeader(Target target, const ClipFacts& facts, std::span<const std::uint8_t> bytes,
                  bool withRate = false);

}  // namespace clip2c::board
