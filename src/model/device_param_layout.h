#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"

/// Number of per-channel blocks (channels 0 to 7) that a decode shapes.
inline constexpr std::size_t ChannelLayoutCount = 8;

/// Number of measured-value families (1 to 3); index 0 to 2 in FrequencyLists.
inline constexpr std::size_t FamilyCount = 3;

/// The no-value mark that fills every cell of a decoded value matrix.
inline constexpr double NoValueMark = 1e-200;

/// The most family-"L" items a code can address (its item index has 12 bits). The decode
/// refuses a larger LItemCount, which would have every channel allocate items no code reaches.
inline constexpr uint32_t MaxLItemCount = param_code::LItemMask + 1;

/// One band of a family-"L" item.
struct LBand {
    double value = 0.0;
    std::u16string name;

    bool operator==(const LBand&) const = default;
};

/// One family-"L" item: the bands it was given by the decode.
struct LItem {
    std::vector<LBand> bands;

    bool operator==(const LItem&) const = default;
};

/// The shapes of one channel, as the decode leaves them: per family, rows indexed by averaging
/// index of cells indexed by band index, and the channel's family-"L" items.
struct ChannelLayout {
    std::vector<std::vector<double>> ValueMatrix1;
    std::vector<std::vector<double>> ValueMatrix2;
    std::vector<std::vector<double>> ValueMatrix3;
    std::vector<LItem> LItems;

    bool operator==(const ChannelLayout&) const = default;
};

/// The eight channel blocks of the working state, index = channel.
using ChannelLayouts = std::array<ChannelLayout, ChannelLayoutCount>;

/// The device's telemetry type, explicit band frequencies and channel-sensor map.
struct DeviceParamLayout {
    /// Set by type selection before each decode.
    uint16_t TeleType = 0;
    /// Explicit band frequencies of families 1, 2 and 3 (index 0 to 2); the decode only sizes
    /// them. A band whose index is below its list's size is named "Freq %d".
    std::array<std::vector<double>, FamilyCount> FrequencyLists;
    /// SensorNameTable index of channel c in bits 4c to 4c+3, c = 0 to 3. Only type selection
    /// sets it; until then it names every channel by entry 0.
    uint16_t ChannelSensorMap = 0;

    bool operator==(const DeviceParamLayout&) const = default;
};

/// Zeroes the descriptor's derived counts, empties the three frequency lists and every
/// channel's value matrices. LItems are left as they are.
void ResetDeviceParamLayout(ChannelLayouts& channels, DeviceParamLayout& layout,
                            TelemetryDescriptor& desc);

/// Decodes the description of `layout.TeleType` (zero-extended) into `desc`, `layout` and
/// `channels`. Returns false, after a reset and with `desc` not replaced, when the type is not
/// described, has no codes, or has an LItemCount above MaxLItemCount. Returns false at once,
/// with no rollback, when a measured-value code names channel 8 or more: `desc` is then the new
/// copy and the counts, lists and cells hold what the decode had reached.
bool ApplyTeleDescToDevice(ChannelLayouts& channels, DeviceParamLayout& layout,
                           TelemetryDescriptor& desc);
