// Selection areas of the image window: drawing rectangles, ellipses and polygons with the mouse,
// storing them in millionths of the picture's size, and their outlines. Outlines are drawn only in
// the views' paint events, from the areas' state; a change repaints only the rectangle it touches.
#include <algorithm>

#include <QPainter>

#include "codec/SelUnit.h"
#include "controls/EnhScrollBox.h"
#include "workspace/ImageForm.h"
#include "workspace/SelectionMath.h"

namespace {

TSelUnit& LastUnit(TJPEGImage& image) { return image.SelUnits.Item<TSelUnit>(image.SelUnits.Count() - 1); }

TSelPoint PolygonPoint(const TSelUnit& unit, int i) { return unit.Points->Item<TSelPoint>(i); }

void AddPoint(TSelUnit& unit, const TSelPoint& p) { unit.Points->Add(&p); }

} // namespace

void TImageForm::BeginSelection(TEnhImage* view, int x, int y)
{
    TSelPoint p = ViewToMillionths(x, y, FScales);
    if (SelShape == skPolygon && DrawingSelection) {
        TSelUnit& unit = LastUnit(*Image);
        QRect before = AreaViewBounds(unit);
        AddPoint(unit, p);
        if (unit.Points->Count() == 2) unit.HasTwoPoints = true;
        RepaintArea(view, before);
        return;
    }
    DrawingSelection = true;
    SelectionImage = view;
    TSelUnit unit;
    unit.Kind = SelShape;
    unit.BegX = p.X;
    unit.BegY = p.Y;
    if (SelShape == skPolygon) {
        unit.Points = NewSelPointList();
        AddPoint(unit, p);
    }
    Image->SelUnits.Add(&unit);
}

void TImageForm::TrackSelection(TEnhImage* view, int x, int y)
{
    if (!DrawingSelection || Image->SelUnits.Count() == 0) return;
    TSelUnit& unit = LastUnit(*Image);
    QRect before = unit.OutlineShown ? AreaViewBounds(unit) : QRect();
    TSelPoint p = ViewToMillionths(x, y, FScales);
    unit.PrevEndX = unit.EndX;
    unit.PrevEndY = unit.EndY;
    unit.EndX = p.X;
    unit.EndY = p.Y;
    unit.OutlineShown = true;
    RepaintArea(view, before);
}

void TImageForm::EndSelection(TEnhImage* view, int x, int y)
{
    if (!DrawingSelection || Image->SelUnits.Count() == 0) return;
    TSelPoint p = ViewToMillionths(x, y, FScales);
    TSelUnit& unit = LastUnit(*Image);
    unit.Complete = true;
    unit.EndX = p.X;
    unit.EndY = p.Y;
    if (unit.Kind != skPolygon) {
        if (SelectionTooSmall({unit.BegX, unit.BegY}, p, FScales)) {
            CancelSelection(view);
            return;
        }
    } else {
        if (unit.Points->Count() < 2) {
            CancelSelection(view);
            return;
        }
        AddPoint(unit, p);
    }
    unit.OutlineShown = false;
    DrawingSelection = false;
    SelectionImage = nullptr;
    // Drawn on the source view (or finished by the window): both views show the new area. Drawn on
    // the result view: only its outline's rectangle changes there.
    if (view == nullptr || view == SrcImage) {
        SrcImage->update();
        ResImage->update();
    } else {
        RepaintArea(ResImage, QRect());
    }
    if (Image->SelectiveCompression) MarkParamsChanged(true);
}

void TImageForm::CancelSelection(TEnhImage* view)
{
    if (Image->SelUnits.Count() == 0) return;
    TSelUnit& unit = LastUnit(*Image);
    QRect bounds = AreaViewBounds(unit);
    DrawingSelection = false;
    SelectionImage = nullptr;
    Image->SelUnits.Delete(Image->SelUnits.Count() - 1);
    if (view == nullptr || view == SrcImage) SrcImage->update(bounds);
    if (view == nullptr || view == ResImage) ResImage->update(bounds);
}

bool TImageForm::HasRectSelection() const
{
    int n = Image->SelUnits.Count();
    return n > 0 && Image->SelUnits.Item<TSelUnit>(n - 1).Kind == skRectangle && !DrawingSelection;
}

void TImageForm::DeleteLastSelection()
{
    if (Image->SelUnits.Count() == 0) return;
    DeleteSelections([this] { Image->SelUnits.Delete(Image->SelUnits.Count() - 1); });
}

void TImageForm::DeleteAllSelections()
{
    if (Image->SelUnits.Count() == 0) return;
    DeleteSelections([this] { Image->SelUnits.Clear(); });
}

void TImageForm::DeleteSelections(const std::function<void()>& remove)
{
    // An area still being drawn is given up first: the mouse must not go on with a deleted area.
    if (DrawingSelection) {
        DrawingSelection = false;
        SelectionImage = nullptr;
        SrcImage->update();
    }
    remove();
    if (Image->SelectiveCompression) MarkParamsChanged(true);
    ResImage->update();
}

void TImageForm::ToggleSelectionsHidden()
{
    SelectionsHidden = !SelectionsHidden;
    ResImage->update();
}

// ---- outlines ----

QRect TImageForm::AreaViewBounds(const TSelUnit& unit) const
{
    int minX = unit.BegX, maxX = unit.BegX, minY = unit.BegY, maxY = unit.BegY;
    auto take = [&](int32_t x, int32_t y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    };
    if (unit.OutlineShown || unit.Complete) take(unit.EndX, unit.EndY);
    if (unit.Kind == skPolygon && unit.Points)
        for (int i = 0; i < unit.Points->Count(); ++i) take(PolygonPoint(unit, i).X, PolygonPoint(unit, i).Y);
    TPoint a = MillionthsToView(minX, minY, FScales);
    TPoint b = MillionthsToView(maxX, maxY, FScales);
    return QRect(QPoint(a.X, a.Y), QPoint(b.X, b.Y)).adjusted(-2, -2, 2, 2);
}

void TImageForm::RepaintArea(TEnhImage* view, const QRect& before)
{
    if (Image->SelUnits.Count() == 0) return;
    QRect now = AreaViewBounds(LastUnit(*Image));
    view->update(before.isNull() ? now : before.united(now));
}

void TImageForm::DrawArea(QPainter& painter, const TSelUnit& unit, bool open)
{
    auto toView = [this](int32_t x, int32_t y) {
        TPoint p = MillionthsToView(x, y, FScales);
        return QPoint(p.X, p.Y);
    };
    QPoint beg = toView(unit.BegX, unit.BegY);
    QPoint end = toView(unit.EndX, unit.EndY);
    switch (unit.Kind) {
    case skRectangle:
    case skEllipse: {
        if (open && !unit.OutlineShown) return; // nothing to show before the first move
        QRect r = QRect(beg, end).normalized();
        if (unit.Kind == skRectangle) {
            QPoint ll(r.left(), r.bottom()), ul(r.left(), r.top()), ur(r.right(), r.top()), lr(r.right(), r.bottom());
            const QPoint pts[5] = {ll, ul, ur, lr, ll};
            painter.drawPolyline(pts, 5);
        } else {
            painter.drawEllipse(r);
        }
        break;
    }
    case skPolygon: {
        if (!unit.Points || unit.Points->Count() == 0) return;
        int n = unit.Points->Count();
        QPolygon line;
        for (int i = 0; i < n; ++i) line << toView(PolygonPoint(unit, i).X, PolygonPoint(unit, i).Y);
        if (open && unit.OutlineShown) line << end;
        if (!(open && n == 1)) line << line.front();
        painter.drawPolyline(line);
        break;
    }
    default: break;
    }
}

void TImageForm::ImagePaint(TEnhImage* view, QPainter& painter)
{
    int n = Image->SelUnits.Count();
    if (n == 0) return;
    // Outlines invert what is under them; they show on the result view, and on the source view
    // only the area being drawn there.
    int first = 0, last = -1;
    if (view == ResImage) {
        last = SelectionsHidden ? -1 : n - 1;
        if (DrawingSelection) {
            last = SelectionsHidden ? -1 : n - 2;
            if (SelectionImage == ResImage) {
                first = SelectionsHidden ? n - 1 : 0;
                last = n - 1;
            }
        }
    } else if (DrawingSelection && SelectionImage == view) {
        first = last = n - 1;
    }
    if (last < first) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::blue, 1));
    painter.setBrush(Qt::NoBrush);
    for (int i = first; i <= last; ++i)
        DrawArea(painter, Image->SelUnits.Item<TSelUnit>(i), DrawingSelection && i == n - 1);
    painter.restore();
}
