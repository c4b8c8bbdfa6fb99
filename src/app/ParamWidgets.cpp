#include "app/ParamWidgets.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyleOptionTab>
#include <QTabBar>

#include "app/PanelRules.h"

namespace {
// The breadth of the slider's channel, at most.
constexpr int KGrooveThickness = 5;
} // namespace

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

void TRangeSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const bool horizontal = orientation() == Qt::Horizontal;
    // The groove is a plain channel: a style's own groove fills it from one end up to the handle,
    // and the highlighted range is to be the bar's only marking. The style draws the handle and
    // the ticks.
    const int thickness = std::min(KGrooveThickness, horizontal ? groove.height() : groove.width());
    QRect channel = horizontal ? QRect(groove.left(), 0, groove.width(), thickness)
                               : QRect(0, groove.top(), thickness, groove.height());
    channel.moveCenter(groove.center());
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(palette().color(QPalette::Window).darker(140));
    p.setBrush(palette().color(QPalette::Button).darker(108));
    p.drawRoundedRect(QRectF(channel).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
    p.restore();
    opt.subControls = QStyle::SC_SliderHandle;
    if (tickPosition() != NoTicks) opt.subControls |= QStyle::SC_SliderTickmarks;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);

    if (!FShown || !isEnabled()) return;
    const int span = (horizontal ? groove.width() - handle.width() : groove.height() - handle.height());
    auto at = [&](int value) {
        return QStyle::sliderPositionFromValue(minimum(), maximum(), value, std::max(span, 0), opt.upsideDown);
    };
    const int a = at(FFrom), b = at(FTo);
    const int lo = std::min(a, b), hi = std::max(a, b);
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

namespace {
constexpr int KTabPicture = 16, KTabPad = 5, KTabGap = 3;
} // namespace

QSize TAreaTabBar::tabSizeHint(int index) const
{
    if (!Vertical()) return QTabBar::tabSizeHint(index);
    const QFontMetrics fm = fontMetrics();
    const int along = std::max(fm.horizontalAdvance(tabText(index)), KTabPicture) + 2 * KTabPad + 4;
    const int across = KTabPicture + KTabGap + fm.height() + 2 * KTabPad;
    return {across, along};
}

void TAreaTabBar::paintEvent(QPaintEvent* event)
{
    if (!Vertical()) {
        QTabBar::paintEvent(event);
        return;
    }
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        style()->drawControl(QStyle::CE_TabBarTabShape, &opt, &p, this);
        const QRect r = opt.rect.adjusted(KTabPad, KTabPad, -KTabPad, -KTabPad);
        const QIcon::Mode mode = !isEnabled() ? QIcon::Disabled : QIcon::Normal;
        tabIcon(i).paint(&p, QRect(r.left(), r.center().y() - KTabPicture / 2 + 1, KTabPicture, KTabPicture),
                         Qt::AlignCenter, mode);
        // The text reads upwards on the left, downwards on the right.
        p.save();
        const QRect text(r.left() + KTabPicture + KTabGap, r.top(), r.width() - KTabPicture - KTabGap,
                         r.height());
        p.translate(text.center());
        p.rotate(shape() == RoundedWest ? -90 : 90);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const QRect turned(-text.height() / 2, -text.width() / 2, text.height(), text.width());
        p.drawText(turned, Qt::AlignCenter | Qt::TextShowMnemonic, tabText(i));
        p.restore();
    }
}

TTabbedPanel::TTabbedPanel(QTabBar* tabs, QWidget* panels, QWidget* parent) : QWidget(parent), FTabs(tabs)
{
    FLayout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(2);
    // Always the size its controls ask for, as they are once shown in their font and style (the
    // toolbar arranges itself around it whenever that changes): never squeezed below it.
    FLayout->setSizeConstraint(QLayout::SetFixedSize);
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
