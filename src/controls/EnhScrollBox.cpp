#include "controls/EnhScrollBox.h"

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include "platform/TickCount.h"

TEnhScrollBox::TEnhScrollBox(QWidget* parent) : QScrollArea(parent), FImage(new TEnhImage)
{
    // The scroll bars track while dragged (Qt's default); their thickness, button size and hot
    // tracking are the platform style's, not fixed here.
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(FImage);
    FImage->resize(0, 0);
    viewport()->setMouseTracking(true);
    setMouseTracking(true);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { CheckPosition(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { CheckPosition(); });
    DrawBorder();
}

QRect TEnhScrollBox::GetImageRect() const
{
    QRect img = FImage->geometry();
    QRect client = viewport()->rect();
    return QRect(QPoint(std::max(img.left(), 0), std::max(img.top(), 0)),
                 QPoint(std::min(img.left() + img.width(), client.right() + 1) - 1,
                        std::min(img.top() + img.height(), client.bottom() + 1) - 1));
}

void TEnhScrollBox::SetImageSize(int width, int height)
{
    if (FImage->width() != width || FImage->height() != height) FImage->resize(width, height);
}

int TEnhScrollBox::HorzPosition() const { return horizontalScrollBar()->value(); }
int TEnhScrollBox::VertPosition() const { return verticalScrollBar()->value(); }

void TEnhScrollBox::SetPositions(int horz, int vert)
{
    horizontalScrollBar()->setValue(horz);
    verticalScrollBar()->setValue(vert);
}

void TEnhScrollBox::CheckPosition()
{
    QPoint pos(HorzPosition(), VertPosition());
    if (!OnPosChange || pos == FLastPos) return;
    FLastPos = pos;
    OnPosChange(this);
}

void TEnhScrollBox::DrawBorder()
{
    if (!HilightBorder) return;
    bool raised = FHot || hasFocus();
    setFrameStyle(QFrame::Panel | (raised ? QFrame::Sunken : QFrame::Plain));
}

void TEnhScrollBox::enterEvent(QEnterEvent* event)
{
    QScrollArea::enterEvent(event);
    if (HilightBorder && QApplication::activeWindow()) {
        FHot = true;
        DrawBorder();
    }
}

void TEnhScrollBox::leaveEvent(QEvent* event)
{
    QScrollArea::leaveEvent(event);
    if (HilightBorder) {
        FHot = false;
        DrawBorder();
    }
}

void TEnhScrollBox::mouseMoveEvent(QMouseEvent* event)
{
    QScrollArea::mouseMoveEvent(event);
    // Border refreshes from mouse moves are limited to one per 250 ms.
    uint32_t now = GetTickCount();
    if (HilightBorder && TickDistance(FLastHotTick, now) >= 250) {
        FLastHotTick = now;
        FHot = true;
        DrawBorder();
    }
}

void TEnhScrollBox::mouseReleaseEvent(QMouseEvent* event)
{
    QScrollArea::mouseReleaseEvent(event);
    if (OnMouseUp) OnMouseUp(this, event);
}

void TEnhScrollBox::focusInEvent(QFocusEvent* event)
{
    QScrollArea::focusInEvent(event);
    DrawBorder();
}

void TEnhScrollBox::focusOutEvent(QFocusEvent* event)
{
    QScrollArea::focusOutEvent(event);
    DrawBorder();
}
