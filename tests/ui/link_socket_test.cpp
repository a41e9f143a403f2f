#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "loopback_dialog.h"
#include "protocol/protocol.h"
#include "support/test_adapter.h"
#include "ui/link_socket.h"
#include "ui/network_interfaces.h"

namespace {

struct Received {
    std::vector<uint8_t> Data;
    std::string Address;
    uint16_t Port = 0;
};

TEST(LinkSocket, SendsToLoopbackAndHandsRepliesToTheHandler) {
    TestAdapter adapter;
    const uint16_t adapterPort = adapter.Start();
    CDbgInfoSocket socket;
    std::vector<Received> received;
    socket.SetReceiveHandler(
        [&](std::vector<uint8_t> datagram, const std::string& address, uint16_t port) {
            received.push_back({std::move(datagram), address, port});
        });
    ASSERT_TRUE(socket.Create());
    ASSERT_TRUE(socket.IsOpen());

    const std::vector<uint8_t> request =
        BuildRequestDatagram(MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    EXPECT_TRUE(socket.SendTo(request.data(), request.size(), adapterPort, "127.0.0.1"));

    ASSERT_TRUE(ServeUntil([&] { return !received.empty(); }, 5000));
    ASSERT_TRUE(adapter.WaitForReceived(1, 1000));
    EXPECT_EQ(adapter.Received()[0].bytes, request);
    EXPECT_EQ(adapter.Received()[0].port, socket.LocalPort());
    EXPECT_EQ(received[0].Address, "127.0.0.1");
    EXPECT_EQ(received[0].Port, adapterPort);
    EXPECT_EQ(received[0].Data.size(), VinReplySizeFull);
    adapter.Stop();
}

TEST(LinkSocket, HostNamesAreLookedUpAndFailuresAreReportedQuietly) {
    TestAdapter adapter;
    const uint16_t adapterPort = adapter.Start();
    CDbgInfoSocket socket;
    const std::vector<uint8_t> request =
        BuildRequestDatagram(MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    EXPECT_FALSE(socket.SendTo(request.data(), request.size(), adapterPort, "127.0.0.1"))
        << "not created yet";
    ASSERT_TRUE(socket.Create());

    EXPECT_TRUE(socket.SendTo(request.data(), request.size(), adapterPort, "localhost"));
    EXPECT_TRUE(adapter.WaitForReceived(1, 5000));
    EXPECT_FALSE(socket.SendTo(request.data(), request.size(), adapterPort, ""));
    EXPECT_FALSE(socket.SendTo(request.data(), request.size(), adapterPort, ":7"));
    EXPECT_FALSE(
        socket.SendTo(request.data(), request.size(), adapterPort, "no-such-host.invalid"));

    socket.Close();
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_FALSE(socket.SendTo(request.data(), request.size(), adapterPort, "127.0.0.1"));
    adapter.Stop();
}

TEST(NetworkInterfaces, ListsLoopbackAsSuchWithItsIpv4AddressAndMask) {
    bool sawLoopback = false;
    for (const NetworkInterface& item : QtNetworkInterfaces().List()) {
        if (item.Address == "127.0.0.1") {
            sawLoopback = true;
            EXPECT_TRUE(item.Loopback);
            EXPECT_EQ(item.Mask, "255.0.0.0");
        }
    }
    EXPECT_TRUE(sawLoopback);
}

} // namespace
