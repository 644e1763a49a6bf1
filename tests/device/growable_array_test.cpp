#include "device/growable_array.h"

#include <gtest/gtest.h>

TEST(GrowableArray, GrowsToSixteenThenDoublesOrToTheRequest) {
    GrowableArray<int> list;
    EXPECT_EQ(list.GetCapacity(), 0);
    ASSERT_EQ(list.Add(7), S_OK);
    EXPECT_EQ(list.GetCapacity(), 16);
    for (int i = 1; i < 17; ++i) ASSERT_EQ(list.Add(i), S_OK);
    EXPECT_EQ(list.GetSize(), 17);
    EXPECT_EQ(list.GetCapacity(), 32);
    ASSERT_EQ(list.SetSize(100), S_OK);  // more than twice 32
    EXPECT_EQ(list.GetCapacity(), 100);
    EXPECT_EQ(list[0], 7);
    EXPECT_EQ(list[16], 16);
    EXPECT_EQ(list[99], 0);  // new elements are zero
    ASSERT_EQ(list.SetSize(50), S_OK);
    EXPECT_EQ(list.GetCapacity(), 100);  // shrinking keeps the storage
}

TEST(GrowableArray, RefusesNegativeSizesAndFreesAtZero) {
    GrowableArray<int> list;
    list.Add(1);
    EXPECT_EQ(list.SetSize(-1), E_INVALIDARG);
    EXPECT_EQ(list.GetSize(), 1);
    ASSERT_EQ(list.SetSize(0), S_OK);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_EQ(list.GetCapacity(), 0);
}

TEST(GrowableArray, LooksUpTheFirstIndexByValue) {
    GrowableArray<int> list;
    for (int value : {4, 8, 4}) list.Add(value);
    EXPECT_EQ(list.IndexOf(4), 0);
    EXPECT_EQ(list.IndexOf(8), 1);
    EXPECT_EQ(list.IndexOf(5), -1);
    EXPECT_FALSE(list.Contains(5));
}
