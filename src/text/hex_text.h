#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

/// A hexadecimal number read at the start of a text as the C library's "%x" conversion reads
/// it: leading white space (blank, tab, line feed, vertical tab, form feed, carriage return) is
/// skipped, then an optional '+' or '-', an optional "0x" or "0X" prefix and the hexadecimal
/// digits up to the first other character; the rest of the text is not looked at.
struct HexReading {
    bool Signed = false;   ///< a '+' or '-' came before the digits
    bool Negative = false; ///< that sign was '-'
    bool Beyond32 = false; ///< the digits make a number of more than 32 bits
    uint32_t Low32 = 0;    ///< the low 32 bits of the digits' number
};

/// Nothing when no digit comes.
template <typename Char> std::optional<HexReading> ReadHex(std::basic_string_view<Char> text) {
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
    HexReading reading;
    if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) {
        reading.Signed = true;
        reading.Negative = text[i] == Char('-');
        ++i;
    }
    // "0x" is a prefix only when a digit follows; "0x" alone reads as 0.
    if (i + 2 < text.size() && text[i] == Char('0') &&
        (text[i + 1] == Char('x') || text[i + 1] == Char('X')) && digit(text[i + 2]) >= 0)
        i += 2;
    size_t digits = 0;
    for (; i < text.size() && digit(text[i]) >= 0; ++i, ++digits) {
        if (reading.Low32 >> 28 != 0)
            reading.Beyond32 = true;
        reading.Low32 = (reading.Low32 << 4) | static_cast<uint32_t>(digit(text[i]));
    }
    if (digits == 0)
        return std::nullopt;
    return reading;
}

/// The "%x" reading of `text` as an unsigned 32-bit number; unlike the C conversion, nothing
/// for a sign or a number beyond 32 bits, so that no typed number wraps round to another value.
template <typename Char> std::optional<uint32_t> ScanHex32(std::basic_string_view<Char> text) {
    const std::optional<HexReading> reading = ReadHex(text);
    if (!reading || reading->Signed || reading->Beyond32)
        return std::nullopt;
    return reading->Low32;
}

/// The low 8 bits of what "%x" converts, as the C conversion gives them: a '-' negates the
/// number ("-1" gives 0xFF) and a wider number keeps its low 8 bits. Nothing when no digit comes.
template <typename Char> std::optional<uint8_t> ScanHexLowByte(std::basic_string_view<Char> text) {
    const std::optional<HexReading> reading = ReadHex(text);
    if (!reading)
        return std::nullopt;
    const uint32_t value = reading->Negative ? 0u - reading->Low32 : reading->Low32;
    return static_cast<uint8_t>(value & 0xFFu);
}
