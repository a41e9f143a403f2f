#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog/settings_form.h"
#include "model/instrument_type_catalog.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"

namespace {

const std::vector<int> AllRadios = {1011, 1012, 1004, 1005, 1006, 1007, 1008, 1009, 1010,
                                    1033, 1034, 1035, 1036, 1037, 1038, 1042, 1043, 1044};

class SettingsFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.State.ParamList = &table;
        f.Controls.SetSorted(ctl::TeleTypeCombo, true);
        DeviceModelList = {
            {u"AB-1", u"AB-1", 42, 0, 0, u""},   // listed under its name
            {u"Meter", u"CD-2", 68, 0, 0, u""},  // "Prefix: Name"
            {u"Other", u"EF-3", 205, 0, 0, u""}, // not a default type
            {u"Twin", u"GH-4", 43, 0, 0, u""},   // two models, one text:
            {u"Twin", u"GH-4", 50, 0, 0, u""},   // the later one's type wins
        };
        TelemetryDescriptorMap.clear();
        TelemetryDescriptorMap[50].Codes = {0x51100000u};
    }
    void TearDown() override {
        DeviceModelList.clear();
        TelemetryDescriptorMap.clear();
        InstrumentTypeCatalog = BuildInstrumentTypeCatalog();
    }

    std::vector<std::u16string> ComboEntries() { return f.Controls.At(ctl::TeleTypeCombo).Entries; }

    std::vector<int> CheckedIds() const {
        std::vector<int> checked;
        for (int id : AllRadios) {
            if (f.Controls.GetCheck(id) == 1) {
                checked.push_back(id);
            }
        }
        if (f.Controls.GetCheck(ctl::NtpAutoCheck) == 1) {
            checked.push_back(ctl::NtpAutoCheck);
        }
        return checked;
    }

    /// Accepts `text` in the MAC dialog.
    void EnterMac(std::optional<std::u16string> text) {
        f.Prompts.EditTextAnswers.push_back(std::move(text));
        OnChangeMac(f.State);
    }

    DialogFixture f;
    FakeTableCtrl table;
};

TEST_F(SettingsFormTest, TypeListHoldsTheDefaultTypesModelsWithEqualTextsSharingOneCode) {
    f.Controls.ComboAddString(ctl::TeleTypeCombo, u"stale");
    f.State.TeleTypeComboMap[u"stale"] = 1;
    FillTeleTypeCombo(f.State);
    EXPECT_EQ(ComboEntries(),
              (std::vector<std::u16string>{u"AB-1", u"Meter: CD-2", u"Twin: GH-4", u"Twin: GH-4"}));
    const std::map<std::u16string, int> expected = {
        {u"AB-1", 42}, {u"Meter: CD-2", 68}, {u"Twin: GH-4", 50}};
    EXPECT_EQ(f.State.TeleTypeComboMap, expected);
    EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), -1);
}

TEST_F(SettingsFormTest, TypeListInDigitalInstrumentModeHoldsTheWholeCatalogue) {
    InsertInstrumentType(9999, {u"Added at run time", u"ADDED"});
    f.State.DinModeFlag = 1;
    FillTeleTypeCombo(f.State);
    EXPECT_EQ(f.State.TeleTypeComboMap.size(), InstrumentTypeCatalog.size());
    EXPECT_EQ(static_cast<size_t>(f.Controls.ComboGetCount(ctl::TeleTypeCombo)),
              InstrumentTypeCatalog.size());
    for (const auto& [code, entry] : InstrumentTypeCatalog) {
        EXPECT_EQ(f.State.TeleTypeComboMap[entry.description], code);
    }
    EXPECT_FALSE(f.State.TeleTypeComboMap.contains(u"AB-1"));
}

TEST_F(SettingsFormTest, ResetClearsTheFormButKeepsNtpAutoAndFieldContents) {
    for (int id : AllRadios) {
        f.Controls.SetCheck(id, 1);
    }
    f.Controls.SetCheck(ctl::PpsCheck, 1);
    f.Controls.SetCheck(ctl::DateTimeCheck, 1);
    f.Controls.SetCheck(ctl::NtpAutoCheck, 1);
    f.Controls.SetWindowText(ctl::MacText, u"00:1A:2B:3C:4D:5E");
    f.Controls.SetAddress(ctl::IpAddress, 0x0A000005);
    f.Controls.ShowWindow(ctl::GnssNotUsed, false);
    f.Controls.ComboAddString(ctl::TeleTypeCombo, u"AB-1");
    f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
    f.State.SelectedParamMap[ParamKey{1, 0, 0}] = ParamSetting{1, 0};
    f.State.EntryRead.LastBaseCode = 77;
    table.AddRow(u"D 1\n5\n\n51100000\n", 0);
    table.RebuildItems();

    ResetSettingsForm(f.State);

    EXPECT_EQ(CheckedIds(), std::vector<int>{ctl::NtpAutoCheck});
    EXPECT_EQ(f.Controls.GetCheck(ctl::PpsCheck) + f.Controls.GetCheck(ctl::DateTimeCheck), 0);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"");
    for (int id : {1013, 1014, 1015, 1016, 1026}) {
        EXPECT_FALSE(f.Controls.IsWindowEnabled(id)) << id;
    }
    uint32_t address = 0;
    EXPECT_EQ(f.Controls.GetAddress(ctl::IpAddress, address), 4);
    EXPECT_EQ(address, 0x0A000005u);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), DefaultMonitoringServer);
    EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), -1);
    EXPECT_EQ(table.Store.RowCount(), 0u);
    EXPECT_EQ(table.Store.ItemCount(), 0);
    EXPECT_FALSE(f.Controls.IsWindowVisible(ctl::AssignVinButton));
    EXPECT_FALSE(f.Controls.IsWindowVisible(ctl::GnssGroup));
    EXPECT_FALSE(f.Controls.IsWindowVisible(ctl::GnssNotUsed));
    EXPECT_TRUE(f.Controls.IsWindowVisible(ctl::GnssGpsGlonass));
    EXPECT_EQ(f.State.SelectedParamMap.size(), 0u);
    EXPECT_EQ(f.State.EntryRead.LastBaseCode, 0u);
}

TEST_F(SettingsFormTest, FirstMacOnAResetFormGivesTheDefaultsAndASecondOnlyTheText) {
    FillTeleTypeCombo(f.State);
    ResetSettingsForm(f.State);

    EnterMac(u"  00-1A-2B-3C-4D-5E ");

    EXPECT_EQ(f.Prompts.EditTextCaptions,
              std::vector<std::u16string>{f.Prompts.LoadString(ids::EnterMac)});
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"00:1A:2B:3C:4D:5E");
    EXPECT_EQ(CheckedIds(), (std::vector<int>{ctl::AddressModeAuto, ctl::PolarizationOn,
                                              ctl::RangeR2, ctl::SyncOff, ctl::SendSelectedParams,
                                              ctl::GnssNotUsed, ctl::NtpAutoCheck}));
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), u"");
    // The last entry of the sorted list is chosen and made the current type.
    EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), 3);
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 50);
    EXPECT_FALSE(f.Controls.IsWindowEnabled(ctl::IpAddress));

    f.Controls.SetCheck(ctl::RangeR2, 0);
    f.Controls.SetCheck(ctl::AddressModeAuto, 0);
    f.Controls.SetWindowText(ctl::ServerEdit, u"server.example");
    f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
    const std::vector<int> before = CheckedIds();
    EnterMac(u"00-1A-2B-3C-4D-5F");
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"00:1A:2B:3C:4D:5F");
    EXPECT_EQ(f.Prompts.EditTextInitial.back(), u"00:1A:2B:3C:4D:5E");
    EXPECT_EQ(CheckedIds(), before);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), u"server.example");
    EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), 0);
}

TEST_F(SettingsFormTest, FreshFormDefaultsLeaveGroupsThatAreAlreadyChosen) {
    ResetSettingsForm(f.State);
    f.Controls.SetCheck(ctl::AddressModeManual, 1);
    f.Controls.SetCheck(ctl::RangeR3, 1);
    f.Controls.SetWindowText(ctl::ServerEdit, u"server.example");

    EnterMac(u"00:1A:2B:3C:4D:5E");

    EXPECT_EQ(CheckedIds(),
              (std::vector<int>{ctl::AddressModeManual, ctl::PolarizationOn, ctl::RangeR3,
                                ctl::SyncOff, ctl::SendSelectedParams, ctl::GnssNotUsed}));
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), u"server.example");
    EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), -1); // the list is empty
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 0);
}

TEST_F(SettingsFormTest, CancelledMacDialogChangesNothing) {
    ResetSettingsForm(f.State);
    EnterMac(std::nullopt);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"");
    EXPECT_TRUE(CheckedIds().empty());
}

TEST_F(SettingsFormTest, AddressModeAndNtpAutoEnableTheirFields) {
    f.Controls.SetCheck(ctl::AddressModeManual, 1);
    OnAddressModeClicked(f.State);
    for (int id : {1013, 1014, 1015, 1016}) {
        EXPECT_TRUE(f.Controls.IsWindowEnabled(id)) << id;
    }
    f.Controls.SetCheck(ctl::AddressModeManual, 0);
    f.Controls.SetCheck(ctl::AddressModeAuto, 1);
    OnAddressModeClicked(f.State);
    for (int id : {1013, 1014, 1015, 1016}) {
        EXPECT_FALSE(f.Controls.IsWindowEnabled(id)) << id;
    }

    f.Controls.SetCheck(ctl::NtpAutoCheck, 0);
    OnNtpAutoClicked(f.State);
    EXPECT_TRUE(f.Controls.IsWindowEnabled(ctl::NtpAddress));
    f.Controls.SetCheck(ctl::NtpAutoCheck, 1);
    OnNtpAutoClicked(f.State);
    EXPECT_FALSE(f.Controls.IsWindowEnabled(ctl::NtpAddress));
}

TEST_F(SettingsFormTest, DestroyStopsTheTimerAndStoresEveryColumnWidth) {
    f.State.TimerId = f.Window.SetTimer(1, 500);
    table.AddColumn(0, u"Parameter", 180, 0);
    table.AddColumn(1, u"Rate, sec", 64, 1);
    table.AddColumn(2, u"Plot", 0, 0);

    OnDestroy(f.State);

    EXPECT_TRUE(f.Window.Timers.empty());
    EXPECT_EQ(f.State.TimerId, 0u);
    const std::map<std::pair<std::u16string, std::u16string>, int> expected = {
        {{u"ParTable", u"W0"}, 180}, {{u"ParTable", u"W1"}, 64}, {{u"ParTable", u"W2"}, 0}};
    EXPECT_EQ(f.Profile.Ints, expected);
}

} // namespace
