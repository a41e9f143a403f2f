#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/string_format.h"

namespace {

TEST(FormatWide, FillsTheConversionsOfStringTableTexts) {
    struct Case {
        std::u16string format;
        std::vector<int64_t> args;
        std::u16string expected;
    };
    for (const Case& c : std::vector<Case>{
             {u"Legacy [%u]", {77}, u"Legacy [77]"},
             {u"(%d != %d)\n0x%08X", {65535, -1, 0x5110001F}, u"(65535 != -1)\n0x5110001F"},
             {u"%08X|%x|%5d|%-5d|%05d|%i",
              {0xAB, 0xAB, -42, 42, -42, 7},
              u"000000AB|ab|  -42|42   |-0042|7"},
             {u"%u %d", {-1, 0xFFFFFFFF}, u"4294967295 -1"},
             {u"100%% %s %q and %", {}, u"100% %s %q and %"},
             {u"Устаревший [%u]", {204}, u"Устаревший [204]"},
         }) {
        SCOPED_TRACE(std::string(c.expected.begin(), c.expected.end()));
        const std::u16string out = FormatWide(c.format, c.args);
        EXPECT_EQ(out, c.expected);
    }
}

TEST(FormatWide, UntrustedTextsCannotReadPastTheArgumentsOrGrowWithoutBound) {
    EXPECT_EQ(FormatWide(u"%d and %d and %08X", {5}), u"5 and  and ");
    EXPECT_EQ(FormatWide(u"%99999999999d", {1}).size(), 64u);
    EXPECT_EQ(FormatWide(u"%", {1}), u"%");
}

} // namespace
