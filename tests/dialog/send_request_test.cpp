#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "dialog/send_request.h"
#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "support/dialog_fixture.h"
#include "support/test_names.h"

namespace {

struct DeviceTextCase {
    std::u16string DeviceText;
    std::string Address;
    uint16_t Port;
    friend void PrintTo(const DeviceTextCase& c, std::ostream* os) {
        *os << std::string(c.DeviceText.begin(), c.DeviceText.end());
    }
};

class SendToChosenAdapter : public ::testing::TestWithParam<DeviceTextCase> {};

TEST_P(SendToChosenAdapter, SendsOneDatagramToTheDeviceText) {
    const DeviceTextCase& c = GetParam();
    DialogFixture f;
    f.State.RequestTargets = {{"192.168.1.255", 22}};
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, c.DeviceText);

    SendRequest(f.State, MakeRequestWord(REQ_READ_VIN), nullptr, 0);

    ASSERT_EQ(f.Socket.SentDatagrams.size(), 1u);
    EXPECT_EQ(f.Socket.SentDatagrams[0].Address, c.Address);
    EXPECT_EQ(f.Socket.SentDatagrams[0].Port, c.Port);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceTexts, SendToChosenAdapter,
    ::testing::Values(DeviceTextCase{u"192.168.1.20", "192.168.1.20", 22},
                      DeviceTextCase{u"192.168.1.20:5000", "192.168.1.20", 5000},
                      DeviceTextCase{u" 192.168.1.20\t", "192.168.1.20", 22},
                      // Only a plain number behind the ':' is a port; the text is cut anyway.
                      DeviceTextCase{u"10.0.0.5:x", "10.0.0.5", 22},
                      DeviceTextCase{u"10.0.0.5:80a", "10.0.0.5", 22},
                      // A ':' first is no separator: the whole text is the host.
                      DeviceTextCase{u":7", ":7", 22}),
    [](const auto& info) { return TestNameOf(info.index, info.param.DeviceText); });

TEST(SendRequest, FramesTheHeaderAndPayload) {
    DialogFixture f;
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, u"192.168.1.20");

    SendRequest(f.State, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    const std::array<uint8_t, 3> payload = {0xA1, 0xB2, 0xC3};
    SendRequest(f.State, MakeRequestWord(REQ_ERASE_EEPROM, SettingsEraseWord), payload.data(),
                payload.size());

    ASSERT_EQ(f.Socket.SentDatagrams.size(), 2u);
    const std::vector<uint8_t> readVin = {0xCB, 0x8A, 0x7A, 0x7B, 0x34, 0x75, 0x85,
                                          0x84, 0x05, 0x00, 0x00, 0x00, 0x34, 0x75,
                                          0x85, 0x84, 0xCB, 0x8A, 0x7A, 0x7B};
    EXPECT_EQ(f.Socket.SentDatagrams[0].Data, readVin);
    const std::vector<uint8_t>& erase = f.Socket.SentDatagrams[1].Data;
    ASSERT_EQ(erase.size(), 23u);
    EXPECT_EQ(GetU32(erase.data() + 8), 0x07000003u);
    EXPECT_EQ(std::vector<uint8_t>(erase.begin() + 20, erase.end()),
              std::vector<uint8_t>(payload.begin(), payload.end()));
}

TEST(SendRequest, WithoutAChosenAdapterGoesToEveryTargetInOrder) {
    DialogFixture f;
    f.State.RequestTargets = {{"192.168.1.255", 22}, {"10.0.0.255", 22}, {"127.0.0.1", 4000}};
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, u"  ");

    SendRequest(f.State, MakeRequestWord(REQ_READ_VIN), nullptr, 0);

    ASSERT_EQ(f.Socket.SentDatagrams.size(), 3u);
    EXPECT_EQ(f.Socket.SentDatagrams[0].Address, "192.168.1.255");
    EXPECT_EQ(f.Socket.SentDatagrams[1].Address, "10.0.0.255");
    EXPECT_EQ(f.Socket.SentDatagrams[2].Address, "127.0.0.1");
    EXPECT_EQ(f.Socket.SentDatagrams[2].Port, 4000);
}

TEST(SendRequest, FailuresAreSilent) {
    DialogFixture f;
    // No targets and no adapter: nothing to send to.
    SendRequest(f.State, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    // A closed socket loses the request without a message.
    f.State.RequestTargets = {{"127.0.0.1", 22}};
    f.Socket.Close();
    SendRequest(f.State, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

} // namespace
