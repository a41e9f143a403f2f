#pragma once
#include <cstdint>
#include <string>

#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"

struct DialogState;

/// Display name of one parameter code: [channel_][family_][averaging_]band[Hz] for a measured
/// value of family 1 to 3 (bits 24 to 27 equal to 1), the empty text for any other code. The
/// fields are read at their unpacked positions whatever the descriptor's IndexPacked says.
/// `hzText` is the unit shown behind the band text of families 1 and 2 (string 132). A band
/// index past the end of BandNameTable gives an empty band text.
std::u16string ParamDisplayName(const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                uint32_t code, const std::u16string& hzText);

/// Rebuilds every row of the parameter list from the selected-parameter map, in key order, with
/// the entry's position as item data; then selects (visible and centred) the row of the last
/// entry whose code equals `codeToSelect`, or none when no entry has it (pass 0 for none).
void RefreshParamTable(DialogState& state, uint32_t codeToSelect);
