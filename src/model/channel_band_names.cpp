#include "model/channel_band_names.h"

#include "model/param_code_layout.h"

using namespace param_code;

const char16_t SensorNameTable[SensorNameCount][SensorNameSlot] = {
    u"Mic", u"A",  u"X",  u"Y",  u"Z",  u"LF", u"HF", u"D",
    u"NO",  u"NO", u"NO", u"NO", u"NO", u"K1", u"K2", u"K3",
};

namespace {
constexpr uint32_t SensorIndexMask = 0xF;
constexpr int SensorIndexBits = 4;
constexpr int32_t LastChannel = 7;

std::u16string FreqName(uint32_t band) {
    std::u16string name = u"Freq ";
    for (char ch : std::to_string(band + 1))
        name.push_back(static_cast<char16_t>(ch));
    return name;
}
} // namespace

std::u16string BandName(uint32_t code, const DeviceParamLayout& layout,
                        const TelemetryDescriptor& desc) {
    const uint32_t cls = (code >> ClassShift) & ClassMask;
    if (cls != 1 && cls != 2)
        return {};
    uint32_t base = 0;
    uint32_t stride = 1;
    const uint32_t family = (code >> FamilyShift) & FamilyMask;
    switch (family) {
    case 1:
        base = desc.BandBase1;
        stride = desc.BandStride1;
        break;
    case 2:
        base = desc.BandBase2;
        stride = desc.BandStride2;
        break;
    case 3:
        base = desc.BandBase3;
        break;
    default:
        return {};
    }
    const uint32_t band = desc.IndexPacked != 0 ? code & PackedBandMask : code & BandMask;
    if (band < layout.FrequencyLists[family - 1].size())
        return FreqName(band);
    // Unsigned arithmetic as the description file's numbers are; an index that wraps or lies
    // past the table simply has no name.
    const uint32_t index = band * stride + base;
    if (index >= BandNameTable.size())
        return {};
    return BandNameTable[index];
}

std::u16string ChannelName(int32_t channel, const DeviceParamLayout& layout) {
    if (channel < 0 || channel > LastChannel)
        return {};
    // The map is 16 bits wide, so channels 4 to 7 shift it to 0 and take entry 0.
    const uint32_t map = layout.ChannelSensorMap;
    return SensorNameTable[(map >> (SensorIndexBits * channel)) & SensorIndexMask];
}
