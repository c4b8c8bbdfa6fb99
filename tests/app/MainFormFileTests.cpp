#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QMdiArea>
#include <QMenu>
#include <QToolButton>
#include <filesystem>
#include <sys/stat.h>

#include "ImageTestKit.h"
#include "RecordingLauncher.h"
#include "ScannerStub.h"
#include "app/MailImage.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "controls/ToolbarButton.h"
#include "app/ProfileMenu.h"
#include "app/QtSettingsStore.h"
#include "codec/ProfileFile.h"
#include "common/CommLib.h"
#include "common/StrRes.h"
#include "controls/ClipboardBitmap.h"
#include "formats/BitmapGraphic.h"
#include "formats/ui/PictureDialog.h"
#include "resample/ui/ResizeForm.h"
#include "resample/ui/SizeSpinBox.h"
#include "platform/TempFolder.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class MainFormFileTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        setenv("QM_SETTINGS_DIR", Dir.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        if (Form) {
            for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
            Form.reset();
        }
        unsetenv("QM_SETTINGS_DIR");
    }
    void Start()
    {
        Form = std::make_unique<TMainForm>(std::vector<std::string>{}, std::make_unique<TQtSettingsStore>(Path("QMK.conf")),
                                           Path("sock"));
        Form->FileDialogRunner = [this](const TFileDialogRequest& request) {
            Dialogs.push_back(request);
            TFileDialogResult r;
            r.FileName = QString::fromStdString(NextName);
            r.Directory = QString::fromStdString(NextDir);
            return r;
        };
        // Open and Save As run the picture dialogs: their prepared state is recorded the same way,
        // and NextDir / NextName play the user's choice.
        Form->PictureDialogRunner = [this](TOpenPictureDialog& d) {
            QFileDialog* f = d.FileDialog();
            TFileDialogRequest request;
            request.Title = d.windowTitle();
            request.Start = QString::fromStdString(d.FileName());
            request.Filters = f->nameFilters();
            request.DefaultSuffix = f->defaultSuffix();
            request.Save = f->acceptMode() == QFileDialog::AcceptSave;
            for (const std::string& folder : d.RecentFolders())
                request.History << QString::fromStdString(folder);
            Dialogs.push_back(request);
            if (!NextDir.empty()) {
                std::filesystem::create_directories(NextDir);
                d.SetInitialFolder(NextDir);
            }
            if (NextName.empty()) return false;
            d.SetFileName(NextName);
            return true;
        };
        Form->show();
    }
    TImageForm* OpenCompressed(const std::string& path)
    {
        TImageForm* w = Form->NewImageWindow({path});
        w->HasFileName = true;
        Form->MdiArea->setActiveSubWindow(w);
        EXPECT_TRUE(PumpUntil([&] { return w->ResultSize > 0 && !w->Busy; }));
        return w;
    }
    std::string ProfileFolder() const { return TMainForm::ProfileDir(); }

    std::unique_ptr<TMainForm> Form;
    std::vector<TFileDialogRequest> Dialogs;
    std::string NextName, NextDir;
};

// The commands' captions, shortcuts and names.
TEST_F(MainFormFileTest, CommandsCarryTheirCaptionsAndShortcuts)
{
    Start();
    const struct
    {
        const char* name;
        const char* caption;
        const char* keys;
    } rows[] = {
        {"FileOpenAction", "&Open...", "Ctrl+O"},          {"FileSaveAction", "&Save", "Ctrl+S"},
        {"FileSaveAsAction", "Save &As...", "F12"},        {"FileExportBMPAction", "Windows &Bitmap (BMP)", ""},
        {"FileCloseAction", "&Close", ""},                 {"FileLoadProfileAction", "Load &From...", "Ctrl+Shift+O"},
        {"FileSaveProfileAction", "Save &Profile...", "Ctrl+Shift+S"},
        {"FileSelSourceAction", "Select So&urce...", ""},  {"FileAcquireAction", "&Acquire...", ""},
        {"FileMailAction", "&Mail Image", "Shift+M"},      {"FileExitAction", "E&xit", ""},
    };
    for (const auto& r : rows) {
        auto* a = Form->findChild<QAction*>(r.name);
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_EQ(a->text().toStdString(), r.caption);
        EXPECT_EQ(a->shortcut(), QKeySequence(r.keys)) << r.name;
    }
}

// Save on a clipboard window asks for a name; Save As starts with the name that will be written
// and adds ".jpg" inside the dialog; the open dialog's folder is remembered even when cancelled.
TEST_F(MainFormFileTest, SaveDialogsStartWithTheWrittenName)
{
    Start();
    SetClipboardBitmap(TestPattern(40, 30));
    Form->EditPasteAction->trigger();
    ASSERT_TRUE(PumpUntil([&] { return Form->ActiveImage() && Form->ActiveImage()->ResultSize > 0 && !Form->ActiveImage()->Busy; }));
    Form->FileSaveActionExecute();
    ASSERT_EQ(Dialogs.size(), 1u);
    EXPECT_EQ(Dialogs[0].Title.toStdString(), "Save As...");
    EXPECT_EQ(Dialogs[0].DefaultSuffix.toStdString(), "jpg");
    EXPECT_TRUE(Dialogs[0].Save);

    WriteBmp(Path("photo.bmp"), 40, 30);
    OpenCompressed(Path("photo.bmp"));
    Form->DialogFolders.SaveDir = Dir.path().toStdString();
    Form->FileSaveAsActionExecute();
    EXPECT_EQ(Dialogs.back().Start.toStdString(), Path("photo.jpg"));

    NextDir = Path("somewhere");
    Form->DialogFolders.RecentOpenDirs = {"/x/"};
    Form->FileOpenAction->trigger(); // cancelled
    EXPECT_EQ(Dialogs.back().History, QStringList{"/x/"});
    EXPECT_EQ(Dialogs.back().Title.toStdString(), "Open...");
    EXPECT_TRUE(Dialogs.back().Filters.first().startsWith("All supported formats"));
    EXPECT_EQ(Form->DialogFolders.OpenDir, Path("somewhere") + "/");
    EXPECT_EQ(Form->DialogFolders.RecentOpenDirs.front(), Path("somewhere") + "/");
}

// A missing profile changes and marks nothing; Save Profile writes a file that reads back equal and
// shows in both menus, and the window shows and recompresses what it applied (a held ratio of 30).
TEST_F(MainFormFileTest, ProfilesLoadAndSave)
{
    Start();
    WriteBmp(Path("photo.bmp"), 40, 30);
    TImageForm* w = OpenCompressed(Path("photo.bmp"));
    w->MarkParamsChanged(false);
    w->ForceRun = false;
    const int quality = w->Image->LumQuality;
    Form->LoadProfileFile(Path("missing.qmp"));
    EXPECT_FALSE(w->HasPendingChanges());
    EXPECT_FALSE(w->ForceRun);
    EXPECT_EQ(w->Image->LumQuality, quality);

    w->Image->LumQuality = 33;
    w->Image->ProgressiveEncoding = true;
    Form->ProfileEditorRunner = [](TJPEGProfile& p, const TJPEGImage&) {
        p.Name = "web";
        p.ComprRatio = 30;
        return true;
    };
    NextName = ProfileFolder() + "/web.qmp";
    Form->FileSaveProfileAction->trigger();
    EXPECT_TRUE(Form->ComprRatioEdit->isEnabled());
    EXPECT_EQ(Form->ComprRatioEdit->text(), "30");
    EXPECT_TRUE(w->HasPendingChanges() && w->ForceRun);
    EXPECT_EQ(Dialogs.back().Start.toStdString(), ProfileFolder() + "/web.qmp");
    EXPECT_EQ(Dialogs.back().DefaultSuffix.toStdString(), "qmp");
    ASSERT_TRUE(std::filesystem::exists(NextName));
    TJPEGImage back;
    ReadProfileFile(back, NextName);
    TJPEGProfile saved, loaded;
    GetSettingsRecord(*w->Image, saved);
    GetSettingsRecord(back, loaded);
    EXPECT_TRUE(ProfilesMatch(loaded, saved));
    EXPECT_EQ(back.LumQuality, 33);
    EXPECT_EQ(Form->LoadProfileMenu->actions().first()->text().toStdString(), "web");

    // Loading it into another window marks a change and forces a run. It goes in as written, the
    // tie and the grey scale of the window aside (luma 33 at the slider's 68, chroma 50 at 51).
    WriteBmp(Path("other.bmp"), 40, 30);
    TImageForm* o = OpenCompressed(Path("other.bmp"));
    Form->LumChromSyncBtn->click();
    Form->OptGrayAction->trigger();
    o->MarkParamsChanged(false);
    o->ForceRun = false;
    Form->LoadProfileMenu->actions().first()->trigger();
    EXPECT_EQ(o->Image->LumQuality, 33);
    EXPECT_EQ(o->Image->ChromQuality, 50);
    EXPECT_EQ(std::tuple(Form->LumTrackBar->value(), Form->ChromTrackBar->value()), std::tuple(68, 51));
    EXPECT_TRUE(o->ForceRun);
}

// With InitComprParams 1 a click makes the profile the default, drawn bold when the menu opens
// again; the toolbar button runs Load Profile and drops the same menu.
TEST_F(MainFormFileTest, MenuClickNamesTheDefault)
{
    std::filesystem::create_directories(ProfileFolder());
    TJPEGImage image;
    WriteProfileFile(image, ProfileFolder() + "/a.qmp");
    image.LumQuality = 10;
    WriteProfileFile(image, ProfileFolder() + "/b.QMP"); // opened as listed once it is the default
    Start();
    Form->Prefs.InitComprParams = 1;
    WriteBmp(Path("photo.bmp"), 40, 30);
    OpenCompressed(Path("photo.bmp"));
    emit Form->LoadProfileMenu->aboutToShow();
    QList<QAction*> items = Form->LoadProfileMenu->actions();
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items[0]->text().toStdString(), "b");
    EXPECT_EQ(items[1]->text().toStdString(), "a");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], Form->FileLoadProfileAction);
    items[0]->trigger();
    EXPECT_EQ(Form->Prefs.NameDefProfile, "b");
    WriteBmp(Path("next.bmp"), 40, 30);
    EXPECT_EQ(OpenCompressed(Path("next.bmp"))->Image->LumQuality, 10);
    emit Form->LoadProfileMenu->aboutToShow();
    EXPECT_TRUE(Form->LoadProfileMenu->actions()[0]->font().bold());
    EXPECT_EQ(Form->LoadProfileSubMenu->actions()[0]->text().toStdString(), "b");
    EXPECT_TRUE(Form->ProfileBtn->DropdownCombo());
    EXPECT_EQ(Form->ProfileBtn->DropdownArrowWidth(), 12);
    EXPECT_EQ(Form->ProfileBtn->DropdownMenu(), Form->LoadProfileMenu);
    ASSERT_TRUE(Form->ProfileBtn->isEnabled());
    Form->ProfileBtn->Click();
    ASSERT_FALSE(Dialogs.empty());
    EXPECT_EQ(Dialogs.back().Title.toStdString(), "Open Profile...");
    EXPECT_EQ(Dialogs.back().Start.toStdString(), ProfileFolder());
}

// The mail copy outlives the command but not the main window.
TEST_F(MainFormFileTest, MailCopyLastsUntilTheProgramEnds)
{
    TRecordingLauncher launcher;
    TMailLauncher* previous = SetMailLauncher(&launcher);
    Start();
    Form->Prefs.EmailMethod = 0;
    WriteJpeg(Path("photo.jpeg"), 40, 30);
    OpenCompressed(Path("photo.jpeg"));
    ASSERT_TRUE(PumpUntil([&] { return Form->FileMailAction->isEnabled(); }));
    Form->FileMailAction->trigger();
    for (const auto& c : Box.Calls()) ADD_FAILURE() << c.Text;
    ASSERT_EQ(launcher.Args.size(), 7u);
    const std::string copy = launcher.Args[6];
    EXPECT_EQ(ExtractFileName(copy), "photo.jpeg");
    EXPECT_EQ(launcher.Args[2], "photo.jpg");
    EXPECT_TRUE(std::filesystem::exists(copy));
    for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
    Form.reset();
    EXPECT_FALSE(std::filesystem::exists(copy));
    EXPECT_FALSE(std::filesystem::exists(ExtractFilePath(copy)));
    SetMailLauncher(previous);
}

// With a stub scanner the first Acquire only selects, the second opens a window and leaves no file.
TEST_F(MainFormFileTest, AcquireSelectsFirstThenOpensAWindow)
{
    TStubScanner scanner;
    TScannerAccess* previous = SetScannerAccess(&scanner);
    Start();
    const auto files = [] { return std::distance(std::filesystem::directory_iterator(RunTempFolder().Path()), {}); };
    const auto before = files();
    Form->FileAcquireAction->trigger();
    EXPECT_EQ(scanner.Selections, 1);
    EXPECT_TRUE(Form->ImageWindows().empty());
    Form->FileAcquireAction->trigger();
    ASSERT_EQ(Form->ImageWindows().size(), 1u);
    EXPECT_EQ(Form->ImageWindows()[0]->SourceBitmap()->Width(), 32);
    EXPECT_EQ(files(), before);
    SetScannerAccess(previous);
}

// A file accepted in the open dialog opens with the picture the dialog loaded: a stand-in loader
// hands over a 24 x 18 picture for a 64 x 48 file, and the window shows 24 x 18. The new window
// keeps the file's name and takes no untitled number.
TEST_F(MainFormFileTest, OpenTakesTheDialogsPicture)
{
    Start();
    WriteJpeg(Path("photo.jpeg"), 64, 48);
    const QString path = QString::fromStdString(Path("photo.jpeg"));
    const int untitled = Form->UntitledCounter;
    Form->PictureDialogRunner = [&](TOpenPictureDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Open...");
        d.Loader = [](const TPictureRequest& r) {
            TPictureResult result = LoadDialogPicture(r);
            if (result.Picture)
                result.Picture->SetGraphic(std::make_unique<TBitmapGraphic>(TestPattern(24, 18)));
            return result;
        };
        d.SetInitialFolder(Dir.path().toStdString());
        d.show();
        auto* model = d.FileDialog()->findChild<QFileSystemModel*>();
        auto* view = d.FileDialog()->findChild<QListView*>("listView");
        if (!model || !view || !PumpUntil([&] { return model->index(path).isValid(); }, 5000)) return false;
        view->setCurrentIndex(model->index(path));
        if (!PumpUntil([&] { return d.FileInfo().PictureInfoValid; }, 5000)) return false;
        d.accept();
        return true;
    };
    Form->FileOpenAction->trigger();
    ASSERT_EQ(Form->ImageWindows().size(), 1u);
    TImageForm* w = Form->ImageWindows()[0];
    ASSERT_NE(w->SourceBitmap(), nullptr);
    EXPECT_EQ(w->SourceBitmap()->Width(), 24);
    EXPECT_EQ(w->SourceBitmap()->Height(), 18);
    EXPECT_EQ(w->FileInfo.FileName, path.toStdString());
    EXPECT_TRUE(w->HasFileName);
    EXPECT_EQ(Form->UntitledCounter, untitled);
    EXPECT_EQ(Form->DialogFolders.OpenDir, Dir.path().toStdString() + "/");
}

// A named pipe, a folder or a device handed over by a second start (as the command line and a drop
// hand names over) says what it is at once and opens nothing. Nothing waits for a writer to the pipe.
TEST_F(MainFormFileTest, PipesAndFoldersSayWhatTheyAreAtOnce)
{
    const std::string pipe = Path("pipe.jpg"), folder = Path("folder.jpg"), other = Path("Other");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(other);
    const auto refused = [](const std::string& name, const char* kind) {
        return "Cannot open file \"" + name + "\". It is " + kind + ", not a regular file.";
    };
    Start();
    Form->ReceiveInstanceCommand({pipe, "file://" + folder, "/dev/null", Path("OTHER")}); // Other in another case
    ASSERT_EQ(Box.Calls().size(), 1u); // one box for the whole hand-over
    EXPECT_EQ(Box.Calls()[0].Text, refused(pipe, "a named pipe") + "\n" + refused(folder, "a folder") + "\n" +
                                       refused("/dev/null", "a device") + "\n" + refused(other, "a folder"));
    EXPECT_TRUE(PumpUntil([&] { return Form->ImageWindows().empty() && Form->FileQueue.empty(); }));
}

// A picture its profile resampled is a new picture named in its source's folder: Save, with the
// program started in that folder, asks for a name there that no file has (never the source's).
// Once saved, the window belongs to the file written.
TEST_F(MainFormFileTest, AResampledPictureIsSavedThroughSaveAsBesideItsSource)
{
    Start();
    const std::string folder = Path("photos"), source = folder + "/LadyBird.jpg";
    std::filesystem::create_directories(folder);
    WriteJpeg(source, 40, 30);
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder));
    Form->DialogFolders.SaveDir = Path("elsewhere");
    TImageForm* a = OpenCompressed(source); // saves in place, as when opened through the dialog
    a->Image->ResamplingOptions.Width = 20;
    a->Image->ResamplingOptions.Aspect = true;
    a->MarkParamsChanged(true);
    a->ForceRun = true;
    EXPECT_TRUE(
        PumpUntil([&] { return a->FileInfo.FileName != source && !a->Busy && !a->HasPendingChanges(); }));
    EXPECT_EQ(a->FileInfo.FileName, folder + "/LadyBird");
    Dialogs.clear();
    Form->FileSaveActionExecute(); // Ctrl+S, cancelled
    QDir::setCurrent(before);
    ASSERT_EQ(Dialogs.size(), 1u);
    EXPECT_EQ(Dialogs[0].Start.toStdString(), folder + "/LadyBird 20x15.jpg");
    std::ofstream(folder + "/LadyBird 20x15.jpg") << "x";
    std::filesystem::create_directory(folder + "/LadyBird 20x15 (2).jpg");
    Form->FileSaveAsActionExecute();
    EXPECT_EQ(Dialogs.back().Start.toStdString(), folder + "/LadyBird 20x15 (3).jpg");

    NextName = Path("small.jpg");
    ASSERT_TRUE(Form->FileSaveAsActionExecute());
    NextName.clear();
    Form->FileSaveAsActionExecute();
    EXPECT_EQ(Dialogs.back().Start.toStdString(), Path("small.jpg"));
}

// Edit > Resize: the dialog's options resample the active picture into a new window; its
// resolution and the profile's resolution bit take the dialog's values. 40 x 30 to a width of
// 20 with the aspect kept gives 20 x 15.
TEST_F(MainFormFileTest, ResizeOpensTheResampledPictureInANewWindow)
{
    Start();
    WriteBmp(Path("photo.bmp"), 40, 30);
    TImageForm* a = OpenCompressed(Path("photo.bmp"));
    a->Image->XDensity = 0; // a resolution of 0 is shown as 96
    a->Image->YDensity = 72;
    ASSERT_TRUE(PumpUntil([&] { return Form->EditResizeAction->isEnabled(); }));
    Form->ResizeDialogRunner = [](TResizeForm& f) {
        f.show();
        EXPECT_EQ(f.HorzDPI, 96);
        EXPECT_EQ(f.VertDPI, 72);
        EXPECT_EQ(f.WidthEdit->text(), "40");
        f.WidthEdit->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(f.WidthEdit, "20");
        f.HorzDPI = 200;
        f.VertDPI = 200;
        f.ResolutionFlag = true;
        f.accept();
        return f.result() == QDialog::Accepted;
    };
    Form->EditResizeAction->trigger();
    ASSERT_TRUE(PumpUntil([&] { return Form->ImageWindows().size() == 2 && !a->Busy; }));
    TImageForm* r = Form->ImageWindows()[1];
    ASSERT_TRUE(PumpUntil([&] { return r->SourceBitmap() != nullptr; }));
    EXPECT_EQ(r->SourceBitmap()->Width(), 20);
    EXPECT_EQ(r->SourceBitmap()->Height(), 15);
    EXPECT_EQ(a->ResizeOptions.Width, 20);
    EXPECT_EQ(a->ResizeOptions.Height, 0);
    EXPECT_EQ(a->Image->XDensity, 200);
    EXPECT_EQ(a->Image->YDensity, 200);
    EXPECT_TRUE(a->Image->MatchMask & mmResolution);
    EXPECT_EQ(r->FileInfo.FileName, Path("photo")) << "a new picture beside its source";

    // Cancelled: nothing starts.
    Form->MdiArea->setActiveSubWindow(a);
    Form->ResizeDialogRunner = [](TResizeForm&) { return false; };
    Form->EditResizeAction->trigger();
    EXPECT_EQ(Form->ImageWindows().size(), 2u);
}

} // namespace
