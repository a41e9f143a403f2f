#pragma once
#include <cstdint>

#include "dialog/dialog_state.h"
#include "dialog/dialog_state.h"
#include "dialog/write_pump.h"

/// A write started this soon after the pump's last request is refused without a question: the
/// adapter is still busy with the queued jobs. At this age the pump's write time-out ends it.
inline constexpr uint32_t WriteBusyIntervalMs = WriteReplyTimeoutMs;

/// Whether a new write may replace the jobs in `WriteQueue`: true at once when the queue is
/// empty; false, silently, while a write probe is pending or less than WriteBusyIntervalMs after
/// the pump's last request; otherwise the user's answer to string 157 (Yes/No).
/// Holds `WriteQueueLock` across the tests and the box and changes no state.
bool ConfirmAbortWrite(DialogState& state);

/// Sets `WritePassword` for the next write: ten zero bytes for an adapter without a password;
/// otherwise asks with caption string 131, prefilled with `LastPassword`, and on OK keeps the text
/// in `LastPassword` and takes the low byte of each of its first 10 units (zero-filled). False
/// when the user cancels; then neither member changes. Takes no lock.
bool AskWritePassword(DialogState& state);
