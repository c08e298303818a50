// The one conversion run, from argument vector to exit status.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clip2c {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = -1;

// Returns ".raw" when the path holds ".raw" anywhere (case-sensitive, not
// only at its end), else ".wav" when it holds ".wav", else nothing.
std::optional<std::string_view> classifyInput(const std::string& inputPath);

// Returns the input path cut at the last occurrence of `extension`, plus ".h".
std::string deriveOutputPath(std::string inputPath, std::string_view extension);

// Parses the command line, prints the banner and then the usage text or at
// most one message, converts, and returns 0 for a completed conversion and
// -1 for everything else.
int runClip2c(int argc, const char* const* argv);

}  // namespace clip2c
