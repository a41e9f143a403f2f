#pragma once
#include <string>
#include <string_view>

/// A test name made of `text`: letters and digits kept, everything else as '_', prefixed by the
/// case's index so that names stay unique.
std::string TestNameOf(size_t index, std::u16string_view text);
