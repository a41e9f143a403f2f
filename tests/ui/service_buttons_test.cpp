#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "resource_cases.h"
#include "support/fake_platform.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"
#include "ui/velmora_dlg.h"

namespace {

/// Serves the event loop until `done` holds, for at most `ms` milliseconds of real time.
bool ServeUntil(const std::function<bool()>& done, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST(ServiceButtons, FirmwareButtonWritesTheChosenFileIntoALoopbackAdapter) {
    UseSourceCase(SourceCase::OwnEnglish);
    TestAdapter adapter;
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
    // The adapter answers the start's identification request and becomes the chosen one.
    ASSERT_TRUE(ServeUntil([&] { return dialog.DeviceAddressCombo->currentIndex() >= 0; }, 5000));

    TempFolder folder;
    std::vector<uint8_t> firmware(1000);
    for (size_t i = 0; i < firmware.size(); ++i)
        firmware[i] = static_cast<uint8_t>(i * 3 + 7);
    prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
    prompts.EditTextAnswers.push_back(u"pw");
    prompts.Boxes.clear();
    qobject_cast<QAbstractButton*>(dialog.Control(ctl::UpdateFirmwareButton))->click();

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
