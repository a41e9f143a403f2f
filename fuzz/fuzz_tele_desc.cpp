// libFuzzer entry: every input is loaded as a description file in both interface languages.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/tele_desc_file.h"
#include "model/tele_desc_format.h"

namespace fs = std::filesystem;

namespace {
const fs::path& InputPath() {
    static const fs::path path = [] {
        fs::path p =
            fs::temp_directory_path() / ("velmora-fuzz-" + std::to_string(getpid()) + ".bin");
        std::atexit([] {
            std::error_code ec;
            fs::remove(InputPath(), ec);
        });
        return p;
    }();
    return path;
}

void ClearTables() {
    TelemetryDescriptorMap.clear();
    DeviceTypeChannelNameMap.clear();
    BandNameTable.clear();
    DeviceModelList.clear();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            std::abort();
    }
    for (const char16_t* language : {UiLanguageEnglish, UiLanguageRussian}) {
        ClearTables();
        LoadTeleDescFile(InputPath(), language);
    }
    ClearTables();
    return 0;
}
