#include "dialog/settings_form.h"

#include <algorithm>
#include <array>
#include <span>

#include "dialog/form_radio_groups.h"
#include "dialog/param_columns.h"
#include "dialog/param_table_refresh.h"
#include "dialog/tele_type_selection.h"
#include "model/instrument_type_catalog.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "text/wide_text.h"

namespace {

constexpr int Checked = 1;

bool NoneChecked(const IDialogControls& controls, std::span<const int> group) {
    return std::none_of(group.begin(), group.end(),
                        [&](int id) { return controls.GetCheck(id) == Checked; });
}

/// Checks `radio` when no radio of `group` is checked.
void CheckIfNoneChecked(IDialogControls& controls, std::span<const int> group, int radio) {
    if (NoneChecked(controls, group)) {
        controls.SetCheck(radio, Checked);
    }
}

std::u16string ModelListText(const DeviceModel& model) {
    return model.Prefix == model.Name ? model.Name : model.Prefix + u": " + model.Name;
}

} // namespace

void FillTeleTypeCombo(DialogState& state) {
    IDialogControls& controls = *state.Controls;
    controls.ComboResetContent(ctl::TeleTypeCombo);
    state.TeleTypeComboMap.clear();
    auto add = [&](const std::u16string& text, int code) {
        controls.ComboAddString(ctl::TeleTypeCombo, text);
        state.TeleTypeComboMap[text] = code;
    };
    if (state.DinModeFlag == 0) {
        for (const DeviceModel& model : DeviceModelList) {
            const int type = static_cast<int>(model.TeleType);
            if (state.DefaultTeleTypeSet.contains(type)) {
                add(ModelListText(model), type);
            }
        }
    } else {
        for (const auto& [code, entry] : InstrumentTypeCatalog) {
            add(entry.description, code);
        }
    }
}

void ResetSettingsForm(DialogState& state) {
    IDialogControls& controls = *state.Controls;
    controls.SetWindowText(ctl::MacText, u"");
    const std::array<std::span<const int>, 6> radioGroups = {
        AddressModeRadios, PolarizationRadios, RangeRadios, SyncRadios, SendModeRadios, GnssRadios};
    for (std::span<const int> group : radioGroups) {
        for (int id : group) {
            controls.SetCheck(id, 0);
        }
    }
    controls.SetCheck(ctl::PpsCheck, 0);
    controls.SetCheck(ctl::DateTimeCheck, 0);
    for (int id : AddressFields) {
        controls.EnableWindow(id, false);
    }
    controls.EnableWindow(ctl::NtpAddress, false);
    controls.SetWindowText(ctl::ServerEdit, DefaultMonitoringServer);
    controls.ComboSetCurSel(ctl::TeleTypeCombo, -1);
    ClearParamMap(state);
    // The GNSS radios keep their visibility: the settings read shows or hides them with it.
    controls.ShowWindow(ctl::AssignVinButton, false);
    controls.ShowWindow(ctl::GnssGroup, false);
}

void OnChangeMac(DialogState& state) {
    IDialogControls& controls = *state.Controls;
    const bool freshForm = controls.GetWindowText(ctl::MacText).empty();
    std::u16string text = controls.GetWindowText(ctl::MacText);
    if (!state.Prompts->EditText(state.Prompts->LoadString(ids::EnterMac), text)) {
        return;
    }
    std::replace(text.begin(), text.end(), u'-', u':');
    controls.SetWindowText(ctl::MacText, TrimWideSpace(text));
    if (!freshForm) {
        return;
    }

    if (NoneChecked(controls, AddressModeRadios)) {
        controls.SetCheck(ctl::AddressModeAuto, Checked);
        controls.SetCheck(ctl::NtpAutoCheck, Checked);
        controls.SetWindowText(ctl::ServerEdit, u"");
    }
    CheckIfNoneChecked(controls, PolarizationRadios, ctl::PolarizationOn);
    CheckIfNoneChecked(controls, RangeRadios, ctl::RangeR2);
    controls.ComboSetCurSel(ctl::TeleTypeCombo, controls.ComboGetCount(ctl::TeleTypeCombo) - 1);
    OnTeleTypeSelChange(state);
    CheckIfNoneChecked(controls, SyncRadios, ctl::SyncOff);
    CheckIfNoneChecked(controls, SendModeRadios, ctl::SendSelectedParams);
    CheckIfNoneChecked(controls, GnssRadios, ctl::GnssNotUsed);
}

void OnAddressModeClicked(DialogState& state) {
    IDialogControls& controls = *state.Controls;
    const bool manual = controls.GetCheck(ctl::AddressModeManual) == Checked;
    for (int id : AddressFields) {
        controls.EnableWindow(id, manual);
    }
}

void OnNtpAutoClicked(DialogState& state) {
    IDialogControls& controls = *state.Controls;
    controls.EnableWindow(ctl::NtpAddress, controls.GetCheck(ctl::NtpAutoCheck) != Checked);
}

void OnDestroy(DialogState& state) {
    if (state.TimerId != 0) {
        state.Window->KillTimer(state.TimerId);
        state.TimerId = 0;
    }
    const int columns = state.ParamList->ColumnCount();
    for (int i = 0; i < columns; ++i) {
        state.Profile->WriteProfileInt(ColumnWidthSection, ColumnWidthValueName(i),
                                       state.ParamList->ColumnWidth(i));
    }
}
