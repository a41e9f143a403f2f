#include "dialog/add_parameter.h"

#include <algorithm>
#include <array>

#include "config/param_table_rows.h"
#include "model/channel_band_names.h"
#include "model/param_code.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "text/wide_text.h"

namespace {
constexpr char16_t LKindLabel[] = u"L";
constexpr char16_t UnknownAverName[] = u"unknown";
/// The single entry of the channel list of a one-channel type.
constexpr char16_t NoChannelEntry[] = u" ";
constexpr int ChannelListLimit = 8;
constexpr size_t MaxLValueEntries = 6;
/// Types whose value list opens at position 1 when the dialog meets them first.
constexpr std::array<int, 6> TypesOpeningAtValue1{28, 74, 96, 39, 102, 116};
} // namespace

std::optional<int> ReadSendRate(std::u16string_view text) {
    std::vector<int64_t> fields;
    if (ScanWide(text, "%d", fields) != 1 || fields[0] < MinSendRate || fields[0] > MaxSendRate)
        return std::nullopt;
    return static_cast<int>(fields[0]);
}

std::u16string FormatOneArg(std::u16string pattern, std::u16string_view conversion,
                            std::u16string_view value) {
    const size_t at = pattern.find(conversion);
    if (at != std::u16string::npos)
        pattern.replace(at, conversion.size(), value);
    return pattern;
}

AddParameterChoices& RememberedAddParameterChoices() {
    static AddParameterChoices choices;
    return choices;
}

AddParameterForm::AddParameterForm(IDialogControls& controls, IUserPrompts& prompts,
                                   const TelemetryDescriptor& desc, const DeviceParamLayout& layout,
                                   const ChannelLayout* channels)
    : controls_(controls), prompts_(prompts), desc_(desc), layout_(layout), channel0_(*channels) {}

bool AddParameterForm::KindPresent(int kind) const {
    switch (kind) {
    case param_kind::Family1:
        return desc_.BandCount1 > 0;
    case param_kind::Family2:
        return desc_.BandCount2 > 0;
    case param_kind::Family3:
        return desc_.BandCount3 > 0;
    case param_kind::FamilyL:
        return !channel0_.LItems.empty() && !channel0_.LItems[0].bands.empty();
    default:
        return false;
    }
}

void AddParameterForm::SelectPosition(int id, int position) {
    const int count = controls_.ComboGetCount(id);
    controls_.ComboSetCurSel(id, position >= 0 && position < count ? position : 0);
}

void AddParameterForm::OnInitDialog() {
    controls_.SetWindowText(ctl::ParamRateEdit, RateText);
    controls_.SetCheck(ctl::ParamAllValuesCheck, AllValues);

    kinds_.clear();
    for (int kind = param_kind::Family1; kind <= param_kind::FamilyL; ++kind) {
        if (KindPresent(kind))
            kinds_.push_back(kind);
    }

    AddParameterChoices& remembered = RememberedAddParameterChoices();
    if (remembered.Type != layout_.TeleType) {
        remembered.Item = 0;
        remembered.Value = 0;
        remembered.Channel = 0;
        remembered.Kind = KindPresent(param_kind::Family3) ? param_kind::Family3
                          : kinds_.empty()                 ? 0
                                                           : kinds_.front();
        if (std::ranges::find(TypesOpeningAtValue1, layout_.TeleType) != TypesOpeningAtValue1.end())
            remembered.Value = 1;
    }

    controls_.ComboResetContent(ctl::ParamKindList);
    for (int kind : kinds_) {
        controls_.ComboAddString(ctl::ParamKindList,
                                 kind == param_kind::FamilyL ? LKindLabel : desc_.TypeNames[kind]);
    }
    const auto kindAt = std::ranges::find(kinds_, remembered.Kind);
    controls_.ComboSetCurSel(ctl::ParamKindList, kindAt == kinds_.end()
                                                     ? -1
                                                     : static_cast<int>(kindAt - kinds_.begin()));

    FillParamItemCombo();
    SelectPosition(ctl::ParamItemList, remembered.Item);
    FillParamValueCombo();
    SelectPosition(ctl::ParamValueList, remembered.Value);

    controls_.ComboResetContent(ctl::ParamChannelList);
    const int channels = std::min(desc_.ChannelCount, ChannelListLimit);
    if (channels <= 1) {
        controls_.ComboAddString(ctl::ParamChannelList, NoChannelEntry);
        controls_.ComboSetCurSel(ctl::ParamChannelList, 0);
        controls_.EnableWindow(ctl::ParamChannelList, false);
        return;
    }
    const std::u16string format = prompts_.LoadString(ids::ChannelFormat);
    for (int c = 0; c < channels; ++c)
        controls_.ComboAddString(ctl::ParamChannelList,
                                 FormatOneArg(format, u"%s", ChannelName(c, layout_)));
    SelectPosition(ctl::ParamChannelList, remembered.Channel);
}

int AddParameterForm::SelectedParamKind() const {
    const int position = controls_.ComboGetCurSel(ctl::ParamKindList);
    if (position < 0 || static_cast<size_t>(position) >= kinds_.size())
        return -1;
    return kinds_[static_cast<size_t>(position)];
}

void AddParameterForm::FillParamItemCombo() {
    controls_.ComboResetContent(ctl::ParamItemList);
    const int kind = SelectedParamKind();
    if (kind == param_kind::FamilyL) {
        for (size_t i = 0; i < channel0_.LItems.size(); ++i) {
            controls_.ComboAddString(ctl::ParamItemList,
                                     i < desc_.LItemCodes.size()
                                         ? BandName(desc_.LItemCodes[i], layout_, desc_)
                                         : std::u16string());
        }
    } else if (kind >= param_kind::Family1) {
        const std::vector<std::vector<double>>* matrices[] = {
            &channel0_.ValueMatrix1, &channel0_.ValueMatrix2, &channel0_.ValueMatrix3};
        const size_t rows = std::min<size_t>(matrices[kind]->size(),
                                             param_code::AverIndexLimit(desc_.IndexPacked != 0));
        for (uint32_t a = 0; a < rows; ++a) {
            const auto name = desc_.AverNames.find(a);
            controls_.ComboAddString(ctl::ParamItemList, name != desc_.AverNames.end()
                                                             ? name->second
                                                             : std::u16string(UnknownAverName));
        }
    }
    controls_.ComboSetCurSel(ctl::ParamItemList, 0);
}

void AddParameterForm::FillParamValueCombo() {
    controls_.ComboResetContent(ctl::ParamValueList);
    const int kind = SelectedParamKind();
    if (kind == param_kind::FamilyL) {
        if (!channel0_.LItems.empty()) {
            const std::vector<LBand>& bands = channel0_.LItems[0].bands;
            for (size_t b = 0; b < bands.size() && b < MaxLValueEntries; ++b)
                controls_.ComboAddString(ctl::ParamValueList, bands[b].name);
        }
    } else if (kind >= param_kind::Family1) {
        // A frequency list may name more bands than a code can carry; those have no code.
        const int32_t counts[] = {desc_.BandCount1, desc_.BandCount2, desc_.BandCount3};
        const int32_t offered = std::min(
            counts[kind], static_cast<int32_t>(param_code::BandIndexLimit(desc_.IndexPacked != 0)));
        const auto family = static_cast<uint32_t>(kind + 1);
        for (int32_t b = 0; b < offered; ++b)
            controls_.ComboAddString(ctl::ParamValueList, ParamBandText(desc_, layout_, family,
                                                                        static_cast<uint32_t>(b)));
    }
    controls_.ComboSetCurSel(ctl::ParamValueList, 0);
}

void AddParameterForm::OnParamKindChanged() {
    FillParamItemCombo();
    FillParamValueCombo();
}

void AddParameterForm::OnAllValuesClicked() {
    AllValues = controls_.GetCheck(ctl::ParamAllValuesCheck);
    controls_.EnableWindow(ctl::ParamValueList, AllValues == 0);
}

bool AddParameterForm::OnAddParamOk() {
    RateText = controls_.GetWindowText(ctl::ParamRateEdit);
    AllValues = controls_.GetCheck(ctl::ParamAllValuesCheck);
    const std::optional<int> rate = ReadSendRate(RateText);
    if (!rate) {
        prompts_.MessageBoxId(ids::WrongRate);
        return false;
    }
    SendRate = *rate;

    AddParameterChoices& remembered = RememberedAddParameterChoices();
    const int kind = SelectedParamKind();
    const int item = controls_.ComboGetCurSel(ctl::ParamItemList);
    const int channel = controls_.ComboGetCurSel(ctl::ParamChannelList);
    remembered.Kind = kind;
    remembered.Item = item;
    remembered.Value = controls_.ComboGetCurSel(ctl::ParamValueList);
    remembered.Channel = channel;
    remembered.Type = layout_.TeleType;

    // A position of -1 (an empty list) converts to a field no code has, so the look-up gives 0.
    auto lookUp = [&](int value) {
        const uint32_t code = FindParamCodeByType(
            layout_.TeleType, static_cast<uint32_t>(channel), static_cast<uint32_t>(kind),
            static_cast<uint32_t>(item), static_cast<uint32_t>(value));
        // The type has no such parameter: a code of 0 would stand for nothing in the map.
        if (code != 0)
            SelectedCodes.push_back(code);
    };
    SelectedCodes.clear();
    if (AllValues == 0) {
        lookUp(remembered.Value);
    } else {
        remembered.Value = 0;
        const int values = controls_.ComboGetCount(ctl::ParamValueList);
        for (int v = 0; v < values; ++v)
            lookUp(v);
    }
    return true;
}
