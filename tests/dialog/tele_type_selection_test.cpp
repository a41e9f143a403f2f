#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/tele_type_selection.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"

namespace {

/// A measured-value code of family 1 on `channel`.
uint32_t Measured(uint32_t channel, uint32_t band) {
    return 0x51000000u | (1u << 20) | (channel << 16) | band;
}

class TeleTypeSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        TelemetryDescriptorMap.clear();
        TelemetryDescriptorMap[42].Codes = {Measured(0, 0), Measured(0, 1)};
        TelemetryDescriptorMap[68].Codes = {Measured(0, 0), Measured(1, 0), Measured(2, 0)};
        f.State.ParamList = &table;
        for (const auto& [text, code] : std::vector<std::pair<std::u16string, int>>{
                 {u"One channel", 42}, {u"Three channels", 68}, {u"Not described", 99}}) {
            f.Controls.ComboAddString(ctl::TeleTypeCombo, text);
            f.State.TeleTypeComboMap[text] = code;
        }
        f.Controls.ComboAddString(ctl::TeleTypeCombo, u"Not in the map");
        f.State.SelectedParamMap[ParamKey{Measured(0, 0), 0, 0}] = ParamSetting{5, 1};
        ShowOneRow();
    }

    void ShowOneRow() {
        table.AddRow(u"D 1\n5\n\n51100000\n", 0);
        table.RebuildItems();
    }
    bool RowsShown() const { return table.Store.RowCount() != 0 || table.Store.ItemCount() != 0; }
    void TearDown() override { TelemetryDescriptorMap.clear(); }

    void Choose(const std::u16string& text) {
        f.Controls.ComboSetCurSel(ctl::TeleTypeCombo,
                                  f.Controls.ComboFindStringExact(ctl::TeleTypeCombo, -1, text));
        OnTeleTypeSelChange(f.State);
    }

    DialogFixture f;
    FakeTableCtrl table;
};

TEST_F(TeleTypeSelectionTest, ChannelCountChoosesTheSensorMapAndTheRowsGoButTheMapStays) {
    Choose(u"One channel");
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 42);
    EXPECT_EQ(f.State.DeviceParamLayout.ChannelSensorMap, 0x007);
    EXPECT_EQ(f.State.CurrentDescriptor.ChannelCount, 1);
    EXPECT_FALSE(RowsShown());

    ShowOneRow();
    Choose(u"Three channels");
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 68);
    EXPECT_EQ(f.State.DeviceParamLayout.ChannelSensorMap, 0xFED);
    EXPECT_FALSE(RowsShown());
    EXPECT_EQ(f.State.SelectedParamMap.size(), 1u);
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

TEST_F(TeleTypeSelectionTest, NoTypeWithoutASelectionOrAMappedText) {
    Choose(u"Three channels");
    for (const std::u16string text : {u"Not in the map", u"no such entry"}) {
        ShowOneRow();
        Choose(text);
        EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 0);
        EXPECT_TRUE(RowsShown());
    }
    EXPECT_EQ(f.State.DeviceParamLayout.ChannelSensorMap, 0xFED);
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

TEST_F(TeleTypeSelectionTest, UndecodableTypeIsReportedAndKeptWithTheRowsAndSensorMap) {
    Choose(u"Three channels");
    ShowOneRow();
    Choose(u"Not described");
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{f.Prompts.LoadString(ids::CantDecodeTeleType)});
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 99);
    EXPECT_EQ(f.State.DeviceParamLayout.ChannelSensorMap, 0xFED);
    EXPECT_TRUE(RowsShown());
}

} // namespace
