// The file-actions menu: its items, the programs of "Open With" from a desktop-entry tree of the
// test's own, the launches through the program's launcher, the clipboard and the properties.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "ImageTestKit.h"
#include "app/MailImage.h"
#include "app/ShellMenuLauncher.h"
#include "common/ui/DesktopApps.h"
#include "common/ui/FileProperties.h"
#include "common/ui/ShellContextMenu.h"

namespace {

using namespace testkit;

class TRecordingLauncher : public TMailLauncher
{
public:
    std::vector<std::vector<std::string>> Started; // program, then its arguments
    std::vector<std::string> Urls;

    std::string FindProgram(const std::string& name) override { return "/usr/bin/" + name; }
    bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                      std::function<void(int)>) override
    {
        Started.push_back({program});
        Started.back().insert(Started.back().end(), args.begin(), args.end());
        return true;
    }
    bool OpenUrl(const std::string& url, std::function<void()>) override
    {
        Urls.push_back(url);
        return true;
    }
};

void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

std::string Entry(const std::string& name, const std::string& extra)
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + name + "-program %f\n" + extra;
}

class ShellMenuTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        Saved = ShellMenuHooks();
        ShellMenuHooks() = TShellMenuHooks{};
        ShellMenuHooks().Folders.Data = {Path("data-high"), Path("data-low")};
        ShellMenuHooks().Folders.Config = {Path("config")};
    }
    void TearDown() override { ShellMenuHooks() = Saved; }

    // A tree where image/jpeg has a default, an added program, a hidden and a removed one.
    void WriteTree()
    {
        const std::string apps = Path("data-high") + "/applications/";
        WriteText(apps + "alpha.desktop", Entry("Alpha", "MimeType=image/jpeg;image/png;\n"));
        WriteText(apps + "bravo.desktop", Entry("Bravo", "")); // the default, listing no type
        WriteText(apps + "charlie.desktop", Entry("Charlie", "MimeType=image/jpeg;\nNoDisplay=true\n"));
        WriteText(apps + "delta.desktop", Entry("Delta", "MimeType=image/jpeg;\n")); // removed
        WriteText(apps + "echo.desktop", Entry("Echo", "")); // added
        WriteText(apps + "kit/zulu.desktop", Entry("Zulu", "MimeType=image/jpeg;\n")); // id kit-zulu.desktop
        WriteText(apps + "png-only.desktop", Entry("PngOnly", "MimeType=image/png;\n"));
        WriteText(apps + "gone.desktop", Entry("Gone", "MimeType=image/jpeg;\nHidden=true\n"));
        WriteText(apps + "notes.txt", "not an entry");
        // The lower folder's alpha is shadowed; its foxtrot is seen.
        const std::string low = Path("data-low") + "/applications/";
        WriteText(low + "alpha.desktop", Entry("Shadowed", "MimeType=image/jpeg;\n"));
        WriteText(low + "foxtrot.desktop", Entry("Foxtrot", "MimeType=image/jpeg;\n"));
        WriteText(low + "mimeapps.list", "[Added Associations]\nimage/jpeg=golf.desktop;delta.desktop;\n");
        WriteText(Path("config") + "/mimeapps.list",
                  "[Default Applications]\nimage/jpeg=missing.desktop;bravo.desktop;\n"
                  "[Added Associations]\nimage/jpeg=echo.desktop;bravo.desktop;\n"
                  "[Removed Associations]\nimage/jpeg=delta.desktop;\n");
    }

    static QStringList Captions(QMenu* menu)
    {
        QStringList list;
        for (QAction* a : menu->actions()) list << (a->isSeparator() ? "-" : a->text());
        return list;
    }
    static QAction* Item(QMenu* menu, const QString& text)
    {
        for (QAction* a : menu->actions()) {
            if (a->text() == text) return a;
            if (a->menu())
                if (QAction* inner = Item(a->menu(), text)) return inner;
        }
        return nullptr;
    }

    TShellMenuHooks Saved;
};

TEST_F(ShellMenuTest, TheMenuOffersTheDesktopActionsWithOpenAsDefault)
{
    WriteJpeg(Path("photo.jpg"), 8, 8);
    WriteTree();
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, Path("photo.jpg")));
    EXPECT_EQ(Captions(menu.get()), (QStringList{"&Open", "Open &With", "-", "Send &To", "-", "&Copy", "Copy &Path",
                                                 "Show in &Folder", "-", "P&roperties"}));
    EXPECT_EQ(menu->defaultAction()->text(), "&Open");
    EXPECT_EQ(Captions(Item(menu.get(), "Send &To")->menu()), QStringList{"Mail Recipient"});
    // Default first, then added, then those listing the type (by id); hidden, removed, shadowed and
    // missing ones left out.
    QMenu* with = Item(menu.get(), "Open &With")->menu();
    EXPECT_EQ(Captions(with), (QStringList{"Bravo", "Echo", "Alpha", "Foxtrot", "Zulu"}));
    EXPECT_TRUE(with->isEnabled());
}

TEST_F(ShellMenuTest, OpenWithIsDisabledWithoutPrograms)
{
    std::ofstream(Path("notes.xyz-unknown")) << "x";
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, Path("notes.xyz-unknown")));
    QAction* with = Item(menu.get(), "Open &With");
    ASSERT_TRUE(with);
    EXPECT_FALSE(with->isEnabled());
    EXPECT_TRUE(with->menu()->actions().isEmpty());
}

TEST_F(ShellMenuTest, AMissingFileShowsNothing)
{
    bool menuShown = false;
    QTimer closer; // goes with the test: a menu would have blocked until it fired
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuShown = true;
            popup->close();
        }
    });
    closer.start(300);
    ShowShellContextMenu(nullptr, Path("no such.jpg"));
    EXPECT_FALSE(menuShown);
    EXPECT_TRUE(Box.Calls().empty());
    EXPECT_EQ(GetShellItemForPath(""), "");
}

TEST_F(ShellMenuTest, TheFileIsFoundWithItsCaseOnDiskAndEscRunsNothing)
{
    WriteJpeg(Path("Photo.JPG"), 8, 8);
    EXPECT_EQ(GetShellItemForPath(Path("photo.jpg")), Path("Photo.JPG"));
    TRecordingLauncher launcher;
    TMailLauncher* previous = SetMailLauncher(&launcher);
    std::vector<std::string> temp;
    InstallShellMenuLauncher(nullptr, temp);
    bool menuShown = false;
    QTimer::singleShot(200, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            menuShown = true;
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(popup, &esc);
        }
    });
    ShowShellContextMenu(nullptr, Path("photo.jpg"));
    SetMailLauncher(previous);
    EXPECT_TRUE(menuShown);
    EXPECT_TRUE(launcher.Started.empty());
    EXPECT_TRUE(launcher.Urls.empty());
}

TEST_F(ShellMenuTest, CopyPutsTheFileAndItsPathOnTheClipboard)
{
    const std::string file = Path("a b ü.jpg");
    WriteJpeg(file, 8, 8);
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, file));
    Item(menu.get(), "&Copy")->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls()[0].toLocalFile().toStdString(), file);
    const QByteArray url = "file://" + QUrl::toPercentEncoding(QString::fromStdString(file), "/");
    EXPECT_EQ(data->data("x-special/gnome-copied-files"), "copy\n" + url);
    EXPECT_EQ(data->text().toStdString(), file);

    Item(menu.get(), "Copy &Path")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), file);
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasUrls());
}

TEST_F(ShellMenuTest, OpenFolderAndMailGoThroughTheLauncher)
{
    const std::string file = Path("shot.jpg");
    WriteJpeg(file, 8, 8);
    WriteTree();
    TRecordingLauncher launcher;
    TMailLauncher* previous = SetMailLauncher(&launcher);
    std::vector<std::string> temp;
    InstallShellMenuLauncher(nullptr, temp);
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, file));
    Item(menu.get(), "&Open")->trigger();
    Item(menu.get(), "Show in &Folder")->trigger();
    Item(menu.get(), "Alpha")->trigger();
    Item(menu.get(), "Mail Recipient")->trigger();
    SetMailLauncher(previous);

    const std::string folderUrl = "file://" + Dir.path().toStdString();
    EXPECT_EQ(launcher.Urls, (std::vector<std::string>{"file://" + file, folderUrl}));
    ASSERT_EQ(launcher.Started.size(), 2u);
    EXPECT_EQ(launcher.Started[0], (std::vector<std::string>{"/usr/bin/Alpha-program", file}));
    const std::vector<std::string>& mail = launcher.Started[1];
    ASSERT_GE(mail.size(), 3u);
    EXPECT_EQ(mail[0], "/usr/bin/xdg-email");
    EXPECT_EQ(mail[mail.size() - 2], "--attach");
    // The mail takes a copy of its own, under the file's name, kept until the program ends.
    const std::string attached = mail.back();
    EXPECT_NE(attached, file);
    EXPECT_EQ(std::filesystem::path(attached).filename(), "shot.jpg");
    EXPECT_EQ(ReadAll(attached), ReadAll(file));
    EXPECT_NE(std::find(temp.begin(), temp.end(), attached), temp.end());
    for (const std::string& made : temp) { // files before their folders
        std::error_code ec;
        EXPECT_TRUE(std::filesystem::remove(made, ec)) << made;
    }
}

// A program started from "Open With" gets the path as one argument, blanks and quotes included,
// both through the program's launcher and through the menu's own start.
TEST_F(ShellMenuTest, ALaunchedProgramReceivesThePathAsOneArgument)
{
    const std::string file = Path("my \"best\" photo's copy.jpg");
    WriteJpeg(file, 8, 8);
    const std::string scriptDir = Path("bin dir");
    const std::string script = scriptDir + "/record args";
    WriteText(script, "#!/bin/sh\nout=\"$1\"\nshift\nprintf '%s\\n' \"$#\" \"$@\" > \"$out.part\"\nmv \"$out.part\" \"$out\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    for (bool throughLauncher : {true, false}) {
        const std::string out = Path(throughLauncher ? "launcher.txt" : "own.txt");
        WriteText(Path("data-high") + "/applications/recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nMimeType=image/jpeg;\nExec=\"" + script +
                      "\" \"" + out + "\" %f\n");
        std::vector<std::string> temp;
        if (throughLauncher) InstallShellMenuLauncher(nullptr, temp);
        else ShellMenuHooks().StartProgram = nullptr;
        std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, file));
        Item(menu.get(), "Recorder")->trigger();
        ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(out); }, 10000)) << throughLauncher;
        EXPECT_EQ(ReadAll(out), "1\n" + file + "\n") << throughLauncher;
    }
}

TEST_F(ShellMenuTest, FailedStartsAndOpensAreReported)
{
    const std::string file = Path("x.jpg");
    WriteJpeg(file, 8, 8);
    WriteText(Path("data-high") + "/applications/ghost.desktop",
              "[Desktop Entry]\nType=Application\nName=Ghost\nMimeType=image/jpeg;\nExec=/no/such/program %f\n");
    ShellMenuHooks().OpenUrl = [](const QUrl&) { return false; };
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, file));
    Item(menu.get(), "Ghost")->trigger();
    Item(menu.get(), "Show in &Folder")->trigger();
    ASSERT_EQ(Box.Calls().size(), 2u);
    EXPECT_EQ(Box.Calls()[0].Text, "Cannot start Ghost");
    EXPECT_EQ(Box.Calls()[1].Text, "Cannot open " + Dir.path().toStdString());
}

TEST(DesktopApps, ExecLinesExpandWithThePathAsOneArgument)
{
    TDesktopApp app;
    app.Name = "Viewer";
    app.Icon = "viewer-icon";
    app.FileName = "/apps/viewer.desktop";
    const std::string p = "/t/a b \"c\".jpg";
    const struct
    {
        const char* Exec;
        std::vector<std::string> Args;
    } cases[] = {
        {"view %f", {"view", p}},
        {"view --new %U --last", {"view", "--new", p, "--last"}},
        {"\"/opt/my app/view\" %u", {"/opt/my app/view", p}},
        {"view", {"view", p}}, // no file code: the file goes last
        {"view %F %f", {"view", p}},
        {"view %i %c %k 100%%", {"view", "--icon", "viewer-icon", "Viewer", "/apps/viewer.desktop", "100%", p}},
        {"view %d %D %n %N %v %m %f", {"view", p}},
        {"view \"say \\\"hi\\\" \\\\ \\$x\" %f", {"view", "say \"hi\" \\ $x", p}},
        {"view --title=%c   %f", {"view", "--title=Viewer", p}},
        {"view \"unterminated %f", {}},
        // The path is never part of a longer argument, quoted or not: such entries take no file.
        {"sh -c \"viewer %f\"", {}},
        {"view \"%f\"", {}},
        {"view --file=%f", {}},
        {"sh -c viewer%u", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        app.Exec = c.Exec;
        EXPECT_EQ(ExpandExecLine(app, p), c.Args) << c.Exec;
    }
    app.Icon.clear();
    app.Exec = "view %i %f";
    EXPECT_EQ(ExpandExecLine(app, p), (std::vector<std::string>{"view", p}));
}

// A name that runs a command when a shell reads it: an entry putting the name inside its shell
// command is not offered; one passing it as an argument of its own starts, the name staying a name.
TEST_F(ShellMenuTest, OpenWithNeverHandsTheNameToAShell)
{
    const std::string file = Path("x $(touch pwned).jpg"), out = Path("seen.txt");
    WriteJpeg(file, 8, 8);
    const std::string apps = Path("data-high") + "/applications/",
                      entry = "[Desktop Entry]\nType=Application\nMimeType=image/jpeg;\n";
    WriteText(apps + "inside.desktop", entry + "Name=Inside\nExec=sh -c \"echo %f > '" + out + "'\"\n");
    WriteText(apps + "apart.desktop",
              entry + "Name=Apart\nExec=sh -c \"echo \\\"$0\\\" > '" + out + "'\" %f\n");
    ShellMenuHooks().StartProgram = nullptr;
    const QString before = QDir::currentPath();
    QDir::setCurrent(Dir.path()); // where a command in the name would leave its file
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, file));
    EXPECT_EQ(Item(menu.get(), "Inside"), nullptr);
    if (QAction* apart = Item(menu.get(), "Apart")) apart->trigger();
    EXPECT_TRUE(PumpUntil([&] { return !ReadAll(out).empty(); }, 10000));
    QDir::setCurrent(before);
    EXPECT_EQ(ReadAll(out), file + "\n");
    EXPECT_FALSE(std::filesystem::exists(Path("pwned")));
}

TEST_F(ShellMenuTest, DesktopEntryValuesAreUnescaped)
{
    WriteText(Path("e.desktop"), "# comment\n[Other]\nName=Wrong\n[Desktop Entry]\nType=Application\n"
                                 "Name=Two\\sWords\nExec=run\\s--x \\\\%f\nNoDisplay=false\nHidden=true\n");
    TDesktopApp app;
    ASSERT_TRUE(ReadDesktopEntry(Path("e.desktop"), "e.desktop", app));
    EXPECT_EQ(app.Name, "Two Words");
    EXPECT_EQ(app.Exec, "run --x \\%f");
    EXPECT_FALSE(app.NoDisplay);
    EXPECT_TRUE(app.Hidden);
    WriteText(Path("link.desktop"), "[Desktop Entry]\nType=Link\nName=L\nURL=http://x\n");
    EXPECT_FALSE(ReadDesktopEntry(Path("link.desktop"), "link.desktop", app));
    EXPECT_FALSE(ReadDesktopEntry(Path("none.desktop"), "none.desktop", app));
}

TEST_F(ShellMenuTest, PropertiesShowTheFilesFigures)
{
    // 12345 bytes: 12345 / 1024 = 12.06 KB, shown with one decimal.
    const std::string plain = Path("data.bin");
    std::ofstream(plain, std::ios::binary) << std::string(12345, 'z');
    // A PNG of 37 x 21 pixels.
    const std::string picture = Path("pic.png");
    QImage(37, 21, QImage::Format_RGB32).save(QString::fromStdString(picture));
    for (const std::string& f : {plain, picture}) {
        QFile file(QString::fromStdString(f));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15)), QFileDevice::FileModificationTime));
        file.close();
        std::filesystem::permissions(f, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                            std::filesystem::perms::group_read);
    }
    TFileProperties props;
    ASSERT_TRUE(ReadFileProperties(QString::fromStdString(plain), props));
    EXPECT_EQ(FilePropertiesLines(props).join("|").toStdString(),
              (QStringList{"Name: data.bin", "Folder: " + Dir.path(), "Type: " + props.Type,
                           "Size: 12.1 KB (12,345 bytes)", "Modified: 2024-02-29 13:14:15", "Permissions: rw-r-----"})
                  .join("|")
                  .toStdString());
    ASSERT_TRUE(ReadFileProperties(QString::fromStdString(picture), props));
    EXPECT_EQ(props.Type, "PNG image");
    EXPECT_EQ(props.Width, 37);
    EXPECT_EQ(props.Height, 21);
    EXPECT_EQ(FilePropertiesLines(props).last(), "Dimensions: 37 x 21 pixels");
    EXPECT_FALSE(ReadFileProperties(QString::fromStdString(Path("none")), props));

    // The menu's item shows the figures of its file.
    TFileProperties shown;
    ShellMenuHooks().ShowProperties = [&](QWidget*, const TFileProperties& p) { shown = p; };
    std::unique_ptr<QMenu> menu(BuildShellContextMenu(nullptr, picture));
    Item(menu.get(), "P&roperties")->trigger();
    EXPECT_EQ(shown.Name, "pic.png");
    EXPECT_EQ(shown.Width, 37);
}

} // namespace
