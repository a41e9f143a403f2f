#include "param_list_fixture.h"

#include <string>

#include "dialog/param_columns.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"

namespace {
constexpr uint32_t Class1Family1 = 0x01100000u;
constexpr uint32_t BandsPerTable = 256 * 3; // family 1 reads every third band name
} // namespace

uint32_t BenchCode(uint32_t i) {
    return Class1Family1 | ((i / 65536) << 16) | (((i / 256) % 256) << 8) | (i % 256);
}

SelectedParamMap AssemblableMap(uint32_t n) {
    SelectedParamMap map;
    for (uint32_t i = 0; i < n; ++i)
        map.emplace_hint(map.end(), ParamKey{BenchCode(i), 0, 0},
                         ParamSetting{static_cast<uint16_t>(10 + (i / 4) % 2), 0});
    return map;
}

SelectedParamMap DividableMap(uint32_t n) {
    SelectedParamMap map;
    for (uint32_t i = 0; i < n; ++i) {
        const ParamKey key = i % 16 == 0 ? ParamKey{BenchCode(2 * i), 1, 1}
                                         : ParamKey{BenchCode(2 * i), 0, 0};
        map.emplace_hint(map.end(), key, ParamSetting{60, 0});
    }
    return map;
}

ParamListBench::ParamListBench(ITableCtrl& list) {
    BandNameTable.clear();
    for (uint32_t b = 0; b < BandsPerTable; ++b) {
        const std::string name = std::to_string(b * 10);
        BandNameTable.emplace_back(name.begin(), name.end());
    }
    TelemetryDescriptor& desc = F.State.CurrentDescriptor;
    desc.ChannelCount = 2;
    desc.TypeNames = {u"L", u"S", u"P"};
    desc.AverNames = {{0, u"Fast"}, {1, u"Slow"}, {2, u"Impulse"}};
    F.State.DeviceParamLayout.ChannelSensorMap = 0xFED;
    F.Prompts.Strings[ids::Hz] = u"Hz";
    F.Controls.ComboAddString(ctl::TeleTypeCombo, u"type");
    F.Controls.ComboSetCurSel(ctl::TeleTypeCombo, 0);
    F.State.ParamList = &list;
    SetUpParamColumns(F.State);
}

ParamListBench::~ParamListBench() {
    BandNameTable.clear();
}

void ParamListBench::Fill(const SelectedParamMap& map) {
    // Entry by entry in key order, as reading the adapter's entries or a command builds a map.
    F.State.SelectedParamMap.clear();
    for (const auto& entry : map)
        F.State.SelectedParamMap.emplace_hint(F.State.SelectedParamMap.end(), entry);
    RefreshParamTable(F.State, 0);
}

void ParamListBench::Menu(int choice) {
    F.Prompts.MenuAnswers.push_back(choice);
    OnParamListMenu(F.State, 0, 0);
    F.Prompts.Boxes.clear();
    F.Prompts.Menus.clear();
}
