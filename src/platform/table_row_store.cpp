#include "platform/table_row_store.h"

namespace {
constexpr char16_t LineFeed = u'\n';
constexpr uint32_t NoItemData = 0xFFFFFFFF;

std::u16string Lowered(std::u16string text) {
    for (char16_t& unit : text)
        unit = TableRowStore::LowerUnit(unit);
    return text;
}
} // namespace

void TableRowStore::NoteColumnAdded(int index) {
    if (index >= columnCount_)
        columnCount_ = index + 1;
}

void TableRowStore::ResetDrawCursor() {
    drawCursor_ = current_->begin();
    drawIndex_ = 0;
}

void TableRowStore::ClearRows() {
    current_->clear();
    ResetDrawCursor();
}

int TableRowStore::KeyCellOf(int column) const {
    auto it = ColumnKeyCells.find(column);
    return it != ColumnKeyCells.end() ? it->second : column;
}

void TableRowStore::AddRow(const std::u16string& rowText, uint32_t itemData) {
    // multimap::insert places a key after the equal keys already there.
    current_->insert({SortKey(rowText, KeyCellOf(SortColumn)), TableRow{rowText, itemData, 0}});
    ResetDrawCursor();
}

void TableRowStore::RebuildItems() {
    items_.clear();
    selection_.clear();
    items_.reserve(current_->size());
    for (const auto& [key, row] : *current_)
        items_.push_back(MakeListItem(row.Text, columnCount_));
}

int TableRowStore::SortByColumn(int column) {
    if (column == SortColumn)
        return -1;
    SortColumn = column;
    const int selected = GetSelectedIndex();
    const uint32_t itemData = selected >= 0 ? ItemDataOfRow(selected) : NoItemData;

    Store& previous = *current_;
    current_ = current_ == &stores_[0] ? &stores_[1] : &stores_[0];
    current_->clear();
    const int keyCell = KeyCellOf(column);
    for (auto& [key, row] : previous)
        current_->insert({SortKey(row.Text, keyCell), std::move(row)});
    previous.clear();
    ResetDrawCursor();
    RebuildItems();

    if (selected >= 0 && static_cast<int32_t>(itemData) >= 0)
        return SelectByItemData(itemData);
    return -1;
}

int TableRowStore::FindItemData(uint32_t itemData) const {
    int index = 0;
    for (const auto& [key, row] : *current_) {
        if (row.ItemData == itemData)
            return index;
        ++index;
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
    if (static_cast<size_t>(n) >= current_->size())
        return NoItemData;
    auto it = current_->begin();
    std::advance(it, n);
    return it->second.ItemData;
}

void TableRowStore::SetSelected(int index, bool selected) {
    if (index < 0 || index >= ItemCount())
        return;
    if (selected)
        selection_.insert(index);
    else
        selection_.erase(index);
}

int TableRowStore::GetSelectedIndex() const {
    return selection_.empty() ? -1 : *selection_.begin();
}

bool TableRowStore::UpdateSelectedRow() {
    const int selected = GetSelectedIndex();
    if (selected == SelectedRow)
        return false;
    SelectedRow = selected;
    return true;
}

uint32_t TableRowStore::RowColourOfItem(int k) {
    if (current_->empty())
        return 0;
    if (drawIndex_ != k || drawCursor_ == current_->end()) {
        drawCursor_ = current_->begin();
        drawIndex_ = 0;
        for (int step = 0; step < k && drawCursor_ != current_->end(); ++step)
            ++drawCursor_;
        if (drawCursor_ == current_->end())
            drawCursor_ = current_->begin();
    }
    const uint32_t colour = drawCursor_->second.RowColour;
    ++drawCursor_;
    drawIndex_ = k + 1;
    return colour;
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
    int index = 0;
    for (const auto& [key, row] : *current_) {
        std::u16string cell;
        if (index >= start && TerminatedCell(row.Text, SearchCell, cell) &&
            Lowered(cell).compare(0, state.Text.size(), state.Text) == 0) {
            result.Found = index;
            break;
        }
        ++index;
    }
    if (result.Found < 0)
        return result;
    SetSelected(result.Found, true);
    result.SelectionChanged = UpdateSelectedRow();
    return result;
}

std::u16string TableRowStore::SortKey(const std::u16string& rowText, int cell) {
    if (rowText.find(LineFeed) == std::u16string::npos)
        return rowText;
    size_t start = 0;
    for (int k = 0; k < cell; ++k) {
        const size_t end = rowText.find(LineFeed, start);
        if (end == std::u16string::npos)
            return {};
        start = end + 1;
    }
    if (start >= rowText.size())
        return {};
    const size_t end = rowText.find(LineFeed, start);
    return end == std::u16string::npos ? rowText.substr(start) : rowText.substr(start, end - start);
}

bool TableRowStore::TerminatedCell(const std::u16string& rowText, int cell, std::u16string& out) {
    if (cell < 0)
        return false;
    size_t start = 0;
    for (int k = 0; k < cell; ++k) {
        const size_t end = rowText.find(LineFeed, start);
        if (end == std::u16string::npos)
            return false;
        start = end + 1;
    }
    const size_t end = rowText.find(LineFeed, start);
    if (end == std::u16string::npos)
        return false;
    out = rowText.substr(start, end - start);
    return true;
}

TableListItem TableRowStore::MakeListItem(const std::u16string& rowText, int columnCount) {
    TableListItem item;
    const size_t firstFeed = rowText.find(LineFeed);
    if (firstFeed == std::u16string::npos) {
        item.Label = rowText;
        return item;
    }
    // A row whose first cell is empty still shows its other cells in their columns.
    item.Label = rowText.substr(0, firstFeed);
    std::u16string cell;
    for (int column = 1; column < columnCount && TerminatedCell(rowText, column, cell); ++column)
        item.SubItems.push_back(cell);
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
