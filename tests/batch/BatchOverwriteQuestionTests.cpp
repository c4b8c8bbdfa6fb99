#include <gtest/gtest.h>

#include <filesystem>

#include "batch/BatchFileOrder.h"
#include "common/BatchProcOptions.h"
#include "platform/TempFolder.h"

// The options dialog asks before results are written where their sources stand: the same folder on
// disk and the same name up to its first dot. A dot in a folder name is no reason to ask.
TEST(BatchNamesIdentical, SameFolderOnDiskAndSameNameBeforeTheFirstDot)
{
    TTempFolder scratch;
    const std::string root = scratch.Path();
    const auto at = [&root](const char* rel) { return std::filesystem::path(root) / rel; };
    for (const char* d : {"j.doe", "j.dot", "pics", "pics/sub"}) std::filesystem::create_directories(at(d));
    std::filesystem::create_directory_symlink(at("pics"), at("link"));
    struct TCase
    {
        const char* Name;
        const char* First;      // under the scratch folder
        const char* DestFolder; // under the scratch folder; "" for the source's own
        void (*Change)(TBatchProcOptions&);
        bool Identical;
    };
    const auto none = [](TBatchProcOptions&) {};
    const TCase cases[] = {
        {"own folder, jpg", "pics/a.jpg", "", none, true},
        {"own folder, bmp gives jpg", "pics/a.bmp", "", none, true},
        {"own folder, a second dot", "pics/a.b.jpg", "", none, true},
        {"dotted folder, its own", "j.doe/a.bmp", "", none, true},
        {"one dotted folder to another", "j.doe/a.bmp", "j.dot/", none, false},
        {"a sub-folder", "pics/a.jpg", "pics/sub/", none, false},
        {"the same folder through ..", "pics/a.jpg", "pics/sub/../", none, true},
        {"the same folder through a link", "pics/a.jpg", "link/", none, true},
        {"a textual prefix", "pics/a.jpg", "", [](TBatchProcOptions& o) { o.PrefixMode = 1; o.PrefixText = std::string("s_"); }, false},
        {"a suffix after a dot", "pics/a.jpg", "", [](TBatchProcOptions& o) { o.SuffixMode = 1; o.SuffixText = std::string(".s"); }, true},
        {"letter case counts", "pics/A.jpg", "", [](TBatchProcOptions& o) { o.KeepOriginalName = false; o.PrefixMode = 1; o.PrefixText = std::string("a"); }, false},
    };
    for (const TCase& c : cases) {
        TBatchProcOptions o;
        if (*c.DestFolder) o.DestFolder = at(c.DestFolder).string();
        c.Change(o);
        EXPECT_EQ(BatchNamesIdentical(at(c.First).string(), o), c.Identical) << c.Name;
    }
}
