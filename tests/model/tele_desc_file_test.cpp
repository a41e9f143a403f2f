#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "model/tele_desc_file.h"
#include "model/tele_desc_format.h"
#include "support/desc_file_samples.h"
#include "support/desc_file_writer.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {
class TeleDescFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDescTables();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        Path = fs::temp_directory_path() /
               ("velmora-desc-" + std::to_string(getpid()) + "-" + name + ".bin");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove(Path, ec);
        ResetDescTables();
    }

    bool Load(const std::vector<uint8_t>& bytes, const std::u16string& lang = UiLanguageEnglish) {
        EXPECT_TRUE(WriteBytesToFile(Path, bytes));
        return LoadTeleDescFile(Path, lang);
    }
    bool Load(const DescFileContent& c, const std::u16string& lang = UiLanguageEnglish) {
        return Load(WriteDescFile(c), lang);
    }

    /// Puts a sentinel in every table, to show that a refused file touches none of them.
    static void FillSentinels() {
        TelemetryDescriptorMap[99] = TelemetryDescriptor{};
        DeviceTypeChannelNameMap[99] = DeviceTypeChannelNames{};
        BandNameTable = {u"keep"};
        DeviceModelList = {DeviceModel{u"", u"keep", 99, 0, 0, u""}};
    }
    static bool SentinelsIntact() {
        return TelemetryDescriptorMap.size() == 1 && TelemetryDescriptorMap.count(99) &&
               DeviceTypeChannelNameMap.size() == 1 && BandNameTable.size() == 1 &&
               BandNameTable[0] == u"keep" && DeviceModelList.size() == 1 &&
               DeviceModelList[0].Name == u"keep";
    }

    static DescFileContent WithOneRecord(uint32_t version, const TelemetryDescriptor& d) {
        DescFileContent c;
        c.Version = version;
        c.Records = {DescRecord{5, d, {}, {}}};
        return c;
    }

    fs::path Path;
};

TEST_F(TeleDescFileTest, SmallestFilesHaveTheirExactSizesAndLoadEmpty) {
    // Header plus one zero count per section the version carries.
    for (uint32_t v = 0; v <= 15; ++v) {
        SCOPED_TRACE(v);
        DescFileContent c;
        c.Version = v;
        std::vector<uint8_t> bytes = WriteDescFile(c);
        size_t sections = 5 + (v >= 6) + (v >= 12) + (v >= 14);
        EXPECT_EQ(bytes.size(), 8 + 4 * sections);
        EXPECT_FALSE(Load(bytes));
        EXPECT_TRUE(TelemetryDescriptorMap.empty());
        EXPECT_TRUE(BandNameTable.empty());
        EXPECT_TRUE(DeviceModelList.empty());
    }
    DescFileContent v0;
    v0.Version = 0;
    EXPECT_EQ(WriteDescFile(v0).size(), 28u);
    DescFileContent v15;
    EXPECT_EQ(WriteDescFile(v15).size(), 40u);
}

TEST_F(TeleDescFileTest, StrOfEnglishOccupies18Bytes) {
    DescByteWriter w;
    w.Str(UiLanguageEnglish);
    ASSERT_EQ(w.Size(), 18u);
    EXPECT_EQ(w.Data[0], 7);
    EXPECT_EQ(w.Data[4], 'E');
    EXPECT_EQ(w.Data[5], 0);
}

TEST_F(TeleDescFileTest, Version15LoadsEverySection) {
    ASSERT_TRUE(Load(FullDescContent(15)));

    ASSERT_EQ(TelemetryDescriptorMap.size(), 2u);
    EXPECT_EQ(TelemetryDescriptorMap.begin()->first, -1); // signed key order
    const TelemetryDescriptor& d = TelemetryDescriptorMap.at(42);
    const DescFileContent content = FullDescContent(15);
    const TelemetryDescriptor& want = content.Records[1].Desc;
    EXPECT_EQ(d.Codes, want.Codes);
    EXPECT_EQ(d.CodeExtras, (std::vector<uint32_t>{1, 2, 0x12345u}));
    EXPECT_EQ(d.BandBase1, 10);
    EXPECT_EQ(d.BandStride1, 3);
    EXPECT_EQ(d.BandBase2, 20);
    EXPECT_EQ(d.BandStride2, 2);
    EXPECT_EQ(d.BandBase3, 40u);
    EXPECT_EQ(d.Extra1, 101u);
    EXPECT_EQ(d.Extra2, 102u);
    EXPECT_EQ(d.Extra3, 103u);
    EXPECT_EQ(d.LItemCount, 2u);
    EXPECT_EQ(d.ExtraReal1, 0.5);
    EXPECT_EQ(d.LItemCodes, want.LItemCodes);
    EXPECT_EQ(d.ExtraReal2, 2.5);
    EXPECT_EQ(d.ExtraNames[2], u"x3");
    EXPECT_EQ(d.TypeNames, (std::array<std::u16string, 3>{u"Level", u"Spectrum", u"Peak"}));
    EXPECT_EQ(d.AverNames, (std::map<uint32_t, std::u16string>{{0, u"Fast"}, {1, u"Slow"}}));
    EXPECT_EQ(d.Extra4, 104u);
    EXPECT_EQ(d.IndexPacked, 1u);
    EXPECT_EQ(d.Extra5, 105u);
    EXPECT_EQ(d.ChannelCount, 0);
    EXPECT_EQ(d.BandCount1, 0);
    EXPECT_EQ(d.AverCount1, 0);

    ASSERT_EQ(DeviceTypeChannelNameMap.size(), 1u);
    const DeviceTypeChannelNames& ch = DeviceTypeChannelNameMap.at(3);
    EXPECT_EQ(ch.TypeName, u"Meter");
    EXPECT_EQ(ch.AuxNames[3], u"a4");
    EXPECT_EQ(ch.ChannelNames[0], u"X");

    // Section 8 replaced entries 0 and 2 (the later entry winning) and ignored index 50.
    ASSERT_EQ(BandNameTable.size(), 50u);
    EXPECT_EQ(BandNameTable[0], u"E0");
    EXPECT_EQ(BandNameTable[1], u"B1");
    EXPECT_EQ(BandNameTable[2], u"E2");
    EXPECT_EQ(BandNameTable[49], u"B49");

    ASSERT_EQ(DeviceModelList.size(), 2u);
    EXPECT_EQ(DeviceModelList[0], (DeviceModel{u"EP", u"E-1", 42, 0x11, 0x21, u"note 1"}));
    EXPECT_EQ(DeviceModelList[1].Name, u"E-2");
}

TEST_F(TeleDescFileTest, RussianBlocksAreChosenForRussian) {
    ASSERT_TRUE(Load(FullDescContent(15), UiLanguageRussian));
    const TelemetryDescriptor& d = TelemetryDescriptorMap.at(42);
    EXPECT_EQ(d.TypeNames[0], u"Уровень");
    EXPECT_EQ(d.AverNames.at(1), u"Медленно");
    EXPECT_EQ(DeviceTypeChannelNameMap.at(3).TypeName, u"Прибор");
    EXPECT_EQ(BandNameTable[0], u"B0");
    EXPECT_EQ(BandNameTable[1], u"Р1");
    ASSERT_EQ(DeviceModelList.size(), 1u);
    EXPECT_EQ(DeviceModelList[0].Name, u"Р-1");
}

// What every version carries of the same content; items a version lacks take their defaults.
TEST_F(TeleDescFileTest, EveryVersionReadsItsGatedItems) {
    for (uint32_t v = 0; v <= 15; ++v) {
        SCOPED_TRACE(v);
        ResetDescTables();
        std::vector<uint8_t> bytes = WriteDescFile(FullDescContent(v));
        // The loader reads every section the version carries, up to the last byte.
        EXPECT_FALSE(Load(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)));
        ResetDescTables();
        ASSERT_TRUE(Load(bytes));
        const TelemetryDescriptor& d = TelemetryDescriptorMap.at(42);
        const TelemetryDescriptor& minus1 = TelemetryDescriptorMap.at(-1);

        std::vector<uint32_t> extras =
            v < 4 ? std::vector<uint32_t>(10, 0xFFFF)
                  : std::vector<uint32_t>{1, 2, v < 15 ? 0x2345u : 0x12345u};
        EXPECT_EQ(d.CodeExtras, extras);
        EXPECT_EQ(minus1.CodeExtras, std::vector<uint32_t>(v < 4 ? 2 : 0, 0xFFFF));
        // Below version 11 band word 2 follows from band word 1 (base 10 -> base 9, stride 1).
        EXPECT_EQ(d.BandBase2, v < 11 ? 9 : 20);
        EXPECT_EQ(d.BandStride2, v < 11 ? 1 : 2);
        EXPECT_EQ(minus1.BandBase2, v < 11 ? 0xFFFF : 0);
        EXPECT_EQ(minus1.BandStride2, v < 11 ? 0xFFFF : 1);
        EXPECT_EQ(minus1.BandStride1, 3);
        EXPECT_EQ(d.IndexPacked, v < 3 ? 0u : 1u);
        EXPECT_EQ(d.Extra5, v < 13 ? 0u : 105u);
        EXPECT_EQ(d.Extra4, 104u);
        EXPECT_EQ(d.TypeNames[1], u"Spectrum");

        EXPECT_EQ(DeviceTypeChannelNameMap.at(3).ChannelNames[3], v < 7 ? u"" : u"M");
        EXPECT_EQ(BandNameTable[0], v < 12 ? u"B0" : u"E0");

        // Below version 5 every model enters, whatever its language.
        ASSERT_EQ(DeviceModelList.size(), v < 5 ? 3u : 2u);
        EXPECT_EQ(DeviceModelList[0].Name, u"E-1");
        EXPECT_EQ(DeviceModelList[0].Prefix, v < 8 ? u"" : u"EP");
        EXPECT_EQ(DeviceModelList[0].Note, v < 9 ? u"" : u"note 1");
        EXPECT_EQ(DeviceModelList[0].ModelWord2, 0x21u);
        if (v < 5) {
            EXPECT_EQ(DeviceModelList[2].Name, u"Р-1");
        }
    }
}

TEST_F(TeleDescFileTest, RefusedFilesTouchNoTable) {
    std::vector<uint8_t> v16 = WriteDescFile(FullDescContent(16));
    DescFileContent badMagic = FullDescContent(15);
    badMagic.Magic = 0x44545047u;
    std::vector<uint8_t> shortHeader = WriteDescFile(FullDescContent(15));
    shortHeader.resize(7);
    for (const auto& bytes : {v16, WriteDescFile(badMagic), shortHeader, std::vector<uint8_t>{}}) {
        FillSentinels();
        EXPECT_FALSE(Load(bytes));
        EXPECT_TRUE(SentinelsIntact());
    }
    FillSentinels();
    EXPECT_FALSE(LoadTeleDescFile(Path.string() + ".missing", UiLanguageEnglish));
    EXPECT_FALSE(LoadTeleDescFile(fs::temp_directory_path(), UiLanguageEnglish));
    const TempFolder folder;
    const fs::path pipe = folder.Fifo("desc.bin");
    bool loaded = true;
    EXPECT_TRUE(ReturnsWithin(std::chrono::seconds(5), pipe,
                              [&] { loaded = LoadTeleDescFile(pipe, UiLanguageEnglish); }));
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(SentinelsIntact());
}

TEST_F(TeleDescFileTest, LaterRecordsAndMatchingBlocksReplaceEarlierOnes) {
    DescFileContent c;
    DescRecord first{7, {}, {}, {}};
    first.Desc.Codes = {1, 2, 3};
    first.Desc.LItemCodes = {9};
    first.NameBlocks = {{UiLanguageEnglish, {}, {u"old", u"", u""}}};
    DescRecord second{7, {}, {}, {}};
    second.Desc.Codes = {4};
    second.NameBlocks = {{UiLanguageEnglish, {}, {u"a", u"b", u"c"}},
                         {UiLanguageRussian, {}, {u"р", u"", u""}},
                         {UiLanguageEnglish, {}, {u"later", u"", u""}}};
    second.AverBlocks = {{UiLanguageEnglish, {{0, u"zero"}, {5, u"five"}}},
                         {UiLanguageEnglish, {{1, u"one"}, {1, u"one again"}}},
                         {UiLanguageRussian, {{2, u"два"}}}};
    c.Records = {first, second};
    c.ChannelEntries = {{1, {{UiLanguageEnglish, {u"first", {}, {}}}}},
                        {1, {{UiLanguageEnglish, {u"second", {}, {}}}}}};
    ASSERT_TRUE(Load(c));
    const TelemetryDescriptor& d = TelemetryDescriptorMap.at(7);
    EXPECT_EQ(d.Codes, std::vector<uint32_t>{4});
    EXPECT_TRUE(d.LItemCodes.empty());
    EXPECT_EQ(d.TypeNames, (std::array<std::u16string, 3>{u"later", u"", u""}));
    EXPECT_EQ(d.AverNames, (std::map<uint32_t, std::u16string>{{1, u"one again"}}));
    EXPECT_EQ(DeviceTypeChannelNameMap.at(1).TypeName, u"second");
}

TEST_F(TeleDescFileTest, LanguageMatchingIsExactUpToTheFirstZeroUnit) {
    struct Case {
        std::u16string blockLanguage;
        std::u16string uiLanguage;
        bool match;
    };
    const Case cases[] = {
        {u"English", u"English", true},
        {u"english", u"English", false},
        {u"ENGLISH", u"English", false},
        {u"Englis", u"English", false},
        {u"English ", u"English", false},
        {std::u16string(u"English\0junk", 12), u"English", true},
        {u"English", std::u16string(u"English\0x", 9), true},
        {u"Русский", u"Русский", true},
        {u"русский", u"Русский", false},
        {u"", u"", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.blockLanguage.begin(), k.blockLanguage.end()));
        ResetDescTables();
        DescFileContent c;
        c.ChannelEntries = {{1, {{k.blockLanguage, {u"t", {}, {}}}}}};
        c.ModelGroups = {{k.blockLanguage, {{u"", u"m", 1, 0, 0, u""}}}};
        EXPECT_EQ(Load(c, k.uiLanguage), k.match);
        EXPECT_EQ(DeviceModelList.size(), k.match ? 1u : 0u);
    }
}

TEST_F(TeleDescFileTest, SectionThreeInTheOtherLanguageLoadsAllAndReturnsFalse) {
    DescFileContent c = FullDescContent(15);
    c.ChannelEntries[0].Blocks.erase(c.ChannelEntries[0].Blocks.begin()); // drop English
    EXPECT_FALSE(Load(c));
    EXPECT_TRUE(DeviceTypeChannelNameMap.empty());
    EXPECT_EQ(TelemetryDescriptorMap.size(), 2u);
    EXPECT_EQ(BandNameTable.size(), 50u);
    EXPECT_EQ(BandNameTable[2], u"E2");
    EXPECT_EQ(DeviceModelList.size(), 2u);
}

TEST_F(TeleDescFileTest, TextsKeepZeroUnitsAndTrailingBytesAreIgnored) {
    DescFileContent c = FullDescContent(15);
    c.BandNames[3] = std::u16string(u"a\0b", 3);
    std::vector<uint8_t> bytes = WriteDescFile(c);
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x01});
    ASSERT_TRUE(Load(bytes));
    EXPECT_EQ(BandNameTable[3], std::u16string(u"a\0b", 3));
}

TEST_F(TeleDescFileTest, BandWordStrideFieldsOfZeroStandForThreeAndOne) {
    struct Case {
        uint32_t version;
        uint16_t base1, stride1, base2, stride2;
        uint16_t wantStride1, wantBase2, wantStride2;
    };
    const Case cases[] = {
        {10, 0, 0, 77, 77, 3, 0xFFFF, 0xFFFF}, // derived from base 0
        {10, 1, 5, 77, 77, 5, 0, 1},           // base 1 - 1 = 0, stride field 0
        {0, 300, 2, 0, 0, 2, 299, 1},
        {11, 0, 0, 0, 0, 3, 0, 1}, // stored word 2 with a zero stride field
        {15, 4, 7, 9, 8, 7, 9, 8},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.version);
        ResetDescTables();
        TelemetryDescriptor d;
        d.BandBase1 = k.base1;
        d.BandStride1 = k.stride1;
        d.BandBase2 = k.base2;
        d.BandStride2 = k.stride2;
        Load(WithOneRecord(k.version, d));
        const TelemetryDescriptor& got = TelemetryDescriptorMap.at(5);
        EXPECT_EQ(got.BandBase1, k.base1);
        EXPECT_EQ(got.BandStride1, k.wantStride1);
        EXPECT_EQ(got.BandBase2, k.wantBase2);
        EXPECT_EQ(got.BandStride2, k.wantStride2);
    }
}

TEST_F(TeleDescFileTest, CodeExtrasNeedNotMatchTheCodes) {
    TelemetryDescriptor d;
    d.Codes = {1, 2, 3};
    Load(WithOneRecord(4, d));
    EXPECT_TRUE(TelemetryDescriptorMap.at(5).CodeExtras.empty());
    ResetDescTables();
    d.CodeExtras = {0xFFFF, 0x8000, 1, 2, 3};
    Load(WithOneRecord(14, d));
    EXPECT_EQ(TelemetryDescriptorMap.at(5).CodeExtras, d.CodeExtras);
}

TEST_F(TeleDescFileTest, TruncationAtEveryByteKeepsWhatWasReadAndReturnsFalse) {
    for (uint32_t v : {0u, 5u, 12u, 14u, 15u}) {
        DescSectionOffsets at;
        const DescFileContent content = FullDescContent(v);
        std::vector<uint8_t> full = WriteDescFile(content, &at);
        DescFileContent firstOnly = content;
        firstOnly.Records.resize(1);
        DescSectionOffsets firstAt;
        WriteDescFile(firstOnly, &firstAt);
        const size_t firstEnd = firstAt[3]; // where the first record ends
        for (size_t n = 8; n < full.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "version " << v << " cut at " << n);
            ResetDescTables();
            std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
            EXPECT_FALSE(Load(cut));
            // A record is stored once it is read whole.
            EXPECT_EQ(TelemetryDescriptorMap.size(), n >= at[3] ? 2u : n >= firstEnd ? 1u : 0u);
            if (n > at[4] + 4 && n < at[5]) {
                EXPECT_LT(BandNameTable.size(), 50u);
            }
            if (n >= at[5]) {
                EXPECT_EQ(BandNameTable.size(), 50u);
            }
        }
    }
}

TEST_F(TeleDescFileTest, HugeCountsEndTheLoadAndKeepEarlierSections) {
    DescSectionOffsets at;
    const std::vector<uint8_t> full = WriteDescFile(FullDescContent(15), &at);
    for (int s = 2; s <= 9; ++s) {
        for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, 0x40000000u}) {
            SCOPED_TRACE(testing::Message() << "section " << s << " count " << count);
            ResetDescTables();
            DescByteWriter w;
            w.Data = full;
            w.PatchU32(at[s], count);
            EXPECT_FALSE(Load(w.Data));
            EXPECT_EQ(TelemetryDescriptorMap.size(), s > 2 ? 2u : 0u);
            EXPECT_EQ(DeviceTypeChannelNameMap.size(), s > 3 ? 1u : 0u);
            EXPECT_EQ(BandNameTable.size(), s > 4 ? 50u : 0u);
            EXPECT_EQ(DeviceModelList.size(), s > 6 ? 2u : 0u);
        }
    }
}

// Hand-made record heads whose inner counts or texts claim more than the file holds.
TEST_F(TeleDescFileTest, HugeInnerCountsAndLongTextsEndTheLoad) {
    auto head = [](uint32_t version) {
        DescByteWriter w;
        w.U32(tele_desc_format::Magic);
        w.U32(version);
        return w;
    };
    std::vector<DescByteWriter> files;
    {
        DescByteWriter w = head(15); // Codes count
        w.U32(1);
        w.U32(42);
        w.U32(0xFFFFFFFF);
        files.push_back(w);
    }
    {
        DescByteWriter w = head(15); // 16-bit code extras: 2 bytes each
        w.U32(1);
        w.U32(42);
        w.U32(0);
        w.U32(0x7FFFFFFF);
        w.U16(1);
        files.push_back(w);
    }
    {
        DescByteWriter w = head(0); // a band name longer than the file
        w.U32(0);
        w.U32(0);
        w.U32(1);
        w.U32(0xFFFFFFFF);
        w.U16('a');
        files.push_back(w);
    }
    // A section-9 record of `columns` x `rows` with `texts` empty texts present.
    auto section9 = [&](uint32_t columns, uint32_t rows, uint32_t texts) {
        DescByteWriter w = head(15);
        for (int i = 0; i < 7; ++i)
            w.U32(0);
        w.U32(1);
        w.U32(9);
        w.Str(u"");
        w.Str(u"");
        w.U32(columns);
        w.U32(rows);
        for (uint32_t t = 0; t < texts; ++t)
            w.Str(u"");
        files.push_back(w);
    };
    section9(0, 0xFFFFFFFF, 0);
    section9(0xFFFFFFFF, 0xFFFFFFFF, 3);
    section9(1000, 1000, 2000); // the texts are there, the 10^6 cells are not
    for (const DescByteWriter& f : files)
        EXPECT_FALSE(Load(f.Data));
}

} // namespace
