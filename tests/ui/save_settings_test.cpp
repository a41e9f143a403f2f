#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/settings_image.h"
#include "loopback_dialog.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/request_codes.h"
#include "support/test_adapter.h"

namespace {

TEST(SaveSettings, WritesTheFormBackIntoALoopbackAdapter) {
    TestAdapter adapter; // firmware 0x200: the descriptor is written too
    adapter.SetPasswordText("pw");
    LoopbackDialog run;
    ASSERT_TRUE(run.Start(adapter.Start()));
    DialogState& state = run.Dialog.State();
    ASSERT_FALSE(state.TeleTypeComboMap.empty()) << "the description loads";

    // The form as Get settings leaves it after reading an image the adapter holds.
    const int32_t type = state.TeleTypeComboMap.begin()->second;
    SettingsPage stored;
    stored.MacAddress = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    stored.TelemetryType = static_cast<uint16_t>(type);
    stored.ServerAddress = EncodeServerHostName(u"server.example");
    SelectedParamMap map;
    map[{TelemetryDescriptorMap.at(type).Codes.at(0), 0, 0}] = {10, 1};
    adapter.LoadMemory(TestAdapter::SettingsFirstPage, EncodeSettingsImage(stored, map, type));
    run.Click(ctl::GetSettingsButton);
    ASSERT_TRUE(ServeUntil([&] { return state.ConfigRead == 1; }, 5000));

    run.Prompts.EditTextAnswers.push_back(u"pw");
    run.Click(ctl::SaveSettingsButton);
    ASSERT_EQ(state.WriteQueue.size(), 2u) << "messages: " << run.Prompts.Texts().size();
    const std::vector<uint8_t> image = state.WriteQueue.front().Data;
    const std::vector<uint8_t> descriptor = state.WriteQueue.back().Data;

    const std::u16string complete = run.Prompts.LoadString(ids::WriteComplete);
    ASSERT_TRUE(ServeUntil(
        [&] {
            const auto texts = run.Prompts.Texts();
            return std::find(texts.begin(), texts.end(), complete) != texts.end();
        },
        10000));
    EXPECT_EQ(run.Prompts.Texts(), std::vector<std::u16string>{complete});
    EXPECT_EQ(adapter.Memory(SettingsBasePage, image.size()), image);
    EXPECT_EQ(adapter.Memory(DescriptorBasePage, descriptor.size()), descriptor);
    const auto page = DecodeSettingsPage(adapter.Memory(SettingsBasePage, 256));
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->MacAddress, stored.MacAddress);
    EXPECT_EQ(page->ServerAddress, stored.ServerAddress);
    EXPECT_EQ(page->TelemetryType, type);
    EXPECT_EQ(page->WritePassword, (WritePasswordBytes{'p', 'w'}));
    EXPECT_EQ(page->ParamCount, 1);
    EXPECT_TRUE(ServeUntil([&] { return adapter.ResetCount() == 1; }, 5000));
    adapter.Stop();
}

} // namespace
