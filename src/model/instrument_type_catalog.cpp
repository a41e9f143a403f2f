#include "model/instrument_type_catalog.h"

#include <utility>

namespace {
struct CatalogRow {
    int32_t code;
    const char16_t* description;
    const char16_t* key;
};

// In insertion order. The descriptions are shown as they are in both interface languages; the
// keys go to the adapter as its device name, so they stay short and ASCII.
constexpr CatalogRow CatalogRows[] = {
    {223, u"Шумомер-анализатор, 1/3-октавный спектр", u"SLM_THIRD_OCT"},
    {211, u"Виброметр общей вибрации, 3 оси", u"VIB_WHOLE_BODY"},
    {212, u"Виброметр локальной вибрации, 3 оси", u"VIB_HAND_ARM"},
    {228, u"Измеритель электромагнитного поля 50 Гц", u"EMF_50HZ"},
    {210, u"Виброметр, 1 канал", u"VIB1CH"},
    {122, u"Шумомер, интегрирующий режим", u"SLM_INTEGR"},
    {113, u"Шумомер, 1/1-октавный спектр", u"SLM_OCTAVE"},
    {114, u"Шумомер, 1/3-октавный спектр", u"SLM_THIRD"},
    {115, u"Шумомер, инфразвук", u"SLM_INFRA"},
    {208, u"Анализатор ультразвука, 1/3-октавный спектр", u"US_THIRD_OCT"},
    {155, u"Измеритель напряжённости электрического поля", u"EFIELD_METER"},
    {149, u"Измеритель магнитной индукции", u"MFIELD_METER"},
    {187, u"Анализатор шума и вибрации, 4 канала", u"SOUND_VIBRATION_4"},
    {145, u"Шумомер, 2 канала", u"SLM_2CH"},
    {146, u"Шумомер, 2 канала, 1/1-октавный спектр", u"SLM_2CH_OCT"},
    {147, u"Шумомер, 2 канала, 1/3-октавный спектр", u"SLM_2CH_THIRD"},
    {148, u"Шумомер, 2 канала, инфразвук", u"SLM_2CH_INFRA"},
    {190, u"Анализатор вибрации, БПФ-спектр", u"VIB_FFT"},
    {117, u"Шумомер, БПФ-спектр", u"SLM_FFT"},
    {132, u"Дозиметр шума", u"NOISE_DOSE"},
    {127, u"Шумомер, запись звука", u"SLM_RECORDER"},
    {213, u"Виброметр строительной вибрации", u"VIB_BUILDING"},
    {215, u"Виброметр, 1/3-октавный спектр", u"VIB_THIRD_OCT"},
    {216, u"Виброметр, 1/1-октавный спектр", u"VIB_OCTAVE"},
    {116, u"Шумомер, ультразвук", u"SLM_ULTRA"},
    {102, u"Шумомер, базовый режим", u"SLM_BASIC"},
    {193, u"Измеритель поля радиочастот", u"RF_FIELD"},
    {194, u"Измеритель поля радиочастот, 3 оси", u"RF_FIELD_3AX"},
    {192, u"Измеритель поля промышленной частоты", u"PF_FIELD"},
    {161, u"Анализатор ультразвука, контактный датчик", u"US_CONTACT"},
    {195, u"Измеритель электростатического поля", u"ESTATIC_FIELD"},
    {226, u"Измеритель электромагнитного поля видеотерминала", u"EMF_VDT"},
};
} // namespace

std::map<int32_t, InstrumentTypeEntry> BuildInstrumentTypeCatalog() {
    std::map<int32_t, InstrumentTypeEntry> catalog;
    for (const CatalogRow& row : CatalogRows)
        catalog.try_emplace(row.code, InstrumentTypeEntry{row.description, row.key});
    return catalog;
}

std::map<int32_t, InstrumentTypeEntry> InstrumentTypeCatalog = BuildInstrumentTypeCatalog();

bool InsertInstrumentType(int32_t code, InstrumentTypeEntry entry) {
    return InstrumentTypeCatalog.try_emplace(code, std::move(entry)).second;
}
