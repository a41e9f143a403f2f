#pragma once
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "config/selected_params.h"

struct DialogState;

/// Command ids of the parameter list's popup menu.
namespace param_menu {
inline constexpr int Add = 0x10000;
inline constexpr int Delete = 0x10001;
inline constexpr int Assemble = 0x20000;
inline constexpr int Divide = 0x20001;
} // namespace param_menu

/// Entry positions (in key order) of the rows selected in the parameter list.
using ParamPositions = std::set<size_t>;

/// The largest number of elements one entry holds: its count field is 16 bits wide.
inline constexpr uint32_t MaxEntryElements = 0x10000;

/// Keys of an add-parameter pick whose elements are exactly its codes, in the order found. The
/// pick's step is the smallest difference between neighbouring codes that a key's 16-bit step
/// holds; each run of codes that far apart becomes a group {first, n - 1, step} (of at most
/// MaxEntryElements codes), every other code a single {code, 0, 0}. So an evenly spaced pick is
/// one key, and a pick with a code missing in the middle is a group on either side of the gap.
std::vector<ParamKey> KeysOfPick(const std::vector<uint32_t>& codes);

/// Erases the entries at `positions` (positions in the map before the erase); positions past the
/// end are skipped.
void DeleteParamEntries(SelectedParamMap& map, const ParamPositions& positions);

/// The most entries a Divide or an Assemble may leave in a map that it grows: eight times what
/// the settings area holds. A larger map could never be saved, and building it costs gigabytes.
inline constexpr size_t MaxDividedEntries = 0x10000;

/// What Divide or Assemble did. Unchanged: "No elements to divide" or "No elements to
/// assemble", the map rebuilt all the same. TooMany (string 155): the result would hold more
/// than MaxDividedEntries entries, and more than the map has, so the map is left as it was.
enum class RegroupOutcome { Changed, Unchanged, TooMany };

/// Splits the considered entries into single entries; a single that another entry also yields
/// takes the setting of the later one in key order. Considered: every entry when no row is
/// selected or the one selected row is a single entry; the one group when it alone is
/// selected; else the selected entries. Unchanged when the map ends with as many entries as
/// before.
RegroupOutcome DivideParamEntries(SelectedParamMap& map, const ParamPositions& selected);

/// Splits the considered entries into singles (every entry when at most one row is selected),
/// then joins runs of consecutive codes (code + 1 on the whole 32-bit value) with equal rate
/// and plot flag into groups of step 1 of at most MaxEntryElements codes; entries not
/// considered are carried over unchanged. The singles are never built one by one: time and
/// memory follow the entries and the result. Unchanged when no singles were joined.
RegroupOutcome AssembleParamEntries(SelectedParamMap& map, const ParamPositions& selected);

/// Right click in the parameter list (both arguments unused): with a telemetry type chosen,
/// offers Add, Assemble, Divide and, with rows selected, Delete, and carries out the choice.
/// Every change of the map ends with the rows rebuilt. Returns 0.
int OnParamListMenu(DialogState& state, int column, int row);

/// Double click on cell (column, list row) without Ctrl or Shift: the rate cell asks for a new
/// send rate, the plot cell toggles the plot flag. Returns 0.
int OnParamCellDblClick(DialogState& state, int column, int row);
