#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/wide_text.h"

namespace {

TEST(ScanWide, HexConversionReadsEitherCaseAndAnOptionalPrefix) {
    struct Case {
        std::u16string Text;
        int Converted;
        std::vector<int64_t> Fields;
    };
    const Case cases[] = {
        {u"0a:Bc", 2, {0x0A, 0xBC}},
        {u" 0x1f:0XFF", 2, {0x1F, 0xFF}},
        {u"0x:1", 1, {0}},                    // "0x" without a digit behind: the 0 alone
        {u"g1:2", 0, {}},                     // no digit at all
        {u"123456789:1", 2, {0xFFFFFFFF, 1}}, // saturates
        {u"-1:2", 2, {0xFFFFFFFF, 2}},
    };
    for (const Case& c : cases) {
        std::vector<int64_t> fields;
        EXPECT_EQ(ScanWide(c.Text, "%x:%x", fields), c.Converted);
        EXPECT_EQ(fields, c.Fields);
    }
}

} // namespace
