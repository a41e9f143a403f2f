#include "text/value_format.h"

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

struct ScaledCase {
    double value;
    const char16_t* text;
};

// The form is chosen on the rounded value, so 999.5 already reads as thousands.
const ScaledCase ScaledCases[] = {
    {50.0, u"50.00"},
    {999.49, u"999.49"},
    {999.5, u"1.000k"},
    {1500.0, u"1.500k"},
    {12345.6, u"12.346k"},
    {999499.0, u"999.499k"},
    {999500.0, u"1.000m"},
    {2500000.0, u"2.500m"},
    {1500000000.0, u"1500.000m"},
    {0.0, u"0.00"},
    {-5.0, u"-5.00"},
    {-5000.0, u"-5000.00"},
    {-2000000.0, u"-2000000.00"},
    {0.125, u"0.12"},
    {3e9, u"3000.000m"},
};

TEST(FormatScaledValue, ExamplesTakeTheirForm) {
    for (const auto& c : ScaledCases) {
        EXPECT_EQ(FormatScaledValue(c.value), std::u16string(c.text)) << c.value;
    }
}

TEST(FormatScaledValue, NonFiniteValuesStayUnscaled) {
    EXPECT_EQ(FormatScaledValue(std::numeric_limits<double>::infinity()), u"inf");
    EXPECT_EQ(FormatScaledValue(-std::numeric_limits<double>::infinity()), u"-inf");
    EXPECT_EQ(FormatScaledValue(std::numeric_limits<double>::quiet_NaN()).find(u'k'),
              std::u16string::npos);
}

// The UI library switches the C locale to the user's; band names must still use '.'.
TEST(FormatScaledValue, DecimalPointIgnoresTheLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"), nullptr)
        << "ru_RU.UTF-8 is missing: scripts/install-deps.sh generates it";
    const std::string decimalPoint = std::localeconv()->decimal_point;
    const std::u16string shown = FormatScaledValue(1500.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(decimalPoint, ",");
    EXPECT_EQ(shown, u"1.500k");
}

TEST(WideToUtf8, EncodesEveryLength) {
    EXPECT_EQ(WideToUtf8(u""), "");
    EXPECT_EQ(WideToUtf8(u"L"), "L");
    EXPECT_EQ(WideToUtf8(u"Русский"), "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9");
    EXPECT_EQ(WideToUtf8(u"Русский").size(), 14u);
    EXPECT_EQ(WideToUtf8(u"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(WideToUtf8, UnpairedSurrogatesBecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(WideToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a" + fffd + "b");
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t(0xDC00), u'x'}), fffd + "x");
    EXPECT_EQ(WideToUtf8(std::u16string{u'x', char16_t(0xD83D)}), "x" + fffd);
    // A high surrogate followed by another high one: each stands alone.
    EXPECT_EQ(WideToUtf8(std::u16string{char16_t(0xD800), char16_t(0xD801), char16_t(0xDC00)}),
              fffd + "\xF0\x90\x90\x80");
}

} // namespace
