#pragma once

#include "dialog/dialog_state.h"

/// Handler of "Save settings" (button 1020): builds the settings image from the form and
/// `SelectedParamMap` and queues it for page 0x700, and on firmware 0x200 or later the
/// digital-instrument descriptor of the current type for page 0x610, then sends the write probe.
/// After ConfirmAbortWrite it holds `WriteQueueLock` to the end, asks AskWritePassword and drops
/// the queued jobs before it checks the form. A failed check shows its string (113 to 128, and
/// TooManyParams when the entries overflow the settings area) and queues nothing; with no adapter
/// chosen it stops silently; on firmware 0x200 or later a current type that does not decode
/// shows 133 and a descriptor over 15 blocks of 4 KB shows 151, and nothing is queued.
void OnSaveSettings(DialogState& state);
