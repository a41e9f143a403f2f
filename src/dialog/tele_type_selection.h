#pragma once

#include "dialog/dialog_state.h"

/// Makes the type chosen in the telemetry-type list the current one: `TeleType` is 0 unless the
/// list's text is in `TeleTypeComboMap`; that type's descriptor is decoded into the layout
/// (string 133 when it cannot be, keeping the chosen code), the channel-sensor map is set and
/// the parameter list's rows are emptied. `SelectedParamMap` is left as it is.
void OnTeleTypeSelChange(DialogState& state);
