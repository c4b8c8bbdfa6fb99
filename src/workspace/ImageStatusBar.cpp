#include "workspace/ImageStatusBar.h"

#include <cmath>

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/StatusPanels.h"

namespace {

// A picture of the main window's image list stands in the text; the text goes on this far right.
constexpr int KIconGap = 19;
constexpr int KIconSize = 16;
constexpr int KTextLeft = 20;

QColor ColorOf(uint8_t color, const QPalette& palette)
{
    switch (color) {
    case pcBlack: return Qt::black;
    case pcRed: return Qt::red;
    case pcBlue: return Qt::blue;
    default: return palette.color(QPalette::WindowText);
    }
}

} // namespace

TImageStatusBar::TImageStatusBar(QWidget* parent, TImageForm* form) : QWidget(parent), FForm(form)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void TImageStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int half = width() / 2;
    DrawPanel(painter, QRect(0, 0, half, height()), 0);
    DrawPanel(painter, QRect(half, 0, width() - half, height()), 1);
}

void TImageStatusBar::DrawPanel(QPainter& painter, const QRect& rect, int panel)
{
    TStatusFigures f;
    f.FileSize = FForm->FileInfo.FileSize;
    f.ResultSize = FForm->ResultSize;
    f.SrcPercent = FForm->SrcPercent;
    f.ResPercent = FForm->ResPercent;
    f.ComprRatio = FForm->ComprRatio;
    f.SrcColor = FForm->SrcPanelColor;
    f.ResColor = FForm->ResPanelColor;
    bool raised = panel == 0 ? FForm->SrcPanelRaised : FForm->ResPanelRaised;

    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect.adjusted(1, 1, -1, -1);
    frame.lineWidth = 1;
    frame.state |= raised ? QStyle::State_Raised : QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);

    const int options = ImageWindowPrefs().ImageInfoOptions;
    QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    const QFontMetricsF normalMetrics(normal), boldMetrics(bold);
    // Whole pixels, rounded up: a piece never reaches into the next one or past the panel's edge.
    auto measure = [&](const TStatusPiece& p) {
        if (p.Icon >= 0) return KIconGap;
        const QFontMetricsF& metrics = p.Bold ? boldMetrics : normalMetrics;
        return int(std::ceil(metrics.horizontalAdvance(QString::fromStdString(p.Text))));
    };
    const QRect inside = rect.adjusted(2, 2, -2, -2);
    int x = rect.left() + KTextLeft;
    // A narrow panel keeps its pieces whole: the texts around the figures give way, then the last
    // pieces are left out; nothing is cut off at the panel's edge.
    const std::vector<TStatusPiece> pieces =
        FitStatusPieces(panel == 0 ? SourcePanelPieces(f, options) : ResultPanelPieces(f, options),
                        inside.right() + 1 - x, measure);
    painter.save();
    painter.setClipRect(inside);
    const int iconTop = rect.top() + (rect.height() - KIconSize) / 2;
    const int layout = FForm->ViewLayout;
    DrawIcon(painter, QPoint(rect.left() + 1, iconTop),
             panel == 0 ? SourcePanelIcon(layout, FForm->SourceAsResult)
                        : ResultPanelIcon(layout, FForm->SourceAsResult));
    for (const TStatusPiece& p : pieces) {
        const int w = measure(p);
        if (p.Icon >= 0) {
            DrawIcon(painter, QPoint(x, iconTop), p.Icon);
        } else {
            painter.setFont(p.Bold ? bold : normal);
            painter.setPen(ColorOf(p.Color, palette()));
            painter.drawText(QRect(x, rect.top(), w + 1, rect.height()), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromStdString(p.Text));
        }
        x += w;
    }
    painter.restore();
}

void TImageStatusBar::DrawIcon(QPainter& painter, const QPoint& at, int index) const
{
    const QList<QPixmap>* images = FForm->StatusImages;
    if (images && index >= 0 && index < images->size()) painter.drawPixmap(at, (*images)[index]);
}
