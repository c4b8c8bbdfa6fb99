#include <gtest/gtest.h>

#include <cstring>

#include "common/EnhClasses.h"
#include "platform/Exceptions.h"

namespace {

struct TPointRec
{
    int32_t X, Y;
};

int AddRec(TEnhList& l, int x, int y)
{
    TPointRec p{x, y};
    return l.Add(&p);
}

TEST(EnhList, GrowthSequenceAndAddingOneOfItsOwnRecordsWhileGrowing)
{
    TEnhList l(sizeof(TPointRec));
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_EQ(l.Last(), nullptr);
    std::vector<int> capacities;
    for (int i = 0; i < 147; ++i) {
        int before = l.Capacity();
        EXPECT_EQ(AddRec(l, i, -i), i);
        if (l.Capacity() != before) capacities.push_back(l.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    for (int i = 0; i < 147; ++i) ASSERT_EQ(l.Item<TPointRec>(i).Y, -i);
    // The list is full: adding one of its own records moves the block under the record.
    l.Add(l.Items(1));
    EXPECT_EQ(l.Item<TPointRec>(147).X, 1);
    EXPECT_EQ(l.Item<TPointRec>(147).Y, -1);
}

// Delete calls back with the record still in place and ignores indices out of range; Clear deletes
// from the last and keeps the block; the destructor calls back for every record.
TEST(EnhList, DeleteClearAndDestructionCallBackForEveryRecord)
{
    std::vector<int> seen; // index and the X of the record still in place at the call (outlives the lists)
    TEnhList l(sizeof(TPointRec));
    for (int i = 0; i < 4; ++i) AddRec(l, i, 0);
    l.OnDelete = [&](TEnhList* sender, int index) {
        EXPECT_EQ(sender, &l);
        seen.insert(seen.end(), {index, sender->Item<TPointRec>(index).X});
    };
    for (int bad : {-1, 4, 100}) l.Delete(bad);
    EXPECT_TRUE(seen.empty());
    l.Delete(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 1}));
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Item<TPointRec>(1).X, 2); // the records behind moved down
    EXPECT_EQ(reinterpret_cast<TPointRec*>(l.Last())->X, 3);

    seen.clear();
    l.Clear();
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2, 0, 0}));
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Capacity(), 4);
    const uint8_t* block = l.Data();
    AddRec(l, 9, 9);
    EXPECT_EQ(l.Data(), block); // no new block

    int freed = 0;
    {
        TEnhList d(4);
        for (int i = 0; i < 5; ++i) d.Add(&i);
        d.OnDelete = [&](TEnhList*, int) { ++freed; };
    }
    EXPECT_EQ(freed, 5);
}

TEST(EnhList, CapacityChangesKeepLeadingRecordsAndZeroNewOnes)
{
    std::vector<int> order;
    TEnhList l(sizeof(TPointRec));
    for (int i = 1; i <= 3; ++i) AddRec(l, i, i);
    l.SetCapacity(10);
    EXPECT_EQ(l.Capacity(), 10);
    EXPECT_EQ(std::vector<uint8_t>(l.Items(3), l.Items(3) + 56), std::vector<uint8_t>(56, 0)); // 7 records
    EXPECT_EQ(l.Item<TPointRec>(2).X, 3);

    // Below Count: the records that no longer fit are deleted with their callbacks, last first.
    l.OnDelete = [&](TEnhList*, int index) { order.push_back(index); };
    l.SetCapacity(1);
    EXPECT_EQ(order, (std::vector<int>{2, 1}));
    EXPECT_EQ(l.Count(), 1);
    EXPECT_EQ(l.Capacity(), 1);
    EXPECT_EQ(l.Item<TPointRec>(0).X, 1);

    l.SetCapacity(3); // the bytes that come back are zero, not the old records
    EXPECT_EQ(l.Item<TPointRec>(1).X, 0);
    EXPECT_THROW(l.SetCapacity(-1), EListError);
    EXPECT_THROW(l.SetCapacity(INT32_MAX), EListError); // more bytes than a block may hold
    EXPECT_EQ(l.Count(), 1);
}

// A descendant whose growth rule adds no room.
class TStuckRecordList : public TEnhList
{
public:
    using TEnhList::TEnhList;

protected:
    void Grow() override {}
};

TEST(EnhList, AGrowthThatAddsNoRoomBadItemSizesAndWrongRecordTypesAreRefused)
{
    TStuckRecordList l(sizeof(TPointRec));
    EXPECT_THROW(AddRec(l, 1, 2), EListError);
    EXPECT_EQ(l.Count(), 0);
    l.SetCapacity(1);
    AddRec(l, 1, 2);
    EXPECT_THROW(l.Add(l.Items(0)), EListError); // also when the record is one of its own
    EXPECT_EQ(l.Count(), 1);

    EXPECT_THROW(TEnhList(0), EListError);
    EXPECT_THROW(TEnhList(-4), EListError);
    TEnhList ints(4);
    const int32_t v = 7;
    ints.Add(&v);
    EXPECT_THROW(ints.Item<TPointRec>(0), EListError); // 8-byte type over 4-byte records
    EXPECT_EQ(ints.Item<int32_t>(0), 7);
}

} // namespace
