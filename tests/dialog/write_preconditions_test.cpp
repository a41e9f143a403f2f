#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "dialog/device_key.h"
#include "dialog/reply_handler.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "support/dialog_fixture.h"
#include "support/reply_datagram.h"
#include "support/temp_folder.h"
#include "support/write_start_checks.h"

namespace {

TEST(ConfirmAbortWrite, AsksOnlyOnceTheAdapterHasGoneQuiet) {
    struct Case {
        const char* Name;
        bool JobQueued;
        uint32_t ProbePending;
        uint32_t LastSend; ///< LastWriteSendTick
        uint32_t Now;
        std::optional<MbResult> Answer; ///< nullopt: no box may be shown
        bool Expected;
    };
    const Case cases[] = {
        {"empty queue, even with a probe pending", false, 1, 4999, 5000, std::nullopt, true},
        {"probe pending", true, 1, 0, 90000, std::nullopt, false},
        {"3999 ms after the last request", true, 0, 10000, 13999, std::nullopt, false},
        {"3999 ms across the wrap of the tick", true, 0, 0xFFFFFF00, 3743, std::nullopt, false},
        {"4000 ms after, Yes", true, 0, 10000, 14000, MbResult::Yes, true},
        {"4000 ms after, No", true, 0, 10000, 14000, MbResult::No, false},
        {"nothing sent yet", true, 0, 0, 100, MbResult::Yes, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        DialogFixture f;
        if (c.JobQueued)
            f.State.WriteQueue.emplace_back();
        f.State.VinProbePending = c.ProbePending;
        f.State.LastWriteSendTick = c.LastSend;
        f.Clock.Now = c.Now;
        if (c.Answer)
            f.Prompts.Answers.push_back(*c.Answer);

        EXPECT_EQ(ConfirmAbortWrite(f.State), c.Expected);
        if (c.Answer) {
            ASSERT_EQ(f.Prompts.Boxes.size(), 1u);
            EXPECT_EQ(f.Prompts.Boxes[0].Text, StringIdText(ids::AbortWriteQuestion));
            EXPECT_EQ(f.Prompts.Boxes[0].Buttons, MbButtons::YesNo);
        } else {
            EXPECT_TRUE(f.Prompts.Boxes.empty());
        }
        EXPECT_EQ(f.State.WriteQueue.size(), c.JobQueued ? 1u : 0u);
    }
}

TEST(ConfirmAbortWrite, TheWriteAskedAboutIsNotTimedOutUnderTheQuestion) {
    // A write to the chosen adapter whose erase acknowledgement was lost; 4000 ms on, the user
    // starts a key write. The timer ticks on in the question's event loop and, after Yes, in the
    // password dialog's: the write asked about is not reported failed under them. After No it
    // ends by its own time-out, once.
    for (MbResult answer : {MbResult::No, MbResult::Yes}) {
        SCOPED_TRACE(answer == MbResult::No ? "No" : "Yes");
        DialogFixture f;
        SelectAdapter(f, u"127.0.0.1");
        f.Clock.Now = 100000;
        std::vector<WriteJob> jobs(1);
        jobs[0].PreRequests.push_back(0x07000003);
        jobs[0].Data.assign(300, 0xAB);
        QueueWriteJobs(f.State, std::move(jobs));
        OnReceive(f.State, ReplyDatagram(MakeRequestWord(REQ_READ_VIN), std::vector<uint8_t>(8)),
                  "127.0.0.1", AdapterPort); // the probe's reply: the erase goes out
        ASSERT_NE(f.State.AwaitedWriteReply, 0u);
        f.Clock.Now += WriteBusyIntervalMs;

        size_t errorsUnder = 0;
        const auto tickAWhile = [&] {
            for (int t = 0; t < 4; ++t) {
                f.Clock.Advance(DialogTimerPeriodMs);
                OnDialogTimer(f.State, DialogTimerId);
                f.Window.RunPosted();
            }
            const auto texts = f.Prompts.Texts();
            errorsUnder += static_cast<size_t>(std::count(texts.begin(), texts.end(), u"#110"));
        };
        f.Prompts.DuringMessageBox = [&] {
            if (f.Prompts.Boxes.back().Text == StringIdText(ids::AbortWriteQuestion))
                tickAWhile();
        };
        f.Prompts.DuringDialog = tickAWhile;
        f.Prompts.Answers.push_back(answer);
        f.Prompts.EditTextAnswers.push_back(u"pw");
        TempFolder folder;
        f.Prompts.OpenFileAnswers.push_back(folder.Write("key.dat", "not a key").u16string());

        OnWriteDeviceKey(f.State);
        EXPECT_EQ(errorsUnder, 0u);
        EXPECT_EQ(f.Prompts.Boxes.front().Text, StringIdText(ids::AbortWriteQuestion));
        if (answer == MbResult::No) {
            EXPECT_EQ(f.State.WriteQueue.size(), 1u) << "No keeps the write";
            OnDialogTimer(f.State, DialogTimerId);
            f.Window.RunPosted();
            EXPECT_EQ(f.Prompts.Texts(),
                      (std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion), u"#110"}));
            EXPECT_TRUE(f.State.WriteQueue.empty());
        } else {
            // The key file is refused (string 120): the write asked about was never failed.
            EXPECT_EQ(f.Prompts.Texts(),
                      (std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion),
                                                   StringIdText(ids::LicenseFileError)}));
        }
    }
}

TEST(AskWritePassword, TakesTheLowByteOfTheFirstTenUnits) {
    using Bytes = std::array<uint8_t, 10>;
    struct Case {
        std::u16string Text;
        Bytes Expected;
    };
    const Case cases[] = {
        {u"abc", {'a', 'b', 'c'}},
        {u"0123456789AB", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}},
        {u"\u0141\u00E9", {0x41, 0xE9}},
        {u"", {}},
        {u" pad ", {' ', 'p', 'a', 'd', ' '}},
    };
    for (const Case& c : cases) {
        DialogFixture f;
        f.Prompts.Strings[ids::EnterPassword] = u"Enter password";
        f.State.LastPassword = u"before";
        f.State.WritePassword.fill(0x77);
        f.Prompts.EditTextAnswers.push_back(c.Text);

        EXPECT_TRUE(AskWritePassword(f.State));
        EXPECT_EQ(f.State.WritePassword, c.Expected);
        EXPECT_EQ(f.State.LastPassword, c.Text);
        EXPECT_EQ(f.Prompts.EditTextCaptions, std::vector<std::u16string>{u"Enter password"});
        EXPECT_EQ(f.Prompts.EditTextInitial, std::vector<std::u16string>{u"before"});
    }
}

TEST(AskWritePassword, CancelKeepsBothAndAnAdapterWithoutPasswordIsNotAsked) {
    DialogFixture f;
    f.State.LastPassword = u"last";
    f.State.WritePassword = {1, 2, 3};
    f.Prompts.EditTextAnswers.push_back(std::nullopt);
    EXPECT_FALSE(AskWritePassword(f.State));
    EXPECT_EQ(f.State.LastPassword, u"last");
    EXPECT_EQ(f.State.WritePassword, (std::array<uint8_t, 10>{1, 2, 3}));

    f.State.DeviceFlags = DeviceFlagNoPassword;
    f.Prompts.EditTextCaptions.clear();
    EXPECT_TRUE(AskWritePassword(f.State));
    EXPECT_EQ(f.State.WritePassword, (std::array<uint8_t, 10>{}));
    EXPECT_EQ(f.State.LastPassword, u"last");
    EXPECT_TRUE(f.Prompts.EditTextCaptions.empty());
}

} // namespace
