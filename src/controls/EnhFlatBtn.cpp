#include "controls/EnhFlatBtn.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

TEnhFlatBtn::TEnhFlatBtn(QWidget* parent) : QToolButton(parent) { setAutoRaise(true); }

void TEnhFlatBtn::SetThinBorder(bool value)
{
    if (FThinBorder == value) return;
    FThinBorder = value;
    update();
}

void TEnhFlatBtn::paintEvent(QPaintEvent* event)
{
    if (!FThinBorder) {
        QToolButton::paintEvent(event);
        return;
    }
    // Drawn as if the mouse were over it, whatever the mouse does.
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.state |= QStyle::State_MouseOver | QStyle::State_Raised;
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}
