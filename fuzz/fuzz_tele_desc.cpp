// libFuzzer entry: every input is loaded as a description file in both interface languages and
// every telemetry type it describes is decoded.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/channel_band_names.h"
#include "model/device_param_layout.h"
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

// After a successful decode every channel has the shapes of the counts.
void CheckShape(const std::vector<std::vector<double>>& matrix, int32_t rows, int32_t cells) {
    if (matrix.size() != static_cast<std::size_t>(rows))
        std::abort();
    for (const auto& row : matrix)
        if (row.size() != static_cast<std::size_t>(cells))
            std::abort();
}

void CheckShapes(const ChannelLayouts& channels, const TelemetryDescriptor& desc) {
    for (const ChannelLayout& ch : channels) {
        CheckShape(ch.ValueMatrix1, desc.AverCount1, desc.BandCount1);
        CheckShape(ch.ValueMatrix2, desc.AverCount2, desc.BandCount2);
        CheckShape(ch.ValueMatrix3, desc.AverCount3, desc.BandCount3);
        if (ch.LItems.size() != desc.LItemCount)
            std::abort();
    }
}

// Selects every loaded type in turn, as the dialog would, and names every code it holds, so an
// odd code list or name table can never reach past what the decode sized.
void DecodeEveryType() {
    ChannelLayouts channels;
    DeviceParamLayout layout;
    TelemetryDescriptor desc;
    for (const auto& [type, described] : TelemetryDescriptorMap) {
        layout.TeleType = static_cast<uint16_t>(type);
        if (ApplyTeleDescToDevice(channels, layout, desc))
            CheckShapes(channels, desc);
        for (uint32_t code : desc.Codes)
            BandName(code, layout, desc);
        for (uint32_t code : desc.LItemCodes)
            BandName(code, layout, desc);
        for (int32_t channel = -1; channel <= desc.ChannelCount; ++channel)
            ChannelName(channel, layout);
    }
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
        DecodeEveryType();
    }
    ClearTables();
    return 0;
}
