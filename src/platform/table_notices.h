#pragma once

/// Notices the parameter list gives its parent, as offsets from WM_APP. SelectionChanged is
/// delivered at once (the parent has handled it when the list goes on); the others are posted
/// and reach the parent later, from its event loop.
namespace table_notice {
/// wParam: the new first selected list index, -1 for none; lParam: 0.
inline constexpr int SelectionChanged = 1;
/// wParam: column under the click; lParam: list index, -1 on empty space. Every right click.
inline constexpr int RightClick = 2;
/// Double click on a row (wParam column, lParam list index) with Ctrl held.
inline constexpr int CtrlDoubleClick = 3;
/// Double click on a row with Shift held and Ctrl not.
inline constexpr int ShiftDoubleClick = 4;
/// Double click on a row without Ctrl or Shift.
inline constexpr int DoubleClick = 5;
/// Click on a row.
inline constexpr int Click = 6;
} // namespace table_notice
