#include "config/param_table_rows.h"

#include <charconv>
#include <cstdlib>

#include "model/channel_band_names.h"
#include "model/param_code_layout.h"
#include "text/value_format.h"

using namespace param_code;

namespace {
constexpr uint32_t Family1Multiplier = 3;
constexpr char16_t NamePieceSeparator = u'_';
constexpr char16_t RangeArrow[] = u" -> ";

constexpr char16_t CellEnd = u'\n';
/// Width of the code cell, the sign included ("%08d").
constexpr size_t CodeCellWidth = 8;

/// Appends `value` in decimal, padded with zeros behind a minus sign to `width` units.
void AppendDecimal(std::u16string& out, int64_t value, size_t width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, std::llabs(value)).ptr;
    const auto count = static_cast<size_t>(end - digits) + (value < 0 ? 1 : 0);
    if (value < 0)
        out += u'-';
    if (count < width)
        out.append(width - count, u'0');
    out.append(digits, end);
}

void AppendParamBandText(std::u16string& out, const TelemetryDescriptor& desc,
                         const DeviceParamLayout& layout, uint32_t family, uint32_t band) {
    if (family < 1 || family > FamilyCount)
        return;
    const std::vector<double>& frequencies = layout.FrequencyLists[family - 1];
    if (band < frequencies.size()) {
        out += FormatScaledValue(frequencies[band]);
        return;
    }
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
    if (index < BandNameTable.size())
        out += BandNameTable[static_cast<size_t>(index)];
}

/// Appends the display name of `code` (see ParamDisplayName) to `out`.
void AppendParamDisplayName(std::u16string& out, const TelemetryDescriptor& desc,
                            const DeviceParamLayout& layout, uint32_t code,
                            std::u16string_view hzText) {
    const uint32_t cls = (code >> ClassShift) & ClassMask;
    const uint32_t family = (code >> FamilyShift) & FamilyMask;
    if (cls != 1 || family < 1 || family > FamilyCount)
        return;
    const auto channel = static_cast<int32_t>((code >> ChannelShift) & ChannelMask);
    const uint32_t aver = (code >> AverShift) & AverMask;
    const uint32_t band = code & BandMask;

    if (desc.ChannelCount >= 2) {
        out += ChannelName(channel, layout);
        out += NamePieceSeparator;
    }
    if (family != 3) {
        out += desc.TypeNames[family - 1];
        out += NamePieceSeparator;
    }
    if (const auto averName = desc.AverNames.find(aver); averName != desc.AverNames.end()) {
        out += averName->second;
        out += NamePieceSeparator;
    }
    AppendParamBandText(out, desc, layout, family, band);
    if (family != 3)
        out += hzText;
}

/// Where the part of `last` shown behind the arrow of a group's name begins.
size_t RangeTailStart(std::u16string_view first, std::u16string_view last) {
    size_t common = 0;
    while (common < first.size() && common < last.size() && first[common] == last[common])
        ++common;
    while (common > 0 && last[common - 1] != NamePieceSeparator)
        --common;
    return common;
}
} // namespace

std::u16string ParamBandText(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                             uint32_t family, uint32_t band) {
    std::u16string text;
    AppendParamBandText(text, desc, layout, family, band);
    return text;
}

std::u16string ParamDisplayName(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                uint32_t code, const std::u16string& hzText) {
    std::u16string name;
    AppendParamDisplayName(name, desc, layout, code, hzText);
    return name;
}

std::u16string ParamRangeName(const std::u16string& first, const std::u16string& last) {
    return first + RangeArrow + last.substr(RangeTailStart(first, last));
}

void FormatParamRow(std::u16string& row, std::u16string& scratch, std::span<const ParamCell> cells,
                    const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                    const ParamKey& key, const ParamSetting& setting,
                    const std::u16string& hzText) {
    row.clear();
    for (const ParamCell cell : cells) {
        switch (cell) {
        case ParamCell::Name: {
            const size_t nameStart = row.size();
            AppendParamDisplayName(row, desc, layout, key.code, hzText);
            if (key.count > 0) {
                scratch.clear();
                AppendParamDisplayName(scratch, desc, layout, ParamKeyElement(key, key.count),
                                       hzText);
                const size_t tail =
                    RangeTailStart(std::u16string_view(row).substr(nameStart), scratch);
                row += RangeArrow;
                row.append(scratch, tail);
            }
            break;
        }
        case ParamCell::Rate:
            AppendDecimal(row, setting.rate, 0);
            break;
        case ParamCell::PlotMark:
            row += setting.plot == 0 ? u'+' : u'-';
            break;
        case ParamCell::Code:
            AppendDecimal(row, static_cast<int32_t>(key.code), CodeCellWidth);
            break;
        }
        row += CellEnd;
    }
}
