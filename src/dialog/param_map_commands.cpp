#include "dialog/param_map_commands.h"

#include <iterator>
#include <optional>
#include <string>

#include "dialog/add_parameter.h"
#include "dialog/dialog_state.h"
#include "dialog/param_table_refresh.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "text/string_format.h"
#include "text/wide_text.h"

namespace {
constexpr int RateColumn = 1;
constexpr int PlotColumn = 2;
/// Item data of a row the list does not have.
constexpr uint32_t NoRow = 0xFFFFFFFFu;

/// The map after splitting the considered entries into singles, and the keys of those
/// singles. `considered` is null for every entry.
struct Expansion {
    SelectedParamMap Map;
    std::set<ParamKey> Singles;
};

Expansion Expand(const SelectedParamMap& map, const ParamPositions* considered) {
    Expansion out;
    size_t position = 0;
    for (const auto& [key, setting] : map) {
        if (considered == nullptr || considered->count(position) != 0) {
            for (uint32_t k = 0; k <= key.count; ++k) {
                const ParamKey single{ParamKeyElement(key, k), 0, 0};
                out.Map[single] = setting;
                out.Singles.insert(single);
            }
        } else {
            out.Map[key] = setting;
        }
        ++position;
    }
    return out;
}

/// Keys of the entries whose rows are selected. The menu and the prompts after it run nested
/// event loops in which the map may be replaced, so a command keeps keys, not positions.
std::vector<ParamKey> SelectedKeys(const ITableCtrl& list, const SelectedParamMap& map) {
    ParamPositions positions;
    for (int i = 0; i < list.ItemCount(); ++i) {
        const uint32_t data = list.ItemDataOfRow(i);
        if (data == NoRow)
            break;
        if (list.IsItemSelected(i))
            positions.insert(data);
    }
    std::vector<ParamKey> keys;
    for (size_t position : positions) {
        const auto entry = ParamEntryAt(map, position);
        if (entry != map.end())
            keys.push_back(entry->first);
    }
    return keys;
}

/// Positions, in the map as it is now, of those keys it still holds.
ParamPositions PositionsOf(const SelectedParamMap& map, const std::vector<ParamKey>& keys) {
    ParamPositions positions;
    for (const ParamKey& key : keys) {
        if (const std::optional<size_t> position = ParamEntryPosition(map, key))
            positions.insert(*position);
    }
    return positions;
}

void AddParameter(DialogState& state) {
    std::vector<uint32_t> codes;
    int rate = 0;
    if (!state.Prompts->AddParameter(state.CurrentDescriptor, state.DeviceParamLayout,
                                     state.ChannelLayout.data(), codes, rate))
        return;
    const std::optional<ParamKey> key = KeyOfPick(codes);
    if (!key)
        return;
    if (state.SelectedParamMap.count(*key) != 0) {
        state.Prompts->MessageBoxId(ids::ParamAlreadyInList);
        return;
    }
    state.SelectedParamMap[*key] = ParamSetting{static_cast<uint16_t>(rate), 0};
    RefreshParamTable(state, key->count == 0 ? key->code : 0);
}

void DeleteSelected(DialogState& state, const std::vector<ParamKey>& keys) {
    const std::u16string question = FormatWide(state.Prompts->LoadString(ids::ConfirmDeletion),
                                               {static_cast<int64_t>(keys.size())});
    if (state.Prompts->MessageBox(question, MbButtons::YesNo) != MbResult::Yes)
        return;
    DeleteParamEntries(state.SelectedParamMap, PositionsOf(state.SelectedParamMap, keys));
    RefreshParamTable(state, 0);
}
} // namespace

std::optional<ParamKey> KeyOfPick(const std::vector<uint32_t>& codes) {
    if (codes.empty())
        return std::nullopt;
    if (codes.size() == 1)
        return ParamKey{codes[0], 0, 0};
    return ParamKey{codes[0], static_cast<uint16_t>(codes.size() - 1),
                    static_cast<uint16_t>(codes[1] - codes[0])};
}

void DeleteParamEntries(SelectedParamMap& map, const ParamPositions& positions) {
    for (auto it = positions.rbegin(); it != positions.rend(); ++it)
        EraseParamEntryAt(map, *it);
}

bool DivideParamEntries(SelectedParamMap& map, const ParamPositions& selected) {
    const ParamPositions* considered = selected.empty() ? nullptr : &selected;
    if (selected.size() == 1) {
        const auto entry = ParamEntryAt(map, *selected.begin());
        if (entry == map.end() || entry->first.count == 0)
            considered = nullptr;
    }
    const size_t before = map.size();
    map = Expand(map, considered).Map;
    return map.size() != before;
}

bool AssembleParamEntries(SelectedParamMap& map, const ParamPositions& selected) {
    Expansion expanded = Expand(map, selected.size() <= 1 ? nullptr : &selected);
    struct Run {
        uint32_t First = 0;
        uint32_t Taken = 0;
        ParamSetting Setting;
    };
    // An open run is kept as such (not marked by a first code of 0), so code 0 joins like any.
    std::optional<Run> run;
    SelectedParamMap joined;
    for (const auto& [key, setting] : expanded.Map) {
        if (expanded.Singles.count(key) == 0) {
            joined[key] = setting;
            continue;
        }
        // A run stops at what one entry's 16-bit count can hold.
        if (run && run->Taken < MaxEntryElements && key.code == run->First + run->Taken &&
            setting == run->Setting) {
            ++run->Taken;
            continue;
        }
        if (run)
            InsertParamEntry(run->Taken, run->First, run->Setting, joined);
        run = Run{key.code, 1, setting};
    }
    if (run)
        InsertParamEntry(run->Taken, run->First, run->Setting, joined);
    const bool merged = joined.size() != expanded.Map.size();
    map = std::move(joined);
    return merged;
}

int OnParamListMenu(DialogState& state, int /*column*/, int /*row*/) {
    if (state.Controls->ComboGetCurSel(ctl::TeleTypeCombo) < 0)
        return 0;
    const std::vector<ParamKey> keys = SelectedKeys(*state.ParamList, state.SelectedParamMap);

    IUserPrompts& prompts = *state.Prompts;
    std::vector<MenuItem> menu{
        {param_menu::Add, prompts.LoadString(ids::MenuAddParameter)},
        {0, {}},
        {param_menu::Assemble, prompts.LoadString(ids::MenuAssemble)},
        {param_menu::Divide, prompts.LoadString(ids::MenuDivide)},
    };
    if (!keys.empty()) {
        menu.push_back({0, {}});
        menu.push_back({param_menu::Delete, prompts.LoadString(ids::MenuDelete)});
    }
    switch (prompts.PopupMenu(menu)) {
    case param_menu::Add:
        AddParameter(state);
        break;
    case param_menu::Delete:
        DeleteSelected(state, keys);
        break;
    case param_menu::Divide:
        if (!DivideParamEntries(state.SelectedParamMap, PositionsOf(state.SelectedParamMap, keys)))
            prompts.MessageBoxId(ids::NothingToDivide);
        RefreshParamTable(state, 0);
        break;
    case param_menu::Assemble:
        if (!AssembleParamEntries(state.SelectedParamMap,
                                  PositionsOf(state.SelectedParamMap, keys)))
            prompts.MessageBoxId(ids::NothingToAssemble);
        RefreshParamTable(state, 0);
        break;
    default:
        break;
    }
    return 0;
}

int OnParamCellDblClick(DialogState& state, int column, int row) {
    if (row < 0)
        return 0;
    const uint32_t data = state.ParamList->ItemDataOfRow(row);
    if (static_cast<int32_t>(data) < 0)
        return 0;
    const auto entry = ParamEntryAt(state.SelectedParamMap, data);
    if (entry == state.SelectedParamMap.end())
        return 0;
    const ParamKey key = entry->first;
    if (column == RateColumn) {
        std::u16string text = AsciiToWide(std::to_string(entry->second.rate));
        if (!state.Prompts->EditText(state.Prompts->LoadString(ids::EnterSendRate), text))
            return 0;
        const std::optional<int> rate = ReadSendRate(text);
        if (!rate) {
            state.Prompts->MessageBoxId(ids::WrongRate);
            return 0;
        }
        // The dialog's event loop may have replaced the map: the entry is looked up again.
        const auto edited = state.SelectedParamMap.find(key);
        if (edited == state.SelectedParamMap.end())
            return 0;
        edited->second.rate = static_cast<uint16_t>(*rate);
        RefreshParamTable(state, key.code);
    } else if (column == PlotColumn) {
        entry->second.plot = entry->second.plot == 0 ? 1 : 0;
        RefreshParamTable(state, key.code);
    }
    return 0;
}
