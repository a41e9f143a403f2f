#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/din_descriptor.h"
#include "config/settings_image.h"
#include "dialog/save_settings.h"
#include "dialog/write_preconditions.h"
#include "model/device_param_layout.h"
#include "model/param_code.h"
#include "model/param_code_layout.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/protocol.h"
#include "protocol/request_codes.h"
#include "support/dialog_fixture.h"
#include "support/param_maps.h"

namespace {

constexpr int32_t Type = 223;      // in the instrument catalogue as "SLM_THIRD_OCT"
constexpr int32_t BareType = 0x4D; // frame without polarization, range and 0x502C
constexpr int32_t NoStartStopType = 0x4E;
constexpr int32_t UndescribedType = 0x4F;
constexpr uint32_t Band = SavableBand;
constexpr uint32_t ModelWord1 = 0x00123456;
constexpr uint32_t ModelWord2 = 0x00ABCDEF;
constexpr uint32_t ReadVinWord = MakeRequestWord(REQ_READ_VIN);

class SaveSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedMap_ = TelemetryDescriptorMap;
        savedModels_ = DeviceModelList;
        TelemetryDescriptorMap.clear();
        TelemetryDescriptorMap[Type] = SavableDescriptor();
        TelemetryDescriptor bare;
        bare.Codes = {param_code::DeviceTypeCode, param_code::StartStopCode, Band,
                      param_code::Code5004};
        TelemetryDescriptorMap[BareType] = bare;
        TelemetryDescriptor noStartStop;
        noStartStop.Codes = {param_code::DeviceTypeCode, Band};
        TelemetryDescriptorMap[NoStartStopType] = noStartStop;
        DeviceModelList = {
            {u"X", u"Other", BareType, 1, 2, u""},
            {u"SLM", u"Meter", static_cast<uint32_t>(Type), ModelWord1, ModelWord2, u""},
            {u"SLM", u"Second", static_cast<uint32_t>(Type), 7, 8, u""}};
        Reset();
    }
    void TearDown() override {
        TelemetryDescriptorMap = savedMap_;
        DeviceModelList = savedModels_;
    }

    /// A fresh working state with a form that passes every check: firmware 0x114, DHCP, NTP
    /// auto, a host name as server, polarization on, range R2, one adapter chosen, and the user
    /// answering the password dialog with "secret".
    void Reset() {
        f = std::make_unique<DialogFixture>();
        f->FillSavableForm();
        FakeControls& c = f->Controls;
        c.ComboAddString(ctl::DeviceAddressCombo, u"127.0.0.1");
        c.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
        f->State.FirmwareVersion = 0x114;
        f->Clock.Now = 50000;
        f->Prompts.EditTextAnswers.push_back(u"secret");
        SelectType(Type);
    }

    void SelectType(int32_t type) { f->SelectTeleType(static_cast<uint16_t>(type)); }

    /// The type whose frame lacks polarization, range and 0x502C, with the polarization radio
    /// `polarization` and the range radio `range` set in place of the form's.
    void SelectBareType(int polarization, int range) {
        SelectType(BareType);
        f->Controls.SetCheck(ctl::PolarizationOn, 0);
        f->Controls.SetCheck(ctl::RangeR2, 0);
        f->Controls.SetCheck(polarization, 1);
        f->Controls.SetCheck(range, 1);
    }

    /// An unfinished earlier write that the user agrees to abort.
    void QueueEarlierJob() {
        WriteJob job;
        job.BasePage = 0x123;
        job.Data.assign(10, 1);
        f->State.WriteQueue.push_back(job);
        f->Prompts.Answers.push_back(MbResult::Yes);
    }

    /// Page 0 of the settings job, which must be the first queued.
    SettingsPage SavedPage() const {
        const auto& queue = f->State.WriteQueue;
        EXPECT_FALSE(queue.empty());
        if (queue.empty())
            return {};
        const auto page = DecodeSettingsPage(queue.front().Data);
        EXPECT_TRUE(page.has_value());
        return page.value_or(SettingsPage{});
    }

    /// A complete manual address setting with the fields of control `id` replaced.
    static std::function<void(DialogFixture&)> ManualWith(int id, std::array<int, 4> fields) {
        return [=](DialogFixture& d) {
            FakeControls& c = d.Controls;
            c.SetCheck(ctl::AddressModeAuto, 0);
            c.SetCheck(ctl::AddressModeManual, 1);
            c.SetFields(ctl::IpAddress, {10, 0, 0, 2});
            c.SetFields(ctl::SubnetMask, {255, 255, 255, 0});
            c.SetFields(ctl::DefaultGateway, {10, 0, 0, 1});
            c.SetFields(ctl::DnsServer, {10, 0, 0, 1});
            c.SetFields(id, fields);
        };
    }

    void ExpectNothingQueued() const {
        EXPECT_TRUE(f->State.WriteQueue.empty());
        EXPECT_EQ(f->State.LastWriteSendTick, 0u);
        EXPECT_EQ(f->State.VinProbePending.load(), 0u);
        EXPECT_TRUE(f->Socket.SentDatagrams.empty());
    }

    std::unique_ptr<DialogFixture> f;

private:
    std::map<int32_t, TelemetryDescriptor> savedMap_;
    std::vector<DeviceModel> savedModels_;
};

TEST_F(SaveSettingsTest, OldFirmwareQueuesTheImageAloneAndProbesTheChosenAdapter) {
    QueueEarlierJob();
    f->State.LastWriteSendTick = 0;
    f->State.SelectedParamMap = ParamMapOf({{{Band, 0, 0}, {10, 1}}, {{Band + 1, 2, 1}, {60, 0}}});
    OnSaveSettings(f->State);

    ASSERT_EQ(f->State.WriteQueue.size(), 1u);
    const WriteJob& job = f->State.WriteQueue.front();
    EXPECT_EQ(job.BasePage, SettingsBasePage);
    EXPECT_EQ(job.PreRequests, std::deque<uint32_t>{0x07000003});
    ASSERT_EQ(job.Data.size(), 256u + 3 * 8); // not padded to a page
    EXPECT_EQ(std::vector<uint8_t>(job.Data.begin() + 256, job.Data.end()),
              EncodeParamEntries(f->State.SelectedParamMap, Type));

    SettingsPage expected;
    expected.WritePassword = {'s', 'e', 'c', 'r', 'e', 't'};
    expected.MacAddress = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xFF};
    expected.PolarizationControl = 0x8001;
    expected.RangeControl = 0x8001;
    expected.TelemetryType = Type;
    expected.DeviceTypeOffset = FrameOffset16(Type, param_code::DeviceTypeCode);
    expected.Code202EOffset = FrameOffset16(Type, param_code::Code202E);
    expected.StartStopOffset = FrameOffset16(Type, param_code::StartStopCode);
    expected.PolarizationOffset = FrameOffset16(Type, param_code::PolarizationCode);
    expected.RangeOffset = FrameOffset16(Type, param_code::RangeCode);
    expected.Code502COffset = FrameOffset16(Type, param_code::Code502C);
    const char labels[] = "\x07monitor\x06tarnel\x03net";
    std::copy(labels, labels + sizeof labels, expected.ServerAddress.begin());
    expected.ParamCount = 3;
    expected.ModelWord1 = ModelWord1 | 0xAA000000;
    expected.ModelWord2 = ModelWord2;
    EXPECT_EQ(SavedPage(), expected);

    EXPECT_EQ(f->Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion)});
    EXPECT_EQ(f->State.LastWriteSendTick, 0u);
    EXPECT_EQ(f->State.VinProbePending.load(), 1u);
    EXPECT_EQ(f->State.VinProbeTick, 50000u);
    EXPECT_EQ(f->SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
    EXPECT_EQ(f->Socket.SentDatagrams[0].Address, "127.0.0.1");
}

TEST_F(SaveSettingsTest, EachFailedCheckShowsItsStringAndLeavesNoJob) {
    struct Case {
        const char* Name;
        std::function<void(DialogFixture&)> Change;
        int Expected;
    };
    const Case cases[] = {
        {"empty MAC, as a reset form has it",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::MacText, u""); }, ids::WrongMac},
        {"five MAC numbers",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::MacText, u"00:11:22:33:44"); },
         ids::WrongMac},
        {"MAC number above 0xFF",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::MacText, u"00:11:122:33:44:55"); },
         ids::WrongMac},
        {"MAC with a bad separator",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::MacText, u"00.11.22.33.44.55"); },
         ids::WrongMac},
        {"no polarization", [](DialogFixture& d) { d.Controls.SetCheck(ctl::PolarizationOn, 0); },
         ids::WrongPolarization},
        {"no range", [](DialogFixture& d) { d.Controls.SetCheck(ctl::RangeR2, 0); },
         ids::WrongRange},
        {"manual address with a blank field", ManualWith(ctl::IpAddress, {10, 0, -1, 2}),
         ids::WrongIpAddress},
        {"neither address radio and a blank address",
         [](DialogFixture& d) { d.Controls.SetCheck(ctl::AddressModeAuto, 0); },
         ids::WrongIpAddress},
        {"mask 0", ManualWith(ctl::SubnetMask, {0, 0, 0, 0}), ids::WrongNetworkMask},
        {"gateway incomplete", ManualWith(ctl::DefaultGateway, {10, 0, 0, -1}), ids::WrongGateway},
        {"DNS 0", ManualWith(ctl::DnsServer, {0, 0, 0, 0}), ids::WrongDns},
        {"NTP blank", [](DialogFixture& d) { d.Controls.SetCheck(ctl::NtpAutoCheck, 0); },
         ids::WrongNtp},
        {"server without a dot",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::ServerEdit, u"localhost"); },
         ids::WrongServerAddress},
        {"server without a dot, new firmware",
         [](DialogFixture& d) {
             d.State.FirmwareVersion = 0x200;
             d.Controls.SetWindowText(ctl::ServerEdit, u"localhost");
         },
         ids::WrongServerAddress},
        {"dotted address with a number above 255",
         [](DialogFixture& d) {
             d.State.FirmwareVersion = 0x200;
             d.Controls.SetWindowText(ctl::ServerEdit, u"300.1.1.1");
         },
         ids::WrongServerAddress},
        {"non-ASCII host name, old firmware, also too long",
         [](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::ServerEdit, u"h\u00F6st." + std::u16string(200, u'a'));
         },
         ids::WrongServerCharacter},
        {"label sequence over 128 bytes",
         [](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::ServerEdit,
                                      std::u16string(60, u'a') + u"." + std::u16string(66, u'b'));
         },
         ids::ServerAddressTooLong},
        {"no type", [this](DialogFixture&) { SelectType(0); }, ids::NoSensorType},
        {"type not described", [this](DialogFixture&) { SelectType(UndescribedType); },
         ids::NoDeviceTypeInTele},
        {"frame without start/stop", [this](DialogFixture&) { SelectType(NoStartStopType); },
         ids::NoStartStopInTele},
        {"polarization off, frame without it",
         [this](DialogFixture&) { SelectBareType(ctl::PolarizationOff, ctl::RangeOutOfControl); },
         ids::NoPolarizationInTele},
        {"range R1, frame without it",
         [this](DialogFixture&) { SelectBareType(ctl::PolarizationOutOfControl, ctl::RangeR1); },
         ids::NoRangeInTele},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        QueueEarlierJob();
        c.Change(*f);
        OnSaveSettings(f->State);
        EXPECT_EQ(f->Prompts.Texts(),
                  (std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion),
                                               StringIdText(c.Expected)}));
        ExpectNothingQueued();
    }
}

TEST_F(SaveSettingsTest, OfTwoFailedChecksTheEarlierOneIsShown) {
    struct Case {
        const char* Name;
        std::function<void(DialogFixture&)> Change;
        int Expected;
    };
    auto tooManyParams = [](DialogFixture& d) {
        d.State.SelectedParamMap = ParamMapOf({{{Band, 8160, 2}, {1, 0}}});
    };
    const Case cases[] = {
        {"bad MAC, no polarization",
         [](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::MacText, u"00:11");
             d.Controls.SetCheck(ctl::PolarizationOn, 0);
         },
         ids::WrongMac},
        {"no polarization, no range",
         [](DialogFixture& d) {
             d.Controls.SetCheck(ctl::PolarizationOn, 0);
             d.Controls.SetCheck(ctl::RangeR2, 0);
         },
         ids::WrongPolarization},
        {"no range, blank manual address",
         [](DialogFixture& d) {
             d.Controls.SetCheck(ctl::RangeR2, 0);
             ManualWith(ctl::IpAddress, {-1, -1, -1, -1})(d);
         },
         ids::WrongRange},
        {"blank address field, mask 0",
         [](DialogFixture& d) {
             ManualWith(ctl::IpAddress, {10, -1, 0, 2})(d);
             d.Controls.SetFields(ctl::SubnetMask, {0, 0, 0, 0});
         },
         ids::WrongIpAddress},
        {"mask 0, gateway 0",
         [](DialogFixture& d) {
             ManualWith(ctl::SubnetMask, {0, 0, 0, 0})(d);
             d.Controls.SetFields(ctl::DefaultGateway, {0, 0, 0, 0});
         },
         ids::WrongNetworkMask},
        {"gateway 0, DNS 0",
         [](DialogFixture& d) {
             ManualWith(ctl::DefaultGateway, {0, 0, 0, 0})(d);
             d.Controls.SetFields(ctl::DnsServer, {0, 0, 0, 0});
         },
         ids::WrongGateway},
        {"DNS 0, NTP blank",
         [](DialogFixture& d) {
             ManualWith(ctl::DnsServer, {0, 0, 0, 0})(d);
             d.Controls.SetCheck(ctl::NtpAutoCheck, 0);
         },
         ids::WrongDns},
        {"NTP blank, server without a dot",
         [](DialogFixture& d) {
             d.Controls.SetCheck(ctl::NtpAutoCheck, 0);
             d.Controls.SetWindowText(ctl::ServerEdit, u"localhost");
         },
         ids::WrongNtp},
        {"server without a dot, type 0",
         [this](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::ServerEdit, u"localhost");
             SelectType(0);
         },
         ids::WrongServerAddress},
        {"non-ASCII and too long host name, type 0",
         [this](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::ServerEdit, u"höst." + std::u16string(200, u'a'));
             SelectType(0);
         },
         ids::WrongServerCharacter},
        {"label sequence too long, type 0",
         [this](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::ServerEdit, u"a." + std::u16string(200, u'b'));
             SelectType(0);
         },
         ids::ServerAddressTooLong},
        {"type 0, too many parameters",
         [&](DialogFixture& d) {
             SelectType(0);
             tooManyParams(d);
         },
         ids::NoSensorType},
        {"frame without start/stop or polarization, polarization on",
         [this](DialogFixture&) { SelectType(NoStartStopType); }, ids::NoStartStopInTele},
        {"polarization off and range R1 on a frame without them",
         [this](DialogFixture&) { SelectBareType(ctl::PolarizationOff, ctl::RangeR1); },
         ids::NoPolarizationInTele},
        {"range R1 on a frame without it, too many parameters",
         [&](DialogFixture& d) {
             SelectBareType(ctl::PolarizationOutOfControl, ctl::RangeR1);
             tooManyParams(d);
         },
         ids::NoRangeInTele},
        {"too many parameters, no adapter chosen",
         [&](DialogFixture& d) {
             tooManyParams(d);
             d.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, -1);
         },
         ids::TooManyParams},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        c.Change(*f);
        OnSaveSettings(f->State);
        EXPECT_EQ(f->Prompts.Texts(), std::vector<std::u16string>{StringIdText(c.Expected)});
        ExpectNothingQueued();
    }
}

TEST_F(SaveSettingsTest, PassingFormsEncodeWhatTheyHold) {
    struct Case {
        const char* Name;
        std::function<void(DialogFixture&)> Change;
        std::function<void(const SettingsPage&)> Check;
    };
    ServerAddressBytes noServer{};
    const Case cases[] = {
        {"MAC with dashes, text after the sixth number ignored",
         [](DialogFixture& d) {
             d.Controls.SetWindowText(ctl::MacText, u"0-11-22-0x33-44-55 junk");
         },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.MacAddress, (MacBytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
         }},
        {"DHCP takes blank mask, gateway and DNS as they are",
         [](DialogFixture& d) {
             d.Controls.SetFields(ctl::SubnetMask, {255, -1, 0, 0});
             d.Controls.SetFields(ctl::DefaultGateway, {10, 0, 0, 1});
         },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.IpAddress, Ipv4Bytes{});
             EXPECT_EQ(p.NetMask, (Ipv4Bytes{255, 0, 0, 0}));
             EXPECT_EQ(p.Gateway, (Ipv4Bytes{10, 0, 0, 1}));
             EXPECT_EQ(p.DnsServer, Ipv4Bytes{});
         }},
        {"manual 0.0.0.0 skips the mask, gateway and DNS checks",
         [](DialogFixture& d) {
             d.Controls.SetCheck(ctl::AddressModeAuto, 0);
             d.Controls.SetCheck(ctl::AddressModeManual, 1);
             d.Controls.SetFields(ctl::IpAddress, {0, 0, 0, 0});
         },
         [](const SettingsPage& p) { EXPECT_EQ(p.IpAddress, Ipv4Bytes{}); }},
        {"manual address without a server needs no gateway, DNS or NTP",
         [](DialogFixture& d) {
             d.Controls.SetCheck(ctl::AddressModeAuto, 0);
             d.Controls.SetCheck(ctl::AddressModeManual, 1);
             d.Controls.SetFields(ctl::IpAddress, {192, 168, 0, 9});
             d.Controls.SetFields(ctl::SubnetMask, {255, 255, 255, 0});
             d.Controls.SetFields(ctl::NtpAddress, {1, 2, 3, 4});
             d.Controls.SetCheck(ctl::NtpAutoCheck, 0);
             d.Controls.SetWindowText(ctl::ServerEdit, u" \t ");
         },
         [&](const SettingsPage& p) {
             EXPECT_EQ(p.IpAddress, (Ipv4Bytes{192, 168, 0, 9}));
             EXPECT_EQ(p.NetMask, (Ipv4Bytes{255, 255, 255, 0}));
             EXPECT_EQ(p.NtpServer, (Ipv4Bytes{1, 2, 3, 4}));
             EXPECT_EQ(p.ServerAddress, noServer);
         }},
        {"four numbers take the IPv4 form",
         [](DialogFixture& d) { d.Controls.SetWindowText(ctl::ServerEdit, u" 192.168.1.10 "); },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.ServerAddress, EncodeServerIpv4(192, 168, 1, 10));
         }},
        {"four numbers and more are a host name on new firmware",
         [](DialogFixture& d) {
             d.State.FirmwareVersion = 0x200;
             d.Controls.SetWindowText(ctl::ServerEdit, u"192.168.1.10x");
         },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.ServerAddress, EncodeServerHostName(u"192.168.1.10x"));
         }},
        {"flags from the check boxes and the first radio of each pair",
         [](DialogFixture& d) {
             for (int id : {ctl::PpsCheck, ctl::DateTimeCheck, ctl::SyncSlave, ctl::SendDataTele,
                            ctl::SendSignalTele, ctl::GnssGlonassOnly})
                 d.Controls.SetCheck(id, 1);
         },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.Flags, 0x0004 | 0x0008 | 0x0020 | 0x0040 | 0x0C00);
         }},
        {"the radio of a group that stands for none of the others is not read",
         [](DialogFixture& d) {
             for (int id : {ctl::SyncOff, ctl::SyncMaster, ctl::SendSelectedParams,
                            ctl::SendSignalTele, ctl::GnssNotUsed, ctl::GnssGpsGlonass})
                 d.Controls.SetCheck(id, 1);
         },
         [](const SettingsPage& p) { EXPECT_EQ(p.Flags, 0x0010 | 0x0080 | 0x0400); }},
        {"uncontrolled polarization and range pass on a frame without them",
         [this](DialogFixture& d) {
             SelectBareType(ctl::PolarizationOutOfControl, ctl::RangeOutOfControl);
             d.State.SelectedParamMap = ParamMapOf({{{Band + 9, 0, 0}, {5, 0}}});
         },
         [](const SettingsPage& p) {
             EXPECT_EQ(p.PolarizationControl, 0);
             EXPECT_EQ(p.RangeControl, 0);
             EXPECT_EQ(p.PolarizationOffset, 0xFFFF);
             EXPECT_EQ(p.RangeOffset, 0xFFFF);
             EXPECT_EQ(p.Code502COffset, FrameOffset16(BareType, param_code::Code5004));
             EXPECT_EQ(p.ModelWord1, 0xAA000001u);
             EXPECT_EQ(p.ParamCount, 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        c.Change(*f);
        OnSaveSettings(f->State);
        EXPECT_TRUE(f->Prompts.Texts().empty());
        ASSERT_FALSE(f->State.WriteQueue.empty());
        c.Check(SavedPage());
    }
    // A code that the frame lacks is written with offset 0xFFFF, without a message.
    EXPECT_EQ(DecodeParamEntry(&f->State.WriteQueue.front().Data[256]).FrameOffset, 0xFFFF);
}

TEST_F(SaveSettingsTest, HostNameIsWrittenAsTypedOrRefusedWithWrongCharacter) {
    const std::u16string umlaut = u"m\u00F6nitor.example.net";
    const std::u16string cyrillic = u"\u043C\u0438\u0440.\u0440\u0444"; // мир.рф
    const std::u16string astral = u"m\U0001F600nitor.example.net";
    struct Case {
        const char* Name;
        uint16_t Firmware;
        std::u16string Server;
        std::string Written; ///< the field's first bytes, zero behind; empty: refused with 122
    };
    const Case cases[] = {
        {"ASCII, old firmware", 0x114, u"monitor.tarnel.net", "\x07monitor\x06tarnel\x03net"},
        {"Cyrillic, old firmware", 0x114, cyrillic, ""},
        {"o umlaut, old firmware", 0x114, umlaut, ""},
        {"outside the BMP, old firmware", 0x114, astral, ""},
        {"ASCII, new firmware", 0x200, u"monitor.tarnel.net", "monitor.tarnel.net"},
        {"Cyrillic, new firmware", 0x200, cyrillic, "\xEC\xE8\xF0.\xF0\xF4"},
        {"o umlaut, new firmware", 0x200, umlaut, ""},
        {"outside the BMP, new firmware", 0x200, astral, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Reset();
        f->State.FirmwareVersion = c.Firmware;
        f->Controls.SetWindowText(ctl::ServerEdit, c.Server);
        OnSaveSettings(f->State);
        if (c.Written.empty()) {
            EXPECT_EQ(f->Prompts.Texts(),
                      std::vector<std::u16string>{StringIdText(ids::WrongServerCharacter)});
            ExpectNothingQueued();
            continue;
        }
        EXPECT_TRUE(f->Prompts.Texts().empty());
        ServerAddressBytes expected{};
        std::copy(c.Written.begin(), c.Written.end(), expected.begin());
        EXPECT_EQ(SavedPage().ServerAddress, expected);
    }
}

TEST_F(SaveSettingsTest, NoAdapterChosenStopsSilentlyAfterDroppingTheEarlierWrite) {
    QueueEarlierJob();
    f->Controls.ComboSetCurSel(ctl::DeviceAddressCombo, -1);
    OnSaveSettings(f->State);
    EXPECT_EQ(f->Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion)});
    EXPECT_EQ(f->Prompts.EditTextCaptions.size(), 1u);
    ExpectNothingQueued();
}

TEST_F(SaveSettingsTest, RefusedAbortOrCancelledPasswordChangesNothing) {
    QueueEarlierJob();
    f->Prompts.Answers = {MbResult::No};
    OnSaveSettings(f->State);
    EXPECT_TRUE(f->Prompts.EditTextCaptions.empty());
    EXPECT_EQ(f->State.WriteQueue.size(), 1u);

    Reset();
    QueueEarlierJob();
    f->Prompts.EditTextAnswers = {std::nullopt};
    OnSaveSettings(f->State);
    EXPECT_EQ(f->State.WriteQueue.size(), 1u);
    EXPECT_EQ(f->State.WriteQueue.front().BasePage, 0x123u);
    EXPECT_TRUE(f->Socket.SentDatagrams.empty());
    EXPECT_EQ(f->Prompts.Texts(),
              std::vector<std::u16string>{StringIdText(ids::AbortWriteQuestion)});
}

TEST_F(SaveSettingsTest, NewFirmwareQueuesTheDescriptorBehindTheImage) {
    for (uint32_t dinMode : {0u, 1u}) {
        SCOPED_TRACE(dinMode);
        Reset();
        f->State.FirmwareVersion = 0x200;
        f->State.DinModeFlag = dinMode;
        OnSaveSettings(f->State);

        std::vector<DescriptorRecord> records;
        const DinDescriptorBlock block = JoinDinDescriptor(
            SerialiseDinDevices(BuildDinDescriptor(
                {f->State.CurrentDescriptor, f->State.DeviceParamLayout, f->State.ChannelLayout},
                records)),
            records);
        ASSERT_EQ(f->State.WriteQueue.size(), 2u);
        const WriteJob& descriptor = f->State.WriteQueue.back();
        EXPECT_EQ(descriptor.BasePage, DescriptorBasePage);
        EXPECT_EQ(descriptor.PreRequests, std::deque<uint32_t>{0x06110003}); // one block
        EXPECT_EQ(descriptor.Data, block.Data);

        const SettingsPage page = SavedPage();
        EXPECT_EQ(page.DescriptorLength, block.TextLength);
        EXPECT_EQ(page.DescriptorRecordCount, block.RecordCount);
        EXPECT_GT(page.DescriptorRecordCount, 0);
        EXPECT_EQ(page.ServerAddress, EncodeServerHostName(u"monitor.tarnel.net"));
        if (dinMode) {
            EXPECT_EQ(page.ModelWord1, 0xAA01C200u);
            EXPECT_EQ(page.ModelWord2, 0x00271000u);
            EXPECT_EQ(page.DeviceName, EncodeDeviceName(u"SLM_THIRD_OCT"));
            EXPECT_EQ(page.Code502COffset, FrameOffset16(Type, param_code::Code5004));
        } else {
            EXPECT_EQ(page.ModelWord1, ModelWord1 | 0xAA000000);
            EXPECT_EQ(page.DeviceName, DeviceNameBytes{});
            EXPECT_EQ(page.Code502COffset, FrameOffset16(Type, param_code::Code502C));
        }
        EXPECT_EQ(f->SentRequestWords(), std::vector<uint32_t>{ReadVinWord});
    }
}

TEST_F(SaveSettingsTest, DescriptorOfFifteenBlocksIsWrittenAndOneByteMoreIsRefused) {
    // The family name is the one text of the descriptor that grows byte by byte with the name.
    auto save = [this](size_t nameLength) {
        Reset();
        f->State.FirmwareVersion = 0x200;
        TelemetryDescriptorMap[Type].TypeNames[0] = std::u16string(nameLength, u'n');
        SelectType(Type);
        OnSaveSettings(f->State);
    };
    save(1);
    ASSERT_EQ(f->State.WriteQueue.size(), 2u);
    const SettingsPage small = SavedPage();
    const size_t fixed = small.DescriptorLength - 1 + 20u * small.DescriptorRecordCount;
    const size_t limit = 15 * 4096;

    save(limit - fixed);
    ASSERT_EQ(f->State.WriteQueue.size(), 2u);
    EXPECT_EQ(f->State.WriteQueue.back().PreRequests, std::deque<uint32_t>{0x061F0003});
    EXPECT_EQ(f->State.WriteQueue.back().Data.size(), limit);

    save(limit - fixed + 1);
    EXPECT_EQ(f->Prompts.Texts(), std::vector<std::u16string>{StringIdText(ids::DescriptorTooLong)});
    ExpectNothingQueued();
}

TEST_F(SaveSettingsTest, NoDescriptorIsBuiltForATypeThatDoesNotDecode) {
    // Described with every code the image needs, but with more family-"L" items than a code
    // can address: its selection showed string 133 and kept the earlier type's descriptor.
    TelemetryDescriptor undecodable = TelemetryDescriptorMap[Type];
    undecodable.LItemCount = MaxLItemCount + 1;
    TelemetryDescriptorMap[UndescribedType] = undecodable;
    for (uint16_t firmware : {0x114, 0x200}) {
        SCOPED_TRACE(firmware);
        Reset();
        f->State.FirmwareVersion = firmware;
        SelectType(UndescribedType);
        OnSaveSettings(f->State);
        if (firmware < 0x200) {
            EXPECT_TRUE(f->Prompts.Texts().empty());
            EXPECT_EQ(f->State.WriteQueue.size(), 1u);
        } else {
            EXPECT_EQ(f->Prompts.Texts(),
                      std::vector<std::u16string>{StringIdText(ids::CantDecodeTeleType)});
            ExpectNothingQueued();
        }
    }
}

TEST_F(SaveSettingsTest, EntriesMustFitTheSettingsArea) {
    // A step without a selector is written code by code: count + 1 entries.
    f->State.SelectedParamMap = ParamMapOf({{{Band, 8159, 2}, {1, 0}}});
    OnSaveSettings(f->State);
    ASSERT_EQ(f->State.WriteQueue.size(), 1u);
    EXPECT_EQ(f->State.WriteQueue.front().Data.size(), 0x10000u);
    EXPECT_EQ(SavedPage().ParamCount, 8160);

    Reset();
    f->State.SelectedParamMap = ParamMapOf({{{Band, 8160, 2}, {1, 0}}});
    OnSaveSettings(f->State);
    EXPECT_EQ(f->Prompts.Texts(), std::vector<std::u16string>{StringIdText(ids::TooManyParams)});
    ExpectNothingQueued();
}

} // namespace
