#include "protocol/protocol.h"

#include <algorithm>

uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::array<uint8_t, RequestHeaderSize> EncodeRequestHeader(uint32_t requestWord) {
    const RequestHeader h{.RequestWord = requestWord};
    std::array<uint8_t, RequestHeaderSize> out{};
    PutU32(&out[0], h.Magic1);
    PutU32(&out[4], h.Magic2);
    PutU32(&out[8], h.RequestWord);
    PutU32(&out[12], h.Magic3);
    PutU32(&out[16], h.Magic4);
    return out;
}

std::vector<uint8_t> BuildRequestDatagram(uint32_t requestWord, const uint8_t* payload,
                                          size_t length) {
    const auto header = EncodeRequestHeader(requestWord);
    const size_t payloadLength = payload != nullptr ? length : 0;
    // Sized once and filled in place: growing a vector built from the header array trips a
    // false array-bounds warning of GCC 12 at -O2.
    std::vector<uint8_t> out(header.size() + payloadLength);
    std::copy(header.begin(), header.end(), out.begin());
    if (payloadLength > 0)
        std::copy_n(payload, payloadLength, out.begin() + header.size());
    return out;
}

std::array<uint8_t, WritePagePayloadSize> WritePagePayload(const WritePasswordBytes& password,
                                                           std::span<const uint8_t> pageBytes) {
    std::array<uint8_t, WritePagePayloadSize> out{};
    std::copy(password.begin(), password.end(), out.begin());
    const size_t n = std::min(pageBytes.size(), PageSize);
    std::copy_n(pageBytes.begin(), n, out.begin() + WritePasswordSize);
    return out;
}

std::array<uint8_t, WriteVinPayloadSize> WriteVinPayload(uint32_t vin) {
    std::array<uint8_t, WriteVinPayloadSize> out{};
    PutU32(out.data(), vin);
    return out;
}

bool ReplyLengthAccepted(uint16_t code, size_t length) {
    switch (code) {
    case REQ_READ_EEPROM_DATA:
        return length == ReadPageReplySize;
    case REQ_WRITE_EEPROM_DATA:
        return length == WritePageReplySize;
    case REQ_ERASE_EEPROM:
        return length == EraseReplySize;
    case REQ_READ_VIN:
        return length == VinReplySizeShort || length == VinReplySizeVersion ||
               length == VinReplySizeFull;
    case REQ_WRITE_VIN:
        return length == WriteVinReplySize;
    default:
        // REQ_RESET_DEVICE and REQ_FREEZE_DHCP replies are never acted on.
        return false;
    }
}

CheckedReply CheckReply(std::span<const uint8_t> datagram) {
    CheckedReply r;
    if (datagram.size() < ReplyHeaderSize)
        return r;
    const ReplyHeader expected;
    if (GetU32(&datagram[0]) != expected.Magic1 || GetU32(&datagram[4]) != expected.Magic2)
        return r;
    r.RequestWord = GetU32(&datagram[8]);
    r.Payload = datagram.subspan(ReplyHeaderSize);
    r.Status = ReplyLengthAccepted(RequestCode(r.RequestWord), datagram.size())
                   ? ReplyStatus::Accepted
                   : ReplyStatus::Undispatched;
    return r;
}

std::optional<VinReply> DecodeVinReply(std::span<const uint8_t> payload) {
    const size_t n = payload.size();
    if (n != 4 && n != 6 && n != 8)
        return std::nullopt;
    VinReply v;
    v.Vin = GetU32(&payload[0]);
    if (n >= 6) {
        v.HasVersion = true;
        v.FirmwareVersion = GetU16(&payload[4]);
    }
    if (n == 8)
        v.DeviceFlags = GetU16(&payload[6]);
    return v;
}

bool WriteVinReply::AllZero() const {
    return std::all_of(Results.begin(), Results.end(), [](uint32_t w) { return w == 0; });
}

std::optional<WriteVinReply> DecodeWriteVinReply(std::span<const uint8_t> payload) {
    if (payload.size() != WriteVinReplyPayloadSize)
        return std::nullopt;
    WriteVinReply r;
    for (size_t i = 0; i < r.Results.size(); ++i)
        r.Results[i] = GetU32(&payload[4 * i]);
    return r;
}
