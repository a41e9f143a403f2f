#include "dialog/save_settings.h"

#include <algorithm>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "config/din_descriptor.h"
#include "config/settings_image.h"
#include "dialog/form_radio_groups.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "model/device_param_layout.h"
#include "model/instrument_type_catalog.h"
#include "model/param_code.h"
#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "protocol/request_codes.h"
#include "protocol/write_job.h"
#include "text/ansi_text.h"
#include "text/wide_text.h"

namespace {

/// No check failed.
constexpr int Passed = 0;

/// Position of the first checked radio of `group`; -1 when none is checked.
int FirstChecked(const IDialogControls& controls, std::span<const int> group) {
    const auto it = std::find_if(group.begin(), group.end(),
                                 [&](int id) { return controls.GetCheck(id) != 0; });
    return it == group.end() ? -1 : static_cast<int>(it - group.begin());
}

/// The choice of a group whose first radio stands for "none of the others": that radio is not
/// read, and the choice is the first checked of the others, else the first.
template <typename Choice>
Choice ChoiceOrFirst(const IDialogControls& controls, std::span<const int> group) {
    return static_cast<Choice>(FirstChecked(controls, group.subspan(1)) + 1);
}

/// An address control as the checks see it.
struct AddressField {
    Ipv4Bytes Bytes{};
    bool Complete = false; ///< all four fields filled
    bool Usable() const { return Complete && Bytes != Ipv4Bytes{}; }
};

AddressField ReadAddress(const IDialogControls& controls, int id) {
    uint32_t value = 0;
    const int filled = controls.GetAddress(id, value);
    AddressField field;
    field.Bytes = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                   static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    field.Complete = filled == 4;
    return field;
}

/// Six hexadecimal numbers separated by ':' or '-'; what follows the sixth is not read.
bool ParseMacText(std::u16string text, MacBytes& mac) {
    std::replace(text.begin(), text.end(), u'-', u':');
    std::vector<int64_t> numbers;
    if (ScanWide(text, "%x:%x:%x:%x:%x:%x", numbers) != static_cast<int>(mac.size()))
        return false;
    // A number above 0xFF is no MAC byte: cut to its low 8 bits it would give the adapter
    // another address than the one shown.
    if (std::any_of(numbers.begin(), numbers.end(), [](int64_t v) { return v > 0xFF; }))
        return false;
    for (size_t i = 0; i < mac.size(); ++i)
        mac[i] = static_cast<uint8_t>(numbers[i]);
    return true;
}

/// The server field from the trimmed server text: zero when empty, the IPv4 form for four dotted
/// numbers and nothing after them, else a host name (which must contain a '.'), in the form the
/// firmware reads.
int EncodeServerText(const std::u16string& text, uint16_t firmwareVersion,
                     ServerAddressBytes& field) {
    field.fill(0);
    if (text.empty())
        return Passed;
    std::vector<int64_t> n;
    // "%c" converts whatever follows the fourth number, so four conversions mean nothing does.
    if (ScanWide(text, "%u.%u.%u.%u%c", n) == 4) {
        // A number above 255 names no address byte; written as it stands the adapter would
        // reach another host than the one shown.
        if (std::any_of(n.begin(), n.end(), [](int64_t v) { return v > 0xFF; }))
            return ids::WrongServerAddress;
        field = EncodeServerIpv4(static_cast<uint32_t>(n[0]), static_cast<uint32_t>(n[1]),
                                 static_cast<uint32_t>(n[2]), static_cast<uint32_t>(n[3]));
        return Passed;
    }
    if (text.find(u'.') == std::u16string::npos)
        return ids::WrongServerAddress;
    if (firmwareVersion >= FirmwareNewForms) {
        // A character the code page lacks would be written as '?', naming another host.
        if (!IsAnsiText(text))
            return ids::WrongServerCharacter;
        field = EncodeServerHostName(text);
        return Passed;
    }
    switch (EncodeServerLabels(text, field)) {
    case LabelEncodeStatus::WrongCharacter:
        return ids::WrongServerCharacter;
    case LabelEncodeStatus::TooLong:
        return ids::ServerAddressTooLong;
    case LabelEncodeStatus::Ok:
        break;
    }
    return Passed;
}

bool FrameHas(int32_t teleType, uint32_t code) {
    return ParamCodeFrameOffset(teleType, code) >= 0;
}

/// Page 0 from the form, checked in the fixed order; the string of the first failed check.
int BuildSettingsPage(const DialogState& state, SettingsPage& page) {
    const IDialogControls& controls = *state.Controls;
    page.WritePassword = state.WritePassword;

    if (!ParseMacText(controls.GetWindowText(ctl::MacText), page.MacAddress))
        return ids::WrongMac;

    const int polarization = FirstChecked(controls, PolarizationRadios);
    if (polarization < 0)
        return ids::WrongPolarization;
    page.PolarizationControl =
        EncodePolarizationControl(static_cast<PolarizationChoice>(polarization));

    const int range = FirstChecked(controls, RangeRadios);
    if (range < 0)
        return ids::WrongRange;
    page.RangeControl = EncodeRangeControl(static_cast<RangeChoice>(range));

    const std::u16string server = TrimWideSpace(controls.GetWindowText(ctl::ServerEdit));

    if (controls.GetCheck(ctl::AddressModeAuto) == 0) {
        const AddressField ip = ReadAddress(controls, ctl::IpAddress);
        if (!ip.Complete)
            return ids::WrongIpAddress;
        page.IpAddress = ip.Bytes;
    }
    const bool manualAddress = page.IpAddress != Ipv4Bytes{};

    const AddressField mask = ReadAddress(controls, ctl::SubnetMask);
    page.NetMask = mask.Bytes;
    if (manualAddress && !mask.Usable())
        return ids::WrongNetworkMask;
    const AddressField gateway = ReadAddress(controls, ctl::DefaultGateway);
    page.Gateway = gateway.Bytes;
    if (manualAddress && !server.empty() && !gateway.Usable())
        return ids::WrongGateway;
    const AddressField dns = ReadAddress(controls, ctl::DnsServer);
    page.DnsServer = dns.Bytes;
    if (manualAddress && !server.empty() && !dns.Usable())
        return ids::WrongDns;

    if (controls.GetCheck(ctl::NtpAutoCheck) == 0) {
        const AddressField ntp = ReadAddress(controls, ctl::NtpAddress);
        page.NtpServer = ntp.Bytes;
        if (!server.empty() && !ntp.Usable())
            return ids::WrongNtp;
    }

    page.Flags = EncodeFlags({
        .Pps = controls.GetCheck(ctl::PpsCheck) != 0,
        .DateTime = controls.GetCheck(ctl::DateTimeCheck) != 0,
        .Sync = ChoiceOrFirst<SyncMode>(controls, SyncRadios),
        .Send = ChoiceOrFirst<SendMode>(controls, SendModeRadios),
        .Gnss = ChoiceOrFirst<GnssMode>(controls, GnssRadios),
    });

    if (const int failed = EncodeServerText(server, state.FirmwareVersion, page.ServerAddress))
        return failed;

    const int32_t type = state.DeviceParamLayout.TeleType;
    if (type == 0)
        return ids::NoSensorType;
    page.TelemetryType = static_cast<uint16_t>(type);
    if (!FrameHas(type, param_code::DeviceTypeCode))
        return ids::NoDeviceTypeInTele;
    if (!FrameHas(type, param_code::StartStopCode))
        return ids::NoStartStopInTele;
    if (page.PolarizationControl != 0 && !FrameHas(type, param_code::PolarizationCode))
        return ids::NoPolarizationInTele;
    if (page.RangeControl != 0 && !FrameHas(type, param_code::RangeCode))
        return ids::NoRangeInTele;
    EncodeFrameOffsets(page, state.DinModeFlag != 0);

    const bool dinMode = IsDinMode(state.FirmwareVersion, state.DinModeFlag != 0);
    const auto row = InstrumentTypeCatalog.find(type);
    const std::u16string catalogKey = row != InstrumentTypeCatalog.end() ? row->second.key : u"";
    EncodeModelFields(page, dinMode, DeviceModelList, catalogKey);
    return Passed;
}

/// Whether the current type decodes. One that does not (string 133 at its selection) leaves the
/// working descriptor and layout of an earlier type, or a partial decode, behind; a descriptor
/// built from them would tell the adapter of another instrument than the image names.
bool CurrentTypeDecodes(const DialogState& state) {
    ChannelLayouts channels;
    ::DeviceParamLayout layout = state.DeviceParamLayout;
    TelemetryDescriptor descriptor;
    return ApplyTeleDescToDevice(channels, layout, descriptor);
}

} // namespace

void OnSaveSettings(DialogState& state) {
    const WriteClaim claim(state);
    if (!claim)
        return;
    // Held to the end: the password dialog and the message boxes run nested event loops in
    // which the reply handler and the timer take it again on this thread.
    std::lock_guard lock(state.WriteQueueLock);
    if (!AskWritePassword(state))
        return;
    DropWriteQueue(state);

    SettingsPage page;
    int failed = BuildSettingsPage(state, page);
    const int32_t type = page.TelemetryType;
    // The settings area is one 64 KB erase block; entries past it would land in memory that was
    // not erased, and ParamCount could not count them.
    if (failed == Passed &&
        EncodeParamEntries(state.SelectedParamMap, type).size() / SettingsImage::EntrySize >
            SettingsImage::MaxEntries)
        failed = ids::TooManyParams;
    if (failed != Passed) {
        state.Prompts->MessageBoxId(failed);
        return;
    }

    if (state.Controls->ComboGetCurSel(ctl::DeviceAddressCombo) < 0)
        return;

    std::vector<WriteJob> jobs;
    std::vector<uint8_t> descriptor;
    uint16_t descriptorEraseWord = 0;
    if (state.FirmwareVersion >= FirmwareNewForms) {
        if (!CurrentTypeDecodes(state)) {
            state.Prompts->MessageBoxId(ids::CantDecodeTeleType);
            return;
        }
        std::vector<DescriptorRecord> records;
        const nlohmann::json document = BuildDinDescriptor(
            {state.CurrentDescriptor, state.DeviceParamLayout, state.ChannelLayout}, records);
        DinDescriptorBlock block = JoinDinDescriptor(SerialiseDinDevices(document), records);
        if (!block.FitsArea) {
            state.Prompts->MessageBoxId(ids::DescriptorTooLong);
            return;
        }
        page.DescriptorLength = static_cast<uint16_t>(block.TextLength);
        page.DescriptorRecordCount = static_cast<uint16_t>(block.RecordCount);
        descriptor = std::move(block.Data);
        descriptorEraseWord = DescriptorEraseWord(static_cast<uint32_t>(block.EraseBlocks));
    }

    jobs.push_back(EraseThenWriteJob(SettingsEraseWord, SettingsBasePage,
                           EncodeSettingsImage(page, state.SelectedParamMap, type)));
    if (state.FirmwareVersion >= FirmwareNewForms)
        jobs.push_back(EraseThenWriteJob(descriptorEraseWord, DescriptorBasePage, std::move(descriptor)));
    QueueWriteJobs(state, std::move(jobs));
}
