#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "config/selected_params.h"
#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"

/// Text of band `band` of measured-value family `family` (1 to 3): the band's explicit frequency
/// by FormatScaledValue when the family's FrequencyLists entry has that many values, else the
/// BandNameTable entry at base + band x m (the family's BandBase, m = 3 for family 1, 1 for
/// families 2 and 3; the descriptor's strides play no part). Empty past the end of the table.
std::u16string ParamBandText(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                             uint32_t family, uint32_t band);

/// Display name of one parameter code: [channel_][family_][averaging_]band[Hz] for a measured
/// value of family 1 to 3 (bits 24 to 27 equal to 1), the empty text for any other code. The
/// fields are read at their unpacked positions whatever the descriptor's IndexPacked says.
/// `hzText` is the unit shown behind the band text of families 1 and 2 (string 132).
std::u16string ParamDisplayName(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                uint32_t code, const std::u16string& hzText);

/// Name of a group from the names of its first and last elements: the first name, " -> ", and
/// the last name from just behind the last '_' of their common beginning (in full when that
/// beginning holds no '_').
std::u16string ParamRangeName(const std::u16string& first, const std::u16string& last);

/// What a cell of a parameter row holds; the parameter list's column table orders them.
enum class ParamCell : uint8_t {
    Name,     ///< the display name; for a group, the range name of its first and last elements
    Rate,     ///< the send rate in decimal ("%d")
    PlotMark, ///< '+' when plot is 0, '-' otherwise ("%c")
    Code,     ///< the code as a signed number of at least 8 digits ("%08d")
};

/// The list row of one entry, written into `row`: the cells `cells` names, in that order, each
/// followed by a line feed. `scratch` is working space, so that a caller making many rows reuses
/// two buffers.
void FormatParamRow(std::u16string& row, std::u16string& scratch, std::span<const ParamCell> cells,
                    const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                    const ParamKey& key, const ParamSetting& setting, const std::u16string& hzText);
