#pragma once

#include "config/dialog_state.h"

/// Handler of "Save settings" (button 1020): builds the settings image from the form and
/// `SelectedParamMap` and queues it for page 0x700, and on firmware 0x200 or later the
/// digital-instrument descriptor of the current type for page 0x610, then sends the write probe.
/// After ConfirmAbortWrite it holds `WriteQueueLock` to the end, asks AskWritePassword and drops
/// the queued jobs before it checks the form; a failed check shows its string (113 to 128,
/// TooManyParams, 151) and queues nothing, and with no adapter chosen it stops silently.
void OnSaveSettings(DialogState& state);
