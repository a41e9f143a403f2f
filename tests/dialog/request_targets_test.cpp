#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog/request_targets.h"
#include "support/fake_platform.h"
#include "support/test_names.h"

namespace {

using Targets = std::vector<RequestTarget>;

struct SpecCase {
    std::u16string TargetText;
    std::optional<Targets> Expected; // nullopt: a bad target text
    friend void PrintTo(const SpecCase& c, std::ostream* os) {
        *os << std::string(c.TargetText.begin(), c.TargetText.end());
    }
};

class CommandLineTargets : public ::testing::TestWithParam<SpecCase> {};

TEST_P(CommandLineTargets, GiveTheTargetsInOrderOrReportABadTargetText) {
    const SpecCase& c = GetParam();
    const FakeNetworkInterfaces none;
    EXPECT_EQ(BuildRequestTargets(c.TargetText, none), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CommandLineTargets,
    ::testing::Values(
        SpecCase{u"10.0.0.5", Targets{{"10.0.0.5", 22}}},
        SpecCase{u"  10.0.0.5:22\t", Targets{{"10.0.0.5", 22}}},
        SpecCase{u"10.0.0.5:30-32", Targets{{"10.0.0.5", 30}, {"10.0.0.5", 31}, {"10.0.0.5", 32}}},
        SpecCase{u"10.0.0.1-3:40", Targets{{"10.0.0.1", 40}, {"10.0.0.2", 40}, {"10.0.0.3", 40}}},
        SpecCase{u"10.0.0.1-3:40-40",
                 Targets{{"10.0.0.1", 40}, {"10.0.0.2", 40}, {"10.0.0.3", 40}}},
        SpecCase{u"10.0.0.1-3", Targets{{"10.0.0.1", 22}, {"10.0.0.2", 22}, {"10.0.0.3", 22}}},
        SpecCase{u"10.0.0.7-7", Targets{{"10.0.0.7", 22}}},
        // e < d and a byte above 255 are no address range: the text is a host.
        SpecCase{u"10.0.0.3-1", Targets{{"10.0.0.3-1", 22}}},
        SpecCase{u"10.0.0.300-301", Targets{{"10.0.0.300-301", 22}}},
        SpecCase{u"adapter.lan:5000", Targets{{"adapter.lan", 5000}}},
        SpecCase{u"10.0.0.5:65534", Targets{{"10.0.0.5", 65534}}},
        SpecCase{u"10.0.0.1-3:40-41", std::nullopt}, SpecCase{u"10.0.0.5:0", std::nullopt},
        SpecCase{u"10.0.0.5:65535", std::nullopt}, SpecCase{u"10.0.0.5:5x", std::nullopt},
        SpecCase{u"10.0.0.5:7-5", std::nullopt}, SpecCase{u"10.0.0.5:1-2x", std::nullopt},
        SpecCase{u"10.0.0.5:", std::nullopt}, SpecCase{u"10.0.0.5:0-3", std::nullopt},
        SpecCase{u"10.0.0.5:1-65535", std::nullopt},
        // Numbers beyond 32 bits and signed numbers must not wrap round to a valid port.
        SpecCase{u"10.0.0.5:4294967318", std::nullopt},
        SpecCase{u"10.0.0.5:-4294967295", std::nullopt}),
    [](const auto& info) { return TestNameOf(info.index, info.param.TargetText); });

TEST(CommandLineTargets, FullPortRangeGivesEveryPortInOrder) {
    const FakeNetworkInterfaces none;
    const auto targets = BuildRequestTargets(u":1-65534", none);
    ASSERT_TRUE(targets.has_value());
    ASSERT_EQ(targets->size(), 65534u);
    EXPECT_EQ(targets->front(), (RequestTarget{"", 1}));
    EXPECT_EQ(targets->back(), (RequestTarget{"", 65534}));
}

TEST(BroadcastTargets, OnePerInterfaceWithAnAddressInThePlatformsOrder) {
    FakeNetworkInterfaces interfaces;
    interfaces.Interfaces = {
        {"lo", "127.0.0.1", "255.0.0.0", true},
        {"eth0", "192.168.1.20", "255.255.255.0", false},
        {"eth1", "0.0.0.0", "255.255.255.0", false},
        {"wlan0", "", "", false},
        {"eth2", "10.1.2.3", "255.255.0.0", false},
        {"tun0", "172.16.5.9", "no mask", false},
    };
    const Targets expected = {{"192.168.1.255", 22}, {"10.1.255.255", 22}, {"255.255.255.255", 22}};
    EXPECT_EQ(BroadcastTargets(interfaces), expected);
    // A command line of white space only counts as none.
    EXPECT_EQ(BuildRequestTargets(u" \t ", interfaces), std::optional<Targets>(expected));
    EXPECT_EQ(BuildRequestTargets(u"", FakeNetworkInterfaces{}), std::optional<Targets>(Targets{}));
}

} // namespace
