#include "platform/table_row_store.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace {
constexpr char16_t LineFeed = u'\n';
constexpr uint32_t NoItemData = 0xFFFFFFFF;

std::u16string Lowered(std::u16string text) {
    for (char16_t& unit : text)
        unit = TableRowStore::LowerUnit(unit);
    return text;
}

/// True when `cell`, lower-cased, begins with `lowered`.
bool BeginsLowered(std::u16string_view cell, std::u16string_view lowered) {
    if (cell.size() < lowered.size())
        return false;
    for (size_t i = 0; i < lowered.size(); ++i) {
        if (TableRowStore::LowerUnit(cell[i]) != lowered[i])
            return false;
    }
    return true;
}
} // namespace

void TableRowStore::NoteColumnAdded(int index) {
    if (index >= columnCount_)
        columnCount_ = index + 1;
}

void TableRowStore::ClearRows() {
    rows_.clear();
    text_.clear();
    unordered_ = false;
}

int TableRowStore::KeyCellOf(int column) const {
    auto it = ColumnKeyCells.find(column);
    return it != ColumnKeyCells.end() ? it->second : column;
}

void TableRowStore::AddRow(std::u16string_view rowText, uint32_t itemData) {
    const auto [start, length] = KeySpan(rowText, KeyCellOf(SortColumn));
    const TableRow row{
        static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(rowText.size()), itemData, 0,
        static_cast<uint32_t>(start),        static_cast<uint32_t>(length)};
    text_.append(rowText);
    // A key below the last one's is put in place when the rows are next read, after any equal
    // keys already there.
    if (!rows_.empty() && KeyOf(row) < KeyOf(rows_.back()))
        unordered_ = true;
    rows_.push_back(row);
}

void TableRowStore::Order() const {
    if (!unordered_)
        return;
    const auto less = [this](const TableRow& a, const TableRow& b) { return KeyOf(a) < KeyOf(b); };
    // Rows sorted back to a column they were sorted by before come as a few ordered runs, which
    // are merged in linear time; a column of few distinct keys (rate, plot) is dealt into one
    // bucket per key; anything else is sorted.
    constexpr size_t MaxMergedRuns = 8;
    std::vector<size_t> runEnds;
    for (size_t i = 1; i <= rows_.size() && runEnds.size() <= MaxMergedRuns; ++i) {
        if (i == rows_.size() || less(rows_[i], rows_[i - 1]))
            runEnds.push_back(i);
    }
    if (runEnds.size() <= MaxMergedRuns) {
        // Each merge joins the first run with the next, keeping equal keys in their order.
        for (size_t r = 1; r < runEnds.size(); ++r) {
            std::inplace_merge(rows_.begin(),
                               rows_.begin() + static_cast<std::ptrdiff_t>(runEnds[r - 1]),
                               rows_.begin() + static_cast<std::ptrdiff_t>(runEnds[r]), less);
        }
    } else if (!DealByFewKeys()) {
        std::stable_sort(rows_.begin(), rows_.end(), less);
    }
    unordered_ = false;
}

bool TableRowStore::DealByFewKeys() const {
    constexpr size_t MaxBuckets = 16;
    std::vector<std::u16string_view> keys;
    std::vector<uint8_t> bucketOf(rows_.size());
    size_t last = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        const std::u16string_view key = KeyOf(rows_[i]);
        if (keys.empty() || keys[last] != key) {
            last = static_cast<size_t>(std::find(keys.begin(), keys.end(), key) - keys.begin());
            if (last == keys.size()) {
                if (keys.size() == MaxBuckets)
                    return false;
                keys.push_back(key);
            }
        }
        bucketOf[i] = static_cast<uint8_t>(last);
    }
    // Buckets in key order; each keeps its rows in their order.
    std::vector<size_t> byKey(keys.size());
    for (size_t b = 0; b < byKey.size(); ++b)
        byKey[b] = b;
    std::sort(byKey.begin(), byKey.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    std::vector<size_t> start(keys.size(), 0);
    for (uint8_t bucket : bucketOf)
        ++start[bucket];
    size_t offset = 0;
    for (size_t b : byKey) {
        const size_t count = start[b];
        start[b] = offset;
        offset += count;
    }
    std::vector<TableRow> dealt(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        dealt[start[bucketOf[i]]++] = rows_[i];
    rows_.swap(dealt);
    return true;
}

std::u16string_view TableRowStore::RowText(size_t n) const {
    Order();
    return n < rows_.size() ? TextOf(rows_[n]) : std::u16string_view();
}

bool TableRowStore::RebuildItems() {
    Order();
    const bool sameCount = static_cast<size_t>(itemCount_) == rows_.size();
    itemCount_ = static_cast<int>(rows_.size());
    selection_.assign((rows_.size() + 63) / 64, 0);
    return sameCount;
}

std::vector<TableListItem> TableRowStore::Items() const {
    Order();
    std::vector<TableListItem> items;
    const size_t count = std::min(static_cast<size_t>(itemCount_), rows_.size());
    items.reserve(count);
    for (size_t i = 0; i < count; ++i)
        items.push_back(MakeListItem(TextOf(rows_[i]), columnCount_));
    return items;
}

bool TableRowStore::ItemText(int index, int column, std::u16string_view& out) const {
    Order();
    if (index < 0 || index >= itemCount_ || static_cast<size_t>(index) >= rows_.size() ||
        column < 0)
        return false;
    const std::u16string_view text = TextOf(rows_[static_cast<size_t>(index)]);
    const size_t firstFeed = text.find(LineFeed);
    if (column == 0) {
        out = text.substr(0, firstFeed);
        return true;
    }
    return firstFeed != std::u16string_view::npos && column < columnCount_ &&
           TerminatedCell(text, column, out);
}

int TableRowStore::SortByColumn(int column) {
    if (column == SortColumn)
        return -1;
    SortColumn = column;
    const int selected = GetSelectedIndex();
    const uint32_t itemData = selected >= 0 ? ItemDataOfRow(selected) : NoItemData;

    // The rows keep their order among equal keys for the new column.
    Order();
    const int keyCell = KeyCellOf(column);
    for (TableRow& row : rows_) {
        const auto [start, length] = KeySpan(TextOf(row), keyCell);
        row.KeyStart = static_cast<uint32_t>(start);
        row.KeyLength = static_cast<uint32_t>(length);
    }
    unordered_ = true;
    RebuildItems();

    if (selected >= 0 && static_cast<int32_t>(itemData) >= 0)
        return SelectByItemData(itemData);
    return -1;
}

int TableRowStore::FindItemData(uint32_t itemData) const {
    Order();
    for (size_t index = 0; index < rows_.size(); ++index) {
        if (rows_[index].ItemData == itemData)
            return static_cast<int>(index);
    }
    return -1;
}

int TableRowStore::SelectByItemData(uint32_t itemData) {
    const int index = FindItemData(itemData);
    if (index < 0)
        return -1;
    SetSelected(index, true);
    SelectedRow = GetSelectedIndex();
    return index;
}

uint32_t TableRowStore::ItemDataOfRow(int n) const {
    if (n < 0)
        n = 0;
    if (static_cast<size_t>(n) >= rows_.size())
        return NoItemData;
    Order();
    return rows_[static_cast<size_t>(n)].ItemData;
}

bool TableRowStore::IsSelected(int index) const {
    const auto i = static_cast<size_t>(index);
    return index >= 0 && i / 64 < selection_.size() && (selection_[i / 64] >> (i % 64) & 1) != 0;
}

void TableRowStore::SetSelected(int index, bool selected) {
    if (index < 0 || index >= ItemCount())
        return;
    const auto i = static_cast<size_t>(index);
    if (i / 64 >= selection_.size())
        selection_.resize(i / 64 + 1, 0);
    const uint64_t bit = uint64_t{1} << (i % 64);
    if (selected)
        selection_[i / 64] |= bit;
    else
        selection_[i / 64] &= ~bit;
}

void TableRowStore::ClearSelection() {
    std::fill(selection_.begin(), selection_.end(), 0);
}

std::set<int> TableRowStore::Selection() const {
    std::set<int> selection;
    for (int index = GetSelectedIndex(); index >= 0; index = GetNextSelectedIndex(index))
        selection.insert(selection.end(), index);
    return selection;
}

int TableRowStore::GetNextSelectedIndex(int after) const {
    size_t from = after < 0 ? 0 : static_cast<size_t>(after) + 1;
    for (size_t word = from / 64; word < selection_.size(); ++word, from = word * 64) {
        const uint64_t bits = selection_[word] >> (from % 64);
        if (bits != 0)
            return static_cast<int>(from + static_cast<size_t>(std::countr_zero(bits)));
    }
    return -1;
}

bool TableRowStore::UpdateSelectedRow() {
    const int selected = GetSelectedIndex();
    if (selected == SelectedRow)
        return false;
    SelectedRow = selected;
    return true;
}

uint32_t TableRowStore::RowColourOfItem(int k) {
    if (rows_.empty())
        return 0;
    Order();
    const size_t row = k >= 0 && static_cast<size_t>(k) < rows_.size() ? static_cast<size_t>(k) : 0;
    return rows_[row].RowColour;
}

TypeAheadState& TableRowStore::ProcessTypeAhead() {
    static TypeAheadState state;
    return state;
}

TypeAheadResult TableRowStore::TypeAhead(char16_t ch, uint32_t now) {
    TypeAheadState& state = ProcessTypeAhead();
    if (!state.Started) {
        state.Started = true;
        state.Tick = now;
    }
    const uint32_t elapsed = now - state.Tick; // the tick wraps at 32 bits
    state.Tick = now;

    int start = 0;
    if (elapsed > TypeAheadRestartMs) {
        state.Text.assign(1, LowerUnit(ch));
    } else {
        state.Text.push_back(ch);
        state.Text = Lowered(state.Text);
        start = GetSelectedIndex() >= 0 ? GetSelectedIndex() : 0;
    }

    TypeAheadResult result;
    Order();
    const std::u16string_view typed = state.Text;
    for (size_t index = static_cast<size_t>(start); index < rows_.size(); ++index) {
        std::u16string_view cell;
        if (TerminatedCell(TextOf(rows_[index]), SearchCell, cell) && BeginsLowered(cell, typed)) {
            result.Found = static_cast<int>(index);
            break;
        }
    }
    if (result.Found < 0)
        return result;
    SetSelected(result.Found, true);
    result.SelectionChanged = UpdateSelectedRow();
    return result;
}

std::pair<size_t, size_t> TableRowStore::KeySpan(std::u16string_view rowText, int cell) {
    if (rowText.find(LineFeed) == std::u16string_view::npos)
        return {0, rowText.size()};
    size_t start = 0;
    for (int k = 0; k < cell; ++k) {
        const size_t end = rowText.find(LineFeed, start);
        if (end == std::u16string_view::npos)
            return {0, 0};
        start = end + 1;
    }
    if (start >= rowText.size())
        return {0, 0};
    const size_t end = rowText.find(LineFeed, start);
    return {start, end == std::u16string_view::npos ? rowText.size() - start : end - start};
}

std::u16string TableRowStore::SortKey(std::u16string_view rowText, int cell) {
    const auto [start, length] = KeySpan(rowText, cell);
    return std::u16string(rowText.substr(start, length));
}

bool TableRowStore::TerminatedCell(std::u16string_view rowText, int cell,
                                   std::u16string_view& out) {
    if (cell < 0)
        return false;
    size_t start = 0;
    for (int k = 0; k < cell; ++k) {
        const size_t end = rowText.find(LineFeed, start);
        if (end == std::u16string_view::npos)
            return false;
        start = end + 1;
    }
    const size_t end = rowText.find(LineFeed, start);
    if (end == std::u16string_view::npos)
        return false;
    out = rowText.substr(start, end - start);
    return true;
}

bool TableRowStore::TerminatedCell(const std::u16string& rowText, int cell, std::u16string& out) {
    std::u16string_view view;
    if (!TerminatedCell(std::u16string_view(rowText), cell, view))
        return false;
    out = view;
    return true;
}

TableListItem TableRowStore::MakeListItem(std::u16string_view rowText, int columnCount) {
    TableListItem item;
    const size_t firstFeed = rowText.find(LineFeed);
    if (firstFeed == std::u16string_view::npos) {
        item.Label = rowText;
        return item;
    }
    // A row whose first cell is empty still shows its other cells in their columns.
    item.Label = rowText.substr(0, firstFeed);
    std::u16string_view cell;
    for (int column = 1; column < columnCount && TerminatedCell(rowText, column, cell); ++column)
        item.SubItems.emplace_back(cell);
    return item;
}

char16_t TableRowStore::LowerUnit(char16_t ch) {
    if ((ch >= u'A' && ch <= u'Z') || (ch >= 0x00C0 && ch <= 0x00DE && ch != 0x00D7) ||
        (ch >= 0x0410 && ch <= 0x042F))
        return static_cast<char16_t>(ch + 0x20);
    if (ch >= 0x0400 && ch <= 0x040F)
        return static_cast<char16_t>(ch + 0x50);
    return ch;
}
