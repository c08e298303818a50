// SPDX-License-Identifier: MIT
#include "sound/ima_adpcm.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "input/riff.h"

namespace clip2c::sound {
namespace {

constexpr const auto& kSteps = kAdpcmSteps;
constexpr int kLastIndex = 88;
constexpr std::array<int, 8> kIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8};

// What a decoder holds between samples.
struct Predictor {
    std::int32_t sample = 0;
    int index = 0;
};

// The predictor after decoding `nibble`: one step of the reference decoder.
Predictor decodeNibble(Predictor p, unsigned nibble) {
    const std::int32_t step = kSteps[static_cast<std::size_t>(p.index)];
    std::int32_t diff = step >> 3;
    if ((nibble & 4u) != 0) diff += step;
    if ((nibble & 2u) != 0) diff += step >> 1;
    if ((nibble & 1u) != 0) diff += step >> 2;
    p.sample =
        std::clamp<std::int32_t>((nibble & 8u) != 0 ? p.sample - diff : p.sample + diff, -32768, 32767);
    p.index = std::clamp(p.index + kIndexSteps[nibble & 7u], 0, kLastIndex);
    return p;
}

// decodeNibble's difference and next index for each index and magnitude,
// made from it once, so that the encoder's inner loop is two lookups.
struct StepTable {
    std::array<std::array<std::int32_t, 8>, 89> diff{};
    std::array<std::array<std::uint8_t, 8>, 89> next{};
};

const StepTable& stepTable() {
    static const StepTable table = [] {
        StepTable t;
        for (int index = 0; index <= kLastIndex; ++index) {
            for (unsigned magnitude = 0; magnitude < 8; ++magnitude) {
                const Predictor p = decodeNibble({0, index}, magnitude);
                t.diff[static_cast<std::size_t>(index)][magnitude] = p.sample;
                t.next[static_cast<std::size_t>(index)][magnitude] = static_cast<std::uint8_t>(p.index);
            }
        }
        return t;
    }();
    return table;
}

// decodeNibble by the table.
Predictor decodeByTable(const StepTable& table, Predictor p, unsigned nibble) {
    const auto index = static_cast<std::size_t>(p.index);
    const std::int32_t diff = table.diff[index][nibble & 7u];
    p.sample =
        std::clamp<std::int32_t>((nibble & 8u) != 0 ? p.sample - diff : p.sample + diff, -32768, 32767);
    p.index = table.next[index][nibble & 7u];
    return p;
}

// The encoder is a beam search over each block, in the manner of a
// trellis. After each sample it keeps the kBeam paths of nibbles with the
// least squared error so far, one for each decoder state (sample and step
// index) they reach, since paths that reach the same state go on alike.
// Each path grows by kTries nibbles: the one a plain encoder picks
// (quantizing the difference against the step) and the magnitudes beside
// it. At the block's end the best path is written. The block's step index
// is part of the search: its first sample starts a path at each of the 89
// indexes. Every choice is ordered by the error, then by the states and
// nibbles involved, never by where a path sits in memory, so that every
// platform and library gives the same bytes. Measured figures are in
// doc/adpcm.md.
constexpr std::size_t kBeam = 64;
constexpr unsigned kTries = 3;

// The nibble a plain encoder picks for `target` after `p`.
unsigned plainNibble(Predictor p, std::int32_t target) {
    std::int32_t step = kSteps[static_cast<std::size_t>(p.index)];
    std::int32_t difference = target - p.sample;
    unsigned nibble = 0;
    if (difference < 0) {
        nibble = 8;
        difference = -difference;
    }
    for (unsigned bit = 4; bit != 0; bit >>= 1) {
        if (difference >= step) {
            nibble |= bit;
            difference -= step;
        }
        step >>= 1;
    }
    return nibble;
}

// A decoder state as one number, unique to it.
std::uint32_t stateKey(const Predictor& p) {
    return (static_cast<std::uint32_t>(p.sample + 32768) << 7) | static_cast<std::uint32_t>(p.index);
}

struct Node {
    std::uint64_t error = 0;  // squared error of the path so far
    Predictor predictor;
    std::uint32_t key = 0;        // stateKey(predictor)
    std::uint32_t parentKey = 0;  // the state it grew from
    std::uint16_t parent = 0;     // where that node is kept in the step before: for the first, its step index
    std::uint8_t nibble = 0;
};

// Whether path `a` is kept before `b` when both reach one state.
bool betterPath(const Node& a, const Node& b) {
    if (a.error != b.error) return a.error < b.error;
    if (a.parentKey != b.parentKey) return a.parentKey < b.parentKey;
    return a.nibble < b.nibble;
}

// Whether node `a` is kept before `b`, of different states.
bool betterNode(const Node& a, const Node& b) {
    return a.error != b.error ? a.error < b.error : a.key < b.key;
}

// A step's candidates, one for each decoder state they reach: the best
// path to it. Where each state is among them is kept in a table
// open-addressed by the state's key, whose entries are stamped with the step
// that set them, so that it needs no clearing between steps.
class Candidates {
public:
    Candidates() : slotKeys_(kSlots), slotPlaces_(kSlots), slotStamps_(kSlots, SIZE_MAX) {
        nodes.reserve(kSteps.size() * std::size_t{kTries});
    }

    // Starts step `step` with no candidate.
    void start(std::size_t step) {
        step_ = step;
        nodes.clear();
    }

    // Keeps `grown` when it is the first path to its state, or a better one.
    void offer(const Node& grown) {
        // Fibonacci hashing: the product's high bits mix every bit of the key.
        std::size_t slot = (grown.key * 2654435761u) >> (32 - kSlotBits);
        while (slotStamps_[slot] == step_ && slotKeys_[slot] != grown.key) slot = (slot + 1) % kSlots;
        if (slotStamps_[slot] != step_) {
            slotStamps_[slot] = step_;
            slotKeys_[slot] = grown.key;
            slotPlaces_[slot] = static_cast<std::uint16_t>(nodes.size());
            nodes.push_back(grown);
        } else if (betterPath(grown, nodes[slotPlaces_[slot]])) {
            nodes[slotPlaces_[slot]] = grown;
        }
    }

    std::vector<Node> nodes;

private:
    static constexpr unsigned kSlotBits = 10;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    static_assert(kSlots >= std::size_t{2} * 89 * kTries);
    std::vector<std::uint32_t> slotKeys_;
    std::vector<std::uint16_t> slotPlaces_;
    std::vector<std::size_t> slotStamps_;
    std::size_t step_ = 0;
};

// Encodes one block of `count` samples (1 to kAdpcmBlockSamples) onto `out`.
void encodeBlock(const std::int16_t* x, std::size_t count, std::vector<std::uint8_t>& out) {
    const std::size_t steps = count - 1;
    // For each step, the nodes kept: their parents and nibbles.
    std::vector<std::uint16_t> parents(steps * kBeam);
    std::vector<std::uint8_t> nibbles(steps * kBeam);
    std::vector<Node> beam;
    beam.reserve(kSteps.size());
    for (int index = 0; index <= kLastIndex; ++index) {
        const Predictor seed{x[0], index};
        beam.push_back({0, seed, stateKey(seed), 0, static_cast<std::uint16_t>(index), 0});
    }
    Candidates candidates;
    const StepTable& table = stepTable();
    for (std::size_t t = 0; t < steps; ++t) {
        const std::int32_t target = x[t + 1];
        candidates.start(t);
        for (std::size_t from = 0; from < beam.size(); ++from) {
            const Node& here = beam[from];
            const unsigned plain = plainNibble(here.predictor, target);
            const unsigned sign = plain & 8u;
            // kTries magnitudes from one below the plain one, within 0..7.
            const unsigned low = std::min((plain & 7u) == 0 ? 0u : (plain & 7u) - 1, 8u - kTries);
            for (unsigned magnitude = low; magnitude < low + kTries; ++magnitude) {
                const unsigned nibble = sign | magnitude;
                const Predictor next = decodeByTable(table, here.predictor, nibble);
                const auto miss = static_cast<std::int64_t>(target - next.sample);
                candidates.offer({here.error + static_cast<std::uint64_t>(miss * miss), next, stateKey(next),
                                  here.key, static_cast<std::uint16_t>(from),
                                  static_cast<std::uint8_t>(nibble)});
            }
        }
        std::vector<Node>& grown = candidates.nodes;
        if (grown.size() > kBeam) {
            std::nth_element(grown.begin(), grown.begin() + kBeam - 1, grown.end(), betterNode);
            grown.resize(kBeam);
        }
        beam.swap(grown);
        for (std::size_t slot = 0; slot < beam.size(); ++slot) {
            parents[t * kBeam + slot] = beam[slot].parent;
            nibbles[t * kBeam + slot] = beam[slot].nibble;
        }
    }
    // The best path, followed back from its last node.
    std::vector<std::uint8_t> path(steps);
    auto slot =
        static_cast<std::size_t>(std::min_element(beam.begin(), beam.end(), betterNode) - beam.begin());
    for (std::size_t t = steps; t-- > 0;) {
        path[t] = nibbles[t * kBeam + slot];
        slot = parents[t * kBeam + slot];
    }
    const auto first = static_cast<std::uint16_t>(x[0]);
    out.push_back(static_cast<std::uint8_t>(first & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(first >> 8));
    out.push_back(static_cast<std::uint8_t>(steps == 0 ? 0 : slot));  // after the walk back: the step index
    out.push_back(0);
    // Every block holds an even count of nibbles (adpcmSampleCount).
    for (std::size_t i = 0; i + 1 < steps; i += 2) {
        out.push_back(static_cast<std::uint8_t>(path[i] | (path[i + 1] << 4)));
    }
}

}  // namespace

std::uint64_t adpcmSampleCount(std::uint64_t count) {
    const std::uint64_t rest = count % kAdpcmBlockSamples;
    if (rest == 0) return count;
    return count - rest + 1 + (rest - 1 + 7) / 8 * 8;
}

std::uint64_t adpcmBytes(std::uint64_t count) {
    const std::uint64_t samples = adpcmSampleCount(count);
    const std::uint64_t whole = samples / kAdpcmBlockSamples;
    const std::uint64_t rest = samples % kAdpcmBlockSamples;
    return whole * kAdpcmBlockBytes + (rest == 0 ? 0 : 4 + (rest - 1) / 2);
}

std::uint64_t adpcmSamplesIn(std::uint64_t bytes) {
    const std::uint64_t whole = bytes / kAdpcmBlockBytes;
    const std::uint64_t rest = bytes % kAdpcmBlockBytes;
    return whole * kAdpcmBlockSamples + (rest < 4 ? 0 : 1 + (rest - 4) * 2);
}

std::vector<std::uint8_t> encodeAdpcm(const std::int16_t* samples, std::size_t count) {
    std::vector<std::uint8_t> out;
    if (count == 0) return out;
    out.reserve(static_cast<std::size_t>(adpcmBytes(count)));
    const auto whole = static_cast<std::size_t>(count - count % kAdpcmBlockSamples);
    for (std::size_t start = 0; start < whole; start += kAdpcmBlockSamples) {
        encodeBlock(samples + start, kAdpcmBlockSamples, out);
    }
    if (whole == count) return out;
    // The short last block, its last sample held to a whole word.
    std::vector<std::int16_t> last(samples + whole, samples + count);
    last.resize(static_cast<std::size_t>(adpcmSampleCount(count)) - whole, samples[count - 1]);
    encodeBlock(last.data(), last.size(), out);
    return out;
}

std::vector<std::int16_t> decodeAdpcm(const std::uint8_t* bytes, std::size_t length, std::size_t count) {
    std::vector<std::int16_t> samples;
    samples.reserve(std::min<std::size_t>(count, static_cast<std::size_t>(adpcmSamplesIn(length))));
    for (std::size_t block = 0; block < length && samples.size() < count; block += kAdpcmBlockBytes) {
        const std::size_t end = std::min<std::size_t>(length, block + kAdpcmBlockBytes);
        // A header needs its 4 bytes; fewer at the end hold no sample.
        if (end - block < 4) break;
        Predictor p;
        p.sample = static_cast<std::int16_t>(bytes[block] | (bytes[block + 1] << 8));
        p.index = std::min<int>(bytes[block + 2], kLastIndex);
        samples.push_back(static_cast<std::int16_t>(p.sample));
        for (std::size_t i = block + 4; i < end && samples.size() < count; ++i) {
            p = decodeNibble(p, bytes[i] & 0x0Fu);
            samples.push_back(static_cast<std::int16_t>(p.sample));
            if (samples.size() == count) break;
            p = decodeNibble(p, static_cast<unsigned>(bytes[i] >> 4));
            samples.push_back(static_cast<std::int16_t>(p.sample));
        }
    }
    return samples;
}

std::vector<std::uint8_t> makeAdpcmWaveFile(const std::vector<std::uint8_t>& data, std::uint32_t sampleCount,
                                            std::uint32_t sampleRate) {
    constexpr std::uint32_t kFmtBodySize = 20;
    constexpr std::uint32_t kFactBodySize = 4;
    constexpr std::uint32_t kOverhead = 4 + (8 + kFmtBodySize) + (8 + kFactBodySize) + 8 + 1;
    if (data.size() > std::numeric_limits<std::uint32_t>::max() - kOverhead) return {};
    const auto dataSize = static_cast<std::uint32_t>(data.size());
    const std::uint32_t pad = dataSize & 1u;
    // Bytes a second: whole blocks a second, as the rate makes them.
    const auto byteRate = static_cast<std::uint32_t>(
        (std::uint64_t{sampleRate} * kAdpcmBlockBytes + kAdpcmBlockSamples / 2) / kAdpcmBlockSamples);
    std::vector<std::uint8_t> file;
    file.reserve(kOverhead + dataSize + pad);
    riff::putU32le(file, riff::kRiffId);
    riff::putU32le(file, kOverhead - 1 + dataSize + pad);
    riff::putU32le(file, riff::kWaveId);
    riff::putU32le(file, riff::kFmtId);
    riff::putU32le(file, kFmtBodySize);
    riff::putU16le(file, riff::kImaAdpcmTag);
    riff::putU16le(file, 1);  // channels
    riff::putU32le(file, sampleRate);
    riff::putU32le(file, byteRate);
    riff::putU16le(file, kAdpcmBlockBytes);  // block align
    riff::putU16le(file, 4);                 // bits per sample
    riff::putU16le(file, 2);                 // the extra bytes that follow
    riff::putU16le(file, kAdpcmBlockSamples);
    riff::putU32le(file, riff::kFactId);
    riff::putU32le(file, kFactBodySize);
    riff::putU32le(file, sampleCount);
    riff::putU32le(file, riff::kDataId);
    riff::putU32le(file, dataSize);
    file.insert(file.end(), data.begin(), data.end());
    if (pad != 0) file.push_back(0);
    return file;
}

}  // namespace clip2c::sound
