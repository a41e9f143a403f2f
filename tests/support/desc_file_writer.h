#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "model/tele_desc_format.h"
#include "model/telemetry_descriptor.h"

/// Little-endian byte builder in the description file's encoding, for hand-made fixtures.
class DescByteWriter {
public:
    void U16(uint16_t v);
    void U32(uint32_t v);
    void F64(double v);
    /// A `str`: u32 count of UTF-16 units, then the units.
    void Str(const std::u16string& s);
    void Bytes(const std::vector<uint8_t>& b);
    /// Overwrites the u32 at `offset` (for patching counts into a written file).
    void PatchU32(size_t offset, uint32_t v);
    size_t Size() const { return Data.size(); }

    std::vector<uint8_t> Data;
};

/// Section 2: the six texts of one name block.
struct DescNameBlock {
    std::u16string Language;
    std::array<std::u16string, 3> ExtraNames;
    std::array<std::u16string, 3> TypeNames;
};

/// Section 2: one averaging-name block; entries in file order (repeats allowed).
struct DescAverBlock {
    std::u16string Language;
    std::vector<std::pair<uint32_t, std::u16string>> Names;
};

/// Section 2: one descriptor record. The numeric fields and the two code lists come from `Desc`
/// and are written as they stand (a stride of 0 writes a zero stride field; `CodeExtras` only
/// from version 4, as u16 below version 15). Band word 2 is written from version 11 only. Texts
/// and averaging names come from the blocks, not from `Desc`.
struct DescRecord {
    int32_t TeleType = 0;
    TelemetryDescriptor Desc;
    std::vector<DescNameBlock> NameBlocks;
    std::vector<DescAverBlock> AverBlocks;
};

/// Section 3: one block of a device type's channel names (`ChannelNames` from version 7).
struct DescChannelBlock {
    std::u16string Language;
    DeviceTypeChannelNames Names;
};

struct DescChannelEntry {
    int32_t DeviceType = 0;
    std::vector<DescChannelBlock> Blocks;
};

/// Section 5 record (the loader reads past it).
struct DescSection5Record {
    uint32_t Key = 0;
    double Real1 = 0.0;
    double Real2 = 0.0;
    uint32_t Word1 = 0;
    uint32_t Word2 = 0;
    std::array<uint16_t, 16> Shorts{};
    std::array<double, 6> Reals{};
    std::vector<uint32_t> List;
};

/// Section 6: the models of one language. Below version 5 the groups' models are written as one
/// flat list and the language, `Prefix` (below 8) and `Note` (below 9) are left out.
struct DescModelGroup {
    std::u16string Language;
    std::vector<DeviceModel> Models;
};

/// Section 8: band-name replacements of one language, in file order.
struct DescBandNameBlock {
    std::u16string Language;
    std::vector<std::pair<uint32_t, std::u16string>> Entries;
};

/// Section 9 record (the loader reads past it). `Cells` and `Values` hold RowNames.size() rows
/// of ColumnNames.size() numbers each; `Values` are written as u16 below version 15.
struct DescSection9Record {
    uint32_t Id = 0;
    std::u16string Language;
    std::u16string Name;
    std::vector<std::u16string> ColumnNames;
    std::vector<std::u16string> RowNames;
    std::vector<std::vector<uint32_t>> Cells;
    std::vector<std::vector<uint32_t>> Values;
};

/// A whole description file in memory, every section included.
struct DescFileContent {
    uint32_t Magic = tele_desc_format::Magic;
    uint32_t Version = 15; ///< versions above 15 are written with the layout of 15
    std::vector<DescRecord> Records;
    std::vector<DescChannelEntry> ChannelEntries;
    std::vector<std::u16string> BandNames;
    std::vector<DescSection5Record> Section5;
    std::vector<DescModelGroup> ModelGroups;
    std::vector<std::pair<uint32_t, uint32_t>> Section7; ///< from version 6
    std::vector<DescBandNameBlock> BandNameBlocks;       ///< from version 12
    std::vector<DescSection9Record> Section9;            ///< from version 14
};

/// Byte offset of each section's leading count in a written file: index 2 to 9 (0 and 1 unused);
/// SIZE_MAX for a section the version does not carry.
using DescSectionOffsets = std::array<size_t, 10>;

/// Encodes `content` in the layout of its version. Optionally reports where each section starts.
std::vector<uint8_t> WriteDescFile(const DescFileContent& content,
                                   DescSectionOffsets* offsets = nullptr);

/// Writes `bytes` to `path`; false when the file cannot be written.
bool WriteBytesToFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

/// Empties the four process-wide description tables (tests load into a clean state).
void ResetDescTables();
