#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "dialog/write_preconditions.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "support/dialog_fixture.h"

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
