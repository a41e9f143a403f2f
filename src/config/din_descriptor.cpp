#include "config/din_descriptor.h"

#include <algorithm>

#include "model/channel_band_names.h"
#include "model/param_code.h"
#include "model/param_code_layout.h"
#include "protocol/protocol.h"
#include "text/value_format.h"

namespace {

constexpr const char* UnknownAverName = "unknown";
constexpr const char* LGroupName = "L";

int32_t BandCountOf(const TelemetryDescriptor& desc, int32_t group) {
    switch (group) {
    case 0:
        return desc.BandCount1;
    case 1:
        return desc.BandCount2;
    case 2:
        return desc.BandCount3;
    default:
        return 0;
    }
}

int32_t AverCountOf(const TelemetryDescriptor& desc, int32_t group) {
    switch (group) {
    case 0:
        return desc.AverCount1;
    case 1:
        return desc.AverCount2;
    case 2:
        return desc.AverCount3;
    default:
        return 0;
    }
}

std::size_t NonNegative(int32_t count) {
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool GroupPresent(const DinDescriptorSource& source, int32_t group) {
    if (group == DinGroupL) {
        const auto& items = source.Channels[0].LItems;
        return !items.empty() && !items[0].bands.empty();
    }
    return BandCountOf(source.Descriptor, group) > 0;
}

std::u16string DeviceName(const DinDescriptorSource& source) {
    const uint32_t teleType = source.Layout.TeleType;
    for (const auto& model : DeviceModelList) {
        if (model.TeleType == teleType) {
            return model.Prefix == model.Name ? model.Name : model.Prefix + u": " + model.Name;
        }
    }
    return {};
}

uint32_t CodeAt(const TelemetryDescriptor& desc, int32_t channel, int32_t group, int32_t aver,
                int32_t band) {
    return FindParamCode(desc, static_cast<uint32_t>(channel), static_cast<uint32_t>(group),
                         static_cast<uint32_t>(aver), static_cast<uint32_t>(band));
}

// Offset in the frame of the layout's type, narrowed as the record stores it (-1 -> 0xFFFF).
uint16_t FrameOffset16(const DinDescriptorSource& source, uint32_t code) {
    return static_cast<uint16_t>(ParamCodeFrameOffset(source.Layout.TeleType, code));
}

// The step to a neighbouring parameter. A hole in the description leaves no neighbour and no
// meaningful step; 0 then tells the adapter not to step.
uint16_t Stride(const DinDescriptorSource& source, uint32_t neighbour, uint16_t first) {
    if (neighbour == 0) {
        return 0;
    }
    return static_cast<uint16_t>(FrameOffset16(source, neighbour) - first);
}

DescriptorRecord MakeRecord(const DinDescriptorSource& source, const ParameterRunKey& key,
                            const ParameterRunChannels& run) {
    const auto& desc = source.Descriptor;
    DescriptorRecord record;
    record.Group = static_cast<uint16_t>(key.Group);
    record.FirstChannel = static_cast<uint8_t>(run.FirstChannel);
    record.ChannelCount = static_cast<uint8_t>(run.ChannelCount);
    record.Aver = static_cast<uint16_t>(key.Aver);
    record.FirstBand = static_cast<uint16_t>(key.FirstBand);
    record.BandCount = static_cast<uint16_t>(key.BandCount);
    record.Code = CodeAt(desc, run.FirstChannel, key.Group, key.Aver, key.FirstBand);
    record.FrameOffset = FrameOffset16(source, record.Code);
    if (key.BandCount > 1) {
        record.BandStride =
            Stride(source, CodeAt(desc, run.FirstChannel, key.Group, key.Aver, key.FirstBand + 1),
                   record.FrameOffset);
    }
    if (run.ChannelCount > 1) {
        record.ChannelStride =
            Stride(source, CodeAt(desc, run.FirstChannel + 1, key.Group, key.Aver, key.FirstBand),
                   record.FrameOffset);
    }
    return record;
}

nlohmann::json ParametersElement(const ParameterRunKey& key, const ParameterRunChannels& run) {
    nlohmann::json element = {key.Group, run.FirstChannel, key.Aver, key.FirstBand};
    if (key.BandCount > 1 || run.ChannelCount > 1) {
        element.push_back(key.BandCount);
    }
    if (run.ChannelCount > 1) {
        element.push_back(run.ChannelCount);
    }
    return element;
}

nlohmann::json StringArray(const std::vector<std::string>& names) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& name : names) {
        array.push_back(name);
    }
    return array;
}

} // namespace

std::array<uint8_t, DescriptorRecordSize> EncodeDescriptorRecord(const DescriptorRecord& record) {
    std::array<uint8_t, DescriptorRecordSize> bytes{};
    PutU16(&bytes[0], record.Group);
    bytes[2] = record.FirstChannel;
    bytes[3] = record.ChannelCount;
    PutU16(&bytes[4], record.Aver);
    PutU16(&bytes[6], record.FirstBand);
    PutU16(&bytes[8], record.BandCount);
    PutU16(&bytes[10], record.FrameOffset);
    PutU16(&bytes[12], record.BandStride);
    PutU16(&bytes[14], record.ChannelStride);
    PutU32(&bytes[16], record.Code);
    return bytes;
}

ParameterRun FindParameterRuns(const TelemetryDescriptor& desc, int32_t group, int32_t channelCount,
                               std::size_t averCount, std::size_t bandCount) {
    // A frequency list can announce up to 0xFFD bands, more than a code can carry; the bands
    // beyond have no code.
    if (group != DinGroupL) {
        bandCount =
            std::min<std::size_t>(bandCount, param_code::BandIndexLimit(desc.IndexPacked != 0));
    }
    const auto bands = static_cast<int32_t>(bandCount);
    ParameterRun runs;
    for (int32_t a = 0; a < static_cast<int32_t>(averCount); ++a) {
        for (int32_t c = 0; c < channelCount; ++c) {
            int32_t first = 0;
            while (first < bands && CodeAt(desc, c, group, a, first) == 0) {
                ++first;
            }
            if (first == bands) {
                continue;
            }
            int32_t last = bands - 1;
            while (last > first && CodeAt(desc, c, group, a, last) == 0) {
                --last;
            }
            const ParameterRunKey key{group, a, first, last - first + 1};
            auto [begin, end] = runs.equal_range(key);
            auto grows = std::find_if(begin, end, [c](const auto& run) {
                return run.second.FirstChannel + run.second.ChannelCount == c;
            });
            if (grows != end) {
                ++grows->second.ChannelCount;
            } else {
                // An insert without a hint goes behind the runs of an equal key.
                runs.insert({key, ParameterRunChannels{c, 1}});
            }
        }
    }
    return runs;
}

std::vector<std::string> BuildAverNameList(const DinDescriptorSource& source, int32_t group) {
    const auto& desc = source.Descriptor;
    std::vector<std::string> names;
    if (group == DinGroupL) {
        const std::size_t count = source.Channels[0].LItems.size();
        for (std::size_t k = 0; k < count; ++k) {
            names.push_back(k < desc.LItemCodes.size()
                                ? WideToUtf8(BandName(desc.LItemCodes[k], source.Layout, desc))
                                : std::string());
        }
        return names;
    }
    const std::size_t count = NonNegative(AverCountOf(desc, group));
    for (std::size_t i = 0; i < count; ++i) {
        const auto found = desc.AverNames.find(static_cast<uint32_t>(i));
        names.push_back(found != desc.AverNames.end() ? WideToUtf8(found->second)
                                                      : std::string(UnknownAverName));
    }
    return names;
}

std::vector<std::string> BuildBandNameList(const DinDescriptorSource& source, int32_t group) {
    const auto& desc = source.Descriptor;
    std::vector<std::string> names;
    if (group == DinGroupL) {
        const auto& items = source.Channels[0].LItems;
        if (items.empty()) {
            return names;
        }
        const auto& bands = items[0].bands;
        for (std::size_t k = 0; k < std::min(DinMaxLBands, bands.size()); ++k) {
            names.push_back(WideToUtf8(bands[k].name));
        }
        return names;
    }
    uint32_t base = desc.BandBase3;
    uint32_t stride = 1;
    if (group == 0) {
        base = desc.BandBase1;
        stride = desc.BandStride1;
    } else if (group == 1) {
        base = desc.BandBase2;
        stride = desc.BandStride2;
    }
    const auto& frequencies = source.Layout.FrequencyLists[static_cast<std::size_t>(group)];
    const std::size_t count = NonNegative(BandCountOf(desc, group));
    for (std::size_t i = 0; i < count; ++i) {
        if (i < frequencies.size()) {
            names.push_back(WideToUtf8(FormatScaledValue(frequencies[i])));
            continue;
        }
        const uint32_t index = base + static_cast<uint32_t>(i) * stride;
        names.push_back(index < BandNameTable.size() ? WideToUtf8(BandNameTable[index])
                                                     : std::string());
    }
    return names;
}

nlohmann::json BuildDinDescriptor(const DinDescriptorSource& source,
                                  std::vector<DescriptorRecord>& records) {
    const auto& desc = source.Descriptor;
    nlohmann::json device = nlohmann::json::object();
    device["DinI"] = 0;
    device["DevName"] = WideToUtf8(DeviceName(source));
    device["TeleType"] = source.Layout.TeleType;

    // Every member of "TeleDesc" comes into being with its first element.
    nlohmann::json teleDesc = nlohmann::json::object();
    const int32_t channels = std::min(desc.ChannelCount, DinMaxChannels);
    for (int32_t c = 0; c < channels; ++c) {
        teleDesc["ChNames"].push_back(WideToUtf8(ChannelName(c, source.Layout)));
    }
    for (int32_t g = 0; g < DinGroupCount; ++g) {
        if (!GroupPresent(source, g)) {
            continue;
        }
        teleDesc["TypeNames"].push_back(
            g == DinGroupL ? std::string(LGroupName)
                           : WideToUtf8(desc.TypeNames[static_cast<std::size_t>(g)]));
        const auto averNames = BuildAverNameList(source, g);
        const auto bandNames = BuildBandNameList(source, g);
        teleDesc["AverNames"].push_back(StringArray(averNames));
        teleDesc["BandNames"].push_back(StringArray(bandNames));
        const auto runs = FindParameterRuns(desc, g, channels, averNames.size(), bandNames.size());
        for (const auto& [key, run] : runs) {
            teleDesc["Parameters"].push_back(ParametersElement(key, run));
            records.push_back(MakeRecord(source, key, run));
        }
    }
    if (!teleDesc.empty()) {
        device["TeleDesc"] = std::move(teleDesc);
    }

    nlohmann::json document = nlohmann::json::object();
    document["DinDevices"] = nlohmann::json::array({std::move(device)});
    return document;
}

std::string SerialiseDinDevices(const nlohmann::json& document) {
    return document.at("DinDevices").dump();
}

DinDescriptorBlock JoinDinDescriptor(const std::string& text,
                                     const std::vector<DescriptorRecord>& records) {
    DinDescriptorBlock block;
    block.TextLength = text.size();
    block.RecordCount = records.size();
    const std::size_t used = text.size() + DescriptorRecordSize * records.size();
    const std::size_t padded =
        (used + DinDescriptorPageSize - 1) / DinDescriptorPageSize * DinDescriptorPageSize;
    block.EraseBlocks = (padded + DinDescriptorBlockSize - 1) / DinDescriptorBlockSize;
    block.FitsArea = block.EraseBlocks <= DinDescriptorMaxBlocks;

    block.Data.reserve(padded);
    block.Data.assign(text.begin(), text.end());
    for (const auto& record : records) {
        const auto bytes = EncodeDescriptorRecord(record);
        block.Data.insert(block.Data.end(), bytes.begin(), bytes.end());
    }
    block.Data.resize(padded, 0);
    return block;
}
