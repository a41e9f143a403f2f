#include "model/device_param_layout.h"

#include "model/param_code_layout.h"

using namespace param_code;

namespace {
constexpr uint32_t MeasuredClass1 = 1;
constexpr uint32_t MeasuredClass2 = 2;
constexpr uint32_t MarkerListSize = 2;

// The member of family 1, 2 or 3 among three per-family members.
template <typename T> T& ByFamily(uint32_t family, T& of1, T& of2, T& of3) {
    return family == 1 ? of1 : family == 2 ? of2 : of3;
}

std::vector<std::vector<double>>& ValueMatrix(ChannelLayout& ch, uint32_t family) {
    return ByFamily(family, ch.ValueMatrix1, ch.ValueMatrix2, ch.ValueMatrix3);
}

int32_t& BandCount(TelemetryDescriptor& d, uint32_t family) {
    return ByFamily(family, d.BandCount1, d.BandCount2, d.BandCount3);
}

int32_t& AverCount(TelemetryDescriptor& d, uint32_t family) {
    return ByFamily(family, d.AverCount1, d.AverCount2, d.AverCount3);
}

void RaiseTo(int32_t& count, uint32_t atLeast) {
    if (count < static_cast<int32_t>(atLeast))
        count = static_cast<int32_t>(atLeast);
}

// An explicit-frequency code's family nibble: 4-6 and 7-9 fold onto 1-3; 0 when it names none.
uint32_t FoldFrequencyFamily(uint32_t k) {
    if (k > 6)
        k -= 6;
    else if (k > 3)
        k -= 3;
    return (k >= 1 && k <= 3) ? k : 0;
}

bool IsDecodable(const TelemetryDescriptor& d) {
    return !d.Codes.empty() && d.LItemCount <= MaxLItemCount;
}
} // namespace

void ResetDeviceParamLayout(ChannelLayouts& channels, DeviceParamLayout& layout,
                            TelemetryDescriptor& desc) {
    desc.ChannelCount = 0;
    desc.BandCount1 = desc.BandCount2 = desc.BandCount3 = 0;
    desc.AverCount1 = desc.AverCount2 = desc.AverCount3 = 0;
    for (auto& list : layout.FrequencyLists)
        list.clear();
    for (ChannelLayout& ch : channels) {
        ch.ValueMatrix1.clear();
        ch.ValueMatrix2.clear();
        ch.ValueMatrix3.clear();
    }
}

bool ApplyTeleDescToDevice(ChannelLayouts& channels, DeviceParamLayout& layout,
                           TelemetryDescriptor& desc) {
    auto it = TelemetryDescriptorMap.find(static_cast<int32_t>(layout.TeleType));
    if (it == TelemetryDescriptorMap.end() || !IsDecodable(it->second)) {
        ResetDeviceParamLayout(channels, layout, desc);
        return false;
    }
    desc = it->second;
    ResetDeviceParamLayout(channels, layout, desc);

    const bool packed = desc.IndexPacked != 0;
    uint32_t lBandCount = 0;
    std::array<bool, FamilyCount> marked{};
    for (uint32_t c : desc.Codes) {
        const uint32_t g = group(c);
        const uint32_t cls = (c >> ClassShift) & ClassMask;
        if (g == GroupLBands || g == GroupL) {
            if ((c & BandMask) >= lBandCount)
                lBandCount = (c & BandMask) + 1;
        } else if (cls == MeasuredClass1 || cls == MeasuredClass2) {
            const uint32_t ch = (c >> ChannelShift) & ChannelMask;
            const uint32_t a =
                packed ? (c >> PackedAverShift) & PackedAverMask : (c >> AverShift) & AverMask;
            const uint32_t b = packed ? c & PackedBandMask : c & BandMask;
            if (ch >= ChannelLayoutCount)
                return false;
            const uint32_t n = (c >> FamilyShift) & FamilyMask;
            if (n < 1 || n > FamilyCount)
                continue;
            RaiseTo(desc.ChannelCount, ch + 1);
            RaiseTo(BandCount(desc, n), b + 1);
            RaiseTo(AverCount(desc, n), a + 1);
            auto& matrix = ValueMatrix(channels[ch], n);
            if (matrix.size() <= a)
                matrix.resize(a + 1);
            if (matrix[a].size() <= b)
                matrix[a].resize(b + 1, 0.0);
        } else if (g == GroupFreq1 || g == GroupFreq2) {
            const uint32_t k = FoldFrequencyFamily((c >> FreqFamilyShift) & FreqFamilyMask);
            if (k == 0)
                continue;
            const uint32_t v = c & FreqValueMask;
            auto& list = layout.FrequencyLists[k - 1];
            if (v == FreqMarkerE) {
                list.resize(MarkerListSize);
            } else if (v == FreqMarkerAll || v == FreqMarkerD) {
                list.resize(MarkerListSize);
                marked[k - 1] = true;
            } else if (v >= list.size()) {
                list.resize(v + 1, 0.0);
                RaiseTo(BandCount(desc, k), v + 1);
            }
        }
    }

    for (uint32_t n = 1; n <= FamilyCount; ++n) {
        if (marked[n - 1])
            layout.FrequencyLists[n - 1].resize(static_cast<std::size_t>(BandCount(desc, n)));
    }

    for (ChannelLayout& ch : channels) {
        for (uint32_t n = 1; n <= FamilyCount; ++n) {
            auto& matrix = ValueMatrix(ch, n);
            matrix.resize(static_cast<std::size_t>(AverCount(desc, n)));
            for (auto& row : matrix)
                row.assign(static_cast<std::size_t>(BandCount(desc, n)), NoValueMark);
        }
    }

    // LItemCount 0 gives no items, so the division below never sees it.
    const uint32_t bandsPerItem = desc.LItemCount == 0 ? 0 : lBandCount / desc.LItemCount;
    for (ChannelLayout& ch : channels) {
        ch.LItems.resize(desc.LItemCount);
        for (LItem& item : ch.LItems)
            item.bands.resize(bandsPerItem);
    }
    return true;
}
