#include <gtest/gtest.h>

#include <numeric>

#include "config/settings_image.h"
#include "model/param_code.h"
#include "support/param_maps.h"

namespace {
constexpr int32_t Type = 0x4D;
constexpr uint32_t Two = 0x11100000;  // kind 1: two-byte values
constexpr uint32_t Four = 0x51100000; // kind 5: four-byte values

// Frame: device type @0, start/stop @2, five two-byte bands @4, three four-byte bands @14,
// 0x5004 @26, polarization @30, averaging 1 of Two @32.
class SettingsImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = TelemetryDescriptorMap;
        TelemetryDescriptorMap.clear();
        TelemetryDescriptor d;
        d.Codes = {param_code::DeviceTypeCode,
                   param_code::StartStopCode,
                   Two,
                   Two + 1,
                   Two + 2,
                   Two + 3,
                   Two + 4,
                   Four,
                   Four + 1,
                   Four + 2,
                   param_code::Code5004,
                   param_code::PolarizationCode,
                   Two + 0x100};
        TelemetryDescriptorMap[Type] = d;
    }
    void TearDown() override { TelemetryDescriptorMap = saved_; }

private:
    std::map<int32_t, TelemetryDescriptor> saved_;
};

std::vector<ParamEntry> Entries(const std::vector<uint8_t>& bytes, size_t from = 0) {
    std::vector<ParamEntry> out;
    for (size_t i = from; i + 8 <= bytes.size(); i += 8)
        out.push_back(DecodeParamEntry(&bytes[i]));
    return out;
}

// The codes an adapter forwards for the entries: each base code, and the run a continuation
// makes of the base before it.
std::vector<uint32_t> ForwardedCodes(const std::vector<ParamEntry>& entries) {
    std::vector<uint32_t> codes;
    uint32_t base = 0;
    for (const ParamEntry& e : entries) {
        if (IsContinuationCode(e.Code) && base != 0) {
            const ContinuationKey run = DecodeContinuation(base, e.Code);
            for (uint32_t k = 1; k <= run.count; ++k)
                codes.push_back(base + k * run.step);
        } else {
            base = e.Code;
            codes.push_back(base);
        }
    }
    return codes;
}

std::vector<uint32_t> MapCodes(const SelectedParamMap& map) {
    std::vector<uint32_t> codes;
    for (const auto& [key, setting] : map)
        for (uint32_t k = 0; k <= key.count; ++k)
            codes.push_back(ParamKeyElement(key, k));
    return codes;
}

SettingsPage SamplePage() {
    SettingsPage s;
    s.WritePassword = EncodeWritePassword(u"pass");
    s.MacAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    s.PolarizationControl = 0x8001;
    s.RangeControl = 0x8002;
    s.IpAddress = {192, 168, 1, 20};
    s.NetMask = {255, 255, 255, 0};
    s.Gateway = {192, 168, 1, 1};
    s.DnsServer = {8, 8, 4, 4};
    s.TelemetryType = Type;
    s.DeviceTypeOffset = 0;
    s.Code202EOffset = 0xFFFF;
    s.StartStopOffset = 2;
    s.PolarizationOffset = 30;
    s.RangeOffset = 0xFFFF;
    s.ServerAddress = EncodeServerHostName(u"server.example");
    s.ParamCount = 7;
    s.NtpServer = {10, 1, 2, 3};
    s.ModelWord1 = 0xAA123456;
    s.ModelWord2 = 0x789ABCDE;
    s.Flags = 0x0C9C;
    s.Code502COffset = 26;
    s.DescriptorLength = 0x1234;
    s.DescriptorRecordCount = 9;
    s.DeviceName = EncodeDeviceName(u"DIN-1");
    return s;
}
} // namespace

TEST_F(SettingsImageTest, PageLayoutAndRoundTrip) {
    const SettingsPage s = SamplePage();
    const auto p = EncodeSettingsPage(s);
    EXPECT_EQ(GetU32(&p[0x00]), 0x12129876u);
    EXPECT_EQ(p[0x04], 'p');
    EXPECT_EQ(p[0x0E], 0x00);
    EXPECT_EQ(p[0x13], 0x55);
    EXPECT_EQ(GetU16(&p[0x16]), 0x8001);
    EXPECT_EQ(GetU16(&p[0x18]), 0x8002);
    EXPECT_EQ(p[0x1A], 192); // dotted order: first number at the lowest offset
    EXPECT_EQ(p[0x1D], 20);
    EXPECT_EQ(p[0x29], 4);
    EXPECT_EQ(GetU16(&p[0x2A]), Type);
    EXPECT_EQ(GetU16(&p[0x32]), 30);
    EXPECT_EQ(p[0x36], 's');
    EXPECT_EQ(GetU16(&p[0xB6]), 7);
    EXPECT_EQ(p[0xB8], 10);
    EXPECT_EQ(GetU32(&p[0xBC]), 0xAA123456u);
    EXPECT_EQ(GetU32(&p[0xC0]), 0x789ABCDEu);
    EXPECT_EQ(GetU16(&p[0xC4]), 0x0C9C);
    EXPECT_EQ(GetU16(&p[0xC6]), 26);
    EXPECT_EQ(GetU16(&p[0xC8]), 0x1234);
    EXPECT_EQ(GetU16(&p[0xCA]), 9);
    EXPECT_EQ(p[0xCC], 'D');
    for (size_t reserved : {0x14, 0x15})
        EXPECT_EQ(p[reserved], 0) << reserved;
    EXPECT_TRUE(std::all_of(p.begin() + 0xEC, p.end(), [](uint8_t b) { return b == 0; }));

    EXPECT_EQ(DecodeSettingsPage(p), s);
    EXPECT_EQ(DecodeSettingsPage(EncodeSettingsPage(SettingsPage{})), SettingsPage{});
}

TEST_F(SettingsImageTest, PageWithoutSignatureOrShortIsNoImage) {
    auto p = EncodeSettingsPage(SamplePage());
    EXPECT_FALSE(DecodeSettingsPage(std::span(p).first(255)));
    p[0] ^= 1;
    EXPECT_FALSE(HasSettingsSignature(p));
    EXPECT_FALSE(DecodeSettingsPage(p));
    EXPECT_FALSE(DecodeSettingsImage(p));
}

TEST_F(SettingsImageTest, WritePassword) {
    const WritePasswordBytes abc = {'a', 'b', 'c'};
    EXPECT_EQ(EncodeWritePassword(u"abc"), abc);
    const WritePasswordBytes cut = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(EncodeWritePassword(u"0123456789AB"), cut);
    EXPECT_EQ(EncodeWritePassword(u"\u0441")[0], 0x41); // low byte of the unit
    EXPECT_EQ(EncodeWritePassword(u""), WritePasswordBytes{});

    const auto head = EncodeSettingsPage(SamplePage());
    std::vector<uint8_t> image(264, 0x77);
    std::copy(head.begin(), head.end(), image.begin());
    ReplaceWritePassword(image, cut);
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), image.begin() + 4));
    EXPECT_EQ(image[3], 0x12);
    EXPECT_EQ(image[0x0E], 0x00);
    EXPECT_EQ(image[263], 0x77);
    std::vector<uint8_t> tooShort(10, 1);
    ReplaceWritePassword(tooShort, cut);
    EXPECT_EQ(tooShort, std::vector<uint8_t>(10, 1));
}

TEST_F(SettingsImageTest, PolarizationAndRangeControl) {
    EXPECT_EQ(EncodePolarizationControl(PolarizationChoice::OutOfControl), 0);
    EXPECT_EQ(EncodePolarizationControl(PolarizationChoice::On), 0x8001);
    EXPECT_EQ(EncodePolarizationControl(PolarizationChoice::Off), 0x8000);
    EXPECT_EQ(EncodeRangeControl(RangeChoice::OutOfControl), 0);
    EXPECT_EQ(EncodeRangeControl(RangeChoice::R1), 0x8000);
    EXPECT_EQ(EncodeRangeControl(RangeChoice::R2), 0x8001);
    EXPECT_EQ(EncodeRangeControl(RangeChoice::R3), 0x8002);
    for (auto c :
         {PolarizationChoice::OutOfControl, PolarizationChoice::On, PolarizationChoice::Off})
        EXPECT_EQ(DecodePolarizationControl(EncodePolarizationControl(c)), c);
    for (auto c : {RangeChoice::OutOfControl, RangeChoice::R1, RangeChoice::R2, RangeChoice::R3})
        EXPECT_EQ(DecodeRangeControl(EncodeRangeControl(c)), c);
    EXPECT_EQ(DecodePolarizationControl(0x0001), PolarizationChoice::OutOfControl);
    EXPECT_EQ(DecodePolarizationControl(0x80FF), PolarizationChoice::On);
    EXPECT_EQ(DecodeRangeControl(0x8003), RangeChoice::OutOfControl);
    EXPECT_EQ(DecodeRangeControl(0x0002), RangeChoice::OutOfControl);
    EXPECT_EQ(DecodeRangeControl(0x8006), RangeChoice::R3);
}

TEST_F(SettingsImageTest, FrameOffsetsAndCode502C) {
    SettingsPage s;
    s.TelemetryType = Type;
    EncodeFrameOffsets(s, false);
    EXPECT_EQ(s.DeviceTypeOffset, 0);
    EXPECT_EQ(s.Code202EOffset, 0xFFFF);
    EXPECT_EQ(s.StartStopOffset, 2);
    EXPECT_EQ(s.PolarizationOffset, 30);
    EXPECT_EQ(s.RangeOffset, 0xFFFF);
    EXPECT_EQ(s.Code502COffset, 26); // the frame lacks 0x502C0000: 0x5004's

    TelemetryDescriptorMap[Type].Codes.push_back(param_code::Code502C); // @34
    EXPECT_EQ(SelectCode502COffset(Type, false), 34);
    EXPECT_EQ(SelectCode502COffset(Type, true), 26); // the flag decides, whatever the firmware
    TelemetryDescriptorMap[Type].Codes = {param_code::Code502C};
    EXPECT_EQ(SelectCode502COffset(Type, false), 0);
    EXPECT_EQ(SelectCode502COffset(Type, true), 0xFFFF);
    EXPECT_EQ(FrameOffset16(Type + 1, param_code::DeviceTypeCode), 0xFFFF); // unknown type
}

TEST_F(SettingsImageTest, ServerIpv4Form) {
    const ServerAddressBytes f = EncodeServerIpv4(10, 0, 0, 5);
    const std::vector<uint8_t> head = {0xAA, 0xAA, 0xAA, 0xAA, 0x0A, 0x00, 0x00, 0x05, '1',
                                       '0',  '.',  '0',  '.',  '0',  '.',  '5',  0};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), f.begin()));
    EXPECT_TRUE(std::all_of(f.begin() + head.size(), f.end(), [](uint8_t b) { return b == 0; }));
    for (uint16_t fw : {0x100, 0x200})
        EXPECT_EQ(DecodeServerAddress(f, fw), u"10.0.0.5");

    // No range test: the numbers are combined in 32 bits, the text keeps them as given.
    const ServerAddressBytes big = EncodeServerIpv4(300, 1, 2, 3);
    EXPECT_EQ(GetU32(&big[4]), (3u << 24) | (2u << 16) | (1u << 8) | 300u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&big[8])), "300.1.2.3");
    const ServerAddressBytes huge = EncodeServerIpv4(4294967295u, 4294967295u, 4294967295u, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&huge[8])),
              "4294967295.4294967295.4294967295.1");
}

TEST_F(SettingsImageTest, ServerHostNameForms) {
    ServerAddressBytes labels{};
    ASSERT_EQ(EncodeServerLabels(u"a.b", labels), LabelEncodeStatus::Ok);
    const std::vector<uint8_t> old = {1, 'a', 1, 'b', 0};
    EXPECT_TRUE(std::equal(old.begin(), old.end(), labels.begin()));
    EXPECT_TRUE(std::all_of(labels.begin() + 5, labels.end(), [](uint8_t b) { return b == 0; }));

    const ServerAddressBytes host = EncodeServerHostName(u"a.b");
    EXPECT_EQ(std::string(host.begin(), host.begin() + 3), "a.b");
    EXPECT_TRUE(std::all_of(host.begin() + 3, host.end(), [](uint8_t b) { return b == 0; }));

    ServerAddressBytes abcde{};
    const std::vector<uint8_t> seq = {3, 'a', 'b', 'c', 2, 'd', 'e', 0};
    std::copy(seq.begin(), seq.end(), abcde.begin());
    EXPECT_EQ(DecodeServerAddress(abcde, 0x1FF), u"abc.de");
    ServerAddressBytes encoded{};
    ASSERT_EQ(EncodeServerLabels(u"abc.de", encoded), LabelEncodeStatus::Ok);
    EXPECT_EQ(encoded, abcde);
}

TEST_F(SettingsImageTest, ServerTextRoundTrips) {
    struct Case {
        std::u16string text;
        uint16_t firmware;
        std::u16string readBack;
    };
    const std::u16string long127(127, u'x');
    const Case cases[] = {
        {u"monitor.example.org", 0x100, u"monitor.example.org"},
        {u"monitor.example.org", 0x200, u"monitor.example.org"},
        {u"\u0441\u0435\u0440\u0432\u0435\u0440.\u0440\u0444", 0x205,
         u"\u0441\u0435\u0440\u0432\u0435\u0440.\u0440\u0444"},
        {u"a..b", 0x100, u"a"}, // an empty label's zero byte ends the walk
        {u".a", 0x100, u""},    // leading '.': zero length byte first
        {u"a.", 0x100, u"a"},   // trailing '.': nothing before the terminator
        {u"x." + long127, 0x200, (u"x." + long127).substr(0, 128)}, // cut at 128 bytes
    };
    for (const Case& c : cases) {
        ServerAddressBytes f{};
        if (c.firmware >= FirmwareNewForms)
            f = EncodeServerHostName(c.text);
        else
            ASSERT_EQ(EncodeServerLabels(c.text, f), LabelEncodeStatus::Ok);
        EXPECT_EQ(DecodeServerAddress(f, c.firmware), c.readBack);
    }
}

TEST_F(SettingsImageTest, LabelFormLimits) {
    ServerAddressBytes f{};
    f.fill(0x33);
    const ServerAddressBytes untouched = f;
    // 1 + 126 + 1 = 128 bytes fits; one more character does not.
    EXPECT_EQ(EncodeServerLabels(std::u16string(126, u'a'), f), LabelEncodeStatus::Ok);
    EXPECT_EQ(f[127], 0);
    f = untouched;
    EXPECT_EQ(EncodeServerLabels(std::u16string(127, u'a'), f), LabelEncodeStatus::TooLong);
    EXPECT_EQ(EncodeServerLabels(std::u16string(300, u'.'), f), LabelEncodeStatus::TooLong);
    EXPECT_EQ(EncodeServerLabels(std::u16string(1000, u'a'), f), LabelEncodeStatus::TooLong);
    // A wrong character is reported even when the name is too long as well.
    EXPECT_EQ(EncodeServerLabels(std::u16string(200, u'a') + u"\u00E9", f),
              LabelEncodeStatus::WrongCharacter);
    EXPECT_EQ(EncodeServerLabels(u"a.\u0080", f), LabelEncodeStatus::WrongCharacter);
    EXPECT_EQ(f, untouched);

    // A label whose length runs past the field reads only the bytes within it.
    ServerAddressBytes odd{};
    odd[0] = 2;
    odd[1] = 'a';
    odd[2] = 'b';
    odd[3] = 200;
    std::fill(odd.begin() + 4, odd.end(), 'z');
    EXPECT_EQ(DecodeServerAddress(odd, 0x100), u"ab." + std::u16string(124, u'z'));
    // A host name that fills the field has no terminator.
    ServerAddressBytes full{};
    full.fill('h');
    EXPECT_EQ(DecodeServerAddress(full, 0x200), std::u16string(128, u'h'));
}

TEST_F(SettingsImageTest, Flags) {
    for (bool pps : {false, true})
        for (bool dt : {false, true})
            for (auto sync : {SyncMode::Off, SyncMode::Master, SyncMode::Slave, SyncMode::None})
                for (auto send : {SendMode::SelectedParams, SendMode::DataTele,
                                  SendMode::SignalTele, SendMode::None})
                    for (auto gnss :
                         {GnssMode::NotUsed, GnssMode::GpsGlonass, GnssMode::GlonassOnly}) {
                        const SettingsFlags f{pps, dt, sync, send, gnss};
                        EXPECT_EQ(DecodeFlags(EncodeFlags(f)), f);
                    }
    EXPECT_EQ(EncodeFlags({true, true, SyncMode::Slave, SendMode::DataTele, GnssMode::GlonassOnly}),
              0x0004 | 0x0008 | 0x0020 | 0x0040 | 0x0C00);
    EXPECT_EQ(
        EncodeFlags({false, false, SyncMode::Master, SendMode::SignalTele, GnssMode::GpsGlonass}),
        0x0010 | 0x0080 | 0x0400);
    EXPECT_EQ(DecodeFlags(0x0800).Gnss, GnssMode::NotUsed); // bit 11 alone
    EXPECT_EQ(DecodeFlags(0x0030).Sync, SyncMode::None);
    EXPECT_EQ(DecodeFlags(0x00C0).Send, SendMode::None);
    EXPECT_EQ(DecodeFlags(0xF303), SettingsFlags{}); // reserved bits are not read
}

TEST_F(SettingsImageTest, ModelWordsAndDeviceName) {
    const std::vector<DeviceModel> models = {
        {u"A", u"one", 0x10, 0x111, 0x222, u""},
        {u"B", u"two", Type, 0x00C0FFEE, 0x12345678, u""},
        {u"C", u"three", Type, 0x999, 0x888, u""},
    };
    SettingsPage s;
    s.TelemetryType = Type;
    EXPECT_FALSE(IsDinMode(0x1FF, true));
    EXPECT_FALSE(IsDinMode(0x200, false));
    EXPECT_TRUE(IsDinMode(0x200, true));

    EncodeModelFields(s, false, models, u"KEY");
    EXPECT_EQ(s.ModelWord1, 0xAAC0FFEEu); // the first model of the type, in list order
    EXPECT_EQ(s.ModelWord2, 0x12345678u);
    EXPECT_EQ(s.DeviceName, DeviceNameBytes{});

    s.TelemetryType = Type + 1;
    EncodeModelFields(s, false, models, u"");
    EXPECT_EQ(s.ModelWord1, 0u);
    EXPECT_EQ(s.ModelWord2, 0u);

    EncodeModelFields(s, true, models, u"\u0428\u0423\u041C-1");
    EXPECT_EQ(s.ModelWord1, 0xAA01C200u);
    EXPECT_EQ(s.ModelWord2, 0x00271000u);
    EXPECT_EQ(s.DeviceName[0], 0xD8);
    EXPECT_EQ(DecodeDeviceName(s.DeviceName), u"\u0428\u0423\u041C-1");

    const std::u16string longName(40, u'n');
    s.DeviceName = EncodeDeviceName(longName);
    EXPECT_EQ(s.DeviceName.back(), 'n'); // no terminator when it fills the field
    EXPECT_EQ(DecodeDeviceName(s.DeviceName), longName.substr(0, 32));
}

TEST_F(SettingsImageTest, RateWordsAndContinuationWords) {
    EXPECT_EQ(EncodeRateWord({28800, 0}), 28800);
    EXPECT_EQ(EncodeRateWord({5, 1}), 0x8005);
    EXPECT_EQ(DecodeRateWord(0x8005), (ParamSetting{5, 1}));

    struct Case {
        uint32_t base;
        uint16_t count, step, plot;
        uint32_t word;
        uint16_t stride;
    };
    const Case cases[] = {
        {Two, 4, 1, 0, 0xF0378004, 2},
        {Two, 4, 1, 1, 0xF037C004, 2},
        {Four, 4, 1, 0, 0xF0378008, 4},
        {Two, 4, 0x100, 0, 0xF0379004, 32 - 4},
        {Four + 2, 1, 1, 0, 0xF0378002, static_cast<uint16_t>(-1 - 22)}, // next code absent
        {Two + 4, 1, 1, 0, 0xF0378001, static_cast<uint16_t>(-1 - 12)},
    };
    for (const Case& c : cases) {
        const ContinuationEntry e =
            MakeContinuationEntry(c.base, c.count, c.step, {7, c.plot}, Type);
        EXPECT_EQ(e.Code, c.word) << std::hex << c.word;
        EXPECT_EQ(e.FrameStride, c.stride) << std::hex << c.word;
        EXPECT_EQ(e.RateWord, EncodeRateWord({7, c.plot}));
        const ContinuationKey k = DecodeContinuation(c.base, e.Code);
        EXPECT_EQ(k.count, c.count);
        EXPECT_EQ(k.step, c.step);
        EXPECT_EQ(k.plot, c.plot);
    }
    // Selectors 2 and 3 read back as step 0; bit 15 is not read.
    EXPECT_EQ(DecodeContinuation(Two, 0xF0372004).step, 0);
    EXPECT_EQ(DecodeContinuation(Two, 0xF0373004).step, 0);
    EXPECT_EQ(DecodeContinuation(Two, 0xF0370004).count, 4);
    EXPECT_EQ(DecodeContinuation(Four, 0xF0370009).count, 4); // the field's low bit is dropped
    EXPECT_EQ(MaxRunCount(Two), 4095);
    EXPECT_EQ(MaxRunCount(Four), 2047);
    for (uint32_t kind = 0; kind < 16; ++kind)
        EXPECT_EQ(IsTwoByteKind(kind << 28), kind <= 4 || kind == 6) << kind;
    EXPECT_FALSE(IsTwoByteKind(0xF02F0000)); // kind 15 goes by its kind, not its frame size
}

TEST_F(SettingsImageTest, EntriesInKeyOrder) {
    EXPECT_EQ(EncodeSettingsImage(SamplePage(), {}, Type).size(), 256u);
    EXPECT_EQ(GetU16(&EncodeSettingsImage(SamplePage(), {}, Type)[0xB6]), 0);

    SelectedParamMap map;
    map[{Four, 0, 0}] = {60, 0};
    map[{Two, 4, 1}] = {10, 1};
    map[{Two, 0, 0}] = {20, 0};
    map[{0x70000000, 0, 0}] = {1, 0}; // not in the frame
    const auto image = EncodeSettingsImage(SamplePage(), map, Type);
    ASSERT_EQ(image.size(), 256u + 5 * 8);
    EXPECT_EQ(GetU16(&image[0xB6]), 5);
    const std::vector<ParamEntry> expected = {
        {Two, 4, 20},   {Two, 4, 0x800A},        {0xF037C004, 2, 0x800A},
        {Four, 14, 60}, {0x70000000, 0xFFFF, 1},
    };
    EXPECT_EQ(Entries(image, 256), expected);
}

TEST_F(SettingsImageTest, LongRunsAreSplitIntoRunsThatFit) {
    struct Case {
        ParamKey key;
        std::vector<std::pair<uint32_t, uint32_t>> entries; // code, continuation word or 0
    };
    const Case cases[] = {
        {{Two, 4095, 1}, {{Two, 0xF0378FFF}}},
        {{Two, 5000, 1}, {{Two, 0xF0378FFF}, {Two + 4096, 0xF0378000 | 904}}},
        {{Two, 4096, 1}, {{Two, 0xF0378FFF}, {Two + 4096, 0}}},
        {{Four, 2047, 1}, {{Four, 0xF0378FFE}}},
        {{Four, 2048, 1}, {{Four, 0xF0378FFE}, {Four + 2048, 0}}},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    Case widest{{Four, 0xFFFF, 0x100}, {}}; // 65536 codes: 32 full runs of 2048
    for (uint32_t k = 0; k < 65536; k += 2048)
        widest.entries.push_back({Four + k * 0x100, 0xF0379FFE});
    all.push_back(widest);
    for (const Case& c : all) {
        SelectedParamMap map;
        map[c.key] = {30, 1};
        const auto entries = Entries(EncodeParamEntries(map, Type));
        std::vector<std::pair<uint32_t, uint32_t>> got;
        for (const ParamEntry& e : entries) {
            if (IsContinuationCode(e.Code))
                got.back().second = e.Code & ~ContinuationPlot;
            else
                got.push_back({e.Code, 0});
            EXPECT_EQ(e.RateWord, 0x801E);
        }
        EXPECT_EQ(got, c.entries) << c.key.count;
        EXPECT_EQ(ForwardedCodes(entries), MapCodes(map)) << c.key.count;
    }
}

TEST_F(SettingsImageTest, StepsWithoutSelectorAreWrittenAsSingleCodes) {
    SelectedParamMap map;
    map[{Four, 2, 3}] = {15, 1};
    const auto entries = Entries(EncodeParamEntries(map, Type));
    const std::vector<ParamEntry> expected = {
        {Four, 14, 0x800F}, {Four + 3, 0xFFFF, 0x800F}, {Four + 6, 0xFFFF, 0x800F}};
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(ForwardedCodes(entries), MapCodes(map));

    SelectedParamMap zeroStep; // every element is the same code: written once
    zeroStep[{Two, 3, 0}] = {15, 0};
    EXPECT_EQ(Entries(EncodeParamEntries(zeroStep, Type)), (std::vector<ParamEntry>{{Two, 4, 15}}));
}

TEST_F(SettingsImageTest, ImagesDecodeToWhatWasEncoded) {
    const SelectedParamMap maps[] = {
        {},
        ParamMapOf({{{Two, 0, 0}, {1, 0}}}),
        ParamMapOf(
            {{{Two, 0, 0}, {10, 1}}, {{Two, 4, 1}, {20, 0}}, {{Four, 2, 0x100}, {28800, 1}}}),
        ParamMapOf({{{Two, 2, 1}, {5, 0}}, {{Two, 4, 1}, {6, 1}}}), // two runs, no single key
        ParamMapOf({{{Two, 4, 1}, {5, 1}}, {{Two + 1, 0, 0}, {6, 0}}}),
        ParamMapOf({{{0x7FFFFFFF, 0, 0}, {3, 0}}, {{0x80000000, 1, 1}, {32767, 1}}}),
    };
    for (const SelectedParamMap& map : maps) {
        const auto decoded = DecodeSettingsImage(EncodeSettingsImage(SamplePage(), map, Type));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->Params, map) << map.size();
        SettingsPage page = SamplePage();
        page.ParamCount = decoded->Page.ParamCount;
        EXPECT_EQ(decoded->Page, page);
    }
}

TEST_F(SettingsImageTest, LossyParts) {
    // A single entry's step is not written, and a plot flag is one bit.
    SelectedParamMap map = ParamMapOf({{{Two, 0, 5}, {9, 2}}});
    const auto decoded = DecodeSettingsImage(EncodeSettingsImage(SamplePage(), map, Type));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Params, ParamMapOf({{{Two, 0, 0}, {9, 1}}}));

    // A long run reads back as the runs it was cut into; the codes are the same.
    map = ParamMapOf({{{Two, 5000, 1}, {9, 0}}});
    const auto split = DecodeSettingsImage(EncodeSettingsImage(SamplePage(), map, Type));
    ASSERT_TRUE(split);
    EXPECT_EQ(split->Params,
              ParamMapOf({{{Two, 4095, 1}, {9, 0}}, {{Two + 4096, 904, 1}, {9, 0}}}));
}

TEST_F(SettingsImageTest, ReadingContinuationEntries) {
    SelectedParamMap map;
    ParamEntryReadState state;
    ReadParamEntry(state, {Two, 6, 0x0014}, map);
    ReadParamEntry(state, {0xF037D004, 0, 0}, map); // count 4, selector 1, plot
    EXPECT_EQ(map, ParamMapOf({{{Two, 4, 0x100}, {20, 1}}}));

    // The same base code earlier as an entry of its own keeps its single key.
    map.clear();
    state = {};
    ReadParamEntry(state, {Two, 6, 0x8003}, map);
    ReadParamEntry(state, {Two, 6, 0x0014}, map);
    EXPECT_TRUE(state.LastBaseExisted);
    ReadParamEntry(state, {0xF0379004, 0, 0x7777}, map);
    ReadParamEntry(state, {0xF0378002, 0, 0x7777}, map); // a further run on the same base
    EXPECT_EQ(
        map,
        ParamMapOf({{{Two, 0, 0}, {3, 1}}, {{Two, 2, 1}, {20, 0}}, {{Two, 4, 0x100}, {20, 0}}}));

    // Before any base entry a continuation code is a base entry itself.
    map.clear();
    state = {};
    ReadParamEntry(state, {0xF0378004, 0, 0x0005}, map);
    EXPECT_EQ(map, ParamMapOf({{{0xF0378004, 0, 0}, {5, 0}}}));
    EXPECT_EQ(state.LastBaseCode, 0xF0378004u);
}

TEST_F(SettingsImageTest, DecodingTakesOnlyTheEntriesPresent) {
    SelectedParamMap map = ParamMapOf({{{Two, 0, 0}, {1, 0}}, {{Four, 0, 0}, {2, 0}}});
    auto image = EncodeSettingsImage(SamplePage(), map, Type);
    PutU16(&image[0xB6], 1);
    EXPECT_EQ(DecodeSettingsImage(image)->Params, ParamMapOf({{{Two, 0, 0}, {1, 0}}}));
    PutU16(&image[0xB6], 500); // announces more than the bytes hold
    EXPECT_EQ(DecodeSettingsImage(image)->Params, map);
}
