#include "support/desc_file_samples.h"

#include <string>

#include "model/tele_desc_format.h"

namespace {
std::u16string Ascii(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

DescRecord Record42() {
    DescRecord r;
    r.TeleType = 42;
    TelemetryDescriptor& d = r.Desc;
    d.Codes = {0x201C0000u, 0x40100000u, 0x40120000u, 0x20210000u, 0x502C0000u,
               0x01100000u, 0x01100101u, 0x11210002u, 0xF02F0300u, 0x00170005u};
    d.CodeExtras = {1, 2, 0x12345u}; // a value above 16 bits shows the width per version
    d.BandBase1 = 10;
    d.BandStride1 = 3;
    d.BandBase2 = 20;
    d.BandStride2 = 2;
    d.BandBase3 = 40;
    d.Extra1 = 101;
    d.Extra2 = 102;
    d.Extra3 = 103;
    d.LItemCount = 2;
    d.ExtraReal1 = 0.5;
    d.LItemCodes = {0x01100000u, 0x01100001u};
    d.ExtraReal2 = 2.5;
    d.Extra4 = 104;
    d.IndexPacked = 1;
    d.Extra5 = 105;
    r.NameBlocks = {
        {UiLanguageRussian, {u"доп1", u"доп2", u"доп3"}, {u"Уровень", u"Спектр", u"Пик"}},
        {UiLanguageEnglish, {u"x1", u"x2", u"x3"}, {u"Level", u"Spectrum", u"Peak"}},
        {u"Deutsch", {u"d1", u"d2", u"d3"}, {u"Pegel", u"Spektrum", u"Spitze"}},
    };
    r.AverBlocks = {
        {UiLanguageEnglish, {{0, u"Fast"}, {1, u"Slow"}}},
        {UiLanguageRussian, {{0, u"Быстро"}, {1, u"Медленно"}}},
    };
    return r;
}

DescRecord RecordMinus1() {
    DescRecord r;
    r.TeleType = -1;
    r.Desc.Codes = {0x201C0000u, 0x50040000u};
    r.Desc.BandBase1 = 0;
    r.Desc.BandStride1 = 0;
    r.Desc.BandBase2 = 0;
    r.Desc.BandStride2 = 0;
    return r;
}
} // namespace

DescFileContent FullDescContent(uint32_t version) {
    DescFileContent c;
    c.Version = version;
    c.Records = {RecordMinus1(), Record42()};

    DescChannelEntry entry;
    entry.DeviceType = 3;
    entry.Blocks = {
        {UiLanguageEnglish, {u"Meter", {u"a1", u"a2", u"a3", u"a4"}, {u"X", u"Y", u"Z", u"M"}}},
        {UiLanguageRussian, {u"Прибор", {u"в1", u"в2", u"в3", u"в4"}, {u"Х", u"У", u"Я", u"М"}}},
    };
    c.ChannelEntries = {entry};

    for (int i = 0; i < 50; ++i)
        c.BandNames.push_back(Ascii("B").append(Ascii(std::to_string(i))));

    DescSection5Record s5;
    s5.Key = 7;
    s5.Real1 = 1.5;
    s5.Shorts[3] = 0xBEEF;
    s5.Reals[5] = -2.0;
    s5.List = {1, 2, 3};
    c.Section5 = {s5};

    c.ModelGroups = {
        {UiLanguageEnglish,
         {{u"EP", u"E-1", 42, 0x11, 0x21, u"note 1"}, {u"E-2", u"E-2", 42, 0x12, 0x22, u""}}},
        {UiLanguageRussian, {{u"РП", u"Р-1", 42, 0x13, 0x23, u"заметка"}}},
    };
    c.Section7 = {{1, 2}, {3, 4}};
    c.BandNameBlocks = {
        {UiLanguageEnglish, {{0, u"E0"}, {50, u"beyond"}, {2, u"first"}, {2, u"E2"}}},
        {UiLanguageRussian, {{1, u"Р1"}}},
    };

    DescSection9Record s9;
    s9.Id = 9;
    s9.Language = UiLanguageEnglish;
    s9.Name = u"table";
    s9.ColumnNames = {u"c1", u"c2", u"c3"};
    s9.RowNames = {u"r1", u"r2"};
    s9.Cells = {{1, 2, 3}, {4, 5, 6}};
    s9.Values = {{7, 8, 0x10009}, {10, 11, 12}};
    // A second record after the first shows that the first is skipped at its true width.
    DescSection9Record s9b;
    s9b.Id = 10;
    s9b.Language = UiLanguageRussian;
    s9b.ColumnNames = {u"к"};
    s9b.RowNames = {u"a", u"b", u"c"};
    s9b.Cells = {{1}, {2}, {3}};
    s9b.Values = {{4}, {5}, {6}};
    c.Section9 = {s9, s9b};
    return c;
}
