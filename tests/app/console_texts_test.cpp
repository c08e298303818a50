// SPDX-License-Identifier: MIT
#include "app/console_texts.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace clip2c {
namespace {

std::string shiftJisToUtf8(std::string_view sjis) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no CP932 converter>";
    std::string in(sjis);
    std::string out(sjis.size() * 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0) return "<not valid Shift_JIS>";
    out.resize(out.size() - outLeft);
    return out;
}

TEST(ConsoleTexts, Utf8FormIsTheShiftJisText) {
    const struct {
        const char* name;
        ConsoleText text;
    } rows[] = {{"title", kTitle},
                {"no input path", kNoInputPath},
                {"not raw or wav", kNotRawOrWav},
                {"mono only", kMonoOnly},
                {"8 bit only", kEightBitOnly}};
    for (const auto& row : rows) {
        EXPECT_EQ(shiftJisToUtf8(row.text.sjis), row.text.utf8) << row.name;
    }
}

}  // namespace
}  // namespace clip2c
