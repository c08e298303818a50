// SPDX-License-Identifier: MIT
#include "board/adpcm_text.h"

#include <string_view>

#include "board/numbers.h"
#include "csource/array_source.h"
#include "sound/ima_adpcm.h"

namespace clip2c::board {
namespace {

// How each target's decoder reads the array and the table of steps.
struct Reader {
    std::string_view kind;     // the value of CLIP2C_ADPCM_DECODER
    std::string_view storage;  // the words after "const" that put an array where the target keeps it
    std::string_view pointer;  // the decoder's pointer to the array's bytes
    std::string_view byteAt;   // the byte at pointer p
    std::string_view stepAt;   // the step at index i
    std::string_view where;    // where the array is, for the comment
};

Reader readerFor(Target target) {
    switch (target) {
        case Target::Progmem:
            return {"2",
                    " PROGMEM",
                    "const unsigned char *",
                    "pgm_read_byte(p)",
                    "pgm_read_word(&clip2c_adpcm_steps[i])",
                    "in program memory, read with pgm_read_byte"};
        case Target::Flash:
            return {"3",
                    " __flash",
                    "const __flash unsigned char *",
                    "(*(p))",
                    "(clip2c_adpcm_steps[i])",
                    "in flash (__flash)"};
        case Target::C:
        case Target::Firmware:
            break;
    }
    return {"1", "", "const unsigned char *", "(*(p))", "(clip2c_adpcm_steps[i])", "in memory"};
}

// The decoder: the reference IMA ADPCM decoder in shift-and-add form, a
// line a step, in 16-bit arithmetic but for the sum that is clamped, so
// that an 8-bit board decodes in a few dozen cycles.
constexpr std::string_view kDecoder = R"(struct clip2c_adpcm {
	CLIP2C_ADPCM_POINTER next; /* the next byte to read */
	uint32_t left;             /* samples still to come */
	int16_t sample;            /* the last sample */
	uint8_t index;             /* the step index, 0..88 */
	uint8_t bytes;             /* the block's bytes still to read */
	uint8_t held;              /* the byte whose high nibble comes next */
	uint8_t high;              /* 1 when that nibble comes next */
};

static inline void clip2c_adpcm_start(struct clip2c_adpcm *d, CLIP2C_ADPCM_POINTER data, uint32_t samples)
{
	d->next = data;
	d->left = samples;
	d->sample = 0;
	d->index = 0;
	d->bytes = 0;
	d->held = 0;
	d->high = 0;
}

/* The next sample, -32768..32767; 0 once all are given. */
static inline int16_t clip2c_adpcm_next(struct clip2c_adpcm *d)
{
	uint8_t nibble;
	uint16_t step, diff;
	int32_t sample;
	if (d->left == 0)
		return 0;
	d->left--;
	if (d->bytes == 0 && !d->high) {
		/* A block's header: its first sample, then its step index. */
		sample = (int32_t)CLIP2C_ADPCM_BYTE(d->next) | (int32_t)CLIP2C_ADPCM_BYTE(d->next + 1) << 8;
		if (sample > 32767)
			sample -= 65536L;
		d->sample = (int16_t)sample;
		d->index = CLIP2C_ADPCM_BYTE(d->next + 2);
		if (d->index > 88)
			d->index = 88;
		d->next += 4;
		d->bytes = CLIP2C_ADPCM_BLOCK_BYTES - 4;
		return d->sample;
	}
	if (d->high) {
		nibble = (uint8_t)(d->held >> 4);
		d->high = 0;
	} else {
		d->held = CLIP2C_ADPCM_BYTE(d->next);
		d->next++;
		d->bytes--;
		nibble = (uint8_t)(d->held & 15);
		d->high = 1;
	}
	step = CLIP2C_ADPCM_STEP(d->index);
	diff = (uint16_t)(step >> 3);
	if (nibble & 4)
		diff = (uint16_t)(diff + step);
	if (nibble & 2)
		diff = (uint16_t)(diff + (step >> 1));
	if (nibble & 1)
		diff = (uint16_t)(diff + (step >> 2));
	sample = d->sample;
	if (nibble & 8)
		sample -= diff;
	else
		sample += diff;
	if (sample > 32767)
		sample = 32767;
	else if (sample < -32768)
		sample = -32768;
	d->sample = (int16_t)sample;
	if (nibble & 4) {
		d->index = (uint8_t)(d->index + ((nibble & 3) << 1) + 2);
		if (d->index > 88)
			d->index = 88;
	} else if (d->index > 0) {
		d->index--;
	}
	return d->sample;
}
)";

constexpr std::string_view kSteps =
    "\t7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 19, 21, 23, 25, 28, 31,\n"
    "\t34, 37, 41, 45, 50, 55, 60, 66, 73, 80, 88, 97, 107, 118, 130, 143,\n"
    "\t157, 173, 190, 209, 230, 253, 279, 307, 337, 371, 408, 449, 494, 544, 598, 658,\n"
    "\t724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552, 1707, 1878, 2066, 2272, 2499, 2749, 3024,\n"
    "\t3327, 3660, 4026, 4428, 4871, 5358, 5894, 6484, 7132, 7845, 8630, 9493, 10442, 11487, 12635, 13899,\n"
    "\t15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767\n";

}  // namespace

std::string adpcmDecoderText(Target target) {
    const Reader reader = readerFor(target);
    std::string text = "#ifndef CLIP2C_ADPCM_DECODER\n#define CLIP2C_ADPCM_DECODER ";
    text.append(reader.kind).append("\n#include <stdint.h>\n");
    text += "/* IMA ADPCM decoder for clip2c's <name>_adpcm arrays, ";
    text.append(reader.where)
        .append(
            ".\n"
            " *   struct clip2c_adpcm d;\n"
            " *   clip2c_adpcm_start(&d, beep_adpcm, beep_adpcm_samples);\n"
            " *   then each clip2c_adpcm_next(&d) is the next 16-bit sample.\n"
            " * Blocks of 256 bytes: a 4-byte header (the first sample, the step\n"
            " * index, 0), then a nibble a sample, low nibble first. It decodes as\n"
            " * the IMA reference decoder does, in shift-and-add form: diff = step >> 3,\n"
            " * + step for bit 2, + step >> 1 for bit 1, + step >> 2 for bit 0, bit 3\n"
            " * the sign; the sample clamped to 16 bits, the index to 0..88. No\n"
            " * division and no multiply. */\n");
    text += "#define CLIP2C_ADPCM_BLOCK_BYTES " + decimal(sound::kAdpcmBlockBytes) + "\n";
    text.append("#define CLIP2C_ADPCM_POINTER ").append(reader.pointer).append("\n");
    text.append("#define CLIP2C_ADPCM_BYTE(p) ").append(reader.byteAt).append("\n");
    text.append("#define CLIP2C_ADPCM_STEP(i) ").append(reader.stepAt).append("\n");
    text.append("static const").append(reader.storage).append(" uint16_t clip2c_adpcm_steps[89] = {\n");
    text.append(kSteps).append("};\n\n").append(kDecoder);
    text.append("#elif CLIP2C_ADPCM_DECODER != ").append(reader.kind).append("\n");
    text +=
        "#error \"clip2c: ADPCM headers made for different targets share one decoder: make them for one "
        "target\"\n#endif\n";
    return text;
}

std::string adpcmBody(Target target, const ClipFacts& facts, const std::vector<std::uint8_t>& bytes) {
    const std::string name(facts.arrayName);
    std::string text = "#define " + name + "_rate " + decimal(facts.sampleRate) + "\n";
    text += "#define " + name + "_samples " + decimal(facts.sampleCount) + "\n";
    text += "#define " + name + "_block_bytes " + decimal(sound::kAdpcmBlockBytes) + "\n";
    const SourceText array =
        emitArraySource(name, bytes.data(), static_cast<std::uint32_t>(bytes.size()), false, "");
    if (!array.bytes) return {};
    // The array's text begins "const": the target's words go right after it.
    constexpr std::string_view kConst = "const";
    const std::string_view declaration(array.bytes.chars(), array.length);
    text.append(kConst).append(readerFor(target).storage).append(declaration.substr(kConst.size()));
    return text;
}

std::string adpcmText(Target target, const ClipFacts& facts, const std::vector<std::uint8_t>& bytes) {
    std::string body = adpcmBody(target, facts, bytes);
    if (body.empty()) return {};
    std::string text = "/* " + factsLine(facts) + " */\n";
    if (target == Target::Progmem) text += "#include <avr/pgmspace.h>\n";
    return text + adpcmDecoderText(target) + "\n" + body;
}

}  // namespace clip2c::board
