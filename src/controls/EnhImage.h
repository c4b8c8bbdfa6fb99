#pragma once
// TEnhImage: the picture inside a TEnhScrollBox. It shows its view bitmap stretched to its own size
// and paints only the part being exposed (the scroll box keeps it at its full zoomed size and
// moves it). After the picture, OnPaint draws overlays in image coordinates.
#include <functional>

#include <QWidget>

#include "platform/Bitmap.h"

class QPainter;

class TEnhImage : public QWidget
{
    Q_OBJECT
public:
    using TPaintEvent = std::function<void(TEnhImage* sender, QPainter& painter)>;
    using TMouseEvent = std::function<void(TEnhImage* sender, QMouseEvent* event)>;

    explicit TEnhImage(QWidget* parent = nullptr);

    // The bitmap painted; not owned (the owner keeps it alive and unchanged while it is shown, and
    // calls SetViewBitmap again after changing it). nullptr shows nothing.
    void SetViewBitmap(const TBitmap* bitmap);
    const TBitmap* ViewBitmap() const { return FViewBitmap; }

    TPaintEvent OnPaint;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const TBitmap* FViewBitmap = nullptr;
};
