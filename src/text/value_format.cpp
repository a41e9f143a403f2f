#include "text/value_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

constexpr double ScaleThreshold = 1000.0;
constexpr double Thousand = 1000.0;
constexpr double Million = 1000000.0;
constexpr int PlainDecimals = 2;
constexpr int ScaledDecimals = 3;

constexpr char16_t HighSurrogateFirst = 0xD800;
constexpr char16_t LowSurrogateFirst = 0xDC00;
constexpr char16_t SurrogateLast = 0xDFFF;
constexpr char32_t ReplacementCharacter = 0xFFFD;

// The rounded value floor(v + 0.5) tested against 1000. Comparing in double gives the same
// answer as a 32-bit integer for every value that fits one, and no undefined conversion for
// the rest: huge positive values scale, NaN is kept in the plain form.
bool RoundsBelowThreshold(double v) {
    return !(std::floor(v + 0.5) >= ScaleThreshold);
}

// printf's "%.Nf" with the C locale's '.', then the suffix; the text is ASCII.
std::u16string FixedText(double v, int decimals, char16_t suffix) {
    // A double has at most 309 integer digits; with sign, point and decimals this suffices.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    std::u16string text(buffer, result.ptr);
    if (suffix != u'\0') {
        text.push_back(suffix);
    }
    return text;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::u16string FormatScaledValue(const double& value) {
    const double x = value;
    if (!std::isfinite(x) || RoundsBelowThreshold(x)) {
        return FixedText(x, PlainDecimals, u'\0');
    }
    const double thousands = x / Thousand;
    if (RoundsBelowThreshold(thousands)) {
        return FixedText(thousands, ScaledDecimals, u'k');
    }
    return FixedText(x / Million, ScaledDecimals, u'm');
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < HighSurrogateFirst || unit > SurrogateLast) {
            AppendUtf8(out, unit);
        } else if (unit < LowSurrogateFirst && i + 1 < text.size() &&
                   text[i + 1] >= LowSurrogateFirst && text[i + 1] <= SurrogateLast) {
            const char32_t high = unit - HighSurrogateFirst;
            const char32_t low = text[i + 1] - LowSurrogateFirst;
            AppendUtf8(out, 0x10000 + (high << 10) + low);
            ++i;
        } else {
            AppendUtf8(out, ReplacementCharacter);
        }
    }
    return out;
}
