// SPDX-License-Identifier: MIT
#include "board/clip_header.h"

#include "board/numbers.h"
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

// The decoder text adpcmDecoderText gives, made anew.
std::string makeDecoderText(Target target) {
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
    CArray steps;
    steps.isStatic = true;
    steps.storage = reader.storage;
    steps.type = "uint16_t";
    steps.name = "clip2c_adpcm_steps";
    steps.braceOnOwnLine = false;
    for (const std::uint16_t step : sound::kAdpcmSteps) steps.items.push_back(decimal(step));
    const SourceText table = renderArray(steps);
    if (!table.bytes) return {};
    text.append(table.bytes.chars(), table.length).append("\n").append(kDecoder);
    text.append("#elif CLIP2C_ADPCM_DECODER != ").append(reader.kind).append("\n");
    text +=
        "#error \"clip2c: ADPCM headers made for different targets share one decoder: make them for one "
        "target\"\n#endif\n";
    return text;
}

}  // namespace

const std::string& adpcmDecoderText(Target target) {
    // Made once for each target: every IMA ADPCM clip and bank carries it.
    static const std::string kTexts[] = {makeDecoderText(Target::C), makeDecoderText(Target::Firmware),
                                         makeDecoderText(Target::Progmem), makeDecoderText(Target::Flash)};
    return kTexts[static_cast<std::size_t>(target)];
}

std::string_view storageWords(Target target) { return readerFor(target).storage; }

std::string factsLine(const ClipFacts& facts) {
    std::string name;
    for (std::size_t i = 0; i < facts.arrayName.size(); ++i) {
        name += facts.arrayName[i];
        if (facts.arrayName[i] == '*' && i + 1 < facts.arrayName.size() && facts.arrayName[i + 1] == '/') {
            name += ' ';
        }
    }
    std::string line = name + ": " + grouped(facts.sampleCount) + " samples, ";
    if (facts.sampleRate == 0) {
        line += "length unknown at 0 Hz";
    } else {
        // Milliseconds rounded half up, in integers: the same digits everywhere.
        const std::uint64_t millis = (std::uint64_t{facts.sampleCount} * 2000 + facts.sampleRate) /
                                     (std::uint64_t{facts.sampleRate} * 2);
        line += withThreeDecimals(millis) + " s at " + decimal(facts.sampleRate) + " Hz";
    }
    if (facts.encoding == Encoding::ImaAdpcm) {
        line += ", IMA ADPCM in " + grouped(facts.byteCount) + (facts.byteCount == 1 ? " byte" : " bytes");
    } else {
        line += facts.isSigned ? ", signed 8-bit (silence 0)" : ", unsigned 8-bit (silence 128)";
    }
    return line;
}

std::string samplePointerType(Target target, bool isSigned) {
    std::string type = "const" + std::string(target == Target::Flash ? storageWords(target) : "") + " ";
    if (!isSigned) return type + "unsigned char *";
    return type + (target == Target::C ? "char *" : "signed char *");
}

ClipPart clipPart(Target target, const ClipFacts& facts, std::span<const std::uint8_t> bytes, bool withRate) {
    ClipPart part;
    const std::string name(facts.arrayName);
    part.array.storage = storageWords(target);
    part.array.name = name;
    part.array.bytes = bytes;
    part.array.type = "unsigned char";
    if (facts.encoding == Encoding::ImaAdpcm) {
        part.defines = {{name + "_rate", decimal(facts.sampleRate)},
                        {name + "_samples", decimal(facts.sampleCount)},
                        {name + "_block_bytes", decimal(sound::kAdpcmBlockBytes)}};
        return part;
    }
    if (target != Target::C || withRate) part.defines = {{name + "_rate", decimal(facts.sampleRate)}};
    part.array.minus128 = facts.isSigned;
    if (facts.isSigned) part.array.type = target == Target::C ? "char" : "signed char";
    return part;
}

Header clipHeader(Target target, const ClipFacts& facts, std::span<const std::uint8_t> bytes, bool withRate) {
    Header header;
    const bool adpcm = facts.encoding == Encoding::ImaAdpcm;
    if (target != Target::C || adpcm) header.comment = {factsLine(facts)};
    if (target == Target::Progmem) header.includes = {"<avr/pgmspace.h>"};
    if (adpcm) header.decoder = adpcmDecoderText(target);
    header.clips = {clipPart(target, facts, bytes, withRate)};
    return header;
}

}  // namespace clip2c::board
