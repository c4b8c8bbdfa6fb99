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

// The one-argument text helpers: folder separators, the text before the first dot, and URL decoding
// ("+", "%xx" pairs and "%%"; a "%" with fewer than two characters after it is kept as it is).
TEST(FileNames, SeparatorDotAndUrlHelpers)
{
    const std::vector<Case> separators = {{"", ""}, {"/", "/"}, {"a", "a/"}, {"a/", "a/"}, {"/usr", "/usr/"}};
    const std::pair<std::string (*)(const std::string&), std::vector<Case>> groups[] = {
        {IncludeBackslash, separators},
        {IncludeRootBackslash, separators},
        {CopyBeforeDot, {{"abc.def.g", "abc"}, {"abc", "abc"}, {".abc", ""}, {"", ""}, {"a.", "a"}}},
        {UrlDecode, {{"a+b%20c%%", "a b c%"}, {"%41%62%7e", "Ab~"}, {"%%41", "%41"}, {"100%", "100%"},
                     {"x%4", "x%4"}, {"x%%", "x%"}, {"%", "%"}, {"", ""}, {"%2B+", "+ "}}},
    };
    for (const auto& [fn, cases] : groups)
        for (const auto& c : cases) EXPECT_EQ(fn(c.in), c.out) << c.in;
    EXPECT_EQ(UrlDecode("a%00b"), std::string("a\0b", 3));
}

TEST(FileNames, PartsOfAPathAndReplacedExtensions)
{
    // path, folder, name, extension, name without extension
    const char* const parts[][5] = {
        {"/a.b/photo.bmp", "/a.b/", "photo.bmp", ".bmp", "photo"},
        {"/a.b/photo", "/a.b/", "photo", "", "photo"},
        {"photo.tar.gz", "", "photo.tar.gz", ".gz", "photo.tar"},
        {"dir/.profile", "dir/", ".profile", ".profile", ""},
        {"dir/", "dir/", "", "", ""},
        {"name.", "", "name.", ".", "name"},
        {"", "", "", "", ""},
    };
    for (const auto& c : parts) {
        EXPECT_EQ(ExtractFilePath(c[0]), c[1]) << c[0];
        EXPECT_EQ(ExtractFileName(c[0]), c[2]) << c[0];
        EXPECT_EQ(ExtractFileExt(c[0]), c[3]) << c[0];
        EXPECT_EQ(ExtractFileNameNoExt(c[0]), c[4]) << c[0];
    }
    // path, extension, result: only the file name part changes (the dot in "a.b/" stays)
    const char* const replaced[][3] = {
        {"/a.b/photo.bmp", ".jpg", "/a.b/photo.jpg"}, {"/a.b/photo", ".jpg", "/a.b/photo.jpg"},
        {"photo", ".jpg", "photo.jpg"},               {"photo.x.bmp", "", "photo.x"},
        {"", "", "TEMP"},                             {".bmp", "", "TEMP"},
        {"", ".jpg", ".jpg"},                         {"TWK1A2B.tmp", ".eml", "TWK1A2B.eml"},
    };
    for (const auto& c : replaced) EXPECT_EQ(ReplaceFileExt(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST(UrlDecode, NonHexadecimalPairRaisesTheConversionError)
{
    const Case cases[] = {{"%zz", "$zz"}, {"ab%4g", "$4g"}, {"%+1x", "$+1"}, {"% 1", "$ 1"}};
    for (const auto& c : cases) {
        try {
            UrlDecode(c.in);
            ADD_FAILURE() << "no exception for " << c.in;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(c.out) + "' is not a valid integer value");
        }
    }
}

// GetExactFileName gives the case on disk of the file name only and skips folders; GetLongPathNameStr
// fixes every part that exists, folders too. "" stands for no result. Relative names start from the
// current folder.
TEST(FileNames, NamesOnDiskTakeTheirCaseFromTheDisk)
{
    TTempFolder folder;
    const std::string root = folder.Path();
    fs::create_directories(root + "/Photos/Holiday");
    std::ofstream(root + "/Photos/Holiday/Beach.JPG") << "x";
    std::ofstream(root + "/Photos/.Hidden.jpg") << "x";
    fs::create_directory(root + "/Photos/Album.jpg"); // a folder with a file-like name
    const std::pair<std::string (*)(const std::string&), std::vector<Case>> groups[] = {
        {GetExactFileName,
         {{"/Photos/Holiday/Beach.JPG", "/Photos/Holiday/Beach.JPG"},
          {"/Photos/Holiday/beach.jpg", "/Photos/Holiday/Beach.JPG"},
          {"/photos/holiday/beach.jpg", ""}, // the folder part is used as given
          {"/Photos/.hidden.JPG", "/Photos/.Hidden.jpg"},
          {"/Photos/Album.jpg", ""},
          {"/Photos/Holiday/", ""},
          {"/Photos/missing.jpg", ""}}},
        {GetLongPathNameStr,
         {{"/photos/HOLIDAY/beach.jpg", "/Photos/Holiday/Beach.JPG"},
          {"/PHOTOS/album.JPG", "/Photos/Album.jpg"},
          {"/photos/missing/BEACH.jpg", "/Photos/missing/BEACH.jpg"},
          {"/photos/holiday/", "/Photos/Holiday/"},
          {"/Photos//Holiday", "/Photos//Holiday"}}},
    };
    for (const auto& [fn, cases] : groups)
        for (const auto& c : cases) EXPECT_EQ(fn(root + c.in), *c.out ? root + c.out : "") << c.in;
    EXPECT_EQ(GetLongPathNameStr(""), "");
    EXPECT_EQ(GetLongPathNameStr("/"), "/");

    fs::path saved = fs::current_path();
    fs::current_path(root);
    const std::vector<std::string> relative = {GetExactFileName("photos/holiday/beach.jpg"),
                                               GetExactFileName("Photos/Holiday/BEACH.jpg"),
                                               GetLongPathNameStr("photos/holiday/beach.jpg")};
    fs::current_path(saved);
    const std::string beach = "Photos/Holiday/Beach.JPG";
    EXPECT_EQ(relative, (std::vector<std::string>{"", beach, beach}));
}

TEST(TempFiles, NamesAreNewFilesInThePrivateFolder)
{
    std::string dir = GetTempDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(dir, RunTempFolder().Path() + "/");

    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) { // same tick count: each call must still give a new file
        std::string p = GetTempFileNameStr(), name = ExtractFileName(p);
        EXPECT_TRUE(seen.insert(p).second && fs::is_regular_file(p)) << p;
        EXPECT_EQ(ExtractFilePath(p), dir);
        EXPECT_EQ(name.substr(0, 3), "TWK");
        EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 3), name.size() - 4) << name;
        EXPECT_EQ(ExtractFileExt(p), ".tmp");
    }
    for (std::string ext : {".eml", ""}) {
        std::string p = GetTempFileWithExt(ext);
        EXPECT_EQ(ExtractFileExt(p), ext);
        EXPECT_TRUE(fs::is_regular_file(p));
    }
    EXPECT_THROW(GetTempFileWithExt("/../escape"), EFCreateError);
}

} // namespace
