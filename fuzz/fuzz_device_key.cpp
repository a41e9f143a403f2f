// libFuzzer entry: every input is parsed as a key file. A key it takes must come back unchanged
// when written out again as a dump and parsed once more, and leaves the block's tail zero.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "dialog/device_key.h"
#include "fuzz_input.h"
#include "key_dump.h"

namespace {
constexpr size_t KeyBytes = 576; ///< the seven fields; zero bytes follow
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const std::optional<DeviceKeyBlock> key = ParseDeviceKeyFile(in);
    if (!key)
        return 0;
    for (size_t i = KeyBytes; i < key->size(); ++i)
        if ((*key)[i] != 0)
            FuzzFail("the key block's tail is not zero");
    std::istringstream again(KeyDumpText(*key));
    if (ParseDeviceKeyFile(again) != key)
        FuzzFail("a key written out again reads back differently");
    return 0;
}
