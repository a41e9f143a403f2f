// Build-time tool: turns the readable sample description (JSON) into "TeleDescFile.bin".
//   make_tele_desc <description.json> <output file>...
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "model/param_code_layout.h"
#include "support/desc_file_writer.h"

using Json = nlohmann::ordered_json;

namespace {
std::u16string Utf16(const std::string& s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size())
            throw std::runtime_error("bad UTF-8 in \"" + s + "\"");
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc >> 6) != 2)
                throw std::runtime_error("bad UTF-8 in \"" + s + "\"");
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

/// A number given as a JSON number or as text ("0x201C0000").
uint32_t Number(const Json& j) {
    if (j.is_string())
        return static_cast<uint32_t>(std::stoul(j.get<std::string>(), nullptr, 0));
    return j.get<uint32_t>();
}

uint32_t NumberOr(const Json& obj, const char* key, uint32_t fallback) {
    return obj.contains(key) ? Number(obj.at(key)) : fallback;
}

std::vector<uint32_t> NumberList(const Json& list) {
    std::vector<uint32_t> out;
    for (const Json& j : list)
        out.push_back(Number(j));
    return out;
}

/// Expands one entry of "codes": a single code, a measured-value range or a family-"L" range.
void AppendCodes(const Json& entry, bool packed, std::vector<uint32_t>& codes) {
    using namespace param_code;
    if (!entry.is_object()) {
        codes.push_back(Number(entry));
        return;
    }
    const uint32_t kind = Number(entry.at("kind")) << KindShift;
    const Json& channels = entry.at("channels");
    for (uint32_t ch = Number(channels[0]); ch <= Number(channels[1]); ++ch) {
        if (entry.value("group", "") == "L") {
            const Json& items = entry.at("items");
            for (uint32_t item = Number(items[0]); item <= Number(items[1]); ++item)
                codes.push_back(kind | (GroupL << GroupShift) | (ch << LChannelShift) | item);
            continue;
        }
        const uint32_t family = Number(entry.at("family"));
        const Json& aver = entry.at("aver");
        const Json& bands = entry.at("bands");
        for (uint32_t a = Number(aver[0]); a <= Number(aver[1]); ++a)
            for (uint32_t b = Number(bands[0]); b <= Number(bands[1]); ++b)
                codes.push_back(kind | (1u << ClassShift) | (family << FamilyShift) |
                                (ch << ChannelShift) |
                                (a << (packed ? PackedAverShift : AverShift)) | b);
    }
}

DescRecord Record(const Json& j) {
    DescRecord r;
    r.TeleType = static_cast<int32_t>(Number(j.at("type")));
    TelemetryDescriptor& d = r.Desc;
    d.IndexPacked = NumberOr(j, "indexPacked", 0);
    for (const Json& entry : j.at("codes"))
        AppendCodes(entry, d.IndexPacked != 0, d.Codes);
    d.BandBase1 = static_cast<uint16_t>(NumberOr(j, "bandBase1", 0));
    d.BandStride1 = static_cast<uint16_t>(NumberOr(j, "bandStride1", 3));
    d.BandBase2 = static_cast<uint16_t>(NumberOr(j, "bandBase2", 0));
    d.BandStride2 = static_cast<uint16_t>(NumberOr(j, "bandStride2", 1));
    d.BandBase3 = NumberOr(j, "bandBase3", 0);
    d.LItemCount = NumberOr(j, "lItemCount", 0);
    if (j.contains("lItemCodes"))
        d.LItemCodes = NumberList(j.at("lItemCodes"));
    for (const auto& [language, names] : j.at("familyNames").items()) {
        DescNameBlock block;
        block.Language = Utf16(language);
        for (size_t k = 0; k < 3; ++k)
            block.TypeNames[k] = Utf16(names.at(k).get<std::string>());
        r.NameBlocks.push_back(block);
    }
    for (const auto& [language, names] : j.at("averNames").items()) {
        DescAverBlock block;
        block.Language = Utf16(language);
        for (const auto& [index, name] : names.items())
            block.Names.emplace_back(std::stoul(index, nullptr, 0), Utf16(name.get<std::string>()));
        r.AverBlocks.push_back(block);
    }
    return r;
}

DescFileContent Content(const Json& j) {
    DescFileContent c;
    c.Version = Number(j.at("version"));
    for (const Json& d : j.at("descriptors"))
        c.Records.push_back(Record(d));
    for (const Json& t : j.at("deviceTypes")) {
        DescChannelEntry entry;
        entry.DeviceType = static_cast<int32_t>(Number(t.at("type")));
        for (const auto& [language, names] : t.at("names").items()) {
            DescChannelBlock block;
            block.Language = Utf16(language);
            block.Names.TypeName = Utf16(names.at("typeName").get<std::string>());
            for (size_t k = 0; k < 4; ++k) {
                block.Names.AuxNames[k] = Utf16(names.at("aux").at(k).get<std::string>());
                block.Names.ChannelNames[k] = Utf16(names.at("channels").at(k).get<std::string>());
            }
            entry.Blocks.push_back(block);
        }
        c.ChannelEntries.push_back(entry);
    }
    for (const Json& name : j.at("bandNames"))
        c.BandNames.push_back(Utf16(name.get<std::string>()));
    for (const auto& [language, models] : j.at("models").items()) {
        DescModelGroup group;
        group.Language = Utf16(language);
        for (const Json& m : models)
            group.Models.push_back(
                DeviceModel{Utf16(m.value("prefix", "")), Utf16(m.at("name").get<std::string>()),
                            Number(m.at("teleType")), Number(m.at("modelWord1")),
                            Number(m.at("modelWord2")), Utf16(m.value("note", ""))});
        c.ModelGroups.push_back(group);
    }
    if (j.contains("bandNameReplacements"))
        for (const auto& [language, entries] : j.at("bandNameReplacements").items()) {
            DescBandNameBlock block;
            block.Language = Utf16(language);
            for (const auto& [index, name] : entries.items())
                block.Entries.emplace_back(std::stoul(index, nullptr, 0),
                                           Utf16(name.get<std::string>()));
            c.BandNameBlocks.push_back(block);
        }
    return c;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: make_tele_desc <description.json> <output file>...\n";
        return 2;
    }
    try {
        std::ifstream in(argv[1]);
        if (!in)
            throw std::runtime_error(std::string("cannot open ") + argv[1]);
        const std::vector<uint8_t> bytes = WriteDescFile(Content(Json::parse(in)));
        for (int i = 2; i < argc; ++i)
            if (!WriteBytesToFile(argv[i], bytes))
                throw std::runtime_error(std::string("cannot write ") + argv[i]);
    } catch (const std::exception& e) {
        std::cerr << "make_tele_desc: " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
