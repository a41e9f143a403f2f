// The sample description that the build writes beside the program and beside the test programs.
#include <gtest/gtest.h>

#include <set>

#include "model/param_code.h"
#include "model/tele_desc_file.h"
#include "model/tele_desc_format.h"
#include "support/desc_file_writer.h"

using namespace param_code;

namespace {
const int32_t DefaultTypes[] = {42, 43, 50, 51, 59, 60, 62, 65, 67, 68, 72, 73, 204};

class ShippedDescTest : public ::testing::TestWithParam<const char16_t*> {
protected:
    void SetUp() override { ResetDescTables(); }
    void TearDown() override { ResetDescTables(); }
};

TEST_P(ShippedDescTest, DescribesEveryDefaultTypeConsistently) {
    // The overload without a path reads the file beside this test program.
    ASSERT_TRUE(LoadTeleDescFile(GetParam()));
    EXPECT_EQ(TelemetryDescriptorMap.size(), std::size(DefaultTypes));
    for (int32_t type : DefaultTypes) {
        SCOPED_TRACE(type);
        ASSERT_TRUE(TelemetryDescriptorMap.count(type));
        const TelemetryDescriptor& d = TelemetryDescriptorMap.at(type);
        EXPECT_EQ(ParamCodeFrameOffset(type, DeviceTypeCode), 0);
        for (uint32_t code : {StartStopCode, PolarizationCode, RangeCode})
            EXPECT_GT(ParamCodeFrameOffset(type, code), 0) << std::hex << code;
        EXPECT_TRUE(ParamCodeFrameOffset(type, Code502C) > 0 ||
                    ParamCodeFrameOffset(type, Code5004) > 0);

        // Every measured value has a family name, an averaging name and a band name.
        std::set<uint32_t> families;
        for (uint32_t code : d.Codes) {
            uint32_t cls = (code >> ClassShift) & 0xF;
            if (cls != 1 && cls != 2)
                continue;
            uint32_t family = (code >> FamilyShift) & 0xF;
            uint32_t channel = (code >> ChannelShift) & 0xF;
            uint32_t aver =
                d.IndexPacked ? (code >> PackedAverShift) & 0xF : (code >> AverShift) & 0xFF;
            uint32_t band = code & (d.IndexPacked ? PackedBandMask : BandMask);
            ASSERT_GE(family, 1u);
            ASSERT_LE(family, 3u);
            EXPECT_LT(channel, 4u);
            families.insert(family);
            EXPECT_TRUE(d.AverNames.count(aver)) << std::hex << code;
            uint32_t index = family == 1   ? band * d.BandStride1 + d.BandBase1
                             : family == 2 ? band * d.BandStride2 + d.BandBase2
                                           : band + d.BandBase3;
            ASSERT_LT(index, BandNameTable.size()) << std::hex << code;
            EXPECT_FALSE(BandNameTable[index].empty());
            EXPECT_EQ(FindParamCodeByType(type, channel, family - 1, aver, band), code);
        }
        EXPECT_FALSE(families.empty());
        for (uint32_t f : families)
            EXPECT_FALSE(d.TypeNames[f - 1].empty()) << f;

        bool hasModel = false;
        for (const DeviceModel& m : DeviceModelList)
            hasModel = hasModel || m.TeleType == static_cast<uint32_t>(type);
        EXPECT_TRUE(hasModel);
    }
    for (const DeviceModel& m : DeviceModelList)
        EXPECT_TRUE(TelemetryDescriptorMap.count(static_cast<int32_t>(m.TeleType))) << m.TeleType;
    EXPECT_FALSE(DeviceTypeChannelNameMap.empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedDescTest,
                         ::testing::Values(UiLanguageEnglish, UiLanguageRussian));

TEST(ShippedDesc, LanguagesPickTheirOwnTexts) {
    ResetDescTables();
    ASSERT_TRUE(LoadTeleDescFile(UiLanguageRussian));
    EXPECT_EQ(TelemetryDescriptorMap.at(42).AverNames.at(0), u"Быстро");
    EXPECT_EQ(BandNameTable[54], u"Лин");
    ResetDescTables();
    ASSERT_TRUE(LoadTeleDescFile(UiLanguageEnglish));
    EXPECT_EQ(TelemetryDescriptorMap.at(42).AverNames.at(0), u"Fast");
    EXPECT_EQ(BandNameTable[54], u"Lin");
    EXPECT_EQ(DeviceModelList.size(), std::size(DefaultTypes));
    ResetDescTables();
}
} // namespace
