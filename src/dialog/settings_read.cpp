#include "dialog/settings_read.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "config/settings_image.h"
#include "dialog/form_radio_groups.h"
#include "dialog/param_table_refresh.h"
#include "dialog/send_request.h"
#include "dialog/settings_form.h"
#include "dialog/tele_type_selection.h"
#include "model/instrument_type_catalog.h"
#include "model/param_code.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "text/string_format.h"

namespace {

constexpr int Checked = 1;

/// Checks radio `index` of `group` (none when it is out of range) and clears the others.
template <size_t N>
void CheckOnly(IDialogControls& controls, const std::array<int, N>& group, size_t index) {
    for (size_t i = 0; i < N; ++i) {
        controls.SetCheck(group[i], i == index ? Checked : 0);
    }
}

/// The address as the IP-address control takes it: the first of the four numbers in the high
/// byte.
uint32_t ControlAddress(const Ipv4Bytes& bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}

bool IsZero(const Ipv4Bytes& bytes) {
    return ControlAddress(bytes) == 0;
}

std::u16string MacAddressText(const MacBytes& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return std::u16string(text, text + 17);
}

/// Text of the first telemetry-type list entry (in the map's order) with type `type`.
std::optional<std::u16string> FindTeleTypeText(const DialogState& state, int type) {
    const auto it = std::find_if(state.TeleTypeComboMap.begin(), state.TeleTypeComboMap.end(),
                                 [&](const auto& entry) { return entry.second == type; });
    if (it == state.TeleTypeComboMap.end()) {
        return std::nullopt;
    }
    return it->first;
}

/// A type that only the description knows joins the list as "Legacy [type]"; in
/// digital-instrument mode it also becomes a catalogue row named as the adapter names it.
void AddLegacyTeleType(DialogState& state, const SettingsPage& page) {
    const std::u16string label =
        FormatWide(state.Prompts->LoadString(ids::LegacyTypeFormat), {page.TelemetryType});
    if (state.DinModeFlag != 0) {
        InsertInstrumentType(page.TelemetryType, {label, DecodeDeviceName(page.DeviceName)});
    }
    state.Controls->ComboAddString(ctl::TeleTypeCombo, label);
    state.TeleTypeComboMap[label] = page.TelemetryType;
}

/// Chooses the page's telemetry type in the list; returns whether it was chosen. When it is not,
/// the list shows no type and the current type is 0, so that nothing of an earlier adapter's
/// type remains.
bool SelectTeleType(DialogState& state, const SettingsPage& page) {
    IDialogControls& controls = *state.Controls;
    const int type = page.TelemetryType;
    std::optional<std::u16string> text = FindTeleTypeText(state, type);
    if (!text && type != 0 && TelemetryDescriptorMap.contains(type)) {
        AddLegacyTeleType(state, page);
        text = FindTeleTypeText(state, type);
    }
    const int index = text ? controls.ComboFindStringExact(ctl::TeleTypeCombo, -1, *text) : -1;
    controls.ComboSetCurSel(ctl::TeleTypeCombo, index);
    OnTeleTypeSelChange(state);
    return index >= 0;
}

void ShowFlags(DialogState& state, uint16_t flags) {
    IDialogControls& controls = *state.Controls;
    const SettingsFlags f = DecodeFlags(flags);
    controls.SetCheck(ctl::PpsCheck, f.Pps ? Checked : 0);
    controls.SetCheck(ctl::DateTimeCheck, f.DateTime ? Checked : 0);
    // SyncMode::None and SendMode::None (both bits set) index past the radios: none is checked.
    CheckOnly(controls, SyncRadios, static_cast<size_t>(f.Sync));
    CheckOnly(controls, SendModeRadios, static_cast<size_t>(f.Send));
    CheckOnly(controls, GnssRadios, static_cast<size_t>(f.Gnss));
    const bool gnss = (state.DeviceFlags & DeviceFlagGnss) != 0;
    for (int id : GnssRadios) {
        controls.ShowWindow(id, gnss);
    }
    controls.ShowWindow(ctl::GnssGroup, gnss);
}

void RequestEntryPage(DialogState& state, uint32_t pageIndex) {
    state.AwaitedSettingsPage = pageIndex;
    SendRequest(state, MakeRequestWord(REQ_READ_EEPROM_DATA, static_cast<uint16_t>(pageIndex)),
                nullptr, 0);
}

void FinishReading(DialogState& state) {
    RefreshParamTable(state, 0);
    state.ConfigRead = 1;
}

void ReadSettingsPage0(DialogState& state, std::span<const uint8_t> bytes) {
    // The image is whole only once every page is in again; until then no operation may take
    // the image for one read earlier (a password change writes it back to the adapter).
    BeginSettingsRead(state);
    const std::optional<SettingsPage> decoded = DecodeSettingsPage(bytes);
    if (!decoded) {
        ResetSettingsForm(state);
        return;
    }
    const SettingsPage& page = *decoded;
    state.ConfigImage.assign(bytes.begin(), bytes.end());
    IDialogControls& controls = *state.Controls;

    controls.SetWindowText(ctl::MacText, MacAddressText(page.MacAddress));
    CheckOnly(controls, PolarizationRadios,
              static_cast<size_t>(DecodePolarizationControl(page.PolarizationControl)));
    CheckOnly(controls, RangeRadios, static_cast<size_t>(DecodeRangeControl(page.RangeControl)));

    const bool manual = !IsZero(page.IpAddress);
    controls.SetCheck(ctl::AddressModeAuto, manual ? 0 : Checked);
    controls.SetCheck(ctl::AddressModeManual, manual ? Checked : 0);
    if (manual) {
        controls.SetAddress(ctl::IpAddress, ControlAddress(page.IpAddress));
    }
    controls.SetAddress(ctl::SubnetMask, ControlAddress(page.NetMask));
    controls.SetAddress(ctl::DefaultGateway, ControlAddress(page.Gateway));
    controls.SetAddress(ctl::DnsServer, ControlAddress(page.DnsServer));
    controls.SetAddress(ctl::NtpAddress, ControlAddress(page.NtpServer));
    const bool ntpAuto = IsZero(page.NtpServer);
    controls.SetCheck(ctl::NtpAutoCheck, ntpAuto ? Checked : 0);
    controls.EnableWindow(ctl::NtpAutoCheck, true);
    for (int id : AddressFields) {
        controls.EnableWindow(id, manual);
    }
    controls.EnableWindow(ctl::NtpAddress, !ntpAuto);

    controls.SetWindowText(ctl::ServerEdit,
                           DecodeServerAddress(page.ServerAddress, state.FirmwareVersion));

    // More entries than the settings area holds are no list the adapter can have stored: their
    // pages would lie past the area, in memory that is not settings.
    const bool fitsArea = page.ParamCount <= SettingsImage::MaxEntries;
    state.AnnouncedParamCount = 0;
    if (SelectTeleType(state, page) && fitsArea) {
        state.AnnouncedParamCount = page.ParamCount;
    }
    ShowFlags(state, page.Flags);

    ClearParamMap(state);
    if (state.AnnouncedParamCount != 0) {
        RequestEntryPage(state, 1);
    } else if (page.ParamCount == 0) {
        FinishReading(state);
    } else {
        // Entries are announced that cannot be read: the image is not whole, and a password
        // change must not write back page 0 alone.
        RefreshParamTable(state, 0);
        if (!fitsArea) {
            // Told, so that an empty list is not taken for the adapter's: saving it would
            // replace whatever the adapter holds. Shown last, as nothing of the page is used
            // after the box's event loop.
            state.Prompts->MessageBoxId(ids::TooManyParams);
        }
    }
}

void ReadEntryPage(DialogState& state, uint32_t k, std::span<const uint8_t> bytes) {
    // Only one page is asked for at a time, and the next only once this one is in, so any other
    // page is the late or repeated answer of an earlier request; taking it would put foreign
    // bytes into the image that a password change writes back, or leave a gap in it.
    if (k != state.AwaitedSettingsPage ||
        state.ConfigImage.size() != size_t{k} * SettingsImage::PageSize) {
        return;
    }
    // Taken: a copy of it arriving while a box below is open is not taken again.
    state.AwaitedSettingsPage = 0;
    const uint32_t reading = state.SettingsReadNumber;
    state.ConfigImage.insert(state.ConfigImage.end(), bytes.begin(), bytes.end());

    const uint32_t first = (k - 1) * SettingsImage::EntriesPerPage;
    for (uint32_t i = 0; i < SettingsImage::EntriesPerPage && first + i < state.AnnouncedParamCount;
         ++i) {
        const ParamEntry entry = DecodeParamEntry(&bytes[i * SettingsImage::EntrySize]);
        if (!IsContinuationCode(entry.Code)) {
            const int32_t expected =
                ParamCodeFrameOffset(state.DeviceParamLayout.TeleType, entry.Code);
            if (entry.FrameOffset != expected) {
                state.Prompts->MessageBox(
                    FormatWide(state.Prompts->LoadString(ids::ParamOffsetMismatch),
                               {entry.FrameOffset, expected, entry.Code}));
                if (state.SettingsReadNumber != reading) {
                    // Get settings or a settings page came in the box's event loop: this page
                    // belongs to a reading that is over, and must not fill the new one's map,
                    // ask for more pages or end it.
                    return;
                }
            }
        }
        // Rows that a command made while the reading runs would name positions this entry
        // may move.
        ClearParamRows(state);
        ReadParamEntry(state.EntryRead, entry, state.SelectedParamMap);
    }

    if (k * SettingsImage::EntriesPerPage < state.AnnouncedParamCount) {
        RequestEntryPage(state, k + 1);
    } else {
        FinishReading(state);
    }
}

} // namespace

void BeginSettingsRead(DialogState& state) {
    state.ConfigImage.clear();
    state.ConfigRead = 0;
    state.AwaitedSettingsPage = 0;
    ++state.SettingsReadNumber;
}

void ReadSettingsPage(DialogState& state, uint32_t pageIndex, std::span<const uint8_t> page) {
    if (page.size() < SettingsImage::PageSize) {
        return;
    }
    page = page.first(SettingsImage::PageSize);
    if (pageIndex == 0) {
        ReadSettingsPage0(state, page);
    } else {
        ReadEntryPage(state, pageIndex, page);
    }
}
