#pragma once
#include <string>
#include <string_view>

// The adapter keeps 8-bit text (device name, server host name) in the ANSI code page of the
// systems it serves: Windows-1251. Every 8-bit text the program reads or writes goes through
// WideToAnsi and AnsiToWide.

/// UTF-16 to Windows-1251 bytes. A unit (or surrogate pair) the code page lacks becomes '?'.
std::string WideToAnsi(std::u16string_view text);

/// True when the code page has every character of `text`: WideToAnsi then writes no '?' in
/// place of one.
bool IsAnsiText(std::u16string_view text);

/// Windows-1251 bytes to UTF-16; every byte maps to one unit.
std::u16string AnsiToWide(std::string_view bytes);
