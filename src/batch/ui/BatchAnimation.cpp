#include "batch/ui/BatchAnimation.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "common/StrRes.h"
#include "platform/Round.h"

namespace {

const QColor FolderLine(120, 84, 20);
const QColor FolderBack(214, 166, 56);
const QColor FolderFront(246, 206, 96);
const QColor LogoInk(20, 30, 90);

QImage FilledImage(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The back of a folder with its tab; the part below CoverTop is hidden by the cover.
QImage FolderImage(QColor face)
{
    QImage image = FilledImage({TBatchAnimation::FolderWidth, TBatchAnimation::FolderHeight}, face);
    QPainter p(&image);
    p.setPen(FolderLine);
    p.setBrush(FolderBack);
    p.drawRect(3, 0, 14, 6);
    p.drawRect(0, 4, TBatchAnimation::FolderWidth - 1, TBatchAnimation::FolderHeight - 5);
    return image;
}

// The front of a folder, drawn over the back from CoverTop down.
QImage CoverImage(QColor face)
{
    const int h = TBatchAnimation::FolderHeight - TBatchAnimation::CoverTop;
    QImage image = FilledImage({TBatchAnimation::FolderWidth, h}, face);
    QPainter p(&image);
    p.setPen(FolderLine);
    p.setBrush(FolderFront);
    p.drawRect(0, 0, TBatchAnimation::FolderWidth - 1, h - 1);
    return image;
}

QImage LogoImage(QColor face)
{
    QFont font;
    font.setBold(true);
    font.setPointSize(11);
    const QFontMetrics metrics(font);
    QImage image = FilledImage({metrics.horizontalAdvance(SProductName) + 6, metrics.height() + 2}, face);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(LogoInk);
    p.drawText(image.rect(), Qt::AlignCenter, SProductName);
    return image;
}

} // namespace

TBatchAnimation::TBatchAnimation(QSize box, QColor face)
    : FFace(face), FFolder(FolderImage(face)), FCover(CoverImage(face)), FLogo(LogoImage(face)),
      FBackground(FilledImage(box.expandedTo({0, 0}), face)), FFrame(FBackground.size(), QImage::Format_RGB32)
{
    DrawBackground();
    StartFlight(0);
    FFrame.fill(face);
}

QPoint TBatchAnimation::LogoPlace() const { return {(FBackground.width() - FLogo.width()) / 2, 0}; }
QPoint TBatchAnimation::LeftFolderPlace() const { return {0, FBackground.height() - FolderHeight + 5}; }
QPoint TBatchAnimation::RightFolderPlace() const
{
    return {FBackground.width() - FolderWidth - 4, FBackground.height() - FolderHeight + 5};
}

void TBatchAnimation::DrawBackground()
{
    FBackground.fill(FFace);
    QPainter p(&FBackground);
    p.drawImage(LeftFolderPlace(), FFolder);
    p.drawImage(RightFolderPlace(), FFolder);
    p.drawImage(LogoPlace(), FLogo);
}

void TBatchAnimation::StartFlight(int jitter)
{
    FTravelX = std::max(0, FBackground.width() - 33 + jitter - 7);
    FBaseY = FBackground.height() - FolderHeight + 5;
    FDropped = false;
}

void TBatchAnimation::Land(const QImage& thumb, const QRect& rect)
{
    if (rect.isEmpty() || FBackground.isNull()) return;
    QPainter p(&FBackground);
    p.drawImage(rect.topLeft() + QPoint(FTravelX + 3, FBaseY), thumb, rect);
}

QPoint TBatchAnimation::FlightOffset(double p, int travelX, int baseY)
{
    const double fromMiddle = std::abs(0.5 - p);
    const int x = RoundInt(travelX * p) + 3;
    int y = p >= 0.4 && p <= 0.6 ? 0 : RoundInt((fromMiddle - 0.1) * (baseY - 15) * 2.5);
    if (p < 0.1 || p > 0.9) y += RoundInt((fromMiddle - 0.4) * 15 * 10);
    return {x, y};
}

void TBatchAnimation::DrawFrame(const QImage& thumb, const QRect& rect, double p, int dropJitter)
{
    if (FFrame.isNull()) return;
    if (p >= 0.5 && !FDropped) {
        FBaseY = FFrame.height() - (rect.y() + rect.height()) - 5 + dropJitter;
        FDropped = true;
    }
    QPainter painter(&FFrame);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, FBackground);
    if (!rect.isEmpty())
        painter.drawImage(rect.topLeft() + FlightOffset(p, FTravelX, FBaseY), thumb, rect);
    // The logo lets the picture show through its letters as it passes under it; the covers hide the
    // picture inside the folders.
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter.drawImage(LogoPlace(), FLogo);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(LeftFolderPlace() + QPoint(0, CoverTop), FCover);
    painter.drawImage(RightFolderPlace() + QPoint(0, CoverTop), FCover);
}
