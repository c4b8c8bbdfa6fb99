#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"
#include "platform/ReplaceFile.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {
using bmptest::Bytes, bmptest::ReadFileBytes;

size_t EntriesIn(const std::string& dir) { return size_t(std::distance(fs::directory_iterator(dir), {})); }

// A new file gets the usual mode (not the temporary file's), a replaced one keeps its own; the date
// is the given one; no temporary file is left.
TEST(SaveFileReplacing, ReplacesTheFileKeepingItsModeAndTakesTheGivenDate)
{
    TTempFolder dir;
    const std::string target = dir.Path() + "/out.jpg";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (bool existing : {false, true}) {
        ASSERT_EQ(existing ? ::chmod(target.c_str(), 0640) : 0, 0);
        const std::string data = existing ? "replaced" : "new";
        SaveFileReplacing(target, data.data(), data.size(),
                          existing ? std::optional<time_t>(981201600) : std::nullopt);
        struct stat st{};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(ReadFileBytes(target), Bytes(data.begin(), data.end()));
        EXPECT_EQ(EntriesIn(dir.Path()), 1u);
        EXPECT_EQ(st.st_mode & 07777, existing ? 0640u : 0666u & ~unsigned(mask));
        EXPECT_EQ(st.st_mtime == 981201600, existing);
    }
}

// Files may not grow beyond 16 bytes: the write fails part-way, whoever runs the test, and the old
// file stays with nothing left beside it.
TEST(SaveFileReplacing, AFailureLeavesTheOldFileAndNoLeftovers)
{
    TTempFolder dir;
    const std::string target = dir.Path() + "/keep.jpg", big(4096, 'x'), precious = "precious";
    std::ofstream(target) << precious;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        SaveFileReplacing(target, big.data(), big.size());
    } catch (const EWriteError&) {
        raised = true;
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFileBytes(target), Bytes(precious.begin(), precious.end()));
    EXPECT_THROW(SaveFileReplacing(dir.Path() + "/no/such/x.jpg", big.data(), big.size()), EFCreateError);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

} // namespace
