#include "dialog/param_columns.h"

#include <algorithm>

#include "dialog/dialog_state.h"
#include "platform/table_styles.h"
#include "text/wide_text.h"

namespace {

constexpr uint32_t ParamListStyle = table_style::GridLines | table_style::FullRowSelect |
                                    table_style::InfoTip | table_style::LabelTip;

// Column i shows cell i, so no titled cell may follow a hidden one.
static_assert(std::is_sorted(ParamColumns.begin(), ParamColumns.end(),
                             [](const ParamColumn& a, const ParamColumn& b) {
                                 return a.TitleId != NoColumnTitle && b.TitleId == NoColumnTitle;
                             }));

} // namespace

std::u16string ColumnWidthValueName(int index) {
    std::u16string name = u"W";
    name += AsciiToWide(std::to_string(index));
    return name;
}

void SetUpParamColumns(DialogState& state) {
    ITableCtrl& list = *state.ParamList;
    list.SetExtendedStyle(ParamListStyle);
    list.SortByColumn(0);
    list.SetSearchCell(ParamCellIndex(ParamCell::Name));
    for (int i = 0; i < static_cast<int>(ParamColumns.size()); ++i) {
        const ParamColumn& column = ParamColumns[i];
        if (column.TitleId == NoColumnTitle)
            continue;
        const int width = state.Profile->GetProfileInt(ColumnWidthSection, ColumnWidthValueName(i),
                                                       column.DefaultWidth);
        list.AddColumn(i, state.Prompts->LoadString(column.TitleId), width, column.Alignment);
        if (const int key = ParamCellIndex(column.SortKey); key != i)
            list.SetColumnKeyCell(i, key);
    }
}
