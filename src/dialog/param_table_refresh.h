#pragma once
#include <cstdint>

struct DialogState;

/// Rebuilds every row of the parameter list from the selected-parameter map, in key order, with
/// the entry's position as item data; then selects (visible and centred) the row of the last
/// entry whose code equals `codeToSelect`, or none when no entry has it (pass 0 for none).
void RefreshParamTable(DialogState& state, uint32_t codeToSelect);

/// Empties the parameter list's rows unless none is shown; the map is left as it is.
void ClearParamRows(DialogState& state);

/// Empties the selected-parameter map together with the parameter list's rows, so that no row
/// is left naming a position the map no longer holds, and forgets the entry reading's state.
void ClearParamMap(DialogState& state);
