#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog/param_columns.h"
#include "dialog/param_map_commands.h"
#include "dialog/param_table_refresh.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"
#include "support/param_maps.h"
#include "text/wide_text.h"

namespace {

constexpr uint32_t C = 0x51300010u;
const ParamSetting S{10, 0};
const ParamSetting T{20, 0};

using Map = SelectedParamMap;

RegroupOutcome Outcome(bool changed) {
    return changed ? RegroupOutcome::Changed : RegroupOutcome::Unchanged;
}

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
         ParamMapOf({{{C, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, T}}),
         {},
         ParamMapOf({{{C, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, T}}),
         false},
        {"three consecutive singles",
         ParamMapOf({{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 2, 0, 0}, S}}),
         {},
         ParamMapOf({{{C, 2, 1}, S}}),
         true},
        {"a lone unit group is rebuilt",
         ParamMapOf({{{C, 3, 1}, S}}),
         {},
         ParamMapOf({{{C, 3, 1}, S}}),
         true},
        {"a lone group of step 256 falls apart",
         ParamMapOf({{{C, 3, 256}, S}}),
         {},
         ParamMapOf(
             {{{C, 0, 0}, S}, {{C + 256, 0, 0}, S}, {{C + 512, 0, 0}, S}, {{C + 768, 0, 0}, S}}),
         false},
        {"plot flags differ",
         ParamMapOf({{{C, 0, 0}, {10, 0}}, {{C + 1, 0, 0}, {10, 1}}}),
         {},
         ParamMapOf({{{C, 0, 0}, {10, 0}}, {{C + 1, 0, 0}, {10, 1}}}),
         false},
        {"selected group and single join, the rest is carried over",
         ParamMapOf({{{C - 5, 0, 0}, S}, {{C, 2, 1}, S}, {{C + 3, 0, 0}, S}, {{C + 4, 0, 0}, S}}),
         {1, 2},
         ParamMapOf({{{C - 5, 0, 0}, S}, {{C, 3, 1}, S}, {{C + 4, 0, 0}, S}}),
         true},
        {"one selected row counts as none",
         ParamMapOf({{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}}),
         {1},
         ParamMapOf({{{C, 1, 1}, S}}),
         true},
        {"runs cross band 255 into the next averaging index and keep code 0",
         ParamMapOf(
             {{{0, 0, 0}, S}, {{1, 0, 0}, S}, {{0x510001FFu, 0, 0}, S}, {{0x51000200u, 0, 0}, S}}),
         {},
         ParamMapOf({{{0, 1, 1}, S}, {{0x510001FFu, 1, 1}, S}}),
         true},
    };
    for (const MapCase& c : cases) {
        Map map = c.before;
        EXPECT_EQ(AssembleParamEntries(map, c.selected), Outcome(c.changed)) << c.name;
        EXPECT_EQ(map, c.after) << c.name;
    }
}

TEST(ParamMapCommands, Divide) {
    const MapCase cases[] = {
        {"empty", {}, {}, {}, false},
        {"every group when none is selected",
         ParamMapOf({{{C, 1, 1}, S}, {{C + 8, 1, 2}, T}}),
         {},
         ParamMapOf({{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 8, 0, 0}, T}, {{C + 10, 0, 0}, T}}),
         true},
        {"one selected single divides every group",
         ParamMapOf({{{C - 1, 0, 0}, S}, {{C, 1, 1}, S}, {{C + 8, 1, 1}, T}}),
         {0},
         ParamMapOf({{{C - 1, 0, 0}, S},
                     {{C, 0, 0}, S},
                     {{C + 1, 0, 0}, S},
                     {{C + 8, 0, 0}, T},
                     {{C + 9, 0, 0}, T}}),
         true},
        {"one selected group divides only itself",
         ParamMapOf({{{C, 1, 1}, S}, {{C + 8, 1, 1}, T}}),
         {1},
         ParamMapOf({{{C, 1, 1}, S}, {{C + 8, 0, 0}, T}, {{C + 9, 0, 0}, T}}),
         true},
        {"the later entry's setting wins for a shared key",
         ParamMapOf({{{C, 2, 1}, S}, {{C + 1, 0, 0}, T}}),
         {},
         ParamMapOf({{{C, 0, 0}, S}, {{C + 1, 0, 0}, T}, {{C + 2, 0, 0}, S}}),
         true},
        {"singles only", ParamMapOf({{{C, 0, 0}, S}}), {}, ParamMapOf({{{C, 0, 0}, S}}), false},
    };
    for (const MapCase& c : cases) {
        Map map = c.before;
        EXPECT_EQ(DivideParamEntries(map, c.selected), Outcome(c.changed)) << c.name;
        EXPECT_EQ(map, c.after) << c.name;
    }
}

TEST(ParamMapCommands, AssembleNeverOverflowsTheCountOfOneEntry) {
    Map map;
    for (uint32_t k = 0; k < MaxEntryElements + 2; ++k)
        map[{C + k, 0, 0}] = S;
    EXPECT_EQ(AssembleParamEntries(map, {}), RegroupOutcome::Changed);
    EXPECT_EQ(map, ParamMapOf({{{C, 0xFFFF, 1}, S}, {{C + MaxEntryElements, 1, 1}, S}}));
}

/// Divide and Assemble as the expansion defines them, key by key (fit for small maps only): the
/// considered entries become singles, a key yielded again takes the later setting and counts as
/// a single when either yield was one; Assemble then joins runs of singles.
struct Expansion {
    struct Yield {
        ParamSetting Setting;
        bool Single = false;
    };
    std::map<ParamKey, Yield> Keys;

    Expansion(const Map& map, const ParamPositions* considered) {
        size_t position = 0;
        for (const auto& [key, setting] : map) {
            const bool expand = considered == nullptr || considered->count(position++) != 0;
            for (uint32_t k = 0; k <= (expand ? key.count : 0); ++k) {
                const ParamKey yielded = expand ? ParamKey{ParamKeyElement(key, k), 0, 0} : key;
                auto [it, fresh] = Keys.try_emplace(yielded, Yield{setting, expand});
                if (!fresh)
                    it->second = {setting, it->second.Single || expand};
            }
        }
    }
    Map Divided() const {
        Map map;
        for (const auto& [key, yield] : Keys)
            map[key] = yield.Setting;
        return map;
    }
    std::pair<Map, bool> Assembled() const {
        Map joined;
        std::optional<std::pair<uint32_t, uint32_t>> run; // first code, codes taken
        ParamSetting setting;
        const auto close = [&] {
            if (run)
                InsertParamEntry(run->second, run->first, setting, joined);
        };
        for (const auto& [key, yield] : Keys) {
            if (!yield.Single) {
                joined[key] = yield.Setting;
            } else if (run && run->second < MaxEntryElements &&
                       key.code == run->first + run->second && yield.Setting == setting) {
                ++run->second;
            } else {
                close();
                run = {{key.code, 1}};
                setting = yield.Setting;
            }
        }
        close();
        return {joined, joined.size() != Keys.size()};
    }
};

// Small maps of every shape: overlapping groups, singles inside groups, unequal settings,
// groups that wrap past 0xFFFFFFFF, steps 0 to 3 and selected subsets, against the expansion.
TEST(ParamMapCommands, DivideAndAssembleGiveWhatTheExpansionGives) {
    uint32_t seed = 7;
    const auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int trial = 0; trial < 3000; ++trial) {
        const uint32_t base = trial % 3 == 0 ? 0xFFFFFFF0u : C;
        Map map;
        for (uint32_t n = next(7); n > 0; --n) {
            const auto count = static_cast<uint16_t>(next(3) == 0 ? 0 : next(8));
            const auto step = static_cast<uint16_t>(count == 0 ? 0 : next(4));
            map[{base + next(24), count, step}] = {static_cast<uint16_t>(1 + next(2)), 0};
        }
        ParamPositions selected;
        for (size_t position = 0; position < map.size(); ++position)
            if (next(2) == 0)
                selected.insert(position);
        SCOPED_TRACE(testing::Message() << "trial " << trial);

        const Expansion all(map, selected.size() <= 1 ? nullptr : &selected);
        Map assembled = map;
        EXPECT_EQ(AssembleParamEntries(assembled, selected), Outcome(all.Assembled().second));
        EXPECT_EQ(assembled, all.Assembled().first);

        const ParamPositions* divided = selected.empty() ? nullptr : &selected;
        if (selected.size() == 1 && map.nth(*selected.begin())->first.count == 0)
            divided = nullptr;
        Map result = map;
        EXPECT_EQ(DivideParamEntries(result, selected),
                  Outcome(Expansion(map, divided).Divided().size() != map.size()));
        EXPECT_EQ(result, Expansion(map, divided).Divided());
    }
}

// Adjacent and overlapping groups join without their codes being gathered one by one: groups
// whose singles would number 2^31 (some 32 GB as keys) give two entries.
TEST(ParamMapCommands, AssembleJoinsGroupsWithoutBuildingTheirSingles) {
    Map map;
    for (uint32_t g = 0; g < 0x7FFF; ++g)
        map.emplace_hint(map.end(), ParamKey{C + g, 0xFFFF, 1}, S);
    EXPECT_EQ(AssembleParamEntries(map, {}), RegroupOutcome::Changed);
    EXPECT_EQ(map, ParamMapOf({{{C, 0xFFFF, 1}, S}, {{C + 0x10000, 0x7FFD, 1}, S}}));

    // A run is cut every 65536 codes from its start, also across groups.
    Map adjacent;
    for (uint32_t g = 0; g < 17; ++g)
        adjacent[{C + g * 0x1000, 0xFFF, 1}] = S;
    const auto [expected, joined] = Expansion(adjacent, nullptr).Assembled();
    EXPECT_EQ(AssembleParamEntries(adjacent, {}), RegroupOutcome::Changed);
    EXPECT_EQ(adjacent, expected);
    EXPECT_EQ(adjacent, ParamMapOf({{{C, 0xFFFF, 1}, S}, {{C + 0x10000, 0xFFF, 1}, S}}));
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

    Map map =
        ParamMapOf({{{C, 0, 0}, S}, {{C + 1, 0, 0}, S}, {{C + 2, 0, 0}, S}, {{C + 3, 0, 0}, S}});
    DeleteParamEntries(map, {0, 2, 9});
    EXPECT_EQ(map, ParamMapOf({{{C + 1, 0, 0}, S}, {{C + 3, 0, 0}, S}}));
}

/// The handlers on a working state with a chosen type and the parameter list as the program
/// fills it: RefreshParamTable makes the rows from the map, and a test picks rows as a user
/// sees them (by their rate cell, every entry having its own rate), never by position.
class ParamMapHandlersTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.State.ParamList = &table;
        SetUpParamColumns(f.State);
        f.Controls.ComboAddString(ctl::TeleTypeCombo, u"Type");
        f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
        f.Prompts.Strings[ids::ConfirmDeletion] = u"Confirm deletion of %d elements";
        Show(ParamMapOf({{{C, 0, 0}, {10, 0}}, {{C, 4, 1}, {20, 0}}, {{C + 9, 0, 0}, {60, 1}}}));
    }
    void Show(const Map& map) {
        f.State.SelectedParamMap = map;
        RefreshParamTable(f.State, 0);
    }
    /// List index of the row whose rate cell shows `rate`; -1 when none does.
    int RowOfRate(int rate) const {
        const std::u16string text = AsciiToWide(std::to_string(rate));
        for (int i = 0; i < table.ItemCount(); ++i) {
            std::u16string_view cell;
            if (table.Store.ItemText(i, 1, cell) && cell == text)
                return i;
        }
        return -1;
    }
    void SelectRates(std::vector<int> rates) {
        for (int rate : rates) {
            ASSERT_GE(RowOfRate(rate), 0) << rate;
            table.Store.SetSelected(RowOfRate(rate), true);
        }
    }
    ParamSetting Setting(const ParamKey& key) { return SettingAt(f.State.SelectedParamMap, key); }
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
    OnParamListMenu(f.State, 0, 0);
    EXPECT_TRUE(f.Prompts.Menus.empty());

    f.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
    OnParamListMenu(f.State, 0, -1);
    EXPECT_EQ(MenuCommands(),
              (std::vector<int>{param_menu::Add, 0, param_menu::Assemble, param_menu::Divide}));
    SelectRates({60});
    OnParamListMenu(f.State, 0, -1);
    EXPECT_EQ(MenuCommands(), (std::vector<int>{param_menu::Add, 0, param_menu::Assemble,
                                                param_menu::Divide, 0, param_menu::Delete}));
    EXPECT_EQ(f.State.SelectedParamMap.size(), 3u) << "no choice does nothing";
}

TEST_F(ParamMapHandlersTest, DeleteAsksWithTheCountAndRemovesTheSelectedEntries) {
    SelectRates({10, 60});
    f.Prompts.MenuAnswers = {param_menu::Delete, param_menu::Delete};
    f.Prompts.Answers = {MbResult::No, MbResult::Yes};
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 3u);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>(2, u"Confirm deletion of 2 elements"));
    EXPECT_EQ(f.Prompts.Boxes.back().Buttons, MbButtons::YesNo);
    EXPECT_EQ(f.State.SelectedParamMap, ParamMapOf({{{C, 4, 1}, {20, 0}}}));
    EXPECT_EQ(table.Store.RowCount(), 1u);
    EXPECT_EQ(table.Store.GetSelectedIndex(), -1);
}

// Rows sorted by another column than the parameter stand in another order than their
// entries; every command still reaches the entry of the row picked.
TEST_F(ParamMapHandlersTest, RowsSortedByRateReachTheirOwnEntries) {
    Show(ParamMapOf({{{C, 0, 0}, {50, 0}},
                     {{C + 1, 0, 0}, {40, 0}},
                     {{C + 2, 3, 1}, {30, 0}},
                     {{C + 7, 0, 0}, {20, 0}},
                     {{C + 8, 0, 0}, {10, 0}}}));
    table.SortByColumn(1);
    ASSERT_EQ(RowOfRate(10), 0);

    SelectRates({40, 20});
    f.Prompts.MenuAnswers = {param_menu::Delete};
    f.Prompts.Answers = {MbResult::Yes};
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(
        f.State.SelectedParamMap,
        ParamMapOf({{{C, 0, 0}, {50, 0}}, {{C + 2, 3, 1}, {30, 0}}, {{C + 8, 0, 0}, {10, 0}}}));

    SelectRates({30});
    f.Prompts.MenuAnswers = {param_menu::Divide};
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 6u) << "the selected group alone is divided";
    EXPECT_EQ(Setting({C + 5, 0, 0}).rate, 30);

    OnParamCellDblClick(f.State, 2, RowOfRate(10));
    EXPECT_EQ(Setting({C + 8, 0, 0}).plot, 1);
    f.Prompts.EditTextAnswers = {u"45"};
    OnParamCellDblClick(f.State, 1, RowOfRate(50));
    EXPECT_EQ(Setting({C, 0, 0}).rate, 45);
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
    EXPECT_EQ(f.State.SelectedParamMap, ParamMapOf({{{C, 0, 0}, {10, 0}},
                                                    {{C, 1, 1}, {7, 0}},
                                                    {{C, 4, 1}, {20, 0}},
                                                    {{C + 9, 0, 0}, {60, 1}},
                                                    {{C + 20, 0, 0}, {8, 0}}}));
    EXPECT_EQ(table.SelectedItemData(), (std::vector<uint32_t>{4})) << "the new single's row";
}

TEST_F(ParamMapHandlersTest, DivideAndAssembleBeyond65536EntriesAreRefusedAndChangeNothing) {
    // 16 groups of 4096 codes divide into exactly 65536 singles; one more single is too many.
    Map groups;
    for (uint32_t g = 0; g < 16; ++g)
        groups[{C + g * 0x1000, 0xFFF, 1}] = S;
    Map tooMany = groups;
    tooMany[{C + 0x20000, 0, 0}] = T;
    // Two groups of step 4 that interleave without touching fall apart into 131072 singles.
    const Map apart = ParamMapOf({{{C, 0xFFFF, 4}, S}, {{C + 2, 0xFFFF, 4}, S}});
    f.Prompts.MenuAnswers = {param_menu::Divide, param_menu::Assemble, param_menu::Divide};

    Show(tooMany);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap, tooMany);
    Show(apart);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap, apart);
    EXPECT_EQ(table.Store.RowCount(), 2u);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#155", u"#155"}));

    f.Prompts.Boxes.clear();
    Show(groups);
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
    EXPECT_EQ(f.State.SelectedParamMap, ParamMapOf({{{C, 0, 0}, {10, 0}},
                                                    {{C, 4, 1}, {20, 0}},
                                                    {{C + 9, 0, 0}, {60, 1}},
                                                    {{C + 30, 1, 1}, {7, 0}},
                                                    {{C + 33, 1, 1}, {7, 0}}}));
    EXPECT_TRUE(table.SelectedItemData().empty());
}

TEST_F(ParamMapHandlersTest, DivideAndAssembleReportWhenNothingChanges) {
    Show(ParamMapOf({{{C, 0, 0}, S}, {{C + 5, 0, 0}, S}}));
    f.Prompts.MenuAnswers = {param_menu::Divide, param_menu::Assemble};
    OnParamListMenu(f.State, 0, 0);
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.Prompts.Texts(), (std::vector<std::u16string>{u"#140", u"#141"}));
    EXPECT_EQ(table.Store.RowCount(), 2u);

    // A lone group is rebuilt as its singles, and string 141 shows over rows that show them.
    Show(ParamMapOf({{{C, 3, 256}, S}}));
    size_t rowsDuringBox = 0;
    f.Prompts.DuringMessageBox = [&] { rowsDuringBox = table.Store.RowCount(); };
    f.Prompts.MenuAnswers = {param_menu::Assemble};
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 4u);
    EXPECT_EQ(rowsDuringBox, 4u);
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
        OnParamCellDblClick(f.State, 1, RowOfRate(Setting({C + 9, 0, 0}).rate));
        EXPECT_EQ(Setting({C + 9, 0, 0}).rate, c.rate);
        EXPECT_EQ(f.Prompts.Texts().size(), c.wrong ? 1u : 0u);
    }
    EXPECT_EQ(f.Prompts.EditTextCaptions.front(), u"#142");
    EXPECT_EQ(f.Prompts.EditTextInitial.front(), u"60");
}

TEST_F(ParamMapHandlersTest, PlotCellTogglesAndSelectsTheCodesLastRow) {
    OnParamCellDblClick(f.State, 2, RowOfRate(10)); // the single C
    EXPECT_EQ(Setting({C, 0, 0}).plot, 1);
    // Two entries share code C: the group, later in key order, is selected.
    EXPECT_EQ(table.SelectedItemData(), (std::vector<uint32_t>{1}));
    OnParamCellDblClick(f.State, 2, RowOfRate(10));
    EXPECT_EQ(Setting({C, 0, 0}).plot, 0);

    const Map before = f.State.SelectedParamMap;
    for (auto [column, row] : std::vector<std::pair<int, int>>{{0, 0}, {3, 0}, {2, -1}, {2, 7}})
        OnParamCellDblClick(f.State, column, row);
    EXPECT_EQ(f.State.SelectedParamMap, before);
}

// The menu, the text dialog and the boxes run nested event loops, in which a reply of the
// adapter can replace the map and rebuild the rows before the command goes on.
TEST_F(ParamMapHandlersTest, CommandsAimAtTheirEntriesWhenTheMapChangesUnderAPrompt) {
    SelectRates({60}); // C + 9
    f.Prompts.MenuAnswers = {param_menu::Delete};
    f.Prompts.DuringMessageBox = [this] {
        Show(ParamMapOf({{{C - 1, 0, 0}, T}, {{C, 0, 0}, S}, {{C + 9, 0, 0}, S}}));
    };
    OnParamListMenu(f.State, 0, 0);
    EXPECT_EQ(f.State.SelectedParamMap, ParamMapOf({{{C - 1, 0, 0}, T}, {{C, 0, 0}, S}}));

    // The entry whose rate is being edited goes away while the text dialog is open.
    f.Prompts.DuringMessageBox = nullptr;
    f.Prompts.DuringDialog = [this] { Show(ParamMapOf({{{C + 50, 0, 0}, T}})); };
    f.Prompts.EditTextAnswers = {u"30"};
    OnParamCellDblClick(f.State, 1, RowOfRate(S.rate));
    EXPECT_EQ(f.State.SelectedParamMap, ParamMapOf({{{C + 50, 0, 0}, T}}));
    EXPECT_TRUE(f.Prompts.Texts().size() == 1) << "only the deletion's confirmation";
}

} // namespace
