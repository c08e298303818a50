// SPDX-License-Identifier: MIT
// PLACEHOLDER: linear interpolation until the windowed-sinc resampler lands.
#include "sound/resample.h"

namespace clip2c::sound {

std::optional<std::uint32_t> resampledLength(std::size_t count, std::uint32_t fromRate, std::uint32_t toRate) {
    if (fromRate == 0 || toRate == 0) return std::nullopt;
    const std::uint64_t q = count / fromRate, r = count % fromRate;
    const std::uint64_t length = q * toRate + (r * toRate * 2 + fromRate) / (std::uint64_t{fromRate} * 2);
    if (length > UINT32_MAX) return std::nullopt;
    return static_cast<std::uint32_t>(length);
}

std::vector<float> resample(const float* input, std::size_t count, std::uint32_t fromRate, std::uint32_t toRate) {
    const std::optional<std::uint32_t> length = resampledLength(count, fromRate, toRate);
    if (!length) return {};
    if (fromRate == toRate) return {input, input + count};
    std::vector<float> out(*length);
    for (std::uint32_t k = 0; k < *length; ++k) {
        const std::uint64_t pos = std::uint64_t{k} * fromRate;
        const auto n = static_cast<std::size_t>(pos / toRate);
        const double f = static_cast<double>(pos % toRate) / toRate;
        const double a = n < count ? input[n] : 0.0, b = n + 1 < count ? input[n + 1] : 0.0;
        out[k] = static_cast<float>(a + (b - a) * f);
    }
    return out;
}

}  // namespace clip2c::sound
