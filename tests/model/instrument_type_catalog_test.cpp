#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "model/instrument_type_catalog.h"

namespace {
class InstrumentTypeCatalogTest : public ::testing::Test {
protected:
    void TearDown() override { InstrumentTypeCatalog = BuildInstrumentTypeCatalog(); }
};

TEST_F(InstrumentTypeCatalogTest, HoldsTheCompiledInRowsInCodeOrder) {
    const std::set<int32_t> codes = {223, 211, 212, 228, 210, 122, 113, 114, 115, 208, 155,
                                     149, 187, 145, 146, 147, 148, 190, 117, 132, 127, 213,
                                     215, 216, 116, 102, 193, 194, 192, 161, 195, 226};
    std::vector<int32_t> walked;
    for (const auto& [code, entry] : InstrumentTypeCatalog)
        walked.push_back(code);
    EXPECT_EQ(walked, std::vector<int32_t>(codes.begin(), codes.end()));
    ASSERT_EQ(walked.size(), 32u);
    EXPECT_EQ(walked.front(), 102);
    EXPECT_EQ(walked.back(), 228);
    EXPECT_EQ(InstrumentTypeCatalog, BuildInstrumentTypeCatalog());
}

TEST_F(InstrumentTypeCatalogTest, RowsAreFitForTheTypeListAndTheDeviceName) {
    // The telemetry-type list maps descriptions back to codes, so they must be distinct; the key
    // is sent as the device name, narrowed to single bytes.
    std::set<std::u16string> descriptions;
    for (const auto& [code, entry] : InstrumentTypeCatalog) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(entry.description.empty());
        EXPECT_TRUE(descriptions.insert(entry.description).second);
        EXPECT_GE(entry.key.size(), 6u);
        EXPECT_LE(entry.key.size(), 17u);
        for (char16_t ch : entry.key)
            EXPECT_TRUE(ch > u' ' && ch < 0x7F) << static_cast<int>(ch);
    }
}

TEST_F(InstrumentTypeCatalogTest, RunTimeInsertKeepsTheFirstRow) {
    const InstrumentTypeEntry compiled = InstrumentTypeCatalog.at(113);
    EXPECT_FALSE(InsertInstrumentType(113, {u"Legacy [113]", u"OTHER"}));
    EXPECT_EQ(InstrumentTypeCatalog.at(113), compiled);

    EXPECT_TRUE(InsertInstrumentType(300, {u"Legacy [300]", u"DEV300"}));
    EXPECT_FALSE(InsertInstrumentType(300, {u"Legacy [300]", u"DEV300B"}));
    EXPECT_EQ(InstrumentTypeCatalog.at(300).key, u"DEV300");
    EXPECT_EQ(InstrumentTypeCatalog.size(), 33u);
    EXPECT_EQ(InstrumentTypeCatalog.rbegin()->first, 300);
}
} // namespace
