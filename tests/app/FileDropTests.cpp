// Files dragged onto the main window: the drag events are sent to the widget under the cursor, and
// Qt carries them up to the window as a real drag would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "common/StrRes.h"
#include "controls/DropTarget.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

struct TDragResult
{
    bool EnterAccepted = false;
    bool DropAccepted = false;
    Qt::DropAction Action = Qt::IgnoreAction;
};

// Enter, move and drop at the widget's centre.
TDragResult DragOnto(QWidget* widget, const QMimeData& data, Qt::DropActions actions,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPoint at = widget->rect().center();
    TDragResult r;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, modifiers);
    enter.ignore();
    QApplication::sendEvent(widget, &enter);
    r.EnterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, modifiers);
    move.ignore();
    QApplication::sendEvent(widget, &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, modifiers);
    drop.ignore();
    QApplication::sendEvent(widget, &drop);
    r.DropAccepted = drop.isAccepted();
    r.Action = drop.dropAction();
    return r;
}

std::unique_ptr<QMimeData> FileDrag(const std::vector<std::string>& paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls << (p.find("://") != std::string::npos ? QUrl(QString::fromStdString(p))
                                                     : QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    data->setText("dragged names"); // file managers add the names as text too
    return data;
}

class FileDropTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        Form = std::make_unique<TMainForm>(std::vector<std::string>{},
                                           std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        Form->show();
        EXPECT_FALSE(Form->acceptDrops()); // registered by the first idle pass, not before
        ASSERT_TRUE(PumpUntil([&] { return !Form->FirstIdle; }));
        ASSERT_TRUE(Form->acceptDrops());
    }
    void TearDown() override
    {
        for (TImageForm* f : Form->ImageWindows()) f->SetSaved(true);
        Form.reset();
    }
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (TImageForm* w : Form->ImageWindows()) names.push_back(w->FileInfo.FileName);
        return names;
    }
    bool OpensWindows(size_t count)
    {
        return PumpUntil([&] { return Form->ImageWindows().size() == count && Form->FileQueue.empty(); });
    }

    std::unique_ptr<TMainForm> Form;
};

TEST_F(FileDropTest, ThreeDroppedFilesOpenThreeWindowsWithBlanksAndUtf8Intact)
{
    const std::vector<std::string> files = {Path("a b.jpg"), Path("Grüße 写真.bmp"), Path("c.jpg")};
    WriteJpeg(files[0], 32, 24);
    WriteBmp(files[1], 20, 10);
    WriteJpeg(files[2], 16, 16);
    const auto data = FileDrag(files);
    const TDragResult r = DragOnto(Form->MdiArea->viewport(), *data, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(r.EnterAccepted);
    EXPECT_TRUE(r.DropAccepted);
    EXPECT_EQ(r.Action, Qt::CopyAction);
    ASSERT_TRUE(OpensWindows(3));
    std::vector<std::string> names = OpenNames();
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = files;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(Box.Calls().empty());
}

TEST_F(FileDropTest, DropsOverAnImageWindowOrAPanelEditReachTheMainWindow)
{
    WriteJpeg(Path("first.jpg"), 32, 24);
    WriteJpeg(Path("second.jpg"), 32, 24);
    WriteJpeg(Path("third.jpg"), 32, 24);
    Form->NewImageWindow({Path("first.jpg")});
    ASSERT_TRUE(OpensWindows(1));
    TImageForm* image = Form->ImageWindows()[0];
    ASSERT_TRUE(PumpUntil([&] { return !image->Busy; }));
    QWidget* inside = image->widget() ? image->widget() : image;
    EXPECT_TRUE(DragOnto(inside, *FileDrag({Path("second.jpg")}), Qt::CopyAction).DropAccepted);
    ASSERT_TRUE(OpensWindows(2));

    // The panels are enabled with a window open; the ratio edit takes typed-in style text drags
    // but passes file drags on.
    auto* edit = Form->findChild<QLineEdit*>("ComprRatioEdit");
    ASSERT_TRUE(edit);
    edit->setEnabled(true);
    edit->window()->setEnabled(true);
    QMimeData text;
    text.setText("35");
    EXPECT_TRUE(DragOnto(edit, text, Qt::CopyAction | Qt::MoveAction).EnterAccepted);
    EXPECT_TRUE(DragOnto(edit, *FileDrag({Path("third.jpg")}), Qt::CopyAction).DropAccepted);
    ASSERT_TRUE(OpensWindows(3));
    EXPECT_EQ(OpenNames().back(), Path("third.jpg"));
}

TEST_F(FileDropTest, RefusedDragsOpenNothing)
{
    WriteJpeg(Path("a.jpg"), 16, 16);
    QMimeData textOnly;
    textOnly.setText(QString::fromStdString(Path("a.jpg")));
    const struct
    {
        const char* What;
        const QMimeData* Data;
        Qt::DropActions Actions;
    } cases[] = {
        {"text only", &textOnly, Qt::CopyAction | Qt::MoveAction},
        {"move only", FileDrag({Path("a.jpg")}).release(), Qt::MoveAction},
        {"link only", FileDrag({Path("a.jpg")}).release(), Qt::LinkAction},
    };
    for (const auto& c : cases) {
        const TDragResult r = DragOnto(Form->MdiArea->viewport(), *c.Data, c.Actions);
        EXPECT_FALSE(r.EnterAccepted) << c.What;
        EXPECT_FALSE(r.DropAccepted) << c.What;
        EXPECT_TRUE(Form->FileQueue.empty()) << c.What; // the drop handler never ran
    }
    for (const auto& c : cases)
        if (c.Data != &textOnly) delete c.Data;
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(Form->ImageWindows().empty());
}

TEST_F(FileDropTest, ShiftStillCopies)
{
    WriteJpeg(Path("a.jpg"), 16, 16);
    const auto data = FileDrag({Path("a.jpg")});
    for (Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::ShiftModifier),
                                       Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)}) {
        const TDragResult r = DragOnto(Form->MdiArea->viewport(), *data, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, mods);
        EXPECT_TRUE(r.DropAccepted);
        EXPECT_EQ(r.Action, Qt::CopyAction);
    }
    EXPECT_TRUE(OpensWindows(2));
}

TEST_F(FileDropTest, AWebAddressShowsTheBoxOnceAndOpensNothing)
{
    WriteJpeg(Path("a.jpg"), 16, 16);
    const auto data = FileDrag({"https://example.invalid/photo.jpg", "https://example.invalid/photo.jpg", Path("a.jpg")});
    EXPECT_TRUE(DragOnto(Form->MdiArea->viewport(), *data, Qt::CopyAction).DropAccepted);
    ASSERT_TRUE(OpensWindows(1));
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text, SImageNotCached);
    EXPECT_EQ(OpenNames(), std::vector<std::string>{Path("a.jpg")});
}

TEST_F(FileDropTest, TheWindowTakesNoDropsOnceItGoes)
{
    QWidget* viewport = Form->MdiArea->viewport();
    Form->DropTarget->Unregister(); // what the window's destruction does first
    EXPECT_FALSE(Form->acceptDrops());
    WriteJpeg(Path("a.jpg"), 16, 16);
    EXPECT_FALSE(DragOnto(viewport, *FileDrag({Path("a.jpg")}), Qt::CopyAction).DropAccepted);
}

} // namespace
