#include "controls/DragOutline.h"

#include <QPainter>
#include <QWidget>

#include "controls/DockPainter.h"

namespace {

class TOutlineStrip : public QWidget
{
public:
    TOutlineStrip()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setObjectName("DragOutlineStrip");
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        // The pattern stays put on the screen however the strip is placed.
        p.setBrushOrigin(-pos());
        p.fillRect(rect(), HalftoneBrush());
    }
};

} // namespace

TDragOutline::TDragOutline()
{
    for (auto& s : FStrips) s = std::make_unique<TOutlineStrip>();
}

TDragOutline::~TDragOutline() = default;

void TDragOutline::Show(const QRect& r, int thickness)
{
    if (r.isEmpty() || thickness <= 0) {
        Hide();
        return;
    }
    if (r == FRect && thickness == FThickness) return;
    FRect = r;
    FThickness = thickness;
    const int t = std::min({thickness, (r.width() + 1) / 2, (r.height() + 1) / 2});
    const QRect parts[4] = {
        QRect(r.left(), r.top(), r.width(), t),                          // top
        QRect(r.left(), r.bottom() - t + 1, r.width(), t),               // bottom
        QRect(r.left(), r.top() + t, t, std::max(0, r.height() - 2 * t)), // left
        QRect(r.right() - t + 1, r.top() + t, t, std::max(0, r.height() - 2 * t)),
    };
    for (int i = 0; i < 4; ++i) {
        QWidget* s = FStrips[size_t(i)].get();
        if (parts[i].isEmpty()) {
            s->hide();
            continue;
        }
        s->setGeometry(parts[i]);
        if (!s->isVisible()) s->show();
        s->update();
    }
}

void TDragOutline::Hide()
{
    FRect = QRect();
    FThickness = 0;
    for (auto& s : FStrips) s->hide();
}

std::array<QWidget*, 4> TDragOutline::Strips() const
{
    return {FStrips[0].get(), FStrips[1].get(), FStrips[2].get(), FStrips[3].get()};
}
