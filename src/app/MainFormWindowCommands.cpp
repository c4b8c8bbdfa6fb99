// Window commands of the main window: cascade, the two tilers, minimise and arrange, fit to the
// picture, duplicate, and the window list of the Window menu.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "app/MainForm.h"
#include "workspace/ImageForm.h"
#include "workspace/WindowCommandMath.h"

namespace {

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

void TMainForm::CreateWindowActions()
{
    WindowCascadeAction =
        MakeAction("WindowCascadeAction", "&Cascade", {}, [this] { CascadeImageWindows(); });
    WindowTileHorzAction =
        MakeAction("WindowTileHorzAction", "Tile &Horizontally", {}, [this] { WindowTileExecute(true); });
    WindowTileVertAction =
        MakeAction("WindowTileVertAction", "Tile &Vertically", {}, [this] { WindowTileExecute(false); });
    WindowMinimizeAllAction =
        MakeAction("WindowMinimizeAllAction", "&Minimize All", {}, [this] { WindowMinimizeAllExecute(); });
    WindowArrangeAllAction =
        MakeAction("WindowArrangeAllAction", "&Arrange All", {}, [this] { WindowArrangeAllExecute(); });
    WindowFitAction = MakeAction("WindowFitAction", "&Fit to image", QKeySequence("Ctrl+W"),
                                 [this] { WindowFitActionExecute(); });
    WindowDuplAction = MakeAction("WindowDuplAction", "&Duplicate", QKeySequence("Shift+D"),
                                  [this] { WindowDuplActionExecute(); });
}

void TMainForm::WindowTileExecute(bool rows)
{
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        if (!w->isMinimized() && w->isVisible()) windows.push_back(w);
    const QSize area = MdiArea->viewport()->size();
    const std::vector<TRect> places = rows
                                          ? TileRows(int32_t(windows.size()), area.width(), area.height())
                                          : TileColumns(int32_t(windows.size()), area.width(), area.height());
    for (size_t i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized()) windows[i]->showNormal();
        windows[i]->setGeometry(ToQRect(places[i]));
    }
}

void TMainForm::WindowMinimizeAllExecute()
{
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        w->showMinimized();
    WindowArrangeAllExecute();
}

void TMainForm::WindowArrangeAllExecute()
{
    std::vector<QMdiSubWindow*> icons;
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        if (w->isMinimized()) icons.push_back(w);
    if (icons.empty()) return;
    const QSize icon = icons.front()->size();
    const QSize area = MdiArea->viewport()->size();
    const std::vector<TRect> places =
        ArrangeIconRects(int32_t(icons.size()), icon.width(), icon.height(), area.width(), area.height());
    for (size_t i = 0; i < icons.size(); ++i)
        icons[i]->move(places[i].Left, places[i].Top);
}

void TMainForm::WindowFitActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const QSize area = MdiArea->viewport()->size();
    a->FitWindowToImage(QRect(0, 0, std::max(0, area.width() - 5), std::max(0, area.height() - 5)));
}

void TMainForm::WindowDuplActionExecute()
{
    if (TImageForm* a = ActiveImage()) MakeImageWindow()->LoadSourceFromWindow(a, -1);
}

void TMainForm::RebuildWindowList()
{
    // Everything after the list's separator is the list of the last opening.
    const QList<QAction*> items = WindowMenu->actions();
    bool inList = false;
    for (QAction* item : items) {
        if (inList) {
            WindowMenu->removeAction(item);
            item->deleteLater();
        } else if (item->objectName() == "WindowListSeparator") {
            inList = true;
        }
    }
    const QList<QMdiSubWindow*> windows = MdiArea->subWindowList();
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        QAction* item = WindowMenu->addAction(QString("&%1 %2").arg(number++).arg(w->windowTitle()));
        item->setCheckable(true);
        item->setChecked(w == MdiArea->activeSubWindow());
        QPointer<QMdiSubWindow> target(w);
        connect(item, &QAction::triggered, this, [this, target] {
            if (!target) return;
            if (target->isMinimized()) target->showNormal();
            MdiArea->setActiveSubWindow(target);
        });
    }
}
