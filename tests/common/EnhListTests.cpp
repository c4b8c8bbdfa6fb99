#include <gtest/gtest.h>

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

// A descendant whose growth rule adds no room.
class TStuckRecordList : public TEnhList
{
  public:
    using TEnhList::TEnhList;

  protected:
    void Grow() override {}
};

TEST(EnhList, GrowsInStepsAndTakesInOneOfItsOwnRecordsWhileGrowing)
{
    TEnhList l(sizeof(TPointRec));
    EXPECT_EQ(l.Last(), nullptr);
    std::vector<int> capacities;
    for (int i = 0; i < 147; ++i) {
        int before = l.Capacity();
        EXPECT_EQ(AddRec(l, i, -i), i);
        if (l.Capacity() != before) capacities.push_back(l.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    l.Add(l.Items(1)); // the list is full: the block moves under the record
    EXPECT_EQ(l.Item<TPointRec>(147).Y, -1);

    TStuckRecordList stuck(sizeof(TPointRec)); // a growth that adds no room is refused
    EXPECT_THROW(AddRec(stuck, 1, 2), EListError);
    stuck.SetCapacity(1);
    AddRec(stuck, 1, 2);
    EXPECT_THROW(stuck.Add(stuck.Items(0)), EListError);
    EXPECT_EQ(stuck.Count(), 1);
    EXPECT_THROW(TEnhList(0), EListError);
    EXPECT_THROW(stuck.Item<int64_t[2]>(0), EListError); // a type larger than the records
}

// Delete calls back with the record still in place and ignores indices out of range; Clear deletes
// from the last and keeps the block; a capacity below the count deletes the records that no longer
// fit, last first, and zeroes what comes back; the destructor calls back for every record.
TEST(EnhList, EveryRemovalCallsBackWithTheRecordInPlace)
{
    std::vector<int> seen; // index and X of the record at the call (outlives the lists)
    int freed = 0;
    {
        TEnhList l(sizeof(TPointRec));
        for (int i = 0; i < 6; ++i) AddRec(l, i, 0);
        l.OnDelete = [&](TEnhList* sender, int index) {
            seen.insert(seen.end(), {index, sender->Item<TPointRec>(index).X});
        };
        for (int bad : {-1, 6}) l.Delete(bad);
        l.Delete(1);
        EXPECT_EQ(l.Item<TPointRec>(1).X, 2); // the records behind moved down
        l.SetCapacity(3);
        EXPECT_EQ(seen, (std::vector<int>{1, 1, 4, 5, 3, 4}));
        l.SetCapacity(5);
        EXPECT_EQ(l.Item<TPointRec>(3).X, 0);
        EXPECT_THROW(l.SetCapacity(-1), EListError);
        EXPECT_THROW(l.SetCapacity(INT32_MAX), EListError); // more bytes than a block may hold
        seen.clear();
        const uint8_t* block = l.Data();
        l.Clear();
        EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2, 0, 0}));
        EXPECT_EQ(l.Capacity(), 5);
        AddRec(l, 9, 9);
        EXPECT_EQ(l.Data(), block);
        l.OnDelete = [&](TEnhList*, int) { ++freed; };
    }
    EXPECT_EQ(freed, 1);
}

} // namespace
