#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <filesystem>
#include <fstream>

#include "ImageTestKit.h"
#include "app/ProfileMenu.h"
#include "app/RememberDialogFolder.h"

namespace {

using namespace testkit;

class ProfileMenuTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        Menu = std::make_unique<QMenu>();
        Menu->addSeparator();
        Menu->addAction("Load &From...");
    }
    void Touch(const std::string& name) { std::ofstream(Path(name)) << "[General]\r\n"; }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> out;
        for (QAction* a : Menu->actions()) out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return out;
    }
    std::unique_ptr<QMenu> Menu;
};

// Found a, b: listed b, a above the fixed items; refilling replaces only the profile items.
TEST_F(ProfileMenuTest, ProfilesAboveTheFixedItemsInReverse)
{
    Touch("a.qmp");
    Touch("b.qmp");
    Touch("notes.txt");
    std::filesystem::create_directory(Path("dir.qmp"));
    auto list = ListProfiles(Dir.path().toStdString());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, "a");
    EXPECT_EQ(list[0].FileName, Path("a.qmp"));
    FillProfileMenu(Menu.get(), list, "", {});
    EXPECT_EQ(Captions(), (std::vector<std::string>{"b", "a", "-", "Load &From..."}));
    EXPECT_EQ(Menu->actions()[0]->data().toInt(), 2);
    EXPECT_EQ(Menu->actions()[3]->data().toInt(), 0);

    Touch("C.QMP");
    Touch("x&y.Qmp");
    FillProfileMenu(Menu.get(), ListProfiles(Dir.path().toStdString()), "", {});
    EXPECT_EQ(Captions(), (std::vector<std::string>{"x&&y", "C", "b", "a", "-", "Load &From..."}));

    // No folder: the fixed items alone.
    FillProfileMenu(Menu.get(), ListProfiles(Path("missing")), "", {});
    EXPECT_EQ(Captions(), (std::vector<std::string>{"-", "Load &From..."}));
}

// The default profile is bold; a click hands over the file as stored.
TEST_F(ProfileMenuTest, DefaultIsBoldAndAClickGivesTheEntry)
{
    Touch("a.qmp");
    Touch("B.QMP");
    std::string clicked;
    QPixmap item(16, 16), byDefault(16, 16);
    item.fill(Qt::blue);
    byDefault.fill(Qt::yellow);
    FillProfileMenu(
        Menu.get(), ListProfiles(Dir.path().toStdString()), "a",
        [&](const TProfileEntry& e) { clicked = e.FileName; }, QIcon(item), QIcon(byDefault));
    EXPECT_EQ(Captions()[1], "a");
    EXPECT_TRUE(Menu->actions()[1]->font().bold());
    EXPECT_FALSE(Menu->actions()[0]->font().bold());
    // The default item shows its own picture.
    EXPECT_EQ(Menu->actions()[1]->icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::yellow).rgb());
    EXPECT_EQ(Menu->actions()[0]->icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::blue).rgb());
    Menu->actions()[0]->trigger();
    EXPECT_EQ(clicked, Path("B.QMP"));
}

// Folder memory of the picture dialogs.
TEST(RememberDialogFolder, HistoriesOfBothDialogs)
{
    const struct
    {
        TPictureDialog dialog;
        const char* folder;
        const char* openDir;
        const char* saveDir;
        std::vector<std::string> open, save;
    } steps[] = {
        {TPictureDialog::Open, "/a/", "/a/", "", {"/a/"}, {"/a/"}},
        {TPictureDialog::Open, "/b/", "/b/", "", {"/b/", "/a/"}, {"/a/", "/b/"}},
        {TPictureDialog::Save, "/c/", "/b/", "/c/", {"/b/", "/a/", "/c/"}, {"/c/", "/a/", "/b/"}},
        {TPictureDialog::Open, "/a/", "/a/", "/c/", {"/a/", "/b/", "/c/"}, {"/c/", "/a/", "/b/"}},
        {TPictureDialog::Save, "/b/", "/a/", "/b/", {"/a/", "/b/", "/c/"}, {"/b/", "/c/", "/a/"}},
        {TPictureDialog::Save, "", "/a/", "/b/", {"/a/", "/b/", "/c/"}, {"/b/", "/c/", "/a/"}},
    };
    TDialogFolders f;
    f.FileDialogOptions = 5;
    int n = 0;
    for (const auto& s : steps) {
        RememberDialogFolder(f, s.dialog, s.folder);
        EXPECT_EQ(f.OpenDir, s.openDir) << n;
        EXPECT_EQ(f.SaveDir, s.saveDir) << n;
        EXPECT_EQ(f.RecentOpenDirs, s.open) << n;
        EXPECT_EQ(f.RecentSaveDirs, s.save) << n;
        ++n;
    }
    EXPECT_EQ(f.FileDialogOptions, 5);
}

} // namespace
