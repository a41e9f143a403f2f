#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialog/param_columns.h"
#include "dialog/param_map_commands.h"
#include "dialog/param_table_refresh.h"
#include "dialog/password_vin.h"
#include "dialog/reply_handler.h"
#include "dialog/settings_read.h"
#include "model/instrument_type_catalog.h"
#include "model/param_code.h"
#include "model/telemetry_descriptor.h"
#include "platform/control_ids.h"
#include "platform/string_ids.h"
#include "protocol/request_codes.h"
#include "protocol/write_job.h"
#include "support/dialog_fixture.h"
#include "support/fake_table_ctrl.h"
#include "support/param_maps.h"
#include "support/reply_datagram.h"

namespace {

constexpr int32_t SoundMeter = 42;
constexpr int32_t LegacyOnly = 77;            ///< described, but in no list entry
constexpr uint32_t TwoByteCode = 0x21100000;  ///< kind 2, family 1, channel 0
constexpr uint32_t FourByteCode = 0x51100000; ///< kind 5
constexpr uint32_t Page1Word = 0x00010001;

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

/// A settings page written byte by byte at the adapter's offsets: signature, type 42.
struct Page0 {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(256);
    Page0() {
        Put(0x00, 0x12129876, 4);
        Put(0x2A, SoundMeter, 2);
    }
    Page0& Put(size_t offset, uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
        }
        return *this;
    }
    Page0& PutBytes(size_t offset, const std::vector<uint8_t>& b) {
        std::copy(b.begin(), b.end(), bytes.begin() + static_cast<ptrdiff_t>(offset));
        return *this;
    }
};

struct Entry {
    uint32_t code;
    uint16_t offset;
    uint16_t rateWord;
};

/// An entry with the frame offset the description gives its code.
Entry Described(uint32_t code, uint16_t rateWord) {
    return {code, static_cast<uint16_t>(ParamCodeFrameOffset(SoundMeter, code)), rateWord};
}

std::vector<uint8_t> EntryPage(const std::vector<Entry>& entries) {
    std::vector<uint8_t> page;
    for (const Entry& e : entries) {
        AppendLe(page, e.code);
        AppendLe(page, e.offset, 2);
        AppendLe(page, e.rateWord, 2);
    }
    page.resize(256, 0xEE);
    return page;
}

class SettingsReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        catalogue = InstrumentTypeCatalog;
        TelemetryDescriptorMap.clear();
        TelemetryDescriptorMap[SoundMeter].Codes = {0x201C0000};
        for (uint32_t band = 0; band < 5; ++band) {
            TelemetryDescriptorMap[SoundMeter].Codes.push_back(TwoByteCode + band);
        }
        for (uint32_t band = 0; band < 80; ++band) {
            TelemetryDescriptorMap[SoundMeter].Codes.push_back(FourByteCode + band);
        }
        TelemetryDescriptorMap[LegacyOnly].Codes = {FourByteCode};
        f.State.ParamList = &table;
        f.Controls.SetSorted(ctl::TeleTypeCombo, true);
        AddType(u"Sound meter", SoundMeter);
        f.Controls.ComboAddString(ctl::DeviceAddressCombo, u"127.0.0.5");
        f.Controls.ComboSetCurSel(ctl::DeviceAddressCombo, 0);
        f.Prompts.Strings[ids::LegacyTypeFormat] = u"Legacy [%u]";
        f.Prompts.Strings[ids::ParamOffsetMismatch] =
            u"Error: parameter offset from tele not equal offset from description (%d != "
            u"%d)\n0x%08X";
        f.State.FirmwareVersion = 0x0200;
    }
    void TearDown() override {
        TelemetryDescriptorMap.clear();
        InstrumentTypeCatalog = catalogue;
    }

    void AddType(const std::u16string& text, int type) {
        f.Controls.ComboAddString(ctl::TeleTypeCombo, text);
        f.State.TeleTypeComboMap[text] = type;
    }
    void Read(uint32_t k, const std::vector<uint8_t>& page) { ReadSettingsPage(f.State, k, page); }
    std::u16string Text(int id) const { return f.Controls.GetWindowText(id); }
    int Check(int id) const { return f.Controls.GetCheck(id); }
    std::array<int, 4> Fields(int id) { return f.Controls.At(id).Fields; }
    std::vector<int> CheckedAmong(const std::vector<int>& ids) const {
        std::vector<int> out;
        for (int id : ids) {
            if (Check(id) == 1) {
                out.push_back(id);
            }
        }
        return out;
    }
    /// Reads a whole image of `count` single entries of the four-byte codes, page by page as
    /// they are asked for; returns the pages asked for.
    std::vector<uint32_t> ReadSingles(uint32_t count) {
        Read(0, Page0().Put(0xB6, count, 2).bytes);
        std::vector<uint32_t> asked;
        for (uint32_t k = 1; !f.Socket.SentDatagrams.empty(); ++k) {
            asked.push_back(f.SentRequestWords().back() >> 16);
            EXPECT_EQ(f.SentRequestWords().back(), (k << 16) | 1);
            f.Socket.SentDatagrams.clear();
            std::vector<Entry> entries;
            for (uint32_t i = 0; i < 32; ++i) {
                entries.push_back(Described(FourByteCode + (k - 1) * 32 + i, 5));
            }
            Read(k, EntryPage(entries));
        }
        return asked;
    }

    DialogFixture f;
    FakeTableCtrl table;
    std::map<int32_t, InstrumentTypeEntry> catalogue;
};

TEST_F(SettingsReadTest, SettingsPageFillsTheForm) {
    f.State.DeviceFlags = 0x0040;
    f.Controls.SetCheck(ctl::PolarizationOutOfControl, 1);
    f.Controls.SetCheck(ctl::DateTimeCheck, 1);
    f.Controls.SetCheck(ctl::GnssNotUsed, 1);
    Page0 page;
    page.PutBytes(0x0E, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})
        .Put(0x16, 0x8001, 2)
        .Put(0x18, 0x8002, 2)
        .PutBytes(0x1A, {192, 168, 1, 20, 255, 255, 255, 0, 192, 168, 1, 1, 8, 8, 4, 4})
        .PutBytes(0x36, {0xAA, 0xAA, 0xAA, 0xAA, 10, 0, 0, 5})
        .PutBytes(0xB8, {10, 0, 0, 1})
        .Put(0xC4, 0x0004 | 0x0010 | 0x0040 | 0x0C00, 2);
    Read(0, page.bytes);

    EXPECT_EQ(Text(ctl::MacText), u"00:1A:2B:3C:4D:5E");
    EXPECT_EQ(CheckedAmong({1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1031,
                            1032, 1033, 1034, 1035, 1036, 1037, 1038, 1042, 1043, 1044}),
              (std::vector<int>{1005, 1010, 1012, 1031, 1034, 1037, 1044}));
    EXPECT_EQ(Fields(ctl::IpAddress), (std::array<int, 4>{192, 168, 1, 20}));
    EXPECT_EQ(Fields(ctl::SubnetMask), (std::array<int, 4>{255, 255, 255, 0}));
    EXPECT_EQ(Fields(ctl::DefaultGateway), (std::array<int, 4>{192, 168, 1, 1}));
    EXPECT_EQ(Fields(ctl::DnsServer), (std::array<int, 4>{8, 8, 4, 4}));
    EXPECT_EQ(Fields(ctl::NtpAddress), (std::array<int, 4>{10, 0, 0, 1}));
    EXPECT_EQ(Check(ctl::NtpAutoCheck), 0);
    for (int id : {ctl::IpAddress, ctl::SubnetMask, ctl::DefaultGateway, ctl::DnsServer,
                   ctl::NtpAddress, ctl::NtpAutoCheck}) {
        EXPECT_TRUE(f.Controls.IsWindowEnabled(id)) << id;
    }
    EXPECT_EQ(Text(ctl::ServerEdit), u"10.0.0.5");
    EXPECT_EQ(Text(ctl::TeleTypeCombo), u"Sound meter");
    EXPECT_EQ(f.State.DeviceParamLayout.TeleType, SoundMeter);
    for (int id : {ctl::GnssNotUsed, ctl::GnssGpsGlonass, ctl::GnssGlonassOnly, ctl::GnssGroup}) {
        EXPECT_TRUE(f.Controls.IsWindowVisible(id)) << id;
    }
    EXPECT_EQ(f.State.ConfigImage, page.bytes);
    // No entries announced: the reading is complete at once.
    EXPECT_EQ(f.State.ConfigRead, 1u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_EQ(table.Store.RowCount(), 0);
}

TEST_F(SettingsReadTest, EveryFieldValueChoosesItsControls) {
    struct Case {
        uint16_t polarization, range, flags, deviceFlags;
        std::vector<int> checked;
        bool gnssShown;
    };
    for (const Case& c : std::vector<Case>{
             {0x0000, 0x0000, 0x0000, 0x0000, {1004, 1007, 1011, 1027, 1033, 1036, 1042}, false},
             {0x8000,
              0x8003,
              0x00F0 | 0x0008 | 0x0400,
              0x0040,
              {1006, 1007, 1011, 1027, 1032, 1043},
              true},
             {0x0001,
              0x8000,
              0x0020 | 0x0080 | 0x0800,
              0x0000,
              {1004, 1008, 1011, 1027, 1035, 1038, 1042},
              false},
             {0x8003, 0x8001, 0x0000, 0x0000, {1005, 1009, 1011, 1027, 1033, 1036, 1042}, false},
         }) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << c.polarization << " " << c.range << " " << c.flags);
        for (int id = 1004; id <= 1044; ++id) {
            f.Controls.SetCheck(id, 1);
        }
        f.State.DeviceFlags = c.deviceFlags;
        f.Controls.SetFields(ctl::IpAddress, {1, 2, 3, 4});
        Read(
            0,
            Page0().Put(0x16, c.polarization, 2).Put(0x18, c.range, 2).Put(0xC4, c.flags, 2).bytes);
        EXPECT_EQ(CheckedAmong({1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1027, 1031,
                                1032, 1033, 1034, 1035, 1036, 1037, 1038, 1042, 1043, 1044}),
                  c.checked);
        EXPECT_EQ(f.Controls.IsWindowVisible(ctl::GnssGroup), c.gnssShown);
        EXPECT_EQ(f.Controls.IsWindowVisible(ctl::GnssGlonassOnly), c.gnssShown);
        // Automatic address and NTP: the fields are disabled and the IP field keeps its text.
        EXPECT_EQ(Fields(ctl::IpAddress), (std::array<int, 4>{1, 2, 3, 4}));
        EXPECT_FALSE(f.Controls.IsWindowEnabled(ctl::IpAddress));
        EXPECT_FALSE(f.Controls.IsWindowEnabled(ctl::NtpAddress));
    }
}

TEST_F(SettingsReadTest, ServerFieldIsReadInTheFormOfTheAdaptersFirmware) {
    const std::vector<uint8_t> labels = {3, 'a', 'b', 'c', 2, 'd', 'e', 0};
    f.State.FirmwareVersion = 0x01FF;
    Read(0, Page0().PutBytes(0x36, labels).bytes);
    EXPECT_EQ(Text(ctl::ServerEdit), u"abc.de");
    f.State.FirmwareVersion = 0x0200;
    Read(0, Page0().PutBytes(0x36, labels).bytes);
    EXPECT_EQ(Text(ctl::ServerEdit), u"\x03"
                                     u"abc\x02"
                                     u"de");
}

TEST_F(SettingsReadTest, PageWithoutSignatureResetsTheFormAndLeavesNoImageCountedAsRead) {
    // An image read earlier may no longer count as read once the adapter's page 0 has been
    // refused: a password change would otherwise write an empty image back.
    Read(0, Page0().PutBytes(0x0E, {1, 2, 3, 4, 5, 6}).bytes);
    ASSERT_EQ(f.State.ConfigRead, 1u);
    Read(0, Page0().Put(0, 0x12129877, 4).bytes);
    EXPECT_EQ(Text(ctl::MacText), u"");
    EXPECT_EQ(Text(ctl::ServerEdit), u"monitor.tarnel.net");
    EXPECT_TRUE(f.State.ConfigImage.empty());
    EXPECT_EQ(f.State.ConfigRead, 0u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
}

TEST_F(SettingsReadTest, PagesAreAskedForUntilTheAnnouncedEntriesAreIn) {
    struct Case {
        uint32_t count;
        std::vector<uint32_t> pages;
    };
    for (const Case& c : std::vector<Case>{{1, {1}}, {32, {1}}, {33, {1, 2}}, {65, {1, 2, 3}}}) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(ReadSingles(c.count), c.pages);
        EXPECT_EQ(f.State.SelectedParamMap.size(), c.count);
        EXPECT_EQ(f.State.SelectedParamMap.nth(c.count - 1)->first,
                  (ParamKey{FourByteCode + c.count - 1, 0, 0}));
        EXPECT_EQ(f.State.ConfigImage.size(), 256 * (1 + c.pages.size()));
        EXPECT_EQ(f.State.ConfigRead, 1u);
        EXPECT_EQ(table.Store.RowCount(), static_cast<int>(c.count));
        EXPECT_TRUE(f.Prompts.Boxes.empty());
    }
}

TEST_F(SettingsReadTest, NoPageBeyondTheSettingsAreaIsAskedFor) {
    // The area ends at image page 255 (adapter page 0x7FF): 8160 entries fill it exactly. Any
    // more cannot be the adapter's list: nothing of it is read, the form still shows page 0, and
    // the image does not count as read, so a password change writes nothing past the area.
    for (uint32_t code = FourByteCode + 80; code < FourByteCode + 8160; ++code) {
        TelemetryDescriptorMap[SoundMeter].Codes.push_back(code);
    }
    f.Prompts.Strings[ids::ConfigNotRead] = u"not read";
    f.Prompts.Strings[ids::TooManyParams] = u"too many";
    struct Case {
        uint32_t count;
        uint32_t lastPage; ///< 0: no entry page asked for
    };
    for (const Case& c : std::vector<Case>{{8160, 255}, {8161, 0}, {65535, 0}}) {
        SCOPED_TRACE(c.count);
        f.Prompts.Boxes.clear();
        f.Controls.SetWindowText(ctl::MacText, u"");
        const std::vector<uint32_t> asked = ReadSingles(c.count);
        EXPECT_EQ(asked.empty() ? 0 : asked.back(), c.lastPage);
        EXPECT_EQ(Text(ctl::MacText), u"00:00:00:00:00:00");
        EXPECT_EQ(f.State.DeviceParamLayout.TeleType, SoundMeter);
        const bool whole = c.lastPage != 0;
        EXPECT_EQ(f.State.ConfigRead, whole ? 1u : 0u);
        EXPECT_EQ(f.State.SelectedParamMap.size(), whole ? c.count : 0u);
        EXPECT_EQ(f.Prompts.Texts(),
                  whole ? std::vector<std::u16string>{} : std::vector<std::u16string>{u"too many"});

        f.Prompts.Boxes.clear();
        f.Prompts.PasswordAnswers.push_back(FakePrompts::PasswordAnswer{u"a", u"b", u"b"});
        OnChangeDevicePassword(f.State);
        uint32_t lastWritten = SettingsBasePage;
        for (const WriteJob& job : f.State.WriteQueue) {
            lastWritten = std::max<uint32_t>(
                lastWritten,
                job.BasePage + static_cast<uint32_t>((job.Data.size() + 255) / 256) - 1);
        }
        EXPECT_LE(lastWritten, 0x7FFu);
        EXPECT_EQ(f.Prompts.Texts(),
                  whole ? std::vector<std::u16string>{} : std::vector<std::u16string>{u"not read"});
        f.State.WriteQueue.clear();
        f.Socket.SentDatagrams.clear();
    }
}

TEST_F(SettingsReadTest, ContinuationEntriesMakeRunsOfTheirBaseAcrossPages) {
    std::vector<Entry> page1 = {
        Described(FourByteCode, 3),
        Described(FourByteCode + 40, 4),
        Described(FourByteCode, 0x8009), // the same base again, now with a run
        {0xF0378008, 0x1234, 0x7777},    // four-byte kind: count field 2n, step 1
    };
    for (uint32_t i = 0; i < 27; ++i) {
        page1.push_back(Described(FourByteCode + 50 + i, 1));
    }
    page1.push_back(Described(TwoByteCode, 0x0007));
    Read(0, Page0().Put(0xB6, 33, 2).bytes);
    Read(1, EntryPage(page1));
    Read(2, EntryPage({{0xF037D004, 0, 0}})); // two-byte kind: count 4, step 0x100, plot

    const SelectedParamMap& map = f.State.SelectedParamMap;
    EXPECT_EQ(map.size(), 2u + 1u + 27u + 1u);
    // The base that stood alone before keeps its single entry beside the run.
    EXPECT_EQ(SettingAt(map, {FourByteCode, 0, 0}), (ParamSetting{3, 0}));
    EXPECT_EQ(SettingAt(map, {FourByteCode, 4, 1}), (ParamSetting{9, 0}));
    // A base read first with its run becomes the run alone, with the base's rate.
    EXPECT_FALSE(map.contains({TwoByteCode, 0, 0}));
    EXPECT_EQ(SettingAt(map, {TwoByteCode, 4, 0x100}), (ParamSetting{7, 1}));
    EXPECT_TRUE(f.Prompts.Boxes.empty()) << "continuation entries have no offset to check";
    EXPECT_EQ(f.State.ConfigRead, 1u);
}

TEST_F(SettingsReadTest, OffsetDifferingFromTheDescriptionIsReportedAndTheEntryKept) {
    Read(0, Page0().Put(0xB6, 2, 2).bytes);
    Read(1, EntryPage({{FourByteCode + 1, 99, 0x8010}, Described(FourByteCode + 2, 5)}));
    ASSERT_EQ(ParamCodeFrameOffset(SoundMeter, FourByteCode + 1), 16);
    EXPECT_EQ(f.Prompts.Texts(),
              std::vector<std::u16string>{u"Error: parameter offset from tele not equal offset "
                                          u"from description (99 != 16)\n0x51100001"});
    EXPECT_EQ(SettingAt(f.State.SelectedParamMap, {FourByteCode + 1, 0, 0}), (ParamSetting{16, 1}));
    EXPECT_EQ(f.State.SelectedParamMap.size(), 2u);
}

TEST_F(SettingsReadTest, ReadingBegunAgainWhileAnOffsetIsReportedDropsTheRestOfThePage) {
    // Whatever begins the new reading in the box's event loop, the old page may neither fill
    // the new reading's map nor ask for its pages nor end it.
    struct Case {
        const char* name;
        std::function<void()> inBox;
        std::vector<uint32_t> sent;
    };
    for (const Case& c : std::vector<Case>{
             {"get settings", [&] { OnGetSettings(f.State); }, {0x00000005}},
             {"page 0 of a known type", [&] { Read(0, Page0().Put(0xB6, 40, 2).bytes); },
              {Page1Word}},
             {"page 0 of an unknown type",
              [&] { Read(0, Page0().Put(0x2A, 99, 2).Put(0xB6, 3, 2).bytes); },
              {}},
         }) {
        SCOPED_TRACE(c.name);
        f.Prompts.DuringMessageBox = nullptr;
        Read(0, Page0().Put(0xB6, 40, 2).bytes);
        f.Socket.SentDatagrams.clear();
        f.Prompts.Boxes.clear();
        bool once = true;
        f.Prompts.DuringMessageBox = [&] {
            if (std::exchange(once, false)) {
                c.inBox();
            }
        };
        Read(1, EntryPage({Described(FourByteCode, 5),
                           {FourByteCode + 1, 99, 5},
                           Described(FourByteCode + 2, 5)}));
        EXPECT_EQ(f.Prompts.Boxes.size(), 1u);
        EXPECT_EQ(f.State.SelectedParamMap.size(), 0u);
        EXPECT_EQ(f.SentRequestWords(), c.sent);
        EXPECT_EQ(f.State.ConfigRead, 0u);
    }
}

TEST_F(SettingsReadTest, TypeOnlyTheDescriptionKnowsJoinsTheListAsLegacy) {
    const int32_t catalogued = InstrumentTypeCatalog.begin()->first;
    TelemetryDescriptorMap[catalogued].Codes = {FourByteCode};
    const InstrumentTypeEntry cataloguedRow = InstrumentTypeCatalog.begin()->second;
    struct Case {
        int32_t type;
        uint32_t dinMode;
        std::u16string label;
        std::optional<InstrumentTypeEntry> row;
    };
    const std::string number = std::to_string(catalogued);
    const std::u16string cataloguedLabel = u"Legacy [" + Wide(number) + u"]";
    for (const Case& c : std::vector<Case>{
             {LegacyOnly, 0, u"Legacy [77]", std::nullopt},
             {LegacyOnly, 1, u"Legacy [77]", InstrumentTypeEntry{u"Legacy [77]", u"XM-7"}},
             {catalogued, 1, cataloguedLabel, cataloguedRow},
         }) {
        SCOPED_TRACE(c.type);
        InstrumentTypeCatalog = catalogue;
        f.Controls.ComboResetContent(ctl::TeleTypeCombo);
        f.State.TeleTypeComboMap.clear();
        AddType(u"Sound meter", SoundMeter);
        f.State.DinModeFlag = c.dinMode;
        f.Socket.SentDatagrams.clear();
        Read(0, Page0()
                    .Put(0x2A, c.type, 2)
                    .Put(0xB6, 1, 2)
                    .PutBytes(0xCC, {'X', 'M', '-', '7'})
                    .bytes);
        EXPECT_EQ(Text(ctl::TeleTypeCombo), c.label);
        EXPECT_EQ(f.State.TeleTypeComboMap.at(c.label), c.type);
        EXPECT_EQ(f.State.DeviceParamLayout.TeleType, c.type);
        EXPECT_EQ(f.SentRequestWords(), std::vector<uint32_t>{Page1Word});
        const auto row = InstrumentTypeCatalog.find(c.type);
        EXPECT_EQ(row == InstrumentTypeCatalog.end() ? std::nullopt : std::optional(row->second),
                  c.row);
        // Read again, the type is found under its label and added no second time.
        Read(0, Page0().Put(0x2A, c.type, 2).bytes);
        EXPECT_EQ(f.Controls.ComboGetCount(ctl::TeleTypeCombo), 2);
        EXPECT_EQ(Text(ctl::TeleTypeCombo), c.label);
    }
}

TEST_F(SettingsReadTest, UnknownTypeLeavesNoTypeChosenAndNoEntriesRead) {
    // Nothing of the type of an adapter read before may stay current: a save would write it.
    // Entries announced that no type can read leave the image unread: a password change would
    // otherwise write back page 0 alone, and the adapter would lose its entries.
    Read(0, Page0().bytes);
    ASSERT_EQ(f.State.DeviceParamLayout.TeleType, SoundMeter);
    f.Prompts.Strings[ids::ConfigNotRead] = u"not read";
    for (int32_t type : {0, 99}) {
        for (uint32_t announced : {3u, 0u}) {
            SCOPED_TRACE(testing::Message() << type << " announcing " << announced);
            Read(0, Page0().Put(0x2A, type, 2).Put(0xB6, announced, 2).bytes);
            EXPECT_EQ(f.Controls.ComboGetCurSel(ctl::TeleTypeCombo), -1);
            EXPECT_EQ(f.State.DeviceParamLayout.TeleType, 0);
            EXPECT_EQ(f.Controls.ComboGetCount(ctl::TeleTypeCombo), 1);
            EXPECT_TRUE(f.Socket.SentDatagrams.empty());
            EXPECT_EQ(f.State.ConfigRead, announced == 0 ? 1u : 0u);
        }
    }
    Read(0, Page0().Put(0x2A, 99, 2).Put(0xB6, 3, 2).bytes);
    f.Prompts.PasswordAnswers.push_back(FakePrompts::PasswordAnswer{u"a", u"b", u"b"});
    OnChangeDevicePassword(f.State);
    EXPECT_EQ(f.Prompts.Texts(), std::vector<std::u16string>{u"not read"});
    EXPECT_TRUE(f.State.WriteQueue.empty());
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
}

TEST_F(SettingsReadTest, PagesNoReadingAskedForLeaveImageAndMapAlone) {
    const std::vector<uint8_t> page1 = EntryPage({Described(FourByteCode + 7, 5)});
    // No settings page read yet.
    Read(1, page1);
    EXPECT_TRUE(f.State.ConfigImage.empty());
    EXPECT_EQ(f.State.SelectedParamMap.size(), 0u);
    EXPECT_EQ(f.State.ConfigRead, 0u);

    // A reading of one page: a page past it, then the page itself twice.
    Read(0, Page0().Put(0xB6, 1, 2).bytes);
    f.Socket.SentDatagrams.clear();
    Read(2, page1);
    EXPECT_EQ(f.State.ConfigImage.size(), 256u);
    EXPECT_EQ(f.State.ConfigRead, 0u);
    Read(1, page1);
    ASSERT_EQ(f.State.ConfigRead, 1u);
    const std::vector<uint8_t> image = f.State.ConfigImage;
    ASSERT_EQ(image.size(), 512u);
    f.State.SelectedParamMap.clear(); // as the operator might delete the entry
    Read(1, page1);
    EXPECT_EQ(f.State.ConfigImage, image);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 0u);
    EXPECT_TRUE(f.Socket.SentDatagrams.empty());
    EXPECT_TRUE(f.Prompts.Boxes.empty());
}

TEST_F(SettingsReadTest, OnlyTheEntryPageAskedForIsTakenSoTheImageHasNoGap) {
    // 70 entries: pages 1 to 3. A page ahead of or behind the one asked for is a late answer of
    // an earlier request; taken, it would end the reading over zero-filled pages, which a
    // password change writes back as the adapter's entries.
    Page0 page0;
    page0.Put(0xB6, 70, 2);
    std::vector<std::vector<uint8_t>> pages(4);
    for (uint32_t k = 1; k <= 3; ++k) {
        std::vector<Entry> entries;
        for (uint32_t i = 0; i < 32 && (k - 1) * 32 + i < 70; ++i) {
            entries.push_back(Described(FourByteCode + (k - 1) * 32 + i, 5));
        }
        pages[k] = EntryPage(entries);
    }
    struct Step {
        uint32_t k;
        std::vector<uint32_t> asked; ///< pages asked for after it
    };
    Read(0, page0.bytes);
    f.Socket.SentDatagrams.clear();
    for (const Step& step : std::vector<Step>{
             {3, {}}, {2, {}},     // ahead of page 1
             {1, {2}}, {1, {}},    // page 1, then a copy behind
             {0, {1}}, {2, {}},    // page 0 again: page 2 of the reading before is late
             {1, {2}}, {3, {}}, {2, {3}}, {3, {}}}) {
        SCOPED_TRACE(step.k);
        EXPECT_EQ(f.State.ConfigRead, 0u);
        Read(step.k, step.k == 0 ? page0.bytes : pages[step.k]);
        std::vector<uint32_t> asked;
        for (uint32_t word : f.SentRequestWords()) {
            asked.push_back(word >> 16);
        }
        EXPECT_EQ(asked, step.asked);
        f.Socket.SentDatagrams.clear();
    }
    std::vector<uint8_t> image = page0.bytes;
    for (uint32_t k = 1; k <= 3; ++k) {
        image.insert(image.end(), pages[k].begin(), pages[k].end());
    }
    EXPECT_EQ(f.State.ConfigRead, 1u);
    EXPECT_EQ(f.State.ConfigImage, image);
    EXPECT_EQ(f.State.SelectedParamMap.size(), 70u);
}

TEST_F(SettingsReadTest, RepeatedPageOfAReadingKeepsItsPlaceInTheImage) {
    Read(0, Page0().Put(0xB6, 40, 2).bytes);
    std::vector<Entry> first, second;
    for (uint32_t i = 0; i < 32; ++i) {
        first.push_back(Described(FourByteCode + i, 5));
    }
    for (uint32_t i = 0; i < 8; ++i) {
        second.push_back(Described(FourByteCode + 32 + i, 5));
    }
    Read(1, EntryPage(first));
    Read(1, EntryPage(first)); // an answer to an earlier request of the same page
    Read(2, EntryPage(second));
    ASSERT_EQ(f.State.ConfigImage.size(), 768u);
    EXPECT_EQ(
        std::vector<uint8_t>(f.State.ConfigImage.begin() + 256, f.State.ConfigImage.begin() + 512),
        EntryPage(first));
    EXPECT_EQ(std::vector<uint8_t>(f.State.ConfigImage.begin() + 512, f.State.ConfigImage.end()),
              EntryPage(second));
    EXPECT_EQ(f.State.SelectedParamMap.size(), 40u);
    EXPECT_EQ(f.State.ConfigRead, 1u);
}

TEST_F(SettingsReadTest, RowsShownWhileAReadingFillsTheMapNameTheEntriesTheyShow) {
    // A row's item data is the position of its entry in the map; a row kept while the reading
    // clears or fills the map names another entry, and a double click edits that one.
    constexpr int PlotColumn = ParamCellIndex(ParamCell::PlotMark);
    constexpr int32_t Undescribed = 99;
    AddType(u"Undescribed", Undescribed);
    const auto entries = [](std::vector<uint32_t> bands) {
        std::vector<Entry> page;
        for (uint32_t band : bands) {
            page.push_back(Described(FourByteCode + band, 5));
        }
        return EntryPage(page);
    };
    std::vector<uint32_t> page1Bands, page2Bands;
    for (uint32_t band = 10; band < 42; ++band) {
        page1Bands.push_back(band);
    }
    for (uint32_t band = 0; band < 32; ++band) {
        page2Bands.push_back(band < 10 ? band : band + 32);
    }
    struct Case {
        const char* name;
        int32_t type;
        std::function<void()> afterPage1;
    };
    for (const Case& c : std::vector<Case>{
             {"type that cannot be decoded", Undescribed, [] {}},
             {"parameter added while the reading runs", SoundMeter,
              [&] {
                  f.Prompts.MenuAnswers = {param_menu::Add};
                  f.Prompts.AddParameterAnswers = {
                      FakePrompts::AddParameterAnswer{{FourByteCode + 70}, 5}};
                  OnParamListMenu(f.State, 0, 0);
              }},
         }) {
        SCOPED_TRACE(c.name);
        f.State.SelectedParamMap.clear();
        for (uint32_t code : {TwoByteCode, TwoByteCode + 1, TwoByteCode + 2}) {
            InsertParamEntry(1, code, {5, 0}, f.State.SelectedParamMap);
        }
        RefreshParamTable(f.State, 0);
        Read(0, Page0().Put(0x2A, c.type, 2).Put(0xB6, 96, 2).bytes);
        Read(1, entries(page1Bands));
        c.afterPage1();
        Read(2, entries(page2Bands));
        ASSERT_EQ(f.State.ConfigRead, 0u);

        // Each row's code cell against the code of the entry its item data names.
        const SelectedParamMap& map = f.State.SelectedParamMap;
        const auto codeCell = [](uint32_t code) {
            char text[16];
            std::snprintf(text, sizeof text, "%08d\n", static_cast<int32_t>(code));
            return Wide(text);
        };
        std::vector<std::u16string> shown, named;
        for (size_t n = 0; n < table.Store.RowCount(); ++n) {
            const std::u16string text(table.Store.RowText(n));
            shown.push_back(text.substr(text.rfind(u'\n', text.size() - 2) + 1));
            const auto entry = map.nth(table.ItemDataOfRow(static_cast<int>(n)));
            named.push_back(entry == map.end() ? u"none" : codeCell(entry->first.code));
        }
        EXPECT_EQ(named, shown);

        // A double click on the first row's plot cell toggles the entry that row shows, if any.
        const SelectedParamMap before = map;
        OnParamCellDblClick(f.State, PlotColumn, 0);
        for (const auto& [key, setting] : map) {
            if (setting != before.find(key)->second) {
                EXPECT_FALSE(shown.empty());
                EXPECT_EQ(codeCell(key.code), shown.empty() ? u"" : shown[0]);
            }
        }
        f.Prompts.Boxes.clear();
        f.Socket.SentDatagrams.clear();
    }
}

} // namespace
