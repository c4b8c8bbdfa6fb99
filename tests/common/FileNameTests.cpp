#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "common/CommLib.h"
#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct Case
{
    const char* in;
    const char* out;
};

TEST(FileNames, SeparatorHelpers)
{
    const Case backslash[] = {{"", ""}, {"/", "/"}, {"a", "a/"}, {"a/", "a/"}, {"/usr/lib", "/usr/lib/"}};
    for (const auto& c : backslash) {
        EXPECT_EQ(IncludeBackslash(c.in), c.out) << c.in;
        EXPECT_EQ(IncludeRootBackslash(c.in), c.out) << c.in;
    }
}

TEST(FileNames, PartsOfAPath)
{
    struct PathCase
    {
        const char* path;
        const char* folder;
        const char* name;
        const char* ext;
        const char* noExt;
    } cases[] = {
        {"/a.b/photo.bmp", "/a.b/", "photo.bmp", ".bmp", "photo"},
        {"/a.b/photo", "/a.b/", "photo", "", "photo"},
        {"photo.tar.gz", "", "photo.tar.gz", ".gz", "photo.tar"},
        {"dir/.profile", "dir/", ".profile", ".profile", ""},
        {"dir/", "dir/", "", "", ""},
        {"name.", "", "name.", ".", "name"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
        EXPECT_EQ(ExtractFileNameNoExt(c.path), c.noExt) << c.path;
    }
}

TEST(FileNames, CopyBeforeDot)
{
    const Case cases[] = {{"abc.def.g", "abc"}, {"abc", "abc"}, {".abc", ""}, {"", ""}, {"a.", "a"}};
    for (const auto& c : cases) EXPECT_EQ(CopyBeforeDot(c.in), c.out) << c.in;
}

TEST(FileNames, ReplaceFileExtTouchesOnlyTheFileNamePart)
{
    struct ExtCase
    {
        const char* path;
        const char* ext;
        const char* out;
    } cases[] = {
        {"/a.b/photo.bmp", ".jpg", "/a.b/photo.jpg"},
        {"/a.b/photo", ".jpg", "/a.b/photo.jpg"}, // the dot in the folder name is untouched
        {"photo", ".jpg", "photo.jpg"},
        {"photo.x.bmp", "", "photo.x"},
        {"", "", "TEMP"},
        {".bmp", "", "TEMP"},
        {"", ".jpg", ".jpg"},
        {"TWK1A2B.tmp", ".eml", "TWK1A2B.eml"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceFileExt(c.path, c.ext), c.out) << c.path << " " << c.ext;
}

TEST(UrlDecode, DecodesPlusPercentPairsAndDoublePercent)
{
    const Case cases[] = {
        {"a+b%20c%%", "a b c%"},
        {"%41%62%7e", "Ab~"},
        {"%%41", "%41"},        // "%%" is taken first
        {"100%", "100%"},       // a trailing "%" is kept
        {"x%4", "x%4"},         // one character after "%": kept as it is
        {"x%%", "x%"},
        {"%", "%"},
        {"", ""},
        {"%2B+", "+ "},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << c.in;
    EXPECT_EQ(UrlDecode("a%00b"), std::string("a\0b", 3));
}

TEST(UrlDecode, NonHexadecimalPairRaisesTheConversionError)
{
    const Case cases[] = {{"%zz", "'$zz' is not a valid integer value"},
                          {"ab%4g", "'$4g' is not a valid integer value"},
                          {"%+1x", "'$+1' is not a valid integer value"},
                          {"% 1", "'$ 1' is not a valid integer value"}};
    for (const auto& c : cases) {
        try {
            UrlDecode(c.in);
            ADD_FAILURE() << "no exception for " << c.in;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.out);
        }
    }
}

TEST(UrlCache, EveryAddressIsACacheMiss) { EXPECT_EQ(GetUrlCacheFileName("http://example.org/a.jpg"), ""); }

class OnDiskNames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = folder.Path();
        fs::create_directories(root + "/Photos/Holiday");
        std::ofstream(root + "/Photos/Holiday/Beach.JPG") << "x";
        std::ofstream(root + "/Photos/.Hidden.jpg") << "x";
        fs::create_directory(root + "/Photos/Album.jpg"); // a folder with a file-like name
    }
    TTempFolder folder;
    std::string root;
};

TEST_F(OnDiskNames, GetExactFileNameGivesTheCaseOnDiskAndSkipsFolders)
{
    const Case cases[] = {
        {"/Photos/Holiday/Beach.JPG", "/Photos/Holiday/Beach.JPG"},
        {"/Photos/Holiday/beach.jpg", "/Photos/Holiday/Beach.JPG"},
        {"/photos/holiday/beach.jpg", ""}, // the folder part is used as given
        {"/Photos/.hidden.JPG", "/Photos/.Hidden.jpg"},
        {"/Photos/Album.jpg", ""},
        {"/Photos/Holiday/", ""},
        {"/Photos/missing.jpg", ""},
    };
    for (const auto& c : cases) {
        std::string expected = *c.out ? root + c.out : "";
        EXPECT_EQ(GetExactFileName(root + c.in), expected) << c.in;
    }
}

TEST_F(OnDiskNames, GetLongPathNameStrFixesEveryPartThatExists)
{
    const Case cases[] = {
        {"/photos/HOLIDAY/beach.jpg", "/Photos/Holiday/Beach.JPG"},
        {"/PHOTOS/album.JPG", "/Photos/Album.jpg"}, // folders count here
        {"/photos/missing/BEACH.jpg", "/Photos/missing/BEACH.jpg"},
        {"/photos/holiday/", "/Photos/Holiday/"},
        {"/Photos//Holiday", "/Photos//Holiday"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetLongPathNameStr(root + c.in), root + c.out) << c.in;
    EXPECT_EQ(GetLongPathNameStr(""), "");
    EXPECT_EQ(GetLongPathNameStr("/"), "/");
}

TEST_F(OnDiskNames, RelativePathsAreLookedUpFromTheCurrentFolder)
{
    fs::path saved = fs::current_path();
    fs::current_path(root);
    std::string exact = GetExactFileName("photos/holiday/beach.jpg");
    std::string exact2 = GetExactFileName("Photos/Holiday/BEACH.jpg");
    std::string longName = GetLongPathNameStr("photos/holiday/beach.jpg");
    fs::current_path(saved);
    EXPECT_EQ(exact, "");
    EXPECT_EQ(exact2, "Photos/Holiday/Beach.JPG");
    EXPECT_EQ(longName, "Photos/Holiday/Beach.JPG");
}

TEST(TempFiles, NamesAreNewFilesInThePrivateFolder)
{
    std::string dir = GetTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir, RunTempFolder().Path() + "/");

    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) { // same tick count: each call must still give a new file
        std::string p = GetTempFileNameStr();
        EXPECT_TRUE(seen.insert(p).second) << p;
        EXPECT_EQ(ExtractFilePath(p), dir);
        std::string name = ExtractFileName(p);
        EXPECT_EQ(name.substr(0, 3), "TWK");
        EXPECT_EQ(ExtractFileExt(p), ".tmp");
        EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 3), name.size() - 4) << name;
        EXPECT_TRUE(fs::is_regular_file(p));
    }
    std::string eml = GetTempFileWithExt(".eml");
    EXPECT_EQ(ExtractFileExt(eml), ".eml");
    EXPECT_TRUE(fs::exists(eml));
    std::string bare = GetTempFileWithExt("");
    EXPECT_EQ(ExtractFileExt(bare), "");
    EXPECT_TRUE(fs::exists(bare));
    EXPECT_THROW(GetTempFileWithExt("/../escape"), EFCreateError);
}

} // namespace
