// The image window's views: layouts, zoom, scrolling together, the mouse tools and continuous zoom.
#include <QMdiArea>

#include "controls/EnhScrollBox.h"
#include "workspace/ImageCursors.h"
#include "workspace/ImageForm.h"

namespace {
constexpr int StatusBarHeight = 20;
}

// ---- layouts ----

void TImageForm::SetViewLayout(uint8_t layout)
{
    if (layout == ViewLayout || layout > 2) return;
    ViewLayout = layout;
    LayoutViews();
    // A source box shown again takes the result box's positions (it did not follow while hidden
    // with a stale range).
    if (layout != 2) SrcScrollBox->SetPositions(ResScrollBox->HorzPosition(), ResScrollBox->VertPosition());
    SrcScrollBox->update();
    ResScrollBox->update();
    StatusBar->update();
}

void TImageForm::LayoutViews()
{
    QWidget* client = widget();
    if (!client) return;
    int w = client->width(), h = client->height();
    TViewLayoutRects r = CalcViewLayout(ViewLayout, w, h, StatusBarHeight);
    auto place = [](QWidget* wd, const TRect& rc) { wd->setGeometry(rc.Left, rc.Top, rc.Width(), rc.Height()); };
    SrcScrollBox->setVisible(r.SourceVisible);
    Spacer->setVisible(r.SourceVisible);
    if (r.SourceVisible) {
        place(SrcScrollBox, r.Source);
        place(Spacer, r.Spacer);
    }
    place(ResScrollBox, r.Result);
    StatusBar->setGeometry(0, h - StatusBarHeight, w, StatusBarHeight);
}

// ---- zoom ----

void TImageForm::ApplyZoom(int32_t zoom)
{
    int w = FPicture.Width(), h = FPicture.Height();
    if (zoom < 1 || w <= 0 || h <= 0) return;
    Zoom = zoom;
    FScales = CalcZoomScales(zoom, w, h);
    SrcScrollBox->SetImageSize(FScales.ViewWidth, FScales.ViewHeight);
    if (ResultSize > 0)
        ResScrollBox->SetImageSize(FScales.ViewWidth, FScales.ViewHeight);
    else
        ResScrollBox->SetImageSize(0, 0);
    UpdateCaption();
}

TEnhScrollBox* TImageForm::MainBox() const { return ViewLayout == 2 ? ResScrollBox : SrcScrollBox; }

void TImageForm::ScrollTo(double fx, double fy)
{
    TEnhScrollBox* box = MainBox();
    int h = ScrollPosFor(FScales.ViewWidth, fx, box->viewport()->width());
    int v = ScrollPosFor(FScales.ViewHeight, fy, box->viewport()->height());
    SrcScrollBox->SetPositions(h, v);
    ResScrollBox->SetPositions(h, v);
}

static void ViewCentreOf(const TEnhScrollBox* box, const TZoomScales& s, double& cx, double& cy)
{
    cx = ViewCentre(s.ViewWidth, box->viewport()->width(), box->HorzPosition());
    cy = ViewCentre(s.ViewHeight, box->viewport()->height(), box->VertPosition());
}

void TImageForm::SetZoom(int32_t zoom)
{
    double cx, cy;
    ViewCentreOf(MainBox(), FScales, cx, cy);
    ApplyZoom(zoom);
    ScrollTo(cx, cy);
}

void TImageForm::CenterView() { ScrollTo(0.5, 0.5); }

void TImageForm::ApplyInitialZoom()
{
    TEnhScrollBox* box = MainBox();
    ApplyZoom(InitialZoom(box->viewport()->width(), box->viewport()->height(), FPicture.Width(), FPicture.Height()));
    CenterView();
}

void TImageForm::ZoomToFit()
{
    const TBitmap* res = ResultBitmap();
    int w = std::max(FPicture.Width(), res ? res->Width() : 0);
    int h = std::max(FPicture.Height(), res ? res->Height() : 0);
    if (w > 0 && h > 0)
        SetZoom(FittingZoom(ResScrollBox->viewport()->width(), ResScrollBox->viewport()->height(), w, h));
}

bool TImageForm::IsZoomedToFit() const
{
    const TBitmap* res = ResultBitmap();
    int w = std::max(FPicture.Width(), res ? res->Width() : 0);
    int h = std::max(FPicture.Height(), res ? res->Height() : 0);
    if (w <= 0 || h <= 0) return true;
    return Zoom == FittingZoom(ResScrollBox->viewport()->width(), ResScrollBox->viewport()->height(), w, h);
}

void TImageForm::FitWindowToImage(const QRect& area)
{
    if (isMaximized()) showNormal();
    TEnhScrollBox* box = ViewLayout == 2 ? ResScrollBox : SrcScrollBox;
    TEnhImage* view = box->Image();
    QRect g = geometry();
    TRect r = FitWindowRect(ViewLayout, Rect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()),
                            view->width(), view->height(), box->viewport()->width(), box->viewport()->height(),
                            Rect(area.left(), area.top(), area.left() + area.width(), area.top() + area.height()));
    setGeometry(r.Left, r.Top, r.Width(), r.Height());
}

// ---- result view ----

const TBitmap* TImageForm::ResultBitmap() const
{
    if (SourceAsResult) return SourceBitmap();
    if (Busy) return FShownResult.get();
    return ResultSize > 0 ? Image->Bitmap.get() : nullptr;
}

void TImageForm::UpdateResultView() { ResImage->SetViewBitmap(ResultBitmap()); }

void TImageForm::ShowSourceAsResult(bool value)
{
    SourceAsResult = value;
    UpdateResultView();
    ApplyZoom(Zoom);
    StatusBar->update();
}

// ---- scrolling together ----

// The other view takes the sender's positions. No count of paints that lag behind is kept to
// force both views to paint together: Qt paints every dirty region of one top-level window in the
// same pass, so the two views cannot drift apart on the screen.
void TImageForm::ScrollBoxPosChange(TEnhScrollBox* sender)
{
    // The source box hidden by the result-only layout keeps a stale size and scroll range: it
    // follows the result box but does not lead it.
    if (sender->isHidden()) return;
    TEnhScrollBox* other = sender == SrcScrollBox ? ResScrollBox : SrcScrollBox;
    other->SetPositions(sender->HorzPosition(), sender->VertPosition());
}

// ---- tools ----

void TImageForm::SetTool(uint8_t tool)
{
    if (tool > 2) return;
    Tool = tool;
    UpdateCursors();
}

void TImageForm::SetSelectionShape(uint8_t shape)
{
    if (shape > 2) return;
    SelShape = shape;
    if (Tool == 2) SetTool(2);
}

static int ToolCursorSlot(uint8_t tool, uint8_t shape, bool grab)
{
    if (tool == 0) return grab ? 2 : 1;
    if (tool == 1) return grab ? 7 : 6;
    return 3 + shape;
}

void TImageForm::UpdateCursors()
{
    QCursor c = ImageCursor(ToolCursorSlot(Tool, SelShape, false));
    SrcImage->setCursor(c);
    ResImage->setCursor(c);
}

void TImageForm::ImageMouseDown(TEnhImage* view, Qt::MouseButton button, int x, int y)
{
    if (QMdiArea* area = mdiArea(); area && area->activeSubWindow() != this) area->setActiveSubWindow(this);
    if (DrawingSelection && view != SelectionImage) {
        PopupAllowed = button != Qt::RightButton;
        return;
    }
    bool wasDrawing = DrawingSelection;
    if (Tool == 1) {
        view->setCursor(ImageCursor(ToolCursorSlot(Tool, SelShape, true)));
        StartContinuousZoom(view, button, x, y);
    } else if (button == Qt::LeftButton) {
        PanX = x;
        PanY = y;
        view->setCursor(ImageCursor(ToolCursorSlot(Tool, SelShape, true)));
        if (Tool == 2) BeginSelection(view, x, y);
    } else if (button == Qt::RightButton && DrawingSelection && SelShape == 2) {
        EndSelection(nullptr, x, y);
    }
    PopupAllowed = !((wasDrawing || DrawingSelection || ZoomActive) && button == Qt::RightButton);
}

void TImageForm::ScrollBoxMouseUp(Qt::MouseButton button)
{
    PopupAllowed = !(DrawingSelection || ZoomActive) || button != Qt::RightButton;
}

void TImageForm::ContextMenuRequested(const QPoint& globalPos)
{
    if (PopupAllowed && OnPopupMenu) OnPopupMenu(this, globalPos);
    PopupAllowed = true;
}

void TImageForm::ImageMouseMove(TEnhImage* view, Qt::MouseButtons buttons, int x, int y,
                                Qt::KeyboardModifiers modifiers)
{
    if (DrawingSelection && view != SelectionImage) return;
    if (ZoomActive && view->width() > 0 && view->height() > 0) {
        ZoomPointX = double(x) / view->width();
        ZoomPointY = double(y) / view->height();
    }
    if (buttons == Qt::LeftButton && modifiers == Qt::NoModifier) {
        if (Tool == 0) {
            ++PanMoveCount;
            if (PanMoveApplies(PanMoveCount)) {
                auto* box = view == SrcImage ? SrcScrollBox : ResScrollBox;
                box->SetPositions(box->HorzPosition() - PanDelta(x - PanX), box->VertPosition() - PanDelta(y - PanY));
                PanX = x;
                PanY = y;
            }
        } else if (Tool == 2 && DrawingSelection) {
            TrackSelection(view, x, y);
        }
    } else if (DrawingSelection && SelShape == 2) {
        TrackSelection(view, x, y);
    }
}

void TImageForm::ImageMouseUp(TEnhImage* view, Qt::MouseButton button, int x, int y)
{
    if (DrawingSelection && SelShape != 2 && button == Qt::LeftButton) {
        EndSelection(view, x, y);
    } else if (ZoomActive && button == ZoomButton) {
        ZoomActive = false;
        ZoomTimerActive = false;
    }
    if (!ZoomActive) UpdateCursors();
}

// ---- continuous zoom ----

void TImageForm::StartContinuousZoom(TEnhImage* view, Qt::MouseButton button, int x, int y)
{
    if (view->width() <= 0 || view->height() <= 0 || SrcImage->width() <= 0) return;
    ZoomActive = true;
    ZoomPointX = double(x) / view->width();
    ZoomPointY = double(y) / view->height();
    ZoomStep = button == Qt::RightButton ? -2 : 2;
    ZoomButton = button;
    ZoomTimerActive = true;
}

void TImageForm::TimerEvent()
{
    if (!ZoomActive) return;
    int32_t next = ContinuousZoomStep(Zoom, ZoomStep);
    if (next == Zoom) return;
    double cx, cy;
    ViewCentreOf(MainBox(), FScales, cx, cy);
    ApplyZoom(next);
    ScrollTo(ZoomDrift(cx, ZoomPointX), ZoomDrift(cy, ZoomPointY));
    StateChange(0);
}
