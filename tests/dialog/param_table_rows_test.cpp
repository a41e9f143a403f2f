#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/param_table_rows.h"
#include "dialog/param_columns.h"
#include "dialog/param_table_refresh.h"
#include "model/telemetry_descriptor.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"
#include "support/param_maps.h"

namespace {

/// A measured-value code: class 1 (or `cls`), family, channel, averaging index and band.
uint32_t Code(uint32_t family, uint32_t channel, uint32_t aver, uint32_t band, uint32_t cls = 1,
              uint32_t kind = 5) {
    return kind << 28 | cls << 24 | family << 20 | channel << 16 | aver << 8 | band;
}

/// Band names: index = position. Family 1 reads every third entry from BandBase1 = 0, family 2
/// from BandBase2 = 1 step 1, family 3 from BandBase3 = 10.
void UseBandNames() {
    BandNameTable = {u"31.5", u"40",  u"50",  u"63", u"80", u"100", u"125",
                     u"160",  u"200", u"250", u"B1", u"B2", u"B_3"};
}

class ParamTableRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseBandNames();
        desc.ChannelCount = 2;
        desc.TypeNames = {u"P", u"V", u"unused"};
        desc.AverNames = {{0, u"Q"}, {2, u"S"}};
        desc.BandBase1 = 0;
        desc.BandBase2 = 1;
        desc.BandBase3 = 10;
        desc.BandStride1 = 7; // the strides of BandName play no part in display names
        desc.BandStride2 = 7;
        layout.ChannelSensorMap = 0xFED;
        f.Prompts.Strings[ids::Hz] = u"Hz";
        f.State.ParamList = &table;
        SetUpParamColumns(f.State);
    }
    void TearDown() override { BandNameTable.clear(); }

    std::u16string Name(uint32_t code) { return ParamDisplayName(desc, layout, code, u"Hz"); }
    std::vector<std::u16string> RowTexts() const {
        std::vector<std::u16string> texts;
        for (size_t n = 0; n < table.Store.RowCount(); ++n)
            texts.emplace_back(table.Store.RowText(n));
        return texts;
    }

    TelemetryDescriptor desc;
    DeviceParamLayout layout;
    DialogFixture f;
    FakeTableCtrl table;
};

TEST_F(ParamTableRowsTest, DisplayNamesJoinChannelFamilyAveragingBandAndUnit) {
    layout.FrequencyLists[1] = {1500.0};
    struct Case {
        uint32_t code;
        int32_t channels;
        std::u16string name;
    } cases[] = {
        {Code(1, 0, 0, 3), 2, u"K1_P_Q_250Hz"},    // band 3 of family 1 is entry 0 + 3 x 3
        {Code(1, 1, 1, 0), 2, u"K2_P_31.5Hz"},     // averaging 1 has no name
        {Code(2, 0, 2, 0), 2, u"K1_V_S_1.500kHz"}, // explicit frequency of family 2
        {Code(2, 0, 2, 1), 2, u"K1_V_S_50Hz"},     // past the frequency list: entry 1 + 1
        {Code(3, 0, 2, 1), 2, u"K1_S_B2"},         // family 3: no family piece, no unit
        {Code(2, 3, 1, 2), 1, u"V_63Hz"},          // one channel: no channel piece at all
        {Code(3, 0, 1, 3), 1, u""},                // entry 13 is past the table
        {Code(1, 0, 0, 0, 2), 2, u""},             // class 2 is not named here
        {Code(4, 0, 0, 0), 2, u""},                // no such family
        {Code(0, 0, 0, 0), 2, u""},
        {0, 2, u""},
    };
    for (const Case& c : cases) {
        desc.ChannelCount = c.channels;
        EXPECT_EQ(Name(c.code), c.name) << std::hex << c.code;
    }
}

TEST_F(ParamTableRowsTest, DisplayNamesIgnorePackedIndexes) {
    desc.IndexPacked = 1;
    EXPECT_EQ(Name(Code(1, 0, 0, 3)), u"K1_P_Q_250Hz");
}

TEST_F(ParamTableRowsTest, RangeNamesCutTheLastNameBehindTheLastSharedUnderscore) {
    struct Case {
        std::u16string first, last, range;
    } cases[] = {
        {u"P_Q_31.5Hz", u"P_Q_63Hz", u"P_Q_31.5Hz -> 63Hz"},
        {u"P_Q_100Hz", u"P_Q_125Hz", u"P_Q_100Hz -> 125Hz"}, // shared "P_Q_1" runs past '_'
        {u"B1", u"B2", u"B1 -> B2"},
        {u"K1_B", u"K1_B", u"K1_B -> B"},
        {u"", u"", u" -> "},
        {u"A_B", u"", u"A_B -> "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParamRangeName(c.first, c.last), c.range) << std::u16string(c.first).size();
}

TEST_F(ParamTableRowsTest, RowsCarryNameRatePlotAndCodeKeyWithPositionsAsItemData) {
    f.State.CurrentDescriptor = desc;
    f.State.DeviceParamLayout = layout;
    const uint32_t c = Code(1, 0, 0, 0);
    const uint32_t negative = Code(1, 0, 0, 1, 1, 8);
    f.State.SelectedParamMap = ParamMapOf({
        {{c, 0, 0}, {60, 0}},
        {{c, 2, 1}, {5, 1}},
        {{negative, 0, 0}, {1, 0}},
    });
    table.AddRow(u"stale\n1\n+\n00000001\n", 7);
    RefreshParamTable(f.State, 0);

    // Sorted by the code cell: the negative code first, equal codes in key order.
    EXPECT_EQ(RowTexts(), (std::vector<std::u16string>{
                              u"K1_P_Q_63Hz\n1\n+\n-2129657855\n",
                              u"K1_P_Q_31.5Hz\n60\n+\n1360003072\n",
                              u"K1_P_Q_31.5Hz -> 125Hz\n5\n-\n1360003072\n",
                          }));
    EXPECT_EQ(table.Store.ItemDataOfRow(0), 2u);
    EXPECT_EQ(table.Store.ItemDataOfRow(1), 0u);
    EXPECT_EQ(table.Store.ItemDataOfRow(2), 1u);
    EXPECT_EQ(table.Store.ItemCount(), 3);
    EXPECT_TRUE(table.SelectedItemData().empty());
}

TEST_F(ParamTableRowsTest, SelectsTheLastEntryOfTheCodeOrNone) {
    const uint32_t c = Code(3, 0, 0, 0);
    f.State.SelectedParamMap =
        ParamMapOf({{{c, 0, 0}, {1, 0}}, {{c, 4, 1}, {1, 0}}, {{c + 9, 0, 0}, {1, 0}}});
    RefreshParamTable(f.State, c);
    EXPECT_EQ(table.SelectedItemData(), (std::vector<uint32_t>{1}));

    RefreshParamTable(f.State, c + 1); // an element inside the group is not its code
    EXPECT_TRUE(table.SelectedItemData().empty());

    f.State.SelectedParamMap.clear();
    RefreshParamTable(f.State, 0);
    EXPECT_EQ(table.Store.RowCount(), 0u);
    EXPECT_EQ(table.Store.ItemCount(), 0);
    EXPECT_EQ(table.Store.GetSelectedIndex(), -1);
}

} // namespace
