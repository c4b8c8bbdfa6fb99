#include "workspace/ImageStatusBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/StatusPanels.h"

namespace {

// Pictures of the main window's image list are not part of this program's resources yet: the
// place of an icon is kept free.
constexpr int KIconGap = 19;
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
    std::vector<TStatusPiece> pieces = panel == 0 ? SourcePanelPieces(f, options) : ResultPanelPieces(f, options);
    QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    int x = rect.left() + KTextLeft;
    painter.save();
    painter.setClipRect(rect.adjusted(2, 2, -2, -2));
    for (const TStatusPiece& p : pieces) {
        if (p.Icon >= 0) {
            x += KIconGap;
            continue;
        }
        painter.setFont(p.Bold ? bold : normal);
        painter.setPen(ColorOf(p.Color, palette()));
        QString text = QString::fromStdString(p.Text);
        QFontMetrics fm(painter.font());
        painter.drawText(QRect(x, rect.top(), fm.horizontalAdvance(text) + 1, rect.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        x += fm.horizontalAdvance(text);
    }
    painter.restore();
}
