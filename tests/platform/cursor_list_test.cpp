#include "platform/cursor_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Item {
    std::int32_t Value;
    float Weight;
};

class CursorList : public ::testing::Test {
  protected:
    void SetUp() override { ListCreate(list); }
    void TearDown() override { ListDestroy(list); }

    // Appends the values in order, the way the cave appends its columns.
    void Append(std::initializer_list<std::int32_t> values) {
        for (std::int32_t value : values) {
            ListLast(list);
            ListAdd(list)->Value = value;
        }
    }

    // Walks the whole list the way every game loop does and returns the values in order.
    std::vector<std::int32_t> Values() {
        std::vector<std::int32_t> values;
        ListReset(list);
        while (Item* item = ListNext(list)) values.push_back(item->Value);
        return values;
    }

    std::int32_t CurrentValue() {
        Item* item = ListCurrent(list);
        return item != nullptr ? item->Value : -1;
    }

    List<Item> list;
};

TEST_F(CursorList, FreshListIsEmptyWithNoCurrent) {
    EXPECT_EQ(ListCount(list), 0);
    EXPECT_EQ(ListCurrent(list), nullptr);
    EXPECT_EQ(ListNext(list), nullptr);
    EXPECT_EQ(ListPrevious(list), nullptr);
}

TEST_F(CursorList, AddCreatesZeroFilledCurrentRecords) {
    Item* item = ListAdd(list);
    EXPECT_EQ(item->Value, 0);
    EXPECT_EQ(item->Weight, 0.0f);
    EXPECT_EQ(ListCurrent(list), item);
}

TEST_F(CursorList, AddAfterResetInsertsAtTheFront) {
    Append({1, 2, 3});
    ListReset(list);
    ListAdd(list)->Value = 0;
    EXPECT_EQ(Values(), (std::vector<std::int32_t>{0, 1, 2, 3}));
}

TEST_F(CursorList, AddInsertsDirectlyAfterTheCurrent) {
    Append({1, 3});
    ListFirst(list);
    ListAdd(list)->Value = 2;
    EXPECT_EQ(CurrentValue(), 2);
    EXPECT_EQ(Values(), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(CursorList, NextAtTheLastElementKeepsTheCursorThere) {
    Append({1, 2});
    ListLast(list);
    EXPECT_EQ(ListNext(list), nullptr);
    EXPECT_EQ(CurrentValue(), 2);
}

TEST_F(CursorList, PreviousAtTheFirstElementKeepsTheCursorThere) {
    Append({1, 2});
    ListLast(list);
    EXPECT_EQ(ListPrevious(list)->Value, 1);
    EXPECT_EQ(ListPrevious(list), nullptr);
    EXPECT_EQ(CurrentValue(), 1);
    ListReset(list);
    EXPECT_EQ(ListPrevious(list), nullptr);
    EXPECT_EQ(ListCurrent(list), nullptr);
}

TEST_F(CursorList, SelectLandsOnTheIndexOrTheLastOrNone) {
    Append({10, 11, 12});
    ListSelect(list, 1);
    EXPECT_EQ(CurrentValue(), 11);
    ListSelect(list, 3);  // equal to the length
    EXPECT_EQ(CurrentValue(), 12);
    ListSelect(list, 100);
    EXPECT_EQ(CurrentValue(), 12);
    ListSelect(list, 0);
    EXPECT_EQ(CurrentValue(), 10);
    ListSelect(list, -1);
    EXPECT_EQ(ListCurrent(list), nullptr);
}

TEST_F(CursorList, DeletingTheOnlyElementEmptiesTheList) {
    Append({1});
    ListFirst(list);
    ListDeleteCurrent(list);
    EXPECT_EQ(ListCount(list), 0);
    EXPECT_EQ(ListCurrent(list), nullptr);
    EXPECT_EQ(Values(), std::vector<std::int32_t>{});
}

TEST_F(CursorList, DeleteMovesToThePreviousElseTheNext) {
    Append({1, 2, 3});
    ListSelect(list, 1);
    ListDeleteCurrent(list);
    EXPECT_EQ(CurrentValue(), 1);
    ListFirst(list);
    ListDeleteCurrent(list);
    EXPECT_EQ(CurrentValue(), 3);
    ListReset(list);
    ListDeleteCurrent(list);  // no current element: nothing happens
    EXPECT_EQ(Values(), std::vector<std::int32_t>{3});
}

TEST_F(CursorList, DeletingFromTheFrontRemovesConsecutiveElements) {
    Append({1, 2, 3, 4, 5});
    ListFirst(list);
    ListDeleteCurrent(list);
    ListDeleteCurrent(list);
    EXPECT_EQ(CurrentValue(), 3);
    EXPECT_EQ(ListCount(list), 3);
    EXPECT_EQ(Values(), (std::vector<std::int32_t>{3, 4, 5}));
    ListLast(list);
    EXPECT_EQ(ListPrevious(list)->Value, 4);  // links stay consistent after the deletions
}

TEST_F(CursorList, ElementsKeepTheirAddressAndReusedNodesAreZeroed) {
    Append({1, 2, 3});
    ListSelect(list, 1);
    Item* middle = ListCurrent(list);
    middle->Weight = 2.5f;
    ListFirst(list);
    ListDeleteCurrent(list);
    ListLast(list);
    ListAdd(list)->Value = 4;
    ListSelect(list, 0);
    EXPECT_EQ(ListCurrent(list), middle);
    EXPECT_EQ(middle->Weight, 2.5f);
    ListLast(list);
    EXPECT_EQ(ListCurrent(list)->Weight, 0.0f);  // the recycled node came back zero-filled
}

TEST_F(CursorList, SteadySizeReusesFreedNodes) {
    Append({1, 2, 3});
    ListFirst(list);
    Item* freed = ListCurrent(list);
    ListDeleteCurrent(list);
    ListLast(list);
    EXPECT_EQ(ListAdd(list), freed);
}

TEST_F(CursorList, CreateEmptiesAListInUse) {
    Append({1, 2});
    ListCreate(list);
    EXPECT_EQ(ListCount(list), 0);
    EXPECT_EQ(ListCurrent(list), nullptr);
    ListAdd(list)->Value = 7;
    EXPECT_EQ(Values(), std::vector<std::int32_t>{7});
}

}  // namespace
