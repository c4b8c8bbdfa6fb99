// Compression profile files: layout, keys, defaults and clamps, round trips, and damaged files.
// (Random bytes are the profile fuzzing target's, tests/fuzz/fuzz_profile.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include <unistd.h>

#include "SelectionTestUtil.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "platform/Exceptions.h"
#include "platform/StringList.h"

namespace {
namespace fs = std::filesystem;
using std::tuple;

class ProfileFile : public ::testing::Test
{
protected:
    void SetUp() override { fs::create_directories(Dir); }
    void TearDown() override { fs::remove_all(Dir); }
    std::string Put(const std::string& text, const std::string& name = "test.qmp")
    {
        std::ofstream((Dir / name).string(), std::ios::binary) << text;
        return (Dir / name).string();
    }
    static std::string Get(const std::string& path)
    {
        return std::string(std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {});
    }
    const fs::path Dir = fs::temp_directory_path() / ("qm_profile_" + std::to_string(::getpid()) + "_" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
};
} // namespace

TEST_F(ProfileFile, LayoutAndRoundTripOfEveryGroup)
{
    TJPEGImage a, b;
    SetEverySetting(a);
    AddSelectionArea(a, skRectangle, 1000, 2000, 500000, 600000);
    AddSelectionArea(a, skEllipse, 0, 0, 1000000, 999999);
    AddSelectionPolygon(a, {{10, 20}, {300000, 40}, {500000, 700000}, {0, 999999}});
    const std::string path = Put("", "Everything.qmp");
    WriteProfileFile(a, path);
    TStringList list;
    list.SetText(Get(path));
    EXPECT_GE(list.IndexOf("[ Selective Compression ]"), 0);
    for (auto [key, value] : {std::pair("NumSelUnits", "4"), {"SelUnitEndY3", "999999"}, {"SelUnitNumPoints4", "4"},
                              {"SelUnitPnt3X4", "500000"}, {"SelUnitPnt4Y4", "999999"}, {"ComprRatio", "14500"}})
        EXPECT_EQ(list.Values(key), value) << key;
    EXPECT_EQ(list[list.IndexOfName("Comments") + 1], ""); // an empty line follows the comment

    // The layout, as written for an image at its defaults but for the luma quality and densities.
    std::tie(b.LumQuality, b.XDensity, b.YDensity) = tuple(80, 72, 72);
    WriteProfileFile(b, Put("", "a.qmp"));
    EXPECT_EQ(Get((Dir / "a.qmp").string()),
              "[ Quillmark ]\r\n[ Compression Profile ]\r\n\r\nVersion=3\r\n[ Main ]\r\n\r\nMatchMask=15999\r\n"
              "LumCompressionLevel=21\r\nChromCompressionLevel=51\r\nComprRatio=0\r\n"
              "QualityEqualizerBand1=0\r\nQualityEqualizerBand2=0\r\nQualityEqualizerBand3=0\r\n"
              "QualityEqualizerBand4=0\r\nQualityEqualizerBand5=0\r\nActiveFilter=0\r\nFilterValue=0\r\n"
              "FilterRadius=5\r\nGrayscale=0\r\nProgressiveEncoding=0\r\nPrecision=0\r\nRestartInterval=0\r\n"
              "EqualizerFullControl=0\r\n\r\n[ Resampling ]\r\n\r\nResamplingPurpose=0\r\nResamplingWidth=0\r\n"
              "ResamplingHeight=0\r\nResamplingWUnits=0\r\nResamplingHUnits=0\r\nResamplingMethod=0\r\n"
              "ResamplingFidLevel=0\r\nResolutionHorzDPI=72\r\nResolutionVertDPI=72\r\nNumSelUnits=0\r\n");
    AddSelectionArea(b, skRectangle, 5, 5, 6, 6); // replaced by the file's areas
    ReadProfileFile(b, path);
    TJPEGProfile ra, rb;
    GetSettingsRecord(a, ra);
    GetSettingsRecord(b, rb);
    EXPECT_TRUE(ProfilesMatch(ra, rb) && ProfilesMatch(rb, ra));
    EXPECT_EQ(tuple(b.ProfileName, b.DisplayRatio, b.Comments.Text(), b.XDensity),
              tuple("Everything", 14, "A comment = with an equals sign\r\n", 300)); // Round(14.5) = 14
    ASSERT_EQ(b.SelUnits.Count(), 4);
    const TSelUnit& poly = b.SelUnits.Item<TSelUnit>(3);
    ASSERT_EQ(tuple(poly.Kind, poly.Complete, poly.Points->Count()), tuple(skPolygon, true, 4));
    EXPECT_EQ(tuple(poly.BegX, poly.BegY, poly.EndX, poly.EndY, poly.Points->Item<TSelPoint>(1).X),
              tuple(10, 20, 0, 999999, 300000));
}

TEST_F(ProfileFile, KeysDefaultsClampsAndACommentOfSeveralLines)
{
    // The image before: luma band 1 at 9, selection luma 44 and threshold 22.
    struct TCase { const char* Text; std::function<void(TJPEGImage&)> Check; };
    const TCase cases[] = {
        // Bands and ratio not in the mask; a key missing from the file takes its default.
        {"MatchMask=1\r\nLumCompressionLevel=1\r\nComprRatio=7\r\n", [](TJPEGImage& im) {
             EXPECT_EQ(tuple(im.LumQuality, im.ChromQuality, im.QualityEqualizerBands[0], im.ComprRatio, im.MatchMask),
                       tuple(100, 50, 9, 0.f, 1));
         }},
        {"MatchMask=4\r\nComprRatio=12500\r\n", [](TJPEGImage& im) { EXPECT_FLOAT_EQ(im.ComprRatio, 12.5f); }},
        {"MatchMask=11\r\nFilterRadius=20\r\nLumCompressionLevel=0\r\nChromCompressionLevel=500\r\nActiveFilter=9\r\n"
         "QualityEqualizerBand1=-99\r\nQualityEqualizerBand5=2147483647\r\n",
         [](TJPEGImage& im) {
             EXPECT_EQ(tuple(im.FilterRadius, im.LumQuality, im.ChromQuality, im.ActiveFilter, im.QualityEqualizerBands[0],
                             im.QualityEqualizerBands[4]),
                       tuple(8, 100, 1, 5, -50, 50));
         }},
        {"MatchMask=16384\r\nResolutionHorzDPI=99999\r\nResolutionVertDPI=-5\r\n",
         [](TJPEGImage& im) { EXPECT_EQ(tuple(im.XDensity, im.YDensity), tuple(32000, 0)); }},
        {"MatchMask=8192\r\nResamplingPurpose=7\r\nResamplingWUnits=-1\r\nResamplingMethod=4\r\n", [](TJPEGImage& im) {
             const TResamplingOptions& o = im.ResamplingOptions;
             EXPECT_EQ(tuple(o.Purpose, o.WUnits, o.Method, o.Fidelity), tuple(1, 0, 3, 256));
         }},
        // Selective compression off: only the flag changes.
        {"MatchMask=512\r\nSelLumCompressionLevel=1\r\nSelThreshold=3\r\n",
         [](TJPEGImage& im) { EXPECT_EQ(tuple(im.SelectiveCompression, im.SelLumQuality, im.SelThreshold), tuple(false, 44, 22)); }},
        // A key counts where it first stands, whatever the section and letter case.
        {"[ Main ]\r\nlumcompressionlevel=11\r\nMatchMask=1\r\nLumCompressionLevel=99\r\n",
         [](TJPEGImage& im) { EXPECT_EQ(im.LumQuality, 90); }},
    };
    for (const TCase& c : cases) {
        TJPEGImage im;
        std::tie(im.QualityEqualizerBands[0], im.SelLumQuality, im.SelThreshold) = tuple(9, 44, 22);
        ReadProfileFile(im, Put(c.Text));
        SCOPED_TRACE(c.Text);
        c.Check(im);
    }
    TJPEGImage a, b;
    a.Comments.SetText("first line\r\nMatchMask=0\r\nLumCompressionLevel=100");
    std::tie(a.MatchMask, a.LumQuality) = tuple(mmComments | mmQualities, 80);
    const std::string path = Put("", "c.qmp");
    WriteProfileFile(a, path);
    ReadProfileFile(b, path);
    EXPECT_EQ(tuple(b.Comments.Text(), b.LumQuality, b.MatchMask), tuple("first line\r\n", 80, mmComments | mmQualities));
}

TEST_F(ProfileFile, HostileAreasDamagedFilesAndFailedWrites)
{
    struct TCase { std::string Text; int Areas; int LastEndY; }; // Areas -1: the image's own areas stay
    std::string many = "MatchMask=4096\r\nNumSelUnits=2000\r\n";
    for (int i = 1; i <= 2000; ++i) many += "SelUnitKind" + std::to_string(i) + "=1\r\n";
    const std::string head = "MatchMask=4096\r\nNumSelUnits=";
    const TCase cases[] = {
        {head + "-5\r\nSelUnitKind1=0\r\n", -1, 4},
        // Areas the file does not hold are rectangles at -1 until the 8,193 entries are full.
        {head + "2147483647\r\nSelUnitKind1=0\r\nSelUnitBegX1=5\r\n", 1638, -1},
        {head + "3\r\nSelUnitKind1=1\r\nSelUnitEndY1=7\r\n", 3, -1},
        {head + "1\r\nSelUnitKind1=2\r\nSelUnitNumPoints1=-3\r\n", -1, 4},
        {head + "1\r\nSelUnitKind1=2\r\nSelUnitNumPoints1=2147483647\r\n", -1, 4},
        {head + "2\r\nSelUnitKind1=1\r\nSelUnitEndY1=7\r\nSelUnitKind2=2\r\nSelUnitNumPoints2=5000\r\n", 1, 7},
        {head + "2\r\nSelUnitKind1=7\r\n", -1, 4},
        {many, 1638, -1}, // (8193 - 2) / 5 ellipses fit
    };
    for (const TCase& c : cases) {
        TJPEGImage im;
        AddSelectionArea(im, skRectangle, 1, 2, 3, 4);
        ReadProfileFile(im, Put(c.Text));
        SCOPED_TRACE(c.Text.substr(0, 80));
        ASSERT_EQ(im.SelUnits.Count(), c.Areas < 0 ? 1 : c.Areas);
        EXPECT_EQ(im.SelUnits.Item<TSelUnit>(im.SelUnits.Count() - 1).EndY, c.LastEndY);
    }
    // Damaged files; a write that cannot happen leaves the file it would replace.
    TJPEGImage damaged;
    EXPECT_THROW(ReadProfileFile(damaged, Put("MatchMask=1\r\nLumCompressionLevel=abc\r\n")), EConvertError);
    EXPECT_THROW(ReadProfileFile(damaged, (Dir / "missing.qmp").string()), EFOpenError);
    std::ofstream((Dir / "big.qmp").string(), std::ios::binary) << std::string(ProfileFileMaxSize + 1, 'x');
    EXPECT_THROW(ReadProfileFile(damaged, (Dir / "big.qmp").string()), EReadError);
    // A write that cannot happen leaves the file it would replace.
    const std::string kept = Put("MatchMask=1\r\n", "kept.qmp");
    EXPECT_THROW(WriteProfileFile(damaged, (Dir / "no folder" / "x.qmp").string()), EFCreateError);
    fs::permissions(Dir, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(Dir.c_str(), W_OK) != 0) { // not when running as root
        EXPECT_THROW(WriteProfileFile(damaged, kept), EFCreateError);
    }
    fs::permissions(Dir, fs::perms::owner_all);
    EXPECT_EQ(Get(kept), "MatchMask=1\r\n");
}

TEST_F(ProfileFile, ACommentLineTooLongForTheFileIsRefusedAndNothingApplied)
{
    TJPEGImage image;
    image.LumQuality = 37;
    // MatchMask 257: the comments and the qualities.
    auto profile = [](size_t commentBytes) {
        return "MatchMask=257\r\nComments=" + std::string(commentBytes, 'c') + "\r\nLumCompressionLevel=1\r\n";
    };
    const std::string fits = Put(profile(65533), "fits.qmp");
    ReadProfileFile(image, fits);
    EXPECT_EQ(image.Comments.Text().size(), 65533u + 2);
    EXPECT_EQ(image.LumQuality, 100);

    image.LumQuality = 37;
    const std::string longer = Put(profile(65534), "long.qmp");
    try {
        ReadProfileFile(image, longer);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("65533"), std::string::npos) << e.what();
    }
    EXPECT_EQ(image.LumQuality, 37);
}
