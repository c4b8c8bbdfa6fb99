#include <gtest/gtest.h>

#include <cstring>

#include "common/EnhClasses.h"
#include "platform/Exceptions.h"

namespace {

struct TPointRec
{
    int32_t X, Y;
};

int AddPoint(TEnhList& l, int x, int y)
{
    TPointRec p{x, y};
    return l.Add(&p);
}

TEST(EnhList, GrowthSequence)
{
    TEnhList l(sizeof(TPointRec));
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_EQ(l.Last(), nullptr);
    std::vector<int> capacities;
    for (int i = 0; i < 147; ++i) {
        int before = l.Capacity();
        EXPECT_EQ(AddPoint(l, i, -i), i);
        if (l.Capacity() != before) capacities.push_back(l.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    for (int i = 0; i < 147; ++i) ASSERT_EQ(l.Item<TPointRec>(i).Y, -i);
}

TEST(EnhList, DeleteCallsBackFirstAndIgnoresIndicesOutOfRange)
{
    std::vector<int> seen; // index and the X of the record still in place at the call (outlives the list)
    TEnhList l(sizeof(TPointRec));
    for (int i = 0; i < 4; ++i) AddPoint(l, i, 0);
    l.OnDelete = [&](TEnhList* sender, int index) {
        EXPECT_EQ(sender, &l);
        seen.push_back(index);
        seen.push_back(sender->Item<TPointRec>(index).X);
    };
    for (int bad : {-1, 4, 100}) l.Delete(bad);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(l.Count(), 4);

    l.Delete(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 1}));
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Capacity(), 4);
    EXPECT_EQ(l.Item<TPointRec>(1).X, 2); // the records behind moved down
    EXPECT_EQ(reinterpret_cast<TPointRec*>(l.Last())->X, 3);
}

TEST(EnhList, ClearDeletesFromTheLastAndKeepsTheCapacity)
{
    std::vector<int> order; // outlives the list, whose destructor calls back too
    TEnhList l(sizeof(TPointRec));
    for (int i = 0; i < 3; ++i) AddPoint(l, i, 0);
    l.OnDelete = [&](TEnhList*, int index) { order.push_back(index); };
    l.Clear();
    EXPECT_EQ(order, (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Capacity(), 4);
    const uint8_t* block = l.Data();
    AddPoint(l, 9, 9);
    EXPECT_EQ(l.Capacity(), 4);
    EXPECT_EQ(l.Data(), block); // no new block
}

TEST(EnhList, DestructionRunsTheCallbackForEveryRecord)
{
    int freed = 0;
    {
        TEnhList l(4);
        for (int i = 0; i < 5; ++i) l.Add(&i);
        l.OnDelete = [&](TEnhList*, int) { ++freed; };
    }
    EXPECT_EQ(freed, 5);
}

TEST(EnhList, CapacityChangesKeepLeadingRecordsAndZeroNewOnes)
{
    std::vector<int> order;
    TEnhList l(sizeof(TPointRec));
    for (int i = 1; i <= 3; ++i) AddPoint(l, i, i);
    l.SetCapacity(10);
    EXPECT_EQ(l.Capacity(), 10);
    for (int i = 3; i < 10; ++i) {
        const uint8_t* p = l.Items(i);
        for (size_t b = 0; b < sizeof(TPointRec); ++b) ASSERT_EQ(p[b], 0) << i;
    }
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

TEST(EnhList, AddingOneOfItsOwnRecordsWhileGrowing)
{
    TEnhList l(sizeof(TPointRec));
    for (int i = 0; i < 4; ++i) AddPoint(l, i, 100 + i);
    ASSERT_EQ(l.Count(), l.Capacity()); // the next Add moves the block
    l.Add(l.Items(1));
    EXPECT_EQ(l.Count(), 5);
    EXPECT_EQ(l.Item<TPointRec>(4).X, 1);
    EXPECT_EQ(l.Item<TPointRec>(4).Y, 101);
}

// A descendant whose growth rule adds no room.
class TStuckRecordList : public TEnhList
{
public:
    using TEnhList::TEnhList;

protected:
    void Grow() override {}
};

TEST(EnhList, AGrowthThatAddsNoRoomIsRefusedByAdd)
{
    TStuckRecordList l(sizeof(TPointRec));
    EXPECT_THROW(AddPoint(l, 1, 2), EListError);
    EXPECT_EQ(l.Count(), 0);
    l.SetCapacity(1);
    AddPoint(l, 1, 2);
    EXPECT_THROW(l.Add(l.Items(0)), EListError); // also when the record is one of its own
    EXPECT_EQ(l.Count(), 1);
}

TEST(EnhList, BadItemSizesAndRecordTypesAreRefused)
{
    EXPECT_THROW(TEnhList(0), EListError);
    EXPECT_THROW(TEnhList(-4), EListError);
    TEnhList l(4);
    int v = 1;
    l.Add(&v);
    EXPECT_THROW(l.Item<TPointRec>(0), EListError); // 8-byte type over 4-byte records
    EXPECT_EQ(l.Item<int32_t>(0), 1);
}

} // namespace
