#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// White space as the C library's wide space class has it in the "C" locale: blank, tab, line
/// feed, vertical tab, form feed and carriage return.
bool IsWideSpace(char16_t c);

/// `text` without the white space at both ends.
std::u16string TrimWideSpace(std::u16string_view text);

/// 7-bit text (digits, messages the program formats itself) as UTF-16, unit for byte.
std::u16string AsciiToWide(std::string_view text);

/// Address text of the link: the UTF-16 text of a control or of the command line as the 8-bit
/// text the socket layer takes (UTF-8; dotted addresses and host names are ASCII anyway).
std::string AddressText(std::u16string_view text);

/// Reads `text` by a scanf-style `pattern` of literal characters and the conversions "%u",
/// "%d", "%x" and "%c", as the C library's scanner does: numbers skip leading white space and
/// take an optional sign ("%x": hexadecimal digits of either case after an optional "0x"), "%c"
/// takes the next unit whatever it is, and scanning stops at the first mismatch or at the end of
/// the text. Returns the number of conversions made; their values are appended to `fields`.
/// Unlike the C scanner, a number too large for its type saturates and a negative "%u" or "%x"
/// reads as 0xFFFFFFFF, so that an overlong or signed port text never wraps round to a valid
/// port.
int ScanWide(std::u16string_view text, std::string_view pattern, std::vector<int64_t>& fields);
