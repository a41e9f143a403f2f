#pragma once
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

/// One parameter, or a group of evenly spaced ones: the codes code + k x step for
/// k = 0 ... count (unsigned 32-bit arithmetic). Ordered by code, then count, then step.
struct ParamKey {
    uint32_t code = 0;  ///< the first element
    uint16_t count = 0; ///< further elements after the first; 0 = a single parameter
    uint16_t step = 0;  ///< difference of consecutive codes; 0 in single entries

    auto operator<=>(const ParamKey&) const = default;
};

struct ParamSetting {
    uint16_t rate = 0; ///< send rate in seconds
    uint16_t plot = 0; ///< plot flag: 0 or 1 when set by the operator

    bool operator==(const ParamSetting&) const = default;
};

using SelectedParamMap = std::map<ParamKey, ParamSetting>;

/// Element `k` of `key`: code + k x step.
constexpr uint32_t ParamKeyElement(const ParamKey& key, uint32_t k) {
    return key.code + k * key.step;
}

/// Stores a run of `n` consecutive codes from `firstCode`: key {firstCode, n - 1, 1} when
/// n > 1 (count keeps the low 16 bits of n - 1), else {firstCode, 0, 0}. An equal key gets
/// its setting replaced.
void InsertParamEntry(uint32_t n, uint32_t firstCode, const ParamSetting& setting,
                      SelectedParamMap& map);

/// Entry at zero-based `position` in key order; end() when out of range.
SelectedParamMap::iterator ParamEntryAt(SelectedParamMap& map, size_t position);
SelectedParamMap::const_iterator ParamEntryAt(const SelectedParamMap& map, size_t position);

/// Removes the entry at `position`; false (and nothing changed) when out of range.
bool EraseParamEntryAt(SelectedParamMap& map, size_t position);

/// Position of `key` in key order; nullopt when the map lacks it.
std::optional<size_t> ParamEntryPosition(const SelectedParamMap& map, const ParamKey& key);
