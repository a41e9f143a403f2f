#pragma once
// Selected-parameter maps written out in tests (header only).
#include <initializer_list>
#include <stdexcept>

#include "config/selected_params.h"

/// The map of `entries`; of equal keys the first is kept.
inline SelectedParamMap ParamMapOf(std::initializer_list<SelectedParamMap::value_type> entries) {
    SelectedParamMap map;
    for (const auto& [key, setting] : entries)
        map.emplace(key, setting);
    return map;
}

/// The setting stored under `key`; throws std::out_of_range, which fails the test, when the map
/// lacks it.
inline const ParamSetting& SettingAt(const SelectedParamMap& map, const ParamKey& key) {
    const auto entry = map.find(key);
    if (entry == map.end())
        throw std::out_of_range("no entry of that key");
    return entry->second;
}
