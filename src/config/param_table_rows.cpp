#include "config/param_table_rows.h"

#include "model/channel_band_names.h"
#include "model/param_code_layout.h"
#include "text/value_format.h"

using namespace param_code;

namespace {
constexpr uint32_t NibbleMask = 0xF;
constexpr uint32_t AverMask = 0xFF;
constexpr uint32_t Family1Multiplier = 3;
constexpr char16_t NamePieceSeparator = u'_';
constexpr char16_t RangeArrow[] = u" -> ";
} // namespace

std::u16string ParamBandText(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                             uint32_t family, uint32_t band) {
    if (family < 1 || family > FamilyCount)
        return {};
    const std::vector<double>& frequencies = layout.FrequencyLists[family - 1];
    if (band < frequencies.size())
        return FormatScaledValue(frequencies[band]);
    uint32_t base = desc.BandBase3;
    uint32_t multiplier = 1;
    if (family == 1) {
        base = desc.BandBase1;
        multiplier = Family1Multiplier;
    } else if (family == 2) {
        base = desc.BandBase2;
    }
    // The description decides whether base + band x m stays inside the table; past its end
    // (or wrapped) the band simply has no text.
    const uint64_t index = uint64_t{base} + uint64_t{band} * multiplier;
    if (index >= BandNameTable.size())
        return {};
    return BandNameTable[static_cast<size_t>(index)];
}

std::u16string ParamDisplayName(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                uint32_t code, const std::u16string& hzText) {
    const uint32_t cls = (code >> ClassShift) & NibbleMask;
    const uint32_t family = (code >> FamilyShift) & NibbleMask;
    if (cls != 1 || family < 1 || family > FamilyCount)
        return {};
    const auto channel = static_cast<int32_t>((code >> ChannelShift) & NibbleMask);
    const uint32_t aver = (code >> AverShift) & AverMask;
    const uint32_t band = code & BandMask;

    std::u16string name;
    if (desc.ChannelCount >= 2) {
        name += ChannelName(channel, layout);
        name += NamePieceSeparator;
    }
    if (family != 3) {
        name += desc.TypeNames[family - 1];
        name += NamePieceSeparator;
    }
    if (const auto averName = desc.AverNames.find(aver); averName != desc.AverNames.end()) {
        name += averName->second;
        name += NamePieceSeparator;
    }
    name += ParamBandText(desc, layout, family, band);
    if (family != 3)
        name += hzText;
    return name;
}

std::u16string ParamRangeName(const std::u16string& first, const std::u16string& last) {
    size_t common = 0;
    while (common < first.size() && common < last.size() && first[common] == last[common])
        ++common;
    while (common > 0 && last[common - 1] != NamePieceSeparator)
        --common;
    return first + RangeArrow + last.substr(common);
}
