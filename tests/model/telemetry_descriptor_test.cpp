#include <gtest/gtest.h>

#include "model/telemetry_descriptor.h"

namespace {
TEST(TelemetryDescriptor, DefaultsAreTheDocumentedOnes) {
    const TelemetryDescriptor d;
    EXPECT_EQ(d.BandStride1, 3);
    EXPECT_EQ(d.BandStride2, 1);
    EXPECT_EQ(d.ExtraReal2, 1.0);
    EXPECT_EQ(d.ExtraReal1, 0.0);
    for (uint32_t v : {uint32_t{d.BandBase1}, uint32_t{d.BandBase2}, d.BandBase3, d.Extra1,
                       d.Extra2, d.Extra3, d.LItemCount, d.Extra4, d.IndexPacked, d.Extra5})
        EXPECT_EQ(v, 0u);
    for (int32_t v : {d.ChannelCount, d.BandCount1, d.BandCount2, d.BandCount3, d.AverCount1,
                      d.AverCount2, d.AverCount3})
        EXPECT_EQ(v, 0);
    EXPECT_TRUE(d.Codes.empty() && d.CodeExtras.empty() && d.LItemCodes.empty());
    EXPECT_TRUE(d.AverNames.empty());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(d.ExtraNames[i].empty() && d.TypeNames[i].empty());

    EXPECT_EQ(DeviceTypeChannelNames{}, (DeviceTypeChannelNames{u"", {}, {}}));
    const DeviceModel m;
    EXPECT_TRUE(m.Prefix.empty() && m.Name.empty() && m.Note.empty());
    EXPECT_EQ(m.TeleType | m.ModelWord1 | m.ModelWord2, 0u);
}

TEST(TelemetryDescriptor, CopiesAreIndependentValues) {
    TelemetryDescriptor original;
    original.Codes = {1, 2};
    original.AverNames = {{0, u"Fast"}};
    original.TypeNames[0] = u"Level";

    TelemetryDescriptor copy = original;
    EXPECT_EQ(copy, original);
    copy.AverNames[0] = u"Slow";
    copy.AverNames[1] = u"Leq";
    copy.Codes.push_back(3);
    copy.TypeNames[0] = u"Other";
    EXPECT_EQ(original.AverNames, (std::map<uint32_t, std::u16string>{{0, u"Fast"}}));
    EXPECT_EQ(original.Codes, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(original.TypeNames[0], u"Level");
}

TEST(TelemetryDescriptor, TablesOrderTypesAsSignedKeys) {
    TelemetryDescriptorMap.clear();
    DeviceTypeChannelNameMap.clear();
    TelemetryDescriptorMap[5] = {};
    TelemetryDescriptorMap[-1] = {};
    DeviceTypeChannelNameMap[5] = {};
    DeviceTypeChannelNameMap[static_cast<int32_t>(0xFFFFFFFFu)] = {};
    EXPECT_EQ(TelemetryDescriptorMap.begin()->first, -1);
    EXPECT_EQ(TelemetryDescriptorMap.rbegin()->first, 5);
    EXPECT_EQ(DeviceTypeChannelNameMap.begin()->first, -1);
    TelemetryDescriptorMap.clear();
    DeviceTypeChannelNameMap.clear();
}
} // namespace
