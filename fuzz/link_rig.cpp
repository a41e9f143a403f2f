#include "link_rig.h"

#include "dialog/reply_handler.h"
#include "model/param_code.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"

LinkRig::LinkRig() : catalogue_(InstrumentTypeCatalog) {
    TelemetryDescriptorMap.clear();
    TelemetryDescriptor& listed = TelemetryDescriptorMap[RigListedType];
    listed.Codes = {0x201C0000};
    for (uint32_t band = 0; band < 5; ++band)
        listed.Codes.push_back(0x21100000 + band);
    for (uint32_t band = 0; band < 40; ++band)
        listed.Codes.push_back(0x51100000 + band);
    TelemetryDescriptorMap[RigDescribedOnlyType].Codes = {0x51100000};
    DeviceModel model;
    model.Prefix = u"SM";
    model.Name = u"Sound meter";
    model.TeleType = RigListedType;
    DeviceModelList = {model};

    F.State.ParamList = &Table;
    F.State.RequestTargets = {{"127.0.0.255", RigAdapterPort}};
    F.State.WritePassword = {'p', 'w', 0, 0, 0, 0, 0, 0, 0, 0};
    F.Controls.SetSorted(ctl::TeleTypeCombo, true);
    F.Controls.SetSorted(ctl::DeviceAddressCombo, true);
    F.Controls.ComboAddString(ctl::TeleTypeCombo, u"SM: Sound meter");
    F.State.TeleTypeComboMap[u"SM: Sound meter"] = RigListedType;
    F.State.FirmwareVersion = 0x0200;
    F.Clock.Now = 10000;
    F.Prompts.Strings[ids::ParamOffsetMismatch] = u"offset %d != %d\n0x%08X";
    F.Prompts.Strings[ids::WritingError] = u"Writing error";
    F.Prompts.Strings[ids::WriteComplete] = u"Write complete";
    F.Prompts.Strings[ids::KeyWriteResult] = u"Result %08X %08X %08X %08X %08X";
    F.Prompts.Strings[ids::LegacyTypeFormat] = u"Legacy [%u]";
    F.Prompts.Strings[ids::DeviceNotResponding] = u"Device not responding";
}

LinkRig::~LinkRig() {
    InstrumentTypeCatalog = catalogue_;
    TelemetryDescriptorMap.clear();
    DeviceModelList.clear();
}

std::vector<std::u16string> LinkRig::NewBoxes() {
    std::vector<std::u16string> out;
    for (; boxesSeen_ < F.Prompts.Boxes.size(); ++boxesSeen_)
        out.push_back(F.Prompts.Boxes[boxesSeen_].Text);
    return out;
}

void LinkRig::Deliver(std::span<const uint8_t> datagram, const std::string& address,
                      uint16_t port) {
    OnReceive(F.State, std::vector<uint8_t>(datagram.begin(), datagram.end()), address, port);
}

std::vector<uint8_t> RigSettingsImage(uint32_t entries) {
    std::vector<uint8_t> image(256, 0);
    const auto put = [&](size_t at, uint32_t v, int n) {
        if (image.size() < at + n)
            image.resize(at + n, 0);
        for (int i = 0; i < n; ++i)
            image[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0x00, 0x12129876, 4);
    put(0x2A, RigListedType, 2);
    put(0xB6, entries, 2);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t code = 0x51100000 + i % 40;
        const size_t at = 256 + 8 * size_t{i};
        put(at, code, 4);
        put(at + 4, static_cast<uint32_t>(ParamCodeFrameOffset(RigListedType, code)), 2);
        put(at + 6, 1 + i % 7, 2);
    }
    image.resize((image.size() + 255) / 256 * 256, 0);
    return image;
}
