#include "dialog/reply_handler.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <span>

#include "dialog/send_request.h"
#include "dialog/settings_form.h"
#include "dialog/settings_read.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "text/string_format.h"
#include "text/wide_text.h"

namespace {

/// Whether the reply comes from the adapter chosen in the device list, or none is chosen.
bool FromChosenAdapter(const DialogState& state, const std::string& source) {
    if (state.Controls->ComboGetCurSel(ctl::DeviceAddressCombo) < 0) {
        return true;
    }
    return ChosenDevice(state) == AsciiToWide(source);
}

std::u16string VinLine(const VinReply& reply) {
    char text[40];
    if (reply.HasVersion) {
        std::snprintf(text, sizeof text, "VIN: %08X [ver%d.%02d]", reply.Vin, reply.Major(),
                      reply.Minor());
    } else {
        std::snprintf(text, sizeof text, "VIN: %08X", reply.Vin);
    }
    return AsciiToWide(text);
}

void OnVinReply(DialogState& state, std::span<const uint8_t> payload,
                const std::string& source) {
    if (state.VinProbePending.load() != 0 && FromWriteTarget(state, source)) {
        // The probe of a write: the adapter answers, so its jobs may go.
        state.VinProbePending.exchange(0);
        PumpWriteQueue(state);
        return;
    }
    const std::optional<VinReply> reply = DecodeVinReply(payload);
    if (!reply) {
        return;
    }
    state.FirmwareVersion = reply->FirmwareVersion;
    state.DeviceFlags = reply->DeviceFlags;
    const uint32_t dinMode = (state.DeviceFlags & DeviceFlagDinMode) != 0 ? 1 : 0;
    if (dinMode != state.DinModeFlag) {
        state.DinModeFlag = dinMode;
        FillTeleTypeCombo(state);
    }
    state.Controls->SetWindowText(ctl::InfoEdit, VinLine(*reply));
    state.Controls->ShowWindow(ctl::AssignVinButton, reply->Vin == 0);
    SendRequest(state, MakeRequestWord(REQ_READ_EEPROM_DATA, 0), nullptr, 0);
}

void OnWritePageAck(DialogState& state, uint32_t requestWord, uint8_t status,
                    const std::string& source) {
    std::lock_guard lock(state.WriteQueueLock);
    if (!TakeAwaitedWriteReply(state, requestWord, source)) {
        return;
    }
    if (status == 0) {
        DropWriteQueue(state);
        state.Prompts->MessageBoxId(ids::WritingError);
        return;
    }
    PumpWriteQueue(state);
    if (state.WriteQueue.empty()) {
        // The reset leaves before the box, whose nested loop may last until the user closes it.
        SendRequestTo(state, state.WriteTarget, MakeRequestWord(REQ_RESET_DEVICE), nullptr, 0);
        state.Prompts->MessageBoxId(ids::WriteComplete);
        OnGetSettings(state);
    }
}

void OnEraseAck(DialogState& state, uint32_t requestWord, const std::string& source) {
    std::lock_guard lock(state.WriteQueueLock);
    if (TakeAwaitedWriteReply(state, requestWord, source)) {
        StartEraseSettle(state);
    }
}

void OnWriteVinReply(DialogState& state, std::span<const uint8_t> payload) {
    const std::optional<WriteVinReply> reply = DecodeWriteVinReply(payload);
    // Only the answer to this run's own VIN write restarts the adapter and shows a result.
    if (!reply || !state.VinWritePending) {
        return;
    }
    state.VinWritePending = false;
    SendRequest(state, MakeRequestWord(REQ_RESET_DEVICE), nullptr, 0);
    const std::array<uint32_t, 5>& r = reply->Results;
    state.Prompts->MessageBox(
        FormatWide(state.Prompts->LoadString(ids::KeyWriteResult), {r[0], r[1], r[2], r[3], r[4]}));
}

} // namespace

std::string SourceText(const std::string& address, uint16_t port) {
    return port == AdapterPort ? address : address + ":" + std::to_string(port);
}

void AddDeviceAddress(DialogState& state, const std::string& source) {
    if (!state.KnownDeviceSet.insert(source).second) {
        return;
    }
    IDialogControls& controls = *state.Controls;
    controls.ComboAddString(ctl::DeviceAddressCombo, AsciiToWide(source));
    if (controls.ComboGetCurSel(ctl::DeviceAddressCombo) < 0) {
        controls.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
    }
}

void OnGetSettings(DialogState& state) {
    if (!HoldWriteTarget(state)) {
        return;
    }
    state.Controls->SetWindowText(ctl::InfoEdit, u"");
    ResetSettingsForm(state);
    BeginSettingsRead(state);
    SendRequest(state, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
}

void OnReceive(DialogState& state, std::vector<uint8_t> datagram, const std::string& address,
               uint16_t port) {
    if (state.LinkSocket == nullptr || !state.LinkSocket->IsOpen()) {
        return; // a closed socket stays closed for the rest of the run
    }
    // An empty or oversized datagram concerns that datagram alone: it is dropped and the
    // socket keeps serving, whoever sent it.
    if (datagram.empty() || datagram.size() > ReceiveBufferSize) {
        return;
    }
    const std::string source = SourceText(address, port);
    const CheckedReply reply = CheckReply(datagram);
    if (reply.Status == ReplyStatus::NotReply) {
        return;
    }
    if (!FromChosenAdapter(state, source)) {
        AddDeviceAddress(state, source);
        return;
    }
    if (reply.Status == ReplyStatus::Accepted) {
        switch (reply.Code()) {
        case REQ_READ_VIN:
            OnVinReply(state, reply.Payload, source);
            break;
        case REQ_READ_EEPROM_DATA:
            ReadSettingsPage(state, reply.Argument(), reply.Payload);
            break;
        case REQ_WRITE_EEPROM_DATA:
            OnWritePageAck(state, reply.RequestWord, reply.Payload[0], source);
            break;
        case REQ_ERASE_EEPROM:
            OnEraseAck(state, reply.RequestWord, source);
            break;
        case REQ_WRITE_VIN:
            OnWriteVinReply(state, reply.Payload);
            break;
        default:
            break;
        }
    }
    AddDeviceAddress(state, source);
}
