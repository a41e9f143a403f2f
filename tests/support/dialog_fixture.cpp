#include "support/dialog_fixture.h"

#include "dialog/write_pump.h"
#include "model/device_param_layout.h"
#include "model/param_code_layout.h"
#include "platform/control_ids.h"
#include "protocol/protocol.h"

TelemetryDescriptor SavableDescriptor() {
    TelemetryDescriptor d;
    d.Codes = {param_code::DeviceTypeCode,   param_code::Code202E, param_code::StartStopCode,
               param_code::PolarizationCode, param_code::RangeCode, SavableBand,
               SavableBand + 1,              SavableBand + 2,      SavableBand + 3,
               param_code::Code5004,         param_code::Code502C};
    d.TypeNames[0] = u"Sound level";
    return d;
}

DialogFixture::DialogFixture() {
    State.Controls = &Controls;
    State.LinkSocket = &Socket;
    State.Clock = &Clock;
    State.Prompts = &Prompts;
    State.Profile = &Profile;
    State.Window = &Window;
    Socket.Open = true;
    Window.Clock = &Clock;
    Window.OnTimer = [this](uint32_t id) { OnDialogTimer(State, id); };
}

std::vector<uint32_t> DialogFixture::SentRequestWords() const {
    std::vector<uint32_t> words;
    for (const FakeSocket::Sent& sent : Socket.SentDatagrams) {
        words.push_back(sent.Data.size() >= RequestHeaderSize ? GetU32(sent.Data.data() + 8) : 0);
    }
    return words;
}

void DialogFixture::FillSavableForm() {
    Controls.SetWindowText(ctl::MacText, u"00:11:22:aa:BB:ff");
    Controls.SetCheck(ctl::PolarizationOn, 1);
    Controls.SetCheck(ctl::RangeR2, 1);
    Controls.SetCheck(ctl::AddressModeAuto, 1);
    Controls.SetCheck(ctl::NtpAutoCheck, 1);
    Controls.SetWindowText(ctl::ServerEdit, u"monitor.tarnel.net");
}

void DialogFixture::SelectTeleType(uint16_t type) {
    State.DeviceParamLayout.TeleType = type;
    ApplyTeleDescToDevice(State.ChannelLayout, State.DeviceParamLayout, State.CurrentDescriptor);
}
