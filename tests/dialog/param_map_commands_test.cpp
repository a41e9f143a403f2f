#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/param_map_commands.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"

namespace {

constexpr uint32_t C = 0x51300010u;
const ParamSetting S{10, 0};
const ParamSetting T{20, 0};

using Map = SelectedParamMap;

struct MapCase {
    const char* name;
    Map before;
    ParamPositions selected;
    Map after;
    bool changed;
};

TEST(ParamMapCommands, Assemble) {
    const MapCase cases[] = {
        {"empty", {}, {}, {}, false},
        {"gaps and different settings stay",
         {{{C, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, T}},
         {},
         {{{C, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, T}},
         false},
        {"three consecutive singles",
         {{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 2, 0, 0}, S}},
         {},
         {{{C, 2, 1}, S}},
         true},
        {"a lone unit group is rebuilt", {{{C, 3, 1}, S}}, {}, {{{C, 3, 1}, S}}, true},
        {"a lone group of step 256 falls apart",
         {{{C, 3, 256}, S}},
         {},
         {{{C, 0, 0}, S}, {{C + 256, 0, 0}, S}, {{C + 512, 0, 0}, S}, {{C + 768, 0, 0}, S}},
         false},
        {"plot flags differ",
         {{{C, 0, 0}, {10, 0}}, {{C + 1, 0, 0}, {10, 1}}},
         {},
         {{{C, 0, 0}, {10, 0}}, {{C + 1, 0, 0}, {10, 1}}},
         false},
        {"selected group and single join, the rest is carried over",
         {{{C - 5, 0, 0}, S}, {{C, 2, 1}, S}, {{C + 3, 0, 0}, S}, {{C + 4, 0, 0}, S}},
         {1, 2},
         {{{C - 5, 0, 0}, S}, {{C, 3, 1}, S}, {{C + 4, 0, 0}, S}},
         true},
        {"one selected row counts as none",
         {{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}},
         {1},
         {{{C, 1, 1}, S}},
         true},
        {"runs cross band 255 into the next averaging index and keep code 0",
         {{{0, 0, 0}, S}, {{1, 0, 0}, S}, {{0x510001FFu, 0, 0}, S}, {{0x51000200u, 0, 0}, S}},
         {},
         {{{0, 1, 1}, S}, {{0x510001FFu, 1, 1}, S}},
         true},
    };
    for (const MapCase& c : cases) {
        Map map = c.before;
        EXPECT_EQ(AssembleParamEntries(map, c.selected), c.changed) << c.name;
        EXPECT_EQ(map, c.after) << c.name;
    }
}

TEST(ParamMapCommands, Divide) {
    const MapCase cases[] = {
        {"empty", {}, {}, {}, false},
        {"every group when none is selected",
         {{{C, 1, 1}, S}, {{C + 8, 1, 2}, T}},
         {},
         {{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 8, 0, 0}, T}, {{C + 10, 0, 0}, T}},
         true},
        {"one selected single divides every group",
         {{{C - 1, 0, 0}, S}, {{C, 1, 1}, S}, {{C + 8, 1, 1}, T}},
         {0},
         {{{C - 1, 0, 0}, S},
          {{C, 0, 0}, S},
          {{C + 1, 0, 0}, S},
          {{C + 8, 0, 0}, T},
          {{C + 9, 0, 0}, T}},
         true},
        {"one selected group divides only itself",
         {{{C, 1, 1}, S}, {{C + 8, 1, 1}, T}},
         {1},
         {{{C, 1, 1}, S}, {{C + 8, 0, 0}, T}, {{C + 9, 0, 0}, T}},
         true},
        {"the later entry's setting wins for a shared key",
         {{{C, 2, 1}, S}, {{C + 1, 0, 0}, T}},
         {},
         {{{C, 0, 0}, S}, {{C + 1, 0, 0}, T}, {{C + 2, 0, 0}, S}},
         true},
        {"singles only", {{{C, 0, 0}, S}}, {}, {{{C, 0, 0}, S}}, false},
    };
    for (const MapCase& c : cases) {
        Map map = c.before;
        EXPECT_EQ(DivideParamEntries(map, c.selected), c.changed) << c.name;
        EXPECT_EQ(map, c.after) << c.name;
    }
}

TEST(ParamMapCommands, AssembleNeverOverflowsTheCountOfOneEntry) {
    Map map;
    for (uint32_t k = 0; k < MaxEntryElements + 2; ++k)
        map[{C + k, 0, 0}] = S;
    EXPECT_TRUE(AssembleParamEntries(map, {}));
    EXPECT_EQ(map, (Map{{{C, 0xFFFF, 1}, S}, {{C + MaxEntryElements, 1, 1}, S}}));
}

TEST(ParamMapCommands, KeysOfPickCoverExactlyItsCodesAndDelete) {
    const std::pair<std::vector<uint32_t>, std::vector<ParamKey>> cases[] = {
        {{}, {}},
        {{C}, {{C, 0, 0}}},
        {{C, C + 3, C + 6}, {{C, 2, 3}}},
        {{C, C + 1, C + 3, C + 4}, {{C, 1, 1}, {C + 3, 1, 1}}}, // one value missing
        {{C, C + 2, C + 3, C + 4, C + 7}, {{C, 0, 0}, {C + 2, 2, 1}, {C + 7, 0, 0}}},
        {{C + 0x10000, C + 0x20001}, {{C + 0x10000, 0, 0}, {C + 0x20001, 0, 0}}}, // too far apart
        {{C + 1, C}, {{C + 1, 0, 0}, {C, 0, 0}}},
    };
    for (const auto& [codes, keys] : cases) {
        SCOPED_TRACE(testing::PrintToString(codes));
        EXPECT_EQ(KeysOfPick(codes), keys);
        std::vector<uint32_t> covered;
        for (const ParamKey& key : KeysOfPick(codes))
            for (uint32_t k = 0; k <= key.count; ++k)
                covered.push_back(ParamKeyElement(key, k));
        EXPECT_EQ(covered, codes);
    }
    std::vector<uint32_t> many(MaxEntryElements + 1);
    for (uint32_t k = 0; k < many.size(); ++k)
        many[k] = C + k;
    EXPECT_EQ(KeysOfPick(many),
              (std::vector<ParamKey>{{C, 0xFFFF, 1}, {C + MaxEntryElements, 0, 0}}));

    Map map{{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, S}};
    DeleteParamEntries(map, {0, 2, 9});
    EXPECT_EQ(map, (Map{{{C + 1, 0, 0}, S}, {{C + 3, 0, 0}, S}}));
}

/// The handlers on a working state with a chosen type and a parameter list of the map's rows.
class ParamMapHandlersTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.State.ParamList = &table;
        table.SetColumnKeyCell(0, 3);
        for (int c = 0; c < 3; ++c)
            table.AddColumn(c, u"", 70, 0);
        f.Controls.ComboAddString(ctl::TeleTypeCombo, u"Type");
        f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
        f.Prompts.Strings[ids::ConfirmDeletion] = u"Confirm deletion of %d elements";
        f.State.SelectedParamMap = {{{C, 0, 0}, S}, {{C, 4, 1}, S}, {{C + 9, 0, 0}, {60, 1}}};
        Show();
    }
    void Show() {
        table.ClearRows();
        // Rows keyed by position, in the map's order, as the rebuild's code cells order them.
        for (uint32_t position = 0; position < f.State.SelectedParamMap.size(); ++position) {
            const std::u16string key(1, static_cast<char16_t>(u'0' + position));
            table.AddRow(u"\n\n\n" + key + u"\n", position);
        }
        table.RebuildItems();
    }
    ParamSetting Setting(const ParamKey& key) { return f.State.SelectedParamMap.at(key); }
    void SelectRows(std::vector<int> rows) {
        for (int r : rows)
            table.Store.SetSelected(r, true);
    }
    std::vector<int> MenuCommands() const {
        std::vector<int> ids;
        for (const MenuItem& item : f.Prompts.Menus.back())
            ids.push_back(item.Command);
        return ids;
    }

    DialogFixture f;
    FakeTableCtrl table;
};

TEST_F(ParamMapHandlersTest, MenuNeedsATypeAndOffersDeleteOnlyForSelectedRows) {
    f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, -1);
    EXPECT_EQ(OnParamListMenu(f.State, 0, 0), 0);
    EXPECT_TRUE(f.Prompts.Menus.empty());

    f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
    OnParamListMenu(f.State, 0, -1);
    EXPECT_EQ(MenuCommands(),
              (std::vector<int>{param_menu::Add, 0, param_menu::Assemble, param_menu::Divide}));
    SelectRows({2});
    OnParamListMenu(f.State, 0, -1);
    EXPECT_EQ(MenuCommands(), (std::vector<int>{param_menu::Add, 0, param_menu::Assemble,
                                                param_menu::Divide, 0, param_menu::Delete}));
    EXPECT_EQ(f.State.SelectedParamMap.size(), 3u) << "no choice does nothing";
}

TEST_F(ParamMapHandlersTest, DeleteAsksWithTheCountAndRemovesTheSelectedEntries) {
    SelectRows({0, 2});
    f.Prompts.MenuAnswers = {param_menu::Delete, param_menu::Delete};
    f.Prompts.Answers = {MbResult::No, MbResult::Yes};
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 3u);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>(2, u"Confirm deletion of 2 elements"));
    EXPECT_EQ(f.Prompts.Boxes.back().Buttons, MbButtons::YesNo);
    EXPECT_EQ(f.State.SelectedParamMap, (Map{{{C, 4, 1}, S}}));
    EXPECT_EQ(table.Store.RowCount(), 1u);
    EXPECT_EQ(table.Store.GetSelectedIndex(), -1);
}

TEST_F(ParamMapHandlersTest, AddStoresTheNewKeyAndRefusesOneAlreadyThere) {
    f.Prompts.MenuAnswers = {param_menu::Add, param_menu::Add, param_menu::Add, param_menu::Add,
                             param_menu::Add};
    f.Prompts.AddParameterAnswers = {
        FakePrompts::AddParameterAnswer{{C}, 5},        // a single already there
        FakePrompts::AddParameterAnswer{{C, C + 1}, 7}, // {C, 1, 1} is new
        FakePrompts::AddParameterAnswer{{C + 20}, 8},   // a new single
        FakePrompts::AddParameterAnswer{{}, 9},         // nothing picked
        std::nullopt,                                   // Cancel
    };
    for (int i = 0; i < 5; ++i)
        OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.AddParameterOpenings, 5);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#138"}));
    EXPECT_EQ(f.State.SelectedParamMap, (Map{{{C, 0, 0}, S},
                                             {{C, 1, 1}, {7, 0}},
                                             {{C, 4, 1}, S},
                                             {{C + 9, 0, 0}, {60, 1}},
                                             {{C + 20, 0, 0}, {8, 0}}}));
    EXPECT_EQ(table.SelectedItemData(), (std::vector<uint32_t>{4})) << "the new single's row";
}

TEST_F(ParamMapHandlersTest, DivideBeyond65536EntriesIsRefusedAndChangesNothing) {
    // 16 groups of 4096 codes divide into exactly 65536 singles; one more single is too many.
    Map groups;
    for (uint32_t g = 0; g < 16; ++g)
        groups[{C + g * 0x1000, 0xFFF, 1}] = S;
    Map tooMany = groups;
    tooMany[{C + 0x20000, 0, 0}] = T;
    f.Prompts.MenuAnswers = {param_menu::Divide, param_menu::Divide};

    f.State.SelectedParamMap = tooMany;
    Show();
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#155"}));
    EXPECT_EQ(f.State.SelectedParamMap, tooMany);

    f.Prompts.Boxes.clear();
    f.State.SelectedParamMap = groups;
    Show();
    OnParamListMenu(f.State, 0, 0);
    EXPECT_TRUE(f.Prompts.Texts().empty());
    EXPECT_EQ(f.State.SelectedParamMap.size(), MaxDividedEntries);
}

TEST_F(ParamMapHandlersTest, AddOfAPickWithAGapStoresExactlyItsCodesOrNothing) {
    f.Prompts.MenuAnswers = {param_menu::Add, param_menu::Add};
    f.Prompts.AddParameterAnswers = {
        FakePrompts::AddParameterAnswer{{C + 30, C + 31, C + 33, C + 34}, 7},
        FakePrompts::AddParameterAnswer{{C, C + 2, C + 3}, 8}, // {C, 0, 0} is there
    };
    OnParamListMenu(f.State, 0, 0);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#138"}));
    EXPECT_EQ(f.State.SelectedParamMap, (Map{{{C, 0, 0}, S},
                                             {{C, 4, 1}, S},
                                             {{C + 9, 0, 0}, {60, 1}},
                                             {{C + 30, 1, 1}, {7, 0}},
                                             {{C + 33, 1, 1}, {7, 0}}}));
    EXPECT_TRUE(table.SelectedItemData().empty());
}

TEST_F(ParamMapHandlersTest, DivideAndAssembleReportWhenNothingChanges) {
    f.State.SelectedParamMap = {{{C, 0, 0}, S}, {{C + 5, 0, 0}, S}};
    Show();
    f.Prompts.MenuAnswers = {param_menu::Divide, param_menu::Assemble};
    OnParamListMenu(f.State, 0, 0);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#140", u"#141"}));
    EXPECT_EQ(table.Store.RowCount(), 2u);
}

TEST_F(ParamMapHandlersTest, RateCellAcceptsOnlyARateInRange) {
    struct Case {
        std::optional<std::u16string> answer;
        uint16_t rate;
        bool wrong;
    } cases[] = {
        {u" 60s", 60, false}, {u"0", 60, true},          {u"28801", 60, true},
        {u"abc", 60, true},   {std::nullopt, 60, false}, {u"28800", 28800, false},
    };
    for (const Case& c : cases) {
        f.Prompts.Boxes.clear();
        f.Prompts.EditTextAnswers = {c.answer};
        OnParamCellDblClick(f.State, 1, 2);
        EXPECT_EQ(Setting({C + 9, 0, 0}).rate, c.rate);
        EXPECT_EQ(f.Prompts.Texts().size(), c.wrong ? 1u : 0u);
        Show();
    }
    EXPECT_EQ(f.Prompts.EditTextCaptions.front(), u"#142");
    EXPECT_EQ(f.Prompts.EditTextInitial.front(), u"60");
}

TEST_F(ParamMapHandlersTest, PlotCellTogglesAndSelectsTheCodesLastRow) {
    OnParamCellDblClick(f.State, 2, 0); // the single C
    EXPECT_EQ(Setting({C, 0, 0}).plot, 1);
    // Two entries share code C: the group, later in key order, is selected.
    EXPECT_EQ(table.SelectedItemData(), (std::vector<uint32_t>{1}));
    OnParamCellDblClick(f.State, 2, 0);
    EXPECT_EQ(Setting({C, 0, 0}).plot, 0);

    const Map before = f.State.SelectedParamMap;
    for (auto [column, row] : std::vector<std::pair<int, int>>{{0, 0}, {3, 0}, {2, -1}, {2, 7}})
        OnParamCellDblClick(f.State, column, row);
    EXPECT_EQ(f.State.SelectedParamMap, before);
}

} // namespace

namespace {

// The menu, the text dialog and the boxes run nested event loops, in which a reply of the
// adapter can replace the map and rebuild the rows before the command goes on.
TEST_F(ParamMapHandlersTest, CommandsAimAtTheirEntriesWhenTheMapChangesUnderAPrompt) {
    SelectRows({2}); // C + 9
    f.Prompts.MenuAnswers = {param_menu::Delete};
    f.Prompts.DuringMessageBox = [this] { f.State.SelectedParamMap[{C - 1, 0, 0}] = T; };
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap, (Map{{{C - 1, 0, 0}, T}, {{C, 0, 0}, S}, {{C, 4, 1}, S}}));

    // The entry whose rate is being edited goes away while the text dialog is open.
    f.Prompts.DuringMessageBox = nullptr;
    f.Prompts.DuringDialog = [this] { f.State.SelectedParamMap = {{{C + 50, 0, 0}, T}}; };
    f.Prompts.EditTextAnswers = {u"30"};
    OnParamCellDblClick(f.State, 1, 1);
    EXPECT_EQ(f.State.SelectedParamMap, (Map{{{C + 50, 0, 0}, T}}));
    EXPECT_TRUE(f.Prompts.Texts().size() == 1) << "only the deletion's confirmation";
}

} // namespace
