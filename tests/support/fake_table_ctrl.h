#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/table_ctrl.h"
#include "platform/table_row_store.h"

/// The parameter list without a window: the row store alone, with the columns as added. Tests
/// select rows through `Store` (SetSelected) as a user's clicks would.
class FakeTableCtrl : public ITableCtrl {
public:
    struct Column {
        std::u16string Title;
        int Width = 0;
        uint32_t Alignment = 0;
    };
    TableRowStore Store;
    /// Columns by index; a column never added is absent (Title empty, Width 0).
    std::vector<Column> Columns;
    /// Extended style bits last set.
    uint32_t ExtendedStyle = 0;
    /// Item data of the rows whose list items are selected, in list order.
    std::vector<uint32_t> SelectedItemData() const;
    /// Labels of the list items, in list order.
    std::vector<std::u16string> Labels() const;

    void AddColumn(int index, const std::u16string& title, int width, uint32_t alignment) override;
    int ColumnCount() const override { return Store.ColumnCount(); }
    int ColumnWidth(int index) const override;
    void ClearRows() override { Store.ClearRows(); }
    void AddRow(std::u16string_view rowText, uint32_t itemData) override {
        Store.AddRow(rowText, itemData);
    }
    void RebuildItems() override { Store.RebuildItems(); }
    void SortByColumn(int column) override { Store.SortByColumn(column); }
    void SelectByItemData(uint32_t itemData) override { Store.SelectByItemData(itemData); }
    int GetSelectedIndex() const override { return Store.GetSelectedIndex(); }
    int GetNextSelectedIndex(int after) const override {
        return Store.GetNextSelectedIndex(after);
    }
    int ItemCount() const override { return Store.ItemCount(); }
    bool IsItemSelected(int index) const override { return Store.IsSelected(index); }
    uint32_t ItemDataOfRow(int n) const override { return Store.ItemDataOfRow(n); }
    void SetSearchCell(int cell) override { Store.SearchCell = cell; }
    void SetColumnKeyCell(int column, int cell) override { Store.ColumnKeyCells[column] = cell; }
    void SetExtendedStyle(uint32_t style) override { ExtendedStyle = style; }
};
