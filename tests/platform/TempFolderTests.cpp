#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

int ModeOf(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// The folder (under TMPDIR, else /tmp) and its files are private; a name is created exclusively (a
// taken name or a planted link is never reused); the folder goes with everything in it.
TEST(TempFolder, IsPrivateCreatesFilesExclusivelyAndIsRemovedWithItsContents)
{
    TTempFolder base;
    EXPECT_THROW(TTempFolder("/nonexistent/base/dir"), EFCreateError);
    const std::string saved = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", base.Path().c_str(), 1);
    std::string path;
    {
        TTempFolder f;
        path = f.Path();
        EXPECT_EQ(path.rfind(base.Path() + "/", 0), 0u);
        EXPECT_EQ(ModeOf(path), 0700);
        ASSERT_TRUE(f.CreateFileExclusive("TWK1.tmp"));
        EXPECT_FALSE(f.CreateFileExclusive("TWK1.tmp"));
        EXPECT_EQ(ModeOf(path + "/TWK1.tmp"), 0600);
        fs::create_symlink("/nonexistent/target", path + "/link.tmp");
        EXPECT_FALSE(f.CreateFileExclusive("link.tmp"));
        for (const char* bad : {"", ".", "..", "a/b"})
            EXPECT_THROW(f.CreateFileExclusive(bad), EFCreateError) << bad;
        fs::create_directory(path + "/sub");
        std::ofstream(path + "/sub/b.tmp") << "x";
    }
    EXPECT_FALSE(fs::exists(path));
    ::setenv("TMPDIR", "/nonexistent/tmpdir", 1);
    EXPECT_EQ(TTempFolder().Path().rfind("/tmp/", 0), 0u);
    saved.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved.c_str(), 1);
}

} // namespace
