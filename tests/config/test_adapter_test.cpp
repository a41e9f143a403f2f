#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "config/settings_image.h"
#include "protocol/protocol.h"
#include "protocol/write_job.h"
#include "support/test_adapter.h"

namespace {
const WritePasswordBytes Password = {'t', 'a', 'r', 'n', 'e', 'l'};

std::vector<uint8_t> Request(uint32_t word, std::span<const uint8_t> payload = {}) {
    return BuildRequestDatagram(word, payload.data(), payload.size());
}

// The one reply to `request`, checked with the program's reply check.
CheckedReply Exchange(TestAdapter& adapter, const std::vector<uint8_t>& request,
                      std::vector<uint8_t>& storage) {
    const auto replies = adapter.Receive(request);
    EXPECT_EQ(replies.size(), 1u);
    storage = replies.empty() ? std::vector<uint8_t>{} : replies.front();
    return CheckReply(storage);
}

// Drives `job` the way the write pump does, one acknowledged request at a time.
void RunJob(TestAdapter& adapter, WriteJob job, const WritePasswordBytes& password) {
    std::vector<uint8_t> reply;
    while (!job.PreRequests.empty()) {
        const uint32_t word = job.PreRequests.front();
        const CheckedReply r = Exchange(adapter, Request(word, password), reply);
        ASSERT_EQ(r.Status, ReplyStatus::Accepted);
        ASSERT_EQ(r.RequestWord, word);
        job.PreRequests.pop_front();
    }
    for (; !job.Finished(); ++job.PagesSent) {
        const auto payload = WritePagePayload(password, job.Page(job.PagesSent));
        const CheckedReply r =
            Exchange(adapter, Request(job.PageRequestWord(job.PagesSent), payload), reply);
        ASSERT_EQ(r.Status, ReplyStatus::Accepted);
        ASSERT_EQ(r.Payload[0], 1) << "page " << job.PagesSent;
    }
}

std::vector<uint8_t> SampleImage() {
    SettingsPage page;
    page.WritePassword = Password;
    page.TelemetryType = 7;
    page.ServerAddress = EncodeServerIpv4(10, 0, 0, 5);
    SelectedParamMap map;
    for (uint32_t i = 0; i < 40; ++i) // 40 entries: a partial second entry page
        map[{0x11100000 + i, 0, 0}] = {static_cast<uint16_t>(i + 1), 0};
    map[{0x21100000, 4, 1}] = {3, 1};
    return EncodeSettingsImage(page, map, 7);
}
} // namespace

TEST(TestAdapter, VinRepliesOfEachLength) {
    TestAdapter adapter;
    adapter.SetVin(0xA1B2C3D4);
    adapter.SetFirmwareVersion(0x0205);
    adapter.SetDeviceFlags(DeviceFlagDinMode | DeviceFlagGnss);
    struct Case {
        size_t length;
        uint16_t firmware, flags;
    };
    for (const Case c : {Case{16, 0, 0}, Case{18, 0x0205, 0}, Case{20, 0x0205, 0x48}}) {
        adapter.SetVinReplyLength(c.length);
        std::vector<uint8_t> reply;
        const CheckedReply r = Exchange(adapter, Request(MakeRequestWord(REQ_READ_VIN)), reply);
        ASSERT_EQ(reply.size(), c.length);
        ASSERT_EQ(r.Status, ReplyStatus::Accepted);
        const auto vin = DecodeVinReply(r.Payload);
        ASSERT_TRUE(vin);
        EXPECT_EQ(vin->Vin, 0xA1B2C3D4u);
        EXPECT_EQ(vin->FirmwareVersion, c.firmware);
        EXPECT_EQ(vin->DeviceFlags, c.flags);
    }
    EXPECT_THROW(adapter.SetVinReplyLength(17), std::invalid_argument);
}

TEST(TestAdapter, SettingsImageWrittenPageByPageReadsBack) {
    TestAdapter adapter;
    adapter.SetPassword(Password);
    adapter.LoadMemory(SettingsBasePage, std::vector<uint8_t>(4 * 256, 0x5A)); // stale bytes
    const std::vector<uint8_t> image = SampleImage();
    ASSERT_EQ(image.size(), 256u + 42 * 8);

    WriteJob job;
    job.PreRequests.push_back(EraseRequestWord(SettingsEraseWord));
    job.BasePage = SettingsBasePage;
    job.Data = image;
    RunJob(adapter, job, Password);

    EXPECT_EQ(adapter.Memory(SettingsBasePage, image.size()), image);
    // The last page was zero-filled by the job, the next one erased.
    const auto tail = adapter.Memory(SettingsBasePage + 2, 512);
    EXPECT_TRUE(std::all_of(tail.begin() + (image.size() - 512), tail.begin() + 256,
                            [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(tail.begin() + 256, tail.end(), [](uint8_t b) { return b == 0xFF; }));

    // Read index k is page 0x700 + k.
    std::vector<uint8_t> readBack, reply;
    for (uint16_t k = 0; k < 3; ++k) {
        const CheckedReply r =
            Exchange(adapter, Request(MakeRequestWord(REQ_READ_EEPROM_DATA, k)), reply);
        ASSERT_EQ(r.Status, ReplyStatus::Accepted);
        EXPECT_EQ(r.Argument(), k);
        readBack.insert(readBack.end(), r.Payload.begin(), r.Payload.end());
    }
    readBack.resize(image.size());
    EXPECT_EQ(readBack, image);
    EXPECT_EQ(DecodeSettingsImage(readBack)->Params, DecodeSettingsImage(image)->Params);
}

TEST(TestAdapter, WrongPasswordWritesNothing) {
    TestAdapter adapter;
    adapter.SetPasswordText("right");
    const auto before = adapter.Memory(0x600, 4096);
    std::vector<uint8_t> reply;

    const WritePasswordBytes wrong = EncodeWritePassword(u"wrong");
    CheckedReply r = Exchange(adapter, Request(EraseRequestWord(KeyEraseWord), wrong), reply);
    EXPECT_EQ(r.Status, ReplyStatus::Accepted); // acknowledged all the same
    EXPECT_EQ(r.RequestWord, 0x06010003u);
    const std::vector<uint8_t> data(256, 0x42);
    r = Exchange(adapter, Request(0x06000002, WritePagePayload(wrong, data)), reply);
    ASSERT_EQ(r.Status, ReplyStatus::Accepted);
    EXPECT_EQ(r.Payload[0], 0);
    EXPECT_EQ(adapter.Memory(0x600, 4096), before);

    const WritePasswordBytes right = EncodeWritePassword(u"right");
    r = Exchange(adapter, Request(0x06000002, WritePagePayload(right, data)), reply);
    EXPECT_EQ(r.Payload[0], 1);
    EXPECT_EQ(adapter.Memory(0x600, 256), data);
    // A page write whose payload is not 266 bytes is refused.
    r = Exchange(adapter, Request(0x06010002, right), reply);
    EXPECT_EQ(r.Payload[0], 0);
}

TEST(TestAdapter, EraseWordsNameTheirArea) {
    TestAdapter adapter;
    const std::vector<uint8_t> zeros(0x800 * 256, 0);
    std::vector<uint8_t> reply;
    struct Case {
        uint16_t eraseWord;
        uint32_t firstPage, pages;
    };
    for (const Case c :
         {Case{DescriptorEraseWord(3), 0x610, 48}, Case{KeyEraseWord, 0x600, 16},
          Case{SettingsEraseWord, 0x700, 256}, Case{FirmwareEraseWord(1), 0x100, 256}}) {
        adapter.LoadMemory(0, zeros);
        Exchange(adapter, Request(EraseRequestWord(c.eraseWord), WritePasswordBytes{}), reply);
        const auto mem = adapter.Memory(0, zeros.size());
        for (uint32_t p = 0; p < 0x800; ++p) {
            const bool erased = p >= c.firstPage && p < c.firstPage + c.pages;
            ASSERT_EQ(mem[p * 256], erased ? 0xFF : 0) << std::hex << c.eraseWord << " " << p;
        }
    }
}

TEST(TestAdapter, WriteVinResetAndFreeze) {
    TestAdapter adapter;
    adapter.SetWriteVinResult({0, 0, 0, 0, 7});
    std::vector<uint8_t> reply;
    const CheckedReply r =
        Exchange(adapter, Request(MakeRequestWord(REQ_WRITE_VIN), WriteVinPayload(0xCAFE)), reply);
    ASSERT_EQ(r.Status, ReplyStatus::Accepted);
    EXPECT_EQ(DecodeWriteVinReply(r.Payload)->Results[4], 7u);
    EXPECT_EQ(adapter.Vin(), 0xCAFEu);

    EXPECT_TRUE(adapter.Receive(Request(MakeRequestWord(REQ_RESET_DEVICE))).empty());
    EXPECT_TRUE(adapter.Receive(Request(MakeRequestWord(REQ_FREEZE_DHCP))).empty());
    EXPECT_TRUE(adapter.Receive(Request(MakeRequestWord(99))).empty());
    auto bad = Request(MakeRequestWord(REQ_READ_VIN));
    bad[19] ^= 1;
    EXPECT_TRUE(adapter.Receive(bad).empty());
    // Past the end of memory a page read gets no reply.
    EXPECT_TRUE(adapter.Receive(Request(MakeRequestWord(REQ_READ_EEPROM_DATA, 0x100))).empty());
    EXPECT_EQ(adapter.ResetCount(), 1u);
    EXPECT_EQ(adapter.ReceivedCount(), 6u);
    EXPECT_EQ(adapter.Received()[1].bytes, Request(MakeRequestWord(REQ_RESET_DEVICE)));
}

TEST(TestAdapter, FaultSwitches) {
    TestAdapter adapter;
    const auto vin = Request(MakeRequestWord(REQ_READ_VIN));

    adapter.DropReply(2);
    EXPECT_EQ(adapter.Receive(vin).size(), 1u);
    EXPECT_TRUE(adapter.Receive(vin).empty());
    EXPECT_EQ(adapter.Receive(vin).size(), 1u);

    adapter.SetReplyDelay(500);
    EXPECT_TRUE(adapter.Receive(vin).empty());
    EXPECT_TRUE(adapter.AdvanceClock(499).empty());
    EXPECT_EQ(adapter.AdvanceClock(1).size(), 1u);
    adapter.SetReplyDelay(0);

    adapter.SetWrongEcho(true);
    std::vector<uint8_t> reply;
    CheckedReply r = Exchange(
        adapter, Request(EraseRequestWord(SettingsEraseWord), WritePasswordBytes{}), reply);
    EXPECT_EQ(r.RequestWord, 0x07010003u);
    adapter.SetWrongEcho(false);

    adapter.SetStatusZero(true);
    r = Exchange(adapter, Request(0x07000002, WritePagePayload({}, {})), reply);
    EXPECT_EQ(r.Payload[0], 0);
    adapter.SetStatusZero(false);

    adapter.SetSilent(true);
    EXPECT_TRUE(adapter.Receive(vin).empty());
    EXPECT_EQ(adapter.ReceivedCount(), 7u); // still recorded
}

TEST(TestAdapter, ServesUdpOnLoopback) {
    TestAdapter adapter;
    EXPECT_THROW(adapter.Start(22), std::invalid_argument);
    const uint16_t port = adapter.Start();
    ASSERT_NE(port, 0);
    ASSERT_NE(port, 22);

    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto request = Request(MakeRequestWord(REQ_READ_VIN));
    ASSERT_EQ(
        ::sendto(s, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(request.size()));
    pollfd pfd{s, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    std::vector<uint8_t> reply(ReceiveBufferSize);
    const ssize_t n = ::recv(s, reply.data(), reply.size(), 0);
    ::close(s);
    ASSERT_EQ(n, 20);
    reply.resize(static_cast<size_t>(n));
    const CheckedReply r = CheckReply(reply);
    EXPECT_EQ(r.Status, ReplyStatus::Accepted);
    EXPECT_EQ(DecodeVinReply(r.Payload)->Vin, adapter.Vin());

    ASSERT_TRUE(adapter.WaitForReceived(1, 5000));
    const auto got = adapter.Received();
    EXPECT_EQ(got[0].bytes, request);
    EXPECT_EQ(got[0].address, "127.0.0.1");
    adapter.Stop();
    adapter.Stop(); // idempotent
}
