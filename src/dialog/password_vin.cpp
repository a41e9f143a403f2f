#include "dialog/password_vin.h"

#include <string>
#include <vector>

#include "config/settings_image.h"
#include "dialog/send_request.h"
#include "dialog/write_preconditions.h"
#include "dialog/write_pump.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "text/hex_text.h"

void OnChangeDevicePassword(DialogState& state) {
    const WriteClaim claim(state);
    if (!claim)
        return;
    if (state.Controls->ComboGetCurSel(ctl::DeviceAddressCombo) < 0)
        return;
    // Only an image read whole, signature first, is written back: anything else would replace
    // the adapter's settings with bytes that are not settings. Nor may it pass the settings
    // area: only the area is erased, and what lies behind it is not settings.
    if (state.ConfigRead == 0 || state.ConfigImage.size() < SettingsImage::PageSize ||
        state.ConfigImage.size() > SettingsImage::AreaBytes ||
        !HasSettingsSignature(state.ConfigImage)) {
        state.Prompts->MessageBoxId(ids::ConfigNotRead);
        return;
    }
    std::u16string oldPassword, newPassword, newPasswordAgain;
    if (!state.Prompts->ChangePassword(oldPassword, newPassword, newPasswordAgain))
        return;
    if (newPassword != newPasswordAgain) {
        state.Prompts->MessageBoxId(ids::PasswordsDiffer);
        return;
    }
    state.WritePassword = EncodeWritePassword(oldPassword);

    std::vector<uint8_t> image = state.ConfigImage;
    ReplaceWritePassword(image, EncodeWritePassword(newPassword));
    std::vector<WriteJob> jobs;
    jobs.push_back(EraseThenWriteJob(SettingsEraseWord, SettingsBasePage, std::move(image)));
    QueueWriteJobs(state, std::move(jobs));
}

std::optional<uint32_t> ParseVinText(std::u16string_view text) {
    const std::optional<uint32_t> vin = ScanHex32(text);
    if (!vin || *vin == 0)
        return std::nullopt;
    return vin;
}

void OnAssignVin(DialogState& state) {
    std::u16string text;
    if (!state.Prompts->EditText(state.Prompts->LoadString(ids::EnterVin), text))
        return;
    const std::optional<uint32_t> vin = ParseVinText(text);
    if (!vin) {
        state.Prompts->MessageBoxId(ids::WrongVin);
        return;
    }
    const auto payload = WriteVinPayload(*vin);
    state.VinWritePending = true;
    SendRequest(state, MakeRequestWord(REQ_WRITE_VIN), payload.data(),
                static_cast<uint32_t>(payload.size()));
}
