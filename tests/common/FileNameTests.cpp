#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "common/CommLib.h"
#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using TTextFunction = std::string (*)(const std::string&);
using TCases = std::vector<std::pair<const char*, const char*>>;

std::string ReplaceWithJpg(const std::string& path) { return ReplaceFileExt(path, ".jpg"); }
std::string RemoveExt(const std::string& path) { return ReplaceFileExt(path, ""); }

// The text helpers: folder separators, the text before the first dot, names and extensions (a dot in
// a folder stays; an empty result is "TEMP") and URL decoding ("+", "%xx" and "%%"; a "%" with
// fewer than two characters after it is kept as it is).
TEST(FileNames, TextHelpers)
{
    const TCases separators = {{"", ""}, {"/", "/"}, {"a", "a/"}, {"a/", "a/"}};
    const std::pair<TTextFunction, TCases> groups[] = {
        {IncludeBackslash, separators},
        {IncludeRootBackslash, separators},
        {CopyBeforeDot, {{"abc.def.g", "abc"}, {"abc", "abc"}, {".abc", ""}}},
        {ExtractFileNameNoExt, {{"/a.b/photo.bmp", "photo"}, {"/a.b/photo", "photo"}, {"dir/.profile", ""}}},
        {ExtractFileExt, {{"photo.tar.gz", ".gz"}, {"/a.b/photo", ""}, {"name.", "."}}},
        {ReplaceWithJpg, {{"/a.b/photo.bmp", "/a.b/photo.jpg"}, {"/a.jpg/photo", "/a.jpg/photo.jpg"}}},
        {RemoveExt, {{"photo.x.bmp", "photo.x"}, {"", "TEMP"}, {".bmp", "TEMP"}}},
        {UrlDecode, {{"a+b%20c%%", "a b c%"}, {"%41%62%7e", "Ab~"}, {"%%41", "%41"}, {"100%", "100%"},
                     {"x%4", "x%4"}, {"%", "%"}, {"%2B+", "+ "}}},
    };
    for (const auto& [fn, cases] : groups)
        for (const auto& [in, out] : cases) EXPECT_EQ(fn(in), out) << in;
    EXPECT_EQ(UrlDecode("a%00b"), std::string("a\0b", 3));
    for (const char* bad : {"%zz", "ab%4g", "%+1x", "% 1"})
        EXPECT_THROW(UrlDecode(bad), EConvertError) << bad;
}

// GetExactFileName gives the case on disk of the file name only and skips folders; GetLongPathNameStr
// fixes every part that exists, folders too ("" stands for no result).
TEST(FileNames, SchemeAddressesAreTold)
{
    const std::pair<const char*, bool> cases[] = {
        {"https://example.com/p.jpg", true}, {"ftp://h/x", true}, {"svn+ssh://h/x", true}, {"a1.b-c://x", true},
        {"file:///tmp/x.jpg", true}, {"http:/one-slash", false}, {"https:", false}, {"://x", false},
        {"1http://x", false}, {"/tmp/https://x", false}, {"my file://x", false}, {"", false}, {"C:\\x", false},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(IsSchemeAddress(name), expected) << name;
}

TEST(FileNames, NamesOnDiskTakeTheirCaseFromTheDisk)
{
    TTempFolder folder;
    const std::string root = folder.Path();
    fs::create_directories(root + "/Photos/Holiday");
    std::ofstream(root + "/Photos/Holiday/Beach.JPG") << "x";
    fs::create_directory(root + "/Photos/Album.jpg"); // a folder with a file-like name
    const std::pair<TTextFunction, TCases> groups[] = {
        {GetExactFileName,
         {{"/Photos/Holiday/beach.jpg", "/Photos/Holiday/Beach.JPG"},
          {"/photos/holiday/beach.jpg", ""}, // the folder part is used as given
          {"/Photos/Album.jpg", ""},
          {"/Photos/missing.jpg", ""}}},
        {GetLongPathNameStr,
         {{"/photos/HOLIDAY/beach.jpg", "/Photos/Holiday/Beach.JPG"},
          {"/PHOTOS/album.JPG", "/Photos/Album.jpg"},
          {"/photos/missing/BEACH.jpg", "/Photos/missing/BEACH.jpg"}}},
    };
    for (const auto& [fn, cases] : groups)
        for (const auto& [in, out] : cases) EXPECT_EQ(fn(root + in), *out ? root + out : "") << in;
}

// Each name is a new file in the run's private folder, also within one tick of the clock.
TEST(TempFiles, NamesAreNewFilesInThePrivateFolder)
{
    const std::string dir = GetTempDir();
    EXPECT_EQ(dir, RunTempFolder().Path() + "/");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string p = GetTempFileNameStr(), name = p.substr(dir.size());
        EXPECT_TRUE(seen.insert(p).second && fs::is_regular_file(p) && p.compare(0, dir.size(), dir) == 0)
            << p;
        EXPECT_EQ(name.substr(0, 3), "TWK");
        EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 3), name.size() - 4) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
    }
    const std::string eml = GetTempFileWithExt(".eml");
    EXPECT_EQ(eml.substr(eml.size() - 4), ".eml");
    EXPECT_TRUE(fs::is_regular_file(eml));
    EXPECT_THROW(GetTempFileWithExt("/../escape"), EFCreateError);
}

} // namespace
