#include <gtest/gtest.h>

#include "model/param_code.h"

using namespace param_code;

namespace {
TEST(ParamCodeFrameSize, FollowsKindAndKind15Group) {
    struct Case {
        uint32_t code;
        uint32_t size;
    };
    const Case cases[] = {
        {0x00000000u, 2},
        {0x10000000u, 2},
        {0x201C0000u, 2},
        {0x30000000u, 2},
        {0x40100000u, 2},
        {0x60000000u, 2},
        {0x502C0000u, 4},
        {0x70000000u, 4},
        {0x80000000u, 4},
        {0x90000000u, 4},
        {0xA0000000u, 4},
        {0xB0000000u, 4},
        {0xD0000000u, 4},
        {0xE0000000u, 4},
        {0xC0000000u, 8},
        {0xCFFFFFFFu, 8},
        {0xF0030000u, 10},
        {0xF0050000u, 66},
        {0xF0000000u, 6},
        {0xF0040000u, 6},
        {0xF02F0000u, 2},
        {0xF02F1000u, 34},
        {0xF02FFFFFu, 2 + 2 * 0xFF},
        {0xF12F0000u, 6}, // group 0x12F, not 0x02F
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParamCodeFrameSize(c.code), c.size) << std::hex << c.code;
}

class ParamCodeTablesTest : public ::testing::Test {
protected:
    void SetUp() override { TelemetryDescriptorMap.clear(); }
    void TearDown() override { TelemetryDescriptorMap.clear(); }
};

TEST_F(ParamCodeTablesTest, FrameOffsetSumsTheSizesBeforeTheFirstExactOccurrence) {
    TelemetryDescriptorMap[7].Codes = {DeviceTypeCode, Code502C, 0xC0000001u, 0xF02F1000u,
                                       StartStopCode,  Code502C, 0x01100000u};
    TelemetryDescriptorMap[8] = {};
    struct Case {
        int32_t type;
        uint32_t code;
        int32_t offset;
    };
    const Case cases[] = {
        {7, DeviceTypeCode, 0},    {7, Code502C, 2}, // first of its two occurrences
        {7, 0xC0000001u, 6},       {7, 0xF02F1000u, 14}, {7, StartStopCode, 48},
        {7, 0x01100000u, 54},      {7, 0x11100000u, -1}, // differs only in the kind bits
        {7, PolarizationCode, -1},                       // not in the frame
        {8, DeviceTypeCode, -1},                         // empty frame
        {9, DeviceTypeCode, -1},                         // undescribed type
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParamCodeFrameOffset(c.type, c.code), c.offset)
            << c.type << " " << std::hex << c.code;
    EXPECT_EQ(static_cast<uint16_t>(ParamCodeFrameOffset(9, DeviceTypeCode)), 0xFFFF);
}

TEST_F(ParamCodeTablesTest, FindersBuildTheCodeAndReturnItAsStored) {
    TelemetryDescriptor& d = TelemetryDescriptorMap[3];
    d.Codes = {DeviceTypeCode,
               0x21230102u,  // kind 2, channel 3, family 2, aver 1, band 2
               0x02100000u,  // the 0x2xx twin of channel 0, family 1, aver 0, band 0
               0x01100000u,  // and its 0x1xx code, after the twin
               0x1017200Au}; // family "L", channel 2, item 10
    struct Case {
        uint32_t ch, family, aver, band;
        uint32_t byType, byDesc;
    };
    const Case cases[] = {
        {3, 1, 1, 2, 0x21230102u, 0x21230102u},
        {0, 0, 0, 0, 0x02100000u, 0x01100000u}, // twin first for the type finder only
        {2, 3, 1, 4, 0x1017200Au, 0x1017200Au}, // band 4 + 6 x averaging 1
        {2, 3, 0, 10, 0x1017200Au, 0x1017200Au},
        {0, 3, 1367, 0, 0, 0},  // item index 0x200A is not channel 2's item 10
        {3, 1, 0, 0x102, 0, 0}, // band 0x102 is not averaging 1's band 2
        {3, 1, 1, 3, 0, 0},
        {1, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.ch << "/" << c.family << "/" << c.aver << "/" << c.band);
        EXPECT_EQ(FindParamCodeByType(3, c.ch, c.family, c.aver, c.band), c.byType);
        EXPECT_EQ(FindParamCode(d, c.ch, c.family, c.aver, c.band), c.byDesc);
    }
    EXPECT_EQ(FindParamCodeByType(4, 0, 0, 0, 0), 0u);
    EXPECT_EQ(FindParamCode(TelemetryDescriptor{}, 0, 0, 0, 0), 0u);
}

TEST_F(ParamCodeTablesTest, PackedIndexesMoveTheAveragingField) {
    TelemetryDescriptor& d = TelemetryDescriptorMap[1];
    d.IndexPacked = 1;
    d.Codes = {0x5111212Cu, 0x0017200Au};
    // Channel 1, family 0, averaging 2, band 300 builds 0x0111212C; family "L" ignores packing.
    EXPECT_EQ(FindParamCodeByType(1, 1, 0, 2, 300), 0x5111212Cu);
    EXPECT_EQ(FindParamCode(d, 1, 0, 2, 300), 0x5111212Cu);
    EXPECT_EQ(FindParamCode(d, 2, 3, 1, 4), 0x0017200Au);
    // Averaging 0x12 does not fit 4 bits: it is not channel 1's averaging 2.
    EXPECT_EQ(FindParamCodeByType(1, 0, 0, 0x12, 0x12C), 0u);
    EXPECT_EQ(FindParamCode(d, 0, 0, 0x12, 0x12C), 0u);
    d.IndexPacked = 0;
    EXPECT_EQ(FindParamCode(d, 1, 0, 2, 300), 0u);
    EXPECT_EQ(FindParamCode(d, 1, 0, 0x21, 0x2C), 0x5111212Cu);
}
} // namespace
