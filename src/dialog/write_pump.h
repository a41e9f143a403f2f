#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dialog/dialog_state.h"
#include "protocol/write_job.h"

/// Period of the dialog's polling timer (timer id 1).
inline constexpr uint32_t DialogTimerId = 1;
inline constexpr uint32_t DialogTimerPeriodMs = 500;
/// Least time between two freeze-DHCP keep-alives to the chosen adapter.
inline constexpr uint32_t FreezeDhcpIntervalMs = 5000;
/// A write probe unanswered this long drops the queued jobs.
inline constexpr uint32_t VinProbeTimeoutMs = 1000;
/// A write whose awaited acknowledgement has not come this long after its request is ended.
inline constexpr uint32_t WriteReplyTimeoutMs = 4000;
/// Single-shot timer of the settle time after an erase acknowledgement: the adapter's flash
/// needs it before the next request.
inline constexpr uint32_t EraseSettleTimerId = 2;
inline constexpr uint32_t EraseSettleMs = 500;

/// Sends the next request of the head job of `WriteQueue` after dropping finished jobs: its
/// first erase request (which stays queued until its acknowledgement), else its next page.
/// The word sent becomes `AwaitedWriteReply` and its time `LastWriteSendTick`. With nothing
/// left, both become 0 and nothing is sent. Takes no lock: its callers hold `WriteQueueLock`
/// (or, for the probe's reply, run where nothing else touches the queue).
void PumpWriteQueue(DialogState& state);

/// Whether a write is queued and `source` (a reply's source text) names its adapter, or the
/// write names none (the writers never queue one so: they need a chosen adapter).
bool FromWriteTarget(const DialogState& state, const std::string& source);

/// Whether an erase or page acknowledgement echoing `requestWord` from `source` is the one the
/// pump waits for; if so it is no longer awaited, and the caller acts on it. Any other
/// (repeated, late, from an earlier write or another adapter, or with no write under way) is to
/// be ignored. Caller holds `WriteQueueLock`.
bool TakeAwaitedWriteReply(DialogState& state, uint32_t requestWord, const std::string& source);

/// After the awaited erase acknowledgement: removes the head job's first erase and starts the
/// settle time (single-shot timer EraseSettleTimerId, EraseSettleMs); when it ends, the dialog
/// timer sends the next request. Caller holds `WriteQueueLock`.
void StartEraseSettle(DialogState& state);

/// Handler of the dialog's timers. EraseSettleTimerId: the settle time is over, the pump sends
/// the next request (unless the write was dropped meanwhile). Any other id is the 500 ms
/// polling timer: a freeze-DHCP keep-alive at most every 5000 ms to a chosen adapter whose text
/// does not end in ".255"; the 1000 ms time-out of a pending write probe (queue dropped and the
/// probe flag cleared, string 156 posted); and the write time-out: an acknowledgement awaited
/// WriteReplyTimeoutMs or longer ends the write (queue dropped, string 110 posted). The boxes
/// are posted (`IDialogWindow::PostTask`), so the tick returns before they open and goes on
/// while they are open. Neither time-out runs while `WriteTimeOutHolds`.
void OnDialogTimer(DialogState& state, uint32_t timerId);

/// First step of every write, and the end of a failed or abandoned one: empties `WriteQueue`,
/// sets `LastWriteSendTick` and `AwaitedWriteReply` to 0, clears `VinProbePending` and cancels
/// a running settle time, under `WriteQueueLock` (the caller may already hold it).
void DropWriteQueue(DialogState& state);

/// Last step of every write: under `WriteQueueLock` (the caller may already hold it) replaces
/// the queue with `jobs` (`DropWriteQueue`, then `jobs` in order), makes the chosen adapter the
/// `WriteTarget`, stamps `VinProbeTick`, sets `VinProbePending` and sends that adapter the
/// REQ_READ_VIN probe whose reply starts the pump.
void QueueWriteJobs(DialogState& state, std::vector<WriteJob> jobs);
