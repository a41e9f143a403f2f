#include "dialog/write_preconditions.h"

#include <mutex>

#include "config/settings_image.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"

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
    return state.Prompts->MessageBoxId(ids::AbortWriteQuestion, MbButtons::YesNo) == MbResult::Yes;
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
    state.WritePassword = EncodeWritePassword(text);
    return true;
}
