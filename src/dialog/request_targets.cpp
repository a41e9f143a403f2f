#include "dialog/request_targets.h"

#include <cstdint>
#include <cstdio>

#include "protocol/protocol.h"
#include "text/wide_text.h"

namespace {

constexpr int64_t HighestPort = 65534;
constexpr int64_t HighestAddressByte = 255;

struct PortSpec {
    int64_t First = AdapterPort;
    int64_t Last = AdapterPort;
};

/// Ports of the text behind the first ':'; nullopt when bad.
std::optional<PortSpec> ParsePorts(std::u16string_view text) {
    std::vector<int64_t> f;
    if (ScanWide(text, "%u-%u%c", f) == 2 && f[0] != 0 && f[1] <= HighestPort && f[0] <= f[1]) {
        return PortSpec{f[0], f[1]};
    }
    f.clear();
    if (ScanWide(text, "%u%c", f) == 1 && f[0] >= 1 && f[0] <= HighestPort) {
        return PortSpec{f[0], f[0]};
    }
    return std::nullopt;
}

std::string DottedText(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return text;
}

/// "%d.%d.%d.%d" of a dotted text, each number cut to 8 bits; 0 unless four numbers are read.
uint32_t ParseDotted(const std::string& text) {
    const std::u16string wide(text.begin(), text.end());
    std::vector<int64_t> f;
    if (ScanWide(wide, "%d.%d.%d.%d", f) != 4) {
        return 0;
    }
    uint32_t address = 0;
    for (int64_t byte : f) {
        address = (address << 8) | static_cast<uint32_t>(byte & 0xFF);
    }
    return address;
}

} // namespace

std::optional<std::vector<RequestTarget>> ParseTargetSpec(const std::u16string& targetText) {
    PortSpec ports;
    std::u16string_view address = targetText;
    if (const size_t colon = targetText.find(u':'); colon != std::u16string::npos) {
        const auto parsed = ParsePorts(std::u16string_view(targetText).substr(colon + 1));
        if (!parsed) {
            return std::nullopt;
        }
        ports = *parsed;
        address = address.substr(0, colon);
    }

    std::vector<RequestTarget> targets;
    std::vector<int64_t> f;
    if (ScanWide(address, "%u.%u.%u.%u-%u%c", f) == 5 && f[0] <= HighestAddressByte &&
        f[1] <= HighestAddressByte && f[2] <= HighestAddressByte && f[3] <= HighestAddressByte &&
        f[4] <= HighestAddressByte && f[4] >= f[3]) {
        if (ports.Last > ports.First) {
            return std::nullopt;
        }
        const uint32_t network = static_cast<uint32_t>(f[0] << 24 | f[1] << 16 | f[2] << 8);
        for (int64_t k = f[3]; k <= f[4]; ++k) {
            targets.push_back(
                {DottedText(network | static_cast<uint32_t>(k)), static_cast<int>(ports.First)});
        }
        return targets;
    }

    const std::string host = AddressText(address);
    for (int64_t port = ports.First; port <= ports.Last; ++port) {
        targets.push_back({host, static_cast<int>(port)});
    }
    return targets;
}

std::vector<RequestTarget> BroadcastTargets(const INetworkInterfaces& interfaces) {
    std::vector<RequestTarget> targets;
    for (const NetworkInterface& item : interfaces.List()) {
        // The adapter list of the platform the program was made for holds no loopback entry.
        if (item.Loopback) {
            continue;
        }
        const uint32_t address = ParseDotted(item.Address);
        if (address == 0) {
            continue;
        }
        const uint32_t mask = ParseDotted(item.Mask);
        targets.push_back({DottedText(address | ~mask), AdapterPort});
    }
    return targets;
}

std::optional<std::vector<RequestTarget>>
BuildRequestTargets(const std::u16string& commandTail, const INetworkInterfaces& interfaces) {
    const std::u16string targetText = TrimWideSpace(commandTail);
    if (targetText.empty()) {
        return BroadcastTargets(interfaces);
    }
    return ParseTargetSpec(targetText);
}
