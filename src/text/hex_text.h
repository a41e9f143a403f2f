#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

/// Reads a hexadecimal number at the start of `text` as the C library's "%x" conversion does:
/// leading white space (blank, tab, line feed, vertical tab, form feed, carriage return) is
/// skipped, an optional "0x" or "0X" prefix is taken, then the hexadecimal digits up to the
/// first other character; the rest of the text is not looked at. Nothing when no digit comes,
/// and, unlike the C conversion, nothing for a sign or a number beyond 32 bits, so that no
/// overlong text wraps round to another value.
template <typename Char> std::optional<uint32_t> ScanHex32(std::basic_string_view<Char> text) {
    size_t i = 0;
    auto isSpace = [](Char c) { return c == Char(' ') || (c >= Char('\t') && c <= Char('\r')); };
    auto digit = [](Char c) -> int {
        if (c >= Char('0') && c <= Char('9'))
            return static_cast<int>(c - Char('0'));
        if (c >= Char('a') && c <= Char('f'))
            return static_cast<int>(c - Char('a')) + 10;
        if (c >= Char('A') && c <= Char('F'))
            return static_cast<int>(c - Char('A')) + 10;
        return -1;
    };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    // "0x" is a prefix only when a digit follows; "0x" alone reads as 0.
    if (i + 2 < text.size() && text[i] == Char('0') &&
        (text[i + 1] == Char('x') || text[i + 1] == Char('X')) && digit(text[i + 2]) >= 0)
        i += 2;
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && digit(text[i]) >= 0; ++i, ++digits) {
        value = value * 16 + static_cast<uint64_t>(digit(text[i]));
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}
