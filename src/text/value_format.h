#pragma once
#include <string>
#include <string_view>

/// A frequency in hertz as short text: "%.2lf" below a rounded 1000, else "%.3lfk" of x / 1000
/// below a rounded 1000 thousand, else "%.3lfm" of x / 1000000. Negative values, NaN and
/// infinities always take the first form. The decimal point is '.' whatever the C locale says.
std::u16string FormatScaledValue(const double& value);

/// UTF-16 to UTF-8 over the whole input (embedded zeros included). An unpaired surrogate
/// becomes U+FFFD; an empty input gives an empty result. The one such conversion of the program.
std::string WideToUtf8(std::u16string_view text);
