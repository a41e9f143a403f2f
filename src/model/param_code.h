#pragma once
#include <cstdint>

#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"

/// Size in bytes of a code's value in a telemetry frame, by its kind (and group for kind 15).
uint32_t ParamCodeFrameSize(uint32_t code);

/// Byte offset of `code` in the frame of telemetry type `teleType`: the sum of the sizes of the
/// codes before its first exact (32-bit) occurrence; -1 when the type, its codes or the code
/// are missing.
int32_t ParamCodeFrameOffset(int32_t teleType, uint32_t code);

/// Builds the measured-value code of channel/family/averaging/band (family 0-2 for families
/// 1-3, 3 for family "L") and returns the first stored code of the type that matches it or its
/// 0x2xx twin in the low 28 bits, as stored; 0 when none does, and for an index beyond its
/// field: a family-"L" item index (band + 6 x averaging) beyond 12 bits, or an averaging or band
/// index of AverIndexLimit or BandIndexLimit or more.
uint32_t FindParamCodeByType(int32_t teleType, uint32_t channel, uint32_t family,
                             uint32_t aver, uint32_t band);

/// As FindParamCodeByType, on the given descriptor and without the 0x2xx twin.
uint32_t FindParamCode(const TelemetryDescriptor& desc, uint32_t channel, uint32_t family,
                       uint32_t aver, uint32_t band);
