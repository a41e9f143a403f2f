// libFuzzer entry: a command-line tail and a device-list text, both arbitrary. The tail becomes
// the request targets; a request then goes out through SendRequest into a fake socket (nothing
// reaches a network). Checked: every target has a port 1 to 65534, and the
// request leaves once to the device-list entry, or once to every target when the text is blank,
// each time as the whole request datagram.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "dialog/request_targets.h"
#include "dialog/send_request.h"
#include "text/wide_text.h"
#include "link_rig.h"
#include "platform/control_ids.h"

namespace {

/// Bit 0 of the first byte: the texts are UTF-16LE rather than one unit per byte.
constexpr uint8_t TextsWide = 0x01;
constexpr uint32_t HighestPort = 65534;

/// Text up to the next zero unit (consumed with it).
std::u16string NextText(ByteReader& in, bool wide) {
    std::u16string text;
    while (!in.Empty()) {
        const char16_t unit = wide ? in.U16() : in.U8();
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    const bool wide = (in.U8() & TextsWide) != 0;
    const std::u16string tail = NextText(in, wide);
    const std::u16string device = NextText(in, wide);
    const uint32_t word = in.U32();
    const std::vector<uint8_t> payload = in.Bytes(in.U16() % 300);

    FakeNetworkInterfaces interfaces;
    interfaces.Interfaces = {{"lo", "127.0.0.1", "255.0.0.0", true},
                             {"eth0", "192.0.2.10", "255.255.255.0", false}};
    const auto targets = BuildRequestTargets(tail, interfaces);
    if (targets) {
        if (targets->size() > HighestPort)
            FuzzFail("more targets than ports");
        for (const RequestTarget& t : *targets)
            if (t.Port < 1 || t.Port > static_cast<int>(HighestPort))
                FuzzFail("a target with a port outside 1 to 65534");
    }

    DialogFixture f;
    f.State.RequestTargets = targets.value_or(std::vector<RequestTarget>{{"127.0.0.255", 22}});
    f.Controls.SetWindowText(ctl::DeviceAddressCombo, device);
    SendRequest(f.State, word, payload.data(), static_cast<uint32_t>(payload.size()));
    const size_t expected =
        TrimWideSpace(device).empty() ? f.State.RequestTargets.size() : 1;
    if (f.Socket.SentDatagrams.size() != expected)
        FuzzFail("the request did not leave once to each destination");
    for (const FakeSocket::Sent& sent : f.Socket.SentDatagrams) {
        const std::vector<uint8_t>& d = sent.Data;
        if (d.size() != 20 + payload.size() || Le32(d, 0) != 0x7B7A8ACB ||
            Le32(d, 4) != 0x84857534 || Le32(d, 8) != word || Le32(d, 12) != 0x84857534 ||
            Le32(d, 16) != 0x7B7A8ACB || !std::equal(payload.begin(), payload.end(), d.begin() + 20))
            FuzzFail("the datagram sent is not the request");
    }
    return 0;
}
