#pragma once
// The working state of the list benchmarks: a parameter map of n entries whose codes all have
// names ("K1_L_Fast_100Hz" and so on), the list the caller gives, and a scripted user.
#include <cstdint>
#include <vector>

#include "dialog/param_map_commands.h"
#include "config/param_table_rows.h"
#include "dialog/param_table_refresh.h"
#include "platform/table_ctrl.h"
#include "support/dialog_fixture.h"

/// Code of measured value i: family 1 of class 1, band i mod 256, averaging (i / 256) mod 256,
/// channel i / 65536; consecutive i give consecutive codes.
uint32_t BenchCode(uint32_t i);

/// n single entries; runs of four consecutive codes share a setting, the next run has another,
/// so Assemble makes n / 4 groups.
SelectedParamMap AssemblableMap(uint32_t n);
/// n entries of every other code, each sixteenth a group of two: Divide adds n / 16 entries.
SelectedParamMap DividableMap(uint32_t n);

class ParamListBench {
public:
    /// Loads the names into the process-wide band table and points the state at `list`.
    explicit ParamListBench(ITableCtrl& list);
    ~ParamListBench();

    /// Replaces the map and rebuilds the rows, none selected.
    void Fill(const SelectedParamMap& map);
    /// Runs the right-click handler with `choice` as the menu's answer (0: cancelled) and Yes
    /// to any question.
    void Menu(int choice);

    DialogFixture F;
};
