#include "controls/Toolbar.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "common/SettingsAccess.h"
#include "controls/GeometryConvert.h"
#include "platform/Exceptions.h"

namespace {

TSnapEdge EdgeOf(THitCode code)
{
    switch (code) {
    case THitCode::Left: case THitCode::TopLeft: case THitCode::BottomLeft: return TSnapEdge::Left;
    case THitCode::Top: return TSnapEdge::Top;
    case THitCode::Bottom: return TSnapEdge::Bottom;
    default: return TSnapEdge::Right;
    }
}

} // namespace

TCustomToolbar::TCustomToolbar(QWidget* parent) : TCustomToolWindow(parent)
{
    SetUseStandardAlign(false);
    SetResizeCorners(false);
    SetClipResizeToWorkArea(false);
}

TCustomToolbar::~TCustomToolbar()
{
    for (const QPointer<QWidget>& w : FOrderList)
        if (w) w->removeEventFilter(this);
}

void TCustomToolbar::SetFloatRightX(int value)
{
    value = std::clamp(value, 0, KMaxFloatRightX);
    if (value == FFloatRightX) return;
    FFloatRightX = value;
    if (Floating()) ArrangeControls();
}

void TCustomToolbar::SetStrictOrder(bool value)
{
    if (value == FStrictOrder) return;
    FStrictOrder = value;
    ArrangeControls();
}

QList<QWidget*> TCustomToolbar::OrderList() const
{
    QList<QWidget*> list;
    for (const QPointer<QWidget>& w : FOrderList)
        if (w && w->parentWidget() == this) list.push_back(w);
    return list;
}

void TCustomToolbar::childEvent(QChildEvent* e)
{
    TCustomToolWindow::childEvent(e);
    QObject* child = e->child();
    if (e->type() == QEvent::ChildAdded && child->isWidgetType()) {
        auto* w = static_cast<QWidget*>(child);
        if (w->isWindow()) return;
        FOrderList.push_back(w);
        w->installEventFilter(this);
        // The child is still being built: its size and kind are known once control returns.
        QMetaObject::invokeMethod(this, [self = QPointer<TCustomToolbar>(this)] {
            if (self) self->ArrangeControls();
        }, Qt::QueuedConnection);
    } else if (e->type() == QEvent::ChildRemoved) {
        for (qsizetype i = FOrderList.size() - 1; i >= 0; --i)
            if (FOrderList[i].data() == child || !FOrderList[i]) FOrderList.removeAt(i);
        child->removeEventFilter(this);
        if (!FOrdering) ArrangeControls();
    }
}

bool TCustomToolbar::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        ArrangeControls();
        break;
    case QEvent::Resize:
        if (!FOrdering) ArrangeControls();
        break;
    default: break;
    }
    return TCustomToolWindow::eventFilter(watched, e);
}

void TCustomToolbar::Gather()
{
    // Entries whose widget has gone elsewhere are dropped before the layout.
    for (qsizetype i = FOrderList.size() - 1; i >= 0; --i)
        if (!FOrderList[i] || FOrderList[i]->parentWidget() != this || FOrderList[i]->isWindow())
            FOrderList.removeAt(i);
    FItems.clear();
    FCounted.clear();
    for (const QPointer<QWidget>& w : FOrderList) {
        TToolbarItem it;
        it.Width = w->width();
        it.Height = w->height();
        it.Counts = w->isVisibleTo(this);
        if (auto* sep = qobject_cast<TToolbarSep*>(w.data())) {
            it.Separator = true;
            it.Blank = sep->Blank();
            it.SizeHorz = sep->SizeHorz();
            it.SizeVert = sep->SizeVert();
        }
        FItems.push_back(it);
        FCounted.push_back(w);
    }
}

void TCustomToolbar::LayOut(bool vertical, bool floating, int wrap)
{
    TToolbarLayoutInput in;
    in.Items = FItems;
    in.Floating = floating;
    in.Vertical = vertical;
    in.WrapWidth = wrap;
    LayOutToolbar(in, FOut);
}

void TCustomToolbar::GetBarSize(int& size, TDockOrientation orientation)
{
    Gather();
    size = ToolbarBarSize(FItems, orientation == TDockOrientation::doVertical);
}

void TCustomToolbar::GetMinimumSize(int& width, int& height) { width = height = 0; }

void TCustomToolbar::OrderControls(bool canMoveControls, TDockOrientation previousOrientation, QSize& newClientSize,
                                   TDock* dockingTo)
{
    Gather();
    bool vertical = dockingTo && dockingTo->Orientation() == TDockOrientation::doVertical;
    const bool floating = dockingTo == nullptr;
    if (FStrictOrder && floating && previousOrientation == TDockOrientation::doNone)
        vertical = FSnap ? FFloatRightX > 0 : height() > width();
    FFloatingVertical = FStrictOrder && vertical && floating;
    LayOut(vertical, floating, floating ? FFloatRightX : 0);
    newClientSize = QSize(FOut.ClientWidth, FOut.ClientHeight);
    if (!canMoveControls) return;
    FVerticalLayout = vertical;
    FOrdering = true;
    const QPoint origin = ClientOrigin();
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Counts) FCounted[i]->setGeometry(ToQRect(FOut.Bounds[i]).translated(origin));
    FOrdering = false;
    for (QWidget* w : FCounted)
        if (qobject_cast<TToolbarSep*>(w)) w->update();
    update();
}

void TCustomToolbar::ReadPositionData(TSettingsStore* group)
{
    SetFloatRightX(ReadIntSetting(group, nullptr, "FloatRightX", 0));
}

void TCustomToolbar::WritePositionData(TSettingsStore* group)
{
    WriteIntSetting(group, nullptr, "FloatRightX", FFloatRightX);
}

void TCustomToolbar::ResizeBegin(THitCode code)
{
    FSnap = std::make_unique<TToolbarSnap>();
    const QSize nc = NonClientSize();
    const QSize now = WindowSize();
    const int saved = FFloatRightX;
    const TDockOrientation previous = TDockOrientation::doNone;
    FSnap->Begin(EdgeOf(code), nc.width(), nc.height(), TPoint{now.width(), now.height()}, [&](int wrap) {
        FFloatRightX = wrap;
        QSize client;
        OrderControls(false, previous, client, nullptr);
        // A vertical layout wider than tall would turn horizontal at the next layout: not offered.
        const bool keeps = !FFloatingVertical || client.height() >= client.width();
        return TSnapLayout{client.width(), client.height(), FFloatingVertical, keeps};
    });
    FFloatRightX = saved;
    QSize ignored;
    OrderControls(false, previous, ignored, nullptr);
}

void TCustomToolbar::ResizeTrack(QRect& newRect, const QRect&)
{
    if (FSnap) newRect = ToQRect(FSnap->Track(ToTRect(newRect)));
}

void TCustomToolbar::ResizeEnd(bool accepted)
{
    if (!FSnap) return;
    const int wrap = FSnap->ChosenWrap();
    const TPoint chosen = FSnap->ChosenSize();
    FSnap.reset();
    if (!accepted) return;
    // Takes the chosen size first: a toolbar with StrictOrder lies vertically when that is taller
    // than wide.
    if (Floating()) resize(QSize(chosen.X, chosen.Y) - NonClientSize());
    FFloatRightX = std::clamp(wrap, 0, KMaxFloatRightX);
    ArrangeControls();
}

bool TCustomToolbar::ChildIsSurface(QWidget* child) { return qobject_cast<TToolbarSep*>(child) != nullptr; }

void TCustomToolbar::resizeEvent(QResizeEvent* e)
{
    TCustomToolWindow::resizeEvent(e);
    if (Floating()) update();
}

void TCustomToolbar::paintEvent(QPaintEvent* e)
{
    TCustomToolWindow::paintEvent(e);
    if (!Floating() || FOut.Lines.empty()) return;
    QPainter p(this);
    const QPalette& pal = palette();
    const QPoint o = ClientOrigin();
    for (const TSeparatorLine& line : FOut.Lines) {
        if (line.Blank) continue;
        const int at = line.Across;
        if (FVerticalLayout) {
            p.fillRect(QRect(o.x() + at - 4, o.y(), 1, height()), pal.color(QPalette::Dark));
            p.fillRect(QRect(o.x() + at - 3, o.y(), 1, height()), pal.color(QPalette::Light));
        } else {
            p.fillRect(QRect(o.x(), o.y() + at - 4, width(), 1), pal.color(QPalette::Dark));
            p.fillRect(QRect(o.x(), o.y() + at - 3, width(), 1), pal.color(QPalette::Light));
        }
    }
}

// ---- TToolbarSep ----

namespace {
QWidget* CheckedToolbarParent(QWidget* parent)
{
    if (parent && !qobject_cast<TCustomToolbar*>(parent))
        throw EInvalidOperation("TToolbarSep can only be placed on a TToolbar");
    return parent;
}
} // namespace

TToolbarSep::TToolbarSep(QWidget* parent) : QWidget(CheckedToolbarParent(parent))
{
    resize(6, 6);
}

void TToolbarSep::SetParent(QWidget* parent) { setParent(CheckedToolbarParent(parent)); }

void TToolbarSep::Relay()
{
    if (auto* bar = qobject_cast<TCustomToolbar*>(parentWidget())) bar->ArrangeControls();
    update();
}

void TToolbarSep::SetBlank(bool value)
{
    if (value == FBlank) return;
    FBlank = value;
    Relay();
}

void TToolbarSep::SetSizeHorz(int value)
{
    value = std::clamp(value, 1, KMaxSeparatorSize);
    if (value == FSizeHorz) return;
    FSizeHorz = value;
    Relay();
}

void TToolbarSep::SetSizeVert(int value)
{
    value = std::clamp(value, 1, KMaxSeparatorSize);
    if (value == FSizeVert) return;
    FSizeVert = value;
    Relay();
}

void TToolbarSep::paintEvent(QPaintEvent*)
{
    auto* bar = qobject_cast<TCustomToolbar*>(parentWidget());
    if (!bar || FBlank) return;
    QPainter p(this);
    const QPalette& pal = palette();
    if (bar->LaidOutVertically()) {
        const int y = height() / 2;
        p.fillRect(QRect(0, y - 1, width(), 1), pal.color(QPalette::Dark));
        p.fillRect(QRect(0, y, width(), 1), pal.color(QPalette::Light));
    } else {
        const int x = width() / 2;
        p.fillRect(QRect(x - 1, 0, 1, height()), pal.color(QPalette::Dark));
        p.fillRect(QRect(x, 0, 1, height()), pal.color(QPalette::Light));
    }
}

void TToolbarSep::mousePressEvent(QMouseEvent* e)
{
    // Left unhandled, the press goes on to the toolbar, which starts a drag from it.
    e->ignore();
}
