#pragma once
#include <cstdint>
#include <string>
#include <string_view>

/// Alignment of a column's text, as AddColumn takes it: bit 0 set aligns it right.
namespace table_align {
inline constexpr uint32_t Left = 0;
inline constexpr uint32_t Right = 1;
} // namespace table_align

/// The parameter list control as the core operations use it: rows are whole texts whose cells
/// end in line feeds, kept in the control's own store ordered by the key cell of the sort column.
/// Implemented by the Qt list widget and, in tests, by the plain row store alone.
class ITableCtrl {
public:
    virtual ~ITableCtrl() = default;
    virtual void AddColumn(int index, const std::u16string& title, int width, uint32_t alignment) = 0;
    virtual int ColumnCount() const = 0;
    /// Width in pixels of column `index` as the user left it.
    virtual int ColumnWidth(int index) const = 0;
    virtual void ClearRows() = 0;
    virtual void AddRow(std::u16string_view rowText, uint32_t itemData) = 0;
    virtual void RebuildItems() = 0;
    virtual void SortByColumn(int column) = 0;
    virtual void SelectByItemData(uint32_t itemData) = 0;
    /// Lowest selected list index, -1 for none.
    virtual int GetSelectedIndex() const = 0;
    /// Lowest selected list index above `after`, -1 for none.
    virtual int GetNextSelectedIndex(int after) const = 0;
    /// Number of list items last built.
    virtual int ItemCount() const = 0;
    /// True when list item `index` is selected; false past the last item.
    virtual bool IsItemSelected(int index) const = 0;
    /// Item data of the n-th row in store order (n <= 0: the first); 0xFFFFFFFF past the end.
    virtual uint32_t ItemDataOfRow(int n) const = 0;
    virtual void SetSearchCell(int cell) = 0;
    virtual void SetColumnKeyCell(int column, int cell) = 0;
    /// Sets the extended style bits (table_style::*); bits the list cannot show are ignored.
    virtual void SetExtendedStyle(uint32_t style) = 0;
};
