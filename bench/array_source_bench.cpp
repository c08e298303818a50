// SPDX-License-Identifier: MIT
// Throughput of the array text builder: samples a second, for unsigned and
// signed output, over random bytes (every value width appears).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "csource/array_source.h"

namespace {

std::vector<std::uint8_t> randomSamples(std::size_t count) {
    std::mt19937 generator(20240601);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> samples(count);
    for (std::uint8_t& s : samples) s = static_cast<std::uint8_t>(byte(generator));
    return samples;
}

void emitText(benchmark::State& state, bool isSigned) {
    const auto samples = randomSamples(static_cast<std::size_t>(state.range(0)));
    const auto count = static_cast<std::uint32_t>(samples.size());
    std::size_t textBytes = 0;
    for (auto _ : state) {
        const clip2c::SourceText text = clip2c::emitArraySource("clip", samples.data(), count, isSigned);
        benchmark::DoNotOptimize(text.bytes.chars());
        textBytes = text.length;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["text_bytes_per_sample"] = static_cast<double>(textBytes) / static_cast<double>(count);
}

void BM_EmitUnsigned(benchmark::State& state) { emitText(state, false); }
void BM_EmitSigned(benchmark::State& state) { emitText(state, true); }

BENCHMARK(BM_EmitUnsigned)->Arg(4096)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmitSigned)->Arg(4096)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
