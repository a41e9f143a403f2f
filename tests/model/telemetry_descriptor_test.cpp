#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/channel_band_names.h"
#include "model/telemetry_descriptor.h"

namespace {
// A type without a usable description leaves the working description reset to an unfilled one;
// its rows still name their bands, with the default steps: three table entries per family-1
// band, one per family-2 and family-3 band, all from the table's start.
TEST(TelemetryDescriptor, UnfilledDescriptionNamesBandsWithTheDefaultSteps) {
    const std::vector<std::u16string> saved = BandNameTable;
    BandNameTable.clear();
    for (char16_t i = 0; i < 10; ++i)
        BandNameTable.push_back({u'B', static_cast<char16_t>(u'0' + i)});

    const TelemetryDescriptor unfilled;
    const DeviceParamLayout layout;
    EXPECT_EQ(BandName(0x01100002u, layout, unfilled), u"B6"); // family 1, band 2
    EXPECT_EQ(BandName(0x01200002u, layout, unfilled), u"B2"); // family 2, band 2
    EXPECT_EQ(BandName(0x01300002u, layout, unfilled), u"B2"); // family 3, band 2
    BandNameTable = saved;
}
} // namespace
