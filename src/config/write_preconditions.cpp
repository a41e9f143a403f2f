#include "config/write_preconditions.h"

#include <algorithm>
#include <mutex>

#include "link/protocol.h"
#include "platform/string_ids.h"

bool ConfirmAbortWrite(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    if (state.WriteQueue.empty())
        return true;
    if (state.VinProbePending.load() != 0)
        return false;
    if (state.LastWriteSendTick != 0 &&
        static_cast<uint32_t>(state.Clock->TickCount() - state.LastWriteSendTick) <
            WriteBusyIntervalMs)
        return false;
    return state.Prompts->MessageBox(AbortWriteQuestionText, MbButtons::YesNo) == MbResult::Yes;
}

bool AskWritePassword(DialogState& state) {
    if (state.DeviceFlags & DeviceFlagNoPassword) {
        state.WritePassword.fill(0);
        return true;
    }
    std::u16string text = state.LastPassword;
    if (!state.Prompts->EditText(state.Prompts->LoadString(ids::EnterPassword), text))
        return false;
    state.LastPassword = text;
    state.WritePassword.fill(0);
    const size_t n = std::min(state.WritePassword.size(), text.size());
    for (size_t i = 0; i < n; ++i)
        state.WritePassword[i] = static_cast<uint8_t>(text[i] & 0xFF);
    return true;
}
