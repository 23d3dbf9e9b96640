#include "device/device_list.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

DeviceRecord RecordWithTarget(std::uint8_t target) {
    DeviceRecord r;
    std::memset(&r, 0, sizeof r);
    r.targetId = target;
    std::memcpy(r.vendorId, "TAVRINE ", 8);
    return r;
}

TEST(DeviceList, EmptyListYieldsNoRecord) {
    DeviceList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.RecordAt(0), nullptr);
    EXPECT_EQ(list.RecordAt(-1), nullptr);
}

TEST(DeviceList, IndexesOutsideTheListYieldNoRecord) {
    DeviceList list;
    for (std::uint8_t t = 0; t < 3; ++t) list.Append(RecordWithTarget(t));
    EXPECT_EQ(list.RecordAt(-1), nullptr);
    EXPECT_EQ(list.RecordAt(3), nullptr);
    ASSERT_NE(list.RecordAt(2), nullptr);
    EXPECT_EQ(list.RecordAt(2)->targetId, 2);
}

TEST(DeviceList, StoresCopiesInAppendOrderKeepingDuplicates) {
    DeviceList list;
    DeviceRecord r = RecordWithTarget(4);
    list.Append(r);
    list.Append(r);
    r.targetId = 9;  // the caller's record changes afterwards, as the transport's does
    std::memcpy(r.vendorId, "OTHER   ", 8);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.RecordAt(0)->targetId, 4);
    EXPECT_EQ(list.RecordAt(1)->targetId, 4);
    EXPECT_EQ(std::memcmp(list.RecordAt(0)->vendorId, "TAVRINE ", 8), 0);
}

TEST(DeviceList, TakesStorageTenNodesAtATime) {
    DeviceList list;
    for (std::uint8_t t = 0; t < 10; ++t) list.Append(RecordWithTarget(t));
    EXPECT_EQ(list.BlockCount(), 1);
    const DeviceRecord* tenth = list.RecordAt(9);
    list.Append(RecordWithTarget(10));
    EXPECT_EQ(list.BlockCount(), 2);
    EXPECT_EQ(list.RecordAt(9), tenth) << "existing entries must not move";
    for (std::int32_t i = 0; i <= 10; ++i) EXPECT_EQ(list.RecordAt(i)->targetId, i);
}

TEST(DeviceList, ClearDropsEverythingAndListIsReusable) {
    DeviceList list;
    for (std::uint8_t t = 0; t < 25; ++t) list.Append(RecordWithTarget(t));
    EXPECT_EQ(list.BlockCount(), 3);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.BlockCount(), 0);
    EXPECT_EQ(list.RecordAt(0), nullptr);
    list.Append(RecordWithTarget(7));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.RecordAt(0)->targetId, 7);
}

}  // namespace
