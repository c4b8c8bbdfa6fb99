#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/Exceptions.h"
#include "platform/ReplaceFile.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

size_t EntriesIn(const std::string& dir) { return size_t(std::distance(fs::directory_iterator(dir), {})); }

TEST(SaveFileReplacing, ReplacesTheFileKeepingItsModeAndTakesTheGivenDate)
{
    TTempFolder dir;
    const std::string target = dir.Path() + "/out.jpg";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct
    {
        const char* Case;
        bool Existing;
        std::optional<time_t> Modified;
    } const cases[] = {
        {"new file", false, std::nullopt},
        {"replaced file", true, std::nullopt},
        {"replaced file with a date", true, time_t(981201600)},
    };
    for (const auto& c : cases) {
        fs::remove(target);
        if (c.Existing) {
            std::ofstream(target) << "old contents";
            ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
        }
        const std::string data = std::string("new ") + c.Case;
        SaveFileReplacing(target, data.data(), data.size(), c.Modified);
        EXPECT_EQ(ReadWhole(target), data) << c.Case;
        EXPECT_EQ(EntriesIn(dir.Path()), 1u) << c.Case; // no temporary file left
        struct stat st{};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        // a new file gets the usual mode, not the temporary file's
        EXPECT_EQ(st.st_mode & 07777, c.Existing ? 0640u : 0666u & ~unsigned(mask)) << c.Case;
        if (c.Modified) {
            EXPECT_EQ(st.st_mtime, *c.Modified) << c.Case;
        } else {
            EXPECT_GT(st.st_mtime, 981201600 + 1000000) << c.Case;
        }
    }
}

TEST(SaveFileReplacing, AFailureLeavesTheOldFileAndNoLeftovers)
{
    TTempFolder dir;
    const std::string target = dir.Path() + "/keep.jpg";
    std::ofstream(target) << "precious";
    const std::string big(4096, 'x');

    // Files may not grow beyond 16 bytes: the write fails part-way, whoever runs the test.
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
    EXPECT_EQ(ReadWhole(target), "precious");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);

    EXPECT_THROW(SaveFileReplacing(dir.Path() + "/no/such/x.jpg", big.data(), big.size()), EFCreateError);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

} // namespace
