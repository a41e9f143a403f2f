#include "support/desc_file_writer.h"

#include <bit>
#include <cstring>
#include <fstream>

using namespace tele_desc_format;

void DescByteWriter::U16(uint16_t v) {
    Data.push_back(static_cast<uint8_t>(v));
    Data.push_back(static_cast<uint8_t>(v >> 8));
}

void DescByteWriter::U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
}

void DescByteWriter::F64(double v) {
    uint64_t bits = std::bit_cast<uint64_t>(v);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
}

void DescByteWriter::Str(const std::u16string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s)
        U16(static_cast<uint16_t>(c));
}

void DescByteWriter::Bytes(const std::vector<uint8_t>& b) {
    Data.insert(Data.end(), b.begin(), b.end());
}

void DescByteWriter::PatchU32(size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        Data.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}

namespace {
uint32_t Count(size_t n) {
    return static_cast<uint32_t>(n);
}

void WriteU32List(DescByteWriter& w, const std::vector<uint32_t>& list) {
    w.U32(Count(list.size()));
    for (uint32_t v : list)
        w.U32(v);
}

void WriteRecord(DescByteWriter& w, const DescRecord& r, uint32_t version) {
    const TelemetryDescriptor& d = r.Desc;
    w.U32(static_cast<uint32_t>(r.TeleType));
    WriteU32List(w, d.Codes);
    if (version >= CodeExtrasVersion) {
        w.U32(Count(d.CodeExtras.size()));
        for (uint32_t v : d.CodeExtras) {
            if (version >= Wide32Version)
                w.U32(v);
            else
                w.U16(static_cast<uint16_t>(v));
        }
    }
    w.U32(d.BandBase1 | (uint32_t{d.BandStride1} << StrideShift));
    if (version >= BandWord2Version)
        w.U32(d.BandBase2 | (uint32_t{d.BandStride2} << StrideShift));
    for (uint32_t v : {d.BandBase3, d.Extra1, d.Extra2, d.Extra3, d.LItemCount})
        w.U32(v);
    w.F64(d.ExtraReal1);
    WriteU32List(w, d.LItemCodes);
    w.F64(d.ExtraReal2);
    w.U32(Count(r.NameBlocks.size()));
    for (const DescNameBlock& b : r.NameBlocks) {
        w.Str(b.Language);
        for (const auto& s : b.ExtraNames)
            w.Str(s);
        for (const auto& s : b.TypeNames)
            w.Str(s);
    }
    w.U32(d.Extra4);
    if (version >= IndexPackedVersion)
        w.U32(d.IndexPacked);
    if (version >= Extra5Version)
        w.U32(d.Extra5);
    w.U32(Count(r.AverBlocks.size()));
    for (const DescAverBlock& b : r.AverBlocks) {
        w.Str(b.Language);
        w.U32(Count(b.Names.size()));
        for (const auto& [index, name] : b.Names) {
            w.U32(index);
            w.Str(name);
        }
    }
}

void WriteChannelEntry(DescByteWriter& w, const DescChannelEntry& e, uint32_t version) {
    w.U32(static_cast<uint32_t>(e.DeviceType));
    w.U32(Count(e.Blocks.size()));
    for (const DescChannelBlock& b : e.Blocks) {
        w.Str(b.Language);
        w.Str(b.Names.TypeName);
        for (const auto& s : b.Names.AuxNames)
            w.Str(s);
        if (version >= ChannelNamesVersion)
            for (const auto& s : b.Names.ChannelNames)
                w.Str(s);
    }
}

void WriteSection5Record(DescByteWriter& w, const DescSection5Record& r) {
    w.U32(r.Key);
    w.F64(r.Real1);
    w.F64(r.Real2);
    w.U32(r.Word1);
    w.U32(r.Word2);
    for (uint16_t v : r.Shorts)
        w.U16(v);
    for (double v : r.Reals)
        w.F64(v);
    WriteU32List(w, r.List);
}

void WriteModel(DescByteWriter& w, const DeviceModel& m, uint32_t version) {
    w.Str(m.Name);
    if (version >= ModelPrefixVersion)
        w.Str(m.Prefix);
    if (version >= ModelNoteVersion)
        w.Str(m.Note);
    w.U32(m.TeleType);
    w.U32(m.ModelWord1);
    w.U32(m.ModelWord2);
}

void WriteModels(DescByteWriter& w, const std::vector<DescModelGroup>& groups, uint32_t version) {
    if (version < ModelGroupsVersion) {
        size_t n = 0;
        for (const DescModelGroup& g : groups)
            n += g.Models.size();
        w.U32(Count(n));
        for (const DescModelGroup& g : groups)
            for (const DeviceModel& m : g.Models)
                WriteModel(w, m, version);
        return;
    }
    w.U32(Count(groups.size()));
    for (const DescModelGroup& g : groups) {
        w.Str(g.Language);
        w.U32(Count(g.Models.size()));
        for (const DeviceModel& m : g.Models)
            WriteModel(w, m, version);
    }
}

void WriteSection9Record(DescByteWriter& w, const DescSection9Record& r, uint32_t version) {
    w.U32(r.Id);
    w.Str(r.Language);
    w.Str(r.Name);
    w.U32(Count(r.ColumnNames.size()));
    w.U32(Count(r.RowNames.size()));
    for (const auto& s : r.ColumnNames)
        w.Str(s);
    for (const auto& s : r.RowNames)
        w.Str(s);
    // Rows are written at the declared shape; missing numbers are written as 0.
    auto rows = [&](const std::vector<std::vector<uint32_t>>& table, bool narrow) {
        for (size_t i = 0; i < r.RowNames.size(); ++i)
            for (size_t j = 0; j < r.ColumnNames.size(); ++j) {
                uint32_t v = i < table.size() && j < table[i].size() ? table[i][j] : 0;
                if (narrow)
                    w.U16(static_cast<uint16_t>(v));
                else
                    w.U32(v);
            }
    };
    rows(r.Cells, false);
    rows(r.Values, version < Wide32Version);
}
} // namespace

std::vector<uint8_t> WriteDescFile(const DescFileContent& c, DescSectionOffsets* offsets) {
    DescByteWriter w;
    DescSectionOffsets at;
    at.fill(SIZE_MAX);
    const uint32_t v = c.Version;
    w.U32(c.Magic);
    w.U32(v);

    at[2] = w.Size();
    w.U32(Count(c.Records.size()));
    for (const DescRecord& r : c.Records)
        WriteRecord(w, r, v);

    at[3] = w.Size();
    w.U32(Count(c.ChannelEntries.size()));
    for (const DescChannelEntry& e : c.ChannelEntries)
        WriteChannelEntry(w, e, v);

    at[4] = w.Size();
    w.U32(Count(c.BandNames.size()));
    for (const auto& s : c.BandNames)
        w.Str(s);

    at[5] = w.Size();
    w.U32(Count(c.Section5.size()));
    for (const DescSection5Record& r : c.Section5)
        WriteSection5Record(w, r);

    at[6] = w.Size();
    WriteModels(w, c.ModelGroups, v);

    if (v >= Section7Version) {
        at[7] = w.Size();
        w.U32(Count(c.Section7.size()));
        for (const auto& [a, b] : c.Section7) {
            w.U32(a);
            w.U32(b);
        }
    }
    if (v >= Section8Version) {
        at[8] = w.Size();
        w.U32(Count(c.BandNameBlocks.size()));
        for (const DescBandNameBlock& b : c.BandNameBlocks) {
            w.Str(b.Language);
            w.U32(Count(b.Entries.size()));
            for (const auto& [index, name] : b.Entries) {
                w.U32(index);
                w.Str(name);
            }
        }
    }
    if (v >= Section9Version) {
        at[9] = w.Size();
        w.U32(Count(c.Section9.size()));
        for (const DescSection9Record& r : c.Section9)
            WriteSection9Record(w, r, v);
    }
    if (offsets)
        *offsets = at;
    return std::move(w.Data);
}

bool WriteBytesToFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

void ResetDescTables() {
    TelemetryDescriptorMap.clear();
    DeviceTypeChannelNameMap.clear();
    BandNameTable.clear();
    DeviceModelList.clear();
}
