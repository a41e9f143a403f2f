#include <gtest/gtest.h>

#include "model/device_param_layout.h"

namespace {
constexpr int32_t Type = 42;

uint32_t Measured(uint32_t ch, uint32_t family, uint32_t aver, uint32_t band, uint32_t cls = 1) {
    return (cls << 24) | (family << 20) | (ch << 16) | (aver << 8) | band;
}

uint32_t Frequency(uint32_t nibble, uint32_t v, uint32_t group = 0x01F) {
    return (group << 16) | (nibble << 12) | v;
}

class DeviceParamLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        TelemetryDescriptorMap.clear();
        layout.TeleType = Type;
    }
    void TearDown() override { TelemetryDescriptorMap.clear(); }

    TelemetryDescriptor& Describe(std::vector<uint32_t> codes, int32_t type = Type) {
        TelemetryDescriptor& d = TelemetryDescriptorMap[type];
        d.Codes = std::move(codes);
        return d;
    }
    bool Decode() { return ApplyTeleDescToDevice(channels, layout, desc); }

    static std::vector<std::vector<double>> Filled(std::size_t rows, std::size_t cells) {
        return std::vector<std::vector<double>>(rows, std::vector<double>(cells, NoValueMark));
    }

    ChannelLayouts channels;
    DeviceParamLayout layout;
    TelemetryDescriptor desc;
};

TEST_F(DeviceParamLayoutTest, ChannelZeroCodesShapeEveryChannelWithNoValueMarks) {
    for (uint32_t cls : {1u, 2u}) {
        SCOPED_TRACE(cls);
        std::vector<uint32_t> codes;
        for (uint32_t a = 0; a < 2; ++a)
            for (uint32_t b = 0; b < 3; ++b)
                codes.push_back(Measured(0, 1, a, b, cls) | 0x50000000u);
        Describe(codes).BandBase1 = 11;

        ASSERT_TRUE(Decode());
        EXPECT_EQ(desc.Codes, codes);
        EXPECT_EQ(desc.BandBase1, 11);
        EXPECT_EQ(desc.ChannelCount, 1);
        EXPECT_EQ(desc.BandCount1, 3);
        EXPECT_EQ(desc.AverCount1, 2);
        EXPECT_EQ(desc.BandCount2 + desc.BandCount3 + desc.AverCount2 + desc.AverCount3, 0);
        EXPECT_EQ(TelemetryDescriptorMap[Type].ChannelCount, 0) << "the table keeps no counts";
        for (const ChannelLayout& ch : channels) {
            EXPECT_EQ(ch.ValueMatrix1, Filled(2, 3));
            EXPECT_TRUE(ch.ValueMatrix2.empty());
            EXPECT_TRUE(ch.ValueMatrix3.empty());
        }
    }
}

TEST_F(DeviceParamLayoutTest, IndexFieldsFollowPacking) {
    struct Case {
        uint32_t packed;
        int32_t bandCount;
        int32_t averCount;
    };
    // 0x0110312C: channel 0, family 1; packed averaging 3, band 300, else averaging 0x31, band 44.
    for (Case c : {Case{1, 301, 4}, Case{0, 45, 0x32}}) {
        SCOPED_TRACE(c.packed);
        Describe({0x0110312Cu}).IndexPacked = c.packed;
        ASSERT_TRUE(Decode());
        EXPECT_EQ(desc.ChannelCount, 1);
        EXPECT_EQ(desc.BandCount1, c.bandCount);
        EXPECT_EQ(desc.AverCount1, c.averCount);
        EXPECT_EQ(channels[7].ValueMatrix1, Filled(c.averCount, c.bandCount));
    }
}

TEST_F(DeviceParamLayoutTest, MeasuredCodeOfNoFamilyIsPassedOver) {
    Describe({Measured(3, 0, 0, 5), Measured(3, 4, 1, 5), Measured(0, 2, 0, 1)});
    ASSERT_TRUE(Decode());
    EXPECT_EQ(desc.ChannelCount, 1);
    EXPECT_EQ(desc.BandCount1 + desc.BandCount3, 0);
    EXPECT_EQ(desc.BandCount2, 2);
    EXPECT_EQ(channels[3].ValueMatrix2, Filled(1, 2));
}

TEST_F(DeviceParamLayoutTest, ExplicitFrequencyFamilyNibbleIsFolded) {
    struct Case {
        uint32_t nibble;
        int family; // 0: none
    };
    for (uint32_t group : {0x01Fu, 0x020u}) {
        for (Case c : {Case{1, 1}, Case{3, 3}, Case{4, 1}, Case{5, 2}, Case{6, 3}, Case{7, 1},
                       Case{9, 3}, Case{0, 0}, Case{10, 0}, Case{15, 0}}) {
            SCOPED_TRACE(testing::Message() << group << " nibble " << c.nibble);
            Describe({Frequency(c.nibble, 7, group)});
            ASSERT_TRUE(Decode());
            const int32_t counts[] = {desc.BandCount1, desc.BandCount2, desc.BandCount3};
            for (int f = 1; f <= 3; ++f) {
                const bool addressed = f == c.family;
                EXPECT_EQ(layout.FrequencyLists[f - 1], std::vector<double>(addressed ? 8 : 0));
                EXPECT_EQ(counts[f - 1], addressed ? 8 : 0);
            }
            // No averaging index was seen, so the matrices stay without rows.
            EXPECT_TRUE(channels[0].ValueMatrix2.empty());
        }
    }
}

TEST_F(DeviceParamLayoutTest, FrequencyMarkersSizeTheList) {
    struct Case {
        uint32_t marker;
        std::size_t size;
    };
    for (Case c : {Case{0xFFF, 10}, Case{0xFFD, 10}, Case{0xFFE, 2}}) {
        SCOPED_TRACE(c.marker);
        // The marker may come before the measured values it is sized by.
        Describe({Frequency(1, c.marker), Measured(0, 1, 0, 0), Measured(1, 1, 0, 9)});
        ASSERT_TRUE(Decode());
        EXPECT_EQ(layout.FrequencyLists[0].size(), c.size);
        EXPECT_EQ(desc.BandCount1, 10);
        EXPECT_TRUE(layout.FrequencyLists[1].empty());
    }
}

TEST_F(DeviceParamLayoutTest, ExplicitFrequencyBelowListSizeChangesNothing) {
    Describe({Frequency(2, 7), Frequency(2, 3), Measured(0, 2, 0, 1)});
    ASSERT_TRUE(Decode());
    EXPECT_EQ(layout.FrequencyLists[1].size(), 8u);
    EXPECT_EQ(desc.BandCount2, 8);
    EXPECT_EQ(channels[5].ValueMatrix2, Filled(1, 8));
}

TEST_F(DeviceParamLayoutTest, LItemsShareTheLBandsEvenly) {
    struct Case {
        uint32_t itemCount;
        std::vector<uint32_t> codes;
        std::size_t bandsPerItem;
    };
    const Case cases[] = {
        {3, {0x00160005u, 0x00172011u, 0x00170003u}, 6}, // nL = 18
        {4, {0x00160005u, 0x00172011u}, 4},              // 18 / 4
        {5, {0x00160000u}, 0},                           // nL = 1
        {2, {Measured(0, 1, 0, 0)}, 0},                  // nL = 0
        {0, {0x001700FFu}, 0},
        {256, {0x001700FFu}, 1},  // the largest nL, 256
        {300, {0x001700FFu}, 0},  // more items than bands
        {4096, {0x001700FFu}, 0}, // every item a 12-bit index can address
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.itemCount);
        Describe(c.codes).LItemCount = c.itemCount;
        ASSERT_TRUE(Decode());
        for (const ChannelLayout& ch : channels) {
            ASSERT_EQ(ch.LItems.size(), c.itemCount);
            for (const LItem& item : ch.LItems)
                EXPECT_EQ(item.bands, std::vector<LBand>(c.bandsPerItem));
        }
    }
}

TEST_F(DeviceParamLayoutTest, MeasuredCodeOnChannelEightOrMoreFailsWithoutRollback) {
    // The channel is checked before the family, so a code of no family fails as well.
    for (uint32_t family : {1u, 0u}) {
        SCOPED_TRACE(family);
        const std::vector<uint32_t> codes = {Measured(0, 1, 0, 1), Measured(9, family, 0, 0),
                                             Measured(0, 1, 2, 4)};
        Describe(codes).LItemCount = 2;
        EXPECT_FALSE(Decode());
        EXPECT_EQ(desc.Codes, codes) << "the working descriptor is the new copy";
        EXPECT_EQ(desc.ChannelCount, 1);
        EXPECT_EQ(desc.BandCount1, 2);
        EXPECT_EQ(desc.AverCount1, 1);
        // What the first pass reached: cells of 0.0, never refilled, no items given.
        EXPECT_EQ(channels[0].ValueMatrix1, (std::vector<std::vector<double>>{{0.0, 0.0}}));
        EXPECT_TRUE(channels[1].ValueMatrix1.empty());
        EXPECT_TRUE(channels[0].LItems.empty());
    }
}

TEST_F(DeviceParamLayoutTest, UndecodableTypeResetsAndKeepsWorkingDescriptorAndLItems) {
    struct Case {
        const char* what;
        bool described;
        std::vector<uint32_t> codes;
        uint32_t itemCount;
    };
    // No code addresses an item beyond 4096; taking a larger LItemCount as it stands would have
    // every channel allocate that many items.
    const Case cases[] = {
        {"not described", false, {}, 0},
        {"no codes", true, {}, 1},
        {"item count above 4096", true, {Measured(0, 1, 0, 0), 0x001700FFu}, 4097},
        {"item count 0xFFFFFFFF", true, {Measured(0, 1, 0, 0)}, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TelemetryDescriptorMap.clear();
        Describe({Measured(0, 1, 1, 1), Frequency(1, 4), 0x00170005u}, 7).LItemCount = 2;
        layout.TeleType = 7;
        ASSERT_TRUE(Decode());
        const TelemetryDescriptor previous = desc;
        const auto previousItems = channels[3].LItems;
        ASSERT_EQ(previousItems.size(), 2u);

        if (c.described)
            Describe(c.codes).LItemCount = c.itemCount;
        layout.TeleType = Type;
        EXPECT_FALSE(Decode());
        EXPECT_EQ(desc.Codes, previous.Codes);
        EXPECT_EQ(desc.LItemCount, previous.LItemCount);
        EXPECT_EQ(desc.ChannelCount + desc.BandCount1 + desc.AverCount1, 0);
        for (const auto& list : layout.FrequencyLists)
            EXPECT_TRUE(list.empty());
        for (const ChannelLayout& ch : channels) {
            EXPECT_TRUE(ch.ValueMatrix1.empty());
            EXPECT_EQ(ch.LItems, previousItems);
        }
    }
}

TEST_F(DeviceParamLayoutTest, TeleTypeIsLookedUpZeroExtended) {
    Describe({Measured(0, 1, 0, 0)}, -1);
    Describe({Measured(0, 3, 0, 4)}, 0xFFFF);
    layout.TeleType = 0xFFFF;
    ASSERT_TRUE(Decode());
    EXPECT_EQ(desc.BandCount3, 5);
    EXPECT_EQ(desc.BandCount1, 0);
}

TEST_F(DeviceParamLayoutTest, NextDecodeReplacesEarlierShapes) {
    Describe({Measured(2, 1, 3, 9), Measured(0, 3, 0, 2), Frequency(2, 5)}, 1);
    Describe({Measured(0, 2, 0, 0)}, 2);
    layout.TeleType = 1;
    ASSERT_TRUE(Decode());
    layout.TeleType = 2;
    ASSERT_TRUE(Decode());
    EXPECT_EQ(desc.ChannelCount, 1);
    EXPECT_EQ(desc.BandCount1 + desc.AverCount1 + desc.BandCount3 + desc.AverCount3, 0);
    for (const ChannelLayout& ch : channels) {
        EXPECT_TRUE(ch.ValueMatrix1.empty());
        EXPECT_EQ(ch.ValueMatrix2, Filled(1, 1));
        EXPECT_TRUE(ch.ValueMatrix3.empty());
    }
    EXPECT_TRUE(layout.FrequencyLists[1].empty());
}
} // namespace
