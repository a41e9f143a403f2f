#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// One row of the parameter list: where its text (its cells, each followed by a line feed) lies
/// in the store's text buffer, the owner's item data and the text colour (a 0x00BBGGRR colour
/// value; rows are added black).
struct TableRow {
    uint32_t TextStart = 0;
    uint32_t TextLength = 0;
    uint32_t ItemData = 0;
    uint32_t RowColour = 0;
    /// Where the sort key for the current sort column lies in the row's text.
    uint32_t KeyStart = 0;
    uint32_t KeyLength = 0;
};

/// What the list shows for one row: the label of column 0 and the texts of columns 1, 2, ...
/// (a column past the last shown cell is empty).
struct TableListItem {
    std::u16string Label;
    std::vector<std::u16string> SubItems;
};

/// The process-wide type-ahead search: the text typed so far and the tick of the last key.
/// The tick starts at the first key the process handles.
struct TypeAheadState {
    std::u16string Text;
    uint32_t Tick = 0;
    bool Started = false;
};

/// Result of one type-ahead key.
struct TypeAheadResult {
    /// List index of the row found, -1 when no row matched (the key then gets the list's
    /// default handling).
    int Found = -1;
    /// The first selected index changed: the parent is told, with SelectedRow as wParam.
    bool SelectionChanged = false;
};

/// The rows of the parameter list, independent of any window: the rows in the order of their
/// sort keys (compared as UTF-16 units, no locale, no case folding; equal keys in the order the
/// rows were added), the number of list items last built from them, the selection as a set of list
/// indexes, and the type-ahead search. The list widget and the in-memory list of the tests both
/// keep their rows here. Every row is found by its index in constant time. The texts of all rows
/// share one buffer and the selection is one bit per item, so a row costs no allocation of its
/// own.
class TableRowStore {
public:
    /// Keys later than this many milliseconds after the previous one start a new search.
    static constexpr uint32_t TypeAheadRestartMs = 2000;
    /// Background of a selected row's text: red 0x95, green 0xCA, blue 0xFF (0x00BBGGRR).
    static constexpr uint32_t SelectedRowBackground = 0xFFCA95;

    TableRowStore() = default;
    TableRowStore(const TableRowStore&) = delete;
    TableRowStore& operator=(const TableRowStore&) = delete;

    /// Column whose key cell orders the rows.
    int SortColumn = 0;
    /// Cell compared by the type-ahead search.
    int SearchCell = 1;
    /// Column index to the cell used as sort key when that column sorts (default: its own index).
    std::map<int, int> ColumnKeyCells;
    /// List index last seen as the first selected row; -1 for none.
    int SelectedRow = 0;

    /// Counts column `index` as added: ColumnCount becomes index + 1 when index is not below it.
    void NoteColumnAdded(int index);
    int ColumnCount() const { return columnCount_; }

    /// Empties the current store; the list items stay until RebuildItems.
    void ClearRows();
    /// Inserts a black row under the key taken from `rowText`, after any rows with an equal key.
    void AddRow(std::u16string_view rowText, uint32_t itemData);
    /// Makes the list items from the current store, in store order; no item is selected.
    /// Returns true when the rows are as many as the items were, so that a view whose items
    /// read their texts from the rows keeps its items.
    bool RebuildItems();
    /// Makes `column` the sort column: the rows are put in the order of their keys for it (rows
    /// of equal keys keep their order), the items are rebuilt, and the row that was the first
    /// selected one is selected again by its item data (unless that is negative as a signed
    /// number). Returns
    /// the list index selected again, -1 when none; nothing happens (-1) when `column` already
    /// is the sort column. The caller makes the selected row visible and centres it.
    int SortByColumn(int column);

    /// Store index of the first row whose item data is `itemData`; -1 when none.
    int FindItemData(uint32_t itemData) const;
    /// Selects the first row with `itemData` (other rows keep their state) and returns its list
    /// index; -1, changing nothing, when no row has it. SelectedRow follows without a notice.
    /// The caller makes the row visible and centres it.
    int SelectByItemData(uint32_t itemData);
    /// Item data of row n of the current store (n <= 0: the first row); 0xFFFFFFFF when n is
    /// not below the number of rows.
    uint32_t ItemDataOfRow(int n) const;
    size_t RowCount() const { return rows_.size(); }
    /// Text of row n of the current store; valid until the rows next change.
    std::u16string_view RowText(size_t n) const;

    /// The list items, made from the rows (each with ListItem).
    std::vector<TableListItem> Items() const;
    int ItemCount() const { return itemCount_; }
    /// Text of column `column` of list item `index`: the label for column 0, a terminated cell
    /// for the columns below ColumnCount; false for an empty column or an item without a row.
    bool ItemText(int index, int column, std::u16string_view& out) const;

    // Selection of the list items.
    bool IsSelected(int index) const;
    /// Sets or clears the selected state of list item `index`; ignored past the last item.
    void SetSelected(int index, bool selected);
    void ClearSelection();
    /// The selected list indexes.
    std::set<int> Selection() const;
    /// Lowest selected list index; -1 when none.
    int GetSelectedIndex() const { return GetNextSelectedIndex(-1); }
    /// Lowest selected list index above `after`; -1 when none.
    int GetNextSelectedIndex(int after) const;
    /// SelectedRow := GetSelectedIndex; true when that changed it.
    bool UpdateSelectedRow();

    /// Text colour for painting list item `k`, read from row k in constant time; an index past
    /// the last row reads the first row. Black when the store is empty.
    uint32_t RowColourOfItem(int k);

    /// One typed character at tick `now`: continues the search within 2000 ms of the previous
    /// key, from the first selected row, else starts a new one-character search from the first
    /// row; selects the first row whose search cell begins with the text, ignoring case.
    TypeAheadResult TypeAhead(char16_t ch, uint32_t now);
    /// The search state shared by every list of the process.
    static TypeAheadState& ProcessTypeAhead();

    /// Sort key of `rowText` for key cell `cell`: the cell without its line feed; the whole text
    /// when it has no line feed; the rest of the text when the cell has no line feed after it;
    /// empty when the cell starts at or past the end.
    static std::u16string SortKey(std::u16string_view rowText, int cell);
    /// Cell `cell` of `rowText` when it ends with its line feed; false when it does not.
    static bool TerminatedCell(std::u16string_view rowText, int cell, std::u16string_view& out);
    static bool TerminatedCell(const std::u16string& rowText, int cell, std::u16string& out);
    /// The list item of a row shown with `columnCount` columns: cell 0 is the label (the whole
    /// text when it has no line feed) and cells 1, 2, ... fill the other columns up to the
    /// first cell without its line feed. A row whose first cell is empty keeps its other cells
    /// in their columns.
    static TableListItem MakeListItem(std::u16string_view rowText, int columnCount);
    /// Lower case of one UTF-16 unit (Latin, Latin-1 and Cyrillic letters).
    static char16_t LowerUnit(char16_t ch);

private:
    /// Start and length of the sort key of `rowText` for key cell `cell` (see SortKey).
    static std::pair<size_t, size_t> KeySpan(std::u16string_view rowText, int cell);
    int KeyCellOf(int column) const;
    std::u16string_view TextOf(const TableRow& row) const {
        return std::u16string_view(text_).substr(row.TextStart, row.TextLength);
    }
    std::u16string_view KeyOf(const TableRow& row) const {
        return std::u16string_view(text_).substr(row.TextStart + row.KeyStart, row.KeyLength);
    }
    /// Brings rows added out of key order into place (a stable sort keeps equal keys in the
    /// order they were added).
    void Order() const;
    /// Orders rows whose keys take at most a few distinct values in linear time; false,
    /// changing nothing, when they take more.
    bool DealByFewKeys() const;

    // Rows are appended by AddRow and ordered when they are next read.
    mutable std::vector<TableRow> rows_;
    /// The texts of the rows, one after another in the order they were added.
    std::u16string text_;
    mutable bool unordered_ = false;
    int itemCount_ = 0;
    int columnCount_ = 0;
    /// Bit i % 64 of word i / 64 is set when list item i is selected.
    std::vector<uint64_t> selection_;
};
