#include "dialog/dialog_init.h"

#include "dialog/param_columns.h"
#include "dialog/request_targets.h"
#include "dialog/send_request.h"
#include "dialog/settings_form.h"
#include "dialog/write_pump.h"
#include "model/tele_desc_file.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"

namespace {

constexpr char16_t VersionPlaceholder[] = u"X.X";
/// Program version shown in the title in place of "X.X": the project's version, which the
/// build passes in.
constexpr int ProgramVersionMajor = VELMORA_VERSION_MAJOR;
constexpr int ProgramVersionMinor = VELMORA_VERSION_MINOR;

class NoInterfaces : public INetworkInterfaces {
public:
    std::vector<NetworkInterface> List() const override { return {}; }
};

void PutVersionInTitle(IDialogWindow& window) {
    const std::string digits =
        std::to_string(ProgramVersionMajor) + "." + std::to_string(ProgramVersionMinor);
    const std::u16string version(digits.begin(), digits.end());
    const std::u16string placeholder = VersionPlaceholder;
    std::u16string title = window.GetTitle();
    for (size_t at = title.find(placeholder); at != std::u16string::npos;
         at = title.find(placeholder, at + version.size())) {
        title.replace(at, placeholder.size(), version);
    }
    window.SetTitle(title);
}

} // namespace

bool OnInitDialog(DialogState& state, const DialogInitInputs& inputs) {
    PutVersionInTitle(*state.Window);

    state.UiLanguageName = UiLanguageNameOf(inputs.Language);
    const bool loaded = inputs.LoadDescription ? inputs.LoadDescription(state.UiLanguageName)
                                               : LoadTeleDescFile(state.UiLanguageName);
    if (!loaded) {
        state.Prompts->MessageBoxId(ids::CantLoadTeleDesc);
    }

    FillTeleTypeCombo(state);
    SetUpParamColumns(state);

    const NoInterfaces noInterfaces;
    auto targets = BuildRequestTargets(inputs.CommandLineTail,
                                       inputs.Interfaces ? *inputs.Interfaces : noInterfaces);
    if (!targets) {
        state.Prompts->MessageBoxId(ids::WrongPort);
        state.Window->PostQuit(BadCommandLineExitCode);
        return true;
    }
    state.RequestTargets = std::move(*targets);

    if (state.LinkSocket == nullptr || !state.LinkSocket->Create()) {
        state.Prompts->MessageBoxId(ids::CantCreateSocket);
    }
    state.Controls->SetWindowText(ctl::InfoEdit, u"");
    ResetSettingsForm(state);
    state.ConfigImage.clear();
    state.ConfigRead = 0;
    SendRequest(state, MakeRequestWord(REQ_READ_VIN), nullptr, 0);
    state.Controls->EnableWindow(ctl::SendSignalTele, false);
    state.TimerId = state.Window->SetTimer(DialogTimerId, DialogTimerPeriodMs);
    return true;
}
