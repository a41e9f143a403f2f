#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "config/settings_image.h"
#include "link/request_codes.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "resource_cases.h"
#include "support/fake_platform.h"
#include "support/test_adapter.h"
#include "ui/velmora_dlg.h"

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

TEST(SaveSettings, WritesTheFormBackIntoALoopbackAdapter) {
    UseSourceCase(SourceCase::OwnEnglish);
    TestAdapter adapter; // firmware 0x200: the descriptor is written too
    adapter.SetPasswordText("pw");
    const uint16_t port = adapter.Start();
    FakePrompts prompts;
    FakeProfile profile;
    CVelmoraDlg dialog;
    dialog.State().Prompts = &prompts;
    dialog.State().Profile = &profile;
    const std::string target = "127.0.0.1:" + std::to_string(port);
    dialog.StartInputs().CommandLineTail = std::u16string(target.begin(), target.end());
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return dialog.DeviceAddressCombo->currentIndex() >= 0; }, 5000));
    ASSERT_FALSE(dialog.State().TeleTypeComboMap.empty()) << "the description loads";

    // The form as Get settings leaves it after reading an image the adapter holds.
    const int32_t type = dialog.State().TeleTypeComboMap.begin()->second;
    SettingsPage stored;
    stored.MacAddress = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    stored.PolarizationControl = EncodePolarizationControl(PolarizationChoice::OutOfControl);
    stored.TelemetryType = static_cast<uint16_t>(type);
    stored.ServerAddress = EncodeServerHostName(u"server.example");
    SelectedParamMap map;
    map[{TelemetryDescriptorMap.at(type).Codes.at(0), 0, 0}] = {10, 1};
    adapter.LoadMemory(TestAdapter::SettingsFirstPage, EncodeSettingsImage(stored, map, type));
    qobject_cast<QAbstractButton*>(dialog.Control(ctl::GetSettingsButton))->click();
    ASSERT_TRUE(WaitUntil([&] { return dialog.State().ConfigRead == 1; }, 5000));

    prompts.EditTextAnswers.push_back(u"pw");
    qobject_cast<QAbstractButton*>(dialog.Control(ctl::SaveSettingsButton))->click();
    ASSERT_EQ(dialog.State().WriteQueue.size(), 2u) << "messages: " << prompts.Texts().size();
    const std::vector<uint8_t> image = dialog.State().WriteQueue.front().Data;
    const std::vector<uint8_t> descriptor = dialog.State().WriteQueue.back().Data;

    const std::u16string complete = prompts.LoadString(ids::WriteComplete);
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto texts = prompts.Texts();
            return std::find(texts.begin(), texts.end(), complete) != texts.end();
        },
        10000));
    EXPECT_EQ(prompts.Texts(), std::vector<std::u16string>{complete});
    EXPECT_EQ(adapter.Memory(SettingsBasePage, image.size()), image);
    EXPECT_EQ(adapter.Memory(DescriptorBasePage, descriptor.size()), descriptor);
    const auto page = DecodeSettingsPage(adapter.Memory(SettingsBasePage, 256));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->MacAddress, stored.MacAddress);
    EXPECT_EQ(page->ServerAddress, stored.ServerAddress);
    EXPECT_EQ(page->TelemetryType, type);
    EXPECT_EQ(page->WritePassword, (WritePasswordBytes{'p', 'w'}));
    EXPECT_EQ(page->ParamCount, 1);
    EXPECT_TRUE(WaitUntil([&] { return adapter.ResetCount() == 1; }, 5000));
    adapter.Stop();
}

} // namespace
