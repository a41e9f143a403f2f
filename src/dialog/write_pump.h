#pragma once
#include <cstdint>
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
/// Shown when a write probe times out; this text lives in the code, not in the string table.
inline constexpr char16_t DeviceNotRespondingText[] = u"Ошибка: устройство не отвечает";

/// Sends the next request of the head job of `WriteQueue` after dropping finished jobs: its
/// first erase request (which stays queued until its acknowledgement), else its next page.
/// With nothing left, `LastWriteSendTick` becomes 0 and nothing is sent. Takes no lock: the
/// acknowledgement branches of the reply handler call it holding `WriteQueueLock`.
void PumpWriteQueue(DialogState& state);

/// The 500 ms timer: a freeze-DHCP keep-alive at most every 5000 ms to a chosen adapter whose
/// text does not end in ".255", and the 1000 ms time-out of a pending write probe (queue
/// dropped, then the probe flag cleared, then DeviceNotRespondingText shown).
void OnDialogTimer(DialogState& state, uint32_t timerId);

/// First step of every write: empties `WriteQueue` and sets `LastWriteSendTick` to 0, under
/// `WriteQueueLock` (the caller may already hold it).
void DropWriteQueue(DialogState& state);

/// Last step of every write: under `WriteQueueLock` (the caller may already hold it) appends
/// `jobs` in order, stamps `VinProbeTick`, sets `VinProbePending` and sends the REQ_READ_VIN
/// probe whose reply starts the pump.
void QueueWriteJobs(DialogState& state, std::vector<WriteJob> jobs);
