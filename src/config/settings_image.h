#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/selected_params.h"
#include "model/telemetry_descriptor.h"
#include "protocol/protocol.h"

/// Byte layout of the adapter's settings image: a 256-byte settings page (page 0), then
/// 8-byte parameter entries from offset 0x100, 32 to each further 256-byte page. All fields
/// little-endian; fields a writer does not fill are zero. Members are byte offsets.
struct SettingsImage {
    static constexpr size_t Signature = 0x00;
    static constexpr size_t WritePassword = 0x04;
    static constexpr size_t MacAddress = 0x0E;
    static constexpr size_t PolarizationControl = 0x16;
    static constexpr size_t RangeControl = 0x18;
    static constexpr size_t IpAddress = 0x1A;
    static constexpr size_t NetMask = 0x1E;
    static constexpr size_t Gateway = 0x22;
    static constexpr size_t DnsServer = 0x26;
    static constexpr size_t TelemetryType = 0x2A;
    static constexpr size_t DeviceTypeOffset = 0x2C;
    static constexpr size_t Code202EOffset = 0x2E;
    static constexpr size_t StartStopOffset = 0x30;
    static constexpr size_t PolarizationOffset = 0x32;
    static constexpr size_t RangeOffset = 0x34;
    static constexpr size_t ServerAddress = 0x36;
    static constexpr size_t ParamCount = 0xB6;
    static constexpr size_t NtpServer = 0xB8;
    static constexpr size_t ModelWord1 = 0xBC;
    static constexpr size_t ModelWord2 = 0xC0;
    static constexpr size_t Flags = 0xC4;
    static constexpr size_t Code502COffset = 0xC6;
    static constexpr size_t DescriptorLength = 0xC8;
    static constexpr size_t DescriptorRecordCount = 0xCA;
    static constexpr size_t DeviceName = 0xCC;
    static constexpr size_t Entries = 0x100; ///< first parameter entry

    static constexpr size_t PageSize = 256;
    static constexpr size_t EntrySize = 8;
    static constexpr size_t EntriesPerPage = PageSize / EntrySize;
    static constexpr size_t MacAddressSize = 6;
    static constexpr size_t ServerAddressSize = 128;
    static constexpr size_t DeviceNameSize = 32;

    /// The settings area from page 0x700 is one 64 KB erase block; an image must fit it.
    static constexpr size_t AreaBytes = 0x10000;
    static constexpr size_t MaxEntries = (AreaBytes - PageSize) / EntrySize; // 8160

    static constexpr uint32_t SignatureValue = 0x12129876;
    static constexpr uint16_t AbsentOffset = 0xFFFF; ///< frame offset of a code the frame lacks
};

using Ipv4Bytes = std::array<uint8_t, 4>; ///< dotted order: the first number first
using MacBytes = std::array<uint8_t, SettingsImage::MacAddressSize>;
using ServerAddressBytes = std::array<uint8_t, SettingsImage::ServerAddressSize>;
using DeviceNameBytes = std::array<uint8_t, SettingsImage::DeviceNameSize>;

/// The fields of page 0, as values. `Signature` is implied.
struct SettingsPage {
    WritePasswordBytes WritePassword{};
    MacBytes MacAddress{};
    uint16_t PolarizationControl = 0;
    uint16_t RangeControl = 0;
    Ipv4Bytes IpAddress{}; ///< all zero: obtain it by DHCP
    Ipv4Bytes NetMask{};
    Ipv4Bytes Gateway{};
    Ipv4Bytes DnsServer{};
    uint16_t TelemetryType = 0;
    uint16_t DeviceTypeOffset = 0;
    uint16_t Code202EOffset = 0;
    uint16_t StartStopOffset = 0;
    uint16_t PolarizationOffset = 0;
    uint16_t RangeOffset = 0;
    ServerAddressBytes ServerAddress{};
    uint16_t ParamCount = 0;
    Ipv4Bytes NtpServer{}; ///< all zero: automatic
    uint32_t ModelWord1 = 0;
    uint32_t ModelWord2 = 0;
    uint16_t Flags = 0;
    uint16_t Code502COffset = 0;
    uint16_t DescriptorLength = 0;
    uint16_t DescriptorRecordCount = 0;
    DeviceNameBytes DeviceName{};

    bool operator==(const SettingsPage&) const = default;
};

/// Page 0 bytes of `page`, with the signature.
std::array<uint8_t, SettingsImage::PageSize> EncodeSettingsPage(const SettingsPage& page);

/// Whether `page` is at least 4 bytes and begins with the signature 0x12129876.
bool HasSettingsSignature(std::span<const uint8_t> page);

/// Fields of a page 0; nullopt when shorter than 256 bytes or without the signature.
std::optional<SettingsPage> DecodeSettingsPage(std::span<const uint8_t> page);

// ---- WritePassword ----

/// The low byte of each of the first (at most) 10 UTF-16 units, zero-filled.
WritePasswordBytes EncodeWritePassword(std::u16string_view password);

/// Replaces the password field of an image (bytes 0x04 to 0x0D); images shorter than page 0
/// are left alone.
void ReplaceWritePassword(std::vector<uint8_t>& image, const WritePasswordBytes& password);

// ---- PolarizationControl and RangeControl ----

inline constexpr uint16_t ControlledBit = 0x8000; ///< bit 15: the adapter controls it

enum class PolarizationChoice { OutOfControl, On, Off };
enum class RangeChoice { OutOfControl, R1, R2, R3 };

/// 0, 0x8001, 0x8000.
uint16_t EncodePolarizationControl(PolarizationChoice choice);
/// Bit 15 clear: out of control; else bit 0 set: on, clear: off.
PolarizationChoice DecodePolarizationControl(uint16_t value);
/// 0, 0x8000, 0x8001, 0x8002.
uint16_t EncodeRangeControl(RangeChoice choice);
/// Bit 15 clear: out of control; else bits 0-1 = 0, 1, 2 give R1, R2, R3 and 3 out of control.
RangeChoice DecodeRangeControl(uint16_t value);

// ---- frame offsets ----

/// `ParamCodeFrameOffset` stored in 16 bits: 0xFFFF when the frame (or type) lacks the code.
uint16_t FrameOffset16(int32_t teleType, uint32_t code);

/// Offset of 0x502C0000; of 0x50040000 instead when the frame lacks 0x502C0000 or
/// `dinModeFlag` is set (whatever the firmware); 0xFFFF when the one taken is absent.
uint16_t SelectCode502COffset(int32_t teleType, bool dinModeFlag);

/// Fills the six frame-offset fields from `page.TelemetryType`. It makes no check: a missing
/// code is stored as 0xFFFF.
void EncodeFrameOffsets(SettingsPage& page, bool dinModeFlag);

// ---- ServerAddress (128 bytes at 0x36) ----

inline constexpr uint32_t ServerIpv4Mark = 0xAAAAAAAA;

/// IPv4 form of a.b.c.d: the mark, then d<<24 | c<<16 | b<<8 | a in 32 bits, then
/// "%u.%u.%u.%u" of the four numbers with a terminating zero. No range test on the numbers.
ServerAddressBytes EncodeServerIpv4(uint32_t a, uint32_t b, uint32_t c, uint32_t d);

/// Host-name form (firmware 0x200 or later): the name in the ANSI code page, cut at 128
/// bytes (no terminator when it fills the field).
ServerAddressBytes EncodeServerHostName(std::u16string_view name);

enum class LabelEncodeStatus {
    Ok,
    WrongCharacter, ///< a unit of 0x80 or more (checked before the length)
    TooLong,        ///< the sequence with its terminator is over 128 bytes
};

/// Label-sequence form (firmware older than 0x200): each '.'-separated label as a length byte
/// and its characters, then a zero byte; an empty label before a '.' writes a zero length byte,
/// an empty last label writes nothing. `out` is filled only when the result is Ok.
LabelEncodeStatus EncodeServerLabels(std::u16string_view name, ServerAddressBytes& out);

/// Server text as the adapter's field reads back: the IPv4 form when the first u32 is the
/// mark (the four bytes at 0x3A to 0x3D); else, with firmware 0x200 or later, the ANSI text up
/// to its first zero byte; else the label walk, each byte taken as the character of its value.
std::u16string DecodeServerAddress(const ServerAddressBytes& field, uint16_t firmwareVersion);

// ---- Flags (u16 at 0xC4) ----

/// `None` stands for both bits of a two-bit choice set, which no form choice writes.
enum class SyncMode { Off, Master, Slave, None };
enum class SendMode { SelectedParams, DataTele, SignalTele, None };
enum class GnssMode { NotUsed, GpsGlonass, GlonassOnly };

struct SettingsFlags {
    bool Pps = false;
    bool DateTime = false;
    SyncMode Sync = SyncMode::Off;
    SendMode Send = SendMode::SelectedParams;
    GnssMode Gnss = GnssMode::NotUsed;

    bool operator==(const SettingsFlags&) const = default;
};

/// Bit 2 PPS pulses, bit 3 date/time, bits 4-5 sync (0, 0x10, 0x20; 0x30 for None), bits 6-7
/// send mode (0, 0x40, 0x80; 0xC0 for None), bits 10-11 GNSS (0, 0x400, 0xC00); the other bits
/// are written 0.
uint16_t EncodeFlags(const SettingsFlags& flags);
/// The fields of EncodeFlags; bits of a field that no choice writes (bit 11 without bit 10) read
/// as its first choice, and the other bits are not read.
SettingsFlags DecodeFlags(uint16_t flags);

// ---- ModelWord1, ModelWord2, DeviceName ----

inline constexpr uint32_t ModelWord1Mark = 0xAA000000;
inline constexpr uint32_t DinModelWord1 = 0xAA01C200;
inline constexpr uint32_t DinModelWord2 = 0x00271000;

/// Digital-instrument mode: firmware 0x200 or later and `DinModeFlag` set.
bool IsDinMode(uint16_t firmwareVersion, bool dinModeFlag);

/// The device name field: the text in the ANSI code page, cut to 32 bytes, zero-padded.
DeviceNameBytes EncodeDeviceName(std::u16string_view name);
/// The field up to its first zero byte (or all 32 bytes), from the ANSI code page.
std::u16string DecodeDeviceName(const DeviceNameBytes& field);

/// Model words and device name for `page.TelemetryType`. Digital-instrument mode: 0xAA01C200,
/// 0x00271000 and `catalogKey` (the type's short key in the instrument catalogue; empty when
/// the catalogue lacks the type). Otherwise the first model of `models` whose TeleType equals
/// the type gives ModelWord1 | 0xAA000000 and ModelWord2 (both 0 without one), and the name
/// is zero.
void EncodeModelFields(SettingsPage& page, bool dinMode, const std::vector<DeviceModel>& models,
                       std::u16string_view catalogKey);

// ---- parameter entries ----

/// A base entry: a parameter code, its frame offset and its rate word.
struct ParamEntry {
    uint32_t Code = 0;
    uint16_t FrameOffset = 0; ///< 0xFFFF when the frame lacks the code
    uint16_t RateWord = 0;    ///< bits 0-14 send rate, bit 15 plot flag

    bool operator==(const ParamEntry&) const = default;
};

/// The entry behind a base entry that extends it into a run of evenly spaced codes.
struct ContinuationEntry {
    uint32_t Code = 0;        ///< 0xF037 in bits 16-31; see the Continuation* constants
    uint16_t FrameStride = 0; ///< offset(base + step) - offset(base), mod 65536
    uint16_t RateWord = 0;    ///< the base entry's

    bool operator==(const ContinuationEntry&) const = default;
};

inline constexpr uint32_t ContinuationMark = 0xF0370000; ///< bits 16-31
inline constexpr uint32_t ContinuationMarkMask = 0xFFFF0000;
inline constexpr uint32_t ContinuationAlwaysSet = 0x8000; ///< bit 15
inline constexpr uint32_t ContinuationPlot = 0x4000;      ///< bit 14
inline constexpr int ContinuationStepShift = 12;          ///< bits 12-13: step 256^e
inline constexpr uint32_t ContinuationStepMask = 0x3000;
inline constexpr uint32_t ContinuationCountMask = 0x0FFF; ///< bits 0-11
inline constexpr uint16_t RatePlotBit = 0x8000;
inline constexpr uint16_t RateMask = 0x7FFF;

/// Whether `code` has 0xF037 in bits 16-31.
constexpr bool IsContinuationCode(uint32_t code) {
    return (code & ContinuationMarkMask) == ContinuationMark;
}

/// Kinds 0 to 4 and 6: a two-byte value, whose continuation count field holds n (else 2n).
bool IsTwoByteKind(uint32_t code);

/// Largest run count one continuation entry carries for `baseCode`: 4095, or 2047.
uint16_t MaxRunCount(uint32_t baseCode);

/// rate (15 bits) | 0x8000 when the plot flag is not 0.
uint16_t EncodeRateWord(const ParamSetting& setting);
ParamSetting DecodeRateWord(uint16_t rateWord);

ParamEntry MakeParamEntry(uint32_t code, const ParamSetting& setting, int32_t teleType);

/// Continuation of a run of `count` (1 to MaxRunCount) extra codes `step` apart. A step other
/// than 1 or 0x100 gets selector 0.
ContinuationEntry MakeContinuationEntry(uint32_t baseCode, uint16_t count, uint16_t step,
                                        const ParamSetting& setting, int32_t teleType);

void EncodeEntry(const ParamEntry& entry, uint8_t* out);        ///< 8 bytes
void EncodeEntry(const ContinuationEntry& entry, uint8_t* out); ///< 8 bytes
/// Reads 8 bytes as a base entry (a continuation's stride lands in FrameOffset).
ParamEntry DecodeParamEntry(const uint8_t* in);

/// What a continuation code says about its run, read as the adapter's pages are read.
struct ContinuationKey {
    uint16_t count = 0; ///< bits 0-11 for a two-byte base, else bits 1-11
    uint16_t step = 0;  ///< 1 << (8 x bits 12-13) kept to 16 bits: 1, 0x100, 0, 0
    uint16_t plot = 0;  ///< bit 14
};
ContinuationKey DecodeContinuation(uint32_t baseCode, uint32_t continuationCode);

/// Entry bytes (8 x N) of `map` in key order. A key with count 0 is one base entry. A run of
/// step 1 or 0x100 is a base entry with its continuation, cut into consecutive runs of at
/// most MaxRunCount extra codes. A run of any other step is written as its single codes, one
/// base entry each (all its codes are one code when the step is 0).
std::vector<uint8_t> EncodeParamEntries(const SelectedParamMap& map, int32_t teleType);

/// Page 0 followed by the entries of `map`; `ParamCount` is set to the entry count (16 bits).
std::vector<uint8_t> EncodeSettingsImage(SettingsPage page, const SelectedParamMap& map,
                                         int32_t teleType);

/// State that reading parameter entries keeps from one entry (and page) to the next.
struct ParamEntryReadState {
    uint32_t LastBaseCode = 0; ///< 0 after page 0
    ParamSetting LastBaseSetting{};
    bool LastBaseExisted = false; ///< the last base's single key was in the map already
};

/// Takes one entry read from the adapter into `map`: a continuation entry (while a base has
/// been read) replaces the base's single key by the run's key, unless that single key stood in
/// the map before; any other entry is a base entry, inserted unless its single key is present.
/// The frame-offset check is the caller's.
void ReadParamEntry(ParamEntryReadState& state, const ParamEntry& entry, SelectedParamMap& map);

struct DecodedSettingsImage {
    SettingsPage Page;
    SelectedParamMap Params;
};

/// A whole image: page 0 and the first `ParamCount` entries that the bytes hold.
std::optional<DecodedSettingsImage> DecodeSettingsImage(std::span<const uint8_t> image);
