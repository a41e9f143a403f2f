#include "dialog/write_preconditions.h"

#include <mutex>

#include "config/settings_image.h"
#include "dialog/send_request.h"
#include "platform/control_ids.h"
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
    return AskAbortWrite(state);
}

bool AskAbortWrite(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    ++state.WriteTimeOutHolds;
    const bool abort =
        state.Prompts->MessageBoxId(ids::AbortWriteQuestion, MbButtons::YesNo) == MbResult::Yes;
    --state.WriteTimeOutHolds;
    return abort;
}

WriteClaim::WriteClaim(DialogState& state) : state_(state), granted_(ConfirmAbortWrite(state)) {
    if (granted_)
        ++state_.WriteTimeOutHolds;
}

WriteClaim::~WriteClaim() {
    if (granted_)
        --state_.WriteTimeOutHolds;
}

namespace {

void ChooseDevice(IDialogControls& controls, const std::u16string& text) {
    const int index = controls.ComboFindStringExact(ctl::DeviceAddressCombo, -1, text);
    if (index >= 0) {
        controls.ComboSetCurSel(ctl::DeviceAddressCombo, index);
    }
}

} // namespace

bool HoldWriteTarget(DialogState& state) {
    std::lock_guard lock(state.WriteQueueLock);
    IDialogControls& controls = *state.Controls;
    const std::u16string chosen = ChosenDevice(state);
    if (state.WriteQueue.empty() || chosen == state.WriteTarget) {
        return true;
    }
    // Back first: the write goes on while the question is open, and the list is to name (and
    // the keep-alives to reach) the adapter it is written to.
    ChooseDevice(controls, state.WriteTarget);
    if (!AskAbortWrite(state)) {
        return false;
    }
    DropWriteQueue(state);
    ChooseDevice(controls, chosen);
    return true;
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
