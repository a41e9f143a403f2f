#include "config/settings_image.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "model/param_code.h"
#include "text/ansi_text.h"

namespace {
using Page = std::array<uint8_t, SettingsImage::PageSize>;

void PutIpv4(uint8_t* p, const Ipv4Bytes& a) {
    std::copy(a.begin(), a.end(), p);
}

Ipv4Bytes GetIpv4(const uint8_t* p) {
    return {p[0], p[1], p[2], p[3]};
}

template <size_t N> void PutBytes(uint8_t* p, const std::array<uint8_t, N>& a) {
    std::copy(a.begin(), a.end(), p);
}

template <size_t N> std::array<uint8_t, N> GetBytes(const uint8_t* p) {
    std::array<uint8_t, N> a{};
    std::copy_n(p, N, a.begin());
    return a;
}

// Copies at most N bytes of `text`, zero-padding the rest.
template <size_t N> std::array<uint8_t, N> CutText(const std::string& text) {
    std::array<uint8_t, N> a{};
    std::copy_n(text.begin(), std::min(N, text.size()), a.begin());
    return a;
}

// The field up to its first zero byte, at most N bytes.
template <size_t N> std::string TextUpToZero(const std::array<uint8_t, N>& field) {
    const auto end = std::find(field.begin(), field.end(), 0);
    return std::string(field.begin(), end);
}

/// One field of the flags word: the member it stands for, the bits it takes and the value each
/// of the member's choices writes, in the order of its enum (false, true for a bool).
template <typename Choice, size_t N> struct FlagField {
    Choice SettingsFlags::*Member;
    uint16_t Bits;
    std::array<uint16_t, N> Values;

    uint16_t Write(const SettingsFlags& flags) const {
        return Values[static_cast<size_t>(flags.*Member)];
    }
    void Read(uint16_t word, SettingsFlags& flags) const {
        const auto it = std::find(Values.begin(), Values.end(), word & Bits);
        flags.*Member = it == Values.end() ? Choice{} : static_cast<Choice>(it - Values.begin());
    }
};

/// The field of `member` whose choices write `values`; its bits are those the values set.
template <typename Choice, typename... Value>
constexpr FlagField<Choice, sizeof...(Value)> Field(Choice SettingsFlags::*member,
                                                    Value... values) {
    return {member, static_cast<uint16_t>((values | ...)), {static_cast<uint16_t>(values)...}};
}

// The layout of the flags word, which encoding and decoding both read.
constexpr std::tuple FlagFields{
    Field(&SettingsFlags::Pps, 0, 0x0004),
    Field(&SettingsFlags::DateTime, 0, 0x0008),
    Field(&SettingsFlags::Sync, 0, 0x0010, 0x0020, 0x0030),
    Field(&SettingsFlags::Send, 0, 0x0040, 0x0080, 0x00C0),
    Field(&SettingsFlags::Gnss, 0, 0x0400, 0x0C00),
};
} // namespace

std::array<uint8_t, SettingsImage::PageSize> EncodeSettingsPage(const SettingsPage& s) {
    using I = SettingsImage;
    Page p{};
    PutU32(&p[I::Signature], I::SignatureValue);
    PutBytes(&p[I::WritePassword], s.WritePassword);
    PutBytes(&p[I::MacAddress], s.MacAddress);
    PutU16(&p[I::PolarizationControl], s.PolarizationControl);
    PutU16(&p[I::RangeControl], s.RangeControl);
    PutIpv4(&p[I::IpAddress], s.IpAddress);
    PutIpv4(&p[I::NetMask], s.NetMask);
    PutIpv4(&p[I::Gateway], s.Gateway);
    PutIpv4(&p[I::DnsServer], s.DnsServer);
    PutU16(&p[I::TelemetryType], s.TelemetryType);
    PutU16(&p[I::DeviceTypeOffset], s.DeviceTypeOffset);
    PutU16(&p[I::Code202EOffset], s.Code202EOffset);
    PutU16(&p[I::StartStopOffset], s.StartStopOffset);
    PutU16(&p[I::PolarizationOffset], s.PolarizationOffset);
    PutU16(&p[I::RangeOffset], s.RangeOffset);
    PutBytes(&p[I::ServerAddress], s.ServerAddress);
    PutU16(&p[I::ParamCount], s.ParamCount);
    PutIpv4(&p[I::NtpServer], s.NtpServer);
    PutU32(&p[I::ModelWord1], s.ModelWord1);
    PutU32(&p[I::ModelWord2], s.ModelWord2);
    PutU16(&p[I::Flags], s.Flags);
    PutU16(&p[I::Code502COffset], s.Code502COffset);
    PutU16(&p[I::DescriptorLength], s.DescriptorLength);
    PutU16(&p[I::DescriptorRecordCount], s.DescriptorRecordCount);
    PutBytes(&p[I::DeviceName], s.DeviceName);
    return p;
}

bool HasSettingsSignature(std::span<const uint8_t> page) {
    return page.size() >= 4 && GetU32(page.data()) == SettingsImage::SignatureValue;
}

std::optional<SettingsPage> DecodeSettingsPage(std::span<const uint8_t> page) {
    using I = SettingsImage;
    if (page.size() < I::PageSize || !HasSettingsSignature(page))
        return std::nullopt;
    const uint8_t* p = page.data();
    SettingsPage s;
    s.WritePassword = GetBytes<WritePasswordSize>(p + I::WritePassword);
    s.MacAddress = GetBytes<I::MacAddressSize>(p + I::MacAddress);
    s.PolarizationControl = GetU16(p + I::PolarizationControl);
    s.RangeControl = GetU16(p + I::RangeControl);
    s.IpAddress = GetIpv4(p + I::IpAddress);
    s.NetMask = GetIpv4(p + I::NetMask);
    s.Gateway = GetIpv4(p + I::Gateway);
    s.DnsServer = GetIpv4(p + I::DnsServer);
    s.TelemetryType = GetU16(p + I::TelemetryType);
    s.DeviceTypeOffset = GetU16(p + I::DeviceTypeOffset);
    s.Code202EOffset = GetU16(p + I::Code202EOffset);
    s.StartStopOffset = GetU16(p + I::StartStopOffset);
    s.PolarizationOffset = GetU16(p + I::PolarizationOffset);
    s.RangeOffset = GetU16(p + I::RangeOffset);
    s.ServerAddress = GetBytes<I::ServerAddressSize>(p + I::ServerAddress);
    s.ParamCount = GetU16(p + I::ParamCount);
    s.NtpServer = GetIpv4(p + I::NtpServer);
    s.ModelWord1 = GetU32(p + I::ModelWord1);
    s.ModelWord2 = GetU32(p + I::ModelWord2);
    s.Flags = GetU16(p + I::Flags);
    s.Code502COffset = GetU16(p + I::Code502COffset);
    s.DescriptorLength = GetU16(p + I::DescriptorLength);
    s.DescriptorRecordCount = GetU16(p + I::DescriptorRecordCount);
    s.DeviceName = GetBytes<I::DeviceNameSize>(p + I::DeviceName);
    return s;
}

WritePasswordBytes EncodeWritePassword(std::u16string_view password) {
    WritePasswordBytes out{};
    for (size_t i = 0; i < out.size() && i < password.size(); ++i)
        out[i] = static_cast<uint8_t>(password[i] & 0xFF);
    return out;
}

void ReplaceWritePassword(std::vector<uint8_t>& image, const WritePasswordBytes& password) {
    if (image.size() < SettingsImage::PageSize)
        return;
    PutBytes(&image[SettingsImage::WritePassword], password);
}

uint16_t EncodePolarizationControl(PolarizationChoice choice) {
    switch (choice) {
    case PolarizationChoice::On:
        return ControlledBit | 1;
    case PolarizationChoice::Off:
        return ControlledBit;
    default:
        return 0;
    }
}

PolarizationChoice DecodePolarizationControl(uint16_t value) {
    if ((value & ControlledBit) == 0)
        return PolarizationChoice::OutOfControl;
    return (value & 1) ? PolarizationChoice::On : PolarizationChoice::Off;
}

uint16_t EncodeRangeControl(RangeChoice choice) {
    switch (choice) {
    case RangeChoice::R1:
        return ControlledBit;
    case RangeChoice::R2:
        return ControlledBit | 1;
    case RangeChoice::R3:
        return ControlledBit | 2;
    default:
        return 0;
    }
}

RangeChoice DecodeRangeControl(uint16_t value) {
    if ((value & ControlledBit) == 0)
        return RangeChoice::OutOfControl;
    switch (value & 3) {
    case 0:
        return RangeChoice::R1;
    case 1:
        return RangeChoice::R2;
    case 2:
        return RangeChoice::R3;
    default:
        return RangeChoice::OutOfControl;
    }
}

uint16_t FrameOffset16(int32_t teleType, uint32_t code) {
    return static_cast<uint16_t>(ParamCodeFrameOffset(teleType, code));
}

uint16_t SelectCode502COffset(int32_t teleType, bool dinModeFlag) {
    const int32_t offset = ParamCodeFrameOffset(teleType, param_code::Code502C);
    if (offset < 0 || dinModeFlag)
        return FrameOffset16(teleType, param_code::Code5004);
    return static_cast<uint16_t>(offset);
}

void EncodeFrameOffsets(SettingsPage& page, bool dinModeFlag) {
    const int32_t type = page.TelemetryType;
    page.DeviceTypeOffset = FrameOffset16(type, param_code::DeviceTypeCode);
    page.Code202EOffset = FrameOffset16(type, param_code::Code202E);
    page.StartStopOffset = FrameOffset16(type, param_code::StartStopCode);
    page.PolarizationOffset = FrameOffset16(type, param_code::PolarizationCode);
    page.RangeOffset = FrameOffset16(type, param_code::RangeCode);
    page.Code502COffset = SelectCode502COffset(type, dinModeFlag);
}

ServerAddressBytes EncodeServerIpv4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    ServerAddressBytes f{};
    PutU32(&f[0], ServerIpv4Mark);
    PutU32(&f[4], (d << 24) | (c << 16) | (b << 8) | a);
    // Four 10-digit numbers, three dots and the zero fit in the 120 bytes behind.
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%u.%u.%u.%u", a, b, c, d);
    std::copy_n(text, n, &f[8]);
    return f;
}

ServerAddressBytes EncodeServerHostName(std::u16string_view name) {
    return CutText<SettingsImage::ServerAddressSize>(WideToAnsi(name));
}

LabelEncodeStatus EncodeServerLabels(std::u16string_view name, ServerAddressBytes& out) {
    if (std::any_of(name.begin(), name.end(), [](char16_t u) { return u >= 0x80; }))
        return LabelEncodeStatus::WrongCharacter;
    std::vector<uint8_t> seq;
    std::u16string_view rest = name;
    for (;;) {
        const size_t dot = rest.find(u'.');
        const std::u16string_view label = rest.substr(0, dot);
        // A label too long for its length byte cannot fit the field either.
        if (label.size() >= SettingsImage::ServerAddressSize)
            return LabelEncodeStatus::TooLong;
        if (dot != std::u16string_view::npos || !label.empty()) {
            seq.push_back(static_cast<uint8_t>(label.size()));
            for (char16_t u : label)
                seq.push_back(static_cast<uint8_t>(u));
        }
        if (dot == std::u16string_view::npos)
            break;
        rest = rest.substr(dot + 1);
        if (seq.size() >= SettingsImage::ServerAddressSize)
            return LabelEncodeStatus::TooLong;
    }
    seq.push_back(0);
    if (seq.size() > SettingsImage::ServerAddressSize)
        return LabelEncodeStatus::TooLong;
    out.fill(0);
    std::copy(seq.begin(), seq.end(), out.begin());
    return LabelEncodeStatus::Ok;
}

std::u16string DecodeServerAddress(const ServerAddressBytes& f, uint16_t firmwareVersion) {
    if (GetU32(&f[0]) == ServerIpv4Mark) {
        char text[24];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d", f[4], f[5], f[6], f[7]);
        return AnsiToWide(text);
    }
    if (firmwareVersion >= FirmwareNewForms)
        return AnsiToWide(TextUpToZero(f));
    std::u16string text;
    size_t p = 0;
    while (p < f.size() && f[p] != 0) {
        const size_t length = f[p];
        if (!text.empty())
            text.push_back(u'.');
        for (size_t i = p + 1; i <= p + length && i < f.size(); ++i)
            text.push_back(f[i]);
        p += 1 + length;
    }
    return text;
}

uint16_t EncodeFlags(const SettingsFlags& flags) {
    uint16_t word = 0;
    std::apply([&](const auto&... field) { ((word |= field.Write(flags)), ...); }, FlagFields);
    return word;
}

SettingsFlags DecodeFlags(uint16_t word) {
    SettingsFlags flags;
    std::apply([&](const auto&... field) { (field.Read(word, flags), ...); }, FlagFields);
    return flags;
}

bool IsDinMode(uint16_t firmwareVersion, bool dinModeFlag) {
    return firmwareVersion >= FirmwareNewForms && dinModeFlag;
}

DeviceNameBytes EncodeDeviceName(std::u16string_view name) {
    return CutText<SettingsImage::DeviceNameSize>(WideToAnsi(name));
}

std::u16string DecodeDeviceName(const DeviceNameBytes& field) {
    return AnsiToWide(TextUpToZero(field));
}

void EncodeModelFields(SettingsPage& page, bool dinMode, const std::vector<DeviceModel>& models,
                       std::u16string_view catalogKey) {
    if (dinMode) {
        page.ModelWord1 = DinModelWord1;
        page.ModelWord2 = DinModelWord2;
        page.DeviceName = EncodeDeviceName(catalogKey);
        return;
    }
    page.ModelWord1 = 0;
    page.ModelWord2 = 0;
    page.DeviceName = {};
    const auto it = std::find_if(models.begin(), models.end(), [&](const DeviceModel& m) {
        return m.TeleType == page.TelemetryType;
    });
    if (it != models.end()) {
        page.ModelWord1 = it->ModelWord1 | ModelWord1Mark;
        page.ModelWord2 = it->ModelWord2;
    }
}

bool IsTwoByteKind(uint32_t code) {
    // The kind alone decides: kind 15 sizes by group are never two-byte kinds here.
    return ParamCodeFrameSize(code & param_code::KindMask) == 2;
}

uint16_t MaxRunCount(uint32_t baseCode) {
    return IsTwoByteKind(baseCode) ? ContinuationCountMask : ContinuationCountMask / 2;
}

uint16_t EncodeRateWord(const ParamSetting& setting) {
    return static_cast<uint16_t>((setting.rate & RateMask) | (setting.plot ? RatePlotBit : 0));
}

ParamSetting DecodeRateWord(uint16_t rateWord) {
    return {static_cast<uint16_t>(rateWord & RateMask),
            static_cast<uint16_t>((rateWord & RatePlotBit) ? 1 : 0)};
}

ParamEntry MakeParamEntry(uint32_t code, const ParamSetting& setting, int32_t teleType) {
    return {code, FrameOffset16(teleType, code), EncodeRateWord(setting)};
}

ContinuationEntry MakeContinuationEntry(uint32_t baseCode, uint16_t count, uint16_t step,
                                        const ParamSetting& setting, int32_t teleType) {
    uint32_t word = ContinuationMark | ContinuationAlwaysSet;
    if (setting.plot)
        word |= ContinuationPlot;
    if (step == 0x100)
        word |= 1u << ContinuationStepShift;
    word |= (IsTwoByteKind(baseCode) ? count : 2u * count) & ContinuationCountMask;
    const int32_t base = ParamCodeFrameOffset(teleType, baseCode);
    const int32_t next = ParamCodeFrameOffset(teleType, baseCode + step);
    return {word, static_cast<uint16_t>(next - base), EncodeRateWord(setting)};
}

void EncodeEntry(const ParamEntry& entry, uint8_t* out) {
    PutU32(out, entry.Code);
    PutU16(out + 4, entry.FrameOffset);
    PutU16(out + 6, entry.RateWord);
}

void EncodeEntry(const ContinuationEntry& entry, uint8_t* out) {
    PutU32(out, entry.Code);
    PutU16(out + 4, entry.FrameStride);
    PutU16(out + 6, entry.RateWord);
}

ParamEntry DecodeParamEntry(const uint8_t* in) {
    return {GetU32(in), GetU16(in + 4), GetU16(in + 6)};
}

ContinuationKey DecodeContinuation(uint32_t baseCode, uint32_t code) {
    const uint32_t field = code & ContinuationCountMask;
    const uint32_t selector = (code & ContinuationStepMask) >> ContinuationStepShift;
    ContinuationKey k;
    k.count = static_cast<uint16_t>(IsTwoByteKind(baseCode) ? field : field >> 1);
    k.step = static_cast<uint16_t>(1u << (8 * selector));
    k.plot = (code & ContinuationPlot) ? 1 : 0;
    return k;
}

std::vector<uint8_t> EncodeParamEntries(const SelectedParamMap& map, int32_t teleType) {
    std::vector<uint8_t> out;
    auto append = [&out](const auto& entry) {
        out.resize(out.size() + SettingsImage::EntrySize);
        EncodeEntry(entry, &out[out.size() - SettingsImage::EntrySize]);
    };
    for (const auto& [key, setting] : map) {
        if (key.count == 0 || key.step == 0) {
            append(MakeParamEntry(key.code, setting, teleType));
            continue;
        }
        if (key.step != 1 && key.step != 0x100) {
            // No step selector carries this step: the adapter gets the codes one by one.
            for (uint32_t k = 0; k <= key.count; ++k)
                append(MakeParamEntry(ParamKeyElement(key, k), setting, teleType));
            continue;
        }
        // The count field has 12 bits: a longer run goes as consecutive runs that fit.
        uint32_t code = key.code;
        uint32_t remaining = key.count; // extra codes after `code`
        for (;;) {
            append(MakeParamEntry(code, setting, teleType));
            const uint32_t n = std::min<uint32_t>(remaining, MaxRunCount(code));
            if (n == 0)
                break;
            append(
                MakeContinuationEntry(code, static_cast<uint16_t>(n), key.step, setting, teleType));
            if (n == remaining)
                break;
            code += (n + 1) * key.step;
            remaining -= n + 1;
        }
    }
    return out;
}

std::vector<uint8_t> EncodeSettingsImage(SettingsPage page, const SelectedParamMap& map,
                                         int32_t teleType) {
    const std::vector<uint8_t> entries = EncodeParamEntries(map, teleType);
    page.ParamCount = static_cast<uint16_t>(entries.size() / SettingsImage::EntrySize);
    const auto head = EncodeSettingsPage(page);
    // Sized once and filled in place (see BuildRequestDatagram).
    std::vector<uint8_t> image(head.size() + entries.size());
    std::copy(head.begin(), head.end(), image.begin());
    std::copy(entries.begin(), entries.end(), image.begin() + head.size());
    return image;
}

void ReadParamEntry(ParamEntryReadState& state, const ParamEntry& entry, SelectedParamMap& map) {
    if (IsContinuationCode(entry.Code) && state.LastBaseCode != 0) {
        const ContinuationKey run = DecodeContinuation(state.LastBaseCode, entry.Code);
        ParamSetting setting = state.LastBaseSetting;
        setting.plot = run.plot;
        if (!state.LastBaseExisted)
            map.erase(ParamKey{state.LastBaseCode, 0, 0});
        map[ParamKey{state.LastBaseCode, run.count, run.step}] = setting;
        return;
    }
    const ParamSetting setting = DecodeRateWord(entry.RateWord);
    state.LastBaseSetting = setting;
    state.LastBaseCode = entry.Code;
    state.LastBaseExisted = !map.emplace(ParamKey{entry.Code, 0, 0}, setting).second;
}

std::optional<DecodedSettingsImage> DecodeSettingsImage(std::span<const uint8_t> image) {
    auto page = DecodeSettingsPage(image);
    if (!page)
        return std::nullopt;
    DecodedSettingsImage out{*page, {}};
    ParamEntryReadState state;
    const size_t available = (image.size() - SettingsImage::Entries) / SettingsImage::EntrySize;
    const size_t count = std::min<size_t>(page->ParamCount, available);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &image[SettingsImage::Entries + i * SettingsImage::EntrySize];
        ReadParamEntry(state, DecodeParamEntry(p), out.Params);
    }
    return out;
}
