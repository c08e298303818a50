// SPDX-License-Identifier: MIT
// The resampler alone: 3 minutes of 44.1 kHz mono (a sweep under noise, as
// the mixer would hand it over) to 8000 Hz, and the other common ratios,
// each timed over a few runs; prints the median time and the output's
// samples a second.
//
//   clip2c_resample_bench [runs]      # 7 by default
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "sound/resample.h"

namespace {

std::vector<float> testSignal(std::uint32_t rate, std::uint32_t seconds) {
    std::vector<float> x(std::size_t{rate} * seconds);
    std::uint32_t state = 1;
    double phase = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const double noise = static_cast<double>(state >> 8) / (1 << 24) - 0.5;
        phase += 0.001 + 0.2 * static_cast<double>(i) / static_cast<double>(x.size());
        if (phase > 1.0) phase -= 2.0;
        x[i] = static_cast<float>(0.5 * phase + 0.2 * noise);
    }
    return x;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    struct Case {
        std::uint32_t fromRate;
        std::uint32_t toRate;
    };
    const Case cases[] = {{44100, 8000}, {48000, 8000}, {22050, 8000}, {44100, 7999}, {8000, 22050}};
    for (const Case& c : cases) {
        const std::vector<float> input = testSignal(c.fromRate, 180);
        std::vector<double> seconds;
        std::size_t produced = 0;
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            const std::vector<float> out =
                clip2c::sound::resample(input.data(), input.size(), c.fromRate, c.toRate);
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            produced = out.size();
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        std::printf("3 min %u -> %u Hz: median %.1f ms of %d runs, %.1f million output samples a second\n",
                    c.fromRate, c.toRate, median * 1e3, runs, static_cast<double>(produced) / median / 1e6);
    }
    return 0;
}
