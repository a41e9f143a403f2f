#pragma once
#include <cstdint>

#include "dialog/dialog_state.h"
#include "dialog/write_pump.h"

/// A write started this soon after the pump's last request is refused without a question: the
/// adapter is still busy with the queued jobs. At this age the pump's write time-out ends it.
inline constexpr uint32_t WriteBusyIntervalMs = WriteReplyTimeoutMs;

/// Whether a new write may replace the jobs in `WriteQueue`: true at once when the queue is
/// empty; false, silently, while a write probe is pending or less than WriteBusyIntervalMs after
/// the pump's last request; otherwise `AskAbortWrite`. Holds `WriteQueueLock` across the tests
/// and the box.
bool ConfirmAbortWrite(DialogState& state);

/// Asks string 157 (Yes/No) whether to abort the queued write; true for Yes. The write is not
/// timed out while the box is open (`WriteTimeOutHolds`): after No it goes on, or ends by its
/// own rules once the box has closed, reported once.
bool AskAbortWrite(DialogState& state);

/// A writer's claim to replace the queued write, from its first question to its return:
/// construction asks `ConfirmAbortWrite`. While a granted claim lives, the write it is to
/// replace is not timed out, so the file and password dialogs that the writer opens after a Yes
/// (each a nested event loop) never show "Writing error" for the write the user abandoned. A
/// writer that stops without queueing leaves that write to its own rules again.
class WriteClaim {
public:
    explicit WriteClaim(DialogState& state);
    ~WriteClaim();
    WriteClaim(const WriteClaim&) = delete;
    WriteClaim& operator=(const WriteClaim&) = delete;
    /// The writer may go on.
    explicit operator bool() const { return granted_; }

private:
    DialogState& state_;
    bool granted_;
};

/// Keeps a queued write with its adapter when the device list names another (the user chose
/// it): the list goes back to `WriteTarget` and `AskAbortWrite` asks. Yes: the write is dropped
/// and the adapter the user chose is chosen again; true. No: false, and the write goes on.
/// True at once when no write is queued or the list names the write's adapter.
bool HoldWriteTarget(DialogState& state);

/// Sets `WritePassword` for the next write: ten zero bytes for an adapter without a password;
/// otherwise asks with caption string 131, prefilled with `LastPassword`, and on OK keeps the text
/// in `LastPassword` and takes the low byte of each of its first 10 units (zero-filled). False
/// when the user cancels; then neither member changes. Takes no lock.
bool AskWritePassword(DialogState& state);
