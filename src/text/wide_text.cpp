#include "text/wide_text.h"

#include <limits>

#include "text/value_format.h"

bool IsWideSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string TrimWideSpace(std::u16string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsWideSpace(text[first])) {
        ++first;
    }
    while (last > first && IsWideSpace(text[last - 1])) {
        --last;
    }
    return std::u16string(text.substr(first, last - first));
}

std::string AddressText(std::u16string_view text) {
    return WideToUtf8(text);
}

namespace {

/// Value of digit `c` in `base` (10 or 16); -1 when it is none.
int DigitValue(char16_t c, int base) {
    int digit = base;
    if (c >= u'0' && c <= u'9')
        digit = c - u'0';
    else if (c >= u'a' && c <= u'f')
        digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        digit = c - u'A' + 10;
    return digit < base ? digit : -1;
}

/// Reads a number at `pos` for "%u" (isSigned false), "%d" or, with base 16, "%x" (which also
/// takes a "0x" prefix); false when no digit is there.
bool ScanNumber(std::u16string_view text, size_t& pos, bool isSigned, int base, int64_t& value) {
    while (pos < text.size() && IsWideSpace(text[pos])) {
        ++pos;
    }
    size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    if (base == 16 && p + 2 < text.size() && text[p] == u'0' &&
        (text[p + 1] == u'x' || text[p + 1] == u'X') && DigitValue(text[p + 2], 16) >= 0) {
        p += 2;
    }
    constexpr int64_t limit = int64_t{1} << 32;
    int64_t magnitude = 0;
    const size_t firstDigit = p;
    for (; p < text.size() && DigitValue(text[p], base) >= 0; ++p) {
        magnitude = std::min(limit, magnitude * base + DigitValue(text[p], base));
    }
    if (p == firstDigit) {
        return false;
    }
    pos = p;
    if (isSigned) {
        constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
        constexpr int64_t highest = std::numeric_limits<int32_t>::max();
        value = negative ? std::max(lowest, -magnitude) : std::min(highest, magnitude);
    } else {
        constexpr int64_t highest = std::numeric_limits<uint32_t>::max();
        value = (negative && magnitude != 0) ? highest : std::min(highest, magnitude);
    }
    return true;
}

} // namespace

int ScanWide(std::u16string_view text, std::string_view pattern, std::vector<int64_t>& fields) {
    int converted = 0;
    size_t pos = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char conversion = pattern[++i];
            int64_t value = 0;
            if (conversion == 'c') {
                if (pos >= text.size()) {
                    break;
                }
                value = text[pos++];
            } else if (!ScanNumber(text, pos, conversion == 'd', conversion == 'x' ? 16 : 10,
                                   value)) {
                break;
            }
            fields.push_back(value);
            ++converted;
        } else {
            if (pos >= text.size() || text[pos] != static_cast<char16_t>(pattern[i])) {
                break;
            }
            ++pos;
        }
    }
    return converted;
}

std::u16string AsciiToWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}
