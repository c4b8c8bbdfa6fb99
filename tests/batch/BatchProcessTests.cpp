#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sys/stat.h>
#include <utime.h>

#include "BatchTestKit.h"
#include "common/CommLib.h"
#include "formats/ImageFileInfo.h"

namespace {

class BatchJob : public ::testing::Test
{
protected:
    TTempFolder Scratch;
    std::string Dir(const std::string& name)
    {
        std::string path = Scratch.Path() + "/" + name + "/";
        fs::create_directories(path);
        return path;
    }
};

time_t ModifiedTime(const std::string& name)
{
    struct stat st{};
    return ::stat(name.c_str(), &st) == 0 ? st.st_mtime : 0;
}

} // namespace

// Counters advance only for loaded files, a JPEG keeps a JPEG extension (".jpeg") and no other
// (a JPEG named ".bmp" gives ".jpg"), failed loads are logged with the first form, outputs
// take the source's date and decode at the profile's size. A file's Saving records name its output.
TEST_F(BatchJob, CountsNamesLogsAndKeepsDates)
{
    const std::string src = Dir("src"), out = Dir("out");
    SaveBmpToFile(TestPicture(40, 30, 1), src + "a.bmp");
    WriteJpeg(src + "b.jpeg", TestPicture(34, 18, 2));
    std::ofstream(src + "c.bmp") << "this is text, not a picture";
    SaveBmpToFile(TestPicture(64, 48, 3), src + "e.bmp");
    WriteJpeg(src + "f.bmp", TestPicture(20, 10, 4));
    WriteProfile(src + "half.qmp", 60, 0, 50);
    const time_t date = 1500000000; // 14 Jul 2017
    utimbuf times{date, date};
    ::utime((src + "a.bmp").c_str(), &times);

    TBatchProcOptions o;
    o.DestFolder = out;
    o.ProfileFile = src + "half.qmp";
    o.PrefixMode = 2;
    o.PrefixN = 7;
    o.LeadingZeros = true;
    o.Digits = 3;
    const auto job = RunJob(
        {src + "a.bmp", src + "b.jpeg", src + "c.bmp", src + "d.bmp", src + "e.bmp", src + "f.bmp"}, o, 0);

    EXPECT_TRUE(job.Done);
    EXPECT_EQ(job.FileCount, 6);
    EXPECT_EQ(job.ErrorCount, 2);
    EXPECT_EQ(job.Options.PrefixN, 11);
    ASSERT_EQ(job.Log.size(), 2u);
    EXPECT_EQ(job.Log[0].rfind(src + "c.bmp  [ --> " + out + "009c.jpg]\r\n", 0), 0u) << job.Log[0];
    EXPECT_EQ(job.Log[1].rfind(src + "d.bmp  [ --> " + out + "009d.jpg]\r\n", 0), 0u) << job.Log[1];
    EXPECT_GT(job.Log[1].size(), (src + "d.bmp  [ --> " + out + "009d.jpg]\r\n").size()); // with a message

    const std::map<std::string, std::pair<int, int>> expected = {
        {"007a.jpg", {20, 15}}, {"008b.jpeg", {17, 9}}, {"009e.jpg", {32, 24}}, {"010f.jpg", {10, 5}}};
    for (const auto& [name, size] : expected) EXPECT_EQ(DecodedSize(out + name), size) << name;
    EXPECT_EQ(TreeContents(out).size(), expected.size());
    EXPECT_EQ(ModifiedTime(out + "007a.jpg"), date);

    std::set<std::pair<int, std::string>> saving; // file number and output name of each Saving record
    for (const TBatchProcProgress& r : job.Records)
        if (r.Stage == 4) saving.insert({r.FileIndex, r.DestName});
    EXPECT_EQ(saving, (std::set<std::pair<int, std::string>>{
                          {1, "007a.jpg"}, {2, "008b.jpeg"}, {5, "009e.jpg"}, {6, "010f.jpg"}}));
}

// The third form for a failed save, the first with the encoder's message for a failed compress; a
// failed file leaves no output and no temporary file, and the folder in the output's place stays.
TEST_F(BatchJob, FailedCompressAndSaveWriteNothing)
{
    const std::string src = Dir("src"), out = Dir("out");
    SaveBmpToFile(TestPicture(70000, 1, 4), src + "wide.bmp"); // beyond what a JPEG frame can hold
    SaveBmpToFile(TestPicture(20, 20, 5), src + "taken.bmp");
    SaveBmpToFile(TestPicture(20, 20, 6), src + "fine.bmp");
    fs::create_directory(out + "taken.jpg");
    WriteProfile(src + "p.qmp", 70);
    TBatchProcOptions o;
    o.DestFolder = out;
    o.ProfileFile = src + "p.qmp";
    const auto job = RunJob({src + "wide.bmp", src + "taken.bmp", src + "fine.bmp"}, o, 0);

    ASSERT_EQ(job.ErrorCount, 2);
    EXPECT_EQ(job.Log[0].rfind(src + "wide.bmp  [ --> " + out + "wide.jpg]\r\n", 0), 0u) << job.Log[0];
    EXPECT_NE(job.Log[0].find("65500"), std::string::npos) << job.Log[0];
    EXPECT_EQ(job.Log[1].rfind("[" + src + "taken.bmp --> ]  " + out + "taken.jpg\r\n", 0), 0u) << job.Log[1];
    EXPECT_FALSE(fs::exists(out + "wide.jpg"));
    EXPECT_TRUE(fs::is_directory(out + "taken.jpg"));
    EXPECT_EQ(DecodedSize(out + "fine.jpg"), std::make_pair(20, 20));
    EXPECT_TRUE(TempLeftovers(Scratch.Path()).empty());
}

// A profile that goes away during the job: the file logs the profile's name and the job goes on.
// The second source is the first one's output, so it is read only after that was written.
TEST_F(BatchJob, ProfileMissingMidJob)
{
    const std::string src = Dir("src");
    SaveBmpToFile(TestPicture(24, 24, 7), src + "x.bmp");
    WriteProfile(src + "p.qmp", 70);
    TBatchProcOptions o;
    o.ProfileFile = src + "p.qmp";
    o.SuffixMode = 2; // numbers keep the names apart, yet "x" + a number may be any output
    o.KeepOriginalName = true;
    const auto job = RunJob({src + "x.bmp", src + "x1.jpg"}, o, 4, {}, [&](TBatchProcess& j) {
        if (j.Progress().FileIndex == 1 && j.Progress().Stage == 4 && j.Progress().FilePercent == 100)
            fs::remove(src + "p.qmp");
    });
    ASSERT_EQ(job.ErrorCount, 1);
    EXPECT_EQ(job.Log[0].rfind(src + "p.qmp\r\n", 0), 0u) << job.Log[0];
    EXPECT_EQ(DecodedSize(src + "x1.jpg"), std::make_pair(24, 24));
    EXPECT_EQ(job.Options.SuffixN, 3); // both loaded
}

// A named pipe, a folder and a device in the list are failed files; the job ends and writes the
// other files; the pipe is never opened (nobody will ever write to it).
TEST_F(BatchJob, SpecialFilesFailAndTheJobGoesOn)
{
    const std::string src = Dir("src");
    SaveBmpToFile(TestPicture(16, 12, 1), src + "a.bmp");
    ASSERT_EQ(::mkfifo((src + "pipe.bmp").c_str(), 0600), 0);
    fs::create_directory(src + "folder.jpg");
    WriteProfile(src + "p.qmp", 70);
    TPipeWatch watch(src + "pipe.bmp");
    TBatchProcOptions o;
    o.ProfileFile = src + "p.qmp";
    o.DestFolder = Dir("out");
    const auto job = RunJob({src + "pipe.bmp", src + "folder.jpg", "/dev/null", src + "a.bmp"}, o, 0);
    ASSERT_EQ(job.Log.size(), 3u);
    EXPECT_EQ(job.Log[0], src + "pipe.bmp  [ --> " + o.DestFolder + "pipe.jpg]\r\nCannot open file \"" + src +
                              "pipe.bmp\". It is a named pipe, not a regular file.");
    EXPECT_EQ(DecodedSize(o.DestFolder + "a.jpg"), std::make_pair(16, 12));
    EXPECT_FALSE(watch.Opened());
}

// One file: the total runs from 0 to 100 and never falls; the records name the file and its output.
TEST_F(BatchJob, OneFileTotalPercent)
{
    const std::string src = Dir("src");
    SaveBmpToFile(TestPicture(300, 200, 9), src + "one.bmp");
    WriteProfile(src + "p.qmp", 70, 0, 50);
    TBatchProcOptions o;
    o.ProfileFile = src + "p.qmp";
    o.SuffixMode = 1;
    o.SuffixText = "_s";
    const auto job = RunJob({src + "one.bmp"}, o, 0);
    ASSERT_FALSE(job.Records.empty());
    EXPECT_EQ(job.Records.front().TotalPercent, 0);
    EXPECT_EQ(job.Records.front().Stage, 3);
    EXPECT_EQ(job.Records.back().TotalPercent, 100);
    EXPECT_EQ(job.Records.back().Stage, 4);
    for (size_t i = 1; i < job.Records.size(); ++i)
        EXPECT_GE(job.Records[i].TotalPercent, job.Records[i - 1].TotalPercent);
    for (const auto& r : job.Records) {
        EXPECT_EQ(r.FileIndex, 1);
        EXPECT_EQ(r.FileCount, 1);
        EXPECT_EQ(r.SrcName, "one.bmp");
        EXPECT_EQ(r.SrcFolder, src);
        EXPECT_EQ(r.DestName, "one_s.jpg");
    }
}

// Sizes past 2 GB: the estimate uses the share of bytes done (3 GB of 4 GB for the first file).
TEST_F(BatchJob, SizesPastTwoGigabytes)
{
    const std::string src = Dir("src");
    SaveBmpToFile(TestPicture(16, 16, 10), src + "big.bmp");
    SaveBmpToFile(TestPicture(16, 16, 11), src + "small.bmp");
    WriteProfile(src + "p.qmp", 70);
    TBatchProcOptions o;
    o.ProfileFile = src + "p.qmp";
    const auto job = RunJob({src + "big.bmp", src + "small.bmp"}, o, 1, [](TBatchProcess& j) {
        j.FileSizeOf = [](const std::string& name) {
            return name.find("big") != std::string::npos ? int64_t(3) << 30 : int64_t(1) << 30;
        };
        auto calls = std::make_shared<std::atomic<int>>(0);
        j.SecondsNow = [calls] { return (*calls)++ == 0 ? 1000.0 : 1300.0; }; // 300 s after the start
    });
    ASSERT_EQ(job.ErrorCount, 0);
    bool sawFirst = false, sawSecond = false;
    for (const auto& r : job.Records) {
        EXPECT_EQ(r.ElapsedSec, 300);
        if (r.FileIndex == 0) continue; // the start-up's record: no estimate yet
        sawFirst = sawFirst || r.FileIndex == 1;
        sawSecond = sawSecond || r.FileIndex == 2;
        EXPECT_EQ(r.EstimatedSec, r.FileIndex == 1 ? 400 : 300) << r.FileIndex;
        if (r.FileIndex == 2 && r.Stage == 3) {
            EXPECT_EQ(r.TotalPercent, 50);
        }
    }
    EXPECT_TRUE(sawFirst && sawSecond);
}

// A stop while the job reads its list: among the sizes, or some way into the at-risk check (names of
// long digit runs in both numbered modes take it seconds; the stop comes 0.1 s in). The job ends at
// once and writes nothing, and until then the windows see the time go on without a file.
TEST_F(BatchJob, StopDuringStartUpEndsAtOnceAndWritesNothing)
{
    using Clock = std::chrono::steady_clock;
    const std::string src = Dir("src");
    SaveBmpToFile(TestPicture(16, 16, 1), src + "a.bmp");
    WriteProfile(src + "p.qmp", 70);
    std::mt19937 rng(3);
    std::vector<std::string> digitNames(2000);
    for (std::string& name : digitNames) {
        name = src;
        for (int k = 0; k < 240; ++k) name += char('0' + rng() % 10);
        name += ".jpg";
    }
    struct TRow
    {
        std::vector<std::string> Files;
        int StopAtSize; // 0: 0.1 s into the at-risk check
        int LastElapsed;
    };
    const TRow rows[] = {{std::vector<std::string>(200000, src + "a.bmp"), 5000, 5}, {digitNames, 0, 2}};
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.StopAtSize);
        TBatchProcOptions o;
        o.ProfileFile = src + "p.qmp";
        o.PrefixMode = row.StopAtSize ? 0 : 2;
        o.SuffixMode = row.StopAtSize ? 1 : 2;
        o.SuffixText = "_out";
        const int count = int(row.Files.size());
        auto sizes = std::make_shared<int>(0);
        auto clock = std::make_shared<double>(0);
        Clock::time_point sizesDone;
        const auto job = RunJob(row.Files, o, 4, [&](TBatchProcess& j) {
            j.FileSizeOf = [&, sizes, clock](const std::string&) {
                *clock += 0.001; // a second for each thousand files
                if (++*sizes == row.StopAtSize) j.Terminate();
                if (*sizes == count) sizesDone = Clock::now();
                return int64_t(100);
            };
            // The at-risk check looks at Stop when it reads the clock.
            j.SecondsNow = [&, sizes, clock] {
                if (!row.StopAtSize && *sizes == count && Clock::now() - sizesDone >= std::chrono::milliseconds(100))
                    j.Terminate();
                return *clock;
            };
        });
        const auto ended = Clock::now();
        EXPECT_TRUE(job.Done);
        EXPECT_EQ(*sizes, row.StopAtSize ? row.StopAtSize : count);
        if (!row.StopAtSize) EXPECT_LT(ended - sizesDone, std::chrono::milliseconds(600));
        TBatchProcOptions naming = o;
        naming.ForceJpgExt = true; // as for a source that is no JPEG
        EXPECT_FALSE(fs::exists(MakeBatchFileName(row.Files[0], naming)));
        EXPECT_EQ(TreeContents(src).size(), 2u); // the picture and the profile
        EXPECT_TRUE(job.Log.empty());
        ASSERT_GE(job.Records.size(), 3u);
        int lastElapsed = -1;
        for (const TBatchProcProgress& r : job.Records) {
            EXPECT_EQ(r.FileIndex, 0);
            EXPECT_GE(r.ElapsedSec, lastElapsed);
            lastElapsed = r.ElapsedSec;
        }
        EXPECT_EQ(lastElapsed, row.LastElapsed);
    }
}
