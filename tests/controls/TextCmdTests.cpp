#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/GuiTestApp.h"
#include "common/HandOver.h"
#include "controls/TextCmd.h"

namespace {

using TLines = std::vector<std::string>;

TEST(HandOverText, FileNamesBecomeAbsoluteAndAddressesPassUnchanged)
{
    struct { TLines Params; std::string Folder, Text; } const cases[] = {
        {{"sub/b c.jpg"}, "/home/u/", "/home/u/sub/b c.jpg\r\n"}, // one slash between
        {{"/abs/x.bmp", "file:///tmp/a%20b.jpg", "http://host/p.jpg"}, "/w",
         "/abs/x.bmp\r\nfile:///tmp/a%20b.jpg\r\nhttp://host/p.jpg\r\n"},
        {{"File:x.jpg"}, "/w", "/w/File:x.jpg\r\n"}, // only the exact prefix marks an address
    };
    for (const auto& c : cases) EXPECT_EQ(BuildHandOverText(c.Params, c.Folder), c.Text);
}

TEST(HandOverText, ReceivedTextSplitsIntoLinesUpToTheLimit)
{
    EXPECT_EQ(TTextCmd::SplitCommandText("a\r\n\r\nb c\nd\r\n", true), (TLines{"a", "b c", "d"}));
    EXPECT_EQ(TTextCmd::SplitCommandText("a\r\nlast", true), (TLines{"a", "last"}));
    EXPECT_EQ(TTextCmd::SplitCommandText("a\r\ncut", false), TLines{"a"});
    std::string longText = std::string(63990, 'x') + "\r\n" + "/second/name.jpg\r\n";
    TLines lines = TTextCmd::SplitCommandText(longText, true);
    ASSERT_EQ(lines.size(), 1u); // the name that crosses the limit is dropped, not cut
    EXPECT_EQ(lines[0].size(), 63990u);
}

// The socket's folder: $XDG_RUNTIME_DIR when it is this user's and closed to others, else
// <parent>/quillmark-<uid>, never a folder someone else owns or can enter.
TEST(InstanceSocketPath, TakesOnlyFoldersOfThisUserClosedToOthers)
{
    enum TFolder { None, Private, Open, Others };
    enum TWhere { InRuntime, InFallback, Nowhere };
    struct { const char* Case; TFolder Runtime, Fallback; TWhere Where; } const cases[] = {
        {"private runtime folder", Private, None, InRuntime},
        {"no runtime folder", None, None, InFallback},
        {"runtime folder open to others", Open, None, InFallback},
        {"someone else's runtime folder", Others, Private, InFallback},
        {"fallback open to others", None, Open, Nowhere},
        {"someone else's fallback", None, Others, Nowhere},
    };
    const bool root = ::getuid() == 0;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = old ? old : "";
    QTemporaryDir dir;
    int n = 0;
    for (const auto& c : cases) {
        if (!root && c.Fallback == Others) continue; // another user's folder needs root to make
        const std::string base = dir.path().toStdString() + "/" + std::to_string(n++);
        const std::string runtime = base + "/run", fallback = base + "/quillmark-" + std::to_string(::getuid());
        ::mkdir(base.c_str(), 0700);
        for (auto [path, kind] : {std::pair{runtime, c.Runtime}, {fallback, c.Fallback}}) {
            if (kind == None || (kind == Others && !root)) continue;
            ::mkdir(path.c_str(), 0700);
            ::chmod(path.c_str(), kind == Open ? 0755 : 0700);
            if (kind == Others) EXPECT_EQ(::chown(path.c_str(), 4242, 4242), 0);
        }
        if (c.Runtime == None)
            ::unsetenv("XDG_RUNTIME_DIR");
        else // someone else's: another user's as root, else one of root's own
            ::setenv("XDG_RUNTIME_DIR", c.Runtime == Others && !root ? "/root" : runtime.c_str(), 1);
        const std::string expected[] = {runtime + "/quillmark-instance", fallback + "/instance", ""};
        EXPECT_EQ(InstanceSocketPath(base), expected[c.Where]) << c.Case;
        struct stat st{};
        if (c.Where == InFallback && c.Fallback == None) // made, and made private
            EXPECT_TRUE(::stat(fallback.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700) << c.Case;
    }
    old ? ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

class HandOverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiTestApp();
        ASSERT_TRUE(Dir.isValid());
        Path = Dir.filePath("instance").toStdString();
        Receiver.OnCommand = [this](const TLines& lines) { Received.push_back(lines); };
    }

    std::future<bool> SendAsync(TLines params)
    {
        return std::async(std::launch::async,
                          [params, path = Path] { return ForwardToRunningInstance(params, path, 5000); });
    }

    QTemporaryDir Dir;
    std::string Path;
    TTextCmd Receiver;
    std::vector<TLines> Received;
};

TEST_F(HandOverTest, TwoSendersBackToBackBothArriveWholeWithAbsoluteNames)
{
    ASSERT_TRUE(Receiver.Listen(Path));
    const std::string cwd = std::filesystem::current_path().string(); // not below "/b"
    auto s1 = SendAsync({"photo one.jpg", "file:///tmp/a%20b.jpg", "/a/3.jpg"});
    auto s2 = SendAsync({"/b/1.jpg", "/b/2.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return Received.size() >= 2; }));
    EXPECT_TRUE(s1.get());
    EXPECT_TRUE(s2.get());
    std::sort(Received.begin(), Received.end());
    EXPECT_EQ(Received, (std::vector<TLines>{{"/b/1.jpg", "/b/2.jpg"},
                                             {cwd + "/photo one.jpg", "file:///tmp/a%20b.jpg", "/a/3.jpg"}}));
}

TEST_F(HandOverTest, WithoutAListenerTooMuchTextOrAnInstanceThatDoesNotAnswerTheProgramStartsNormally)
{
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, Path, 1000)); // nothing there
    int hung = ::socket(AF_UNIX, SOCK_STREAM, 0); // an instance that hangs: it never accepts
    sockaddr_un addr{AF_UNIX, {}};
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", Path.c_str());
    ASSERT_EQ(::bind(hung, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(hung, 4), 0);
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, Path, 200));
    EXPECT_FALSE(ClearStaleInstanceSocket(Path)); // it still answers: not removed
    ::close(hung); // the instance ends without removing its socket: the stale file is cleared
    EXPECT_FALSE(ForwardToRunningInstance({}, Path, 1000)); // nothing to hand over
    ASSERT_TRUE(Receiver.Listen(Path));
    TTextCmd second;
    EXPECT_FALSE(second.Listen(Path)); // the first instance keeps its socket
    auto big = SendAsync({std::string(KMaxHandOverChars, 'x')});
    EXPECT_FALSE(big.get());
    // The receiving instance serves no events while this sender waits: it gives up and starts
    // normally, so its names must not be opened here as well.
    EXPECT_FALSE(ForwardToRunningInstance({"/late/x.jpg"}, Path, 200));
    PumpUntil([&] { return !Received.empty(); }, 300);
    EXPECT_TRUE(Received.empty());
}

} // namespace
