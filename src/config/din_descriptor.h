#pragma once
#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"

/// The descriptor speaks of four groups: 0 to 2 are the measured-value families 1 to 3, 3 is
/// family "L". A group index is also the family argument of FindParamCode.
inline constexpr int32_t DinGroupCount = 4;
inline constexpr int32_t DinGroupL = 3;
/// At most this many channels are described, whatever the descriptor's channel count says.
inline constexpr int32_t DinMaxChannels = 8;
/// Family-"L" bands per item that the descriptor names and searches.
inline constexpr std::size_t DinMaxLBands = 6;

inline constexpr std::size_t DescriptorRecordSize = 20;
/// The descriptor block is padded with zero bytes to a whole number of these pages.
inline constexpr std::size_t DinDescriptorPageSize = 256;
/// The adapter's descriptor area is erased in blocks of this size, and holds at most
/// DinDescriptorMaxBlocks of them.
inline constexpr std::size_t DinDescriptorBlockSize = 4096;
inline constexpr std::size_t DinDescriptorMaxBlocks = 15;

/// The part of the working state that the descriptor is built from, read only: the current
/// descriptor (with the counts of its decode), the layout and the channel blocks. The builder
/// also reads the process-wide DeviceModelList, BandNameTable and TelemetryDescriptorMap, as
/// BandName and ParamCodeFrameOffset do.
struct DinDescriptorSource {
    const TelemetryDescriptor& Descriptor;
    const DeviceParamLayout& Layout;
    const ChannelLayouts& Channels;
};

/// A run of parameters that the adapter steps through with fixed strides: one averaging index,
/// the bands FirstBand to FirstBand + BandCount - 1, over consecutive channels.
struct ParameterRunKey {
    int32_t Group = 0;
    int32_t Aver = 0;
    int32_t FirstBand = 0;
    int32_t BandCount = 0;

    /// Lexicographic over the four fields, as signed integers.
    auto operator<=>(const ParameterRunKey&) const = default;
};

struct ParameterRunChannels {
    int32_t FirstChannel = 0;
    int32_t ChannelCount = 0;

    bool operator==(const ParameterRunChannels&) const = default;
};

/// The runs of one group in key order; runs with equal keys stay in insertion order.
using ParameterRun = std::multimap<ParameterRunKey, ParameterRunChannels>;

/// One run as the adapter reads it: 20 bytes little-endian, see EncodeDescriptorRecord.
struct DescriptorRecord {
    uint16_t Group = 0;
    uint8_t FirstChannel = 0;
    uint8_t ChannelCount = 0;
    uint16_t Aver = 0;
    uint16_t FirstBand = 0;
    uint16_t BandCount = 0;
    uint16_t FrameOffset = 0;   ///< of the first code; 0xFFFF when the frame lacks it
    uint16_t BandStride = 0;    ///< offset one band further minus FrameOffset; 0 for one band
    uint16_t ChannelStride = 0; ///< offset one channel further minus FrameOffset; 0 for one channel
    uint32_t Code = 0;          ///< the run's first code as the descriptor stores it

    bool operator==(const DescriptorRecord&) const = default;
};

/// Wire form: group u16, first channel u8, channel count u8, averaging u16, first band u16,
/// band count u16, frame offset u16, band stride u16, channel stride u16, code u32.
std::array<uint8_t, DescriptorRecordSize> EncodeDescriptorRecord(const DescriptorRecord& record);

/// The runs of group `group` over channels 0 to channelCount - 1, averaging indexes 0 to
/// averCount - 1 and bands 0 to bandCount - 1 of `desc`. Each (averaging, channel) adds the
/// bands from its lowest to its highest present code; a run grows only by the channel right
/// behind it, and only among the runs of its own key.
ParameterRun FindParameterRuns(const TelemetryDescriptor& desc, int32_t group, int32_t channelCount,
                               std::size_t averCount, std::size_t bandCount);

/// Averaging names of a present group, UTF-8: for groups 0 to 2 one per averaging index of the
/// family ("unknown" where the descriptor has none); for group 3 one per family-"L" item of
/// channel 0, the band name of the item's labelling code (empty beyond that list).
std::vector<std::string> BuildAverNameList(const DinDescriptorSource& source, int32_t group);

/// Band names of a present group, UTF-8: for groups 0 to 2 one per band of the family, the
/// formatted explicit frequency where the family lists one, else the BandNameTable entry
/// (empty past its end); for group 3 the names of at most six bands of channel 0's first item.
std::vector<std::string> BuildBandNameList(const DinDescriptorSource& source, int32_t group);

/// The document {"DinDevices": [device]} that describes the selected telemetry type, and one
/// record per run appended to `records` in the order of the document's "Parameters".
/// Missing data gives empty names and absent members, never a failure.
nlohmann::json BuildDinDescriptor(const DinDescriptorSource& source,
                                  std::vector<DescriptorRecord>& records);

/// The text written to the adapter: the compact UTF-8 serialisation of document["DinDevices"]
/// (members in byte order, no blanks, non-ASCII not escaped, no terminator).
std::string SerialiseDinDevices(const nlohmann::json& document);

/// The descriptor block as it is written from its first page.
struct DinDescriptorBlock {
    /// The text, the encoded records, then zero bytes up to a multiple of DinDescriptorPageSize.
    std::vector<uint8_t> Data;
    std::size_t TextLength = 0;  ///< bytes of text, for the settings image
    std::size_t RecordCount = 0; ///< for the settings image
    std::size_t EraseBlocks = 0; ///< Data's size in DinDescriptorBlockSize blocks, rounded up
    /// False when the block needs more than DinDescriptorMaxBlocks: it must not be written.
    /// When true, TextLength and RecordCount fit 16 bits.
    bool FitsArea = false;
};

/// Joins the serialised text and the records into the descriptor block.
DinDescriptorBlock JoinDinDescriptor(const std::string& text,
                                     const std::vector<DescriptorRecord>& records);
