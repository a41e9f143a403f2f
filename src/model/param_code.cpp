#include "model/param_code.h"

using namespace param_code;

uint32_t ParamCodeFrameSize(uint32_t code) {
    switch (kind(code)) {
    case 0: case 1: case 2: case 3: case 4: case 6:
        return 2;
    case 12:
        return 8;
    case Kind15:
        switch (group(code)) {
        case Kind15Group10Bytes: return 10;
        case Kind15Group66Bytes: return 66;
        case Kind15GroupCounted: return 2 + 2 * ((code >> Kind15CountShift) & Kind15CountMask);
        default: return 6;
        }
    default:
        return 4;
    }
}

int32_t ParamCodeFrameOffset(int32_t teleType, uint32_t code) {
    auto it = TelemetryDescriptorMap.find(teleType);
    if (it == TelemetryDescriptorMap.end())
        return -1;
    uint32_t offset = 0;
    for (uint32_t c : it->second.Codes) {
        if (c == code)
            return static_cast<int32_t>(offset);
        offset += ParamCodeFrameSize(c);
    }
    return -1;
}

namespace {
uint32_t BuildCode(uint32_t classBits, bool packed, uint32_t ch, uint32_t f, uint32_t a,
                   uint32_t b) {
    if (f == 3)
        return (GroupL << GroupShift) | (ch << LChannelShift) | (b + LBandsPerAver * a);
    return (classBits << ClassShift) | (ch << ChannelShift) | ((f + 1) << FamilyShift) |
           (a << (packed ? PackedAverShift : AverShift)) | b;
}

// An index beyond its field would spill into the field above it and find another parameter's
// code: a family-"L" item index into the channel, a band index into the averaging index, an
// averaging index into the channel.
bool FitsFields(bool packed, uint32_t f, uint32_t a, uint32_t b) {
    if (f == 3)
        return uint64_t{b} + uint64_t{LBandsPerAver} * a <= LItemMask;
    return a < AverIndexLimit(packed) && b < BandIndexLimit(packed);
}

uint32_t Search(const TelemetryDescriptor& d, uint32_t wanted, uint32_t twin) {
    for (uint32_t c : d.Codes) {
        uint32_t low = c & LowMask;
        if (low == (wanted & LowMask) || low == (twin & LowMask))
            return c;
    }
    return 0;
}
} // namespace

uint32_t FindParamCodeByType(int32_t teleType, uint32_t channel, uint32_t family, uint32_t aver,
                             uint32_t band) {
    auto it = TelemetryDescriptorMap.find(teleType);
    if (it == TelemetryDescriptorMap.end())
        return 0;
    const TelemetryDescriptor& d = it->second;
    bool packed = d.IndexPacked != 0;
    if (!FitsFields(packed, family, aver, band))
        return 0;
    return Search(d, BuildCode(1, packed, channel, family, aver, band),
                  BuildCode(2, packed, channel, family, aver, band));
}

uint32_t FindParamCode(const TelemetryDescriptor& desc, uint32_t channel, uint32_t family,
                       uint32_t aver, uint32_t band) {
    const bool packed = desc.IndexPacked != 0;
    if (!FitsFields(packed, family, aver, band))
        return 0;
    uint32_t wanted = BuildCode(1, packed, channel, family, aver, band);
    return Search(desc, wanted, wanted);
}
