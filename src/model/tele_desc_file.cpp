#include "model/tele_desc_file.h"

#include <bit>
#include <cstddef>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "model/file_input.h"
#include "model/tele_desc_format.h"

using namespace tele_desc_format;
namespace fs = std::filesystem;

namespace {
/// Raised when the file ends early or holds a count the rest of the file cannot satisfy.
struct BadDescFile {};

/// Cursor over the whole file, read into memory at once. Every read checks the bytes left.
class DescReader {
public:
    explicit DescReader(std::vector<uint8_t> data) : Data(std::move(data)) {}

    uint64_t Remaining() const { return Data.size() - Pos; }

    void Skip(uint64_t bytes) {
        if (bytes > Remaining())
            throw BadDescFile{};
        Pos += static_cast<size_t>(bytes);
    }

    uint16_t U16() {
        const uint8_t* p = Take(2);
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }

    uint32_t U32() {
        const uint8_t* p = Take(4);
        return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
               (uint32_t{p[3]} << 24);
    }

    double F64() {
        uint64_t low = U32();
        uint64_t high = U32();
        return std::bit_cast<double>(low | (high << 32));
    }

    /// Reads a count of elements that occupy at least `minElementBytes` each; a count the rest
    /// of the file cannot hold ends the load before anything is reserved for it.
    uint32_t Count(uint64_t minElementBytes) {
        uint32_t n = U32();
        if (n * minElementBytes > Remaining())
            throw BadDescFile{};
        return n;
    }

private:
    const uint8_t* Take(size_t n) {
        if (n > Remaining())
            throw BadDescFile{};
        const uint8_t* p = Data.data() + Pos;
        Pos += n;
        return p;
    }

    std::vector<uint8_t> Data;
    size_t Pos = 0;
};

/// One `str`: a u32 count of UTF-16 units, then the units. Zero units are kept.
std::u16string ReadFileString(DescReader& r) {
    uint32_t n = r.Count(2);
    std::u16string s;
    s.reserve(n);
    for (uint32_t i = 0; i < n; ++i)
        s.push_back(static_cast<char16_t>(r.U16()));
    return s;
}

void SkipFileString(DescReader& r) {
    r.Skip(uint64_t{r.Count(2)} * 2);
}

std::vector<uint32_t> ReadU32List(DescReader& r) {
    uint32_t n = r.Count(4);
    std::vector<uint32_t> list;
    list.reserve(n);
    for (uint32_t i = 0; i < n; ++i)
        list.push_back(r.U32());
    return list;
}

/// Skips `rows` x `columns` numbers of `bytes` each without a loop over empty rows.
void SkipTable(DescReader& r, uint32_t rows, uint32_t columns, uint64_t bytes) {
    uint64_t cells = uint64_t{rows} * columns;
    if (cells > r.Remaining() / bytes)
        throw BadDescFile{};
    r.Skip(cells * bytes);
}

constexpr uint64_t StrMinBytes = 4;
constexpr uint64_t U32Bytes = 4;

class DescLoader {
public:
    DescLoader(DescReader& reader, uint32_t version, const std::u16string& language)
        : R(reader), V(version), Language(UpToZero(language)) {}

    /// Reads sections 2 to 9 as the version carries them; true when a section-3 block matched.
    bool Load() {
        ReadDescriptors();
        ReadChannelNames();
        ReadBandNames();
        SkipSection5();
        ReadDeviceModels();
        if (V >= Section7Version)
            R.Skip(uint64_t{R.Count(2 * U32Bytes)} * 2 * U32Bytes);
        if (V >= Section8Version)
            ReadBandNameReplacements();
        if (V >= Section9Version)
            SkipSection9();
        return Matched;
    }

    bool Matched = false;

private:
    static std::u16string_view UpToZero(std::u16string_view s) {
        return s.substr(0, s.find(u'\0'));
    }

    /// Reads a block's language name and tells whether it is the interface language.
    bool ReadLanguage() { return UpToZero(ReadFileString(R)) == Language; }

    void ReadDescriptors() {
        uint32_t count = R.Count(U32Bytes);
        for (uint32_t i = 0; i < count; ++i) {
            int32_t type = static_cast<int32_t>(R.U32());
            TelemetryDescriptor d = ReadDescriptor();
            TelemetryDescriptorMap.insert_or_assign(type, std::move(d));
        }
    }

    TelemetryDescriptor ReadDescriptor() {
        TelemetryDescriptor d;
        d.Codes = ReadU32List(R);
        if (V < CodeExtrasVersion) {
            d.CodeExtras.assign(d.Codes.size(), NoCodeExtra);
        } else {
            bool wide = V >= Wide32Version;
            uint32_t m = R.Count(wide ? 4 : 2);
            d.CodeExtras.reserve(m);
            for (uint32_t i = 0; i < m; ++i)
                d.CodeExtras.push_back(wide ? R.U32() : R.U16());
        }
        uint32_t word1 = R.U32();
        // Below the version that stores it, band word 2 follows from band word 1.
        uint32_t word2 = V >= BandWord2Version ? R.U32() : (word1 & BaseMask) - 1u;
        d.BandBase1 = static_cast<uint16_t>(word1 & BaseMask);
        d.BandStride1 = StrideOr(word1, StrideField1Default);
        d.BandBase2 = static_cast<uint16_t>(word2 & BaseMask);
        d.BandStride2 = StrideOr(word2, StrideField2Default);
        d.BandBase3 = R.U32();
        d.Extra1 = R.U32();
        d.Extra2 = R.U32();
        d.Extra3 = R.U32();
        d.LItemCount = R.U32();
        d.ExtraReal1 = R.F64();
        d.LItemCodes = ReadU32List(R);
        d.ExtraReal2 = R.F64();

        uint32_t nameBlocks = R.Count(7 * StrMinBytes);
        for (uint32_t i = 0; i < nameBlocks; ++i) {
            bool match = ReadLanguage();
            std::array<std::u16string, 6> texts;
            for (auto& t : texts)
                t = ReadFileString(R);
            if (match) {
                for (size_t k = 0; k < 3; ++k) {
                    d.ExtraNames[k] = std::move(texts[k]);
                    d.TypeNames[k] = std::move(texts[3 + k]);
                }
            }
        }
        d.Extra4 = R.U32();
        if (V >= IndexPackedVersion)
            d.IndexPacked = R.U32();
        if (V >= Extra5Version)
            d.Extra5 = R.U32();

        uint32_t averBlocks = R.Count(StrMinBytes + U32Bytes);
        for (uint32_t i = 0; i < averBlocks; ++i) {
            bool match = ReadLanguage();
            uint32_t c = R.Count(U32Bytes + StrMinBytes);
            std::map<uint32_t, std::u16string> names;
            for (uint32_t k = 0; k < c; ++k) {
                uint32_t index = R.U32();
                names.insert_or_assign(index, ReadFileString(R));
            }
            if (match)
                d.AverNames = std::move(names);
        }
        return d;
    }

    static uint16_t StrideOr(uint32_t word, uint16_t zeroMeans) {
        auto stride = static_cast<uint16_t>(word >> StrideShift);
        return stride != 0 ? stride : zeroMeans;
    }

    void ReadChannelNames() {
        uint32_t count = R.Count(2 * U32Bytes);
        const uint64_t texts = V >= ChannelNamesVersion ? 10 : 6;
        for (uint32_t i = 0; i < count; ++i) {
            int32_t type = static_cast<int32_t>(R.U32());
            uint32_t blocks = R.Count(texts * StrMinBytes);
            for (uint32_t b = 0; b < blocks; ++b) {
                bool match = ReadLanguage();
                DeviceTypeChannelNames names;
                names.TypeName = ReadFileString(R);
                for (auto& s : names.AuxNames)
                    s = ReadFileString(R);
                if (V >= ChannelNamesVersion)
                    for (auto& s : names.ChannelNames)
                        s = ReadFileString(R);
                if (match) {
                    DeviceTypeChannelNameMap.insert_or_assign(type, std::move(names));
                    Matched = true;
                }
            }
        }
    }

    void ReadBandNames() {
        uint32_t n = R.Count(StrMinBytes);
        BandNameTable.clear();
        BandNameTable.reserve(n);
        for (uint32_t i = 0; i < n; ++i)
            BandNameTable.push_back(ReadFileString(R));
    }

    void SkipSection5() {
        uint32_t count = R.Count(Section5FixedBytes + U32Bytes);
        for (uint32_t i = 0; i < count; ++i) {
            R.Skip(Section5FixedBytes);
            R.Skip(uint64_t{R.Count(U32Bytes)} * U32Bytes);
        }
    }

    DeviceModel ReadModel() {
        DeviceModel m;
        m.Name = ReadFileString(R);
        if (V >= ModelPrefixVersion)
            m.Prefix = ReadFileString(R);
        if (V >= ModelNoteVersion)
            m.Note = ReadFileString(R);
        m.TeleType = R.U32();
        m.ModelWord1 = R.U32();
        m.ModelWord2 = R.U32();
        return m;
    }

    void ReadDeviceModels() {
        const uint64_t modelMin = StrMinBytes * (1 + (V >= ModelPrefixVersion ? 1 : 0) +
                                                 (V >= ModelNoteVersion ? 1 : 0)) +
                                  3 * U32Bytes;
        if (V < ModelGroupsVersion) {
            uint32_t n = R.Count(modelMin);
            for (uint32_t i = 0; i < n; ++i)
                DeviceModelList.push_back(ReadModel());
            return;
        }
        uint32_t groups = R.Count(StrMinBytes + U32Bytes);
        for (uint32_t g = 0; g < groups; ++g) {
            bool match = ReadLanguage();
            uint32_t n = R.Count(modelMin);
            for (uint32_t i = 0; i < n; ++i) {
                DeviceModel m = ReadModel();
                if (match)
                    DeviceModelList.push_back(std::move(m));
            }
        }
    }

    void ReadBandNameReplacements() {
        uint32_t blocks = R.Count(StrMinBytes + U32Bytes);
        for (uint32_t b = 0; b < blocks; ++b) {
            bool match = ReadLanguage();
            uint32_t n = R.Count(U32Bytes + StrMinBytes);
            for (uint32_t i = 0; i < n; ++i) {
                uint32_t index = R.U32();
                std::u16string name = ReadFileString(R);
                if (match && index < BandNameTable.size())
                    BandNameTable[index] = std::move(name);
            }
        }
    }

    void SkipSection9() {
        uint32_t count = R.Count(3 * U32Bytes + 2 * StrMinBytes);
        const uint64_t valueBytes = V >= Wide32Version ? 4 : 2;
        for (uint32_t i = 0; i < count; ++i) {
            R.U32(); // id
            SkipFileString(R);
            SkipFileString(R);
            uint32_t columns = R.U32();
            uint32_t rows = R.U32();
            for (uint64_t texts = uint64_t{columns} + rows; texts > 0; --texts) {
                if (texts * StrMinBytes > R.Remaining())
                    throw BadDescFile{};
                SkipFileString(R);
            }
            SkipTable(R, rows, columns, U32Bytes);
            SkipTable(R, rows, columns, valueBytes);
        }
    }

    DescReader& R;
    const uint32_t V;
    const std::u16string_view Language;
};

/// The whole file in one read; nothing for a missing or unreadable file or a non-file.
std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path) {
    RegularFileStream in = OpenRegularFile(path);
    if (!in)
        return std::nullopt;
    try {
        std::vector<uint8_t> data(static_cast<size_t>(in.Size()));
        in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
        data.resize(static_cast<size_t>(in.gcount()));
        return data;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}
} // namespace

bool LoadTeleDescFile(const fs::path& path, const std::u16string& language) {
    std::optional<std::vector<uint8_t>> data = ReadWholeFile(path);
    if (!data || data->size() < HeaderBytes)
        return false;
    DescReader reader(std::move(*data));
    if (reader.U32() != Magic)
        return false;
    uint32_t version = reader.U32();
    if (version > MaxVersion)
        return false;
    DescLoader loader(reader, version, language);
    try {
        return loader.Load();
    } catch (const BadDescFile&) {
        return false;
    }
}

bool LoadTeleDescFile(const std::u16string& language) {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return false;
    return LoadTeleDescFile(exe.parent_path() / TeleDescFileName, language);
}
