#include "config/din_descriptor.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "model/channel_band_names.h"
#include "model/device_param_layout.h"
#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"

namespace {

constexpr int32_t TestType = 119;
constexpr uint32_t Kind4Bytes = 5;

/// A measured-value code of family 1 to 3 (unpacked indexes).
constexpr uint32_t Measured(uint32_t channel, uint32_t family, uint32_t aver, uint32_t band,
                            uint32_t kind = 0) {
    return (kind << 28) | ((channel | 0x100u) << 16) | (family << 20) | (aver << 8) | band;
}

/// A family-"L" code: item index band + 6 x averaging.
constexpr uint32_t LCode(uint32_t channel, uint32_t aver, uint32_t band) {
    return ((channel | 0x170u) << 12) | (band + 6 * aver);
}

void AddBands(std::vector<uint32_t>& codes, uint32_t channel, uint32_t family, uint32_t aver,
              uint32_t firstBand, uint32_t lastBand, uint32_t kind = 0) {
    for (uint32_t b = firstBand; b <= lastBand; ++b) {
        codes.push_back(Measured(channel, family, aver, b, kind));
    }
}

class DinDescriptorTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedMap = TelemetryDescriptorMap;
        savedModels = DeviceModelList;
        savedBandNames = BandNameTable;
    }
    void TearDown() override {
        TelemetryDescriptorMap = savedMap;
        DeviceModelList = savedModels;
        BandNameTable = savedBandNames;
    }

    /// Registers `described` as the test type and decodes it into the working state.
    void Decode(TelemetryDescriptor described) {
        TelemetryDescriptorMap[TestType] = std::move(described);
        layout.TeleType = TestType;
        ASSERT_TRUE(ApplyTeleDescToDevice(channels, layout, desc));
        layout.ChannelSensorMap =
            desc.ChannelCount > 1 ? SensorMapMultiChannel : SensorMapSingleChannel;
    }
    void Decode(std::vector<uint32_t> codes) {
        TelemetryDescriptor described;
        described.Codes = std::move(codes);
        Decode(std::move(described));
    }

    DinDescriptorSource Source() const { return {desc, layout, channels}; }

    nlohmann::json Build() {
        records.clear();
        return BuildDinDescriptor(Source(), records);
    }
    std::string Text() { return SerialiseDinDevices(Build()); }
    std::string TeleDescMember(const char* key) {
        const auto device = Build()["DinDevices"][0];
        if (!device.contains("TeleDesc") || !device["TeleDesc"].contains(key)) {
            return "absent";
        }
        return device["TeleDesc"][key].dump();
    }

    std::map<int32_t, TelemetryDescriptor> savedMap;
    std::vector<DeviceModel> savedModels;
    std::vector<std::u16string> savedBandNames;
    TelemetryDescriptor desc;
    DeviceParamLayout layout;
    ChannelLayouts channels;
    std::vector<DescriptorRecord> records;
};

std::vector<uint8_t> Bytes(const DescriptorRecord& record) {
    const auto encoded = EncodeDescriptorRecord(record);
    return {encoded.begin(), encoded.end()};
}

TEST_F(DinDescriptorTest, SingleParameterGivesExactTextAndRecord) {
    DeviceModelList = {{u"X", u"Other", 5, 0, 0, u""},
                       {u"SV", u"Meter \"1\"", TestType, 0, 0, u""}};
    for (int i = 0; i < 30; ++i) {
        BandNameTable.push_back({u'N', char16_t(u'A' + i)});
    }
    TelemetryDescriptor described;
    described.Codes = {param_code::DeviceTypeCode, Measured(0, 1, 0, 3)};
    described.TypeNames = {u"Октавы", u"Third", u"Narrow"};
    described.AverNames = {{0, u"Fast"}};
    described.BandBase1 = 10;
    described.BandStride1 = 3;
    Decode(described);
    desc.BandCount1 = 5; // as if the family had five bands

    EXPECT_EQ(Text(), "[{\"DevName\":\"SV: Meter \\\"1\\\"\",\"DinI\":0,\"TeleDesc\":{"
                      "\"AverNames\":[[\"Fast\"]],"
                      "\"BandNames\":[[\"NK\",\"NN\",\"NQ\",\"NT\",\"NW\"]],"
                      "\"ChNames\":[\"D\"],"
                      "\"Parameters\":[[0,0,0,3]],"
                      "\"TypeNames\":[\"Октавы\"]},\"TeleType\":119}]");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(Bytes(records[0]), (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 3, 0, 1,    0,
                                                       2, 0, 0, 0, 0, 0, 3, 0, 0x10, 0x01}));
}

TEST_F(DinDescriptorTest, ChannelRunRecordsBothStrides) {
    std::vector<uint32_t> codes = {param_code::DeviceTypeCode};
    for (uint32_t ch = 0; ch < 3; ++ch) {
        AddBands(codes, ch, 2, 0, 0, 4, Kind4Bytes);
    }
    Decode(codes);
    EXPECT_EQ(TeleDescMember("Parameters"), "[[1,0,0,0,5,3]]");
    ASSERT_EQ(records.size(), 1u);
    const DescriptorRecord expected{1, 0, 3, 0, 0, 5, 2, 4, 20, Measured(0, 2, 0, 0, Kind4Bytes)};
    EXPECT_EQ(records[0], expected);
    EXPECT_EQ(Bytes(records[0]), (std::vector<uint8_t>{1, 0, 0, 3, 0,  0, 0, 0, 5,    0,
                                                       2, 0, 4, 0, 20, 0, 0, 0, 0x20, 0x51}));
}

TEST_F(DinDescriptorTest, TwoChannelsOfOneBandWriteTheBandCount) {
    // Channel 1's code comes first in the frame, so the channel stride wraps in 16 bits.
    Decode({Measured(1, 1, 0, 2), Measured(0, 1, 0, 2)});
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,0,2,1,2]]");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].FrameOffset, 2);
    EXPECT_EQ(records[0].BandStride, 0);
    EXPECT_EQ(records[0].ChannelStride, 0xFFFE);
}

struct RunCase {
    const char* name;
    uint32_t family;
    uint32_t aver;
    std::vector<std::pair<uint32_t, uint32_t>> bandsPerChannel; ///< {1, 0}: no codes
    const char* parameters;
};

TEST_F(DinDescriptorTest, RunsFollowKeyThenInsertionOrder) {
    const RunCase cases[] = {
        {"single channel over bands", 3, 0, {{0, 6}}, "[[2,0,0,0,7]]"},
        {"three runs", 1, 0, {{0, 4}, {0, 6}, {0, 4}}, "[[0,0,0,0,5],[0,2,0,0,5],[0,1,0,0,7]]"},
        {"four channels",
         1,
         0,
         {{0, 4}, {0, 4}, {0, 6}, {0, 4}},
         "[[0,0,0,0,5,2],[0,3,0,0,5],[0,2,0,0,7]]"},
        {"gap between channels", 1, 0, {{0, 4}, {1, 0}, {0, 4}}, "[[0,0,0,0,5],[0,2,0,0,5]]"},
        {"later averaging index", 2, 1, {{2, 3}, {2, 3}}, "[[1,0,1,2,2,2]]"},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> codes;
        for (uint32_t ch = 0; ch < c.bandsPerChannel.size(); ++ch) {
            const auto [first, last] = c.bandsPerChannel[ch];
            if (first <= last) {
                AddBands(codes, ch, c.family, c.aver, first, last);
            }
        }
        Decode(codes);
        EXPECT_EQ(TeleDescMember("Parameters"), c.parameters) << c.name;
    }
}

TEST_F(DinDescriptorTest, RunSpansItsHoleAndWritesNoStrideAcrossIt) {
    // Bands 1 to 3 are missing: the run still reaches from band 0 to band 4.
    Decode({Measured(0, 1, 0, 0), Measured(0, 1, 0, 4)});
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,0,0,5]]");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].BandCount, 5);
    EXPECT_EQ(records[0].BandStride, 0);
}

TEST_F(DinDescriptorTest, CodeMissingFromTheFrameHasOffsetFFFF) {
    Decode(
        {Measured(0, 1, 0, 0), Measured(0, 1, 0, 1), Measured(1, 1, 0, 0), Measured(1, 1, 0, 1)});
    TelemetryDescriptorMap.erase(TestType); // the frame no longer holds any code
    Build();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].FrameOffset, 0xFFFF);
    EXPECT_EQ(records[0].BandStride, 0);
    EXPECT_EQ(records[0].ChannelStride, 0);
}

// Found by this builder: an explicit-frequency list may announce more bands than the code's
// 8-bit band field holds; searching past it built codes whose band spilled into the averaging
// field and stretched a run over another averaging index's parameter.
TEST_F(DinDescriptorTest, BandSearchStaysInsideTheBandField) {
    const uint32_t manyFrequencies = (param_code::GroupFreq1 << 16) | (1u << 12) | 0x105;
    Decode({manyFrequencies, Measured(0, 1, 0, 0), Measured(0, 1, 0, 1), Measured(0, 1, 0, 2),
            Measured(0, 1, 1, 5)});
    ASSERT_EQ(desc.BandCount1, 0x106);
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,0,0,3],[0,0,1,5]]");
    EXPECT_EQ(Build()["DinDevices"][0]["TeleDesc"]["BandNames"][0].size(), 0x106u);
}

TEST_F(DinDescriptorTest, MissingAverNameIsUnknownAndStillSearched) {
    TelemetryDescriptor described;
    AddBands(described.Codes, 0, 1, 1, 0, 1);
    described.AverNames = {{0, u"Fast"}, {2, u"Slow"}};
    Decode(described);
    EXPECT_EQ(TeleDescMember("AverNames"), "[[\"Fast\",\"unknown\"]]");
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,1,0,2]]");
}

TEST_F(DinDescriptorTest, BandNamesTakeFrequenciesThenTheTable) {
    BandNameTable = {u"b0", u"b1", u"b2", u"b3", u"b4", u"b5"};
    TelemetryDescriptor described;
    AddBands(described.Codes, 0, 1, 0, 0, 3);
    AddBands(described.Codes, 0, 2, 0, 0, 2);
    AddBands(described.Codes, 0, 3, 0, 0, 2);
    described.BandBase1 = 0;
    described.BandStride1 = 2; // band 3 lies past the table
    described.BandBase2 = 1;
    described.BandStride2 = 1;
    described.BandBase3 = 3;
    Decode(described);
    layout.FrequencyLists[0] = {50.0, 1500.0};
    EXPECT_EQ(TeleDescMember("BandNames"),
              "[[\"50.00\",\"1.500k\",\"b4\",\"\"],[\"b1\",\"b2\",\"b3\"],[\"b3\",\"b4\",\"b5\"]]");
}

TEST_F(DinDescriptorTest, NothingPresentLeavesNoTeleDesc) {
    Decode({param_code::DeviceTypeCode, param_code::StartStopCode});
    const std::string text = Text();
    EXPECT_EQ(text, "[{\"DevName\":\"\",\"DinI\":0,\"TeleType\":119}]");
    EXPECT_TRUE(records.empty());
    const auto block = JoinDinDescriptor(text, records);
    EXPECT_EQ(block.Data.size(), 256u);
    EXPECT_EQ(std::string(block.Data.begin(), block.Data.begin() + text.size()), text);
    EXPECT_EQ(block.RecordCount, 0u);
}

TEST_F(DinDescriptorTest, GroupWithoutChannelsKeepsItsNames) {
    // An explicit-frequency code announces eight family-2 bands; no measured value exists.
    TelemetryDescriptor described;
    described.Codes = {(param_code::GroupFreq1 << 16) | (2u << 12) | 7};
    described.TypeNames = {u"One", u"Two", u"Three"};
    Decode(described);
    ASSERT_EQ(desc.ChannelCount, 0);
    EXPECT_EQ(TeleDescMember("ChNames"), "absent");
    EXPECT_EQ(TeleDescMember("Parameters"), "absent");
    EXPECT_EQ(TeleDescMember("TypeNames"), "[\"Two\"]");
    EXPECT_EQ(TeleDescMember("AverNames"), "[[]]");
    EXPECT_EQ(TeleDescMember("BandNames"), "[[\"0.00\",\"0.00\",\"0.00\",\"0.00\",\"0.00\","
                                           "\"0.00\",\"0.00\",\"0.00\"]]");
    EXPECT_TRUE(records.empty());
}

TEST_F(DinDescriptorTest, DeviceNameFromTheFirstModelOfTheType) {
    struct {
        std::vector<DeviceModel> models;
        std::string devName;
    } const cases[] = {
        {{}, ""},
        {{{u"Alpha", u"Alpha", TestType, 0, 0, u""}}, "Alpha"},
        {{{u"", u"Beta", TestType, 0, 0, u""}}, ": Beta"},
        {{{u"P", u"First", TestType, 0, 0, u""}, {u"Q", u"Second", TestType, 0, 0, u""}},
         "P: First"},
        {{{u"P", u"One", TestType + 0x10000, 0, 0, u""}}, ""},
        {{{u"A", std::u16string{u'x', char16_t(0xDC00)}, TestType, 0, 0, u""}}, "A: x\xEF\xBF\xBD"},
    };
    Decode({Measured(0, 1, 0, 0)});
    for (const auto& c : cases) {
        DeviceModelList = c.models;
        EXPECT_EQ(Build()["DinDevices"][0]["DevName"], c.devName);
    }
}

TEST_F(DinDescriptorTest, ChannelCountIsCappedAtEight) {
    std::vector<uint32_t> codes;
    for (uint32_t ch = 0; ch < 8; ++ch) {
        codes.push_back(Measured(ch, 1, 0, 0));
    }
    Decode(codes);
    desc.ChannelCount = 12;
    desc.Codes.push_back(Measured(8, 1, 0, 0)); // never searched
    EXPECT_EQ(TeleDescMember("ChNames"),
              "[\"K1\",\"K2\",\"K3\",\"Mic\",\"Mic\",\"Mic\",\"Mic\",\"Mic\"]");
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,0,0,1,8]]");
}

TEST_F(DinDescriptorTest, FamilyLIsGroupThree) {
    BandNameTable = {u"zero", u"one", u"two", u"three", u"four"};
    TelemetryDescriptor described;
    described.Codes = {Measured(0, 1, 0, 0), Measured(1, 1, 0, 0)};
    for (uint32_t b = 0; b < 6; ++b) {
        described.Codes.push_back(LCode(0, 0, b));
        described.Codes.push_back(LCode(1, 0, b));
        described.Codes.push_back(LCode(0, 1, b));
    }
    described.LItemCount = 2;
    described.LItemCodes = {Measured(0, 1, 0, 1)};
    described.TypeNames = {u"Oct", u"", u""};
    described.BandStride1 = 3;
    Decode(described);
    ASSERT_EQ(channels[0].LItems.size(), 2u);
    channels[0].LItems[0].bands.resize(8);
    for (std::size_t k = 0; k < 8; ++k) {
        channels[0].LItems[0].bands[k].name = {u'L', char16_t(u'0' + k)};
    }

    EXPECT_EQ(TeleDescMember("TypeNames"), "[\"Oct\",\"L\"]");
    EXPECT_EQ(TeleDescMember("AverNames"), "[[\"unknown\"],[\"three\",\"\"]]");
    EXPECT_EQ(TeleDescMember("BandNames"),
              "[[\"zero\"],[\"L0\",\"L1\",\"L2\",\"L3\",\"L4\",\"L5\"]]");
    EXPECT_EQ(TeleDescMember("Parameters"), "[[0,0,0,0,1,2],[3,0,0,0,6,2],[3,0,1,0,6]]");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].Code, LCode(0, 0, 0));
    EXPECT_EQ(records[1].FrameOffset, 4);
    EXPECT_EQ(records[1].BandStride, 6);
    EXPECT_EQ(records[1].ChannelStride, 2);
}

TEST_F(DinDescriptorTest, FamilyLNeedsABandInItsFirstItem) {
    TelemetryDescriptor described;
    described.Codes = {Measured(0, 1, 0, 0), LCode(0, 0, 0)};
    described.LItemCount = 2; // one L band for two items: each gets none
    Decode(described);
    EXPECT_EQ(TeleDescMember("TypeNames"), "[\"\"]");
}

struct BlockCase {
    std::size_t textLength;
    std::size_t recordCount;
    std::size_t size;
    std::size_t eraseBlocks;
    bool fits;
};

TEST(JoinDinDescriptor, PadsToPagesAndHoldsTheAreaLimit) {
    const BlockCase cases[] = {
        {0, 0, 0, 0, true},
        {10, 0, 256, 1, true},
        {236, 1, 256, 1, true},
        {237, 1, 512, 1, true},
        {4096, 0, 4096, 1, true},
        {4097, 0, 4352, 2, true},
        {15 * 4096, 0, 15 * 4096, 15, true},
        {15 * 4096 - 40, 2, 15 * 4096, 15, true},
        {15 * 4096 + 1, 0, 15 * 4096 + 256, 16, false},
    };
    for (const auto& c : cases) {
        const std::string text(c.textLength, 'j');
        DescriptorRecord record;
        record.Code = 0xA1B2C3D4;
        const std::vector<DescriptorRecord> records(c.recordCount, record);
        const auto block = JoinDinDescriptor(text, records);
        EXPECT_EQ(block.Data.size(), c.size) << c.textLength;
        EXPECT_EQ(block.EraseBlocks, c.eraseBlocks) << c.textLength;
        EXPECT_EQ(block.FitsArea, c.fits) << c.textLength;
        EXPECT_EQ(block.TextLength, c.textLength);
        EXPECT_EQ(block.RecordCount, c.recordCount);
        if (c.recordCount > 0) {
            const std::size_t at = c.textLength + DescriptorRecordSize * (c.recordCount - 1);
            EXPECT_EQ(block.Data[at + 16], 0xD4);
            EXPECT_EQ(block.Data[at + 19], 0xA1);
        }
        for (std::size_t i = c.textLength + DescriptorRecordSize * c.recordCount;
             i < block.Data.size(); ++i) {
            ASSERT_EQ(block.Data[i], 0) << c.textLength;
        }
    }
}

} // namespace
