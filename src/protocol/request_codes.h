#pragma once
#include <cstdint>

// Request codes of the adapter protocol: the low 16 bits of a request word. The high 16 bits
// (the argument) and the payload of each are given beside it; no other code is ever sent.

/// Argument: page index within the settings image (0 = settings page, k = k-th page of
/// parameter entries). No payload. Reply: exactly 268 bytes, the 256 page bytes.
inline constexpr uint16_t REQ_READ_EEPROM_DATA = 1;
/// Argument: absolute adapter page number. Payload: 10-byte write password + 256 page bytes.
/// Reply: exactly 13 bytes, one status byte (0 = not written).
inline constexpr uint16_t REQ_WRITE_EEPROM_DATA = 2;
/// Argument: erase word (first page in bits 4-15, block count in bits 0-3). Payload: the
/// 10-byte write password. Reply: exactly 12 bytes, the echoed request word identifies it.
inline constexpr uint16_t REQ_ERASE_EEPROM = 3;
/// Argument 0, no payload. The adapter restarts; a reply is never acted on.
inline constexpr uint16_t REQ_RESET_DEVICE = 4;
/// Argument 0, no payload. Reply: 16, 18 or 20 bytes (`VinReply`).
inline constexpr uint16_t REQ_READ_VIN = 5;
/// Argument 0. Payload: u32 VIN then 12 zero bytes. Reply: exactly 32 bytes (`WriteVinReply`).
inline constexpr uint16_t REQ_WRITE_VIN = 6;
/// Argument 0, no payload. A keep-alive; a reply is never acted on.
inline constexpr uint16_t REQ_FREEZE_DHCP = 13;

// Adapter memory areas, in 256-byte pages.
inline constexpr uint32_t SettingsBasePage = 0x700;   ///< settings image
inline constexpr uint32_t DescriptorBasePage = 0x610; ///< digital-instrument descriptor
inline constexpr uint32_t KeyBasePage = 0x600;        ///< encryption key (768 bytes)
inline constexpr uint32_t FirmwareBasePage = 0x000;   ///< firmware
inline constexpr uint32_t DescriptorMaxBlocks = 15;   ///< 4096-byte blocks from page 0x610
