#include <gtest/gtest.h>

#include <string>

#include "model/channel_band_names.h"

namespace {
std::u16string Entry(int i) {
    std::u16string name = u"B";
    for (char ch : std::to_string(i))
        name.push_back(static_cast<char16_t>(ch));
    return name;
}

class ChannelBandNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        BandNameTable.clear();
        for (int i = 0; i < 500; ++i)
            BandNameTable.push_back(Entry(i));
        desc.BandBase1 = 10;
        desc.BandStride1 = 3;
        desc.BandBase2 = 100;
        desc.BandStride2 = 2;
        desc.BandBase3 = 40;
    }
    void TearDown() override { BandNameTable.clear(); }

    DeviceParamLayout layout;
    TelemetryDescriptor desc;
};

TEST_F(ChannelBandNamesTest, BandNameByFamilyBaseAndStride) {
    struct Case {
        uint32_t code;
        std::u16string name;
    };
    const Case cases[] = {
        {0x01100002u, Entry(16)},  // family 1: 2 x 3 + 10
        {0x21130102u, Entry(16)},  // kind and channel and averaging play no part
        {0x02100002u, Entry(16)},  // the 0x2xx twin of a measured value
        {0x01200007u, Entry(114)}, // family 2: 7 x 2 + 100
        {0x01370305u, Entry(45)},  // family 3: step 1 whatever the other strides
        {0x0130012Cu, Entry(84)},  // not packed: band is bits 0-7, 44
        {0x03100002u, u""},        // bits 24-27 = 3: no measured value
        {0x00100002u, u""},        {0x01000002u, u""}, // family 0
        {0x01400002u, u""},                            // family 4
        {0x011000FFu, u""},                            // 255 x 3 + 10 lies past the table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        EXPECT_EQ(BandName(c.code, layout, desc), c.name);
    }
}

TEST_F(ChannelBandNamesTest, PackedBandIndexUsesTwelveBits) {
    desc.IndexPacked = 1;
    EXPECT_EQ(BandName(0x0130012Cu, layout, desc), Entry(340));
    desc.IndexPacked = 0;
    EXPECT_EQ(BandName(0x0130012Cu, layout, desc), Entry(84));
}

TEST_F(ChannelBandNamesTest, BandsInsideTheFrequencyListAreNumbered) {
    layout.FrequencyLists[0].resize(4);
    for (uint32_t band = 0; band < 4; ++band)
        EXPECT_EQ(BandName(0x01100000u | band, layout, desc),
                  u"Freq " + std::u16string(1, static_cast<char16_t>(u'1' + band)));
    EXPECT_EQ(BandName(0x01100004u, layout, desc), Entry(22));
    // Only the code's own family list counts.
    EXPECT_EQ(BandName(0x01300001u, layout, desc), Entry(41));

    layout.FrequencyLists[2].resize(300);
    EXPECT_EQ(BandName(0x01300000u | 11, layout, desc), u"Freq 12");
}

TEST_F(ChannelBandNamesTest, EmptyBandNameTableGivesEmptyNames) {
    BandNameTable.clear();
    EXPECT_EQ(BandName(0x01100002u, layout, desc), u"");
    desc.BandBase3 = 0xFFFFFFFFu;
    EXPECT_EQ(BandName(0x01300000u, layout, desc), u"");
}

TEST(ChannelNameTest, ChannelsThroughTheSensorMap) {
    DeviceParamLayout layout;
    layout.ChannelSensorMap = SensorMapMultiChannel;
    const std::u16string multi[] = {u"K1", u"K2", u"K3", u"Mic", u"Mic", u"Mic", u"Mic", u"Mic"};
    for (int ch = 0; ch < 8; ++ch)
        EXPECT_EQ(ChannelName(ch, layout), multi[ch]) << ch;
    for (int ch : {8, -1, INT32_MIN, INT32_MAX})
        EXPECT_EQ(ChannelName(ch, layout), u"") << ch;

    layout.ChannelSensorMap = SensorMapSingleChannel;
    const std::u16string single[] = {u"D", u"Mic", u"Mic", u"Mic"};
    for (int ch = 0; ch < 4; ++ch)
        EXPECT_EQ(ChannelName(ch, layout), single[ch]) << ch;
}

TEST(ChannelNameTest, EverySensorNameIsReachable) {
    const std::u16string names[] = {u"Mic", u"A",  u"X",  u"Y",  u"Z",  u"LF", u"HF", u"D",
                                    u"NO",  u"NO", u"NO", u"NO", u"NO", u"K1", u"K2", u"K3"};
    DeviceParamLayout layout;
    for (uint16_t index = 0; index < SensorNameCount; ++index) {
        layout.ChannelSensorMap = static_cast<uint16_t>(index << 8);
        EXPECT_EQ(ChannelName(2, layout), names[index]) << index;
    }
}
} // namespace
