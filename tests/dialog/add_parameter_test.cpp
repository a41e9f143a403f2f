#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog/add_parameter.h"
#include "model/channel_band_names.h"
#include "model/param_code.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/fake_platform.h"

namespace {

uint32_t Measured(uint32_t ch, uint32_t family, uint32_t aver, uint32_t band) {
    return 0x50000000u | 1u << 24 | family << 20 | ch << 16 | aver << 8 | band;
}

/// Type 42 (or another) with the given families on `channels` channels: two averaging indexes
/// of three bands in family 1, one of two in family 2, one of five in family 3.
class AddParameterTest : public ::testing::Test {
protected:
    void SetUp() override {
        RememberedAddParameterChoices() = {};
        TelemetryDescriptorMap.clear();
        BandNameTable = {u"b0", u"b1", u"b2", u"b3", u"b4", u"b5", u"b6", u"b7", u"b8"};
        prompts.Strings[ids::ChannelFormat] = u"Channel %s";
    }
    void TearDown() override {
        TelemetryDescriptorMap.clear();
        BandNameTable.clear();
        RememberedAddParameterChoices() = {};
    }

    void Describe(int type, uint32_t channels, bool family3 = true) {
        std::vector<uint32_t> codes;
        for (uint32_t c = 0; c < channels; ++c) {
            for (uint32_t a = 0; a < 2; ++a)
                for (uint32_t b = 0; b < 3; ++b)
                    codes.push_back(Measured(c, 1, a, b));
            for (uint32_t b = 0; b < 2; ++b)
                codes.push_back(Measured(c, 2, 0, b));
            for (uint32_t b = 0; family3 && b < 5; ++b)
                codes.push_back(Measured(c, 3, 0, b));
        }
        TelemetryDescriptor& d = TelemetryDescriptorMap[type];
        d.Codes = codes;
        d.TypeNames = {u"Lin", u"Oct", u"Wide"};
        d.AverNames = {{0, u"Q"}};
        d.BandBase3 = 4;
        layout.TeleType = static_cast<uint16_t>(type);
        ASSERT_TRUE(ApplyTeleDescToDevice(channelBlocks, layout, desc));
        layout.ChannelSensorMap =
            desc.ChannelCount > 1 ? SensorMapMultiChannel : SensorMapSingleChannel;
    }

    /// One opening of the dialog: a fresh form over fresh controls, as each run builds them.
    AddParameterForm& Open() {
        controls = FakeControls();
        form.emplace(controls, prompts, desc, layout, channelBlocks.data());
        form->OnInitDialog();
        return *form;
    }
    const FakeControls::Control& List(int id) { return controls.At(id); }
    int Sel(int id) { return controls.ComboGetCurSel(id); }

    FakeControls controls;
    FakePrompts prompts;
    TelemetryDescriptor desc;
    DeviceParamLayout layout;
    ChannelLayouts channelBlocks;
    std::optional<AddParameterForm> form;
};

TEST_F(AddParameterTest, FirstOpeningShowsThePresentFamiliesAndChoosesFamily3) {
    Describe(42, 2);
    Open();
    EXPECT_EQ(List(ctl::ParamKindList).Entries,
              (std::vector<std::u16string>{u"Lin", u"Oct", u"Wide"}));
    EXPECT_EQ(form->SelectedParamKind(), param_kind::Family3);
    EXPECT_EQ(List(ctl::ParamItemList).Entries, (std::vector<std::u16string>{u"Q"}));
    // Family 3's bands from BandBase3 = 4, step 1.
    EXPECT_EQ(List(ctl::ParamValueList).Entries,
              (std::vector<std::u16string>{u"b4", u"b5", u"b6", u"b7", u"b8"}));
    EXPECT_EQ(List(ctl::ParamChannelList).Entries,
              (std::vector<std::u16string>{u"Channel K1", u"Channel K2"}));
    EXPECT_TRUE(List(ctl::ParamChannelList).Enabled);
    EXPECT_EQ(Sel(ctl::ParamItemList), 0);
    EXPECT_EQ(Sel(ctl::ParamValueList), 0);
    EXPECT_EQ(Sel(ctl::ParamChannelList), 0);
    EXPECT_EQ(List(ctl::ParamRateEdit).Text, u"1");
    EXPECT_EQ(List(ctl::ParamAllValuesCheck).Check, 0);

    // Family 1: averaging names ("unknown" without one) and every third band name.
    controls.ComboSetCurSel(ctl::ParamKindList, 0);
    form->OnParamKindChanged();
    EXPECT_EQ(List(ctl::ParamItemList).Entries, (std::vector<std::u16string>{u"Q", u"unknown"}));
    EXPECT_EQ(List(ctl::ParamValueList).Entries,
              (std::vector<std::u16string>{u"b0", u"b3", u"b6"}));
}

TEST_F(AddParameterTest, SomeTypesOpenAtValue1AndATypeWithoutFamily3AtItsFirstKind) {
    Describe(39, 1);
    Open();
    EXPECT_EQ(Sel(ctl::ParamValueList), 1);

    Describe(43, 1, false);
    Open();
    EXPECT_EQ(form->SelectedParamKind(), param_kind::Family1);
    EXPECT_EQ(Sel(ctl::ParamValueList), 0);
}

TEST_F(AddParameterTest, OneChannelShowsADisabledBlankAndLooksUpChannel0) {
    Describe(42, 1);
    Open();
    EXPECT_EQ(List(ctl::ParamChannelList).Entries, (std::vector<std::u16string>{u" "}));
    EXPECT_FALSE(List(ctl::ParamChannelList).Enabled);
    controls.ComboSetCurSel(ctl::ParamValueList, 3);
    ASSERT_TRUE(form->OnAddParamOk());
    EXPECT_EQ(form->SelectedCodes, (std::vector<uint32_t>{Measured(0, 3, 0, 3)}));
    EXPECT_EQ(form->SendRate, 1);
}

TEST_F(AddParameterTest, OkHandsBackTheChosenCodeAndTheSameTypeReopensAtTheChoice) {
    Describe(42, 2);
    Open();
    controls.ComboSetCurSel(ctl::ParamKindList, 0);
    form->OnParamKindChanged();
    controls.ComboSetCurSel(ctl::ParamItemList, 1);
    controls.ComboSetCurSel(ctl::ParamValueList, 2);
    controls.ComboSetCurSel(ctl::ParamChannelList, 1);
    controls.SetWindowText(ctl::ParamRateEdit, u" 60s");
    ASSERT_TRUE(form->OnAddParamOk());
    EXPECT_EQ(form->SelectedCodes, (std::vector<uint32_t>{Measured(1, 1, 1, 2)}));
    EXPECT_EQ(form->SendRate, 60);

    // A run ended by Cancel after other choices leaves the remembered ones.
    Open();
    controls.ComboSetCurSel(ctl::ParamKindList, 2);
    form->OnParamKindChanged();
    Open();
    EXPECT_EQ(form->SelectedParamKind(), param_kind::Family1);
    EXPECT_EQ(Sel(ctl::ParamItemList), 1);
    EXPECT_EQ(Sel(ctl::ParamValueList), 2);
    EXPECT_EQ(Sel(ctl::ParamChannelList), 1);

    // Another type starts again from family 3 and position 0.
    Describe(50, 2);
    Open();
    EXPECT_EQ(form->SelectedParamKind(), param_kind::Family3);
    EXPECT_EQ(Sel(ctl::ParamChannelList), 0);
}

TEST_F(AddParameterTest, AllValuesHandsBackOneCodePerValueAndReopensAtValue0) {
    Describe(42, 2);
    Open();
    controls.ComboSetCurSel(ctl::ParamValueList, 3);
    controls.SetCheck(ctl::ParamAllValuesCheck, 1);
    form->OnAllValuesClicked();
    EXPECT_FALSE(List(ctl::ParamValueList).Enabled);
    ASSERT_TRUE(form->OnAddParamOk());
    std::vector<uint32_t> expected;
    for (uint32_t b = 0; b < 5; ++b)
        expected.push_back(Measured(0, 3, 0, b));
    EXPECT_EQ(form->SelectedCodes, expected);
    Open();
    EXPECT_EQ(Sel(ctl::ParamValueList), 0);
}

TEST_F(AddParameterTest, OnlyBandIndexesACodeCarriesAreOfferedAndHandedBack) {
    // Family 1: averaging "Q" with `bands` bands, averaging "S" with band 0, and an explicit
    // frequency of band 256, so that the list names 257 bands or more. Unpacked, band 256 of
    // "Q" would build the code of "S" band 0; packed, it is "Q" band 256.
    struct Case {
        bool packed;
        uint32_t bands;
        std::vector<uint32_t> atValue256;
    };
    for (const Case& c : {Case{false, 256, {}}, Case{true, 300, {0x51100100u}}}) {
        SCOPED_TRACE(c.packed);
        RememberedAddParameterChoices() = {};
        std::vector<uint32_t> q;
        for (uint32_t b = 0; b < c.bands; ++b)
            q.push_back(0x51100000u | b);
        TelemetryDescriptor& d = TelemetryDescriptorMap[60];
        d.IndexPacked = c.packed ? 1 : 0;
        d.Codes = q;
        d.Codes.push_back(0x51100000u | 1u << (c.packed ? 12 : 8));
        d.Codes.push_back(0x001F1100u);
        d.TypeNames = {u"Lin", u"Oct", u"Wide"};
        d.AverNames = {{0, u"Q"}, {1, u"S"}};
        layout.TeleType = 60;
        ASSERT_TRUE(ApplyTeleDescToDevice(channelBlocks, layout, desc));
        ASSERT_EQ(desc.BandCount1, std::max<int32_t>(257, static_cast<int32_t>(c.bands)));

        Open();
        ASSERT_EQ(List(ctl::ParamItemList).Entries, (std::vector<std::u16string>{u"Q", u"S"}));
        EXPECT_EQ(List(ctl::ParamValueList).Entries.size(), c.bands);
        controls.ComboSetCurSel(ctl::ParamValueList, 256);
        ASSERT_TRUE(form->OnAddParamOk());
        EXPECT_EQ(form->SelectedCodes, c.atValue256);

        Open();
        controls.SetCheck(ctl::ParamAllValuesCheck, 1);
        form->OnAllValuesClicked();
        ASSERT_TRUE(form->OnAddParamOk());
        EXPECT_EQ(form->SelectedCodes, q);
    }
}

TEST_F(AddParameterTest, AWrongRateKeepsTheDialogOpenAndRemembersNothing) {
    Describe(42, 2);
    Open();
    controls.ComboSetCurSel(ctl::ParamChannelList, 1);
    for (const char16_t* text : {u"0", u"28801", u"", u"rate", u"-5", u"99999999999"}) {
        controls.SetWindowText(ctl::ParamRateEdit, text);
        EXPECT_FALSE(form->OnAddParamOk()) << std::u16string(text).size();
    }
    EXPECT_EQ(prompts.Texts(), std::vector<std::u16string>(6, u"#143"));
    EXPECT_EQ(RememberedAddParameterChoices().Type, 0);
    EXPECT_EQ(RememberedAddParameterChoices().Channel, 0);

    controls.SetWindowText(ctl::ParamRateEdit, u"28800");
    EXPECT_TRUE(form->OnAddParamOk());
    EXPECT_EQ(form->SendRate, 28800);
}

TEST_F(AddParameterTest, FamilyLIsOfferedAfterTheFamiliesAndRemembered) {
    Describe(42, 1, false);
    channelBlocks[0].LItems = {
        LItem{{{0, u"l0"}, {0, u"l1"}, {0, u"l2"}, {0, u"l3"}, {0, u"l4"}, {0, u"l5"}, {0, u"l6"}}},
        LItem{}};
    Open();
    EXPECT_EQ(List(ctl::ParamKindList).Entries,
              (std::vector<std::u16string>{u"Lin", u"Oct", u"L"}));
    controls.ComboSetCurSel(ctl::ParamKindList, 2);
    form->OnParamKindChanged();
    EXPECT_EQ(form->SelectedParamKind(), param_kind::FamilyL);
    EXPECT_EQ(List(ctl::ParamItemList).Entries, (std::vector<std::u16string>{u"", u""}));
    EXPECT_EQ(List(ctl::ParamValueList).Entries,
              (std::vector<std::u16string>{u"l0", u"l1", u"l2", u"l3", u"l4", u"l5"}));
    ASSERT_TRUE(form->OnAddParamOk());
    // The type has no family-"L" codes: nothing is handed back rather than a code of 0.
    EXPECT_TRUE(form->SelectedCodes.empty());
    Open();
    EXPECT_EQ(form->SelectedParamKind(), param_kind::FamilyL);
}

TEST_F(AddParameterTest, ARememberedPositionTheListLacksFallsBackToTheFirstEntry) {
    Describe(28, 1, false);
    // Family 1 of one averaging index and one band only: value position 1 does not exist.
    TelemetryDescriptorMap[28].Codes = {Measured(0, 1, 0, 0)};
    ASSERT_TRUE(ApplyTeleDescToDevice(channelBlocks, layout, desc));
    Open();
    EXPECT_EQ(Sel(ctl::ParamValueList), 0);
    ASSERT_TRUE(form->OnAddParamOk());
    EXPECT_EQ(form->SelectedCodes, (std::vector<uint32_t>{Measured(0, 1, 0, 0)}));
}

} // namespace
