// The JPEG graphic's own operations: sharing, sizes, streams, run ownership.
#include <gtest/gtest.h>

#include <tuple>
#include <thread>

#include "JpegFixtures.h"
#include "codec/JPEGImage.h"
#include "platform/Exceptions.h"

using namespace fixtures;
using std::tuple;

TEST(JPEGImage, AssignSharesDataLoadingAgainSeparatesAndWriteDataReadsBack)
{
    TJPEGImage a, b, e;
    LoadInto(a, MakeJpeg({}));
    a.EnsureBitmap();
    b.Assign(a);
    ASSERT_TRUE(b.Equals(a) && a.Equals(b) && b.HasBitmap());
    EXPECT_NE(b.Bitmap.get(), a.Bitmap.get());
    const std::vector<uint8_t> small = MakeJpeg({.Width = 30});
    LoadInto(b, small);
    EXPECT_FALSE(b.Equals(a) || b.HasBitmap()); // the old bitmap belonged to the old data
    EXPECT_EQ(tuple(a.Data->Width, b.Width()), tuple(64, 30));
    // At a reduced scale the size is read again from the data taken over, not kept from the old.
    e.SetScale(1);
    LoadInto(e, small);
    EXPECT_EQ(e.GetWidth(), 15);
    e.Assign(a);
    EXPECT_EQ(tuple(e.HasBitmap(), e.GetWidth(), e.Height()), tuple(true, 64, 48));
    e.FreeBitmap();
    EXPECT_EQ(tuple(e.Width(), e.Height()), tuple(32, 24));
    // A bitmap without data; an empty bitmap is an empty picture.
    e.Assign(TBitmap(5, 4));
    EXPECT_EQ(tuple(e.Empty(), e.Width(), e.EnsureBitmap() == e.Bitmap.get()), tuple(false, 5, true));
    e.Assign(TBitmap(0, 0));
    EXPECT_TRUE(e.Empty());
    // WriteData's length and bytes come back; a length beyond the stream is refused before allocating.
    TMemoryStream out, bogus(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1}), negative(std::vector<uint8_t>(4, 0xFF));
    a.WriteData(out);
    out.SetPosition(0);
    b.ReadData(out);
    EXPECT_EQ(tuple(out.Size(), b.GetJpegStream()->Data() == a.GetJpegStream()->Data()), tuple(4 + a.GetJpegDataSize(), true));
    EXPECT_THROW(b.ReadData(bogus), EReadError);
    EXPECT_THROW(b.ReadData(negative), EReadError);
}

// While a compression run is in progress only the run's worker thread may use the fields it writes.
TEST(JPEGImage, RunFieldsBelongToTheRunningWorker)
{
    TJPEGImage image;
    EXPECT_TRUE(image.MayUseRunFields());
    image.BeginRun();
    bool workerMay = false;
    std::thread worker([&] {
        image.ClaimRun();
        workerMay = image.MayUseRunFields();
    });
    worker.join();
    EXPECT_EQ(tuple(image.RunInProgress(), image.MayUseRunFields(), workerMay), tuple(true, false, true));
    image.EndRun();
    EXPECT_EQ(tuple(image.RunInProgress(), image.MayUseRunFields()), tuple(false, true));
}
