#include "dialog/param_map_commands.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>
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

/// Walks `map` in key order and hands `store` (key, setting, single) for what the expansion
/// stores: the single entries of each considered entry (`considered` null: every entry), the
/// other entries unchanged. A false from `store` stops the walk; the result is then false.
template <class Store>
bool Expand(const SelectedParamMap& map, const ParamPositions* considered, Store store) {
    size_t position = 0;
    // The positions are walked beside the map, so that each is looked at once.
    auto next = considered != nullptr ? considered->begin() : ParamPositions::const_iterator();
    for (const auto& [key, setting] : map) {
        bool expand = considered == nullptr;
        if (!expand) {
            while (next != considered->end() && *next < position)
                ++next;
            expand = next != considered->end() && *next == position;
        }
        if (expand) {
            for (uint32_t k = 0; k <= key.count; ++k) {
                if (!store(ParamKey{ParamKeyElement(key, k), 0, 0}, setting, true))
                    return false;
            }
        } else if (!store(key, setting, false)) {
            return false;
        }
        ++position;
    }
    return true;
}

/// One key of an expansion, with the setting it takes.
struct Expanded {
    ParamKey Key;
    ParamSetting Setting;
    bool Single = false; ///< a considered entry yielded the key
};

/// Brings `expanded` into key order, each key once: a key yielded again takes the later
/// setting and is a single when either yield was.
void SortExpanded(std::vector<Expanded>& expanded) {
    std::stable_sort(expanded.begin(), expanded.end(),
                     [](const Expanded& a, const Expanded& b) { return a.Key < b.Key; });
    size_t kept = 0;
    for (size_t i = 0; i < expanded.size(); ++i) {
        if (kept > 0 && expanded[kept - 1].Key == expanded[i].Key) {
            expanded[kept - 1].Setting = expanded[i].Setting;
            expanded[kept - 1].Single = expanded[kept - 1].Single || expanded[i].Single;
        } else {
            expanded[kept++] = expanded[i];
        }
    }
    expanded.resize(kept);
}

/// What Expand stores, in key order and each key once, into `expanded`. False when that is
/// more than `limit` keys; the walk then stops early, so an oversized expansion is never built.
bool ExpandInOrder(const SelectedParamMap& map, const ParamPositions* considered, size_t limit,
                   std::vector<Expanded>& expanded) {
    // The keys come mostly in key order, so they are gathered in a vector and only sorted when
    // one came early; past the limit, repeated keys are folded (each time the vector doubled)
    // before the count decides.
    expanded.clear();
    expanded.reserve(std::min(map.size(), limit));
    bool ordered = true;
    size_t foldedSize = 0;
    const bool fits =
        Expand(map, considered, [&](const ParamKey& key, const ParamSetting& setting, bool single) {
            if (!expanded.empty() && !(expanded.back().Key < key))
                ordered = false;
            expanded.push_back({key, setting, single});
            if (expanded.size() <= limit)
                return true;
            if (!ordered && expanded.size() > 2 * foldedSize) {
                SortExpanded(expanded);
                ordered = true;
                foldedSize = expanded.size();
            }
            return expanded.size() <= limit || !ordered;
        });
    if (!ordered)
        SortExpanded(expanded);
    return fits && expanded.size() <= limit;
}

/// Key of the entry shown by the row with item data `position`; nullopt when the map has no
/// entry there. The keys the rows were made from serve while the map has as many entries as
/// they (it changes only together with the rows), else the map is walked.
std::optional<ParamKey> RowKey(const DialogState& state, size_t position) {
    const SelectedParamMap& map = state.SelectedParamMap;
    if (position >= map.size())
        return std::nullopt;
    if (state.ParamRowKeys.size() == map.size())
        return state.ParamRowKeys[position];
    return ParamEntryAt(map, position)->first;
}

/// Keys of the entries whose rows are selected, in key order. The menu and the prompts after
/// it run nested event loops in which the map may be replaced, so a command keeps keys, not
/// positions.
std::vector<ParamKey> SelectedKeys(const DialogState& state) {
    const ITableCtrl& list = *state.ParamList;
    std::vector<uint32_t> positions;
    for (int i = list.GetSelectedIndex(); i >= 0 && i < list.ItemCount();
         i = list.GetNextSelectedIndex(i)) {
        const uint32_t data = list.ItemDataOfRow(i);
        if (data == NoRow)
            break;
        positions.push_back(data);
    }
    // Rows sorted by another column than the parameter give their positions out of order.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    std::vector<ParamKey> keys;
    keys.reserve(positions.size());
    if (state.ParamRowKeys.size() == state.SelectedParamMap.size()) {
        for (uint32_t position : positions) {
            if (const std::optional<ParamKey> key = RowKey(state, position))
                keys.push_back(*key);
        }
        return keys;
    }
    const SelectedParamMap& map = state.SelectedParamMap;
    auto wanted = positions.begin();
    size_t position = 0;
    for (auto entry = map.begin(); entry != map.end() && wanted != positions.end();
         ++entry, ++position) {
        if (*wanted == position) {
            keys.push_back(entry->first);
            ++wanted;
        }
    }
    return keys;
}

/// Positions, in the map as it is now, of those keys (in key order) it still holds.
ParamPositions PositionsOf(const SelectedParamMap& map, const std::vector<ParamKey>& keys) {
    ParamPositions positions;
    auto key = keys.begin();
    size_t position = 0;
    for (auto entry = map.begin(); entry != map.end() && key != keys.end(); ++entry, ++position) {
        while (key != keys.end() && *key < entry->first)
            ++key;
        if (key != keys.end() && *key == entry->first) {
            positions.insert(positions.end(), position);
            ++key;
        }
    }
    return positions;
}

void AddParameter(DialogState& state) {
    std::vector<uint32_t> codes;
    int rate = 0;
    if (!state.Prompts->AddParameter(state.CurrentDescriptor, state.DeviceParamLayout,
                                     state.ChannelLayout.data(), codes, rate))
        return;
    const std::vector<ParamKey> keys = KeysOfPick(codes);
    if (keys.empty())
        return;
    // A pick is added whole or not at all.
    for (const ParamKey& key : keys) {
        if (state.SelectedParamMap.count(key) != 0) {
            state.Prompts->MessageBoxId(ids::ParamAlreadyInList);
            return;
        }
    }
    for (const ParamKey& key : keys)
        state.SelectedParamMap[key] = ParamSetting{static_cast<uint16_t>(rate), 0};
    const bool single = keys.size() == 1 && keys[0].count == 0;
    RefreshParamTable(state, single ? keys[0].code : 0);
}

void DeleteSelected(DialogState& state, const std::vector<ParamKey>& keys) {
    const std::u16string question = FormatWide(state.Prompts->LoadString(ids::ConfirmDeletion),
                                               {static_cast<int64_t>(keys.size())});
    if (state.Prompts->MessageBox(question, MbButtons::YesNo) != MbResult::Yes)
        return;
    // The question's event loop may have replaced the map: erase the keys it still holds.
    DeleteParamEntries(state.SelectedParamMap, PositionsOf(state.SelectedParamMap, keys));
    RefreshParamTable(state, 0);
}
} // namespace

std::vector<ParamKey> KeysOfPick(const std::vector<uint32_t>& codes) {
    constexpr uint32_t MaxStep = 0xFFFF;
    uint32_t step = 0;
    for (size_t i = 1; i < codes.size(); ++i) {
        const uint32_t d = codes[i] - codes[i - 1];
        if (d != 0 && d <= MaxStep && (step == 0 || d < step))
            step = d;
    }
    std::vector<ParamKey> keys;
    for (size_t first = 0; first < codes.size();) {
        size_t last = first;
        while (step != 0 && last + 1 < codes.size() && codes[last + 1] - codes[last] == step &&
               last - first + 1 < MaxEntryElements)
            ++last;
        const auto count = static_cast<uint16_t>(last - first);
        keys.push_back({codes[first], count, static_cast<uint16_t>(count == 0 ? 0 : step)});
        first = last + 1;
    }
    return keys;
}

void DeleteParamEntries(SelectedParamMap& map, const ParamPositions& positions) {
    // Positions count the entries as they were before any erase: the walk counts an erased
    // entry too, so one walk in ascending order reaches each target.
    auto entry = map.begin();
    size_t position = 0;
    for (size_t target : positions) {
        for (; entry != map.end() && position < target; ++position)
            ++entry;
        if (entry == map.end())
            break;
        entry = map.erase(entry);
        ++position;
    }
}

bool DivideParamEntries(SelectedParamMap& map, const ParamPositions& selected, bool* tooMany) {
    if (tooMany != nullptr)
        *tooMany = false;
    const ParamPositions* considered = selected.empty() ? nullptr : &selected;
    if (selected.size() == 1) {
        const auto entry = ParamEntryAt(map, *selected.begin());
        if (entry == map.end() || entry->first.count == 0)
            considered = nullptr;
    }
    const size_t before = map.size();
    const size_t limit = std::max(MaxDividedEntries, before);
    std::vector<Expanded> expanded;
    if (!ExpandInOrder(map, considered, limit, expanded)) {
        if (tooMany != nullptr)
            *tooMany = true;
        return false;
    }
    SelectedParamMap divided;
    for (const Expanded& entry : expanded)
        divided.emplace_hint(divided.end(), entry.Key, entry.Setting);
    map = std::move(divided);
    return map.size() != before;
}

bool AssembleParamEntries(SelectedParamMap& map, const ParamPositions& selected) {
    std::vector<Expanded> expanded;
    ExpandInOrder(map, selected.size() <= 1 ? nullptr : &selected,
                  std::numeric_limits<size_t>::max(), expanded);
    struct Run {
        uint32_t First = 0;
        uint32_t Taken = 0;
        ParamSetting Setting;
    };
    // An open run is kept as such (not marked by a first code of 0), so code 0 joins like any.
    std::optional<Run> run;
    SelectedParamMap joined;
    for (const Expanded& entry : expanded) {
        const ParamKey& key = entry.Key;
        const ParamSetting& setting = entry.Setting;
        if (!entry.Single) {
            joined.insert_or_assign(joined.end(), key, setting);
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
    const bool merged = joined.size() != expanded.size();
    map = std::move(joined);
    return merged;
}

int OnParamListMenu(DialogState& state, int /*column*/, int /*row*/) {
    if (state.Controls->ComboGetCurSel(ctl::TeleTypeCombo) < 0)
        return 0;
    const std::vector<ParamKey> keys = SelectedKeys(state);

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
    case param_menu::Divide: {
        bool tooMany = false;
        if (!DivideParamEntries(state.SelectedParamMap, PositionsOf(state.SelectedParamMap, keys),
                                &tooMany))
            prompts.MessageBoxId(tooMany ? ids::TooManyParams : ids::NothingToDivide);
        RefreshParamTable(state, 0);
        break;
    }
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
    const std::optional<ParamKey> rowKey = RowKey(state, data);
    if (!rowKey)
        return 0;
    const auto entry = state.SelectedParamMap.find(*rowKey);
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
