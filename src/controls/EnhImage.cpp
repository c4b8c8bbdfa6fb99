#include "controls/EnhImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "controls/BitmapStretch.h"

TEnhImage::TEnhImage(QWidget* parent) : QWidget(parent)
{
    // Every exposed pixel is painted, so nothing is erased first (no flicker).
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TEnhImage::SetViewBitmap(const TBitmap* bitmap)
{
    FViewBitmap = bitmap;
    update();
}

void TEnhImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    QRect area = event->rect().intersected(rect());
    bool painted = false;
    if (FViewBitmap && !area.isEmpty() && width() > 0 && height() > 0) {
        QImage part = StretchVisiblePart(*FViewBitmap, width(), height(), area);
        if (!part.isNull()) {
            painter.drawImage(area.topLeft(), part);
            painted = true;
        }
    }
    if (!painted && !area.isEmpty()) painter.fillRect(area, palette().window());
    if (OnPaint) OnPaint(this, painter);
}

void TEnhImage::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown) OnMouseDown(this, event);
}

void TEnhImage::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) OnMouseMove(this, event);
}

void TEnhImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp) OnMouseUp(this, event);
}
