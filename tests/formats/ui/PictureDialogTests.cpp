// The picture dialogs at work offscreen: the panel fills once the worker has loaded the selected
// file, a damaged file shows its name and why, a slow load never holds the dialog up, OK waits for
// the accepted file and hands over the whole picture, Save adds the suffix before asking.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "codec/JPEGImage.h"
#include "formats/ui/ImageInfoForm.h"
#include "formats/ui/PictureDialog.h"
#include "formats/ui/PictureInfoText.h"
#include "formats/ui/PreviewFrames.h"
#include "platform/Bitmap.h"
#include "workspace/ImageForm.h"
#include "support/GuiTestApp.h"

namespace {

// A stand-in loader: a name in Held waits until released; every call is recorded.
struct TLatchedLoader
{
    std::mutex Mutex;
    std::vector<std::string> Calls;
    std::atomic<bool> Released{false};
    std::atomic<bool> Entered{false};
    std::string Held;

    TPictureLoadFn Fn()
    {
        return [this](const TPictureRequest& r) {
            {
                std::lock_guard<std::mutex> lock(Mutex);
                Calls.push_back(r.FileName);
            }
            if (r.FileName == Held) {
                Entered = true;
                while (!Released) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            TPictureResult result;
            result.FileName = r.FileName;
            result.Info.FileName = r.FileName;
            result.Info.FileSize = 1234;
            result.Info.Width = r.FileName == Held ? 11 : 22;
            return result;
        };
    }
    std::vector<std::string> CallList()
    {
        std::lock_guard<std::mutex> lock(Mutex);
        return Calls;
    }
};

class PictureDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiInvoker();
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override
    {
        // Every loader frees itself once it has ended, without anyone waiting for it.
        EXPECT_TRUE(PumpUntil([] { return TPictureLoadThread::LiveCount() == 0; }, 5000));
    }

    // A JPEG written by Qt's own writer (not the product's encoder).
    QString MakeJpeg(const QString& name, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
        const QString path = Dir.filePath(name);
        EXPECT_TRUE(image.save(path, "JPG", 90));
        return path;
    }

    // The embedded file dialog's own OK button, as the user presses it.
    static void PressOk(TOpenPictureDialog& d)
    {
        auto* box = d.FileDialog()->findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) {
                ASSERT_TRUE(b->isEnabled());
                b->click();
                return;
            }
        FAIL() << "no OK button";
    }

    // Selects a file as a click in the list does, once the folder listing (which the file dialog
    // reads in the background) shows it.
    static void Select(TOpenPictureDialog& d, const QString& path)
    {
        auto* model = d.FileDialog()->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return model->index(path).isValid(); }, 5000)) << path.toStdString();
        auto* view = d.FileDialog()->findChild<QListView*>("listView");
        ASSERT_NE(view, nullptr);
        view->setCurrentIndex(model->index(path));
    }

    // The dialog on the folder with a stand-in loader, held inside the load of held.
    void ShowHolding(TOpenPictureDialog& d, TLatchedLoader& loader, const QString& held)
    {
        loader.Held = held.toStdString();
        d.Loader = loader.Fn();
        d.SetInitialFolder(Dir.path().toStdString());
        d.show();
        Select(d, held);
        if (!PumpUntil([&] { return loader.Entered.load(); })) {
            loader.Released = true;
            FAIL() << "the loader was not called";
        }
    }

    QString Value(TOpenPictureDialog& d, int line) { return d.InfoForm()->ValueLabel(line)->text(); }

    QTemporaryDir Dir;
};

} // namespace

TEST_F(PictureDialogTest, SelectedFileFillsThePanelOnceLoaded)
{
    const QString path = MakeJpeg("colour.jpg", 40, 24);
    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, path);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "40"; }));
    EXPECT_EQ(Value(d, ilFileName), "colour.jpg");
    EXPECT_EQ(Value(d, ilHeight), "24");
    EXPECT_EQ(Value(d, ilBits), "24");
    EXPECT_EQ(Value(d, ilFormat), "JPEG/JFIF compliant");
    EXPECT_FALSE(Value(d, ilDate).isEmpty());
    EXPECT_TRUE(d.FileInfo().PictureInfoValid);
    EXPECT_TRUE(d.InfoForm()->CaptionLabel(ilWidth)->isEnabled());
    // The fade has run its course: the frame shown is the new one, with the picture in it.
    ASSERT_TRUE(PumpUntil([&] { return !d.InfoForm()->Fading(); }));
    EXPECT_EQ(d.InfoForm()->FadeStep(), 0);
    const QImage& shown = d.InfoForm()->ShownFrame();
    const QRect place = PreviewRect(40, 24, shown.width(), shown.height());
    EXPECT_NE(shown.pixel(place.center()), shown.pixel(0, 0));
    d.reject();
}

TEST_F(PictureDialogTest, DamagedFileShowsItsNameAndTheLoadError)
{
    const QString good = MakeJpeg("whole.jpg", 64, 48);
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray head = in.read(100);
    const QString bad = Dir.filePath("cut.jpg");
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(head);
    out.close();

    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, bad);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilFileName) == "cut.jpg"; }));
    EXPECT_FALSE(d.LoadError().empty());
    for (int i = ilFormat; i < ilCount; ++i) {
        EXPECT_EQ(Value(d, i), "") << i;
        EXPECT_FALSE(d.InfoForm()->CaptionLabel(i)->isEnabled()) << i;
    }
    EXPECT_TRUE(d.InfoForm()->CaptionLabel(ilFileName)->isEnabled());
    EXPECT_FALSE(d.InfoForm()->PopupMenu()->actions().first()->isEnabled()); // "&Open"
    EXPECT_EQ(d.TakePicture(), nullptr);
    d.reject();
}

TEST_F(PictureDialogTest, SlowLoadKeepsServingAndTheLatestSelectionWins)
{
    const QString a = MakeJpeg("a.jpg", 8, 8), b = MakeJpeg("b.jpg", 8, 8), c = MakeJpeg("c.jpg", 8, 8);
    TLatchedLoader loader;
    TOpenPictureDialog d;
    ShowHolding(d, loader, a);
    // The dialog still runs its events while the worker is held.
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(PumpUntil([&] { return fired; }, 2000));
    Select(d, b);
    Select(d, c); // replaces b, which never started
    loader.Released = true;
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "22"; }));
    EXPECT_EQ(Value(d, ilFileName), "c.jpg");
    EXPECT_EQ(loader.CallList(), (std::vector<std::string>{a.toStdString(), c.toStdString()}));
    PressOk(d); // c's load gave no picture: nothing is handed over, the caller loads the file itself
    EXPECT_EQ(d.TakePicture(), nullptr);
    d.reject();
}

TEST_F(PictureDialogTest, ClosingWhileLoadingDropsTheResultWithoutWaiting)
{
    const QString a = MakeJpeg("a.jpg", 8, 8);
    TLatchedLoader loader;
    {
        TOpenPictureDialog d;
        ShowHolding(d, loader, a);
        d.reject();
        EXPECT_EQ(TPictureLoadThread::LiveCount(), 1); // not joined: still held
        EXPECT_NE(Value(d, ilWidth), "11");
        loader.Released = true;
    }
    // The dialog's end waited for the worker to end and free itself, so nothing of it reports later
    // (at the program's end, to an event loop that is gone).
    EXPECT_EQ(TPictureLoadThread::LiveCount(), 0);
}

TEST_F(PictureDialogTest, OkWhileLoadingWaitsAndHandsOverTheWholePicture)
{
    const QString big = MakeJpeg("big.jpg", 2000, 1500);
    TOpenPictureDialog d;
    d.SetDisplayOptions(0); // preview on
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, big);
    PressOk(d); // at once, while the worker still loads
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.FileName(), big.toStdString());
    EXPECT_TRUE(d.FileInfo().JpegScale); // the preview decoded a reduced picture
    EXPECT_EQ(d.FileInfo().Width, 2000);
    std::unique_ptr<TGraphic> picture = d.TakePicture();
    ASSERT_NE(picture, nullptr);
    auto* jpeg = dynamic_cast<TJPEGImage*>(picture.get());
    ASSERT_NE(jpeg, nullptr);
    const TBitmap* bitmap = jpeg->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 2000);
    EXPECT_EQ(bitmap->Height(), 1500);
    EXPECT_FALSE(d.FileInfo().JpegScale);
    EXPECT_EQ(d.TakePicture(), nullptr); // handed over once
}

TEST_F(PictureDialogTest, WindowOpenedFromTheDialogHasTheWholePicture)
{
    const QString big = MakeJpeg("big.jpg", 2000, 1500);
    TOpenPictureDialog d;
    d.SetDisplayOptions(0);
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, big);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "2000"; }));
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    QMdiArea area;
    auto* form = new TImageForm(nullptr, nullptr);
    area.addSubWindow(form);
    std::unique_ptr<TGraphic> picture = d.TakePicture();
    ASSERT_NE(picture, nullptr);
    form->LoadSourceFromDialog(std::move(picture), d.FileInfo());
    ASSERT_NE(form->SourceBitmap(), nullptr);
    EXPECT_EQ(form->SourceBitmap()->Width(), 2000);
    EXPECT_EQ(form->SourceBitmap()->Height(), 1500);
    EXPECT_EQ(form->FileInfo.FileName, big.toStdString());
    EXPECT_EQ(form->FileInfo.Width, 2000);
}

TEST_F(PictureDialogTest, PictureOfAnotherNameIsNotHandedOver)
{
    const QString a = MakeJpeg("a.jpg", 16, 16);
    const QString typed = MakeJpeg("typed.jpg", 16, 16);
    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, a);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "16"; }));
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText("typed.jpg");
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.FileName(), typed.toStdString());
    EXPECT_EQ(d.TakePicture(), nullptr); // the caller loads the typed file itself
}

TEST_F(PictureDialogTest, SaveAddsTheSuffixBeforeAskingToReplace)
{
    MakeJpeg("photo.jpg", 8, 8);
    TSavePictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    EXPECT_EQ(d.InfoForm()->PopupMenu()->actions().first()->text(), "&Save");
    EXPECT_TRUE(d.InfoForm()->PopupMenu()->actions().first()->isEnabled());
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText("photo");
    QString asked;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = box->text();
            box->button(QMessageBox::Yes)->click();
        }
    });
    PressOk(d);
    EXPECT_TRUE(asked.contains("photo.jpg")) << asked.toStdString();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.FileName(), Dir.filePath("photo.jpg").toStdString());
}

// The typed name goes when it names no file of the recent folder chosen, and stays when it does: the
// file is then selected and loaded as a click would, and Open opens it.
TEST_F(PictureDialogTest, RecentFolderMovesTheViewAndKeepsTheTypedName)
{
    QTemporaryDir other;
    ASSERT_TRUE(QDir(Dir.path()).mkdir("holding"));
    const QString kept = MakeJpeg("holding/keep.jpg", 30, 20);
    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.SetRecentFolders({"/nowhere/at/all", other.path().toStdString(), Dir.filePath("holding").toStdString()});
    d.show();
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    QListWidget* list = d.InfoForm()->RecentList();
    ASSERT_EQ(list->count(), 3);
    QAction* open = d.InfoForm()->PopupMenu()->actions().first();

    edit->setText("keep.jpg");
    emit list->itemClicked(list->item(1));
    EXPECT_EQ(d.FileDialog()->directory().absolutePath(), QDir(other.path()).absolutePath());
    EXPECT_TRUE(PumpUntil([&] { return edit->text().isEmpty(); }, 2000)) << edit->text().toStdString();
    EXPECT_EQ(Value(d, ilFileName).toStdString(), "-");
    EXPECT_FALSE(open->isEnabled());
    EXPECT_EQ(d.InfoForm()->RecentList()->item(1)->text().toStdString(), other.path().toStdString());

    edit->setText("keep.jpg");
    emit list->itemClicked(list->item(2));
    EXPECT_EQ(d.FileDialog()->directory().absolutePath(), QDir(Dir.filePath("holding")).absolutePath());
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "30"; }, 5000));
    EXPECT_EQ(edit->text(), "keep.jpg");
    EXPECT_TRUE(open->isEnabled());
    QPushButton* ok = d.FileDialog()->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
    ASSERT_TRUE(PumpUntil([&] { return ok->isEnabled(); }, 5000)); // once the folder is listed
    PressOk(d);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.FileName(), kept.toStdString());
    EXPECT_NE(d.TakePicture(), nullptr);
}

TEST_F(PictureDialogTest, MenuItemsSetTheDisplayOptions)
{
    TOpenPictureDialog d;
    d.SetDisplayOptions(4);
    d.show();
    QMenu* menu = d.InfoForm()->PopupMenu();
    auto find = [&](const QString& text) -> QAction* {
        for (QAction* a : menu->actions()) {
            if (a->text() == text) return a;
            if (a->menu())
                for (QAction* s : a->menu()->actions())
                    if (s->text() == text) return s;
        }
        return nullptr;
    };
    for (const char* text : {"Download Time at &28.8 Kbit", "Download Time at &56 KBit", "&Bits per Pixel", "&Bytes",
                             "Smooth Image &Appearing"}) {
        QAction* a = find(text);
        ASSERT_NE(a, nullptr) << text;
        a->trigger();
    }
    EXPECT_EQ(d.DisplayOptions(), 16 | 32 | 2);
    EXPECT_EQ(d.InfoForm()->CaptionLabel(ilFileSize)->text(), "File Size (bytes, sec):");
    d.InfoForm()->PreviewCheck()->setChecked(false);
    EXPECT_EQ(d.DisplayOptions(), 16 | 32 | 2 | 1);
    EXPECT_FALSE(find("&Show Image Preview")->isChecked());
    d.reject();
}

TEST_F(PictureDialogTest, PopupOpenPressesOkAndHelpAsksForItsTopic)
{
    const QString a = MakeJpeg("a.jpg", 30, 20);
    TOpenPictureDialog d;
    int topic = 0;
    d.OnHelp = [&](int t) { topic = t; };
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    QMenu* menu = d.InfoForm()->PopupMenu();
    QAction* open = menu->actions().first();
    EXPECT_EQ(open->text(), "&Open");
    EXPECT_FALSE(open->isEnabled()); // nothing loaded yet
    menu->actions().last()->trigger(); // "&Help"
    EXPECT_EQ(topic, 139);
    Select(d, a);
    ASSERT_TRUE(PumpUntil([&] { return open->isEnabled(); }));
    open->trigger();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.FileName(), a.toStdString());
}

// Both files picked one by one, or everything selected with Ctrl+A in a folder that also holds a
// sub-folder: Open hands back the two files, the folder left out rather than entered.
TEST_F(PictureDialogTest, MultipleSelectionHandsBackEveryName)
{
    const QString a = MakeJpeg("a.jpg", 8, 8), b = MakeJpeg("b.jpg", 8, 8);
    ASSERT_TRUE(QDir(Dir.path()).mkdir("edited"));
    for (const bool selectAll : {false, true}) {
        SCOPED_TRACE(selectAll ? "Ctrl+A" : "two files");
        TOpenPictureDialog d;
        d.SetMultipleSelection(true);
        d.SetInitialFolder(Dir.path().toStdString());
        d.show();
        Select(d, a);
        Select(d, b);
        auto* model = d.FileDialog()->findChild<QFileSystemModel*>();
        auto* view = d.FileDialog()->findChild<QListView*>("listView");
        if (selectAll) {
            ASSERT_TRUE(PumpUntil([&] { return model->index(Dir.filePath("edited")).isValid(); }, 5000));
            QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
            ASSERT_EQ(view->selectionModel()->selectedRows().size(), 3);
        } else {
            view->selectionModel()->select(model->index(a), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            view->selectionModel()->select(model->index(b), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        PressOk(d);
        ASSERT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.isVisible());
        std::vector<std::string> names = d.FileNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{a.toStdString(), b.toStdString()}));
        EXPECT_EQ(d.FileDialog()->directory().absolutePath(), QDir(Dir.path()).absolutePath());
    }
}

TEST_F(PictureDialogTest, SecondRunStartsWithAnEmptyPanelAndLoadsAgain)
{
    const QString a = MakeJpeg("a.jpg", 12, 10), b = MakeJpeg("b.jpg", 14, 10);
    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    Select(d, a);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "12"; }));
    d.reject();
    d.show();
    EXPECT_EQ(Value(d, ilWidth), "-");
    EXPECT_TRUE(d.FileInfo().FileName.empty());
    Select(d, b);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "14"; }));
    d.reject();
    // Shown in another folder, which has no file of the name left in the field: the name goes.
    ASSERT_TRUE(QDir(Dir.path()).mkdir("sub"));
    d.SetInitialFolder(Dir.filePath("sub").toStdString());
    d.show();
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    EXPECT_TRUE(PumpUntil([&] { return edit->text().isEmpty(); }, 2000)) << edit->text().toStdString();
    EXPECT_EQ(Value(d, ilFileName).toStdString(), "-");
    d.reject();
}

// Shown again after a file was opened from the list, the dialog starts in the name field with that
// name selected: a name typed replaces it, Enter opens the typed file, and the name field's
// completion list goes with the dialog.
TEST_F(PictureDialogTest, KeyboardStartsInTheNameFieldAndEnterOpensWhatItHolds)
{
    const QString a = MakeJpeg("a.jpg", 8, 8), b = MakeJpeg("b.jpg", 8, 8);
    MakeJpeg("bb.jpg", 8, 8);
    TOpenPictureDialog d;
    d.SetInitialFolder(Dir.path().toStdString());
    d.show();
    QApplication::setActiveWindow(&d);
    auto* view = d.FileDialog()->findChild<QAbstractItemView*>("treeView");
    view->setFocus(Qt::MouseFocusReason);
    Select(d, a);
    QTest::keyClick(view, Qt::Key_Return); // opened from the list, which keeps the focus

    d.show();
    QApplication::setActiveWindow(&d);
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), "a.jpg");
    // The completer offers only what the folder listing holds when a key comes, and retries when
    // the listing arrives only if its list window already exists: wait for both names, make the
    // window first.
    auto* model = d.FileDialog()->findChild<QFileSystemModel*>();
    ASSERT_TRUE(PumpUntil([&] { return model->index(Dir.filePath("bb.jpg")).isValid(); }, 5000));
    QAbstractItemView* completions = edit->completer()->popup();
    QTest::keyClicks(edit, "b");
    EXPECT_TRUE(PumpUntil([&] { return completions->isVisible(); })); // b.jpg and bb.jpg
    QTest::keyClicks(edit, ".jpg");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.FileName(), b.toStdString());
    EXPECT_FALSE(completions->isVisible());
}

// A folder's name typed in the name field, and Enter: the view enters the folder, the completion
// list that offered the name goes (it has nothing left to offer there), and the panel no longer
// shows the file it showed, here the one named in the field when the dialog opened.
TEST_F(PictureDialogTest, EnteringAFolderFromTheNameFieldLeavesNoListAndDropsThePreviousFile)
{
    const QString a = MakeJpeg("a.jpg", 8, 8);
    ASSERT_TRUE(QDir(Dir.path()).mkdir("sub"));
    const QString inSub = MakeJpeg("sub/c.jpg", 8, 8);
    TOpenPictureDialog d;
    d.SetFileName(a.toStdString());
    d.show();
    QApplication::setActiveWindow(&d);
    ASSERT_TRUE(PumpUntil([&] { return Value(d, ilWidth) == "8"; }));
    auto* edit = d.FileDialog()->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_EQ(QApplication::focusWidget(), edit);
    // The completion list is made, and the listing awaited, before the first key (see above).
    auto* model = d.FileDialog()->findChild<QFileSystemModel*>();
    ASSERT_TRUE(PumpUntil([&] { return model->index(Dir.filePath("sub")).isValid(); }, 5000));
    QAbstractItemView* completions = edit->completer()->popup();
    QTest::keyClicks(edit, "su");
    ASSERT_TRUE(PumpUntil([&] { return completions->isVisible(); }));
    QTest::keyClicks(edit, "b");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(d.FileDialog()->directory().absolutePath(), QDir(Dir.filePath("sub")).absolutePath());
    EXPECT_TRUE(d.isVisible());
    // Checked again once the new folder's listing has come.
    ASSERT_TRUE(PumpUntil([&] { return model->index(inSub).isValid(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(completions->isVisible());
    EXPECT_EQ(Value(d, ilWidth).toStdString(), "-");
    EXPECT_EQ(Value(d, ilFileName).toStdString(), "-");
    EXPECT_TRUE(d.FileInfo().FileName.empty()) << d.FileInfo().FileName;
    d.reject();
}
