#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_init.h"
#include "dialog/settings_form.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"

namespace {

constexpr uint32_t ReadVinWord = MakeRequestWord(REQ_READ_VIN);

class DialogInitTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.State.ParamList = &table;
        f.Socket.Open = false;
        f.Window.Title = u"Tarnel configuration (version X.X)";
        inputs.Interfaces = &interfaces;
        inputs.LoadDescription = [this](const std::u16string& language) {
            languages.push_back(language);
            DeviceModelList = {{u"AB-1", u"AB-1", 42, 0, 0, u""}};
            return loads;
        };
    }
    void TearDown() override { DeviceModelList.clear(); }

    bool Init(const std::u16string& commandLine) {
        inputs.CommandLineTail = commandLine;
        return OnInitDialog(f.State, inputs);
    }

    DialogFixture f;
    FakeTableCtrl table;
    FakeNetworkInterfaces interfaces;
    DialogInitInputs inputs;
    std::vector<std::u16string> languages;
    bool loads = true;
};

TEST_F(DialogInitTest, StartsTheDialogAndSendsTheDiscoveryRequestToEveryTarget) {
    inputs.Language = UiLanguage::English;
    f.Profile.Ints[{u"ParTable", u"W1"}] = 90;
    f.Controls.SetWindowText(ctl::InfoEdit, u"old");
    f.State.ConfigImage = {1, 2, 3};
    f.State.ConfigRead = 1;

    EXPECT_TRUE(Init(u" 127.0.0.1:4000-4001 "));

    EXPECT_EQ(f.Window.Title, u"Tarnel configuration (version 1.14)");
    EXPECT_EQ(languages, std::vector<std::u16string>{u"English"});
    EXPECT_EQ(f.State.TeleTypeComboMap.size(), 1u);
    EXPECT_EQ(table.ExtendedStyle, 0x4421u);
    EXPECT_EQ(table.Store.SortColumn, 0);
    EXPECT_EQ(table.Store.SearchCell, 0);
    EXPECT_EQ(table.Store.ColumnKeyCells, (std::map<int, int>{{0, 3}}));
    ASSERT_EQ(table.Columns.size(), 3u);
    EXPECT_EQ(table.Columns[0].Title, f.Prompts.LoadString(ids::ColumnParameter));
    EXPECT_EQ(table.Columns[1].Title, f.Prompts.LoadString(ids::ColumnRate));
    EXPECT_EQ(table.Columns[2].Title, f.Prompts.LoadString(ids::ColumnPlot));
    EXPECT_EQ(table.Columns[0].Width, 200);
    EXPECT_EQ(table.Columns[1].Width, 90);
    EXPECT_EQ(table.Columns[2].Width, 70);
    EXPECT_EQ(table.Columns[1].Alignment, 1u);

    EXPECT_EQ(f.State.RequestTargets,
              (std::vector<RequestTarget>{{"127.0.0.1", 4000}, {"127.0.0.1", 4001}}));
    EXPECT_TRUE(f.Socket.Open);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), u"");
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), DefaultMonitoringServer);
    EXPECT_TRUE(f.State.ConfigImage.empty());
    EXPECT_EQ(f.State.ConfigRead, 0u);
    ASSERT_EQ(f.Socket.SentDatagrams.size(), 2u);
    for (const FakeSocket::Sent& sent : f.Socket.SentDatagrams) {
        EXPECT_EQ(sent.Address, "127.0.0.1");
        EXPECT_EQ(sent.Data.size(), PlainRequestSize);
    }
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{ReadVinWord, ReadVinWord}));
    EXPECT_FALSE(f.Controls.IsWindowEnabled(ctl::SendSignalTele));
    EXPECT_EQ(f.Window.Timers, (std::map<uint32_t, uint32_t>{{1, 500}}));
    EXPECT_EQ(f.State.TimerId, 1u);
    EXPECT_FALSE(f.Window.QuitCode.has_value());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

TEST_F(DialogInitTest, WithoutACommandLineDiscoversOnEveryInterface) {
    interfaces.Interfaces = {{"lo", "127.0.0.1", "255.0.0.0", true},
                             {"eth0", "127.0.5.20", "255.255.255.0", false}};
    Init(u"");
    EXPECT_EQ(languages, std::vector<std::u16string>{u"Русский"});
    EXPECT_EQ(f.State.RequestTargets, (std::vector<RequestTarget>{{"127.0.5.255", 22}}));
    ASSERT_EQ(f.Socket.SentDatagrams.size(), 1u);
    EXPECT_EQ(f.Socket.SentDatagrams[0].Address, "127.0.5.255");
}

TEST_F(DialogInitTest, BadCommandLineShowsTheErrorAndQuitsWithoutSendingOrTiming) {
    EXPECT_TRUE(Init(u"10.0.0.1-3:40-41"));
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>{f.Prompts.LoadString(ids::WrongPort)});
    EXPECT_EQ(f.Window.QuitCode, 1);
    EXPECT_FALSE(f.Socket.Open);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Window.Timers.empty());
    EXPECT_EQ(f.State.TimerId, 0u);
}

TEST_F(DialogInitTest, DescriptionAndSocketFailuresAreShownAndTheDialogGoesOn) {
    loads = false;
    f.Socket.FailCreate = true;
    Init(u"127.0.0.1");
    EXPECT_EQ(f.Prompts.Texts(),
              (std::vector<std::u16string>{f.Prompts.LoadString(ids::CantLoadTeleDesc),
                                           f.Prompts.LoadString(ids::CantCreateSocket)}));
    // What the tables gave is still listed, the form is reset and the timer runs.
    EXPECT_EQ(f.State.TeleTypeComboMap.size(), 1u);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::ServerEdit), DefaultMonitoringServer);
    EXPECT_EQ(f.State.TimerId, 1u);
    EXPECT_FALSE(f.Window.QuitCode.has_value());
}

TEST_F(DialogInitTest, DiscoveryIsSentWhenOnlyTheDescriptionFails) {
    loads = false;
    Init(u"127.0.0.1");
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
}

} // namespace
