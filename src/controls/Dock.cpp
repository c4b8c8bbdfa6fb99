#include "controls/Dock.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "controls/ToolWindow.h"
#include "platform/Exceptions.h"

namespace {

int GDockSerial = 0;

bool InsideToolWindowOrDock(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (qobject_cast<TCustomToolWindow*>(w) || qobject_cast<TDock*>(w)) return true;
    return false;
}

} // namespace

TDock::TDock(QWidget* parent, TDockPosition position) : QWidget(parent), FPosition(position), FSerial(++GDockSerial)
{
    if (InsideToolWindowOrDock(parent))
        throw EInvalidOperation("A TDock control cannot be placed inside a tool window or another TDock");
    FColor = palette().color(QPalette::Button);
    setAutoFillBackground(false);
    ArrangeToolbars(false);
}

TDock::~TDock()
{
    // Windows that remember this dock forget it; docked ones go with the dock as its children.
    QList<TCustomToolWindow*> list = FDockList;
    list += findChildren<TCustomToolWindow*>(Qt::FindDirectChildrenOnly);
    for (TCustomToolWindow* w : list) {
        if (w->FLastDock == this) w->FLastDock = nullptr;
        if (w->FDefaultDock == this) w->FDefaultDock = nullptr;
        if (w->FDockedTo == this) w->FDockedTo = nullptr;
    }
    FDockList.clear();
    FDockVisibleList.clear();
}

TDockOrientation TDock::Orientation() const
{
    return FPosition == TDockPosition::dpLeft || FPosition == TDockPosition::dpRight ? TDockOrientation::doVertical
                                                                                     : TDockOrientation::doHorizontal;
}

void TDock::SetAllowDrag(bool value)
{
    if (FAllowDrag == value) return;
    FAllowDrag = value;
    for (TCustomToolWindow* w : FDockList)
        if (w->DockedTo() == this) w->Reframe();
    ArrangeToolbars(false);
}

void TDock::SetBackground(const QPixmap& value)
{
    FBackground = value;
    FBackgroundCache = QPixmap();
    RepaintWindows();
}

void TDock::SetBackgroundOnToolbars(bool value)
{
    FBackgroundOnToolbars = value;
    RepaintWindows();
}

void TDock::SetBackgroundTransparent(bool value)
{
    FBackgroundTransparent = value;
    FBackgroundCache = QPixmap();
    RepaintWindows();
}

void TDock::SetBoundLines(TDockBoundLines value)
{
    FBoundLines = value & (blTop | blBottom | blLeft | blRight);
    FBoundLinesWidth = ((FBoundLines & blLeft) ? 1 : 0) + ((FBoundLines & blRight) ? 1 : 0);
    FBoundLinesHeight = ((FBoundLines & blTop) ? 1 : 0) + ((FBoundLines & blBottom) ? 1 : 0);
    ArrangeToolbars(false);
    update();
}

void TDock::SetColor(const QColor& value)
{
    FColor = value;
    FBackgroundCache = QPixmap();
    RepaintWindows();
}

void TDock::SetFixAlign(bool value)
{
    FFixAlign = value;
    ArrangeToolbars(false);
}

void TDock::SetPosition(TDockPosition value)
{
    if (value == FPosition) return;
    if (!findChildren<TCustomToolWindow*>(Qt::FindDirectChildrenOnly).isEmpty())
        throw EInvalidOperation("Cannot change Position of a TDock if it already contains controls");
    FPosition = value;
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ArrangeToolbars(false);
}

void TDock::RepaintWindows()
{
    update();
    for (TCustomToolWindow* w : FDockList)
        if (w->DockedTo() == this) w->update();
}

void TDock::BeginUpdate() { ++FUpdateCount; }

void TDock::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FArrangePending) ArrangeToolbars(false);
}

int TDock::GetHighestRow() const
{
    int highest = -1;
    for (TCustomToolWindow* w : FDockList) highest = std::max(highest, w->DockRow());
    return highest;
}

int TDock::GetRowSize(int row, TCustomToolWindow* defaultWindow) const
{
    int size = row >= 0 && row < int(FRowSizes.size()) ? FRowSizes[size_t(row)] : 0;
    if (size == 0 && defaultWindow) defaultWindow->GetBarSize(size, Orientation());
    return size;
}

int TDock::GetNumberOfToolbarsOnRow(int row, TCustomToolWindow* notIncluding) const
{
    return int(std::count_if(FDockList.begin(), FDockList.end(),
                             [&](TCustomToolWindow* w) { return w != notIncluding && w->DockRow() == row; }));
}

void TDock::RemoveBlankRows()
{
    std::vector<int> rows;
    for (TCustomToolWindow* w : FDockList) rows.push_back(w->DockRow());
    ::RemoveBlankRows(rows);
    for (qsizetype i = 0; i < FDockList.size(); ++i) FDockList[i]->FDockRow = rows[size_t(i)];
}

void TDock::InsertRowBefore(int row)
{
    for (TCustomToolWindow* w : FDockList)
        if (w->DockRow() >= row) w->FDockRow = ClampDockRow(w->DockRow() + 1);
}

int TDock::GetRowOf(int pos, bool& before) const
{
    TRowHit hit = ::GetRowOf(FRowSizes, GetHighestRow(), pos);
    before = hit.Before;
    return hit.Row;
}

int TDock::GetRowAt(int pos) const { return ::GetRowAt(FRowSizes, GetHighestRow(), pos); }

bool TDock::HasVisibleToolWindows() const
{
    return std::any_of(FDockList.begin(), FDockList.end(),
                       [&](TCustomToolWindow* w) { return w->parentWidget() == this && w->Visible(); });
}

void TDock::ChangeDockSize(int newWidth, int newHeight)
{
    // The form's layout keeps the edge; the dock only fixes its thickness.
    if (Orientation() == TDockOrientation::doVertical) {
        setFixedWidth(std::max(0, newWidth));
        setMinimumHeight(0);
        setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        setFixedHeight(std::max(0, newHeight));
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
    }
}

QRect TDock::ClientRect() const
{
    return rect().adjusted((FBoundLines & blLeft) ? 1 : 0, (FBoundLines & blTop) ? 1 : 0, (FBoundLines & blRight) ? -1 : 0,
                           (FBoundLines & blBottom) ? -1 : 0);
}

QPixmap TDock::BackgroundTile() const
{
    if (FBackground.isNull() || !FBackgroundTransparent) return FBackground;
    if (FBackgroundCache.isNull()) {
        QImage img = FBackground.toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb key = img.pixel(0, img.height() - 1);
        const QRgb face = FColor.rgb();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == key) img.setPixel(x, y, face);
        FBackgroundCache = QPixmap::fromImage(img);
    }
    return FBackgroundCache;
}

void TDock::ArrangeToolbars(bool clipPositions)
{
    if (clipPositions) FClipPositionsPending = true;
    if (FUpdateCount > 0) {
        FArrangePending = true;
        return;
    }
    ++FUpdateCount;
    const bool vertical = Orientation() == TDockOrientation::doVertical;
    if (!HasVisibleToolWindows()) {
        const int thickness = FFixAlign ? 1 : 0;
        ChangeDockSize(vertical ? thickness : width(), vertical ? height() : thickness);
    } else {
        TDockLayoutInput in;
        in.Vertical = vertical;
        in.Room = std::max(0, vertical ? height() - FBoundLinesHeight : width() - FBoundLinesWidth);
        in.LimitToOneRow = FLimitToOneRow;
        in.ClipPositions = FClipPositionsPending;
        for (TCustomToolWindow* w : FDockList) {
            TDockLayoutItem item;
            item.DockRow = w->DockRow();
            item.DockPos = w->DockPos();
            item.FullSize = w->FullSize();
            item.Counts = w->parentWidget() == this && w->Visible();
            const QSize size = w->parentWidget() == this ? w->size() : w->WindowSize();
            item.Length = vertical ? size.height() : size.width();
            w->GetBarSize(item.BarSize, Orientation());
            in.Items.push_back(item);
        }
        const TDockLayoutResult out = ArrangeDockRows(in);
        const QList<TCustomToolWindow*> old = FDockList;
        const QPoint origin = ClientRect().topLeft();
        for (size_t i = 0; i < size_t(old.size()); ++i) {
            TCustomToolWindow* w = old[qsizetype(i)];
            w->FDockRow = out.DockRow[i];
            w->FDockPos = out.DockPos[i];
            if (!in.Items[i].Counts) continue;
            const TRect& b = out.Bounds[i];
            w->SetBoundsInLayout(QRect(b.Left + origin.x(), b.Top + origin.y(), b.Width(), b.Height()));
        }
        FDockList.clear();
        for (size_t i : out.Order) FDockList.push_back(old[qsizetype(i)]);
        std::stable_sort(FDockVisibleList.begin(), FDockVisibleList.end(), [](TCustomToolWindow* a, TCustomToolWindow* b) {
            return a->DockRow() != b->DockRow() ? a->DockRow() < b->DockRow() : a->DockPos() < b->DockPos();
        });
        FRowSizes = out.RowSizes;
        ChangeDockSize(vertical ? out.Thickness + FBoundLinesWidth : width(),
                       vertical ? height() : out.Thickness + FBoundLinesHeight);
    }
    --FUpdateCount;
    FArrangePending = false;
    FClipPositionsPending = false;
}

void TDock::JoinDockList(TCustomToolWindow* w)
{
    if (!FDockList.contains(w)) FDockList.push_back(w);
}

void TDock::LeaveDockList(TCustomToolWindow* w)
{
    FDockList.removeAll(w);
    SetVisibleMember(w, false);
}

void TDock::SetVisibleMember(TCustomToolWindow* w, bool member)
{
    if (member == FDockVisibleList.contains(w)) return;
    if (member) FDockVisibleList.push_back(w);
    else FDockVisibleList.removeAll(w);
    if (OnInsertRemoveBar) OnInsertRemoveBar(this, member, w);
}

void TDock::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect client = ClientRect();
    const QPixmap tile = BackgroundTile();
    if (tile.isNull()) p.fillRect(client, FColor);
    else p.drawTiledPixmap(client, tile);
    if (!HasVisibleToolWindows() && (height() <= 1 || width() <= 1)) return; // an empty dock draws no lines
    const QColor shadow = palette().color(QPalette::Dark), light = palette().color(QPalette::Light);
    if (FBoundLines & blTop) p.fillRect(QRect(0, 0, width(), 1), shadow);
    if (FBoundLines & blLeft) p.fillRect(QRect(0, 0, 1, height()), shadow);
    if (FBoundLines & blBottom) p.fillRect(QRect(0, height() - 1, width(), 1), light);
    if (FBoundLines & blRight) p.fillRect(QRect(width() - 1, 0, 1, height()), light);
}

void TDock::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const bool lengthChanged = Orientation() == TDockOrientation::doVertical
                                   ? event->size().height() != event->oldSize().height()
                                   : event->size().width() != event->oldSize().width();
    if (lengthChanged) ArrangeToolbars(false);
    if (OnResize) OnResize(this);
}

void TDock::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) RepaintWindows();
}

TDock* FindDockByName(QWidget* form, const QString& name)
{
    if (!form) return nullptr;
    QList<TDock*> docks = form->findChildren<TDock*>();
    std::stable_sort(docks.begin(), docks.end(), [](TDock* a, TDock* b) { return a->CreationSerial() < b->CreationSerial(); });
    for (TDock* d : docks)
        if (d->objectName() == name) return d;
    return nullptr;
}
