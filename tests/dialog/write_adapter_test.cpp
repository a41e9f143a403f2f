// A write stays with the adapter it was made for. Two in-process adapters are in the device
// list, A (127.0.0.2) chosen and B (127.0.0.3); while a write to A waits for its probe's reply or
// lets an erase settle, the user chooses B. The list goes back to A and the user is asked whether
// to abort the write: No finishes it on A alone; Yes ends it unreported, and B is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "config/settings_image.h"
#include "dialog/device_key.h"
#include "dialog/firmware_update.h"
#include "dialog/password_vin.h"
#include "dialog/reply_handler.h"
#include "dialog/save_settings.h"
#include "dialog/write_pump.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/fake_table_ctrl.h"
#include "support/reply_datagram.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"
#include "support/write_start_checks.h"

namespace {

constexpr int32_t Type = SavableType;
constexpr uint32_t StepMs = 10;
constexpr uint32_t QuietMs = 6000; ///< past every time-out: what is still to come has come

enum class Write { Firmware, Settings, Key, Password };

const char* Name(Write w) {
    static const char* names[] = {"firmware", "settings", "key", "password"};
    return names[static_cast<int>(w)];
}

/// Erase requests of each write: the settle windows in which the user may choose B.
uint32_t Erases(Write w) {
    return w == Write::Firmware ? 7 : w == Write::Settings ? 2 : 1;
}

std::vector<uint16_t> WriteCodes(const TestAdapter& adapter, size_t from = 0) {
    std::vector<uint16_t> codes;
    const auto received = adapter.Received();
    for (size_t i = from; i < received.size(); ++i) {
        const uint16_t code = static_cast<uint16_t>(GetU32(received[i].bytes.data() + 8));
        if (code == REQ_ERASE_EEPROM || code == REQ_WRITE_EEPROM_DATA || code == REQ_RESET_DEVICE)
            codes.push_back(code);
    }
    return codes;
}

size_t Erased(const TestAdapter& adapter) {
    const std::vector<uint16_t> codes = WriteCodes(adapter);
    return static_cast<size_t>(std::count(codes.begin(), codes.end(), REQ_ERASE_EEPROM));
}

class TwoAdapters {
public:
    TwoAdapters() {
        f.State.ParamList = &table;
        f.Controls.SetSorted(ctl::DeviceAddressCombo, true);
        AddDeviceAddress(f.State, "127.0.0.2"); // chosen: the first in an empty list
        AddDeviceAddress(f.State, "127.0.0.3");
        f.Clock.Now = 100000;
        f.State.LastFreezeTick = f.Clock.Now;
        image.assign(SettingsImage::PageSize, 0);
        PutU32(image.data(), SettingsImage::SignatureValue);
        std::copy_n("pw", 2, image.begin() + SettingsImage::WritePassword);
        for (TestAdapter* adapter : {&a, &b}) {
            adapter->SetPasswordText("pw");
            adapter->LoadMemory(TestAdapter::SettingsFirstPage, image);
        }
        f.Prompts.DuringMessageBox = [this] {
            if (f.Prompts.Boxes.back().Text == StringIdText(ids::AbortWriteQuestion))
                chosenDuringQuestion = Chosen();
        };
    }

    void Start(Write w) {
        switch (w) {
        case Write::Firmware: {
            std::vector<uint8_t> firmware(0x70000);
            for (size_t i = 0; i < firmware.size(); ++i)
                firmware[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
            f.Prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
            f.Prompts.EditTextAnswers.push_back(u"pw");
            OnUpdateFirmware(f.State);
            break;
        }
        case Write::Settings:
            f.FillSavableForm();
            f.State.FirmwareVersion = 0x200; // the image and the descriptor
            f.SelectTeleType(Type);
            f.Prompts.EditTextAnswers.push_back(u"pw");
            OnSaveSettings(f.State);
            break;
        case Write::Key: {
            const std::string dump = "Private-Key: (1024 bit, 2 primes)\n"
                                     "modulus:\n    01:02\nprivateExponent:\n    03\n"
                                     "prime1:\n    04\nprime2:\n    05\n"
                                     "exponent1:\n    06\nexponent2:\n    07\n"
                                     "coefficient:\n    08:09:\n";
            f.Prompts.OpenFileAnswers.push_back(folder.Write("key.dat", dump).u16string());
            f.Prompts.EditTextAnswers.push_back(u"pw");
            OnWriteDeviceKey(f.State);
            break;
        }
        case Write::Password:
            f.State.ConfigImage = image;
            f.State.ConfigRead = 1;
            f.Prompts.PasswordAnswers.push_back(FakePrompts::PasswordAnswer{u"pw", u"nw", u"nw"});
            OnChangeDevicePassword(f.State);
            break;
        }
        jobs.assign(f.State.WriteQueue.begin(), f.State.WriteQueue.end());
    }

    /// Runs the write; once `due` holds, the user chooses B and answers the question with
    /// `answer`. Ends QuietMs after the write's report, or after the choice when there is none.
    void Drive(const std::function<bool()>& due, MbResult answer) {
        uint32_t sinceTick = 0;
        const uint32_t giveUp = f.Clock.Now + 60000;
        uint32_t endAt = giveUp;
        for (;;) {
            if (!chose && due()) {
                chose = true;
                sentToABeforeChoice = SentToA();
                f.Prompts.Answers.push_back(answer);
                ChooseB();
                endAt = f.Clock.Now + QuietMs;
            }
            Exchange();
            if (Count(u"#110") + Count(u"#111") > 0 && endAt - f.Clock.Now > QuietMs)
                endAt = f.Clock.Now + QuietMs;
            if (static_cast<int32_t>(f.Clock.Now - endAt) >= 0 ||
                static_cast<int32_t>(f.Clock.Now - giveUp) >= 0)
                break;
            f.Window.Advance(StepMs);
            if ((sinceTick += StepMs) >= DialogTimerPeriodMs) {
                sinceTick = 0;
                OnDialogTimer(f.State, DialogTimerId);
                f.Window.RunPosted();
            }
        }
    }

    /// As the device list does: the entry changes, then the selection-change handler runs.
    void ChooseB() {
        f.Controls.ComboSetCurSel(
            ctl::DeviceAddressCombo,
            f.Controls.ComboFindStringExact(ctl::DeviceAddressCombo, -1, u"127.0.0.3"));
        OnGetSettings(f.State);
    }

    size_t SentToA() const {
        return static_cast<size_t>(std::count_if(
            f.Socket.SentDatagrams.begin(), f.Socket.SentDatagrams.end(),
            [](const FakeSocket::Sent& sent) { return sent.Address == "127.0.0.2"; }));
    }

    std::u16string Chosen() const { return f.Controls.GetWindowText(ctl::DeviceAddressCombo); }

    size_t Count(const std::u16string& text) const {
        const auto texts = f.Prompts.Texts();
        return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
    }

    DialogFixture f;
    FakeTableCtrl table;
    TestAdapter a, b;
    TempFolder folder;
    std::vector<uint8_t> image;
    std::vector<WriteJob> jobs; ///< the write as queued
    bool chose = false;
    size_t sentToABeforeChoice = 0;
    std::u16string chosenDuringQuestion;

private:
    /// Hands each datagram to the adapter it was sent to and the replies back, until quiet.
    void Exchange() {
        while (next_ < f.Socket.SentDatagrams.size()) {
            const FakeSocket::Sent sent = f.Socket.SentDatagrams[next_++];
            ASSERT_TRUE(sent.Address == "127.0.0.2" || sent.Address == "127.0.0.3")
                << "sent to " << sent.Address;
            TestAdapter& to = sent.Address == "127.0.0.2" ? a : b;
            for (const std::vector<uint8_t>& reply : to.Receive(sent.Data, "127.0.0.1", 60000))
                OnReceive(f.State, reply, sent.Address, AdapterPort);
        }
    }
    size_t next_ = 0;
};

using WriteAdapterTest = SavableTypeTest;

TEST_F(WriteAdapterTest, ChoosingAnotherAdapterNeitherRedirectsNorSilentlyEndsTheWrite) {
    for (Write w : {Write::Firmware, Write::Settings, Write::Key, Write::Password}) {
        // Window 0: the probe waits for A's reply; window k: the k-th erase settles.
        for (uint32_t window = 0; window <= Erases(w); ++window) {
            for (MbResult answer : {MbResult::No, MbResult::Yes}) {
                SCOPED_TRACE(std::string(Name(w)) + ", " +
                             (window == 0 ? std::string("probe")
                                          : "settle " + std::to_string(window)) +
                             (answer == MbResult::No ? ", No" : ", Yes"));
                TwoAdapters run;
                run.Start(w);
                ASSERT_FALSE(run.jobs.empty());
                const auto due = [&] {
                    return window == 0 ? run.f.State.VinProbePending.load() != 0
                                       : run.f.State.EraseSettlePending &&
                                             Erased(run.a) == window;
                };
                run.Drive(due, answer);
                ASSERT_TRUE(run.chose) << "the window never came";

                EXPECT_EQ(run.Count(StringIdText(ids::AbortWriteQuestion)), 1u);
                EXPECT_EQ(run.chosenDuringQuestion, u"127.0.0.2");
                EXPECT_EQ(run.Count(u"#156"), 0u);
                EXPECT_TRUE(WriteCodes(run.b).empty()) << "B got part of A's write";
                EXPECT_EQ(run.b.ResetCount(), 0u);
                EXPECT_TRUE(run.f.State.WriteQueue.empty());
                if (answer == MbResult::No) {
                    EXPECT_EQ(run.Chosen(), u"127.0.0.2");
                    EXPECT_EQ(run.Count(u"#111"), 1u);
                    EXPECT_EQ(run.Count(u"#110"), 0u);
                    for (const WriteJob& job : run.jobs)
                        EXPECT_EQ(run.a.Memory(job.BasePage, job.Data.size()), job.Data)
                            << "page " << job.BasePage;
                    EXPECT_EQ(run.a.ResetCount(), 1u);
                } else {
                    EXPECT_EQ(run.Chosen(), u"127.0.0.3");
                    EXPECT_EQ(run.Count(u"#111") + run.Count(u"#110"), 0u);
                    EXPECT_EQ(run.SentToA(), run.sentToABeforeChoice)
                        << "A still got requests of the abandoned write";
                    EXPECT_EQ(run.a.ResetCount(), 0u);
                    const auto received = run.b.Received();
                    ASSERT_FALSE(received.empty());
                    EXPECT_EQ(GetU32(received.front().bytes.data() + 8),
                              MakeRequestWord(REQ_READ_VIN))
                        << "B is read";
                }
            }
        }
    }
}

TEST_F(WriteAdapterTest, OnlyTheWriteAdaptersRepliesAdvanceIt) {
    // Should the list name B by any other road, B's replies still move nothing of A's write,
    // and its requests still go to A.
    TwoAdapters run;
    run.Start(Write::Key);
    run.f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 1);
    const std::vector<uint8_t> vinReply = ReplyDatagram(MakeRequestWord(REQ_READ_VIN),
                                                        std::vector<uint8_t>(8, 0));
    OnReceive(run.f.State, vinReply, "127.0.0.3", AdapterPort);
    EXPECT_EQ(run.f.State.VinProbePending.load(), 1u) << "B answered A's probe";
    run.f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
    OnReceive(run.f.State, vinReply, "127.0.0.2", AdapterPort);
    EXPECT_EQ(run.f.State.VinProbePending.load(), 0u);
    ASSERT_EQ(run.f.Socket.SentDatagrams.back().Address, "127.0.0.2");
    const uint32_t erase = run.f.State.AwaitedWriteReply;
    ASSERT_NE(erase, 0u);

    run.f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 1);
    OnReceive(run.f.State, ReplyDatagram(erase), "127.0.0.3", AdapterPort);
    run.f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
    EXPECT_FALSE(run.f.State.EraseSettlePending) << "B acknowledged A's erase";
    OnReceive(run.f.State, ReplyDatagram(erase), "127.0.0.2", AdapterPort);
    EXPECT_TRUE(run.f.State.EraseSettlePending);
    run.f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 1); // the settle ends with B named
    run.f.Window.Advance(EraseSettleMs);
    EXPECT_EQ(run.f.Socket.SentDatagrams.back().Address, "127.0.0.2");
    EXPECT_EQ(GetU32(run.f.Socket.SentDatagrams.back().Data.data() + 8),
              run.f.State.WriteQueue.front().PageRequestWord(0));
}

} // namespace
