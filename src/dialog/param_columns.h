#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "config/param_table_rows.h"
#include "platform/string_ids.h"
#include "platform/table_ctrl.h"

struct DialogState;

/// One cell of the parameter list's rows and, when it has a title, the column that shows it.
struct ParamColumn {
    ParamCell Content;
    /// String id of the column's title; NoColumnTitle for a cell no column shows.
    int TitleId;
    /// Width in pixels while the profile holds none.
    int DefaultWidth;
    /// table_align::*.
    uint32_t Alignment;
    /// The cell that sorting by this column compares.
    ParamCell SortKey;
};

inline constexpr int NoColumnTitle = 0;

/// The parameter list's cells in row order, one entry each. Column i shows cell i, so the
/// cells without a title come last: the code cell, which the "Parameter" column sorts by, so
/// that the rows stand in code order rather than by name.
inline constexpr std::array<ParamColumn, 4> ParamColumns = {{
    // Left: the list shows a first column left-aligned whatever is asked for.
    {ParamCell::Name, ids::ColumnParameter, 200, table_align::Left, ParamCell::Code},
    {ParamCell::Rate, ids::ColumnRate, 70, table_align::Right, ParamCell::Rate},
    {ParamCell::PlotMark, ids::ColumnPlot, 70, table_align::Left, ParamCell::PlotMark},
    {ParamCell::Code, NoColumnTitle, 0, table_align::Left, ParamCell::Code},
}};

/// Index of the cell holding `content`, which is also the index of the column showing it.
constexpr int ParamCellIndex(ParamCell content) {
    for (size_t i = 0; i < ParamColumns.size(); ++i) {
        if (ParamColumns[i].Content == content)
            return static_cast<int>(i);
    }
    return -1;
}

/// The cells of a row in order, as FormatParamRow takes them.
inline constexpr std::array<ParamCell, ParamColumns.size()> ParamRowCells = [] {
    std::array<ParamCell, ParamColumns.size()> cells{};
    for (size_t i = 0; i < ParamColumns.size(); ++i)
        cells[i] = ParamColumns[i].Content;
    return cells;
}();

/// Profile section of the parameter list's column widths.
inline constexpr char16_t ColumnWidthSection[] = u"ParTable";
/// Profile value name of the width of column `index`: "W0", "W1", ...
std::u16string ColumnWidthValueName(int index);

/// Gives the parameter list its style (grid lines, full-row selection, tips), column 0 as the
/// sort column and cell 0 as the type-ahead cell, then a column for each titled cell of
/// ParamColumns, titled from the string table and as wide as the profile says.
void SetUpParamColumns(DialogState& state);
