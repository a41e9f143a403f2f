#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"

inline constexpr std::size_t SensorNameCount = 16;
inline constexpr std::size_t SensorNameSlot =
    6; ///< UTF-16 units per name, terminating zero included

/// Sensor names, indexed by the 4-bit entries of ChannelSensorMap.
extern const char16_t SensorNameTable[SensorNameCount][SensorNameSlot];

/// ChannelSensorMap that type selection sets when the type has more than one channel:
/// "K1", "K2", "K3", "Mic".
inline constexpr uint16_t SensorMapMultiChannel = 0xFED;
/// ChannelSensorMap for a type with at most one channel: "D", then "Mic".
inline constexpr uint16_t SensorMapSingleChannel = 7;

/// Name of the band of a measured-value code: "Freq %d" (band index + 1) when the index lies
/// inside its family's explicit frequency list, else the BandNameTable entry at
/// index x stride + base. Empty for a code that is not a measured value of family 1 to 3 and
/// for a table index past the end of BandNameTable.
std::u16string BandName(uint32_t code, const DeviceParamLayout& layout,
                        const TelemetryDescriptor& desc);

/// Name of channel 0 to 7 through the layout's ChannelSensorMap; empty for any other channel.
std::u16string ChannelName(int32_t channel, const DeviceParamLayout& layout);
