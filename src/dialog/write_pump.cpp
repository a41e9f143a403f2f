#include "dialog/write_pump.h"

#include <mutex>

#include "dialog/send_request.h"
#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "text/wide_text.h"
#include "platform/string_ids.h"

namespace {

/// Tick count as stored in `LastWriteSendTick`, where 0 means "nothing sent".
uint32_t SendTickOf(uint32_t now) {
    return now == 0 ? 0xFFFFFFFF : now;
}

} // namespace

void PumpWriteQueue(DialogState& state) {
    std::list<WriteJob>& queue = state.WriteQueue;
    while (!queue.empty() && queue.front().Finished()) {
        queue.pop_front();
    }
    if (queue.empty()) {
        state.LastWriteSendTick = 0;
        state.AwaitedWriteReply = 0;
        return;
    }
    state.LastWriteSendTick = SendTickOf(state.Clock->TickCount());

    WriteJob& job = queue.front();
    if (!job.PreRequests.empty()) {
        state.AwaitedWriteReply = job.PreRequests.front();
        SendRequestTo(state, state.WriteTarget, job.PreRequests.front(),
                      state.WritePassword.data(),
                      static_cast<uint32_t>(state.WritePassword.size()));
        return;
    }
    const uint32_t p = job.PagesSent;
    const auto page = job.Page(p);
    const auto payload = WritePagePayload(state.WritePassword, page);
    state.AwaitedWriteReply = job.PageRequestWord(p);
    job.PagesSent = p + 1;
    SendRequestTo(state, state.WriteTarget, state.AwaitedWriteReply, payload.data(),
                  static_cast<uint32_t>(payload.size()));
}

bool FromWriteTarget(const DialogState& state, const std::string& source) {
    // As the reply filter does: with no adapter named, every sender's reply goes on.
    return !state.WriteQueue.empty() &&
           (state.WriteTarget.empty() || state.WriteTarget == AsciiToWide(source));
}

bool TakeAwaitedWriteReply(DialogState& state, uint32_t requestWord, const std::string& source) {
    // Request words are never 0 (the code is in the low half), so 0 matches nothing.
    if (state.AwaitedWriteReply == 0 || requestWord != state.AwaitedWriteReply ||
        !FromWriteTarget(state, source)) {
        return false;
    }
    state.AwaitedWriteReply = 0;
    return true;
}

void StartEraseSettle(DialogState& state) {
    auto& pre = state.WriteQueue.front().PreRequests;
    if (!pre.empty()) {
        pre.pop_front();
    }
    state.EraseSettlePending = true;
    state.Window->SetSingleShotTimer(EraseSettleTimerId, EraseSettleMs);
}

namespace {

void OnEraseSettled(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    if (!state.EraseSettlePending) {
        return; // the write was dropped while the flash settled
    }
    state.EraseSettlePending = false;
    PumpWriteQueue(state);
}

/// Ends a write whose acknowledgement is overdue; returns whether it did.
bool TimeOutWrite(DialogState& state, uint32_t now) {
    std::lock_guard lock(state.WriteQueueLock);
    if (state.AwaitedWriteReply == 0 || now - state.LastWriteSendTick < WriteReplyTimeoutMs) {
        return false;
    }
    DropWriteQueue(state);
    return true;
}

/// Shows string `stringId` once the tick has returned: Qt fires no timer again while its
/// handler runs, so a box opened inside the tick would stop the keep-alives and every check of
/// the tick for as long as it stays open.
void PostMessageBox(DialogState& state, int stringId) {
    state.Window->PostTask([&state, stringId] { state.Prompts->MessageBoxId(stringId); });
}

} // namespace

void OnDialogTimer(DialogState& state, uint32_t timerId) {
    if (timerId == EraseSettleTimerId) {
        OnEraseSettled(state);
        return;
    }
    const uint32_t now = state.Clock->TickCount();

    if (now - state.LastFreezeTick >= FreezeDhcpIntervalMs) {
        state.LastFreezeTick = now;
        const std::u16string device = ChosenDevice(state);
        // A text ending in ".255" names a broadcast address, which gets no keep-alive.
        if (!device.empty() && !device.ends_with(u".255")) {
            SendRequest(state, MakeRequestWord(REQ_FREEZE_DHCP), nullptr, 0);
        }
    }

    // While the user is asked whether to abort the write, the answer decides its fate.
    if (state.WriteTimeOutHolds > 0) {
        return;
    }
    if (state.VinProbePending.load() != 0 && now - state.VinProbeTick >= VinProbeTimeoutMs) {
        DropWriteQueue(state);
        PostMessageBox(state, ids::DeviceNotResponding);
    }
    if (TimeOutWrite(state, now)) {
        PostMessageBox(state, ids::WritingError);
    }
}

void DropWriteQueue(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    state.WriteQueue.clear();
    state.LastWriteSendTick = 0;
    state.AwaitedWriteReply = 0;
    state.VinProbePending.exchange(0);
    if (state.EraseSettlePending) {
        state.EraseSettlePending = false;
        state.Window->KillTimer(EraseSettleTimerId);
    }
}

void QueueWriteJobs(DialogState& state, std::vector<WriteJob> jobs) {
    std::lock_guard lock(state.WriteQueueLock);
    DropWriteQueue(state);
    state.WriteTarget = ChosenDevice(state);
    for (WriteJob& job : jobs) {
        state.WriteQueue.push_back(std::move(job));
    }
    state.VinProbeTick = state.Clock->TickCount();
    state.VinProbePending.exchange(1);
    SendRequestTo(state, state.WriteTarget, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
}
