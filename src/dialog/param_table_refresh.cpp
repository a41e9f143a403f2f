#include "dialog/param_table_refresh.h"

#include "config/param_table_rows.h"
#include "config/selected_params.h"
#include "dialog/dialog_state.h"
#include "dialog/param_columns.h"
#include "platform/string_ids.h"

void RefreshParamTable(DialogState& state, uint32_t codeToSelect) {
    ITableCtrl& list = *state.ParamList;
    const std::u16string hz = state.Prompts->LoadString(ids::Hz);
    list.ClearRows();
    bool found = false;
    uint32_t selectPosition = 0;
    uint32_t position = 0;
    // Every row is made in the same two buffers, so a row costs no allocation.
    std::u16string row;
    std::u16string scratch;
    for (const auto& [key, setting] : state.SelectedParamMap) {
        if (key.code == codeToSelect) {
            found = true;
            selectPosition = position;
        }
        FormatParamRow(row, scratch, ParamRowCells, state.CurrentDescriptor,
                       state.DeviceParamLayout, key, setting, hz);
        list.AddRow(row, position);
        ++position;
    }
    list.RebuildItems();
    if (found)
        list.SelectByItemData(selectPosition);
}

void ClearParamRows(DialogState& state) {
    ITableCtrl& list = *state.ParamList;
    if (list.ItemCount() == 0)
        return;
    list.ClearRows();
    list.RebuildItems();
}

void ClearParamMap(DialogState& state) {
    state.SelectedParamMap.clear();
    state.EntryRead = {};
    ClearParamRows(state);
}
