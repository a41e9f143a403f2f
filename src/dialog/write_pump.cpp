#include "dialog/write_pump.h"

#include <mutex>

#include "dialog/send_request.h"
#include "platform/control_ids.h"
#include "protocol/protocol.h"
#include "text/wide_text.h"

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
        return;
    }
    state.LastWriteSendTick = SendTickOf(state.Clock->TickCount());

    WriteJob& job = queue.front();
    if (!job.PreRequests.empty()) {
        SendRequest(state, job.PreRequests.front(), state.WritePassword.data(),
                    static_cast<uint32_t>(state.WritePassword.size()));
        return;
    }
    const uint32_t p = job.PagesSent;
    const auto page = job.Page(p);
    const auto payload = WritePagePayload(state.WritePassword, page);
    SendRequest(state, job.PageRequestWord(p), payload.data(),
                static_cast<uint32_t>(payload.size()));
    job.PagesSent = p + 1;
}

void OnDialogTimer(DialogState& state, uint32_t /*timerId*/) {
    const uint32_t now = state.Clock->TickCount();

    if (now - state.LastFreezeTick >= FreezeDhcpIntervalMs) {
        state.LastFreezeTick = now;
        const std::u16string device =
            TrimWideSpace(state.Controls->GetWindowText(ctl::DeviceAddressCombo));
        // A text ending in ".255" names a broadcast address, which gets no keep-alive.
        if (!device.empty() && !device.ends_with(u".255")) {
            SendRequest(state, MakeRequestWord(REQ_FREEZE_DHCP), nullptr, 0);
        }
    }

    if (state.VinProbePending.load() != 0 && now - state.VinProbeTick >= VinProbeTimeoutMs) {
        DropWriteQueue(state);
        // Cleared before the box opens: the box runs a nested event loop in which this timer
        // keeps ticking, and must not time the same probe out again.
        state.VinProbePending.exchange(0);
        state.Prompts->MessageBox(DeviceNotRespondingText, MbButtons::Ok);
    }
}

void DropWriteQueue(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    state.WriteQueue.clear();
    state.LastWriteSendTick = 0;
}

void QueueWriteJobs(DialogState& state, std::vector<WriteJob> jobs) {
    std::lock_guard lock(state.WriteQueueLock);
    for (WriteJob& job : jobs) {
        state.WriteQueue.push_back(std::move(job));
    }
    state.VinProbeTick = state.Clock->TickCount();
    state.VinProbePending.exchange(1);
    SendRequest(state, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
}
