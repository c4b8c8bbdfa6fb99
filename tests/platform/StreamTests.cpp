#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"

namespace {

std::vector<uint8_t> ByteList(std::initializer_list<int> v) { return {v.begin(), v.end()}; }

TEST(MemoryStream, ReadsStopAtTheEndAndWritesPastItFillTheGapWithoutOverflow)
{
    TMemoryStream m(ByteList({1, 2, 3, 4, 5}));
    uint8_t buf[8] = {};
    m.SetPosition(3);
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(ByteList({buf[0], buf[1]}), ByteList({4, 5}));
    EXPECT_EQ(m.Read(buf, 8), 0);

    m.SetPosition(3);
    try {
        m.ReadBuffer(buf, 3);
        FAIL() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
    EXPECT_NO_THROW(m.ReadBuffer(buf, 0));

    // A seek past the end reads nothing and does not grow the stream; a write there fills the gap with zeros.
    EXPECT_EQ(m.Seek(3, TSeekOrigin::soEnd), 8);
    uint8_t b = 0;
    EXPECT_EQ(m.Read(&b, 1), 0);
    EXPECT_EQ(m.Size(), 5);
    const uint8_t seven = 7;
    m.WriteBuffer(&seven, 1);
    EXPECT_EQ(m.Data(), ByteList({1, 2, 3, 4, 5, 0, 0, 0, 7}));
    EXPECT_EQ(m.Position(), 9);

    // Offsets at the ends of the range saturate instead of overflowing; nothing is read or written there.
    EXPECT_EQ(m.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
    EXPECT_EQ(m.Read(&b, 1), 0);
    EXPECT_THROW(m.WriteBuffer(&seven, 1), EWriteError);
    EXPECT_EQ(m.Seek(INT64_MIN, TSeekOrigin::soEnd), 0);
    EXPECT_EQ(m.Size(), 9);
}

TEST(Stream, CopyFromCopiesTheWholeSourceForZeroAndRefusesNegativeCounts)
{
    TMemoryStream src(ByteList({1, 2, 3, 4, 5}));
    src.SetPosition(4);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 5);
    EXPECT_EQ(dst.Data(), src.Data());

    src.SetPosition(1);
    TMemoryStream part;
    EXPECT_EQ(part.CopyFrom(src, 3), 3);
    EXPECT_EQ(part.Data(), ByteList({2, 3, 4}));

    src.SetPosition(3);
    EXPECT_THROW(part.CopyFrom(src, 3), EReadError); // only 2 bytes left
    EXPECT_THROW(part.CopyFrom(src, -1), EReadError);
}

class FileStreamTest : public ::testing::Test
{
protected:
    TTempFolder folder;
    std::string PathOf(const std::string& name) { return folder.Path() + "/" + name; }
};

TEST_F(FileStreamTest, RoundTripShortReadsCreateOverExistingAndWritesToAReadOnlyStream)
{
    std::string p = PathOf("a.bin");
    TFileStream(p, fmCreate).WriteBuffer("12345678", 8);
    {
        TFileStream f(p, fmCreate | 0x0010u); // create with an exclusive-share flag still truncates
        f.WriteBuffer("hello", 5);
        EXPECT_EQ(f.Size(), 5);
    }
    TFileStream f(p, fmOpenRead);
    char buf[8] = {};
    f.ReadBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
    f.SetPosition(2);
    EXPECT_THROW(f.ReadBuffer(buf, 4), EReadError);
    EXPECT_EQ(f.Seek(10, TSeekOrigin::soBeginning), 10);
    EXPECT_EQ(f.Read(buf, 1), 0);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
    TMemoryStream back;
    back.LoadFromFile(p);
    EXPECT_EQ(back.Data(), ByteList({'h', 'e', 'l', 'l', 'o'}));
}

TEST_F(FileStreamTest, OpenAndCreateFailuresRaiseTheirOwnErrors)
{
    EXPECT_THROW(TFileStream(PathOf("missing.bin"), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(folder.Path(), fmOpenRead), EFOpenError); // a folder is not a file
    EXPECT_THROW(TFileStream(PathOf("no/such/dir.bin"), fmCreate), EFCreateError);
    try {
        TFileStream f(PathOf("missing.bin"), fmOpenReadWrite);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos);
    }
}

} // namespace
