#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "config/selected_params.h"
#include "support/param_maps.h"

TEST(SelectedParams, KeyOrder) {
    const uint32_t c = 0x11100005;
    EXPECT_LT((ParamKey{c, 0, 0}), (ParamKey{c, 2, 1}));
    EXPECT_LT((ParamKey{c, 2, 1}), (ParamKey{c + 1, 0, 0}));
    EXPECT_LT((ParamKey{c, 2, 1}), (ParamKey{c, 2, 0x100}));
    // Unsigned comparison throughout.
    EXPECT_LT((ParamKey{0x7FFFFFFF, 0xFFFF, 0xFFFF}), (ParamKey{0x80000000, 0, 0}));
    EXPECT_LT((ParamKey{c, 0x7FFF, 0}), (ParamKey{c, 0x8000, 0}));

    SelectedParamMap map;
    map[{c + 1, 0, 0}] = {1, 0};
    map[{c, 2, 1}] = {2, 0};
    map[{c, 0, 0}] = {3, 0};
    std::vector<uint16_t> rates;
    for (const auto& [key, setting] : map)
        rates.push_back(setting.rate);
    EXPECT_EQ(rates, (std::vector<uint16_t>{3, 2, 1}));
}

TEST(SelectedParams, InsertParamEntry) {
    const uint32_t c = 0x21100000;
    SelectedParamMap map;
    InsertParamEntry(1, c, {10, 0}, map);
    InsertParamEntry(3, c, {20, 1}, map);
    InsertParamEntry(0, c + 8, {30, 0}, map);
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(SettingAt(map, {c, 0, 0}), (ParamSetting{10, 0}));
    EXPECT_EQ(SettingAt(map, {c, 2, 1}), (ParamSetting{20, 1}));
    EXPECT_EQ(SettingAt(map, {c + 8, 0, 0}), (ParamSetting{30, 0}));

    InsertParamEntry(3, c, {40, 0}, map); // same key: setting replaced, still one entry
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(SettingAt(map, {c, 2, 1}), (ParamSetting{40, 0}));

    InsertParamEntry(0x10001, c, {1, 0}, map); // count keeps the low 16 bits of n - 1
    EXPECT_TRUE(map.contains({c, 0, 1}));
    EXPECT_EQ(ParamKeyElement({c, 2, 0x100}, 2), c + 0x200);
}

// The map against std::map under the same mixed edits: same entries in the same order, and
// the entry at each position is the one std::map reaches by walking.
TEST(SelectedParams, BehavesAsAnOrderedMapAndFindsPositions) {
    SelectedParamMap map;
    std::map<ParamKey, ParamSetting> reference;
    uint32_t seed = 12345;
    const auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int op = 0; op < 3000; ++op) {
        const ParamKey key{next(40), static_cast<uint16_t>(next(3)), static_cast<uint16_t>(next(2))};
        const ParamSetting setting{static_cast<uint16_t>(op), static_cast<uint16_t>(op % 2)};
        switch (next(6)) {
        case 0:
            map[key] = setting;
            reference[key] = setting;
            break;
        case 1:
            EXPECT_EQ(map.emplace(key, setting).second, reference.emplace(key, setting).second);
            break;
        case 2: { // a hint that is right, wrong or at the end
            const size_t hint = next(static_cast<uint32_t>(map.size() + 1));
            map.emplace_hint(map.nth(hint), key, setting)->second = setting;
            reference.insert_or_assign(key, setting);
            break;
        }
        case 3:
            map.emplace_hint(map.end(), key, setting);
            reference.emplace_hint(reference.end(), key, setting);
            break;
        case 4:
            EXPECT_EQ(map.erase(key), reference.erase(key));
            break;
        default:
            if (map.size() != 0) {
                const size_t position = next(static_cast<uint32_t>(map.size()));
                reference.erase(std::next(reference.begin(), static_cast<std::ptrdiff_t>(position)));
                map.erase(map.nth(position)->first);
            }
        }
        ASSERT_TRUE(std::equal(map.begin(), map.end(), reference.begin(), reference.end(),
                               [](const auto& a, const auto& b) {
                                   return a.first == b.first && a.second == b.second;
                               }))
            << "after edit " << op;
        EXPECT_EQ(map.find(key) != map.end(), reference.count(key) == 1);
    }
    ASSERT_NE(map.size(), 0u);
    size_t position = 0;
    for (const auto& [key, setting] : reference) {
        EXPECT_EQ(map.nth(position)->first, key);
        EXPECT_EQ(map.index_of(map.find(key)), position);
        ++position;
    }
    EXPECT_EQ(map.nth(map.size()), map.end());
    EXPECT_EQ(map.nth(map.size() + 5), map.end());
    EXPECT_EQ(map.find({99, 0, 0}), map.end());
}
