#include "dialog/send_request.h"

#include <vector>

#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "text/wide_text.h"

std::u16string ChosenDevice(const DialogState& state) {
    return TrimWideSpace(state.Controls->GetWindowText(ctl::DeviceAddressCombo));
}

void SendRequest(DialogState& state, uint32_t requestWord, const uint8_t* payload,
                 uint32_t length) {
    SendRequestTo(state, ChosenDevice(state), requestWord, payload, length);
}

void SendRequestTo(DialogState& state, std::u16string device, uint32_t requestWord,
                   const uint8_t* payload, uint32_t length) {
    std::u16string text = TrimWideSpace(device);
    uint32_t port = AdapterPort;
    // A ':' at position 0 is no port separator: the text stays whole.
    if (const size_t colon = text.find(u':'); colon != std::u16string::npos && colon > 0) {
        std::vector<int64_t> fields;
        if (ScanWide(std::u16string_view(text).substr(colon + 1), "%u%c", fields) == 1) {
            port = static_cast<uint32_t>(fields[0]);
        }
        text.resize(colon);
    }

    IDatagramSocket* socket = state.LinkSocket;
    if (socket == nullptr) {
        return;
    }
    const std::vector<uint8_t> datagram = BuildRequestDatagram(requestWord, payload, length);
    if (text.empty()) {
        for (const RequestTarget& target : state.RequestTargets) {
            socket->SendTo(datagram.data(), datagram.size(), static_cast<uint16_t>(target.Port),
                           target.Address);
        }
        return;
    }
    // The port gets no range test; like the socket layer's host port, it is taken modulo 65536.
    socket->SendTo(datagram.data(), datagram.size(), static_cast<uint16_t>(port),
                   AddressText(text));
}
