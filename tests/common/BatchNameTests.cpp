#include <gtest/gtest.h>

#include "common/BatchProcOptions.h"
#include "common/CommLib.h"

namespace {

TBatchProcOptions NumeralPrefixTextSuffix()
{
    TBatchProcOptions o;
    o.PrefixMode = 2;
    o.PrefixN = 7;
    o.LeadingZeros = true;
    o.Digits = 4;
    o.SuffixMode = 1;
    o.SuffixText = "_s";
    return o;
}

} // namespace

// Output names: folder, prefix, kept name, suffix and extension, with the counters as they stand.
TEST(BatchNames, OutputNameTable)
{
    struct TCase
    {
        const char* Source;
        void (*Change)(TBatchProcOptions&);
        const char* Expected;
    };
    const TCase cases[] = {
        {"/pics/a.bmp", [](TBatchProcOptions&) {}, "/pics/0007a_s.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.ForceJpgExt = true; }, "/pics/0007a_s.jpg"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.PrefixN = 123456; }, "/pics/123456a_s.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.LeadingZeros = false; }, "/pics/7a_s.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.Digits = 8; o.SuffixMode = 2; o.SuffixN = 0; },
         "/pics/00000007a00000000.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.KeepOriginalName = false; o.PrefixMode = 0; o.SuffixMode = 0; },
         "/pics/.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.PrefixMode = 3; o.SuffixMode = 5; }, "/pics/a.bmp"},
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.PrefixMode = 1; o.PrefixText = "x."; }, "/pics/x.a_s.bmp"},
        // The destination folder is used as it stands.
        {"/pics/a.bmp", [](TBatchProcOptions& o) { o.DestFolder = "/out/"; }, "/out/0007a_s.bmp"},
        // No extension: ".jpg"; a dot in a folder is no extension.
        {"/j.doe/photo", [](TBatchProcOptions&) {}, "/j.doe/0007photo_s.jpg"},
        {"/j.doe/photo.x.tif", [](TBatchProcOptions& o) { o.ForceJpgExt = true; }, "/j.doe/0007photo.x_s.jpg"},
        {"/pics/a.jpeg", [](TBatchProcOptions& o) { o.PrefixMode = 0; o.SuffixMode = 0; }, "/pics/a.jpeg"},
    };
    for (const TCase& c : cases) {
        TBatchProcOptions o = NumeralPrefixTextSuffix();
        c.Change(o);
        EXPECT_EQ(MakeBatchFileName(c.Source, o), c.Expected) << c.Source << " -> " << c.Expected;
    }
}

TEST(BatchNames, DurationTexts)
{
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0 sec"}, {59, "59 sec"}, {60, "1 min 0 sec"}, {61, "1 min 1 sec"}, {3725, "62 min 5 sec"},
        {int64_t(3) << 32, "214748364 min 48 sec"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatDuration(seconds), text) << seconds;
}
