#pragma once
#include <cstdint>

/// Bit layout of a 32-bit telemetry parameter code.
namespace param_code {
inline constexpr int KindShift = 28;           ///< bits 28-31: kind, fixes the frame size
inline constexpr uint32_t KindMask = 0xF0000000u;
inline constexpr uint32_t LowMask = 0x0FFFFFFFu; ///< everything but the kind
inline constexpr int GroupShift = 16;          ///< bits 16-27: group
inline constexpr uint32_t GroupMask = 0xFFFu;
inline constexpr int ClassShift = 24;          ///< bits 24-27: 1 or 2 for measured values
inline constexpr uint32_t ClassMask = 0xFu;
inline constexpr int FamilyShift = 20;         ///< bits 20-23: family 1 to 3
inline constexpr uint32_t FamilyMask = 0xFu;
inline constexpr int ChannelShift = 16;        ///< bits 16-19: channel 0 to 7
inline constexpr uint32_t ChannelMask = 0xFu;
inline constexpr int AverShift = 8;            ///< bits 8-15: averaging index
inline constexpr uint32_t AverMask = 0xFFu;
inline constexpr uint32_t BandMask = 0xFFu;    ///< bits 0-7: band index
inline constexpr int PackedAverShift = 12;     ///< packed: averaging in bits 12-15
inline constexpr uint32_t PackedAverMask = 0xFu;
inline constexpr uint32_t PackedBandMask = 0xFFFu; ///< packed: band in bits 0-11

/// How many averaging indexes a measured-value code can carry: 256, or 16 when the descriptor's
/// indexes are packed.
constexpr uint32_t AverIndexLimit(bool packed) {
    return (packed ? PackedAverMask : AverMask) + 1;
}
/// How many band indexes a measured-value code can carry: 256, or 4096 when packed.
constexpr uint32_t BandIndexLimit(bool packed) {
    return (packed ? PackedBandMask : BandMask) + 1;
}

inline constexpr uint32_t GroupLBands = 0x016;  ///< bits 0-7 count family-"L" bands
inline constexpr uint32_t GroupL = 0x017;       ///< family "L": channel bits 12-15, item bits 0-11
inline constexpr uint32_t GroupFreq1 = 0x01F;   ///< explicit-frequency codes
inline constexpr uint32_t GroupFreq2 = 0x020;
inline constexpr int FreqFamilyShift = 12;      ///< explicit-frequency codes: family bits 12-15
inline constexpr uint32_t FreqFamilyMask = 0xFu;
inline constexpr uint32_t FreqValueMask = 0xFFFu; ///< explicit-frequency codes: value bits 0-11
inline constexpr int LChannelShift = 12;
inline constexpr uint32_t LItemMask = 0xFFFu;
inline constexpr uint32_t LBandsPerAver = 6;    ///< family-"L" item index = band + 6 x averaging

inline constexpr uint32_t FreqMarkerAll = 0xFFF;
inline constexpr uint32_t FreqMarkerE = 0xFFE;
inline constexpr uint32_t FreqMarkerD = 0xFFD;

/// Kind 15 sizes go by group.
inline constexpr uint32_t Kind15 = 15;
inline constexpr uint32_t Kind15Group10Bytes = 0x003;
inline constexpr uint32_t Kind15Group66Bytes = 0x005;
inline constexpr uint32_t Kind15GroupCounted = 0x02F; ///< 2 + 2 x the count field
inline constexpr int Kind15CountShift = 8;             ///< counted group: count in bits 8-15
inline constexpr uint32_t Kind15CountMask = 0xFFu;

// Codes with fixed roles in the settings image and in saving.
inline constexpr uint32_t DeviceTypeCode = 0x201C0000u;
inline constexpr uint32_t Code202E = 0x202E0000u;
inline constexpr uint32_t StartStopCode = 0x40100000u;
inline constexpr uint32_t PolarizationCode = 0x40120000u;
inline constexpr uint32_t RangeCode = 0x20210000u;
inline constexpr uint32_t Code502C = 0x502C0000u;
inline constexpr uint32_t Code5004 = 0x50040000u;

inline constexpr uint32_t kind(uint32_t code) { return code >> KindShift; }
inline constexpr uint32_t group(uint32_t code) { return (code >> GroupShift) & GroupMask; }
} // namespace param_code
