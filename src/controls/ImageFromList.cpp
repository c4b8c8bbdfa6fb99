#include "controls/ImageFromList.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

TImageFromList::TImageFromList(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_NoSystemBackground); }

void TImageFromList::SetImages(const QList<QPixmap>* images)
{
    FImages = images;
    update();
}

void TImageFromList::SetImageIndex(int index)
{
    if (FImageIndex == index) return;
    FImageIndex = index;
    update();
}

void TImageFromList::paintEvent(QPaintEvent*)
{
    if (!FImages || FImageIndex <= 0 || FImageIndex >= FImages->size()) return;
    QPainter painter(this);
    const QPixmap& pm = (*FImages)[FImageIndex];
    if (isEnabled()) {
        painter.drawPixmap(0, 0, pm);
    } else {
        QStyleOption option;
        option.initFrom(this);
        painter.drawPixmap(0, 0, style()->generatedIconPixmap(QIcon::Disabled, pm, &option));
    }
}
