#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "dialog/reply_handler.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/reply_datagram.h"

namespace {

constexpr uint32_t ReadVinWord = MakeRequestWord(REQ_READ_VIN);
constexpr uint32_t FreezeWord = MakeRequestWord(REQ_FREEZE_DHCP);

class WritePumpTest : public ::testing::Test {
protected:
    WritePumpTest() {
        f.Controls.SetWindowText(ctl::DeviceAddressCombo, u"192.168.0.25");
        f.State.WriteTarget = u"192.168.0.25";
        f.State.WritePassword = {'s', 'e', 'c', 'r', 'e', 't', 0, 0, 0, 0};
        f.Clock.Now = 100000;
    }

    /// The chosen adapter acknowledges the erase `eraseWord`.
    void AcknowledgeErase(uint32_t eraseWord) {
        OnReceive(f.State, ReplyDatagram(eraseWord), "192.168.0.25", 22);
    }

    static WriteJob Job(std::deque<uint32_t> erases, uint32_t basePage, size_t size) {
        WriteJob job;
        job.PreRequests = std::move(erases);
        job.BasePage = basePage;
        for (size_t i = 0; i < size; ++i) {
            job.Data.push_back(static_cast<uint8_t>(i * 7 + 1));
        }
        return job;
    }

    const std::vector<uint8_t>& LastSent() const { return f.Socket.SentDatagrams.back().Data; }

    DialogFixture f;
};

TEST_F(WritePumpTest, SendsErasesThenPagesOneRequestPerAcknowledgement) {
    f.State.WriteQueue.push_back(WriteJob{}); // neither erases nor data: dropped unsent
    f.State.WriteQueue.push_back(Job({0x00000003, 0x01000003}, 0x700, 296));
    f.State.WriteQueue.push_back(Job({}, 0x610, 1));

    PumpWriteQueue(f.State);
    EXPECT_EQ(f.State.WriteQueue.size(), 2u);
    EXPECT_EQ(f.State.LastWriteSendTick, 100000u);
    ASSERT_EQ(LastSent().size(), EraseRequestSize);
    EXPECT_EQ(std::vector<uint8_t>(LastSent().begin() + 20, LastSent().end()),
              std::vector<uint8_t>(f.State.WritePassword.begin(), f.State.WritePassword.end()));
    // An erase stays queued until its own acknowledgement: pumping again repeats it.
    PumpWriteQueue(f.State);
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{0x00000003, 0x00000003}));
    f.Socket.SentDatagrams.clear();

    // Each acknowledged erase lets the flash settle before the next request goes out.
    AcknowledgeErase(0x00000003);
    f.Window.Advance(EraseSettleMs - 1);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    f.Window.Advance(1);
    // A repeated acknowledgement of the first erase is not the second's.
    AcknowledgeErase(0x00000003);
    f.Window.Advance(EraseSettleMs);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x01000003});
    AcknowledgeErase(0x01000003);
    f.Window.Advance(EraseSettleMs);
    PumpWriteQueue(f.State); // page 0's status
    PumpWriteQueue(f.State); // page 1's status: the next job starts
    PumpWriteQueue(f.State); // its only page's status: nothing is left
    EXPECT_EQ(f.SentRequestWords(),
              (std::vector<uint32_t>{0x01000003, 0x07000002, 0x07010002, 0x06100002}));
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);

    const auto& sent = f.Socket.SentDatagrams;
    const std::vector<uint8_t>& data = Job({}, 0, 296).Data;
    for (size_t page = 0; page < 2; ++page) {
        const std::vector<uint8_t>& datagram = sent[1 + page].Data;
        ASSERT_EQ(datagram.size(), WritePageRequestSize);
        EXPECT_TRUE(std::equal(f.State.WritePassword.begin(), f.State.WritePassword.end(),
                               datagram.begin() + 20));
        for (size_t i = 0; i < PageSize; ++i) {
            const size_t at = page * PageSize + i;
            ASSERT_EQ(datagram[30 + i], at < data.size() ? data[at] : 0)
                << "page " << page << " byte " << i;
        }
    }
}

TEST_F(WritePumpTest, APageSentAtTickZeroStillCountsAsInFlight) {
    // The tick count is 0 once in 49 days; a write sent then is as busy as any other: a new
    // write neither asks to abort it nor starts before the busy interval has passed.
    f.Clock.Now = 0;
    f.State.WriteQueue.push_back(Job({}, 0x700, 10));
    PumpWriteQueue(f.State);
    f.Clock.Now = WriteBusyIntervalMs / 2;
    EXPECT_FALSE(ConfirmAbortWrite(f.State));
    EXPECT_TRUE(f.Prompts.Boxes.empty());
    f.Clock.Now = WriteBusyIntervalMs;
    f.Prompts.Answers.push_back(MbResult::Yes);
    EXPECT_TRUE(ConfirmAbortWrite(f.State));
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion)});
}

TEST_F(WritePumpTest, StartOfWriteDropsTheQueueAndProbesUnderTheCallersLock) {
    f.State.WriteQueue.push_back(Job({0x07000003}, 0x700, 300));
    f.State.LastWriteSendTick = 1234;
    {
        // The save operation holds the lock from before it drops the queue to after the probe.
        std::lock_guard lock(f.State.WriteQueueLock);
        DropWriteQueue(f.State);
        EXPECT_TRUE(f.State.WriteQueue.empty());
        EXPECT_EQ(f.State.LastWriteSendTick, 0u);
        std::vector<WriteJob> jobs;
        jobs.push_back(Job({0x07000003}, 0x700, 256));
        jobs.push_back(Job({0x06110003}, 0x610, 20));
        QueueWriteJobs(f.State, std::move(jobs));
    }
    ASSERT_EQ(f.State.WriteQueue.size(), 2u);
    EXPECT_EQ(f.State.WriteQueue.front().BasePage, 0x700u);
    EXPECT_EQ(f.State.WriteQueue.back().BasePage, 0x610u);
    EXPECT_EQ(f.State.VinProbePending.load(), 1u);
    EXPECT_EQ(f.State.VinProbeTick, 100000u);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
    EXPECT_EQ(f.Socket.SentDatagrams[0].Address, "192.168.0.25");
}

/// Ticks the timer every 500 ms for `ticks` ticks; returns the tick numbers (1-based) on which a
/// keep-alive went out.
std::vector<int> KeepAliveTicks(DialogFixture& f, int ticks) {
    std::vector<int> sentOn;
    for (int t = 1; t <= ticks; ++t) {
        f.Clock.Advance(DialogTimerPeriodMs);
        const size_t before = f.Socket.SentDatagrams.size();
        OnDialogTimer(f.State, DialogTimerId);
        if (f.Socket.SentDatagrams.size() > before) {
            EXPECT_EQ(f.SentRequestWords().back(), FreezeWord);
            sentOn.push_back(t);
        }
    }
    return sentOn;
}

TEST_F(WritePumpTest, KeepAliveGoesToTheChosenAdapterEveryFiveSeconds) {
    EXPECT_EQ(KeepAliveTicks(f, 25), (std::vector<int>{1, 11, 21}));
    EXPECT_EQ(f.Socket.SentDatagrams.back().Address, "192.168.0.25");
    EXPECT_EQ(f.Socket.SentDatagrams.back().Data.size(), PlainRequestSize);
}

TEST_F(WritePumpTest, KeepAliveSkipsBroadcastAndEmptyDeviceTexts) {
    f.State.RequestTargets = {{"192.168.0.255", 22}};
    for (const std::u16string text : {u"192.168.0.255", u".255", u" 10.0.0.255 ", u""}) {
        f.Controls.SetWindowText(ctl::DeviceAddressCombo, text);
        f.State.LastFreezeTick = 0;
        EXPECT_TRUE(KeepAliveTicks(f, 12).empty()) << std::string(text.begin(), text.end());
    }
    // The check still counts as made: choosing an adapter waits for the next five seconds.
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, u"192.168.0.7:4000");
    f.State.LastFreezeTick = f.Clock.Now;
    EXPECT_EQ(KeepAliveTicks(f, 10), std::vector<int>{10});
    EXPECT_EQ(f.Socket.SentDatagrams.back().Port, 4000);
}

TEST_F(WritePumpTest, UnansweredProbeTimesOutAfterOneSecondAcrossTheTickWrap) {
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, u"");
    f.State.RequestTargets = {{"127.0.0.1", 22}};
    f.Clock.Now = 0xFFFFFF00;
    f.State.LastFreezeTick = f.Clock.Now;
    std::vector<WriteJob> jobs;
    jobs.push_back(Job({0x07000003}, 0x700, 256));
    QueueWriteJobs(f.State, std::move(jobs));

    // The box runs a nested event loop in which the timer keeps ticking.
    std::vector<uint32_t> pendingWhileShown;
    f.Prompts.DuringMessageBox = [&] {
        pendingWhileShown.push_back(f.State.VinProbePending.load());
        f.Clock.Advance(DialogTimerPeriodMs);
        OnDialogTimer(f.State, DialogTimerId);
    };

    f.Clock.Advance(999);
    OnDialogTimer(f.State, DialogTimerId);
    EXPECT_EQ(f.State.WriteQueue.size(), 1u);
    EXPECT_TRUE(f.Prompts.Boxes.empty());

    f.Clock.Advance(1); // 0xFFFFFF00 + 1000 wraps to 0x2E8
    OnDialogTimer(f.State, DialogTimerId);
    EXPECT_TRUE(f.Prompts.Boxes.empty()) << "the box opens only once the tick has returned";
    f.Window.RunPosted();
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);
    EXPECT_EQ(f.State.VinProbePending.load(), 0u);
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::DeviceNotResponding)});
    EXPECT_EQ(pendingWhileShown, std::vector<uint32_t>{0});
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
}

TEST_F(WritePumpTest, AnsweredProbeDoesNotTimeOut) {
    std::vector<WriteJob> jobs;
    jobs.push_back(Job({}, 0x700, 256));
    QueueWriteJobs(f.State, std::move(jobs));
    f.State.VinProbePending.exchange(0); // the probe's reply
    f.Clock.Advance(5000);
    OnDialogTimer(f.State, DialogTimerId);
    EXPECT_EQ(f.State.WriteQueue.size(), 1u);
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

TEST_F(WritePumpTest, AcknowledgementAwaitedFourSecondsEndsTheWrite) {
    // A lost erase or page acknowledgement, or an adapter that ignores a wrong password's erase,
    // must end in a report instead of a write that hangs for ever.
    struct Case {
        const char* name;
        WriteJob job;
        int acknowledged; ///< acknowledgements that come before the rest is lost
    };
    for (const Case& c : std::vector<Case>{{"erase", Job({0x07000003}, 0x700, 300), 0},
                                           {"page", Job({0x07000003}, 0x700, 300), 1}}) {
        SCOPED_TRACE(c.name);
        DialogFixture g;
        g.Clock.Now = 0xFFFFF000; // across the wrap of the tick count
        g.State.LastFreezeTick = g.Clock.Now;
        g.State.WriteQueue.push_back(c.job);
        g.State.WriteTarget = u"127.0.0.1";
        PumpWriteQueue(g.State);
        if (c.acknowledged > 0) {
            const std::vector<uint8_t> ack = ReplyDatagram(0x07000003);
            OnReceive(g.State, ack, "127.0.0.1", 22);
            g.Window.Advance(EraseSettleMs);
        }
        const uint32_t sentAt = g.Clock.Now;
        int boxes = 0;
        g.Prompts.DuringMessageBox = [&] {
            ++boxes;
            g.Clock.Advance(DialogTimerPeriodMs); // the nested loop keeps the timer ticking
            OnDialogTimer(g.State, DialogTimerId);
        };
        g.Clock.Now = sentAt + WriteReplyTimeoutMs - 1;
        OnDialogTimer(g.State, DialogTimerId);
        EXPECT_FALSE(g.State.WriteQueue.empty());
        EXPECT_TRUE(g.Prompts.Boxes.empty());

        g.Clock.Now = sentAt + WriteReplyTimeoutMs;
        OnDialogTimer(g.State, DialogTimerId);
        EXPECT_TRUE(g.Prompts.Boxes.empty()) << "the box opens only once the tick has returned";
        g.Window.RunPosted();
        EXPECT_TRUE(g.State.WriteQueue.empty());
        EXPECT_EQ(g.State.LastWriteSendTick, 0u);
        EXPECT_EQ(g.Prompts.Texts(), std::vector<std::u16string>{u"#110"});
        EXPECT_EQ(boxes, 1);

        // The acknowledgement that comes after all is ignored.
        const size_t sent = g.Socket.SentDatagrams.size();
        const std::vector<uint8_t> late =
            c.acknowledged > 0 ? ReplyDatagram(0x07000002, {1}) : ReplyDatagram(0x07000003);
        OnReceive(g.State, late, "127.0.0.1", 22);
        g.Window.Advance(EraseSettleMs);
        EXPECT_EQ(g.Socket.SentDatagrams.size(), sent);
        EXPECT_EQ(g.Prompts.Boxes.size(), 1u);
    }
}

} // namespace
