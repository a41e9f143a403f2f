#include "support/test_names.h"

std::string TestNameOf(size_t index, std::u16string_view text) {
    std::string name = "c";
    name += std::to_string(index);
    name += '_';
    for (char16_t c : text) {
        const bool plain =
            (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        name += plain ? static_cast<char>(c) : '_';
    }
    return name;
}
