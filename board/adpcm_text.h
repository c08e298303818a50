// SPDX-License-Identifier: MIT
// The text of an IMA ADPCM clip for a board: its defines, the decoder that
// plays it, and its array of bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board_text.h"

namespace clip2c::board {

// The decoder, for the target, between an include guard that lets several
// clips' headers be included together: "#ifndef CLIP2C_ADPCM_DECODER" ...
// "#endif\n". It gives struct clip2c_adpcm, clip2c_adpcm_start(&d, array,
// samples) and clip2c_adpcm_next(&d), reading the array through
// pgm_read_byte on Progmem and as __flash on Flash, with its table of
// steps kept there too. Headers made for targets that read the array
// differently stop the build with an #error where they meet.
std::string adpcmDecoderText(Target target);

// The defines and the array of a clip whose facts (ClipFacts with
// Encoding::ImaAdpcm, arrayName "<name>_adpcm") and bytes are given:
//   #define beep_adpcm_rate 8000
//   #define beep_adpcm_samples 4800
//   #define beep_adpcm_block_bytes 256
//   const unsigned char beep_adpcm[2432] =\n{\n\tV, ...\n};\n
// with " PROGMEM" or " __flash" after the "const" as the target keeps
// arrays, sixteen values a line as the tool writes them. Empty when memory
// runs out.
std::string adpcmBody(Target target, const ClipFacts& facts, const std::vector<std::uint8_t>& bytes);

// The whole header of one clip: its facts comment (factsLine), the
// pgmspace include on Progmem, the decoder, then adpcmBody. C and Firmware
// give the same text. Empty when memory runs out.
std::string adpcmText(Target target, const ClipFacts& facts, const std::vector<std::uint8_t>& bytes);

}  // namespace clip2c::board
