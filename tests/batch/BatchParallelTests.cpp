#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <random>

#include "BatchTestKit.h"

namespace {

struct TJobPlan
{
    std::vector<std::string> Files; // relative to the tree's root
    TBatchProcOptions Options;      // folders relative to the root
};

// Builds the same tree of sources under root every time.
void MakeTree(const std::string& root)
{
    for (const char* d : {"S1", "S2", "D", "D2"}) fs::create_directories(root + "/" + d);
    SaveBmpToFile(TestPicture(40, 30, 1), root + "/S1/p.bmp");
    SaveBmpToFile(TestPicture(40, 30, 2), root + "/S2/p.bmp");
    SaveBmpToFile(TestPicture(48, 32, 3), root + "/S1/q.bmp");
    WriteJpeg(root + "/D/q.jpg", TestPicture(48, 32, 4)); // replaced by the job before it is read
    for (int i = 0; i < 6; ++i) SaveBmpToFile(TestPicture(90 + i * 7, 60 + i * 5, 10 + i), root + "/S1/f" + std::to_string(i) + ".bmp");
    std::ofstream(root + "/S1/bad.bmp") << "no picture here";
    WriteJpeg(root + "/S1/n2.jpg", TestPicture(50, 40, 20));
    WriteProfile(root + "/plain.qmp", 65, 0, 75);
    WriteProfile(root + "/ratio.qmp", 50, 12.0f);
}

TBatchProcOptions Rooted(TBatchProcOptions o, const std::string& root)
{
    if (!o.DestFolder.empty()) o.DestFolder = root + "/" + o.DestFolder;
    o.ProfileFile = root + "/" + o.ProfileFile;
    return o;
}

std::string Unrooted(std::string text, const std::string& root)
{
    for (size_t at; (at = text.find(root)) != std::string::npos;) text.replace(at, root.size(), "<root>");
    return text;
}

std::vector<TJobPlan> Plans()
{
    TJobPlan sameNames; // two sources to one name, and a source that an earlier file writes
    sameNames.Files = {"S1/p.bmp", "S1/f0.bmp", "S2/p.bmp", "S1/q.bmp", "D/q.jpg", "S1/f1.bmp", "S1/f2.bmp", "S1/f3.bmp"};
    sameNames.Options.DestFolder = "D/";
    sameNames.Options.ProfileFile = "plain.qmp";

    TJobPlan numbers; // numbers around failed loads
    numbers.Files = {"S1/f0.bmp", "S1/bad.bmp", "S1/f1.bmp", "S1/missing.bmp", "S1/n2.jpg", "S1/f4.bmp", "S1/f5.bmp"};
    numbers.Options.DestFolder = "D2/";
    numbers.Options.ProfileFile = "plain.qmp";
    numbers.Options.PrefixMode = 2;
    numbers.Options.PrefixN = 5;
    numbers.Options.LeadingZeros = true;
    numbers.Options.Digits = 3;
    numbers.Options.SuffixMode = 1;
    numbers.Options.SuffixText = "_n";

    TJobPlan ratio; // a target ratio: each search starts from the file before
    ratio.Files = {"S1/f0.bmp", "S1/f1.bmp", "S1/f2.bmp", "S1/f3.bmp"};
    ratio.Options.DestFolder = "D2/";
    ratio.Options.ProfileFile = "ratio.qmp";
    return {sameNames, numbers, ratio};
}

} // namespace

// Several files at once give the bytes, names, log and counters of one file at a time.
TEST(BatchParallel, EqualsSerialByteForByte)
{
    int planIndex = 0;
    for (const TJobPlan& plan : Plans()) {
        TTempFolder serialRoot, parallelRoot;
        std::vector<TJobOutcome> outcomes;
        for (const TTempFolder* root : {&serialRoot, &parallelRoot}) {
            MakeTree(root->Path());
            std::vector<std::string> files;
            for (const std::string& f : plan.Files) files.push_back(root->Path() + "/" + f);
            outcomes.push_back(RunJob(files, Rooted(plan.Options, root->Path()), root == &serialRoot ? 1 : 4));
            for (std::string& line : outcomes.back().Log) line = Unrooted(line, root->Path());
        }
        SCOPED_TRACE(planIndex++);
        EXPECT_EQ(outcomes[0].ParallelFiles, 1);
        EXPECT_EQ(outcomes[1].ParallelFiles, planIndex == 3 ? 1 : 4); // the ratio profile runs alone
        EXPECT_EQ(outcomes[0].Log, outcomes[1].Log);
        EXPECT_EQ(outcomes[0].Options.PrefixN, outcomes[1].Options.PrefixN);
        const auto serialTree = TreeContents(serialRoot.Path()), parallelTree = TreeContents(parallelRoot.Path());
        EXPECT_EQ(serialTree.size(), parallelTree.size());
        for (const auto& [name, bytes] : serialTree) {
            auto it = parallelTree.find(name);
            ASSERT_NE(it, parallelTree.end()) << name;
            EXPECT_TRUE(it->second == bytes) << name;
        }
    }
}

// What one file at a time gives for shared output names, worked out by hand.
TEST(BatchParallel, SerialOutcomeOfThePlans)
{
    TTempFolder root;
    MakeTree(root.Path());
    const std::string r = root.Path();
    const auto original = ReadBytes(r + "/D/q.jpg");
    const auto plans = Plans();
    std::vector<std::string> files;
    for (const std::string& f : plans[0].Files) files.push_back(r + "/" + f);
    const auto job = RunJob(files, Rooted(plans[0].Options, r), 4);
    EXPECT_EQ(job.ErrorCount, 0);
    // The later of two sources with one output name wins: S2's picture, 40 x 30 at 75 %.
    EXPECT_EQ(DecodedSize(r + "/D/p.jpg"), std::make_pair(30, 22));
    // D/q.jpg was read after S1/q.bmp had replaced it (48 x 32 -> 36 x 24), then made smaller again.
    EXPECT_EQ(DecodedSize(r + "/D/q.jpg"), std::make_pair(27, 18));
    EXPECT_NE(ReadBytes(r + "/D/q.jpg"), original);
}

// A stop at any moment: nothing more is written, what was written decodes, no temporary file stays.
TEST(BatchParallel, RandomStopsLeaveWholeOutputs)
{
    std::mt19937 rng(19);
    for (int round = 0; round < 6; ++round) {
        TTempFolder root;
        const std::string r = root.Path();
        fs::create_directories(r + "/out");
        std::vector<std::string> files;
        for (int i = 0; i < 12; ++i) { // bitmaps and JPEGs, so a stop may come while a picture decodes
            files.push_back(r + "/s" + std::to_string(i) + (i % 2 ? ".jpg" : ".bmp"));
            if (i % 2)
                WriteJpeg(files.back(), TestPicture(300 + 10 * i, 200, i));
            else
                SaveBmpToFile(TestPicture(300 + 10 * i, 200, i), files.back());
        }
        WriteProfile(r + "/p.qmp", 60, 0, 80);
        TBatchProcOptions o;
        o.DestFolder = r + "/out/";
        o.ProfileFile = r + "/p.qmp";
        const int stopAfter = int(rng() % 40);
        int updates = 0;
        const auto job = RunJob(files, o, 4, {}, [&](TBatchProcess& j) {
            if (++updates == stopAfter) j.Terminate();
        });
        SCOPED_TRACE(stopAfter);
        EXPECT_TRUE(job.Done);
        EXPECT_EQ(job.ErrorCount, 0);
        int written = 0;
        for (const auto& entry : fs::directory_iterator(r + "/out")) {
            ++written;
            EXPECT_GT(DecodedSize(entry.path().string()).first, 0) << entry.path();
        }
        // Outputs are written in list order: the ones there are the first ones.
        for (int i = 0; i < written; ++i) EXPECT_TRUE(fs::exists(r + "/out/s" + std::to_string(i) + ".jpg")) << i;
        EXPECT_TRUE(TempLeftovers(r).empty());
    }
}

// A writer held up by its window does not let finished files pile up: the helpers stay a few files
// ahead of it, whatever the length of the list.
TEST(BatchParallel, FinishedFilesWaitingForTheWriterStayFew)
{
    TTempFolder root;
    const std::string r = root.Path();
    fs::create_directories(r + "/out");
    std::vector<std::string> files;
    for (int i = 0; i < 60; ++i) {
        files.push_back(r + "/s" + std::to_string(i) + ".bmp");
        SaveBmpToFile(TestPicture(24, 16, i), files.back());
    }
    WriteProfile(r + "/p.qmp", 60);
    TBatchProcOptions o;
    o.DestFolder = r + "/out/";
    o.ProfileFile = r + "/p.qmp";
    int peak = 0;
    const auto job = RunJob(files, o, 4, {}, [&peak](TBatchProcess& j) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5)); // a slow window
        peak = j.PeakFilesAwaitingWrite();
    });
    EXPECT_EQ(job.ErrorCount, 0);
    EXPECT_GE(peak, 1);
    EXPECT_LE(peak, 8); // two files for each helper
    EXPECT_EQ(TreeContents(r + "/out").size(), 60u);
}

// Two helpers may both read a file's memory, and the reads may differ (a source replaced between
// them): the file counts with the value it was claimed with until it is written, so the memory in
// flight comes back to nothing and a file larger than the whole budget still runs after the rest.
TEST(BatchParallel, AFileCountsTheMemoryItWasClaimedWith)
{
    TTempFolder root;
    const std::string r = root.Path();
    fs::create_directories(r + "/out");
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(r + "/s" + std::to_string(i) + ".bmp");
        SaveBmpToFile(TestPicture(i == 1 ? 600 : 24, i == 1 ? 400 : 16, i), files.back());
    }
    WriteProfile(r + "/p.qmp", 60);
    TBatchProcOptions o;
    o.DestFolder = r + "/out/";
    o.ProfileFile = r + "/p.qmp";
    std::mutex m;
    std::condition_variable cv;
    int reads = 0;          // of s1's memory
    bool nextAsked = false; // s2's memory: s1 has been claimed
    const auto job = RunJob(
        files, o, 4,
        [&](TBatchProcess& j) {
            j.MemoryBudget = 1000;
            j.FileMemoryOf = [&](const std::string& name, int64_t) -> int64_t {
                std::unique_lock lock(m);
                if (name.ends_with("s4.bmp")) return 5000; // over the budget on its own
                if (name.ends_with("s2.bmp")) nextAsked = true;
                cv.notify_all();
                if (!name.ends_with("s1.bmp")) return 100;
                // The first read is used at once; a later one comes back once s1 has been claimed
                // (and before it is written: s1 is the larger picture).
                const bool first = ++reads == 1;
                cv.wait_for(lock, std::chrono::seconds(2), [&] { return first ? reads >= 2 : nextAsked; });
                return first ? 600 : 10;
            };
        },
        {}, 20);
    EXPECT_GE(reads, 2);
    EXPECT_FALSE(job.TimedOut);
    EXPECT_EQ(job.ErrorCount, 0);
    EXPECT_EQ(TreeContents(r + "/out").size(), 6u);
}
