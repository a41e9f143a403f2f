#pragma once
#include <algorithm>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

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

/// The selected parameters: one setting per key, in key order, with the operations of an
/// ordered map that the program uses. The entries lie in one sorted vector, so the entry at a
/// position (its index in key order, which rows carry as item data) is found in constant time.
/// Appending in key order (emplace_hint at end()) takes constant time; any other insert or an
/// erase moves the entries after it and invalidates iterators. An entry's key is never to be
/// changed through an iterator.
class SelectedParamMap {
public:
    using value_type = std::pair<ParamKey, ParamSetting>;
    using iterator = std::vector<value_type>::iterator;
    using const_iterator = std::vector<value_type>::const_iterator;
    using size_type = std::size_t;

    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }
    size_type size() const { return entries_.size(); }
    void clear() { entries_.clear(); }
    void reserve(size_type n) { entries_.reserve(n); }

    /// Entry at `position` in key order; end() when `position` is not below size().
    iterator nth(size_type position) { return begin() + Clamped(position); }
    const_iterator nth(size_type position) const { return begin() + Clamped(position); }
    /// Position of the entry at `it` in key order.
    size_type index_of(const_iterator it) const {
        return static_cast<size_type>(it - entries_.cbegin());
    }

    iterator find(const ParamKey& key) { return nth(index_of(std::as_const(*this).find(key))); }
    const_iterator find(const ParamKey& key) const;
    bool contains(const ParamKey& key) const { return find(key) != end(); }
    /// The setting of `key`, a zero setting inserted first when the map lacks it.
    ParamSetting& operator[](const ParamKey& key) { return emplace(key, {}).first->second; }

    /// Inserts {key, setting} unless the map holds `key`; the entry of `key`. Constant time
    /// when `hint` is where the key belongs.
    iterator emplace_hint(const_iterator hint, const ParamKey& key, const ParamSetting& setting);
    iterator emplace_hint(const_iterator hint, const value_type& entry) {
        return emplace_hint(hint, entry.first, entry.second);
    }
    /// As emplace_hint; also whether the entry was inserted.
    std::pair<iterator, bool> emplace(const ParamKey& key, const ParamSetting& setting) {
        const size_type before = size();
        const iterator it = emplace_hint(end(), key, setting);
        return {it, size() != before};
    }

    size_type erase(const ParamKey& key);

    bool operator==(const SelectedParamMap&) const = default;

private:
    std::ptrdiff_t Clamped(size_type position) const {
        return static_cast<std::ptrdiff_t>(std::min(position, entries_.size()));
    }
    /// Where `key` belongs, tried at `hint` first.
    const_iterator PlaceOf(const_iterator hint, const ParamKey& key) const;

    std::vector<value_type> entries_;
};

/// Element `k` of `key`: code + k x step.
constexpr uint32_t ParamKeyElement(const ParamKey& key, uint32_t k) {
    return key.code + k * key.step;
}

/// Stores a run of `n` consecutive codes from `firstCode`: key {firstCode, n - 1, 1} when
/// n > 1 (count keeps the low 16 bits of n - 1), else {firstCode, 0, 0}. An equal key gets
/// its setting replaced.
void InsertParamEntry(uint32_t n, uint32_t firstCode, const ParamSetting& setting,
                      SelectedParamMap& map);
