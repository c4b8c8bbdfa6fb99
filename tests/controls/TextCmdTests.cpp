#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <future>
#include <sys/socket.h>
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
        {{"a.jpg"}, "/home/u", "/home/u/a.jpg\r\n"},
        {{"sub/b c.jpg"}, "/home/u/", "/home/u/sub/b c.jpg\r\n"},
        {{"/abs/x.bmp", "file:///tmp/a%20b.jpg", "http://host/p.jpg"}, "/w",
         "/abs/x.bmp\r\nfile:///tmp/a%20b.jpg\r\nhttp://host/p.jpg\r\n"},
        {{"File:x.jpg"}, "/w", "/w/File:x.jpg\r\n"}, // only the exact prefix marks an address
        {{}, "/w", ""},
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

    // A socket that listens at Path and never accepts: an instance that hangs.
    int HungListener()
    {
        int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", Path.c_str());
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        return fd;
    }

    QTemporaryDir Dir;
    std::string Path;
    TTextCmd Receiver;
    std::vector<TLines> Received;
};

TEST_F(HandOverTest, TheRunningInstanceReceivesAnAbsoluteNameAndAFileAddress)
{
    ASSERT_TRUE(Receiver.Listen(Path));
    auto sent = SendAsync({"photo one.jpg", "file:///tmp/a%20b.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return !Received.empty(); }));
    EXPECT_TRUE(sent.get());
    ASSERT_EQ(Received.size(), 1u);
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(Received[0], (TLines{cwd + "/photo one.jpg", "file:///tmp/a%20b.jpg"}));
}

TEST_F(HandOverTest, TwoSendersBackToBackBothArriveWhole)
{
    ASSERT_TRUE(Receiver.Listen(Path));
    TLines first{"/a/1.jpg", "/a/2.jpg", "/a/3.jpg"};
    TLines second{"/b/1.jpg", "/b/2.jpg"};
    auto s1 = SendAsync(first);
    auto s2 = SendAsync(second);
    ASSERT_TRUE(PumpUntil([&] { return Received.size() >= 2; }));
    EXPECT_TRUE(s1.get());
    EXPECT_TRUE(s2.get());
    std::sort(Received.begin(), Received.end());
    EXPECT_EQ(Received, (std::vector<TLines>{first, second}));
}

TEST_F(HandOverTest, WithoutAListenerOrWithTooMuchTextTheProgramStartsNormally)
{
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, Path, 1000)); // nothing there
    EXPECT_FALSE(ForwardToRunningInstance({}, Path, 1000));         // nothing to hand over
    ASSERT_TRUE(Receiver.Listen(Path));
    auto big = SendAsync({std::string(KMaxHandOverChars, 'x')});
    EXPECT_FALSE(big.get());
    QCoreApplication::processEvents();
    EXPECT_TRUE(Received.empty());
}

TEST_F(HandOverTest, AStaleSocketIsClearedAndALiveOneIsLeftAlone)
{
    ::close(HungListener()); // bound, then the instance ends without removing the file
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, Path, 1000));
    ASSERT_TRUE(Receiver.Listen(Path));

    TTextCmd second;
    EXPECT_FALSE(second.Listen(Path)); // the first instance keeps its socket
    auto sent = SendAsync({"/still/first.jpg"});
    ASSERT_TRUE(PumpUntil([&] { return !Received.empty(); }));
    EXPECT_TRUE(sent.get());
}

TEST_F(HandOverTest, ASenderThatGaveUpWaitingGetsNothingOpenedTwice)
{
    ASSERT_TRUE(Receiver.Listen(Path));
    // The receiving instance serves no events while the sender waits: the sender gives up and
    // starts normally, so its names must not be opened here as well.
    EXPECT_FALSE(ForwardToRunningInstance({"/late/x.jpg"}, Path, 200));
    PumpUntil([&] { return !Received.empty(); }, 300);
    EXPECT_TRUE(Received.empty());
}

TEST_F(HandOverTest, AHungInstanceLeadsToANormalStart)
{
    int fd = HungListener();
    ASSERT_EQ(::listen(fd, 4), 0);
    EXPECT_FALSE(ForwardToRunningInstance({"/x.jpg"}, Path, 200));
    EXPECT_FALSE(ClearStaleInstanceSocket(Path)); // it still answers: not removed
    ::close(fd);
}

} // namespace
