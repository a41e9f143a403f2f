#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "platform/control_ids.h"
#include "resource_cases.h"
#include "ui/ip_address_edit.h"
#include "ui/velmora_dlg.h"

namespace {
// The controls of a dialog built from template 102, as the core operations see them.
class QtControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseSourceCase(SourceCase::OwnEnglish);
        dialog_ = std::make_unique<CVelmoraDlg>();
    }
    IDialogControls& C() { return dialog_->Controls(); }
    std::unique_ptr<CVelmoraDlg> dialog_;
};

constexpr int NoSuchControl = 4711;
} // namespace

TEST_F(QtControlsTest, CheckStatesIncludingClearingTheCheckedRadioOfAGroup) {
    C().SetCheck(ctl::PolarizationOn, 1);
    EXPECT_EQ(C().GetCheck(ctl::PolarizationOn), 1);
    C().SetCheck(ctl::PolarizationOn, 0); // Qt refuses this for an exclusive group by itself
    EXPECT_EQ(C().GetCheck(ctl::PolarizationOn), 0);
    C().SetCheck(ctl::PolarizationOff, 1);
    EXPECT_EQ(C().GetCheck(ctl::PolarizationOff), 1);
    EXPECT_EQ(C().GetCheck(ctl::PolarizationOn), 0);
    // The group still behaves as one afterwards.
    dialog_->PolarizationRadios[0]->click();
    EXPECT_EQ(C().GetCheck(ctl::PolarizationOff), 0);

    C().SetCheck(ctl::PpsCheck, 1);
    EXPECT_EQ(C().GetCheck(ctl::PpsCheck), 1);
    C().SetCheck(ctl::PpsCheck, 0);
    EXPECT_EQ(C().GetCheck(ctl::PpsCheck), 0);
}

TEST_F(QtControlsTest, ChangesMadeByTheProgramRaiseNoUserNotification) {
    int clicks = 0, choices = 0;
    QObject::connect(dialog_->AddressModeRadios[1], &QRadioButton::clicked, [&] { ++clicks; });
    QObject::connect(dialog_->TeleTypeCombo, &QComboBox::activated, [&] { ++choices; });
    C().SetCheck(ctl::AddressModeManual, 1);
    C().SetCheck(ctl::AddressModeManual, 0);
    C().ComboAddString(ctl::TeleTypeCombo, u"a");
    C().ComboSetCurSel(ctl::TeleTypeCombo, 0);
    C().ComboResetContent(ctl::TeleTypeCombo);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(choices, 0);
}

TEST_F(QtControlsTest, WindowTextOfEveryKindOfControl) {
    struct Case {
        int Id;
        std::u16string Text;
    };
    const Case cases[] = {
        {ctl::MacText, u"00:1A:2B:3C:4D:5E"}, {ctl::ServerEdit, u"monitor.example"},
        {ctl::InfoEdit, u"VIN: 0000002A"},    {ctl::GetSettingsButton, u"Get"},
        {ctl::NtpAutoCheck, u"авто"},         {ctl::GnssGroup, u"GNSS"},
        {ctl::NtpAddress, u"10.0.0.1"},
    };
    for (const Case& c : cases) {
        C().SetWindowText(c.Id, c.Text);
        EXPECT_EQ(C().GetWindowText(c.Id), c.Text) << c.Id;
    }
    // A drop-down list has no text but its chosen entry's.
    C().SetWindowText(ctl::DeviceAddressCombo, u"typed");
    EXPECT_EQ(C().GetWindowText(ctl::DeviceAddressCombo), u"");
    C().ComboAddString(ctl::DeviceAddressCombo, u"10.0.0.7");
    EXPECT_EQ(C().GetWindowText(ctl::DeviceAddressCombo), u"");
    C().ComboSetCurSel(ctl::DeviceAddressCombo, 0);
    EXPECT_EQ(C().GetWindowText(ctl::DeviceAddressCombo), u"10.0.0.7");
}

TEST_F(QtControlsTest, EnableAndShowHoldBeforeTheDialogIsShown) {
    C().EnableWindow(ctl::IpAddress, false);
    EXPECT_FALSE(C().IsWindowEnabled(ctl::IpAddress));
    EXPECT_FALSE(dialog_->NetAddressCtrls[0]->Field(2)->isEnabled());
    C().EnableWindow(ctl::IpAddress, true);
    EXPECT_TRUE(C().IsWindowEnabled(ctl::IpAddress));

    EXPECT_TRUE(C().IsWindowVisible(ctl::AssignVinButton));
    C().ShowWindow(ctl::AssignVinButton, false);
    EXPECT_FALSE(C().IsWindowVisible(ctl::AssignVinButton));
    C().ShowWindow(ctl::GnssGroup, false);
    EXPECT_FALSE(C().IsWindowVisible(ctl::GnssGroup));
    EXPECT_FALSE(C().IsWindowVisible(ctl::KeysErrorCheck));
}

TEST_F(QtControlsTest, AddressFieldsMayBeBlank) {
    uint32_t address = 1;
    EXPECT_EQ(C().GetAddress(ctl::DnsServer, address), 0);
    EXPECT_EQ(address, 0u);

    C().SetAddress(ctl::DnsServer, 0xC0A80114);
    EXPECT_EQ(C().GetAddress(ctl::DnsServer, address), 4);
    EXPECT_EQ(address, 0xC0A80114u);
    EXPECT_EQ(C().GetWindowText(ctl::DnsServer), u"192.168.1.20");

    C().ClearAddress(ctl::DnsServer);
    EXPECT_EQ(C().GetAddress(ctl::DnsServer, address), 0);

    // As typed by a user: two fields, one above 255.
    IpAddressEdit* edit = dialog_->NetAddressCtrls[3];
    edit->Field(0)->setText(QStringLiteral("10"));
    edit->Field(2)->setText(QStringLiteral("999"));
    EXPECT_EQ(C().GetAddress(ctl::DnsServer, address), 2);
    EXPECT_EQ(address, 0x0A00FF00u);
    EXPECT_EQ(edit->FilledFieldCount(), 2);
    EXPECT_EQ(edit->Text(), QStringLiteral("10..255."));
}

TEST_F(QtControlsTest, SortedComboKeepsCaseInsensitiveOrderAndItsSelection) {
    const int id = ctl::TeleTypeCombo;
    EXPECT_EQ(C().ComboAddString(id, u"b"), 0);
    EXPECT_EQ(C().ComboGetCurSel(id), -1); // Qt would select the first entry of an empty list
    EXPECT_EQ(C().ComboAddString(id, u"C"), 1);
    C().ComboSetCurSel(id, 0);
    EXPECT_EQ(C().ComboAddString(id, u"A"), 0);
    EXPECT_EQ(C().ComboAddString(id, u"a"), 1); // after the equal "A"
    EXPECT_EQ(C().ComboAddString(id, u"Я"), 4);
    EXPECT_EQ(C().ComboAddString(id, u"я"), 5);
    std::vector<std::u16string> entries;
    for (int i = 0; i < C().ComboGetCount(id); ++i)
        entries.push_back(C().ComboGetLBText(id, i));
    EXPECT_EQ(entries, (std::vector<std::u16string>{u"A", u"a", u"b", u"C", u"Я", u"я"}));
    EXPECT_EQ(C().GetWindowText(id), u"b");
    EXPECT_EQ(C().ComboGetCurSel(id), 2);

    EXPECT_EQ(C().ComboFindStringExact(id, -1, u"c"), 3);
    EXPECT_EQ(C().ComboFindStringExact(id, -1, u"я"), 4);
    EXPECT_EQ(C().ComboFindStringExact(id, 0, u"A"), 1);
    EXPECT_EQ(C().ComboFindStringExact(id, -1, u"B "), -1);
    EXPECT_EQ(C().ComboGetLBText(id, 6), u"");

    C().ComboSetCurSel(id, 6);
    EXPECT_EQ(C().ComboGetCurSel(id), -1);
    C().ComboResetContent(id);
    EXPECT_EQ(C().ComboGetCount(id), 0);
}

TEST_F(QtControlsTest, IdsThatNameNoControlAreIgnored) {
    uint32_t address = 1;
    C().SetCheck(NoSuchControl, 1);
    C().SetWindowText(NoSuchControl, u"x");
    C().SetAddress(NoSuchControl, 1);
    EXPECT_EQ(C().GetCheck(NoSuchControl), 0);
    EXPECT_EQ(C().GetWindowText(NoSuchControl), u"");
    EXPECT_FALSE(C().IsWindowEnabled(NoSuchControl));
    EXPECT_EQ(C().GetAddress(NoSuchControl, address), 0);
    EXPECT_EQ(C().ComboAddString(NoSuchControl, u"x"), -1);
    EXPECT_EQ(C().ComboGetCurSel(NoSuchControl), -1);
    EXPECT_EQ(C().ComboFindStringExact(NoSuchControl, -1, u"x"), -1);
    // A control of another kind answers as a missing one.
    EXPECT_EQ(C().GetAddress(ctl::ServerEdit, address), 0);
    EXPECT_EQ(C().ComboGetCount(ctl::ServerEdit), 0);
}
