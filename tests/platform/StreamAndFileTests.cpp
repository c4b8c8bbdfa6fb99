// Memory and file streams, the private temporary folder and saving by replacing a file.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <thread>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BmpTestFiles.h"
#include "platform/Exceptions.h"
#include "platform/FileKind.h"
#include "platform/ReplaceFile.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"

namespace fs = std::filesystem;

namespace {
using bmptest::Bytes, bmptest::ReadFileBytes;

size_t EntriesIn(const std::string& dir) { return size_t(std::distance(fs::directory_iterator(dir), {})); }

int ModeOf(const std::string& path)
{
    struct stat st{};
    return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Reads stop at the end; a seek past it reads nothing and does not grow the stream, a write there
// fills the gap with zeros; offsets at the ends of the range saturate instead of overflowing.
TEST(MemoryStream, ReadsStopAtTheEndAndWritesPastItFillTheGapWithoutOverflow)
{
    TMemoryStream m(Bytes{1, 2, 3, 4, 5});
    uint8_t buf[8] = {};
    m.SetPosition(3);
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(buf[1], 5);
    m.SetPosition(3);
    EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
    EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
    EXPECT_EQ(m.Seek(3, TSeekOrigin::soEnd), 8);
    EXPECT_EQ(m.Read(buf, 1), 0);
    EXPECT_EQ(m.Size(), 5);
    const uint8_t seven = 7;
    m.WriteBuffer(&seven, 1);
    EXPECT_EQ(m.Data(), (Bytes{1, 2, 3, 4, 5, 0, 0, 0, 7}));
    EXPECT_EQ(m.Seek(INT64_MAX, TSeekOrigin::soCurrent), INT64_MAX);
    EXPECT_EQ(m.Read(buf, 1), 0);
    EXPECT_THROW(m.WriteBuffer(&seven, 1), EWriteError);
    EXPECT_EQ(m.Seek(INT64_MIN, TSeekOrigin::soEnd), 0);
    EXPECT_EQ(m.Size(), 9);

    TMemoryStream whole, part; // a count of 0 copies the whole source, a negative one is refused
    EXPECT_EQ(whole.CopyFrom(m, 0), 9);
    EXPECT_EQ(whole.Data(), m.Data());
    m.SetPosition(1);
    EXPECT_EQ(part.CopyFrom(m, 3), 3);
    EXPECT_EQ(part.Data(), (Bytes{2, 3, 4}));
    m.SetPosition(7);
    EXPECT_THROW(part.CopyFrom(m, 3), EReadError);
    EXPECT_THROW(part.CopyFrom(m, -1), EReadError);
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

// Files may not grow beyond 16 bytes: the write fails part-way, whoever runs the test, with the
// system's reason, and the old file stays with nothing left beside it.
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
    } catch (const EWriteError& e) {
        raised = true;
        EXPECT_NE(std::string(e.what()).find(std::strerror(EFBIG)), std::string::npos) << e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFileBytes(target), Bytes(precious.begin(), precious.end()));
    EXPECT_THROW(SaveFileReplacing(dir.Path() + "/no/such/x.jpg", big.data(), big.size()), EFCreateError);
    // A pipe (as a device would be) under the name is refused, not swapped for a regular file.
    const std::string pipe = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_THROW(SaveFileReplacing(pipe, big.data(), big.size()), EFCreateError);
    struct stat st{};
    EXPECT_TRUE(::stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(FileStream, RoundTripShortReadsAndFailuresRaiseTheirOwnErrors)
{
    TTempFolder folder;
    const std::string p = folder.Path() + "/a.bin", missing = folder.Path() + "/missing.bin";
    TFileStream(p, fmCreate).WriteBuffer("12345678", 8);
    TFileStream(p, fmCreate | 0x0010u).WriteBuffer("hello", 5); // create with a share flag still truncates
    TFileStream f(p, fmOpenRead);
    char buf[8] = {};
    f.SetPosition(2);
    EXPECT_THROW(f.ReadBuffer(buf, 4), EReadError);
    EXPECT_EQ(f.Seek(10, TSeekOrigin::soBeginning), 10);
    EXPECT_EQ(f.Read(buf, 1), 0);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
    TMemoryStream back;
    back.LoadFromFile(p);
    EXPECT_EQ(back.Data(), (Bytes{'h', 'e', 'l', 'l', 'o'}));

    EXPECT_THROW(TFileStream(folder.Path(), fmOpenRead), EFOpenError); // a folder is not a file
    EXPECT_THROW(TFileStream(folder.Path() + "/no/such/dir.bin", fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EFOpenError);
}

// Each kind of name is told apart (links followed) and only a regular file is opened: a pipe
// without a writer would hold the open for good, a device might never end. The others are neither
// read nor written into.
TEST(FileKind, OnlyRegularFilesOpen)
{
    TTempFolder dir;
    const std::string file = dir.Path() + "/a.bin", pipe = dir.Path() + "/pipe", link = dir.Path() + "/link";
    TFileStream(file, fmCreate).WriteBuffer("abc", 3);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(pipe.c_str(), link.c_str()), 0);
    const std::tuple<std::string, TFileKind, std::string> cases[] = {
        {file, TFileKind::Regular, ""},
        {dir.Path() + "/missing", TFileKind::Missing, ""},
        {dir.Path(), TFileKind::Folder, "It is a folder, not a regular file."},
        {pipe, TFileKind::NamedPipe, "It is a named pipe, not a regular file."},
        {link, TFileKind::NamedPipe, "It is a named pipe, not a regular file."},
        {"/dev/null", TFileKind::Device, "It is a device, not a regular file."},
    };
    for (const auto& [name, kind, refusal] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FileKindOf(name), kind);
        std::string message = "stale";
        const int fd = OpenRegularFile(name, O_RDONLY, message);
        EXPECT_EQ(fd >= 0, kind == TFileKind::Regular);
        EXPECT_EQ(message, refusal.empty() ? "" : "Cannot open file \"" + name + "\". " + refusal);
        if (fd >= 0) ::close(fd);
        if (refusal.empty()) continue;
        EXPECT_THROW(TFileStream(name, fmOpenRead), EFOpenError);
        EXPECT_THROW(TFileStream(name, fmCreate), EFCreateError);
        EXPECT_EQ(NotRegularTargetMessage(name),
                  "Cannot create file \"" + name + "\". It is not a regular file.");
    }
    EXPECT_EQ(FileKindOf(pipe), TFileKind::NamedPipe); // still the pipe
}

// A pipe put under the name between the check of the name and the open is refused all the same:
// what is written is always a regular file (a pipe has no size), and no attempt waits.
TEST(FileStream, APipeSwappedInUnderANameBeingCreatedIsRefused)
{
    TTempFolder dir;
    const std::string target = dir.Path() + "/out.jpg", pipe = dir.Path() + "/pipe";
    std::ofstream(target) << "old";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> stop{false};
    std::thread swapper([&] { // the two names trade places, each time at once
        while (!stop)
            ASSERT_EQ(::renameat2(AT_FDCWD, pipe.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE), 0);
    });
    int regular = 0, notRegular = 0, refused = 0;
    const std::string refusal = "Cannot create file \"" + target + "\". It is not a regular file.";
    for (int i = 0; i < 3000; ++i) {
        try {
            TFileStream out(target, fmCreate);
            ++(out.Size() == 0 ? regular : notRegular);
        } catch (const EFCreateError& e) {
            refused += e.what() == refusal;
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(notRegular, 0);
    EXPECT_EQ(regular + refused, 3000);
    EXPECT_GT(regular, 0);
    EXPECT_GT(refused, 0);
}

} // namespace

// Names up to the file system's limit of 255 bytes are saved and replaced: the temporary name is cut
// to the limit (a name of 242 bytes and more used to fail with "File name too long"), also in a name
// of two-byte characters.
TEST(SaveFileReplacing, NamesUpToTheLengthLimitAreSaved)
{
    TTempFolder dir;
    std::string umlauts;
    for (int i = 0; i < 127; ++i)
        umlauts += "\xC3\xA4";
    for (const std::string& name : {std::string(241, 'a'), std::string(242, 'b'), std::string(255, 'c'),
                                    umlauts + "g" /* 255 bytes */}) {
        SCOPED_TRACE(name.size());
        const std::string target = dir.Path() + "/" + name;
        for (const std::string data : {"first", "second"}) {
            SaveFileReplacing(target, data.data(), data.size());
            EXPECT_EQ(ReadFileBytes(target), Bytes(data.begin(), data.end()));
        }
        EXPECT_EQ(EntriesIn(dir.Path()), 1u);
        fs::remove(target);
    }
    const std::string tooLong = dir.Path() + "/" + std::string(256, 'f');
    EXPECT_THROW(SaveFileReplacing(tooLong, "x", 1), EFCreateError);
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
}

// A folder or a device under the target name is refused with a clear message and stays what it is
// (as root a rename would replace the device node).
TEST(SaveFileReplacing, AFolderOrDeviceTargetIsRefusedAndKept)
{
    TTempFolder dir;
    const std::string folder = dir.Path() + "/folder.jpg";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::tuple<std::string, mode_t> targets[] = {{folder, S_IFDIR}, {"/dev/null", S_IFCHR}};
    for (const auto& [target, kind] : targets) {
        try {
            SaveFileReplacing(target, "data", 4);
            ADD_FAILURE() << target << " was replaced";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + target + "\". It is not a regular file.");
        }
        struct stat st
        {
        };
        EXPECT_TRUE(::stat(target.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == kind) << target;
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
    EXPECT_EQ(EntriesIn(folder), 0u);
}
