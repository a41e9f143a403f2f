#include "dialog/dialog_init.h"

#include <array>

#include "dialog/request_targets.h"
#include "dialog/send_request.h"
#include "dialog/settings_form.h"
#include "dialog/write_pump.h"
#include "model/tele_desc_file.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "platform/table_styles.h"

namespace {

constexpr char16_t VersionPlaceholder[] = u"X.X";

constexpr uint32_t AlignLeft = 0;
constexpr uint32_t AlignRight = 1;

struct ColumnSpec {
    int TitleId;
    int DefaultWidth;
    uint32_t Alignment;
};

// Column 0 is left-aligned whatever is asked for: the list shows a first column that way.
constexpr std::array<ColumnSpec, 3> ParamColumns = {{
    {ids::ColumnParameter, 200, AlignLeft},
    {ids::ColumnRate, 70, AlignRight},
    {ids::ColumnPlot, 70, AlignLeft},
}};

constexpr uint32_t ParamListStyle = table_style::GridLines | table_style::FullRowSelect |
                                   table_style::InfoTip | table_style::LabelTip;

/// Cell of each row that sorting by column 0 compares: the hidden parameter code, not the name.
constexpr int ParamCodeKeyCell = 3;

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

void SetUpParamColumns(DialogState& state) {
    ITableCtrl& list = *state.ParamList;
    list.SetExtendedStyle(ParamListStyle);
    list.SortByColumn(0);
    list.SetSearchCell(0);
    for (int i = 0; i < static_cast<int>(ParamColumns.size()); ++i) {
        const ColumnSpec& column = ParamColumns[i];
        const int width = state.Profile->GetProfileInt(ColumnWidthSection, ColumnWidthValueName(i),
                                                       column.DefaultWidth);
        list.AddColumn(i, state.Prompts->LoadString(column.TitleId), width, column.Alignment);
    }
    list.SetColumnKeyCell(0, ParamCodeKeyCell);
}

} // namespace

bool OnInitDialog(DialogState& state, const DialogInitInputs& inputs) {
    PutVersionInTitle(*state.Window);

    state.UiLanguageName =
        inputs.EnglishResourcesLoaded ? EnglishLanguageName : RussianLanguageName;
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
