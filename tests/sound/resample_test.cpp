// SPDX-License-Identifier: MIT
#include "sound/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "sound/prepare.h"

namespace clip2c::sound {
namespace {

constexpr double kPi = 3.141592653589793;

// A tenth of a second of a full-scale tone at `hz`, starting at `phase`.
std::vector<float> tone(std::uint32_t rate, double hz, double phase) {
    std::vector<float> x(rate / 10);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<float>(std::sin(2.0 * kPi * hz * static_cast<double>(i) / rate + phase));
    }
    return x;
}

double lowerNyquist(std::uint32_t fromRate, std::uint32_t toRate) { return std::min(fromRate, toRate) / 2.0; }

// The output samples far enough from both ends that the fade there and the
// filter's reach do not touch them: 160 samples of the lower rate.
std::size_t margin(std::uint32_t fromRate, std::uint32_t toRate) {
    return fromRate > toRate ? 160 : std::size_t{160} * toRate / fromRate + 1;
}

struct LengthRow {
    const char* name;
    std::size_t count;
    std::uint32_t fromRate;
    std::uint32_t toRate;
    std::optional<std::uint32_t> expected;
};

TEST(Resample, LengthIsCountTimesRatioRoundedToNearest) {
    const LengthRow rows[] = {
        {"one second down", 44100, 44100, 8000, 8000},
        {"one second up", 8000, 8000, 22050, 22050},
        {"a half rounds up", 1, 2, 1, 1},
        {"below a half rounds down", 1, 4, 1, 0},
        {"above a half rounds up", 3, 4, 1, 1},
        {"odd ratio", 1000, 44100, 7999, 181},  // 181.38
        {"empty", 0, 44100, 8000, 0},
        {"no from rate", 10, 0, 8000, std::nullopt},
        {"no to rate", 10, 8000, 0, std::nullopt},
        // r x toRate x 2 passes 2^64 here, yet the length fits.
        {"large remainder", 0xFFFFFFFEu, 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFDu},
        {"just fits", 0xFFFFFFFFu, 8000, 8000, 0xFFFFFFFFu},
        {"over 32 bits", 0xFFFFFFFFu, 8000, 16000, std::nullopt},
        {"rounds past 32 bits", 0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFFu, std::nullopt},
    };
    for (const LengthRow& row : rows) {
        EXPECT_EQ(resampledLength(row.count, row.fromRate, row.toRate), row.expected) << row.name;
    }
}

struct RatesRow {
    const char* name;
    std::uint32_t fromRate;
    std::uint32_t toRate;
};

const RatesRow kRates[] = {
    {"44100 to 8000", 44100, 8000},   {"48000 to 8000", 48000, 8000},   {"22050 to 8000", 22050, 8000},
    {"11025 to 8000", 11025, 8000},   {"44100 to 11025", 44100, 11025}, {"96000 to 8000", 96000, 8000},
    {"44100 to 7999", 44100, 7999},   {"8000 to 22050", 8000, 22050},   {"22050 to 44100", 22050, 44100},
    {"44100 to 48000", 44100, 48000}, {"8000 to 7999", 8000, 7999},
};

// An impulse placed at an output sample's exact time comes out centred
// there: the largest output, with equal neighbours on both sides.
TEST(Resample, ImpulseLandsAtItsTime) {
    for (const RatesRow& row : kRates) {
        const std::uint32_t g = std::gcd(row.fromRate, row.toRate);
        const std::size_t count = row.fromRate / 10;
        // The first input sample past the middle that lies on an output sample.
        const std::size_t unit = row.fromRate / g;
        const std::size_t at = (count / 2 + unit - 1) / unit * unit;
        if (at + 200 > count) continue;  // no such sample in the middle
        std::vector<float> x(count, 0.0f);
        x[at] = 1.0f;
        const std::vector<float> y = resample(x.data(), count, row.fromRate, row.toRate);
        const std::size_t k = at / unit * (row.toRate / g);
        ASSERT_LT(k + 3, y.size()) << row.name;
        EXPECT_EQ(std::max_element(y.begin(), y.end()) - y.begin(), static_cast<std::ptrdiff_t>(k))
            << row.name;
        for (std::size_t d = 1; d <= 3; ++d) EXPECT_NEAR(y[k - d], y[k + d], 1e-6) << row.name << " at " << d;
    }
}

// A slow ramp comes out as the ramp's value at each output's time, and DC
// as that DC, ends included.
TEST(Resample, RampAndDcKeepTheirValues) {
    for (const RatesRow& row : kRates) {
        const std::size_t count = row.fromRate / 10;
        const double length = row.fromRate / 10.0;
        std::vector<float> ramp(count);
        for (std::size_t i = 0; i < count; ++i) {
            ramp[i] = static_cast<float>(0.5 * static_cast<double>(i) / length - 0.25);
        }
        const std::vector<float> y = resample(ramp.data(), count, row.fromRate, row.toRate);
        const std::size_t m = margin(row.fromRate, row.toRate);
        for (std::size_t k = m; k + m < y.size(); ++k) {
            const double at = static_cast<double>(k) * row.fromRate / row.toRate;
            ASSERT_NEAR(y[k], 0.5 * at / length - 0.25, 1e-5) << row.name << " at " << k;
        }
        for (const std::size_t length : {count, std::size_t{1}, std::size_t{7}, std::size_t{300}}) {
            const std::vector<float> dc(length, 0.7f);
            for (const float v : resample(dc.data(), length, row.fromRate, row.toRate)) {
                ASSERT_NEAR(v, 0.7f, 2e-6) << row.name << ", " << length << " samples";
            }
        }
    }
}

struct ToneRow {
    const char* name;
    std::uint32_t fromRate;
    std::uint32_t toRate;
    double fraction;  // of the lower Nyquist frequency
};

// The tone's amplitude from its output samples away from the ends, by
// projection on the sine and cosine at the output's times.
double amplitude(const std::vector<float>& y, const ToneRow& row, double hz, double phase) {
    const std::size_t m = margin(row.fromRate, row.toRate);
    double s = 0.0, c = 0.0, norm = 0.0;
    for (std::size_t k = m; k + m < y.size(); ++k) {
        const double angle = 2.0 * kPi * hz * static_cast<double>(k) / row.toRate + phase;
        s += y[k] * std::sin(angle);
        c += y[k] * std::cos(angle);
        norm += std::sin(angle) * std::sin(angle) + std::cos(angle) * std::cos(angle);
    }
    return 2.0 * std::sqrt(s * s + c * c) / norm;
}

TEST(Resample, PassbandToneKeepsItsAmplitude) {
    const ToneRow rows[] = {
        {"44100 to 8000, low", 44100, 8000, 0.05}, {"44100 to 8000, middle", 44100, 8000, 0.5},
        {"44100 to 8000, edge", 44100, 8000, 0.9}, {"48000 to 8000, edge", 48000, 8000, 0.9},
        {"22050 to 8000, edge", 22050, 8000, 0.9}, {"11025 to 8000, edge", 11025, 8000, 0.9},
        {"96000 to 8000, edge", 96000, 8000, 0.9}, {"44100 to 11025, edge", 44100, 11025, 0.9},
        {"44100 to 7999, edge", 44100, 7999, 0.9}, {"8000 to 22050, low", 8000, 22050, 0.1},
        {"8000 to 22050, edge", 8000, 22050, 0.9}, {"11025 to 48000, edge", 11025, 48000, 0.9},
        {"8000 to 7999, edge", 8000, 7999, 0.9},
    };
    for (const ToneRow& row : rows) {
        const double hz = row.fraction * lowerNyquist(row.fromRate, row.toRate);
        for (const double phase : {0.0, 1.0}) {
            const std::vector<float> x = tone(row.fromRate, hz, phase);
            const std::vector<float> y = resample(x.data(), x.size(), row.fromRate, row.toRate);
            const double db = 20.0 * std::log10(amplitude(y, row, hz, phase));
            EXPECT_LT(std::fabs(db), 0.5) << row.name << ": " << db << " dB";
        }
    }
}

// A full-scale tone past 1.05 x the lower Nyquist quantizes to silence at
// every sample, the abrupt start and end included, with room to spare.
TEST(Resample, StopbandToneBecomesSilence) {
    const RatesRow pairs[] = {
        {"44100 to 8000", 44100, 8000}, {"48000 to 8000", 48000, 8000},   {"22050 to 8000", 22050, 8000},
        {"11025 to 8000", 11025, 8000}, {"44100 to 11025", 44100, 11025}, {"96000 to 8000", 96000, 8000},
        {"44100 to 7999", 44100, 7999},
    };
    for (const RatesRow& pair : pairs) {
        for (const double fraction : {1.05, 1.2, 1.5, 2.0, 3.0}) {
            const double hz = fraction * lowerNyquist(pair.fromRate, pair.toRate);
            if (hz >= pair.fromRate / 2.0) continue;  // the input cannot hold it
            for (const double phase : {0.0, kPi / 2.0, 2.0}) {
                const std::vector<float> x = tone(pair.fromRate, hz, phase);
                const std::vector<float> y = resample(x.data(), x.size(), pair.fromRate, pair.toRate);
                float peak = 0.0f;
                for (const float v : y) {
                    ASSERT_EQ(quantizeSample(v), 128) << pair.name << " at " << fraction << " x Nyquist";
                    peak = std::max(peak, std::fabs(v));
                }
                EXPECT_LT(peak, 1e-3f) << pair.name << " at " << fraction << " x Nyquist";
            }
        }
    }
}

TEST(Resample, EqualRatesGiveTheInput) {
    const float nan = std::nanf("");
    const std::vector<float> x = {0.25f, -1.0f, nan, 3.0f, -0.0f};
    const std::vector<float> y = resample(x.data(), x.size(), 22050, 22050);
    ASSERT_EQ(y.size(), x.size());
    EXPECT_EQ(std::memcmp(x.data(), y.data(), x.size() * sizeof(float)), 0);
    EXPECT_TRUE(resample(x.data(), 0, 22050, 22050).empty());
}

// The same bits on every platform: a fixed noise through each path (exact
// phases down and up, blended phases) hashes to the figure this machine
// gave (and gcc at -O0 and -O3 -march=native, clang, MinGW under Wine and
// emscripten's wasm32 gave alike), so a target that rounds otherwise fails.
// And the same bits whatever was resampled before: each row is hashed
// first after a short clip at its rates has made some of the filter's
// phases, then again after every other row's rates.
TEST(Resample, GivesTheSameBitsEverywhere) {
    struct Row {
        const char* name;
        std::uint32_t fromRate;
        std::uint32_t toRate;
        std::uint64_t hash;
    };
    const Row rows[] = {
        {"44100 to 8000", 44100, 8000, 16303987420981451948u},
        {"8000 to 22050", 8000, 22050, 3115122340614878439u},
        {"44100 to 7999, blended", 44100, 7999, 17412834515343498391u},
        {"96000 to 8000", 96000, 8000, 10883716120639506891u},
        {"11025 to 8000", 11025, 8000, 1127781314457149079u},
    };
    for (const bool afterShortClip : {true, false}) {
        for (const Row& row : rows) {
            std::vector<float> x(row.fromRate / 20);
            std::uint32_t state = 12345;
            for (float& v : x) {
                state = state * 1664525u + 1013904223u;
                v = static_cast<float>(static_cast<std::int32_t>(state >> 8) - (1 << 23)) /
                    static_cast<float>(1 << 23);
            }
            if (afterShortClip) resample(x.data(), 50, row.fromRate, row.toRate);
            std::uint64_t hash = 14695981039346656037u;
            for (const float v : resample(x.data(), x.size(), row.fromRate, row.toRate)) {
                std::uint32_t bits = 0;
                std::memcpy(&bits, &v, sizeof bits);
                hash = (hash ^ bits) * 1099511628211u;
            }
            EXPECT_EQ(hash, row.hash) << row.name << (afterShortClip ? ", after a short clip" : ", again");
        }
    }
}

}  // namespace
}  // namespace clip2c::sound
