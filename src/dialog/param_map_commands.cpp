#include "dialog/param_map_commands.h"

#include <algorithm>
#include <iterator>
#include <queue>
#include <optional>
#include <string>

#include "dialog/add_parameter.h"
#include "dialog/dialog_state.h"
#include "dialog/param_columns.h"
#include "dialog/param_table_refresh.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "text/string_format.h"
#include "text/wide_text.h"

namespace {
constexpr int RateColumn = ParamCellIndex(ParamCell::Rate);
constexpr int PlotColumn = ParamCellIndex(ParamCell::PlotMark);
/// Item data of a row the list does not have.
constexpr uint32_t NoRow = 0xFFFFFFFFu;

using Entry = SelectedParamMap::value_type;

/// Codes first, first + 1, ... Last that one considered entry yields.
struct Stretch {
    uint64_t First = 0;
    uint64_t Last = 0;
    size_t Position = 0; ///< the entry's position: of two entries yielding a code, the later wins
    ParamSetting Setting;
};

/// Codes Next, Next + Step, ... (Left codes, Step 2 or more) that one considered entry yields.
struct Progression {
    uint64_t Next = 0;
    uint32_t Step = 0;
    uint32_t Left = 0;
    size_t Position = 0;
    ParamSetting Setting;
};

/// A single entry not considered: its code joins the yields when a considered entry yields it.
struct LoneSingle {
    uint32_t Code = 0;
    size_t Position = 0;
    ParamSetting Setting;
};

/// Moves `p` to its first code at or above `code`; false when it has none left.
bool Advance(Progression& p, uint64_t code) {
    if (p.Next >= code)
        return true;
    const uint64_t skipped = (code - p.Next + p.Step - 1) / p.Step;
    if (skipped >= p.Left)
        return false;
    p.Next += skipped * p.Step;
    p.Left -= static_cast<uint32_t>(skipped);
    return true;
}

/// The codes of `key`'s elements, as stretches and progressions that do not wrap past
/// 0xFFFFFFFF (the elements of an entry that wraps continue from code 0).
void AddYields(const ParamKey& key, size_t position, const ParamSetting& setting,
               std::vector<Stretch>& stretches, std::vector<Progression>& progressions) {
    const auto add = [&](uint64_t first, uint32_t step, uint64_t n) {
        if (step <= 1 || n == 1)
            stretches.push_back({first, first + (step == 0 ? 0 : n - 1), position, setting});
        else
            progressions.push_back({first, step, static_cast<uint32_t>(n), position, setting});
    };
    if (key.count == 0 || key.step == 0) {
        add(key.code, 0, 1);
        return;
    }
    const uint64_t beforeWrap =
        std::min<uint64_t>(key.count, (0xFFFFFFFFull - key.code) / key.step) + 1;
    add(key.code, key.step, beforeWrap);
    if (beforeWrap <= key.count)
        add((key.code + beforeWrap * key.step) & 0xFFFFFFFFull, key.step,
            key.count + 1 - beforeWrap);
}

/// The expansion that Divide and Assemble begin with, without building its keys: hands `take`
/// (first code, number of codes, setting) the codes that the considered entries (`considered`
/// null: every entry) yield, in ascending order as stretches of consecutive codes, each code
/// once with the setting of the last entry in key order that yields it; a single entry not
/// considered whose code is among them counts as one more entry yielding it. The other
/// entries go to `kept`, in key order. A false from `take` stops the walk; the result is then
/// false. Time and memory grow with the entries and the stretches handed on, not with the
/// codes of a group.
template <class Take>
bool WalkYields(const SelectedParamMap& map, const ParamPositions* considered,
                std::vector<Entry>& kept, Take take) {
    std::vector<Stretch> stretches;
    std::vector<Progression> progressions;
    std::vector<LoneSingle> singles;
    kept.clear();
    auto next = considered != nullptr ? considered->begin() : ParamPositions::const_iterator();
    for (size_t position = 0; position < map.size(); ++position) {
        const auto& [key, setting] = *map.nth(position);
        bool expand = considered == nullptr;
        if (!expand) {
            while (next != considered->end() && *next < position)
                ++next;
            expand = next != considered->end() && *next == position;
        }
        if (expand)
            AddYields(key, position, setting, stretches, progressions);
        else if (key == ParamKey{key.code, 0, 0})
            singles.push_back({key.code, position, setting});
        else
            kept.emplace_back(key, setting);
    }
    std::sort(stretches.begin(), stretches.end(),
              [](const Stretch& a, const Stretch& b) { return a.First < b.First; });
    const auto earlier = [](const Stretch* a, const Stretch* b) { return a->Position < b->Position; };
    std::priority_queue<const Stretch*, std::vector<const Stretch*>, decltype(earlier)> open(
        earlier);
    const auto later = [](const Progression& a, const Progression& b) { return a.Next > b.Next; };
    std::priority_queue<Progression, std::vector<Progression>, decltype(later)> points(
        later, std::move(progressions));

    constexpr uint64_t PastLastCode = uint64_t{1} << 32;
    size_t nextStretch = 0;
    size_t nextSingle = 0;
    uint64_t code = 0;
    for (;;) {
        while (nextSingle < singles.size() && singles[nextSingle].Code < code) {
            const LoneSingle& single = singles[nextSingle++];
            kept.emplace_back(ParamKey{single.Code, 0, 0}, single.Setting);
        }
        while (nextStretch < stretches.size() && stretches[nextStretch].First <= code)
            open.push(&stretches[nextStretch++]);
        while (!open.empty() && open.top()->Last < code)
            open.pop();
        const Stretch* cover = open.empty() ? nullptr : open.top();
        // Codes of an entry earlier than the covering stretch's never decide a setting there.
        while (cover != nullptr && !points.empty() && points.top().Next <= cover->Last &&
               points.top().Position < cover->Position) {
            Progression p = points.top();
            points.pop();
            if (Advance(p, cover->Last + 1))
                points.push(p);
        }
        bool yielded = cover != nullptr;
        bool fromCover = yielded;
        size_t winner = yielded ? cover->Position : 0;
        ParamSetting setting = yielded ? cover->Setting : ParamSetting{};
        while (!points.empty() && points.top().Next == code) {
            Progression p = points.top();
            points.pop();
            if (!yielded || p.Position > winner) {
                winner = p.Position;
                setting = p.Setting;
                fromCover = false;
            }
            yielded = true;
            if (Advance(p, code + 1))
                points.push(p);
        }
        if (!yielded) {
            uint64_t to = PastLastCode;
            if (nextStretch < stretches.size())
                to = std::min(to, stretches[nextStretch].First);
            if (!points.empty())
                to = std::min(to, points.top().Next);
            if (to == PastLastCode)
                break;
            code = to;
            continue;
        }
        if (nextSingle < singles.size() && singles[nextSingle].Code == code) {
            const LoneSingle& single = singles[nextSingle++];
            if (single.Position > winner) {
                setting = single.Setting;
                fromCover = false;
            }
        }
        // Up to the next code where another entry may decide, the covering stretch does.
        uint64_t end = code + 1;
        if (fromCover) {
            end = cover->Last + 1;
            if (nextStretch < stretches.size())
                end = std::min(end, stretches[nextStretch].First);
            if (!points.empty())
                end = std::min(end, points.top().Next);
            if (nextSingle < singles.size())
                end = std::min<uint64_t>(end, singles[nextSingle].Code);
        }
        if (!take(code, end - code, setting))
            return false;
        code = end;
    }
    for (; nextSingle < singles.size(); ++nextSingle)
        kept.emplace_back(ParamKey{singles[nextSingle].Code, 0, 0}, singles[nextSingle].Setting);
    std::sort(kept.begin(), kept.end(),
              [](const Entry& a, const Entry& b) { return a.first < b.first; });
    return true;
}

/// `made` and `kept` (in key order) as one map; of equal keys the one in `made` stays.
SelectedParamMap Combined(const SelectedParamMap& made, const std::vector<Entry>& kept) {
    SelectedParamMap map;
    map.reserve(made.size() + kept.size());
    auto k = kept.begin();
    for (const Entry& entry : made) {
        for (; k != kept.end() && k->first < entry.first; ++k)
            map.emplace_hint(map.end(), *k);
        if (k != kept.end() && k->first == entry.first)
            ++k;
        map.emplace_hint(map.end(), entry);
    }
    for (; k != kept.end(); ++k)
        map.emplace_hint(map.end(), *k);
    return map;
}

/// Joins codes handed on in ascending order into runs of consecutive codes (code + 1) of one
/// setting, each of at most `maxRun` codes, stored with InsertParamEntry.
class RunJoiner {
public:
    RunJoiner(uint64_t maxRun, size_t limit) : maxRun_(maxRun), limit_(limit) {}

    /// Takes codes first ... first + n - 1; false once more than the limit's runs are made.
    bool Take(uint64_t first, uint64_t n, const ParamSetting& setting) {
        while (n > 0) {
            if (!open_ || setting != setting_ || first != first_ + taken_ || taken_ == maxRun_) {
                if (!Close())
                    return false;
                open_ = true;
                first_ = first;
                taken_ = 0;
                setting_ = setting;
            }
            const uint64_t more = std::min<uint64_t>(n, maxRun_ - taken_);
            taken_ += more;
            first += more;
            n -= more;
        }
        return true;
    }
    /// Stores the open run; false when the runs are then more than the limit.
    bool Close() {
        if (open_) {
            InsertParamEntry(static_cast<uint32_t>(taken_), static_cast<uint32_t>(first_), setting_,
                             Runs);
            Joined = Joined || taken_ > 1;
            open_ = false;
        }
        return Runs.size() <= limit_;
    }

    SelectedParamMap Runs;
    /// A run took more than one code.
    bool Joined = false;

private:
    uint64_t maxRun_;
    size_t limit_;
    bool open_ = false;
    uint64_t first_ = 0;
    uint64_t taken_ = 0;
    ParamSetting setting_;
};

/// The expansion of the considered entries (`considered` null: every entry), joined into runs
/// of at most `maxRun` codes; the other entries are carried over. Divide (runs of one code) has
/// changed the map when its number of entries changed, Assemble when it joined codes (also
/// when it rebuilds a group as it was).
RegroupOutcome Regroup(SelectedParamMap& map, const ParamPositions* considered, uint64_t maxRun) {
    const size_t before = map.size();
    const size_t limit = std::max(MaxDividedEntries, before);
    RunJoiner joiner(maxRun, limit);
    std::vector<Entry> kept;
    const bool fits = WalkYields(map, considered, kept,
                                 [&](uint64_t first, uint64_t n, const ParamSetting& setting) {
                                     return joiner.Take(first, n, setting);
                                 }) &&
                      joiner.Close();
    if (!fits)
        return RegroupOutcome::TooMany;
    SelectedParamMap result = Combined(joiner.Runs, kept);
    if (result.size() > limit)
        return RegroupOutcome::TooMany;
    map = std::move(result);
    const bool changed = maxRun == 1 ? map.size() != before : joiner.Joined;
    return changed ? RegroupOutcome::Changed : RegroupOutcome::Unchanged;
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
    const SelectedParamMap& map = state.SelectedParamMap;
    for (uint32_t position : positions) {
        if (position < map.size())
            keys.push_back(map.nth(position)->first);
    }
    return keys;
}

/// Positions, in the map as it is now, of those keys it still holds.
ParamPositions PositionsOf(const SelectedParamMap& map, const std::vector<ParamKey>& keys) {
    ParamPositions positions;
    for (const ParamKey& key : keys) {
        const auto entry = map.find(key);
        if (entry != map.end())
            positions.insert(positions.end(), map.index_of(entry));
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
        if (state.SelectedParamMap.contains(key)) {
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
    SelectedParamMap kept;
    kept.reserve(map.size());
    auto erased = positions.begin();
    for (size_t position = 0; position < map.size(); ++position) {
        if (erased != positions.end() && *erased == position)
            ++erased;
        else
            kept.emplace_hint(kept.end(), *map.nth(position));
    }
    map = std::move(kept);
}

RegroupOutcome DivideParamEntries(SelectedParamMap& map, const ParamPositions& selected) {
    const ParamPositions* considered = selected.empty() ? nullptr : &selected;
    if (selected.size() == 1) {
        const auto entry = map.nth(*selected.begin());
        if (entry == map.end() || entry->first.count == 0)
            considered = nullptr;
    }
    return Regroup(map, considered, 1);
}

RegroupOutcome AssembleParamEntries(SelectedParamMap& map, const ParamPositions& selected) {
    return Regroup(map, selected.size() <= 1 ? nullptr : &selected, MaxEntryElements);
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
    const int choice = prompts.PopupMenu(menu);
    switch (choice) {
    case param_menu::Add:
        AddParameter(state);
        break;
    case param_menu::Delete:
        DeleteSelected(state, keys);
        break;
    case param_menu::Divide:
    case param_menu::Assemble: {
        SelectedParamMap& map = state.SelectedParamMap;
        const bool divide = choice == param_menu::Divide;
        const RegroupOutcome outcome = divide ? DivideParamEntries(map, PositionsOf(map, keys))
                                              : AssembleParamEntries(map, PositionsOf(map, keys));
        // Rebuilt before any box: its event loop must find rows that name the new map's entries.
        RefreshParamTable(state, 0);
        if (outcome == RegroupOutcome::TooMany)
            prompts.MessageBoxId(ids::TooManyParams);
        else if (outcome == RegroupOutcome::Unchanged)
            prompts.MessageBoxId(divide ? ids::NothingToDivide : ids::NothingToAssemble);
        break;
    }
    default:
        break;
    }
    return 0;
}

int OnParamCellDblClick(DialogState& state, int column, int row) {
    if (row < 0)
        return 0;
    const auto entry = state.SelectedParamMap.nth(state.ParamList->ItemDataOfRow(row));
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
