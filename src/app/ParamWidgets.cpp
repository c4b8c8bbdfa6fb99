#include "app/ParamWidgets.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>

#include "app/PanelRules.h"

TRangeSlider::TRangeSlider(Qt::Orientation orientation, int minimum, int maximum, int start, QWidget* parent)
    : QSlider(orientation, parent)
{
    setRange(minimum, maximum);
    setValue(start);
    setPageStep(10);
}

void TRangeSlider::SetHighlight(int from, int to)
{
    if (FShown && FFrom == from && FTo == to) return;
    FShown = true;
    FFrom = from;
    FTo = to;
    update();
}

void TRangeSlider::ClearHighlight()
{
    if (!FShown) return;
    FShown = false;
    update();
}

void TRangeSlider::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    if (!FShown || !isEnabled()) return;
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const int span = (horizontal ? groove.width() - handle.width() : groove.height() - handle.height());
    auto at = [&](int value) {
        return QStyle::sliderPositionFromValue(minimum(), maximum(), value, std::max(span, 0), opt.upsideDown);
    };
    const int a = at(FFrom), b = at(FTo);
    const int lo = std::min(a, b), hi = std::max(a, b);
    QPainter p(this);
    const QColor colour = palette().color(QPalette::Highlight);
    // A band along the far side of the groove, from handle centre to handle centre.
    if (horizontal) {
        const int x0 = groove.left() + handle.width() / 2;
        p.fillRect(QRect(x0 + lo, height() - 4, std::max(hi - lo, 2), 3), colour);
    } else {
        const int y0 = groove.top() + handle.height() / 2;
        p.fillRect(QRect(width() - 4, y0 + lo, 3, std::max(hi - lo, 2)), colour);
    }
}

TLevelSpin::TLevelSpin(int minimum, int maximum, int start, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setValue(start);
    lineEdit()->setReadOnly(true);
    setAlignment(Qt::AlignRight);
}

TTabbedPanel::TTabbedPanel(QTabBar* tabs, QWidget* panels, QWidget* parent) : QWidget(parent), FTabs(tabs)
{
    FLayout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(2);
    tabs->setShape(QTabBar::RoundedWest);
    FLayout->addWidget(tabs, 0, Qt::AlignTop);
    FLayout->addWidget(panels, 1);
}

void TTabbedPanel::PlaceTabs(int width, int height)
{
    const bool left = TabsOnLeft(FTabsLeft, width, height);
    if (left == FTabsLeft) return;
    FTabsLeft = left;
    FTabs->setShape(left ? QTabBar::RoundedWest : QTabBar::RoundedNorth);
    FLayout->setDirection(left ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    // On top the two tabs share the width, each about half of it.
    FTabs->setExpanding(!left);
    FLayout->setAlignment(FTabs, left ? Qt::AlignTop : Qt::Alignment());
}

TPaintedPanel::TPaintedPanel(std::function<void(QPainter&, const QRect&)> paint, QWidget* parent)
    : QWidget(parent), FPaint(std::move(paint))
{
}

void TPaintedPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (FPaint) FPaint(p, rect());
}

QValidator::State TRatioValidator::validate(QString& input, int&) const
{
    return IsRatioTextAllowed(input.toStdString()) ? Acceptable : Invalid;
}
