// File > System Menu: the menu shows at the mouse for a copy of the active window's result, which
// stays until the program ends.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <filesystem>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "common/ui/ShellContextMenu.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;
using SysMenuCommandTest = TFolderTest;

TEST_F(SysMenuCommandTest, SystemMenuShowsTheFileActionsOfACopyOfTheResult)
{
    WriteBmp(Path("scan 1.bmp"), 48, 32);
    auto form = std::make_unique<TMainForm>(std::vector<std::string>{Path("scan 1.bmp")},
                                            std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
    form->show();
    EXPECT_FALSE(form->FileSysMenuAction->isEnabled()); // no window yet
    ASSERT_TRUE(PumpUntil([&] { return form->ImageWindows().size() == 1; }));
    TImageForm* w = form->ImageWindows()[0];
    ASSERT_TRUE(PumpUntil([&] { return w->ResultSize > 0 && !w->Busy && form->FileSysMenuAction->isEnabled(); }));
    EXPECT_TRUE(form->ImageMenu->actions().contains(form->FileSysMenuAction));

    const size_t tempBefore = form->TempFileList.size();
    QStringList captions;
    QPoint shownAt;
    QTimer::singleShot(300, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) return;
        for (QAction* a : popup->actions())
            if (!a->isSeparator()) captions << a->text();
        shownAt = popup->pos();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(popup, &esc);
    });
    QCursor::setPos(QPoint(200, 150));
    form->FileSysMenuAction->trigger();
    EXPECT_EQ(captions, (QStringList{"&Open", "Open &With", "Send &To", "&Copy", "Copy &Path", "Show in &Folder",
                                     "P&roperties"}));
    EXPECT_LE((shownAt - QCursor::pos()).manhattanLength(), 2);
    // The copy, "scan 1.jpg", and its folder are kept for the end of the program.
    ASSERT_EQ(form->TempFileList.size(), tempBefore + 2);
    const std::string copy = form->TempFileList[tempBefore];
    EXPECT_EQ(std::filesystem::path(copy).filename(), "scan 1.jpg");
    EXPECT_EQ(ReadAll(copy).substr(0, 2), "\xFF\xD8");
    EXPECT_FALSE(ShellMenuHooks().StartProgram); // the launcher's hooks went with the menu

    w->SetSaved(true);
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(copy));
}

} // namespace
