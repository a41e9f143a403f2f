#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "loopback_dialog.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/request_codes.h"
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

TEST(ServiceButtons, EveryEraseSettlesItsWholeTimeBeforeTheAdapterGetsTheNextRequest) {
    TestAdapter adapter;
    adapter.SetPasswordText("pw");
    LoopbackDialog run;
    ASSERT_TRUE(run.Start(adapter.Start()));

    // The largest firmware: seven erases before its pages.
    TempFolder folder;
    const std::vector<uint8_t> firmware(0x70000, 0x5A);
    FakePrompts& prompts = run.Prompts;
    prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
    prompts.EditTextAnswers.push_back(u"pw");
    prompts.Boxes.clear();
    run.Click(ctl::UpdateFirmwareButton);
    ASSERT_TRUE(ServeUntil([&] { return !prompts.Boxes.empty(); }, 30000));
    EXPECT_EQ(prompts.Texts().front(), prompts.LoadString(ids::WriteComplete));

    // Each erase acknowledgement against the next erase or page request of the write (the
    // keep-alive may come in between; it is no part of the write).
    const auto isCode = [](const TestAdapter::Datagram& d, uint16_t code) {
        return d.bytes.size() >= 12 && (d.bytes[8] | d.bytes[9] << 8) == code;
    };
    const std::vector<TestAdapter::Datagram> received = adapter.Received();
    auto next = received.begin();
    int erases = 0;
    auto smallest = std::chrono::steady_clock::duration::max();
    for (const TestAdapter::Datagram& ack : adapter.Sent()) {
        if (!isCode(ack, REQ_ERASE_EEPROM))
            continue;
        ++erases;
        next = std::find_if(next, received.end(), [&](const TestAdapter::Datagram& d) {
            return d.at > ack.at && (isCode(d, REQ_WRITE_EEPROM_DATA) || isCode(d, REQ_ERASE_EEPROM));
        });
        ASSERT_NE(next, received.end());
        const auto gap = next->at - ack.at;
        smallest = std::min(smallest, gap);
        EXPECT_GE(gap, std::chrono::milliseconds(500))
            << "erase " << erases << ": "
            << std::chrono::duration_cast<std::chrono::microseconds>(gap).count() << " us";
    }
    EXPECT_EQ(erases, 7);
    std::printf("smallest settle gap %.3f ms\n",
                std::chrono::duration<double, std::milli>(smallest).count());
    EXPECT_EQ(adapter.Memory(0, firmware.size()), firmware);
}

} // namespace
