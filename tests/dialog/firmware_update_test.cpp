#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialog/device_key.h"
#include "dialog/file_browse.h"
#include "dialog/firmware_update.h"
#include "dialog/write_preconditions.h"
#include "platform/string_ids.h"
#include "support/temp_folder.h"
#include "support/write_start_checks.h"

namespace {

/// The scripted user, with a hook that runs while the password is being asked.
class HookedPrompts : public FakePrompts {
public:
    std::function<void()> DuringEditText;
    bool EditText(const std::u16string& caption, std::u16string& text) override {
        if (DuringEditText)
            DuringEditText();
        return FakePrompts::EditText(caption, text);
    }
};

std::vector<uint8_t> FirmwareBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 13 + (i >> 8) + 1);
    return bytes;
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    FirmwareUpdateTest() {
        f.State.Prompts = &prompts;
        SelectAdapter(f);
        QueueEarlierWrite(f);
    }

    /// The user chooses `file` and enters a password.
    void Choose(const std::filesystem::path& file) {
        prompts.OpenFileAnswers.push_back(file.u16string());
        prompts.EditTextAnswers.push_back(u"pw");
    }

    DialogFixture f;
    HookedPrompts prompts;
    TempFolder folder;
};

TEST_F(FirmwareUpdateTest, ErasesEveryStarted64KBlockAndWritesTheFileFromPageZero) {
    struct Case {
        size_t Size;
        std::deque<uint32_t> Erases;
        uint32_t Pages;
    };
    const Case cases[] = {
        {256, {0x00000003}, 1},
        {65537, {0x00000003, 0x01000003}, 257},
        {0x70000,
         {0x00000003, 0x01000003, 0x02000003, 0x03000003, 0x04000003, 0x05000003, 0x06000003},
         0x700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Size);
        f.State.WriteQueue.clear();
        QueueEarlierWrite(f);
        f.Socket.SentDatagrams.clear();
        const std::vector<uint8_t> bytes = FirmwareBytes(c.Size);
        Choose(folder.Write("fw.bin", bytes));

        OnUpdateFirmware(f.State);

        WriteJob expected;
        expected.PreRequests = c.Erases;
        expected.BasePage = 0;
        expected.Data = bytes;
        ExpectWriteStarted(f, expected);
        EXPECT_EQ(f.State.WriteQueue.front().PageCount(), c.Pages);
        EXPECT_EQ(f.State.WritePassword, (WritePasswordBytes{'p', 'w'}));
    }
}

TEST_F(FirmwareUpdateTest, StopsBeforeTheQueueWithTheirMessages) {
    const auto shortFile = folder.Write("short.bin", FirmwareBytes(255));
    const auto longFile = folder.Write("long.bin", FirmwareBytes(0x70001));
    const auto goodFile = folder.Write("good.bin", FirmwareBytes(1000));
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
        std::vector<std::u16string> Boxes; ///< after the abandon question
        size_t PasswordsAsked;
    };
    const Case cases[] = {
        {"file dialog cancelled", [&] { prompts.OpenFileAnswers.push_back(std::nullopt); }, {}, 0},
        {"file missing", [&] { Choose(folder.Path() / "none.bin"); }, {u"#129"}, 0},
        {"a folder", [&] { Choose(folder.Path()); }, {u"#129"}, 0},
        {"a device", [&] { Choose("/dev/zero"); }, {u"#129"}, 0},
        {"255 bytes", [&] { Choose(shortFile); }, {u"#130"}, 0},
        {"0x70001 bytes", [&] { Choose(longFile); }, {u"#130"}, 0},
        {"no adapter chosen",
         [&] {
             f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, -1);
             Choose(goodFile);
         },
         {},
         0},
        {"password cancelled",
         [&] {
             prompts.OpenFileAnswers.push_back(goodFile.u16string());
             prompts.EditTextAnswers.push_back(std::nullopt);
         },
         {},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        prompts.Boxes.clear();
        prompts.EditTextCaptions.clear();
        prompts.OpenFileAnswers.clear();
        prompts.EditTextAnswers.clear();
        SelectAdapter(f);
        c.Arrange();

        OnUpdateFirmware(f.State);

        std::vector<std::u16string> boxes{StringIdText(ids::AbortWriteQuestion)};
        boxes.insert(boxes.end(), c.Boxes.begin(), c.Boxes.end());
        EXPECT_EQ(prompts.Texts(), boxes);
        EXPECT_EQ(prompts.EditTextCaptions.size(), c.PasswordsAsked);
        ExpectEarlierWriteKept(f);
    }
}

TEST_F(FirmwareUpdateTest, NamedPipeIsRefusedWithoutWaitingForAWriter) {
    const auto pipe = folder.Fifo("fw.bin");
    Choose(pipe);

    ASSERT_TRUE(ReturnsWithin(std::chrono::seconds(5), pipe, [&] { OnUpdateFirmware(f.State); }));

    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion), u"#129"}));
    ExpectEarlierWriteKept(f);
}

TEST_F(FirmwareUpdateTest, BusyAdapterIsNotAskedAboutAndNoFileIsChosen) {
    f.State.VinProbePending.exchange(1);
    prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", FirmwareBytes(300)).u16string());
    OnUpdateFirmware(f.State);
    EXPECT_TRUE(prompts.OpenFileRequests.empty());
    EXPECT_TRUE(prompts.Boxes.empty());
    EXPECT_EQ(f.State.WriteQueue.size(), 1u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
}

TEST_F(FirmwareUpdateTest, FileCutWhileThePasswordIsAskedIsNotWrittenPaddedWithZeroBytes) {
    const auto file = folder.Write("fw.bin", FirmwareBytes(70000));
    Choose(file);
    prompts.DuringEditText = [&] { std::filesystem::resize_file(file, 1000); };

    OnUpdateFirmware(f.State);

    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion), u"#129"}));
    ExpectEarlierWriteKept(f);
}

TEST_F(FirmwareUpdateTest, FileDialogsOpenInTheFolderLastChosenForTheirKind) {
    const std::u16string cwd = std::filesystem::current_path().u16string();
    const std::u16string fw = u"/data/fw/a.bin";
    const std::u16string key = u"/keys/k.dat";
    prompts.OpenFileAnswers = {fw, key, u"/data/fw/b.bin", std::nullopt};
    std::u16string path;

    EXPECT_TRUE(BrowseFirmwareFile(f.State, path));
    EXPECT_EQ(path, fw);
    EXPECT_TRUE(BrowseKeyFile(f.State, path));
    EXPECT_EQ(path, key);
    EXPECT_TRUE(BrowseFirmwareFile(f.State, path));
    EXPECT_FALSE(BrowseKeyFile(f.State, path)); // cancelled: path and profile unchanged
    EXPECT_EQ(path, u"/data/fw/b.bin");

    using Request = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(prompts.OpenFileRequests, (std::vector<Request>{{FirmwareFileFilter, cwd},
                                                              {KeyFileFilter, cwd},
                                                              {FirmwareFileFilter, u"/data/fw/"},
                                                              {KeyFileFilter, u"/keys/"}}));
    EXPECT_EQ(f.Profile.Strings.at({BrowseSection, FirmwareFolderValue}), u"/data/fw/");
    EXPECT_EQ(f.Profile.Strings.at({BrowseSection, KeyFolderValue}), u"/keys/");
}

} // namespace
