// SPDX-License-Identifier: MIT
// Changing a clip's sample rate, the same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace clip2c::sound {

// The length of `count` samples at `fromRate` resampled to `toRate`: count
// times toRate / fromRate, rounded to nearest (halves up). Nothing when
// either rate is 0 or the length would not fit in 32 bits.
std::optional<std::uint32_t> resampledLength(std::size_t count, std::uint32_t fromRate, std::uint32_t toRate);

// `count` samples at `fromRate` resampled to `toRate`, resampledLength
// samples long, output sample k being the input's sound at time k / toRate.
// Equal rates give the input unchanged. Empty when resampledLength gives
// nothing.
std::vector<float> resample(const float* input, std::size_t count, std::uint32_t fromRate,
                            std::uint32_t toRate);

}  // namespace clip2c::sound
