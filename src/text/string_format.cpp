#include "text/string_format.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t MaxWidth = 64;

/// The digits of one conversion, before padding.
std::string Digits(char16_t conversion, int64_t value) {
    char text[24];
    const auto bits = static_cast<uint32_t>(value);
    switch (conversion) {
    case u'd':
    case u'i':
        std::snprintf(text, sizeof text, "%d", static_cast<int32_t>(bits));
        break;
    case u'u':
        std::snprintf(text, sizeof text, "%u", bits);
        break;
    case u'x':
        std::snprintf(text, sizeof text, "%x", bits);
        break;
    default:
        std::snprintf(text, sizeof text, "%X", bits);
        break;
    }
    return text;
}

bool IsIntegerConversion(char16_t c) {
    return c == u'd' || c == u'i' || c == u'u' || c == u'x' || c == u'X';
}

} // namespace

std::u16string FormatWide(std::u16string_view format, std::span<const int64_t> args) {
    std::u16string out;
    auto next = args.begin();
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != u'%') {
            out.push_back(format[i++]);
            continue;
        }
        const size_t start = i++;
        if (i < format.size() && format[i] == u'%') {
            out.push_back(u'%');
            ++i;
            continue;
        }
        bool left = false;
        bool zero = false;
        for (; i < format.size() && (format[i] == u'-' || format[i] == u'0'); ++i) {
            (format[i] == u'-' ? left : zero) = true;
        }
        size_t width = 0;
        for (; i < format.size() && format[i] >= u'0' && format[i] <= u'9'; ++i) {
            width = std::min(MaxWidth, width * 10 + static_cast<size_t>(format[i] - u'0'));
        }
        if (i == format.size() || !IsIntegerConversion(format[i])) {
            // Not a conversion of ours: shown as written.
            out.append(format.substr(start, i - start));
            continue;
        }
        const char16_t conversion = format[i++];
        if (next == args.end()) {
            continue;
        }
        std::string digits = Digits(conversion, *next++);
        if (digits.size() < width) {
            const size_t pad = width - digits.size();
            if (left) {
                digits.append(pad, ' ');
            } else if (zero) {
                digits.insert(digits[0] == '-' ? 1 : 0, pad, '0');
            } else {
                digits.insert(0, pad, ' ');
            }
        }
        out.append(digits.begin(), digits.end());
    }
    return out;
}
