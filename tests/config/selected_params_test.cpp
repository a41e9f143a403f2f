#include <gtest/gtest.h>

#include "config/selected_params.h"

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
    EXPECT_EQ(map.at({c, 0, 0}), (ParamSetting{10, 0}));
    EXPECT_EQ(map.at({c, 2, 1}), (ParamSetting{20, 1}));
    EXPECT_EQ(map.at({c + 8, 0, 0}), (ParamSetting{30, 0}));

    InsertParamEntry(3, c, {40, 0}, map); // same key: setting replaced, still one entry
    EXPECT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at({c, 2, 1}), (ParamSetting{40, 0}));

    InsertParamEntry(0x10001, c, {1, 0}, map); // count keeps the low 16 bits of n - 1
    EXPECT_TRUE(map.count({c, 0, 1}));
    EXPECT_EQ(ParamKeyElement({c, 2, 0x100}, 2), c + 0x200);
}

TEST(SelectedParams, Positions) {
    SelectedParamMap map;
    for (uint32_t code : {30u, 10u, 20u})
        map[{code, 0, 0}] = {static_cast<uint16_t>(code), 0};

    EXPECT_EQ(ParamEntryAt(map, 0)->first.code, 10u);
    EXPECT_EQ(ParamEntryAt(map, 2)->first.code, 30u);
    EXPECT_EQ(ParamEntryAt(map, 3), map.end());
    EXPECT_EQ(ParamEntryPosition(map, {20, 0, 0}), 1u);
    EXPECT_FALSE(ParamEntryPosition(map, {20, 1, 1}));

    EXPECT_FALSE(EraseParamEntryAt(map, 3));
    EXPECT_EQ(map.size(), 3u);
    EXPECT_TRUE(EraseParamEntryAt(map, 1));
    EXPECT_FALSE(map.count({20, 0, 0}));
    EXPECT_EQ(ParamEntryAt(std::as_const(map), 1)->first.code, 30u);
}
