#pragma once
// TEnhScrollBox: a scroll area hosting one TEnhImage at its zoomed size. Only the visible part of
// the picture is ever painted; the area outside the picture shows the box's background. The box
// reports scroll-position changes through OnPosChange and draws a sunken border while the mouse is
// over it or it has the focus.
#include <functional>

#include <QPoint>
#include <QScrollArea>

#include "controls/EnhImage.h"

class TEnhScrollBox : public QScrollArea
{
    Q_OBJECT
public:
    explicit TEnhScrollBox(QWidget* parent = nullptr);

    TEnhImage* Image() const { return FImage; }
    // The hosted image's rectangle clipped to the client area, in client coordinates.
    QRect GetImageRect() const;
    // Sets the image's size (the zoomed picture size).
    void SetImageSize(int width, int height);
    int HorzPosition() const;
    int VertPosition() const;
    void SetPositions(int horz, int vert);

    bool HilightBorder = true;
    std::function<void(TEnhScrollBox* sender)> OnPosChange;
    std::function<void(TEnhScrollBox* sender, QMouseEvent* event)> OnMouseUp;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void CheckPosition();
    void DrawBorder();

    TEnhImage* FImage;
    QPoint FLastPos{-1, -1};
    bool FHot = false;
    uint32_t FLastHotTick = 0;
};
