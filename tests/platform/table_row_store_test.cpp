#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/table_row_store.h"

namespace {

class TableRowStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        TableRowStore::ProcessTypeAhead() = {};
        for (int c = 0; c < 3; ++c)
            store.NoteColumnAdded(c);
    }

    std::vector<uint32_t> ItemDataInOrder() const {
        std::vector<uint32_t> result;
        for (size_t n = 0; n < store.RowCount(); ++n)
            result.push_back(store.ItemDataOfRow(static_cast<int>(n)));
        return result;
    }

    std::vector<std::u16string> Labels() const {
        std::vector<std::u16string> result;
        for (const TableListItem& item : store.Items())
            result.push_back(item.Label);
        return result;
    }

    TableRowStore store;
};

TEST_F(TableRowStoreTest, EmptyStoreFindsNothing) {
    store.RebuildItems();
    EXPECT_EQ(store.ItemCount(), 0);
    EXPECT_EQ(store.ItemDataOfRow(0), 0xFFFFFFFFu);
    EXPECT_EQ(store.SelectByItemData(0), -1);
    EXPECT_EQ(store.GetSelectedIndex(), -1);
    EXPECT_EQ(store.SelectedRow, 0);
    EXPECT_EQ(store.TypeAhead(u'a', 100).Found, -1);
    EXPECT_EQ(store.RowColourOfItem(0), 0u);
}

TEST_F(TableRowStoreTest, EqualKeysKeepInsertionOrder) {
    store.AddRow(u"b\n", 1);
    store.AddRow(u"a\n", 2);
    store.AddRow(u"a\n", 3);
    store.RebuildItems();
    EXPECT_EQ(Labels(), (std::vector<std::u16string>{u"a", u"a", u"b"}));
    EXPECT_EQ(ItemDataInOrder(), (std::vector<uint32_t>{2, 3, 1}));
}

TEST_F(TableRowStoreTest, KeysCompareUtf16UnitsWithoutCaseFolding) {
    store.AddRow(u"9\n", 1);
    store.AddRow(u"10\n", 2);
    store.AddRow(u"B\n", 3);
    store.AddRow(u"a\n", 4);
    store.AddRow(u"\u0436\n", 5); // Cyrillic zhe sorts after every Latin letter
    EXPECT_EQ(ItemDataInOrder(), (std::vector<uint32_t>{2, 1, 3, 4, 5}));
}

TEST_F(TableRowStoreTest, SortKeyOfEveryCellShape) {
    struct Case {
        std::u16string Text;
        int Cell;
        std::u16string Key;
    };
    const Case cases[] = {
        {u"N\n5\n+\n00000042\n", 0, u"N"},
        {u"N\n5\n+\n00000042\n", 3, u"00000042"},
        {u"N\n5\n+\n00000042\n", 4, u""}, // starts at the end of the text
        {u"N\n5\n+\n00000042\n", 7, u""}, // past the end
        {u"abc", 0, u"abc"},              // no line feed: the whole text, whatever the cell
        {u"abc", 3, u"abc"},
        {u"a\nrest", 1, u"rest"}, // last cell without its line feed
        {u"a\nrest", 2, u""},
        {u"\n\nx\n", 1, u""},
        {u"\n\nx\n", 2, u"x"},
        {u"", 0, u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TableRowStore::SortKey(c.Text, c.Cell), c.Key)
            << "cell " << c.Cell << " of a text of " << c.Text.size() << " units";
}

TEST_F(TableRowStoreTest, ListItemsShowTerminatedCellsUpToTheColumnCount) {
    store.AddRow(u"N\n5\n+\n00000042\n", 7);
    store.AddRow(u"abc", 8);
    store.AddRow(u"x\ny", 9);                 // the last cell has no line feed and is not shown
    store.AddRow(u"\n30\n*\n00000001\n", 10); // empty name: the other cells keep their columns
    store.RebuildItems();
    ASSERT_EQ(store.ItemCount(), 4);
    const auto& items = store.Items();
    EXPECT_EQ(items[0].Label, u"");
    EXPECT_EQ(items[0].SubItems, (std::vector<std::u16string>{u"30", u"*"}));
    EXPECT_EQ(items[1].Label, u"N");
    EXPECT_EQ(items[1].SubItems, (std::vector<std::u16string>{u"5", u"+"}));
    EXPECT_EQ(items[2].Label, u"abc");
    EXPECT_TRUE(items[2].SubItems.empty());
    EXPECT_EQ(items[3].Label, u"x");
    EXPECT_TRUE(items[3].SubItems.empty());
}

TEST_F(TableRowStoreTest, ColumnKeyCellSortsByTheHiddenCell) {
    store.ColumnKeyCells[0] = 3;
    store.AddRow(u"alpha\n1\n\n00000030\n", 0);
    store.AddRow(u"beta\n1\n\n00000010\n", 1);
    store.AddRow(u"abc", 2); // sorts under its whole text
    store.AddRow(u"gamma\n1\n\n00000020\n", 3);
    store.RebuildItems();
    EXPECT_EQ(Labels(), (std::vector<std::u16string>{u"beta", u"gamma", u"alpha", u"abc"}));
}

TEST_F(TableRowStoreTest, ItemDataOfRowClampsLowAndFailsHigh) {
    store.AddRow(u"a\n", 10);
    store.AddRow(u"b\n", 20);
    EXPECT_EQ(store.ItemDataOfRow(-5), 10u);
    EXPECT_EQ(store.ItemDataOfRow(1), 20u);
    EXPECT_EQ(store.ItemDataOfRow(2), 0xFFFFFFFFu);
    store.ClearRows();
    EXPECT_EQ(store.ItemDataOfRow(0), 0xFFFFFFFFu);
}

TEST_F(TableRowStoreTest, SortByColumnReordersAndSelectsTheSameRowAgain) {
    store.AddRow(u"c\n1\n", 100);
    store.AddRow(u"a\n3\n", 101);
    store.AddRow(u"b\n2\n", 102);
    store.RebuildItems();
    store.SetSelected(0, true); // "a", item data 101

    EXPECT_EQ(store.SortByColumn(0), -1); // the sort column again: nothing happens
    EXPECT_EQ(store.GetSelectedIndex(), 0);

    EXPECT_EQ(store.SortByColumn(1), 2); // "a" moves to the end (key "3")
    EXPECT_EQ(ItemDataInOrder(), (std::vector<uint32_t>{100, 102, 101}));
    EXPECT_EQ(store.Selection(), (std::set<int>{2}));
    EXPECT_EQ(store.SelectedRow, 2);

    // Rows added after the sort take their key from the new sort column.
    store.AddRow(u"z\n0\n", 103);
    EXPECT_EQ(store.ItemDataOfRow(0), 103u);
}

TEST_F(TableRowStoreTest, SortByColumnKeepsEqualKeysInTheirPreviousOrder) {
    store.AddRow(u"b\nx\n", 1);
    store.AddRow(u"a\nx\n", 2);
    store.AddRow(u"c\nw\n", 3);
    store.RebuildItems();
    store.SortByColumn(1);
    EXPECT_EQ(ItemDataInOrder(), (std::vector<uint32_t>{3, 2, 1}));
    EXPECT_EQ(store.GetSelectedIndex(), -1);
}

// Rows out of order come in a few ordered runs, in many runs of few distinct keys, or in many
// runs of many keys; each shape keeps equal keys in the order they were added.
TEST_F(TableRowStoreTest, EveryShapeOfUnorderedRowsIsSortedStably) {
    struct Case {
        const char* name;
        uint32_t rows;
        uint32_t (*key)(uint32_t);
    };
    const Case cases[] = {
        {"two ordered runs", 40, [](uint32_t i) { return i % 20; }},
        {"many runs of three keys", 60, [](uint32_t i) { return (i * 7) % 3; }},
        {"many runs of many keys", 200, [](uint32_t i) { return (i * 37) % 50; }},
    };
    for (const Case& c : cases) {
        store.ClearRows();
        std::vector<std::pair<std::u16string, uint32_t>> expected;
        for (uint32_t i = 0; i < c.rows; ++i) {
            const std::string key = std::to_string(100 + c.key(i));
            const std::u16string text(key.begin(), key.end());
            store.AddRow(text + u"\n", i);
            expected.emplace_back(text, i);
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<uint32_t> order;
        for (const auto& row : expected)
            order.push_back(row.second);
        store.RebuildItems();
        EXPECT_EQ(ItemDataInOrder(), order) << c.name;
    }
}

TEST_F(TableRowStoreTest, SortByColumnDoesNotReselectNegativeItemData) {
    store.AddRow(u"b\n1\n", 0x80000000u);
    store.AddRow(u"a\n2\n", 5);
    store.RebuildItems();
    store.SetSelected(1, true);
    EXPECT_EQ(store.SortByColumn(1), -1);
    EXPECT_EQ(store.GetSelectedIndex(), -1);
}

TEST_F(TableRowStoreTest, SelectByItemDataAddsToTheSelection) {
    store.AddRow(u"a\n", 4);
    store.AddRow(u"b\n", 5);
    store.AddRow(u"c\n", 5);
    store.RebuildItems();
    store.SetSelected(2, true);
    EXPECT_EQ(store.SelectByItemData(5), 1); // the first row with that item data
    EXPECT_EQ(store.Selection(), (std::set<int>{1, 2}));
    EXPECT_EQ(store.SelectedRow, 1);
    EXPECT_EQ(store.SelectByItemData(6), -1);
    EXPECT_EQ(store.SelectedRow, 1);
}

TEST_F(TableRowStoreTest, SelectionOutsideTheItemsIsIgnored) {
    store.AddRow(u"a\n", 4);
    // Rows added but not yet rebuilt into items cannot be selected.
    store.SetSelected(0, true);
    EXPECT_EQ(store.GetSelectedIndex(), -1);
    store.RebuildItems();
    store.SetSelected(0, true);
    store.SetSelected(5, true);
    EXPECT_EQ(store.Selection(), (std::set<int>{0}));
    EXPECT_FALSE(store.UpdateSelectedRow()); // SelectedRow starts at 0
    store.SetSelected(0, false);
    EXPECT_TRUE(store.UpdateSelectedRow());
    EXPECT_EQ(store.SelectedRow, -1);
}

class TypeAheadTest : public TableRowStoreTest {
protected:
    void SetUp() override {
        TableRowStoreTest::SetUp();
        store.SearchCell = 0;
        for (const char16_t* row : {u"apple\n", u"Peach\n", u"pear\n", u"plum\n", u"pa\n",
                                    u"\u0416\u0435\u043b\u0443\u0434\u044c\n"})
            store.AddRow(row, 0);
        store.RebuildItems();
        // Store order: Peach, apple, pa, pear, plum, the Cyrillic word.
    }
};

TEST_F(TypeAheadTest, KeysWithin2000MsContinueTheSearchFromTheFoundRow) {
    store.TypeAhead(u'x', 1000); // the first key of the process: nothing matches "x"
    auto first = store.TypeAhead(u'p', 5000);
    EXPECT_EQ(first.Found, 0);            // "Peach": an upper-case cell matches a lower-case key
    EXPECT_FALSE(first.SelectionChanged); // SelectedRow starts at 0
    auto second = store.TypeAhead(u'a', 5500);
    EXPECT_EQ(second.Found, 2); // "pa", searched from "Peach" on
    EXPECT_EQ(TableRowStore::ProcessTypeAhead().Text, u"pa");
    EXPECT_EQ(store.Selection(), (std::set<int>{0, 2}));
    EXPECT_FALSE(second.SelectionChanged); // the first selected row is still row 0
}

TEST_F(TypeAheadTest, ExactlyTwoSecondsContinuesAndOneMoreRestarts) {
    store.TypeAhead(u'p', 0);
    store.SetSelected(0, false);
    store.SetSelected(4, true); // "plum"
    auto continued = store.TypeAhead(u'l', 2000);
    EXPECT_EQ(continued.Found, 4);
    EXPECT_TRUE(continued.SelectionChanged);
    EXPECT_EQ(store.SelectedRow, 4);
    EXPECT_EQ(TableRowStore::ProcessTypeAhead().Text, u"pl");
    store.ClearSelection();
    store.SetSelected(4, true);
    auto restarted = store.TypeAhead(u'P', 4001);
    EXPECT_EQ(TableRowStore::ProcessTypeAhead().Text, u"p");
    EXPECT_EQ(restarted.Found, 0); // a new search starts at the first row
}

TEST_F(TypeAheadTest, TheFirstKeyContinuesFromTheSelectedRow) {
    store.SetSelected(3, true); // "pear"
    EXPECT_EQ(store.TypeAhead(u'p', 123456).Found, 3);
    EXPECT_EQ(TableRowStore::ProcessTypeAhead().Tick, 123456u);
}

TEST_F(TypeAheadTest, SearchDoesNotWrapAndTicksWrapAt32Bits) {
    store.TypeAhead(u'p', 0xFFFFFF00u);
    store.ClearSelection();
    store.SetSelected(4, true); // "plum"
    // 512 ms later across the wrap: "pe" continues from "plum" and finds nothing after it.
    EXPECT_EQ(store.TypeAhead(u'e', 0x100u).Found, -1);
    EXPECT_EQ(TableRowStore::ProcessTypeAhead().Text, u"pe");
}

TEST_F(TypeAheadTest, CyrillicKeysMatchEitherCase) {
    EXPECT_EQ(store.TypeAhead(u'\u0436', 10).Found, 5);
    EXPECT_EQ(store.TypeAhead(u'\u0415', 20).Found, 5);
}

TEST_F(TypeAheadTest, RowsWithoutTheSearchCellArePassedOver) {
    store.SearchCell = 1;
    store.ClearRows();
    store.AddRow(u"a\nzeta", 1); // cell 1 lacks its line feed
    store.AddRow(u"b\nzulu\n", 2);
    store.RebuildItems();
    EXPECT_EQ(store.TypeAhead(u'z', 0).Found, 1);
}

} // namespace
