// SPDX-License-Identifier: MIT
// The resampler: a Kaiser-windowed sinc, linear phase, centred on each
// output sample's exact position, the same bytes on every platform.
//
// Design (in units of the lower of the two rates, whose Nyquist frequency
// is "Nyquist" below; the response as measured, the tap and phase counts
// of common rates, the agreement with sox and the speed are in
// doc/rules.md and doc/speed.md):
//   filter      windowed sinc, cutoff (-6 dB) at 0.96 x Nyquist, each
//               phase's taps normalized to sum to 1, so DC stays DC at
//               every phase
//   window      Kaiser, beta 7.2, half-width 29 samples of the lower rate
//   taps        2 x (ceil(29 x fromRate / lower rate) + 1), rounded up to a
//               multiple of 8
//   phases      toRate / gcd(fromRate, toRate) exact phases when their taps
//               fit in 2^16 floats; otherwise 256 phases (fewer when the
//               taps are very many, which only a very large ratio gives),
//               the output being the linear blend of the two neighbouring
//               phases' results. A phase's taps are made when an output
//               sample first needs them and kept for the next clip at the
//               same two rates.
//   edges       the clip is taken to continue, on each side, at its local
//               level: the mean of its first (last) 128 samples of the lower
//               rate, weighted by the bump s^2 (1 - s)^2. Over those samples
//               it fades from that level to the clip itself (a quintic
//               smoothstep), and beyond the clip it stays at that level. So
//               DC stays DC at both ends, an abrupt start or end of a high
//               tone does not leak into the passband (zero padding would
//               let up to half of it through), and a clip that starts and
//               ends in silence, as speech does, is filtered exactly as if
//               padded with silence. Sound within 128 samples of the lower
//               rate of an end (16 ms at 8000 Hz) comes out faded towards
//               that level; a clip shorter than 256 such samples fades over
//               half its length from each end; a clip of one sample is DC.
//
// Determinism: the taps are computed with this file's own sine and Bessel
// I0, from +, -, *, / in a fixed order (the engine is built with
// -ffp-contract=off, so nothing is fused); positions are exact integers
// (output sample k at input k x fromRate / toRate, its phase being
// (k x fromRate) mod toRate over the gcd); each dot product runs eight
// accumulators in a fixed order, summed in a fixed tree. Vectorizing the
// eight lanes keeps every lane's order, so every compiler gives the same
// bits.
#include "sound/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace clip2c::sound {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kCutoff = 0.96;                             // of the lower Nyquist
constexpr std::uint64_t kHalfWidth = 29;                     // samples of the lower rate
constexpr double kBeta = 7.2;                                // the Kaiser window's
constexpr std::uint64_t kFade = 128;                         // samples of the lower rate at each end
constexpr std::size_t kLanes = 8;                            // accumulators of a dot product
constexpr std::uint64_t kMaxTable = std::uint64_t{1} << 16;  // floats of taps
constexpr std::uint64_t kBlendPhases = 256;

// The factors of the series below, 1 / ((2k)(2k + 1)) for the sine and
// 1 / k^2 for I0, divided once at compile time (correctly rounded, as at
// run time).
struct SeriesFactors {
    double sine[13] = {};
    double bessel[41] = {};
};
constexpr SeriesFactors kFactors = [] {
    SeriesFactors f;
    for (int k = 1; k <= 12; ++k) f.sine[k] = 1.0 / static_cast<double>((2 * k) * (2 * k + 1));
    for (int k = 1; k <= 40; ++k) f.bessel[k] = 1.0 / static_cast<double>(k * k);
    return f;
}();

// sin(pi x) for |x| below 2^52: x is reduced to [-1/2, 1/2] exactly, then
// a Taylor series of 13 terms gives the sine to within an ulp or two.
double sinPi(double x) {
    double r = x - 2.0 * static_cast<double>(static_cast<std::int64_t>(x * 0.5));
    if (r > 1.0) r -= 2.0;
    if (r < -1.0) r += 2.0;
    if (r > 0.5) r = 1.0 - r;
    if (r < -0.5) r = -1.0 - r;
    const double y = r * kPi;
    const double y2 = y * y;
    double term = y;
    double sum = y;
    for (int k = 1; k <= 12; ++k) {
        term = -term * y2 * kFactors.sine[k];
        sum += term;
    }
    return sum;
}

// The modified Bessel function I0(x) for |x| up to about 20, by its power
// series, summed until a term no longer moves the sum (at most 40 terms).
double besselI0(double x) {
    const double q = x * x * 0.25;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k <= 40; ++k) {
        term = term * q * kFactors.bessel[k];
        if (sum + term == sum) break;
        sum += term;
    }
    return sum;
}

// The quintic smoothstep of s in [0, 1]: 0 to 1, flat at both ends up to
// the second derivative, so fading a tone with it spreads the tone little.
double smoothStep(double s) { return s * s * s * (10.0 + s * (-15.0 + s * 6.0)); }

// How the filter is laid out for one pair of rates.
struct Design {
    double scale = 1.0;             // lower rate / fromRate
    std::uint64_t step = 0;         // fromRate / gcd
    std::uint64_t phases = 0;       // toRate / gcd: exact phases
    std::uint64_t half = 0;         // taps at and before the position
    std::uint64_t taps = 0;         // 2 * half, a multiple of kLanes
    std::uint64_t tablePhases = 0;  // rows in the table (phases, or blended ones + 1)
    bool blended = false;
};

Design designFor(std::uint32_t fromRate, std::uint32_t toRate) {
    Design d;
    const std::uint64_t g = std::gcd(fromRate, toRate);
    d.step = fromRate / g;
    d.phases = toRate / g;
    d.scale = fromRate > toRate ? static_cast<double>(toRate) / fromRate : 1.0;
    // The half-width in input samples, kHalfWidth / scale, rounded up.
    const std::uint64_t reach =
        fromRate > toRate ? (kHalfWidth * fromRate + toRate - 1) / toRate : kHalfWidth;
    d.half = (reach + 1 + kLanes / 2 - 1) / (kLanes / 2) * (kLanes / 2);
    d.taps = 2 * d.half;
    if (d.phases * d.taps <= kMaxTable) {
        d.tablePhases = d.phases;
    } else {
        d.blended = true;
        const std::uint64_t fit = kMaxTable / d.taps;
        d.tablePhases = std::clamp<std::uint64_t>(fit, 2, kBlendPhases + 1);
    }
    return d;
}

// The taps of the phase at fraction `numerator / denominator` of an input
// sample past the tap `half - 1`, normalized to sum to 1; `h` is scratch
// room for d.taps doubles.
void makeTaps(const Design& d, std::uint64_t numerator, std::uint64_t denominator, double* h, float* out) {
    const double fraction = static_cast<double>(numerator) / static_cast<double>(denominator);
    const double halfWidth = static_cast<double>(kHalfWidth) / d.scale;
    const double gain = kCutoff * d.scale;
    const double windowNorm = besselI0(kBeta);
    double sum = 0.0;
    for (std::uint64_t j = 0; j < d.taps; ++j) {
        const double t = (static_cast<double>(j) - static_cast<double>(d.half - 1)) - fraction;
        const double s = t / halfWidth;
        double value = 0.0;
        if (s > -1.0 && s < 1.0) {
            const double u = gain * t;
            const double sinc = u == 0.0 ? 1.0 : sinPi(u) / (kPi * u);
            value = sinc * besselI0(kBeta * std::sqrt(1.0 - s * s)) / windowNorm;
        }
        h[j] = value;
        sum += value;
    }
    for (std::uint64_t j = 0; j < d.taps; ++j) out[j] = static_cast<float>(h[j] / sum);
}

// The filter of one pair of rates: its layout and its table, whose rows are
// made the first time an output sample needs them (made[row] is then 1). A
// short clip needs few of a table's rows, and a clip made again at the same
// rates (a bank's clips, a clip and its bank, the next input of a fuzzer)
// needs none, while each row is still made by the same arithmetic, so the
// output's bits do not depend on what was resampled before.
struct Filter {
    std::uint32_t fromRate = 0;
    std::uint32_t toRate = 0;
    Design design;
    std::vector<float> table;
    std::vector<std::uint8_t> made;
    std::vector<double> scratch;  // makeTaps' room
};

// The filter of `fromRate` to `toRate`: the one this thread used last when
// it is of the same rates, else laid out afresh in its blocks, which only
// grow (to at most kMaxTable floats of taps), so that switching rates
// allocates nothing once the largest table has been laid out.
Filter& filterFor(std::uint32_t fromRate, std::uint32_t toRate) {
    thread_local Filter filter;
    if (fromRate == filter.fromRate && toRate == filter.toRate) return filter;
    filter.fromRate = fromRate;
    filter.toRate = toRate;
    filter.design = designFor(fromRate, toRate);
    const auto rows = static_cast<std::size_t>(filter.design.tablePhases);
    const auto taps = static_cast<std::size_t>(filter.design.taps);
    if (filter.table.size() < rows * taps) filter.table.resize(rows * taps);
    if (filter.scratch.size() < taps) filter.scratch.resize(taps);
    filter.made.assign(rows, 0);
    return filter;
}

// The sum of h[i] x x[i] over `taps` (a multiple of kLanes): lane j adds
// the products i = j, j + 8, ... in order, then the lanes are summed
// pairwise. Eight lanes fill two SSE registers, whose adds do not wait on
// each other.
float dot(const float* h, const float* x, std::size_t taps) {
    float acc[kLanes] = {};
    for (std::size_t i = 0; i < taps; i += kLanes) {
        for (std::size_t j = 0; j < kLanes; ++j) acc[j] += h[i + j] * x[i + j];
    }
    for (std::size_t width = kLanes / 2; width > 0; width /= 2) {
        for (std::size_t j = 0; j < width; ++j) acc[j] += acc[j + width];
    }
    return acc[0];
}

// The clip as the filter sees it (see "edges" above): faded over `fade`
// samples at each end towards its level there, and that level beyond.
struct Edges {
    const float* input = nullptr;
    std::uint64_t count = 0;
    std::uint64_t fade = 0;
    double left = 0.0;
    double right = 0.0;

    [[nodiscard]] float at(std::int64_t i) const {
        if (i < 0) return static_cast<float>(left);
        const auto u = static_cast<std::uint64_t>(i);
        if (u >= count) return static_cast<float>(right);
        if (u >= fade && u < count - fade) return input[u];
        const bool isLeft = u < fade;
        const double level = isLeft ? left : right;
        const std::uint64_t from = isLeft ? u : count - 1 - u;
        const double w = smoothStep((static_cast<double>(from) + 0.5) / static_cast<double>(fade));
        return static_cast<float>(level + w * (double{input[u]} - level));
    }
};

// The level of `fade` samples read by `sample(0)` to `sample(fade - 1)`
// from the end inwards: their mean weighted by the bump s^2 (1 - s)^2, which
// a tone of more than a few cycles over the span hardly moves.
template <typename Sample>
double levelOf(std::uint64_t fade, Sample sample) {
    double sum = 0.0;
    double weights = 0.0;
    for (std::uint64_t i = 0; i < fade; ++i) {
        const double s = (static_cast<double>(i) + 0.5) / static_cast<double>(fade);
        const double weight = s * s * (1.0 - s) * (1.0 - s);
        sum += weight * sample(i);
        weights += weight;
    }
    return sum / weights;
}

Edges edgesOf(const float* input, std::uint64_t count, const Design& d) {
    Edges e;
    e.input = input;
    e.count = count;
    // kFade samples of the lower rate, in input samples, rounded up.
    const std::uint64_t fade = d.scale < 1.0 ? (kFade * d.step + d.phases - 1) / d.phases : kFade;
    e.fade = std::min(fade, count / 2);
    if (e.fade == 0) {
        e.left = input[0];
        e.right = input[count - 1];
        return e;
    }
    e.left = levelOf(e.fade, [&](std::uint64_t i) { return double{input[i]}; });
    e.right = levelOf(e.fade, [&](std::uint64_t i) { return double{input[count - 1 - i]}; });
    return e;
}

// The clip as the filter sees it (Edges::at) at the input indexes `from`
// to `to` - 1, worked out once for all the windows that read them.
struct Span {
    std::int64_t from = 0;
    std::vector<float> values;
};

Span spanOf(const Edges& edges, std::int64_t from, std::int64_t to) {
    Span span;
    span.from = from;
    span.values.reserve(static_cast<std::size_t>(to - from));
    for (std::int64_t i = from; i < to; ++i) span.values.push_back(edges.at(i));
    return span;
}

}  // namespace

std::optional<std::uint32_t> resampledLength(std::size_t count, std::uint32_t fromRate,
                                             std::uint32_t toRate) {
    if (fromRate == 0 || toRate == 0) return std::nullopt;
    // count = q x fromRate + r, each part times toRate, the remainder's
    // rounded to nearest, halves up. Every product of two 32-bit values
    // fits in 64 bits, and q is checked before it is multiplied.
    const std::uint64_t q = count / fromRate;
    const std::uint64_t r = count % fromRate;
    if (q > UINT32_MAX) return std::nullopt;
    const std::uint64_t scaled = r * toRate;
    const std::uint64_t rest = scaled / fromRate + (scaled % fromRate * 2 >= fromRate ? 1 : 0);
    const std::uint64_t whole = q * toRate;
    if (whole > UINT32_MAX || rest > UINT32_MAX - whole) return std::nullopt;
    return static_cast<std::uint32_t>(whole + rest);
}

std::vector<float> resample(const float* input, std::size_t count, std::uint32_t fromRate,
                            std::uint32_t toRate) {
    const std::optional<std::uint32_t> length = resampledLength(count, fromRate, toRate);
    if (!length) return {};
    if (fromRate == toRate) return {input, input + count};
    std::vector<float> out(*length);
    if (*length == 0) return out;

    Filter& filter = filterFor(fromRate, toRate);
    const Design d = filter.design;
    float* const table = filter.table.data();
    std::uint8_t* const made = filter.made.data();
    double* const scratch = filter.scratch.data();
    const std::uint64_t rowDenominator = d.blended ? d.tablePhases - 1 : d.phases;
    const auto row = [&](std::uint64_t r) {
        const auto at = static_cast<std::size_t>(r);
        float* const taps = table + at * static_cast<std::size_t>(d.taps);
        if (made[at] == 0) {
            makeTaps(d, r, rowDenominator, scratch, taps);
            made[at] = 1;
        }
        return taps;
    };
    const Edges edges = edgesOf(input, count, d);
    // Every window (taps input samples from `first`) that reaches into a
    // fade lies in the head, [1 - half, fade + taps), or in the tail,
    // [count - fade - taps, count + half): output k lies at an input n
    // below count, since k < resampledLength. A clip short enough for the
    // two to meet has one span for both.
    const auto half = static_cast<std::int64_t>(d.half);
    const auto taps = static_cast<std::size_t>(d.taps);
    const auto fade = static_cast<std::int64_t>(edges.fade);
    const auto size = static_cast<std::int64_t>(count);
    const std::int64_t headTo = fade + static_cast<std::int64_t>(taps);
    const std::int64_t tailFrom = size - headTo;
    const std::int64_t tailTo = size + half;
    const bool oneSpan = headTo >= tailFrom;
    const Span head = spanOf(edges, 1 - half, oneSpan ? tailTo : headTo);
    const Span tail = oneSpan ? Span{} : spanOf(edges, tailFrom, tailTo);
    // Output k lies at input n + p / phases, n and p kept exactly by
    // integer steps of fromRate / toRate.
    std::uint64_t n = 0;
    std::uint64_t p = 0;
    const std::uint64_t whole = d.step / d.phases;
    const std::uint64_t part = d.step % d.phases;
    for (std::uint32_t k = 0; k < *length; ++k) {
        const std::int64_t first = static_cast<std::int64_t>(n) - (half - 1);
        const float* x = nullptr;
        if (first >= fade && first + static_cast<std::int64_t>(taps) <= size - fade) {
            x = input + first;
        } else {
            const Span& span = (oneSpan || first + static_cast<std::int64_t>(taps) <= headTo) ? head : tail;
            x = span.values.data() + (first - span.from);
        }
        if (!d.blended) {
            out[k] = dot(row(p), x, taps);
        } else {
            // Between blended rows q and q + 1, at alpha of the way.
            const std::uint64_t scaled = p * (d.tablePhases - 1);
            const std::uint64_t q = scaled / d.phases;
            const auto alpha =
                static_cast<float>(static_cast<double>(scaled % d.phases) / static_cast<double>(d.phases));
            const float a = dot(row(q), x, taps);
            const float b = dot(row(q + 1), x, taps);
            out[k] = a + alpha * (b - a);
        }
        n += whole;
        p += part;
        if (p >= d.phases) {
            p -= d.phases;
            ++n;
        }
    }
    return out;
}

}  // namespace clip2c::sound
