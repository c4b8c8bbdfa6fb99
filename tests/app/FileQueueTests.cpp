#include <gtest/gtest.h>

#include <filesystem>

#include "ImageTestKit.h"
#include "app/FileQueue.h"
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
    ASSERT_EQ(Box.Calls().size(), 1u); // the address that is not in a cache
    EXPECT_NE(Box.Calls()[0].Text.find("not cached"), std::string::npos);
}

TEST_F(FileQueueTest, CommandLineNamesAreAbsoluteWithTheCaseOnDisk)
{
    std::ofstream(Path("Photo.JPG")) << "x";
    auto old = std::filesystem::current_path();
    std::filesystem::current_path(Dir.path().toStdString());
    auto names = CommandLineFileNames({"photo.jpg", "file:///x%20y.jpg", "http:/a", "gone.jpg"});
    std::filesystem::current_path(old);
    EXPECT_EQ(names, (std::vector<std::string>{Path("Photo.JPG"), "file:///x%20y.jpg", "http:/a", ""}));
}

} // namespace
