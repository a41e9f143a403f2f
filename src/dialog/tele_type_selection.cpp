#include "dialog/tele_type_selection.h"

#include "dialog/param_table_refresh.h"
#include "model/channel_band_names.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"

void OnTeleTypeSelChange(DialogState& state) {
    ::DeviceParamLayout& layout = state.DeviceParamLayout;
    layout.TeleType = 0;
    IDialogControls& controls = *state.Controls;
    if (controls.ComboGetCurSel(ctl::TeleTypeCombo) < 0) {
        return;
    }
    const std::u16string text = controls.GetWindowText(ctl::TeleTypeCombo);
    if (text.empty()) {
        return;
    }
    const auto entry = state.TeleTypeComboMap.find(text);
    if (entry == state.TeleTypeComboMap.end()) {
        return;
    }
    layout.TeleType = static_cast<uint16_t>(entry->second);

    if (!ApplyTeleDescToDevice(state.ChannelLayout, layout, state.CurrentDescriptor)) {
        state.Prompts->MessageBoxId(ids::CantDecodeTeleType);
        return;
    }
    layout.ChannelSensorMap =
        state.CurrentDescriptor.ChannelCount > 1 ? SensorMapMultiChannel : SensorMapSingleChannel;
    // The rows go, the map stays: its entries show again at the next refresh of the list.
    ClearParamRows(state);
}
