#include "controls/DockPainter.h"

#include <QApplication>
#include <QBitmap>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "controls/ToolWindowMetrics.h"

namespace {

struct TEdgeColours
{
    QPalette::ColorRole TopLeft, BottomRight;
};

TEdgeColours ColoursOf(TEdgePart part)
{
    switch (part) {
    case TEdgePart::RaisedOuter: return {QPalette::Midlight, QPalette::Shadow};
    case TEdgePart::RaisedInner: return {QPalette::Light, QPalette::Dark};
    case TEdgePart::SunkenOuter: return {QPalette::Dark, QPalette::Light};
    case TEdgePart::SunkenInner: return {QPalette::Shadow, QPalette::Midlight};
    }
    return {QPalette::Light, QPalette::Dark};
}

QFont CaptionFont()
{
    QFont f = QApplication::font();
    f.setPixelSize(11);
    f.setWeight(QFont::Normal);
    return f;
}

} // namespace

QRect DrawEdgePart(QPainter& p, const QRect& r, TEdgePart part, const QPalette& pal, unsigned sides)
{
    if (r.isEmpty()) return r;
    const TEdgeColours c = ColoursOf(part);
    const QColor tl = pal.color(c.TopLeft), br = pal.color(c.BottomRight);
    if (sides & esRight) p.fillRect(QRect(r.right(), r.top(), 1, r.height()), br);
    if (sides & esBottom) p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), br);
    if (sides & esLeft) p.fillRect(QRect(r.left(), r.top(), 1, r.height() - ((sides & esBottom) ? 1 : 0)), tl);
    if (sides & esTop) p.fillRect(QRect(r.left(), r.top(), r.width() - ((sides & esRight) ? 1 : 0), 1), tl);
    return r.adjusted((sides & esLeft) ? 1 : 0, (sides & esTop) ? 1 : 0, (sides & esRight) ? -1 : 0,
                      (sides & esBottom) ? -1 : 0);
}

QRect DrawEdge(QPainter& p, const QRect& r, bool raised, const QPalette& pal, unsigned sides)
{
    QRect inner = DrawEdgePart(p, r, raised ? TEdgePart::RaisedOuter : TEdgePart::SunkenOuter, pal, sides);
    return DrawEdgePart(p, inner, raised ? TEdgePart::RaisedInner : TEdgePart::SunkenInner, pal, sides);
}

QBrush HalftoneBrush()
{
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pattern.setPixel(x, y, ((x + y) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return QBrush(pattern);
}

void DrawCloseButton(QPainter& p, const QRect& r, bool pushed, const QPalette& pal)
{
    if (r.isEmpty()) return;
    p.fillRect(r, pal.color(QPalette::Button));
    DrawEdge(p, r, !pushed, pal);
    // The × in the middle: strokes two pixels wide on a caption-sized button, one on a small one;
    // moved by one while pushed.
    const int stroke = r.width() >= 14 ? 2 : 1;
    const int size = std::max(stroke + 1, r.width() - (stroke == 2 ? 7 : 5));
    const int left = r.left() + (r.width() - size) / 2 + (pushed ? 1 : 0);
    const int top = r.top() + (r.height() - size + stroke - 1) / 2 + (pushed ? 1 : 0);
    const QColor ink = pal.color(QPalette::ButtonText);
    for (int i = 0; i + stroke <= size; ++i) {
        p.fillRect(QRect(left + i, top + i, stroke, 1), ink);
        p.fillRect(QRect(left + size - stroke - i, top + i, stroke, 1), ink);
    }
}

void DrawSmallCaption(QPainter& p, const QRect& bar, const QString& caption, bool active, const QPalette& pal, int textRight)
{
    if (bar.isEmpty()) return;
    p.fillRect(bar, pal.color(active ? QPalette::Highlight : QPalette::Dark));
    const QFont font = CaptionFont();
    const QFontMetrics fm(font);
    QRect textRect = bar.adjusted(1, 0, -1, 0);
    textRect.setRight(std::min(textRect.right(), textRight - 1));
    const std::string shown = ShortenCaption(caption.toStdString(), textRect.width(), [&](const std::string& t) {
        return fm.horizontalAdvance(QString::fromStdString(t));
    });
    p.setFont(font);
    p.setPen(pal.color(active ? QPalette::HighlightedText : QPalette::Button));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(shown));
}
