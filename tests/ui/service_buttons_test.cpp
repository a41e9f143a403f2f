#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "loopback_dialog.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"

namespace {

TEST(ServiceButtons, FirmwareButtonWritesTheChosenFileIntoALoopbackAdapter) {
    TestAdapter adapter;
    adapter.SetPasswordText("pw");
    LoopbackDialog run;
    ASSERT_TRUE(run.Start(adapter.Start()));

    TempFolder folder;
    std::vector<uint8_t> firmware(1000);
    for (size_t i = 0; i < firmware.size(); ++i)
        firmware[i] = static_cast<uint8_t>(i * 3 + 7);
    FakePrompts& prompts = run.Prompts;
    prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
    prompts.EditTextAnswers.push_back(u"pw");
    prompts.Boxes.clear();
    run.Click(ctl::UpdateFirmwareButton);

    const std::u16string complete = prompts.LoadString(ids::WriteComplete);
    ASSERT_TRUE(ServeUntil(
        [&] {
            const auto texts = prompts.Texts();
            return std::find(texts.begin(), texts.end(), complete) != texts.end();
        },
        10000));
    EXPECT_EQ(prompts.Texts().front(), complete);
    EXPECT_EQ(adapter.Memory(0, firmware.size()), firmware);
    EXPECT_TRUE(ServeUntil([&] { return adapter.ResetCount() == 1; }, 5000));
}

} // namespace
