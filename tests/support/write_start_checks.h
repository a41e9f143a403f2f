#pragma once
// Checks shared by the tests of the writers that start a queued write (header only: gtest is
// linked by the test programs, not by the support library).
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "protocol/write_job.h"
#include "model/telemetry_descriptor.h"
#include "support/dialog_fixture.h"

/// Chooses `device` in the device list, as the user does.
inline void SelectAdapter(DialogFixture& f, const std::u16string& device = u"127.0.0.1") {
    f.Controls.ComboResetContent(ctl::DeviceAddressCombo);
    f.Controls.ComboAddString(ctl::DeviceAddressCombo, device);
    f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
}

/// What an earlier write left in the queue, its probe answered and its last request sent long
/// enough ago that a new write is asked about.
inline void QueueEarlierWrite(DialogFixture& f) {
    WriteJob earlier;
    earlier.PreRequests.push_back(0x07000003);
    earlier.BasePage = 0x700;
    earlier.Data.assign(300, 0xAB);
    f.State.WriteQueue.push_back(earlier);
    f.State.LastWriteSendTick = 1;
    f.State.VinProbePending.exchange(0);
    f.Clock.Now = 50000;
}

/// The write started: `expected` alone in the queue with nothing of it sent, the pump's tick
/// reset, the probe stamped and pending, and REQ_READ_VIN the one request sent.
inline void ExpectWriteStarted(const DialogFixture& f, const WriteJob& expected) {
    ASSERT_EQ(f.State.WriteQueue.size(), 1u);
    const WriteJob& job = f.State.WriteQueue.front();
    EXPECT_EQ(job.PreRequests, expected.PreRequests);
    EXPECT_EQ(job.BasePage, expected.BasePage);
    EXPECT_EQ(job.Data, expected.Data);
    EXPECT_EQ(job.PagesSent, 0u);
    EXPECT_EQ(f.State.LastWriteSendTick, 0u);
    EXPECT_EQ(f.State.VinProbePending.load(), 1u);
    EXPECT_EQ(f.State.VinProbeTick, f.Clock.Now);
    EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{MakeRequestWord(REQ_READ_VIN)});
}

/// Nothing started: the earlier write is still queued as it was, no probe, nothing sent.
inline void ExpectEarlierWriteKept(const DialogFixture& f) {
    ASSERT_EQ(f.State.WriteQueue.size(), 1u);
    EXPECT_EQ(f.State.WriteQueue.front().BasePage, 0x700u);
    EXPECT_EQ(f.State.WriteQueue.front().Data.size(), 300u);
    EXPECT_EQ(f.State.LastWriteSendTick, 1u);
    EXPECT_EQ(f.State.VinProbePending.load(), 0u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
}

/// A telemetry type that a settings save accepts.
inline constexpr int32_t SavableType = 223;

/// Tests in which `SavableType` is described by `SavableDescriptor()`; the description tables
/// are restored after each.
class SavableTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = TelemetryDescriptorMap;
        TelemetryDescriptorMap[SavableType] = SavableDescriptor();
    }
    void TearDown() override { TelemetryDescriptorMap = saved_; }

private:
    std::decay_t<decltype(TelemetryDescriptorMap)> saved_;
};
