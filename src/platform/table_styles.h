#pragma once
#include <cstdint>

/// Extended style bits of the parameter list, as the list view of the platform numbers them.
/// A list honours the bits it can show and ignores the others.
namespace table_style {
/// Lines between the rows and between the columns.
inline constexpr uint32_t GridLines = 0x1;
/// A click anywhere in a row selects it, and the selection covers the whole row.
inline constexpr uint32_t FullRowSelect = 0x20;
/// Tip with the row's item tip; rows carry none, so it is the whole text of a cut-off cell.
inline constexpr uint32_t InfoTip = 0x400;
/// Tip with the whole text of a cell that its column cuts short.
inline constexpr uint32_t LabelTip = 0x4000;
} // namespace table_style
