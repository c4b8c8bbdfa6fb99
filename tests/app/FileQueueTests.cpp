#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ImageTestKit.h"
#include "app/FileQueue.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"

namespace {

TEST(FileQueue, FileAddressesBecomePaths)
{
    const std::pair<const char*, const char*> cases[] = {
        {"file:///tmp/a%20b.jpg", "/tmp/a b.jpg"},
        {"file:/tmp/x.jpg", "/tmp/x.jpg"},
        {"file://localhost/tmp/x.jpg", "/tmp/x.jpg"},
        {"file:////tmp/x.jpg", "/tmp/x.jpg"},
        {"file:rel%2Bx.jpg", "rel+x.jpg"},
        {"file:", ""},
    };
    for (const auto& [url, path] : cases) EXPECT_EQ(FileUrlToPath(url), path) << url;
    EXPECT_THROW(FileUrlToPath("file:///a%zz.jpg"), EConvertError);
}

using FileQueueTest = testkit::TFolderTest;

TEST_F(FileQueueTest, OnlyExistingFilesAreQueuedInOrderAndABadNameDoesNotStopTheRest)
{
    const std::string a = Path("a b.jpg"), c = Path("c.bmp"), folder = Dir.path().toStdString();
    std::ofstream(a) << "x";
    std::ofstream(c) << "x";
    std::vector<std::string> queue{"/already/queued.jpg"};
    QueueFiles({"file://" + folder + "/a%20b.jpg", folder + "/missing.jpg", folder, "file:///bad%zz.jpg",
                "http://example.invalid/p.jpg", c},
               queue);
    EXPECT_EQ(queue, (std::vector<std::string>{"/already/queued.jpg", a, c}));
    ASSERT_EQ(Box.Calls().size(), 2u); // the address that is not in a cache, then the folder
    EXPECT_NE(Box.Calls()[0].Text.find("not cached"), std::string::npos);
    EXPECT_EQ(Box.Calls()[1].Text,
              "Cannot open file \"" + folder + "\". It is a folder, not a regular file.");
}

// The folders and special files of one call are told about in one box, each name once.
TEST_F(FileQueueTest, RefusedNamesOfOneCallShareOneBox)
{
    const std::string x = Path("x"), y = Path("y"), file = Path("f.jpg");
    std::filesystem::create_directory(x);
    std::filesystem::create_directory(y);
    std::ofstream(file) << "x";
    std::vector<std::string> queue;
    QueueFiles({x, "/dev/null", file, "file://" + x, y}, queue);
    EXPECT_EQ(queue, std::vector<std::string>{file});
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text, "Cannot open file \"" + x + "\". It is a folder, not a regular file.\n"
                                   "Cannot open file \"/dev/null\". It is a device, not a regular file.\n"
                                   "Cannot open file \"" + y + "\". It is a folder, not a regular file.");
    // Thirty folders: the box names fifteen and counts the rest.
    std::vector<std::string> thirty;
    for (int i = 1; i <= 30; ++i) std::filesystem::create_directory(thirty.emplace_back(Path(std::to_string(i))));
    QueueFiles(thirty, queue);
    ASSERT_EQ(Box.Calls().size(), 2u);
    const std::string text = Box.Calls()[1].Text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 15);
    EXPECT_TRUE(text.ends_with("\"" + Path("15") + "\". It is a folder, not a regular file.\n"
                               "15 more names are not regular files either.")) << text;
}

// Addresses are never downloaded: each one shows the not-cached box once per call, and nothing opens.
TEST_F(FileQueueTest, WebAddressesShowOneBoxEachAndOpenNothing)
{
    const std::string local = Path("p.jpg");
    std::ofstream(local) << "x";
    const struct
    {
        std::vector<std::string> Names;
        size_t Boxes;
        std::vector<std::string> Queued;
    } cases[] = {
        {{"https://example.invalid/p.jpg"}, 1, {}},
        {{"https://a.invalid/p.jpg", "https://a.invalid/p.jpg", local}, 1, {local}},
        {{"https://a.invalid/1.jpg", "ftp://a.invalid/2.jpg", "http://a.invalid/3.jpg", "http://a.invalid/3.jpg"}, 3, {}},
        {{"file://" + local, "file:///no/such/file.jpg"}, 0, {local}}, // a missing local file stays silent
        {{"ftp:/one-slash.jpg", Path("missing.jpg")}, 0, {}},
    };
    for (const auto& c : cases) {
        const size_t before = Box.Calls().size();
        std::vector<std::string> queue;
        QueueFiles(c.Names, queue);
        EXPECT_EQ(queue, c.Queued) << c.Names[0];
        ASSERT_EQ(Box.Calls().size() - before, c.Boxes) << c.Names[0];
        for (size_t i = before; i < Box.Calls().size(); ++i) EXPECT_EQ(Box.Calls()[i].Text, SImageNotCached);
    }
    // The next call (a new drop) reports the same address again.
    std::vector<std::string> queue;
    QueueFiles({"https://example.invalid/p.jpg"}, queue);
    EXPECT_EQ(Box.Calls().back().Text, SImageNotCached);
}

TEST_F(FileQueueTest, CommandLineNamesAreAbsoluteWithTheCaseOnDisk)
{
    std::ofstream(Path("Photo.JPG")) << "x";
    std::filesystem::create_directory(Path("Folder"));
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(Dir.path().toStdString());
    auto names = CommandLineFileNames({"photo.jpg", "file:///x%20y.jpg", "http:/a", "gone.jpg", "https://h/p.jpg"});
    // A folder, in any letter case, is named as on disk to be told about.
    auto folders = CommandLineFileNames({"Folder", "folder", "FOLDER/"});
    std::filesystem::current_path(old);
    EXPECT_EQ(names, (std::vector<std::string>{Path("Photo.JPG"), "file:///x%20y.jpg", "http:/a", "", "https://h/p.jpg"}));
    EXPECT_EQ(folders, (std::vector<std::string>{Path("Folder"), Path("Folder"), Path("Folder/")}));
}

} // namespace
