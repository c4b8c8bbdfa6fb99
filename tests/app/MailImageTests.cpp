#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "ImageTestKit.h"
#include "RecordingLauncher.h"
#include "app/MailImage.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"

namespace {

using namespace testkit;

class MailImageTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        Previous = SetMailLauncher(&Launcher);
        Jpeg.WriteBuffer("\xFF\xD8\xFF\xD9", 4);
    }
    void TearDown() override
    {
        SetMailLauncher(Previous);
        for (auto it = Made.rbegin(); it != Made.rend(); ++it) {
            std::error_code ec;
            std::filesystem::remove(*it, ec);
        }
    }
    // A job whose copy is written like a JPEG source's: under the source's own extension.
    TMailJob Job(int method, const std::string& name = "photo.jpg", const std::string& writtenExt = ".jpeg")
    {
        TMailJob job;
        job.Method = method;
        job.Name = name;
        job.Jpeg = &Jpeg;
        job.SaveCopy = [writtenExt](const std::string& path) {
            std::string written = path.substr(0, path.rfind('.')) + writtenExt;
            std::ofstream(written, std::ios::binary) << "JPEG";
            return written;
        };
        return job;
    }
    std::vector<std::string> Mail(const TMailJob& job)
    {
        auto made = MailImage(job);
        Made.insert(Made.end(), made.begin(), made.end());
        return made;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& c : Box.Calls()) texts.push_back(c.Text);
        return texts;
    }

    TRecordingLauncher Launcher;
    TMailLauncher* Previous = nullptr;
    TMemoryStream Jpeg;
    std::vector<std::string> Made;
};

// The composer gets the subject, our note and the file actually written (photo.jpeg for a .jpeg
// source), in a fresh folder of the run's own; the copy stays after the call.
TEST_F(MailImageTest, ComposerArgumentsAttachTheFileWritten)
{
    auto made = Mail(Job(0));
    ASSERT_EQ(made.size(), 2u);
    const std::string copy = made[0];
    EXPECT_EQ(ExtractFileName(copy), "photo.jpeg");
    EXPECT_EQ(made[1] + "/photo.jpeg", copy);
    EXPECT_EQ(copy.rfind(RunTempFolder().Path() + "/", 0), 0u);
    EXPECT_EQ(Launcher.Program, "/usr/bin/xdg-email");
    const std::vector<std::string> expected = {"--utf8", "--subject", "photo.jpg", "--body",
                                               std::string("This e-mail created by Quillmark, ") + SMakerWebAddress,
                                               "--attach", copy};
    EXPECT_EQ(Launcher.Args, expected);
    EXPECT_TRUE(std::filesystem::exists(copy));
    EXPECT_TRUE(BoxTexts().empty());

    // A second mail of the same name does not touch the first copy.
    auto second = Mail(Job(0));
    ASSERT_EQ(second.size(), 2u);
    EXPECT_NE(second[0], copy);
    EXPECT_TRUE(std::filesystem::exists(copy));
}

// Failures of the composer, of the copy and of the desktop handler, each with its box.
TEST_F(MailImageTest, FailuresShowTheirBoxes)
{
    Mail(Job(0));
    Launcher.OnExit(0);
    EXPECT_TRUE(BoxTexts().empty());
    Launcher.OnExit(3);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{SUnableToSendMail});

    Launcher.StartSucceeds = false;
    Mail(Job(0));
    EXPECT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts().back(), SUnableToSendMail);

    TMailJob noCopy = Job(3);
    noCopy.SaveCopy = [](const std::string&) { return std::string(); };
    Mail(noCopy);
    EXPECT_EQ(BoxTexts().back(), SCannotCreateMailTempFile);
    EXPECT_TRUE(Launcher.Urls.empty());

    // No program for the mail, at once or once the handler has ended: the box names what it was.
    const std::string lead = std::string(SUnableToSendMail) + "\r\n";
    Launcher.OpenSucceeds = false;
    Mail(Job(3));
    EXPECT_EQ(BoxTexts().back().rfind(lead + "Cannot open mailto:?subject=photo.jpg&body=\"/", 0), 0u);
    auto made = Mail(Job(1));
    EXPECT_EQ(BoxTexts().size(), 5u);
    EXPECT_EQ(BoxTexts().back(), lead + NothingOpens(made.at(0)));
    Launcher.OpenSucceeds = true;
    made = Mail(Job(2));
    Launcher.OnOpenFailed();
    ASSERT_EQ(BoxTexts().size(), 6u);
    EXPECT_EQ(BoxTexts().back(), lead + NothingOpens(made.at(0)));
    EXPECT_EQ(Box.Calls().back().Owner, nullptr); // the window may be gone by then
}

// mailto: keeps a name with "&" and "#" as one subject and the quoted path as the body.
TEST_F(MailImageTest, MailtoAddressIsPercentEncoded)
{
    auto made = Mail(Job(3, "a&b #1.jpg", ".jpg"));
    ASSERT_EQ(Launcher.Urls.size(), 1u);
    const std::string& url = Launcher.Urls[0];
    EXPECT_EQ(url.rfind("mailto:?subject=a%26b%20%231.jpg&body=%22%2F", 0), 0u) << url;
    EXPECT_EQ(url.substr(url.size() - 3), "%22");
    QUrl parsed(QString::fromStdString(url));
    ASSERT_EQ(made.size(), 2u);
    const QUrlQuery query(parsed);
    EXPECT_EQ(query.queryItems().size(), 2);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded).toStdString(), "a&b #1.jpg");
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded).toStdString(), "\"" + made[0] + "\"");
    EXPECT_TRUE(std::filesystem::exists(made[0]));
}

// Without the composer, method 0 writes the message file; 1 and 2 by their extensions.
TEST_F(MailImageTest, MessageFileRoutes)
{
    const struct
    {
        int method;
        bool composer;
        const char* ext;
    } cases[] = {{0, false, ".eml"}, {1, true, ".eml"}, {2, true, ".msg"}};
    for (const auto& c : cases) {
        Launcher.Composer = c.composer ? "/usr/bin/xdg-email" : "";
        Launcher.Urls.clear();
        auto made = Mail(Job(c.method));
        ASSERT_EQ(made.size(), 1u) << c.method;
        EXPECT_EQ(ExtractFileExt(made[0]), c.ext);
        ASSERT_EQ(Launcher.Urls.size(), 1u);
        EXPECT_EQ(QUrl(QString::fromStdString(Launcher.Urls[0])).toLocalFile().toStdString(), made[0]);
        EXPECT_NE(ReadAll(made[0]).find("Subject: photo.jpg\r\n"), std::string::npos);
        EXPECT_TRUE(Launcher.Args.empty());
    }
    EXPECT_TRUE(BoxTexts().empty());
}

// A stream that breaks while the message is written: the box, and no partial file left.
TEST_F(MailImageTest, FailedMessageWriteLeavesNoFile)
{
    class TBrokenStream : public TMemoryStream
    {
    public:
        int64_t Read(void*, int64_t) override { throw EReadError("Stream read error"); }
    } broken;
    broken.SetSize(10);
    const auto before = std::distance(std::filesystem::directory_iterator(RunTempFolder().Path()), {});
    TMailJob job = Job(1);
    job.Jpeg = &broken;
    EXPECT_TRUE(Mail(job).empty());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{SCannotCreateMailTempFile});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(RunTempFolder().Path()), {}), before);
}

// The real process path once: a stand-in composer first on PATH records its arguments; a second
// one that fails makes the box appear after it has ended.
TEST_F(MailImageTest, RealComposerProcessRunsDetached)
{
    SetMailLauncher(nullptr);
    const std::string bin = Path("bin");
    std::filesystem::create_directories(bin);
    const std::string log = Path("args.txt");
    {
        std::ofstream script(bin + "/xdg-email");
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << log << ".part'\nmv '" << log
               << ".part' '" << log << "'\nexit ${FAKE_EXIT:-0}\n";
    }
    std::filesystem::permissions(bin + "/xdg-email", std::filesystem::perms::owner_all);
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

    auto made = Mail(Job(0));
    ASSERT_EQ(made.size(), 2u);
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(log); }, 10000));
    const std::string expected = std::string("--utf8\n--subject\nphoto.jpg\n--body\nThis e-mail created by Quillmark, ") +
                                 SMakerWebAddress + "\n--attach\n" + made[0] + "\n";
    EXPECT_EQ(ReadAll(log), expected);
    PumpUntil([] { return false; }, 600); // its exit is seen; a zero exit shows nothing
    EXPECT_TRUE(BoxTexts().empty());

    std::filesystem::remove(log);
    setenv("FAKE_EXIT", "4", 1);
    Mail(Job(0));
    EXPECT_TRUE(PumpUntil([&] { return !BoxTexts().empty(); }, 10000));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{SUnableToSendMail});
    unsetenv("FAKE_EXIT");
    setenv("PATH", oldPath.c_str(), 1);
}

// Addresses open through the desktop's "xdg-open" (a stand-in first on PATH), the address its one
// argument: a zero exit says nothing, any other shows the box. Without an opener the box comes at once.
TEST_F(MailImageTest, AnAddressNothingOpensIsReported)
{
    SetMailLauncher(nullptr);
    const std::string bin = Path("bin"), log = Path("opened.txt");
    std::filesystem::create_directories(bin);
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << log
                                     << "'\nexit ${FAKE_EXIT:-0}\n";
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    OpenAddress(nullptr, "https://www.example.com/quillmark/"); // a zero exit says nothing
    EXPECT_TRUE(PumpUntil([&] { return !ReadAll(log).empty(); }, 10000));
    setenv("FAKE_EXIT", "3", 1); // no program for the address
    OpenAddress(nullptr, "file:///tmp/a%20b.eml");
    EXPECT_TRUE(PumpUntil([&] { return !BoxTexts().empty(); }, 10000));
    PumpUntil([] { return false; }, 300); // every exit seen
    unsetenv("FAKE_EXIT");
    EXPECT_EQ(ReadAll(log), "1|https://www.example.com/quillmark/\n1|file:///tmp/a%20b.eml\n");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{NothingOpens("/tmp/a b.eml")});

    // Nothing on PATH opens anything: Qt's own way fails too, and says so at once.
    std::filesystem::remove(bin + "/xdg-open");
    OpenAddress(nullptr, "mailto:");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{NothingOpens("/tmp/a b.eml"), NothingOpens("mailto:")}));
    setenv("PATH", oldPath.c_str(), 1);
}

// The opener or the composer running on, as it does when it starts a browser or mail program in the
// foreground: its failure once the report time has gone says nothing about the start and shows no box.
TEST_F(MailImageTest, AFailureAfterTheReportTimeShowsNothing)
{
    TMailLauncher launcher;
    launcher.ExitReportMs = 200;
    SetMailLauncher(&launcher);
    const std::string bin = Path("bin"), pidFile = Path("pid"), go = Path("go");
    std::filesystem::create_directories(bin);
    for (const char* name : {"xdg-open", "xdg-email"}) {
        std::ofstream(bin + "/" + name) << "#!/bin/sh\necho $$ > '" << pidFile << ".part'\nmv '" << pidFile
                                        << ".part' '" << pidFile << "'\nwhile [ ! -e '" << go
                                        << "' ]; do sleep 0.05; done\nexit 3\n";
        std::filesystem::permissions(bin + "/" + name, std::filesystem::perms::owner_all);
    }
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    const std::function<void()> starts[] = {
        [] { OpenAddress(nullptr, "https://www.example.com/quillmark/"); },
        [this] { Mail(Job(0)); },
    };
    for (const auto& start : starts) {
        std::filesystem::remove(pidFile);
        std::filesystem::remove(go);
        start();
        ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(pidFile); }, 10000));
        const pid_t pid = std::stoi(ReadAll(pidFile));
        PumpUntil([] { return false; }, 600); // seen running after the report time
        std::ofstream(go) << "";
        EXPECT_TRUE(PumpUntil([&] { return ::kill(pid, 0) != 0; }, 10000)); // its exit has been seen
        EXPECT_TRUE(BoxTexts().empty());
    }
    setenv("PATH", oldPath.c_str(), 1);
}

} // namespace
