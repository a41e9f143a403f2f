#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "dialog/reply_handler.h"
#include "dialog/write_pump.h"
#include "dialog/password_vin.h"
#include "protocol/protocol.h"
#include "dialog/reply_handler.h"
#include "dialog/write_pump.h"
#include "model/instrument_type_catalog.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"
#include "support/reply_datagram.h"

namespace {

constexpr uint32_t ReadVinWord = 0x00000005;
constexpr uint32_t ReadPage0Word = 0x00000001;
constexpr uint32_t ResetWord = 0x00000004;

/// Payload of a REQ_READ_VIN reply of `length` datagram bytes (16, 18 or 20, or any other).
std::vector<uint8_t> VinPayload(uint32_t vin, size_t length, uint16_t version = 0x0205,
                                uint16_t flags = 0) {
    std::vector<uint8_t> p;
    AppendLe(p, vin);
    AppendLe(p, version, 2);
    AppendLe(p, flags, 2);
    p.resize(length - 12);
    return p;
}

class ReplyHandlerTest : public ::testing::Test {
protected:
    ReplyHandlerTest() {
        f.State.ParamList = &table;
        f.Controls.SetSorted(ctl::DeviceAddressCombo, true);
        f.State.RequestTargets = {{"127.0.0.255", 22}, {"127.1.255.255", 22}};
        f.Prompts.Strings[ids::WritingError] = u"Writing error.\nWrite completed incorrectly";
        f.Prompts.Strings[ids::WriteComplete] = u"Write complete. Device restarted";
        f.Prompts.Strings[ids::KeyWriteResult] =
            u"Result (must be all zero):\n%08X\n%08X\n%08X\n%08X\n%08X";
        f.State.WritePassword = {'p', 'w', 0, 0, 0, 0, 0, 0, 0, 0};
        f.State.WriteTarget = u"127.0.0.5"; // the adapter the tests' writes are made for
        f.Clock.Now = 5000;
    }

    void Receive(const std::vector<uint8_t>& datagram, const std::string& address = "127.0.0.5",
                 uint16_t port = 22) {
        OnReceive(f.State, datagram, address, port);
    }
    void ReceiveVin(uint32_t vin, size_t length = 20, uint16_t flags = 0,
                    const std::string& address = "127.0.0.5", uint16_t port = 22) {
        Receive(ReplyDatagram(ReadVinWord, VinPayload(vin, length, 0x0205, flags)), address, port);
    }
    void ChooseAdapter(const std::string& source) {
        AddDeviceAddress(f.State, source);
        ASSERT_EQ(f.Controls.GetWindowText(ctl::DeviceAddressCombo),
                  std::u16string(source.begin(), source.end()));
    }
    /// A write under way: `job` queued and its first request sent by the pump.
    void StartWrite(WriteJob job) {
        f.State.WriteQueue.push_back(std::move(job));
        PumpWriteQueue(f.State);
        f.Socket.SentDatagrams.clear();
    }
    static WriteJob Job(std::deque<uint32_t> erases, size_t size) {
        WriteJob job;
        job.PreRequests = std::move(erases);
        job.BasePage = 0x700;
        job.Data.assign(size, 0x5A);
        return job;
    }
    std::vector<std::string> Destinations() const {
        std::vector<std::string> out;
        for (const auto& sent : f.Socket.SentDatagrams) {
            out.push_back(sent.Address + ":" + std::to_string(sent.Port));
        }
        return out;
    }
    std::vector<std::u16string> DeviceList() {
        return f.Controls.At(ctl::DeviceAddressCombo).Entries;
    }

    DialogFixture f;
    FakeTableCtrl table;
};

TEST_F(ReplyHandlerTest, EmptyAndOversizedDatagramsAreDroppedAndTheSocketKeepsServing) {
    // From any host: one stray datagram must not silence the link for the rest of the run.
    for (size_t length : {size_t{0}, size_t{4097}, size_t{65507}}) {
        SCOPED_TRACE(length);
        std::vector<uint8_t> datagram = ReplyDatagram(ReadVinWord, VinPayload(1, 20));
        datagram.resize(length);
        Receive(datagram, "127.0.0.9", 5000);
        EXPECT_TRUE(f.Socket.Open);
        EXPECT_TRUE(f.Prompts.Boxes.empty());
        EXPECT_TRUE(f.State.KnownDeviceSet.empty());
    }
    ReceiveVin(1);
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{ReadPage0Word, ReadPage0Word}));
    // The largest datagram the buffer takes is still a reply.
    std::vector<uint8_t> longest = ReplyDatagram(0x00000063);
    longest.resize(4096);
    Receive(longest, "127.0.0.6");
    EXPECT_EQ(f.State.KnownDeviceSet.count("127.0.0.6"), 1u);
}

TEST_F(ReplyHandlerTest, DatagramsThatAreNoRepliesAreDroppedAndTheirSenderNotLearned) {
    std::vector<uint8_t> shortReply = ReplyDatagram(ReadVinWord);
    shortReply.pop_back();
    std::vector<uint8_t> wrongFirst = ReplyDatagram(ReadVinWord, VinPayload(1, 16));
    wrongFirst[0] ^= 1;
    std::vector<uint8_t> wrongSecond = ReplyDatagram(ReadVinWord, VinPayload(1, 16));
    wrongSecond[7] ^= 0x80;
    for (const auto& datagram : {shortReply, wrongFirst, wrongSecond}) {
        Receive(datagram);
    }
    EXPECT_TRUE(f.State.KnownDeviceSet.empty());
    EXPECT_TRUE(DeviceList().empty());
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Socket.Open);
}

TEST_F(ReplyHandlerTest, FirstReplyAsksEveryTargetThenItsSenderIsChosenAndOthersOnlyLearned) {
    ReceiveVin(0x1234ABCD);
    // The device list was empty when page 0 was asked for: every target got the request.
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{ReadPage0Word, ReadPage0Word}));
    EXPECT_EQ(Destinations(), (std::vector<std::string>{"127.0.0.255:22", "127.1.255.255:22"}));
    EXPECT_EQ(DeviceList(), std::vector<std::u16string>{u"127.0.0.5"});
    EXPECT_EQ(f.Controls.GetWindowText(ctl::DeviceAddressCombo), u"127.0.0.5");

    f.Socket.SentDatagrams.clear();
    f.Controls.SetWindowText(ctl::InfoEdit, u"kept");
    ReceiveVin(0x99, 20, 0, "127.0.0.3", 5000);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), u"kept");
    EXPECT_EQ(DeviceList(), (std::vector<std::u16string>{u"127.0.0.3:5000", u"127.0.0.5"}));
    EXPECT_EQ(f.Controls.GetWindowText(ctl::DeviceAddressCombo), u"127.0.0.5");

    ReceiveVin(0x1234ABCD);
    EXPECT_EQ(Destinations(), std::vector<std::string>{"127.0.0.5:22"});
    EXPECT_EQ(f.State.KnownDeviceSet.size(), 2u);
}

TEST_F(ReplyHandlerTest, IdentificationReplyShowsTheAdapterAndKeepsItsVersionAndFlags) {
    struct Case {
        size_t length;
        uint32_t vin;
        std::u16string line;
        uint16_t version, flags;
        bool assignVinShown;
    };
    ChooseAdapter("127.0.0.5");
    for (const Case& c : std::vector<Case>{
             {16, 0x1234ABCD, u"VIN: 1234ABCD", 0, 0, false},
             {18, 0x0000BEEF, u"VIN: 0000BEEF [ver2.05]", 0x0205, 0, false},
             {20, 0, u"VIN: 00000000 [ver2.05]", 0x0205, 0x0041, true},
         }) {
        SCOPED_TRACE(c.length);
        f.State.FirmwareVersion = 0x0999;
        f.State.DeviceFlags = 0xFFB7;
        f.Socket.SentDatagrams.clear();
        f.Controls.ShowWindow(ctl::AssignVinButton, !c.assignVinShown);
        ReceiveVin(c.vin, c.length, 0x0041);
        EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), c.line);
        EXPECT_EQ(f.State.FirmwareVersion, c.version);
        EXPECT_EQ(f.State.DeviceFlags, c.flags);
        EXPECT_EQ(f.Controls.IsWindowVisible(ctl::AssignVinButton), c.assignVinShown);
        EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadPage0Word});
    }
    for (size_t length : {17u, 19u, 21u}) {
        SCOPED_TRACE(length);
        f.Socket.SentDatagrams.clear();
        f.Controls.SetWindowText(ctl::InfoEdit, u"kept");
        ReceiveVin(1, length);
        EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), u"kept");
        EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    }
}

TEST_F(ReplyHandlerTest, ChangeOfTheDigitalInstrumentModeRefillsTheTypeList) {
    f.Controls.ComboAddString(ctl::TeleTypeCombo, u"marker");
    ReceiveVin(1, 20, 0x0000);
    EXPECT_EQ(f.Controls.ComboGetCount(ctl::TeleTypeCombo), 1) << "no change, no refill";

    ReceiveVin(1, 20, 0x0008);
    EXPECT_EQ(f.State.DinModeFlag, 1u);
    ASSERT_EQ(f.Controls.ComboGetCount(ctl::TeleTypeCombo),
              static_cast<int>(InstrumentTypeCatalog.size()));
    EXPECT_EQ(f.Controls.ComboGetLBText(ctl::TeleTypeCombo, 0),
              InstrumentTypeCatalog.begin()->second.description);

    ReceiveVin(1, 16);
    EXPECT_EQ(f.State.DinModeFlag, 0u);
    EXPECT_NE(f.Controls.ComboGetLBText(ctl::TeleTypeCombo, 0),
              InstrumentTypeCatalog.begin()->second.description);
}

TEST_F(ReplyHandlerTest, ProbeReplyOnlyStartsThePump) {
    ChooseAdapter("127.0.0.5");
    f.State.WriteQueue.push_back(Job({0x07000003}, 300));
    f.State.VinProbePending = 1;
    f.Controls.SetWindowText(ctl::InfoEdit, u"kept");
    ReceiveVin(0, 20, 0x0048);
    EXPECT_EQ(f.State.VinProbePending, 0u);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x07000003});
    EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), u"kept");
    EXPECT_EQ(f.State.FirmwareVersion, 0);
    EXPECT_EQ(f.State.DinModeFlag, 0u);
}

TEST_F(ReplyHandlerTest, PageAcknowledgementsDriveTheWriteToItsEnd) {
    ChooseAdapter("127.0.0.5");
    f.State.ConfigRead = 1;
    f.Controls.SetWindowText(ctl::MacText, u"00:1A:2B:3C:4D:5E");
    StartWrite(Job({}, 300)); // page 0x700 in flight

    Receive(ReplyDatagram(0x07000002, {1}));
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x07010002});
    EXPECT_TRUE(f.Prompts.Boxes.empty());

    f.Socket.SentDatagrams.clear();
    std::vector<uint32_t> sentWhileBoxOpen;
    f.Prompts.DuringMessageBox = [&] { sentWhileBoxOpen = f.SentRequestWords(); };
    Receive(ReplyDatagram(0x07010002, {1}));
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>{u"Write complete. Device restarted"});
    // The reset has left before the box, which may stay open for long.
    EXPECT_EQ(sentWhileBoxOpen, std::vector<uint32_t>{ResetWord});
    // Reset the adapter, then read its settings again.
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{ResetWord, ReadVinWord}));
    EXPECT_EQ(Destinations(), (std::vector<std::string>{"127.0.0.5:22", "127.0.0.5:22"}));
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);
    EXPECT_EQ(f.State.ConfigRead, 0u);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"");
}

TEST_F(ReplyHandlerTest, FailedPageEndsTheWholeWrite) {
    ChooseAdapter("127.0.0.5");
    StartWrite(Job({}, 300));
    f.State.WriteQueue.push_back(Job({0x06110003}, 10));
    Receive(ReplyDatagram(0x07000002, {0}));
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{u"Writing error.\nWrite completed incorrectly"});
}

TEST_F(ReplyHandlerTest, PageAcknowledgementNoWriteWaitsForIsOnlyLearned) {
    // With nothing written there is nothing to report complete, and no reason to restart the
    // adapter; nor may a stray acknowledgement send a page while the write's probe is pending.
    ChooseAdapter("127.0.0.5");
    for (uint8_t status : {1, 0}) {
        Receive(ReplyDatagram(0x07000002, {status}), "127.0.0.5");
    }
    f.State.WriteQueue.push_back(Job({0x07000003}, 300));
    f.State.VinProbePending = 1;
    Receive(ReplyDatagram(0x07000002, {1}));
    EXPECT_EQ(f.State.WriteQueue.size(), 1u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
    EXPECT_EQ(f.State.KnownDeviceSet.count("127.0.0.5"), 1u);
}

TEST_F(ReplyHandlerTest, PageAcknowledgementActsOnlyWhenItEchoesThePageAwaited) {
    // A repeated acknowledgement must not move the pump a page ahead (two pages in flight, and
    // a later lost page reported as written), nor may a foreign one end the write.
    ChooseAdapter("127.0.0.5");
    StartWrite(Job({}, 600)); // pages 0x700 to 0x702; 0x700 in flight
    Receive(ReplyDatagram(0x07000002, {1}));
    ASSERT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x07010002});
    f.Socket.SentDatagrams.clear();
    for (const auto& ignored : {ReplyDatagram(0x07000002, {1}), ReplyDatagram(0x07000002, {0}),
                                ReplyDatagram(0x07020002, {1}), ReplyDatagram(0x06100002, {0}),
                                ReplyDatagram(0x07010003)}) {
        Receive(ignored);
    }
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
    EXPECT_EQ(f.State.WriteQueue.front().PagesSent, 2u);

    Receive(ReplyDatagram(0x07010002, {1}));
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x07020002});
    // Status 0 of the awaited last page ends the write as a failure.
    Receive(ReplyDatagram(0x07020002, {0}));
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{u"Writing error.\nWrite completed incorrectly"});
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);
}

TEST_F(ReplyHandlerTest, EraseAcknowledgementSettlesWithoutBlockingThenThePumpGoesOn) {
    ChooseAdapter("127.0.0.5");
    // An erase acknowledgement with no write under way is ignored.
    Receive(ReplyDatagram(0x07000003));
    EXPECT_TRUE(f.Prompts.Boxes.empty());

    StartWrite(Job({0x07000003, 0x07100003}, 10));
    const uint32_t before = f.Clock.Now;
    Receive(ReplyDatagram(0x07100003), "127.0.0.5"); // not the erase awaited
    Receive(ReplyDatagram(0x07000003), "127.0.0.5");
    EXPECT_EQ(f.Clock.Now, before) << "the settle time must not block the handler";
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_EQ(f.State.WriteQueue.front().PreRequests, std::deque<uint32_t>{0x07100003});

    // A repeated acknowledgement during the settle time neither fails the write nor starts a
    // second request.
    Receive(ReplyDatagram(0x07000003), "127.0.0.5");
    f.Window.Advance(499);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    f.Window.Advance(1);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{0x07100003});
    Receive(ReplyDatagram(0x07000003), "127.0.0.5");
    Receive(ReplyDatagram(0x07100003), "127.0.0.5");
    f.Window.Advance(500);
    EXPECT_EQ(f.SentRequestWords(), (std::vector<uint32_t>{0x07100003, 0x07000002}));
    EXPECT_TRUE(f.Prompts.Boxes.empty());
    EXPECT_EQ(f.State.KnownDeviceSet, std::set<std::string>{"127.0.0.5"});
}

TEST_F(ReplyHandlerTest, NewWriteCancelsTheSettleTimeOfTheOldOne) {
    ChooseAdapter("127.0.0.5");
    StartWrite(Job({0x07000003}, 10));
    Receive(ReplyDatagram(0x07000003));
    {
        std::lock_guard lock(f.State.WriteQueueLock);
        DropWriteQueue(f.State);
        std::vector<WriteJob> jobs;
        jobs.push_back(Job({0x00000003}, 10));
        QueueWriteJobs(f.State, std::move(jobs));
    }
    f.Window.Advance(1000);
    // Only the new write's probe: no page of the old write, no request before the probe's reply.
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
    EXPECT_EQ(f.State.WriteQueue.front().PreRequests, std::deque<uint32_t>{0x00000003});
}

TEST_F(ReplyHandlerTest, WriteVinReplyOfThisRunsVinWriteRestartsTheAdapterThenShowsTheResult) {
    ChooseAdapter("127.0.0.5");
    std::vector<uint8_t> payload;
    for (uint32_t word : {0u, 1u, 0x20u, 0xABCDEF01u, 0xFFFFFFFFu}) {
        AppendLe(payload, word);
    }
    // No VIN write asked for this one: no restart, no all-zero "result".
    Receive(ReplyDatagram(0x00000006, std::vector<uint8_t>(20)));
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());

    f.Prompts.EditTextAnswers.push_back(u"1A2B");
    OnAssignVin(f.State);
    f.Socket.SentDatagrams.clear();
    std::vector<uint32_t> sentWhileBoxOpen;
    f.Prompts.DuringMessageBox = [&] { sentWhileBoxOpen = f.SentRequestWords(); };
    Receive(ReplyDatagram(0x00000006, payload));
    Receive(ReplyDatagram(0x00000006, payload)); // repeated
    EXPECT_EQ(sentWhileBoxOpen, std::vector<uint32_t>{ResetWord});
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ResetWord});
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{
                  u"Result (must be all zero):\n00000000\n00000001\n00000020\nABCDEF01\nFFFFFFFF"});
}

TEST_F(ReplyHandlerTest, RepliesOfOtherLengthsOrCodesOnlyTeachTheirSender) {
    ChooseAdapter("127.0.0.5");
    StartWrite(Job({0x07000003}, 10));
    const std::vector<std::vector<uint8_t>> replies = {
        ReplyDatagram(0x00000001, std::vector<uint8_t>(255, 0x76)),
        ReplyDatagram(0x00000001, std::vector<uint8_t>(257, 0x76)),
        ReplyDatagram(0x07000002, {1, 1}),
        ReplyDatagram(0x07000003, {0}),
        ReplyDatagram(0x00000006, std::vector<uint8_t>(19)),
        ReplyDatagram(ResetWord),
        ReplyDatagram(0x0000000D),
        ReplyDatagram(0x00000063, std::vector<uint8_t>(8)),
    };
    for (const auto& reply : replies) {
        Receive(reply);
    }
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
    EXPECT_EQ(f.State.WriteQueue.front().PreRequests, std::deque<uint32_t>{0x07000003});
    EXPECT_EQ(DeviceList(), std::vector<std::u16string>{u"127.0.0.5"});
}

TEST_F(ReplyHandlerTest, GetSettingsStartsOverAndAsksTheChosenAdapter) {
    ChooseAdapter("127.0.0.5:5000");
    f.Controls.SetWindowText(ctl::InfoEdit, u"VIN: 00000001");
    f.Controls.SetWindowText(ctl::MacText, u"00:1A:2B:3C:4D:5E");
    f.State.SelectedParamMap[ParamKey{0x51100000, 0, 0}] = ParamSetting{5, 0};
    f.State.ConfigImage.assign(256, 1);
    f.State.ConfigRead = 1;

    OnGetSettings(f.State);
    EXPECT_EQ(f.Controls.GetWindowText(ctl::InfoEdit), u"");
    EXPECT_EQ(f.Controls.GetWindowText(ctl::MacText), u"");
    EXPECT_EQ(f.State.SelectedParamMap.size(), 0u);
    EXPECT_TRUE(f.State.ConfigImage.empty());
    EXPECT_EQ(f.State.ConfigRead, 0u);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
    EXPECT_EQ(Destinations(), std::vector<std::string>{"127.0.0.5:5000"});
}

} // namespace
