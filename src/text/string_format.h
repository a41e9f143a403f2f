#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

/// Fills the numbers into a format text of the string table, as the C library's printf does for
/// the conversions such texts use: "%d", "%i", "%u", "%x" and "%X" with the flags '-' and '0'
/// and a width, and "%%". Each argument is taken as a 32-bit value, signed for "%d" and "%i".
/// The text comes from the resources, so it is never trusted: a conversion with no argument left
/// writes nothing, an unknown conversion is copied as it stands, and a width is capped at 64.
std::u16string FormatWide(std::u16string_view format, std::span<const int64_t> args);
inline std::u16string FormatWide(std::u16string_view format, std::initializer_list<int64_t> args) {
    return FormatWide(format, std::span<const int64_t>(args.begin(), args.size()));
}
