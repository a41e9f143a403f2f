#include "support/fake_table_ctrl.h"

std::vector<uint32_t> FakeTableCtrl::SelectedItemData() const {
    std::vector<uint32_t> result;
    for (int index : Store.Selection())
        result.push_back(Store.ItemDataOfRow(index));
    return result;
}

std::vector<std::u16string> FakeTableCtrl::Labels() const {
    std::vector<std::u16string> result;
    for (const TableListItem& item : Store.Items())
        result.push_back(item.Label);
    return result;
}

void FakeTableCtrl::AddColumn(int index, const std::u16string& title, int width,
                              uint32_t alignment) {
    if (index < 0)
        return;
    if (static_cast<size_t>(index) >= Columns.size())
        Columns.resize(static_cast<size_t>(index) + 1);
    Columns[static_cast<size_t>(index)] = Column{title, width, alignment};
    Store.NoteColumnAdded(index);
}

int FakeTableCtrl::ColumnWidth(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= Columns.size())
        return 0;
    return Columns[static_cast<size_t>(index)].Width;
}
