// A settings save and a firmware write against the in-process test adapter, under one network
// fault at a time. Whatever the fault, the write ends in a true report: "Write complete" over
// memory that holds what was written, or "Writing error" within the time-out, never both, never
// neither. Time is the fake clock's: the dialog timer ticks every 500 ms of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dialog/firmware_update.h"
#include "dialog/save_settings.h"
#include "dialog/reply_handler.h"
#include "protocol/request_codes.h"
#include "dialog/write_pump.h"
#include "model/device_param_layout.h"
#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"
#include "platform/string_ids.h"
#include "support/fake_table_ctrl.h"
#include "support/temp_folder.h"
#include "support/test_adapter.h"
#include "support/write_start_checks.h"

namespace {

using Fault = TestAdapter::Fault;

constexpr int32_t Type = SavableType;
constexpr uint32_t Band = SavableBand;
constexpr uint32_t StepMs = 10;
constexpr uint32_t GiveUpMs = 60000; ///< simulated time after which the write counts as hung
constexpr uint32_t ShortDelayMs = 1500;
constexpr uint32_t LongDelayMs = 6000; ///< past the time-out and the next keep-alive

enum class Write { Settings, Firmware };
enum class Outcome { Complete, Error };
enum class Target { Erase0, Erase1, FirstPage, MiddlePage, LastPage };

struct Case {
    Write write;
    Target target;
    Fault fault;
    uint32_t delayMs;
    Outcome expected;
};

std::string Name(const Case& c) {
    static const char* writes[] = {"settings", "firmware"};
    static const char* targets[] = {"erase 0", "erase 1", "first page", "middle page",
                                    "last page"};
    static const char* faults[] = {"request lost", "reply lost", "reply repeated",
                                   "reply delayed", "reply reordered"};
    std::string name = writes[static_cast<int>(c.write)];
    name.append(", ").append(targets[static_cast<int>(c.target)]);
    name.append(": ").append(faults[static_cast<int>(c.fault)]);
    if (c.delayMs)
        name.append(" ").append(std::to_string(c.delayMs)).append(" ms");
    return name;
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (Write w : {Write::Settings, Write::Firmware}) {
        for (Target t : {Target::Erase0, Target::Erase1, Target::FirstPage, Target::MiddlePage,
                         Target::LastPage}) {
            cases.push_back({w, t, Fault::DropReply, 0, Outcome::Error});
            cases.push_back({w, t, Fault::RepeatReply, 0, Outcome::Complete});
            cases.push_back({w, t, Fault::DelayReply, ShortDelayMs, Outcome::Complete});
            cases.push_back({w, t, Fault::DelayReply, LongDelayMs, Outcome::Error});
            // With one request in flight no other reply comes to overtake it before the
            // time-out.
            cases.push_back({w, t, Fault::ReorderReply, 0, Outcome::Error});
        }
        cases.push_back({w, Target::MiddlePage, Fault::DropRequest, 0, Outcome::Error});
    }
    return cases;
}

/// One run: the working state on fakes, wired to the adapter at 127.0.0.1.
class FaultRun {
public:
    FaultRun() {
        f.State.ParamList = &table;
        SelectAdapter(f, u"127.0.0.1");
        f.Clock.Now = 100000;
        f.State.LastFreezeTick = f.Clock.Now;
        adapter.SetPasswordText("pw");
        f.Prompts.EditTextAnswers.push_back(u"pw");
    }

    void StartSettingsSave() {
        f.FillSavableForm();
        f.State.FirmwareVersion = 0x200; // image and descriptor: two jobs, two erases
        f.SelectTeleType(Type);
        for (uint32_t i = 0; i < 70; ++i) // three pages of entries
            f.State.SelectedParamMap[ParamKey{Band + i, 0, 0}] = ParamSetting{1, 0};
        OnSaveSettings(f.State);
    }

    void StartFirmwareWrite() {
        std::vector<uint8_t> firmware(0x10100); // two 64 KB erases, 257 pages
        for (size_t i = 0; i < firmware.size(); ++i)
            firmware[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
        f.Prompts.OpenFileAnswers.push_back(folder.Write("fw.bin", firmware).u16string());
        OnUpdateFirmware(f.State);
    }

    /// Runs until the write has ended and LongDelayMs more have passed, or until GiveUpMs.
    void Drive() {
        start_ = f.Clock.Now;
        const uint32_t start = start_;
        uint32_t sinceTick = 0;
        for (;;) {
            Exchange();
            const uint32_t elapsed = f.Clock.Now - start;
            if (!endedAt && Outcomes() > 0)
                endedAt = elapsed;
            if (elapsed >= GiveUpMs || (endedAt && elapsed >= *endedAt + LongDelayMs))
                break;
            f.Window.Advance(StepMs);
            Deliver(adapter.AdvanceClock(StepMs));
            sinceTick += StepMs;
            if (sinceTick >= DialogTimerPeriodMs) {
                sinceTick = 0;
                OnDialogTimer(f.State, DialogTimerId);
                f.Window.RunPosted();
            }
        }
        // Whatever is still on its way arrives late, and must change nothing.
        Deliver(adapter.TakePending());
        Exchange();
    }

    size_t Count(const std::u16string& text) const {
        const auto texts = f.Prompts.Texts();
        return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
    }
    size_t Outcomes() const { return Count(u"#110") + Count(u"#111"); }

    DialogFixture f;
    FakeTableCtrl table;
    TestAdapter adapter;
    TempFolder folder;
    std::optional<uint32_t> endedAt;
    /// Time of the last erase or page request sent, since the start of Drive.
    uint32_t lastWriteRequestAt = 0;

private:
    void Deliver(const std::vector<std::vector<uint8_t>>& replies) {
        for (const auto& reply : replies)
            OnReceive(f.State, reply, "127.0.0.1", AdapterPort);
    }
    /// Hands what the program sent to the adapter and the replies due now back, until quiet.
    void Exchange() {
        while (next_ < f.Socket.SentDatagrams.size()) {
            const std::vector<uint8_t> sent = f.Socket.SentDatagrams[next_++].Data;
            const uint16_t code = static_cast<uint16_t>(GetU32(sent.data() + 8));
            if (code == REQ_WRITE_EEPROM_DATA || code == REQ_ERASE_EEPROM)
                lastWriteRequestAt = f.Clock.Now - start_;
            Deliver(adapter.Receive(sent, "127.0.0.1", 60000));
        }
    }
    size_t next_ = 0;
    uint32_t start_ = 0;
};

using WriteFaultsTest = SavableTypeTest;

TEST_F(WriteFaultsTest, EverySingleFaultEndsInATrueReport) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(Name(c));
        FaultRun run;
        if (c.write == Write::Settings)
            run.StartSettingsSave();
        else
            run.StartFirmwareWrite();
        // What the write is to leave in the adapter, and where the fault strikes.
        std::vector<WriteJob> jobs(run.f.State.WriteQueue.begin(), run.f.State.WriteQueue.end());
        ASSERT_FALSE(jobs.empty());
        uint32_t erases = 0, pages = 0;
        for (const WriteJob& job : jobs) {
            erases += static_cast<uint32_t>(job.PreRequests.size());
            pages += static_cast<uint32_t>((job.Data.size() + 255) / 256);
        }
        ASSERT_EQ(erases, 2u);
        ASSERT_GE(pages, 3u);
        const uint16_t code = c.target <= Target::Erase1 ? REQ_ERASE_EEPROM : REQ_WRITE_EEPROM_DATA;
        const uint32_t index = c.target == Target::Erase0       ? 0
                               : c.target == Target::Erase1     ? 1
                               : c.target == Target::FirstPage  ? 0
                               : c.target == Target::MiddlePage ? pages / 2
                                                                : pages - 1;
        run.adapter.SetFault(code, index, c.fault, c.delayMs);
        run.Drive();

        EXPECT_TRUE(run.endedAt.has_value()) << "the write hangs";
        if (!run.endedAt)
            continue;
        EXPECT_EQ(run.Outcomes(), 1u);
        if (run.Count(u"#111") == 1) {
            for (const WriteJob& job : jobs)
                EXPECT_EQ(run.adapter.Memory(job.BasePage, job.Data.size()), job.Data)
                    << "page " << job.BasePage;
            EXPECT_EQ(run.adapter.ResetCount(), 1u);
        } else {
            EXPECT_LE(*run.endedAt - run.lastWriteRequestAt,
                      WriteReplyTimeoutMs + DialogTimerPeriodMs);
            EXPECT_EQ(run.adapter.ResetCount(), 0u);
        }
        EXPECT_EQ(run.Count(c.expected == Outcome::Complete ? u"#111" : u"#110"), 1u);
    }
}

} // namespace
