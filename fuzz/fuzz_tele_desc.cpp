// libFuzzer entry: every input is loaded as a description file in both interface languages and
// every telemetry type it describes is decoded.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/channel_band_names.h"
#include "model/device_param_layout.h"
#include "model/tele_desc_file.h"
#include "model/tele_desc_format.h"

namespace fs = std::filesystem;

namespace {
// The input is held in a file in memory, opened by its /proc path as the program opens its
// description file: nothing is written to any folder, so nothing is left there however the run
// ends (libFuzzer leaves by _Exit after a finding or a time-out, with no clean-up).
int InputFile() {
    static const int fd = [] {
        const int f = memfd_create("velmora-fuzz-input", MFD_CLOEXEC);
        if (f < 0)
            std::abort();
        return f;
    }();
    return fd;
}

const fs::path& InputPath() {
    static const fs::path path = "/proc/self/fd/" + std::to_string(InputFile());
    return path;
}

void WriteInput(const uint8_t* data, size_t size) {
    if (ftruncate(InputFile(), 0) != 0)
        std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t put = pwrite(InputFile(), data + done, size - done, static_cast<off_t>(done));
        if (put <= 0)
            std::abort();
        done += static_cast<size_t>(put);
    }
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
    WriteInput(data, size);
    for (const char16_t* language : {UiLanguageEnglish, UiLanguageRussian}) {
        ClearTables();
        LoadTeleDescFile(InputPath(), language);
        DecodeEveryType();
    }
    ClearTables();
    return 0;
}
