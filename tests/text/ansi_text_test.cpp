#include <gtest/gtest.h>

#include "text/ansi_text.h"

TEST(AnsiText, Windows1251BothWays) {
    struct Case {
        std::u16string wide;
        std::string bytes;
    };
    const Case cases[] = {
        {u"host.example-1", "host.example-1"},
        {u"\u0410\u044F\u0401\u0451", "\xC0\xFF\xA8\xB8"}, // А я Ё ё
        {u"\u2116\u20AC\u0490\u00A0", "\xB9\x88\xA5\xA0"}, // № € Ґ nbsp
        {u"\u0402\u045F\u2122\u00BB", "\x80\x9F\x99\xBB"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToAnsi(c.wide), c.bytes);
        EXPECT_EQ(AnsiToWide(c.bytes), c.wide);
    }
}

TEST(AnsiText, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string wide = AnsiToWide(all);
    EXPECT_EQ(wide.size(), 256u);
    EXPECT_EQ(WideToAnsi(wide), all);
}

TEST(AnsiText, TextIsAnsiOnlyWhenNoCharacterWouldBecomeAQuestionMark) {
    EXPECT_TRUE(IsAnsiText(u""));
    EXPECT_TRUE(IsAnsiText(u"host?.example"));
    EXPECT_TRUE(IsAnsiText(u"\u043C\u0438\u0440.\u0440\u0444\u20AC\u2116")); // мир.рф€№
    EXPECT_FALSE(IsAnsiText(u"m\u00F6nitor.example.net"));
    EXPECT_FALSE(IsAnsiText(u"a\U0001F600b"));
    EXPECT_FALSE(IsAnsiText(std::u16string(1, 0xDC00)));
}

TEST(AnsiText, UnmappableBecomesQuestionMark) {
    EXPECT_EQ(WideToAnsi(u"\u00E9x"), "?x");               // é is not in the code page
    EXPECT_EQ(WideToAnsi(u"a\U0001F600b"), "a?b");         // one mark for a surrogate pair
    EXPECT_EQ(WideToAnsi(std::u16string(1, 0xD800)), "?"); // lone surrogate
}
