#pragma once
#include <cstdint>
#include <map>
#include <string>

/// One instrument type of the catalogue.
struct InstrumentTypeEntry {
    std::u16string description; ///< text of the entry in the telemetry-type list
    std::u16string key;         ///< device name written to the adapter (ASCII for compiled-in rows)

    bool operator==(const InstrumentTypeEntry&) const = default;
};

/// The compiled-in rows, inserted in their fixed order with a unique insert (a repeated code
/// keeps its first row).
std::map<int32_t, InstrumentTypeEntry> BuildInstrumentTypeCatalog();

/// The process-wide catalogue, instrument-type code to entry, ascending by code. Holds the
/// compiled-in rows from before the application starts; only InsertInstrumentType adds to it.
extern std::map<int32_t, InstrumentTypeEntry> InstrumentTypeCatalog;

/// Adds a row at run time unless the code is already present, in which case the row it holds
/// is kept. Returns true when the row was added.
bool InsertInstrumentType(int32_t code, InstrumentTypeEntry entry);
