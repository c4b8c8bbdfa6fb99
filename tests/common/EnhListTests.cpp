#include <gtest/gtest.h>

#include "common/EnhClasses.h"
#include "platform/Exceptions.h"

namespace {

struct TPointRec
{
    int32_t X, Y;
};

TEST(EnhList, GrowsInStepsAndTakesInOneOfItsOwnRecordsWhileGrowing)
{
    TEnhList l(sizeof(TPointRec));
    EXPECT_EQ(l.Last(), nullptr);
    std::vector<int> capacities;
    for (int i = 0; i < 147; ++i) {
        const int before = l.Capacity();
        TPointRec p{i, -i};
        EXPECT_EQ(l.Add(&p), i);
        if (l.Capacity() != before) capacities.push_back(l.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95, 118, 147}));
    l.Add(l.Items(1)); // the list is full: the block moves under the record
    EXPECT_EQ(l.Item<TPointRec>(147).Y, -1);

    EXPECT_THROW(TEnhList(0), EListError);
    EXPECT_THROW(l.Item<int64_t[2]>(0), EListError); // a type larger than the records
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
        for (TPointRec p{0, 0}; p.X < 6; ++p.X) l.Add(&p);
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
        l.Clear();
        EXPECT_EQ(seen, (std::vector<int>{2, 3, 1, 2, 0, 0}));
        EXPECT_EQ(l.Capacity(), 5); // the block is kept
        l.Add(l.Items(4)); // one record (zero bytes of the kept block) for the destructor
        l.OnDelete = [&](TEnhList*, int) { ++freed; };
    }
    EXPECT_EQ(freed, 1);
}

} // namespace
