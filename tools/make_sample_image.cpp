// Build-time tool: writes the settings image that scripts/run.sh preloads into the test adapter,
// encoded by the program's own codecs against the sample description, so that a first Get
// settings shows a whole adapter.
//   make_sample_image <TeleDescFile.bin> <output file>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "config/selected_params.h"
#include "config/settings_image.h"
#include "model/tele_desc_file.h"
#include "model/telemetry_descriptor.h"

namespace {
constexpr int32_t SampleType = 42; // "SLM: Orvel-110" of the sample description

// Codes of type 42: kind 1, measured class 1, channel 0; family in bits 20-23, averaging in
// bits 8-15, band in bits 0-7.
constexpr uint32_t Octave = 0x11100000;
constexpr uint32_t Broadband = 0x11300000;
constexpr uint32_t Slow = 0x100;
constexpr uint32_t Leq = 0x300;
} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <TeleDescFile.bin> <output file>\n", argv[0]);
        return 2;
    }
    if (!LoadTeleDescFile(std::filesystem::path(argv[1]), u"English") ||
        !TelemetryDescriptorMap.contains(SampleType)) {
        std::fprintf(stderr, "%s: no description of type %d in %s\n", argv[0], SampleType,
                     argv[1]);
        return 1;
    }

    SettingsPage page;
    page.MacAddress = {0x02, 0x00, 0x5E, 0x10, 0x20, 0x30};
    page.IpAddress = {192, 168, 10, 20};
    page.NetMask = {255, 255, 255, 0};
    page.Gateway = {192, 168, 10, 1};
    page.DnsServer = {192, 168, 10, 2};
    page.NtpServer = {192, 168, 10, 3};
    page.ServerAddress = EncodeServerHostName(u"monitor.example.net");
    page.PolarizationControl = EncodePolarizationControl(PolarizationChoice::On);
    page.RangeControl = EncodeRangeControl(RangeChoice::R2);
    page.Flags = EncodeFlags({.DateTime = true});
    page.TelemetryType = SampleType;
    EncodeFrameOffsets(page, false);
    EncodeModelFields(page, false, DeviceModelList, u"");

    SelectedParamMap params;
    params[{Octave + 3, 0, 0}] = {1, 1};       // octave band 3, fast: every second, plot flag set
    params[{Broadband + Leq, 0, 0}] = {10, 0}; // broadband Leq every 10 s
    params[{Octave + Slow, 8, 1}] = {60, 0};   // octave bands 0 to 8, slow, every minute

    const std::vector<uint8_t> image = EncodeSettingsImage(page, params, SampleType);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
