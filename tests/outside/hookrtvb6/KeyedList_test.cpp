// KeyedList_test.cpp
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "KeyedList.h"

using hookrtvb6::KeyedList;

TEST(KeyedList, PositionsKeysAndRemoval) {
    KeyedList<std::string> list;
    EXPECT_TRUE(list.Add("a", 10));
    EXPECT_TRUE(list.Add("b", 20));
    EXPECT_TRUE(list.Add("c", 30));
    EXPECT_FALSE(list.Add("again", 20)) << "a key is unique";
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Find(30), 3);
    EXPECT_EQ(list.Find(99), -1);
    EXPECT_EQ(list.Key(2), 20);
    EXPECT_EQ(*list.Item(2), "b");

    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Key(1), 20) << "later entries move down";
    EXPECT_EQ(list.Find(30), 2);
    for (long outside : {0L, 3L, -1L}) {
        EXPECT_FALSE(list.Remove(outside));
        EXPECT_EQ(list.Item(outside), nullptr);
        EXPECT_EQ(list.Key(outside), 0);
    }
}

TEST(KeyedList, TakeHandsTheItemOver) {
    KeyedList<std::unique_ptr<int>> list;
    list.Add(std::make_unique<int>(7), -5);
    std::unique_ptr<int> out;
    EXPECT_FALSE(list.Take(6, out));
    EXPECT_FALSE(out);
    ASSERT_TRUE(list.Take(-5, out));
    EXPECT_EQ(*out, 7);
    EXPECT_EQ(list.Count(), 0);
}
