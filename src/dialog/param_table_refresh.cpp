#include "dialog/param_table_refresh.h"

#include <cstdio>

#include "config/param_table_rows.h"
#include "config/selected_params.h"
#include "dialog/dialog_state.h"
#include "platform/string_ids.h"
#include "text/wide_text.h"

namespace {
/// "%s\n%d\n%c\n%08d\n" of name, rate, plot mark and the code as a signed number; the last
/// cell is the sort key of the "Parameter" column.
std::u16string RowText(const std::u16string& name, const ParamKey& key,
                       const ParamSetting& setting) {
    char tail[48];
    std::snprintf(tail, sizeof tail, "\n%d\n%c\n%08d\n", static_cast<int>(setting.rate),
                  setting.plot == 0 ? '+' : '-', static_cast<int32_t>(key.code));
    return name + AsciiToWide(tail);
}
} // namespace

void RefreshParamTable(DialogState& state, uint32_t codeToSelect) {
    ITableCtrl& list = *state.ParamList;
    const std::u16string hz = state.Prompts->LoadString(ids::Hz);
    list.ClearRows();
    bool found = false;
    uint32_t selectPosition = 0;
    uint32_t position = 0;
    for (const auto& [key, setting] : state.SelectedParamMap) {
        if (key.code == codeToSelect) {
            found = true;
            selectPosition = position;
        }
        std::u16string name =
            ParamDisplayName(state.CurrentDescriptor, state.DeviceParamLayout, key.code, hz);
        if (key.count > 0) {
            const std::u16string last =
                ParamDisplayName(state.CurrentDescriptor, state.DeviceParamLayout,
                                 ParamKeyElement(key, key.count), hz);
            name = ParamRangeName(name, last);
        }
        list.AddRow(RowText(name, key, setting), position);
        ++position;
    }
    list.RebuildItems();
    if (found)
        list.SelectByItemData(selectPosition);
}
