#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/password_vin.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "dialog/password_vin.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "platform/string_ids.h"
#include "support/write_start_checks.h"

namespace {

class ChangePasswordTest : public ::testing::Test {
protected:
    ChangePasswordTest() {
        SelectAdapter(f);
        QueueEarlierWrite(f);
        // The image as read: page 0 with the signature and the current password, two entries.
        f.State.ConfigImage.assign(256 + 16, 0x5A);
        PutU32(f.State.ConfigImage.data(), 0x12129876);
        const std::string current = "current\0\0\0";
        std::copy(current.begin(), current.end(), f.State.ConfigImage.begin() + 4);
        f.State.ConfigRead = 1;
    }
    void Answer(std::u16string oldPassword, std::u16string newPassword,
                std::u16string newPasswordAgain) {
        f.Prompts.PasswordAnswers.push_back(
            FakePrompts::PasswordAnswer{oldPassword, newPassword, newPasswordAgain});
    }
    DialogFixture f;
};

TEST_F(ChangePasswordTest, WritesTheImageBackWithTheNewPasswordUnderTheOldOne) {
    struct Case {
        std::u16string New;
        WritePasswordBytes Stored;
    };
    const Case cases[] = {
        {u"twelve-chars", {'t', 'w', 'e', 'l', 'v', 'e', '-', 'c', 'h', 'a'}},
        {u"", {}},
    };
    for (const Case& c : cases) {
        f.State.WriteQueue.clear();
        QueueEarlierWrite(f);
        f.Socket.SentDatagrams.clear();
        const std::vector<uint8_t> image = f.State.ConfigImage;
        Answer(u"current", c.New, c.New);

        OnChangeDevicePassword(f.State);

        WriteJob expected;
        expected.PreRequests = {0x07000003};
        expected.BasePage = 0x700;
        expected.Data = image;
        std::copy(c.Stored.begin(), c.Stored.end(), expected.Data.begin() + 4);
        ExpectWriteStarted(f, expected);
        EXPECT_EQ(f.State.ConfigImage, image);
        EXPECT_EQ(f.State.WritePassword, (WritePasswordBytes{'c', 'u', 'r', 'r', 'e', 'n', 't'}));
    }
    // The old password authorises the job's requests.
    PumpWriteQueue(f.State);
    const std::vector<uint8_t>& erase = f.Socket.SentDatagrams.back().Data;
    EXPECT_EQ(std::string(erase.begin() + 20, erase.end()), std::string("current\0\0\0", 10));
}

TEST_F(ChangePasswordTest, StopsWithTheirMessagesAndLeaveTheQueue) {
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
        std::vector<std::u16string> Boxes; ///< after the abandon question
    };
    // The two refusals before the dialog come even though it would be filled correctly.
    const Case cases[] = {
        {"settings not read",
         [&] {
             f.State.ConfigRead = 0;
             Answer(u"current", u"new", u"new");
         },
         {u"#152"}},
        {"an image without the signature",
         [&] {
             f.State.ConfigImage[0] = 0;
             Answer(u"current", u"new", u"new");
         },
         {u"#152"}},
        {"dialog cancelled", [&] { f.Prompts.PasswordAnswers.push_back(std::nullopt); }, {}},
        {"repetition differs in letter case",
         [&] { Answer(u"current", u"Secret", u"secret"); },
         {u"#145"}},
        // Last: it leaves the image longer. Page 0x800 onwards was never erased and holds no
        // settings.
        {"an image past the settings area",
         [&] {
             f.State.ConfigImage.resize(0x10000 + 256);
             Answer(u"current", u"new", u"new");
         },
         {u"#152"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        f.Prompts.Boxes.clear();
        f.Prompts.PasswordAnswers.clear();
        f.State.ConfigRead = 1;
        f.State.ConfigImage[0] = 0x76;
        const auto password = f.State.WritePassword;
        c.Arrange();

        OnChangeDevicePassword(f.State);

        std::vector<std::u16string> boxes{StringIdText(ids::AbortWriteQuestion)};
        boxes.insert(boxes.end(), c.Boxes.begin(), c.Boxes.end());
        EXPECT_EQ(f.Prompts.Texts(), boxes);
        EXPECT_EQ(f.State.WritePassword, password);
        ExpectEarlierWriteKept(f);
    }

    // With no adapter chosen nothing at all happens.
    f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, -1);
    f.Prompts.Boxes.clear();
    f.Prompts.PasswordAnswers.clear();
    Answer(u"current", u"new", u"new");
    OnChangeDevicePassword(f.State);
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion)});
    EXPECT_EQ(f.Prompts.PasswordAnswers.size(), 1u);
    ExpectEarlierWriteKept(f);
}

TEST(VinTextTest, ReadsHexadecimalAsPercentXDoesAndRefusesZeroAndOverlongNumbers) {
    const std::pair<std::u16string, std::optional<uint32_t>> cases[] = {
        {u"1A2B", 0x1A2B},
        {u"0x1A2B", 0x1A2B},
        {u"  1a2b", 0x1A2B},
        {u"0X1a2b", 0x1A2B},
        {u"1A2Bxyz", 0x1A2B},
        {u"FFFFFFFF", 0xFFFFFFFF},
        {u"00000000FF", 0xFF},
        {u"0", std::nullopt},
        {u"0x0", std::nullopt},
        {u"xyz", std::nullopt},
        {u"", std::nullopt},
        {u"  ", std::nullopt},
        {u"100000000", std::nullopt},
        {u"-1", std::nullopt},
        {u"+1A2B", std::nullopt},
        {u"\u0661", std::nullopt},
    };
    for (const auto& [text, vin] : cases) {
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        EXPECT_EQ(ParseVinText(text), vin);
    }
}

TEST(AssignVinTest, SendsTheNumberToTheChosenAdapterOrToEveryTarget) {
    DialogFixture f;
    f.State.RequestTargets = {{"127.0.0.2", 22}, {"127.0.0.3", 4000}};
    f.Prompts.EditTextAnswers = {u"1A2B", u"0x1A2B"};
    SelectAdapter(f, u"127.0.0.9");
    OnAssignVin(f.State);
    f.Controls.ComboResetContent(ctl::DeviceAddressCombo);
    OnAssignVin(f.State);

    EXPECT_EQ(f.Prompts.EditTextCaptions, (std::vector<std::u16string>{u"#146", u"#146"}));
    EXPECT_EQ(f.Prompts.EditTextInitial, (std::vector<std::u16string>{u"", u""}));
    const std::vector<uint8_t> payload = {0x2B, 0x1A, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::pair<const char*, uint16_t> destinations[] = {
        {"127.0.0.9", 22}, {"127.0.0.2", 22}, {"127.0.0.3", 4000}};
    ASSERT_EQ(f.Socket.SentDatagrams.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const FakeSocket::Sent& sent = f.Socket.SentDatagrams[i];
        EXPECT_EQ(sent.Address, destinations[i].first);
        EXPECT_EQ(sent.Port, destinations[i].second);
        EXPECT_EQ(sent.Data, BuildRequestDatagram(0x00000006, payload.data(), payload.size()));
    }
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.VinProbePending.load(), 0u);
}

TEST(AssignVinTest, WrongNumberOrCancelSendsNothing) {
    DialogFixture f;
    SelectAdapter(f);
    f.Prompts.EditTextAnswers = {u"0", u"xyz", std::nullopt};
    OnAssignVin(f.State);
    OnAssignVin(f.State);
    OnAssignVin(f.State);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#147", u"#147"}));
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
}

} // namespace
