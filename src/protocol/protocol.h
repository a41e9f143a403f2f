#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol/request_codes.h"

// Wire format of the adapter protocol. Every multi-byte field is little-endian; a datagram's
// length is its UDP length (no length field, checksum or sequence number).

inline constexpr uint32_t MagicWordA = 0x7B7A8ACB; ///< request words 0 and 4, reply word 1
inline constexpr uint32_t MagicWordB = 0x84857534; ///< request words 1 and 3, reply word 0

inline constexpr uint16_t AdapterPort = 22;
inline constexpr size_t PageSize = 256;
inline constexpr size_t WritePasswordSize = 10;
inline constexpr size_t ReceiveBufferSize = 4096; ///< a longer datagram is a receive error

inline constexpr size_t RequestHeaderSize = 20;
inline constexpr size_t ReplyHeaderSize = 12;

// Request datagram sizes: header plus payload.
inline constexpr size_t PlainRequestSize = RequestHeaderSize;                     // 20
inline constexpr size_t EraseRequestSize = RequestHeaderSize + WritePasswordSize; // 30
inline constexpr size_t WriteVinPayloadSize = 16;
inline constexpr size_t WriteVinRequestSize = RequestHeaderSize + WriteVinPayloadSize; // 36
inline constexpr size_t WritePagePayloadSize = WritePasswordSize + PageSize;
inline constexpr size_t WritePageRequestSize = RequestHeaderSize + WritePagePayloadSize; // 286

// Reply datagram sizes the program accepts.
inline constexpr size_t ReadPageReplySize = ReplyHeaderSize + PageSize; // 268
inline constexpr size_t WritePageReplySize = ReplyHeaderSize + 1;       // 13
inline constexpr size_t EraseReplySize = ReplyHeaderSize;               // 12
inline constexpr size_t VinReplySizeShort = 16;                         // VIN only
inline constexpr size_t VinReplySizeVersion = 18;                       // + firmware version
inline constexpr size_t VinReplySizeFull = 20;                          // + capability flags
inline constexpr size_t WriteVinReplyPayloadSize = 20;
inline constexpr size_t WriteVinReplySize = ReplyHeaderSize + WriteVinReplyPayloadSize; // 32

// Capability bits of `DeviceFlags`.
inline constexpr uint16_t DeviceFlagNoPassword = 0x0001; ///< send ten zero bytes, ask nothing
inline constexpr uint16_t DeviceFlagDinMode = 0x0008;    ///< digital-instrument mode offered
inline constexpr uint16_t DeviceFlagGnss = 0x0040;       ///< GPS/GLONASS settings present

/// Firmware from this version on takes the newer settings-image forms and the descriptor write.
inline constexpr uint16_t FirmwareNewForms = 0x200;

using WritePasswordBytes = std::array<uint8_t, WritePasswordSize>;

/// The 20-byte header at the start of every request datagram.
struct RequestHeader {
    uint32_t Magic1 = MagicWordA;
    uint32_t Magic2 = MagicWordB;
    uint32_t RequestWord = 0;
    uint32_t Magic3 = MagicWordB;
    uint32_t Magic4 = MagicWordA;
};

/// The 12-byte header at the start of every reply datagram; `RequestWord` is the echo.
struct ReplyHeader {
    uint32_t Magic1 = MagicWordB;
    uint32_t Magic2 = MagicWordA;
    uint32_t RequestWord = 0;
};

/// code | argument << 16.
constexpr uint32_t MakeRequestWord(uint16_t code, uint16_t argument = 0) {
    return static_cast<uint32_t>(code) | (static_cast<uint32_t>(argument) << 16);
}
constexpr uint16_t RequestCode(uint32_t requestWord) {
    return static_cast<uint16_t>(requestWord & 0xFFFF);
}
constexpr uint16_t RequestArgument(uint32_t requestWord) {
    return static_cast<uint16_t>(requestWord >> 16);
}

/// Header bytes of a request with `requestWord`.
std::array<uint8_t, RequestHeaderSize> EncodeRequestHeader(uint32_t requestWord);

/// A whole request datagram: header followed by `length` payload bytes (`payload` may be null
/// when `length` is 0).
std::vector<uint8_t> BuildRequestDatagram(uint32_t requestWord, const uint8_t* payload,
                                          size_t length);

/// Payload of REQ_WRITE_EEPROM_DATA: the password, then 256 bytes taken from `pageBytes`
/// (shorter input is zero-filled, longer input is cut).
std::array<uint8_t, WritePagePayloadSize> WritePagePayload(const WritePasswordBytes& password,
                                                           std::span<const uint8_t> pageBytes);

/// Payload of REQ_WRITE_VIN: the VIN, then 12 zero bytes.
std::array<uint8_t, WriteVinPayloadSize> WriteVinPayload(uint32_t vin);

// Erase words (the argument of REQ_ERASE_EEPROM) of the four writers, and their request words.
inline constexpr uint16_t SettingsEraseWord = 0x0700;
inline constexpr uint16_t KeyEraseWord = 0x0601;
/// Descriptor area from page 0x610, `blocks` 4096-byte blocks (1 to 15).
constexpr uint16_t DescriptorEraseWord(uint32_t blocks) {
    return static_cast<uint16_t>(DescriptorBasePage + (blocks & 0xF));
}
/// Firmware, 64 KB block `k` (0-based).
constexpr uint16_t FirmwareEraseWord(uint32_t k) {
    return static_cast<uint16_t>(0x0100 * k);
}
constexpr uint32_t EraseRequestWord(uint16_t eraseWord) {
    return MakeRequestWord(REQ_ERASE_EEPROM, eraseWord);
}
/// First page named by an erase word (bits 4-15).
constexpr uint32_t EraseFirstPage(uint16_t eraseWord) {
    return eraseWord & 0xFFF0u;
}
/// Number of 4096-byte blocks named by an erase word (bits 0-3); 0 = a 64 KB area.
constexpr uint32_t EraseBlockCount(uint16_t eraseWord) {
    return eraseWord & 0x000Fu;
}

/// How far a datagram passed the reply check.
enum class ReplyStatus {
    NotReply,     ///< shorter than 12 bytes or a magic word wrong: nothing of it is used
    Undispatched, ///< a reply, but its code is unknown or its length not the one accepted
    Accepted,     ///< to be dispatched by its code
};

struct CheckedReply {
    ReplyStatus Status = ReplyStatus::NotReply;
    uint32_t RequestWord = 0;         ///< the echoed request word (0 for NotReply)
    std::span<const uint8_t> Payload; ///< the bytes behind the reply header
    uint16_t Code() const { return RequestCode(RequestWord); }
    uint16_t Argument() const { return RequestArgument(RequestWord); }
};

/// Whether a reply datagram of `length` bytes is the length accepted for request `code`.
bool ReplyLengthAccepted(uint16_t code, size_t length);

/// Checks a datagram in the protocol's order: length >= 12, word 0 = 0x84857534, word 1 =
/// 0x7B7A8ACB, then the length the code accepts. The payload views `datagram`.
CheckedReply CheckReply(std::span<const uint8_t> datagram);

/// Payload of the REQ_READ_VIN reply.
struct VinReply {
    uint32_t Vin = 0;             ///< 0: the adapter has no identification number yet
    uint16_t FirmwareVersion = 0; ///< major << 8 | minor; 0 when the reply is 16 bytes
    uint16_t DeviceFlags = 0;     ///< 0 unless the reply is 20 bytes
    bool HasVersion = false;      ///< 18- or 20-byte reply
    uint8_t Major() const { return static_cast<uint8_t>(FirmwareVersion >> 8); }
    uint8_t Minor() const { return static_cast<uint8_t>(FirmwareVersion & 0xFF); }
};

/// Decodes the payload of a REQ_READ_VIN reply of 4, 6 or 8 bytes; nullopt for other sizes.
std::optional<VinReply> DecodeVinReply(std::span<const uint8_t> payload);

/// Payload of the REQ_WRITE_VIN reply: five result words; all zero means written.
struct WriteVinReply {
    std::array<uint32_t, 5> Results{};
    bool AllZero() const;
};

/// Decodes a 20-byte REQ_WRITE_VIN reply payload; nullopt for other sizes.
std::optional<WriteVinReply> DecodeWriteVinReply(std::span<const uint8_t> payload);

// Little-endian access used by every wire and image format of the program.
uint16_t GetU16(const uint8_t* p);
uint32_t GetU32(const uint8_t* p);
void PutU16(uint8_t* p, uint16_t v);
void PutU32(uint8_t* p, uint32_t v);
