#include "config/selected_params.h"

#include <iterator>

namespace {
bool KeyBelow(const SelectedParamMap::value_type& entry, const ParamKey& key) {
    return entry.first < key;
}
} // namespace

SelectedParamMap::SelectedParamMap(std::initializer_list<value_type> entries)
    : entries_(entries) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const value_type& a, const value_type& b) { return a.first < b.first; });
    entries_.erase(std::unique(entries_.begin(), entries_.end(),
                               [](const value_type& a, const value_type& b) {
                                   return a.first == b.first;
                               }),
                   entries_.end());
}

SelectedParamMap::iterator SelectedParamMap::lower_bound(const ParamKey& key) {
    return std::lower_bound(entries_.begin(), entries_.end(), key, KeyBelow);
}

SelectedParamMap::const_iterator SelectedParamMap::lower_bound(const ParamKey& key) const {
    return std::lower_bound(entries_.begin(), entries_.end(), key, KeyBelow);
}

SelectedParamMap::iterator SelectedParamMap::find(const ParamKey& key) {
    const iterator it = lower_bound(key);
    return it != end() && it->first == key ? it : end();
}

SelectedParamMap::const_iterator SelectedParamMap::find(const ParamKey& key) const {
    const const_iterator it = lower_bound(key);
    return it != end() && it->first == key ? it : end();
}

ParamSetting& SelectedParamMap::at(const ParamKey& key) {
    const iterator it = find(key);
    if (it == end())
        throw std::out_of_range("SelectedParamMap::at");
    return it->second;
}

const ParamSetting& SelectedParamMap::at(const ParamKey& key) const {
    const const_iterator it = find(key);
    if (it == end())
        throw std::out_of_range("SelectedParamMap::at");
    return it->second;
}

ParamSetting& SelectedParamMap::operator[](const ParamKey& key) {
    return emplace(key, ParamSetting{}).first->second;
}

SelectedParamMap::const_iterator SelectedParamMap::PlaceOf(const_iterator hint,
                                                           const ParamKey& key) const {
    const bool afterPrevious = hint == begin() || std::prev(hint)->first < key;
    const bool beforeHint = hint == end() || !(hint->first < key);
    if (afterPrevious && beforeHint)
        return hint;
    return lower_bound(key);
}

std::pair<SelectedParamMap::iterator, bool> SelectedParamMap::emplace(const ParamKey& key,
                                                                      const ParamSetting& setting) {
    const const_iterator place = lower_bound(key);
    if (place != end() && place->first == key)
        return {begin() + (place - entries_.cbegin()), false};
    return {entries_.insert(place, {key, setting}), true};
}

SelectedParamMap::iterator SelectedParamMap::emplace_hint(const_iterator hint,
                                                          const ParamKey& key,
                                                          const ParamSetting& setting) {
    const const_iterator place = PlaceOf(hint, key);
    if (place != end() && place->first == key)
        return begin() + (place - entries_.cbegin());
    return entries_.insert(place, {key, setting});
}

SelectedParamMap::iterator SelectedParamMap::insert_or_assign(const_iterator hint,
                                                              const ParamKey& key,
                                                              const ParamSetting& setting) {
    const iterator it = emplace_hint(hint, key, setting);
    it->second = setting;
    return it;
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
    map.insert_or_assign(map.end(), key, setting);
}
