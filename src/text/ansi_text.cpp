#include "text/ansi_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace {
// Windows-1251 bytes 0x80-0xBF; 0xC0-0xFF are U+0410-U+044F in order. Byte 0x98 has no
// character in the code page and maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 64> HighTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // 0xB8
};

constexpr char16_t CyrillicFirst = 0x0410; // byte 0xC0
constexpr char16_t CyrillicLast = 0x044F;  // byte 0xFF

/// The byte of `u`; nothing when the code page lacks it, as it lacks every surrogate.
std::optional<char> EncodeUnit(char16_t u) {
    if (u < 0x80)
        return static_cast<char>(u);
    if (u >= CyrillicFirst && u <= CyrillicLast)
        return static_cast<char>(0xC0 + (u - CyrillicFirst));
    for (size_t i = 0; i < HighTable.size(); ++i)
        if (HighTable[i] == u)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}
} // namespace

std::string WideToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back('?');
            ++i;
            continue;
        }
        out.push_back(EncodeUnit(text[i]).value_or('?'));
    }
    return out;
}

bool IsAnsiText(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char16_t u) { return EncodeUnit(u).has_value(); });
}

std::u16string AnsiToWide(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80)
            out.push_back(b);
        else if (b >= 0xC0)
            out.push_back(static_cast<char16_t>(CyrillicFirst + (b - 0xC0)));
        else
            out.push_back(HighTable[b - 0x80]);
    }
    return out;
}
