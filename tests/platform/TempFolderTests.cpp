#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// The folder and its files are private; a name is created exclusively (a taken name or a planted
// link is never reused); the folder goes with everything in it.
TEST(TempFolder, IsPrivateCreatesFilesExclusivelyAndIsRemovedWithItsContents)
{
    TTempFolder base; // a scratch base for the folder under test
    std::string path;
    {
        TTempFolder f(base.Path());
        path = f.Path();
        EXPECT_EQ(path.rfind(base.Path() + "/", 0), 0u);
        EXPECT_NE(path.back(), '/');
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);

        ASSERT_TRUE(f.CreateFileExclusive("TWK1.tmp"));
        EXPECT_FALSE(f.CreateFileExclusive("TWK1.tmp"));
        ASSERT_EQ(::stat((path + "/TWK1.tmp").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
        fs::create_symlink("/nonexistent/target", path + "/link.tmp");
        EXPECT_FALSE(f.CreateFileExclusive("link.tmp"));
        for (const char* bad : {"", ".", "..", "a/b", "../escape"})
            EXPECT_THROW(f.CreateFileExclusive(bad), EFCreateError) << bad;

        fs::create_directory(path + "/sub");
        std::ofstream(path + "/sub/b.tmp") << "x";
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(TempFolder, UsesTmpdirAndReportsAnUnusableBase)
{
    EXPECT_THROW(TTempFolder("/nonexistent/base/dir"), EFCreateError);
    TTempFolder base;
    const char* saved = std::getenv("TMPDIR");
    std::string savedValue = saved ? saved : "";
    ::setenv("TMPDIR", base.Path().c_str(), 1);
    EXPECT_EQ(TTempFolder().Path().rfind(base.Path() + "/", 0), 0u);
    ::setenv("TMPDIR", "/nonexistent/tmpdir", 1);
    EXPECT_EQ(TTempFolder().Path().rfind("/tmp/", 0), 0u); // falls back to /tmp
    if (saved)
        ::setenv("TMPDIR", savedValue.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

} // namespace
