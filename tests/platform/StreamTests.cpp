#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"

namespace {

using TBytes = std::vector<uint8_t>;

// Reads stop at the end; a seek past it reads nothing and does not grow the stream, a write there
// fills the gap with zeros; offsets at the ends of the range saturate instead of overflowing.
TEST(MemoryStream, ReadsStopAtTheEndAndWritesPastItFillTheGapWithoutOverflow)
{
    TMemoryStream m(TBytes{1, 2, 3, 4, 5});
    uint8_t buf[8] = {};
    m.SetPosition(3);
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(buf[1], 5);
    m.SetPosition(3);
    EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
    EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
    EXPECT_EQ(m.Seek(3, TSeekOrigin::soEnd), 8);
    EXPECT_EQ(m.Read(buf, 1), 0);
    EXPECT_EQ(m.Size(), 5);
    const uint8_t seven = 7;
    m.WriteBuffer(&seven, 1);
    EXPECT_EQ(m.Data(), (TBytes{1, 2, 3, 4, 5, 0, 0, 0, 7}));
    EXPECT_EQ(m.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
    EXPECT_EQ(m.Read(buf, 1), 0);
    EXPECT_THROW(m.WriteBuffer(&seven, 1), EWriteError);
    EXPECT_EQ(m.Seek(INT64_MIN, TSeekOrigin::soEnd), 0);
    EXPECT_EQ(m.Size(), 9);

    TMemoryStream whole, part; // a count of 0 copies the whole source, a negative one is refused
    EXPECT_EQ(whole.CopyFrom(m, 0), 9);
    EXPECT_EQ(whole.Data(), m.Data());
    m.SetPosition(1);
    EXPECT_EQ(part.CopyFrom(m, 3), 3);
    EXPECT_EQ(part.Data(), (TBytes{2, 3, 4}));
    m.SetPosition(7);
    EXPECT_THROW(part.CopyFrom(m, 3), EReadError);
    EXPECT_THROW(part.CopyFrom(m, -1), EReadError);
}

TEST(FileStream, RoundTripShortReadsAndFailuresRaiseTheirOwnErrors)
{
    TTempFolder folder;
    const std::string p = folder.Path() + "/a.bin", missing = folder.Path() + "/missing.bin";
    TFileStream(p, fmCreate).WriteBuffer("12345678", 8);
    TFileStream(p, fmCreate | 0x0010u).WriteBuffer("hello", 5); // create with a share flag still truncates
    TFileStream f(p, fmOpenRead);
    char buf[8] = {};
    f.SetPosition(2);
    EXPECT_THROW(f.ReadBuffer(buf, 4), EReadError);
    EXPECT_EQ(f.Seek(10, TSeekOrigin::soBeginning), 10);
    EXPECT_EQ(f.Read(buf, 1), 0);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
    TMemoryStream back;
    back.LoadFromFile(p);
    EXPECT_EQ(back.Data(), (TBytes{'h', 'e', 'l', 'l', 'o'}));

    EXPECT_THROW(TFileStream(folder.Path(), fmOpenRead), EFOpenError); // a folder is not a file
    EXPECT_THROW(TFileStream(folder.Path() + "/no/such/dir.bin", fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EFOpenError);
}

} // namespace
