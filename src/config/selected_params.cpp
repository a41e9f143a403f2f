#include "config/selected_params.h"

#include <iterator>

SelectedParamMap::const_iterator SelectedParamMap::find(const ParamKey& key) const {
    const const_iterator it = PlaceOf(end(), key);
    return it != end() && it->first == key ? it : end();
}

SelectedParamMap::const_iterator SelectedParamMap::PlaceOf(const_iterator hint,
                                                           const ParamKey& key) const {
    const bool afterPrevious = hint == begin() || std::prev(hint)->first < key;
    const bool beforeHint = hint == end() || !(hint->first < key);
    if (afterPrevious && beforeHint)
        return hint;
    return std::lower_bound(begin(), end(), key, [](const value_type& entry, const ParamKey& k) {
        return entry.first < k;
    });
}

SelectedParamMap::iterator SelectedParamMap::emplace_hint(const_iterator hint,
                                                          const ParamKey& key,
                                                          const ParamSetting& setting) {
    const const_iterator place = PlaceOf(hint, key);
    if (place != end() && place->first == key)
        return nth(index_of(place));
    return entries_.insert(place, {key, setting});
}

SelectedParamMap::size_type SelectedParamMap::erase(const ParamKey& key) {
    const const_iterator it = find(key);
    if (it == end())
        return 0;
    entries_.erase(it);
    return 1;
}

void InsertParamEntry(uint32_t n, uint32_t firstCode, const ParamSetting& setting,
                      SelectedParamMap& map) {
    const ParamKey key =
        n > 1 ? ParamKey{firstCode, static_cast<uint16_t>(n - 1), 1} : ParamKey{firstCode, 0, 0};
    // Entries mostly come in key order: the hint makes those inserts constant time.
    map.emplace_hint(map.end(), key, setting)->second = setting;
}
