#include "config/selected_params.h"

#include <iterator>

void InsertParamEntry(uint32_t n, uint32_t firstCode, const ParamSetting& setting,
                      SelectedParamMap& map) {
    const ParamKey key =
        n > 1 ? ParamKey{firstCode, static_cast<uint16_t>(n - 1), 1} : ParamKey{firstCode, 0, 0};
    // Entries mostly come in key order: the hint makes those inserts constant time.
    map.insert_or_assign(map.end(), key, setting);
}

SelectedParamMap::iterator ParamEntryAt(SelectedParamMap& map, size_t position) {
    if (position >= map.size())
        return map.end();
    return std::next(map.begin(), static_cast<std::ptrdiff_t>(position));
}

SelectedParamMap::const_iterator ParamEntryAt(const SelectedParamMap& map, size_t position) {
    if (position >= map.size())
        return map.end();
    return std::next(map.begin(), static_cast<std::ptrdiff_t>(position));
}

bool EraseParamEntryAt(SelectedParamMap& map, size_t position) {
    const auto it = ParamEntryAt(map, position);
    if (it == map.end())
        return false;
    map.erase(it);
    return true;
}

std::optional<size_t> ParamEntryPosition(const SelectedParamMap& map, const ParamKey& key) {
    const auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return static_cast<size_t>(std::distance(map.begin(), it));
}
