#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "support/GuiTestApp.h"
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
        {{"https://host/p.jpg", "ftp://h/q.jpg", "c:x.jpg"}, "/w",
         "https://host/p.jpg\r\nftp://h/q.jpg\r\n/w/c:x.jpg\r\n"}, // any scheme with "://" is an address
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
            EXPECT_TRUE(kind != Others || ::chown(path.c_str(), 4242, 4242) == 0);
        }
        if (c.Runtime == None)
            ::unsetenv("XDG_RUNTIME_DIR");
        else // someone else's: another user's as root, else one of root's own
            ::setenv("XDG_RUNTIME_DIR", c.Runtime == Others && !root ? "/root" : runtime.c_str(), 1);
        const std::string expected[] = {runtime + "/quillmark-instance", fallback + "/instance", ""};
        EXPECT_EQ(InstanceSocketPath(base), expected[c.Where]) << c.Case;
        struct stat st{};
        const bool made = c.Where == InFallback && c.Fallback == None; // and made private
        EXPECT_TRUE(!made || (::stat(fallback.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700)) << c.Case;
    }
    old ? ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

// Two senders back to back both arrive whole, with absolute names. Without a listener, with too much
// text or with an instance that does not answer, the sender gives up and the program starts normally.
TEST(HandOver, SendersArriveWholeOrGiveUp)
{
    EnsureGuiTestApp();
    QTemporaryDir dir;
    const std::string path = dir.filePath("instance").toStdString();
    auto send = [&](TLines params) {
        return std::async(std::launch::async,
                          [params, path] { return ForwardToRunningInstance(params, path, 5000); });
    };
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, path, 1000)); // nothing there
    int hung = ::socket(AF_UNIX, SOCK_STREAM, 0); // an instance that hangs: it never accepts
    sockaddr_un addr{AF_UNIX, {}};
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(hung, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(hung, 4), 0);
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, path, 200));
    EXPECT_FALSE(ClearStaleInstanceSocket(path)); // it still answers: not removed
    ::close(hung); // the instance ends without removing its socket: the stale file is cleared
    EXPECT_FALSE(ForwardToRunningInstance({}, path, 1000)); // nothing to hand over

    TTextCmd receiver, second;
    std::vector<TLines> received;
    receiver.OnCommand = [&](const TLines& lines) { received.push_back(lines); };
    ASSERT_TRUE(receiver.Listen(path));
    EXPECT_FALSE(second.Listen(path)); // the first instance keeps its socket
    const std::string cwd = std::filesystem::current_path().string(); // not below "/b"
    auto s1 = send({"photo one.jpg", "file:///tmp/a%20b.jpg", "/a/3.jpg"});
    auto s2 = send({"/b/1.jpg", "/b/2.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return received.size() >= 2; }));
    EXPECT_TRUE(s1.get() && s2.get());
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, (std::vector<TLines>{{"/b/1.jpg", "/b/2.jpg"},
                                             {cwd + "/photo one.jpg", "file:///tmp/a%20b.jpg", "/a/3.jpg"}}));
    EXPECT_FALSE(send({std::string(KMaxHandOverChars, 'x')}).get());
    // The receiving instance serves no events while this sender waits: it gives up and starts
    // normally, so its names must not be opened here as well.
    EXPECT_FALSE(ForwardToRunningInstance({"/late/x.jpg"}, path, 200));
    PumpUntil([&] { return received.size() > 2; }, 300);
    EXPECT_EQ(received.size(), 2u);
}

} // namespace
