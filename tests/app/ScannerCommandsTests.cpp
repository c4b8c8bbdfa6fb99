#include <gtest/gtest.h>

#include <filesystem>

#include "ImageTestKit.h"
#include "ScannerStub.h"
#include "app/ScannerCommands.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/TempFolder.h"
#include "twain/ScriptedManager.h"

namespace {

using namespace testkit;

class ScannerCommandsTest : public TFolderTest
{
protected:
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> t;
        for (const auto& c : Box.Calls()) t.push_back(c.Text);
        return t;
    }
    size_t TempFiles() const { return size_t(std::distance(std::filesystem::directory_iterator(RunTempFolder().Path()), {})); }
};

// Without a source manager loader the program's own scanner access answers "not available".
TEST_F(ScannerCommandsTest, WithoutAScannerBothCommandsSaySo)
{
    TScannerCommands commands;
    commands.SelectSource();
    commands.Acquire();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{STWAINNotInstalled, STWAINNotInstalled}));
    EXPECT_FALSE(commands.SourceSelected);
}

// The first Acquire only selects; the second opens the picture from a .BMP file that is gone
// afterwards; a failing device gives its box and leaves nothing either.
TEST_F(ScannerCommandsTest, FirstAcquireSelectsSecondOpensAndLeavesNoFile)
{
    TStubScanner scanner;
    TScannerAccess* previous = SetScannerAccess(&scanner);
    const size_t before = TempFiles();
    TScannerCommands commands;
    std::vector<std::string> opened;
    int fronts = 0;
    commands.OpenFile = [&](const std::string& path) {
        opened.push_back(path);
        TBitmap back;
        LoadBmpFromFile(back, path);
        EXPECT_EQ(back.Width(), 32);
    };
    commands.BringToFront = [&] { ++fronts; };
    commands.Acquire();
    EXPECT_EQ(scanner.Selections, 1);
    EXPECT_TRUE(opened.empty());
    commands.Acquire();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(ExtractFileExt(opened[0]), ".BMP");
    EXPECT_FALSE(std::filesystem::exists(opened[0]));
    EXPECT_EQ(fronts, 1);
    EXPECT_EQ(TempFiles(), before);

    scanner.Fail = true;
    commands.Acquire();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{SUnableToAcquire});
    EXPECT_EQ(TempFiles(), before);
    SetScannerAccess(previous);
}

// Without a source manager nothing is registered and nothing is said; the manager was looked for once.
TEST_F(ScannerCommandsTest, NoIdentityWithoutAManager)
{
    TwainResetSession();
    TScriptedLoader loader;
    loader.Available = false;
    SetTwainManagerLoader(&loader);
    RegisterScannerIdentity();
    EXPECT_STREQ(TwainAppIdentity().ProductName, "<?>");
    EXPECT_EQ(TwainAppIdentity().Version.MajorNum, 1);
    EXPECT_EQ(loader.Loads, 1);
    EXPECT_TRUE(Box.Calls().empty());
    SetTwainManagerLoader(nullptr);
    TwainResetSession();
}

// A picture the bitmap writer refuses (a block of zeros is no DIB): the warning names the file,
// no window is opened on what was left, and the file is gone.
TEST_F(ScannerCommandsTest, AnUnwritablePictureOpensNothing)
{
    TwainResetSession();
    TScriptedLoader loader;
    SetTwainManagerLoader(&loader);
    const size_t before = TempFiles();
    TScannerCommands commands;
    int opened = 0;
    commands.OpenFile = [&](const std::string&) { ++opened; };
    commands.SelectSource();
    ASSERT_TRUE(commands.SourceSelected);
    commands.Acquire();
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(Box.Calls().size(), 1u);
    const std::string text = Box.Calls()[0].Text;
    const std::string lead = std::string(SCannotWriteAcquiredImage) + "\r\n";
    ASSERT_EQ(text.substr(0, lead.size()), lead);
    const std::string file = text.substr(lead.size());
    EXPECT_EQ(ExtractFilePath(file), IncludeBackslash(RunTempFolder().Path()));
    EXPECT_EQ(ExtractFileExt(file), ".BMP");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(TempFiles(), before);
    EXPECT_EQ(TWAIN_State(), 1);
    SetTwainManagerLoader(nullptr);
    TwainResetSession();
}

} // namespace
