#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/device_param_layout.h"
#include "model/telemetry_descriptor.h"
#include "platform/dialog_controls.h"
#include "platform/services.h"

/// Lowest and highest send rate, in seconds, that an entry may have.
inline constexpr int MinSendRate = 1;
inline constexpr int MaxSendRate = 28800;

/// A send-rate text read as "%d" (white space before the number skipped, anything after it
/// ignored): the number when it lies in MinSendRate ... MaxSendRate, else nothing.
std::optional<int> ReadSendRate(std::u16string_view text);

/// `pattern` with its first `conversion` ("%d", "%s") replaced by `value`; unchanged when it has
/// none.
std::u16string FormatOneArg(std::u16string pattern, std::u16string_view conversion,
                            std::u16string_view value);

/// Kinds of parameter the dialog offers: the measured-value families 1 to 3 and family "L".
namespace param_kind {
inline constexpr int Family1 = 0;
inline constexpr int Family2 = 1;
inline constexpr int Family3 = 2;
inline constexpr int FamilyL = 3;
} // namespace param_kind

/// The choices the dialog remembers for the whole process between its openings: list positions
/// of kind, item, value and channel, and the telemetry type at the last OK.
struct AddParameterChoices {
    int Kind = 0;
    int Item = 0;
    int Value = 0;
    int Channel = 0;
    int Type = 0;
};
AddParameterChoices& RememberedAddParameterChoices();

/// The working of the add-parameter dialog over its controls by id (kind 1000, item 1003, value
/// 1025 and channel 1026 lists, rate edit 1001, "all" check box 1027): the window calls the
/// handlers and reads SelectedCodes and SendRate after an OK. The item and value lists offer
/// only the averaging and band indexes that a code can carry (AverIndexLimit, BandIndexLimit);
/// codes the telemetry type does not have (the look-up gives 0) are not handed back.
class AddParameterForm {
public:
    /// The descriptor, layout and the first of the eight channel blocks are the working state's,
    /// not owned, and must outlive the form.
    AddParameterForm(IDialogControls& controls, IUserPrompts& prompts,
                     const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                     const ChannelLayout* channels);

    /// Result: the chosen codes in the order found.
    std::vector<uint32_t> SelectedCodes;
    /// Result: the send rate read on OK.
    int SendRate = 0;
    /// Put into the controls when the dialog opens.
    std::u16string RateText = u"1";
    int AllValues = 0;

    void OnInitDialog();
    /// Kind of the selected KindList entry; -1 when none is selected.
    int SelectedParamKind() const;
    void FillParamItemCombo();
    void FillParamValueCombo();
    void OnParamKindChanged();
    void OnAllValuesClicked();
    /// True when the dialog is to end with OK; false (after string 143) for a wrong rate.
    bool OnAddParamOk();

private:
    bool KindPresent(int kind) const;
    /// Selects `position`, or the first entry when the list lacks it.
    void SelectPosition(int id, int position);

    IDialogControls& controls_;
    IUserPrompts& prompts_;
    const TelemetryDescriptor& desc_;
    const DeviceParamLayout& layout_;
    const ChannelLayout& channel0_;
    /// Kind of each KindList entry, by position.
    std::vector<int> kinds_;
};
