#include "controls/AngleLabel.h"

#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

// Cuts towards zero, so that the cosine of 90 degrees (a tiny positive number) gives 0.
int Trunc(double v) { return int(std::trunc(v)); }

} // namespace

QPoint AngleLabelStart(int angle, Qt::Alignment alignment, int tw, int th, int width, int height)
{
    const double a = angle * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // The quarter the angle lies in: 0..90, 91..180, 181..270, 271..359.
    const int quarter = angle <= 90 ? 0 : angle <= 180 ? 1 : angle <= 270 ? 2 : 3;

    int x;
    if (alignment & Qt::AlignRight) {
        x = width;
        switch (quarter) {
        case 0: x += -Trunc(tw * c) - Trunc(th * s); break;
        case 1: x += -Trunc(th * s); break;
        case 2: break;
        default: x += -Trunc(tw * c); break;
        }
        x = std::max(x, 0);
    } else if (alignment & Qt::AlignHCenter) {
        x = width / 2 - Trunc(tw / 2.0 * c) - Trunc(th / 2.0 * s);
    } else {
        x = 0;
        switch (quarter) {
        case 0: break;
        case 1: x += -Trunc(tw * c); break;
        case 2: x += -Trunc(tw * c) - Trunc(th * s); break;
        default: x += -Trunc(th * s); break;
        }
        x = std::min(x, width);
    }

    int y;
    if (alignment & Qt::AlignBottom) {
        y = height;
        switch (quarter) {
        case 0: y += -Trunc(th * c); break;
        case 1: break;
        case 2: y += Trunc(tw * s); break;
        default: y += Trunc(tw * s) - Trunc(th * c); break;
        }
        y = std::max(y, 0);
    } else if (alignment & Qt::AlignVCenter) {
        y = height / 2 + Trunc(tw / 2.0 * s) - Trunc(th / 2.0 * c);
    } else {
        y = 0;
        switch (quarter) {
        case 0: y += Trunc(tw * s); break;
        case 1: y += Trunc(tw * s) - Trunc(th * c); break;
        case 2: y += -Trunc(th * c); break;
        default: break;
        }
        y = std::min(y, height);
    }
    return QPoint(x, y);
}

TAngleLabel::TAngleLabel(QWidget* parent) : TAngleLabel(QString(), parent) {}

TAngleLabel::TAngleLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    FShadowColor = palette().color(QPalette::HighlightedText);
    QFont f = font();
    f.setFamily(QStringLiteral("Arial"));
    setFont(f);
}

void TAngleLabel::SetAngle(int value)
{
    if (value == FAngle) return;
    FAngle = (value < 0 || value >= 360) ? 0 : value;
    update();
}

void TAngleLabel::SetStyle(TStyleLabel value)
{
    if (value == FStyle) return;
    FStyle = value;
    update();
}

void TAngleLabel::SetShadowColor(const QColor& value)
{
    if (value == FShadowColor) return;
    FShadowColor = value;
    update();
}

void TAngleLabel::SetTransparent(bool value)
{
    FTransparent = value;
    update();
}

QPoint TAngleLabel::TextStart() const
{
    const QFontMetrics fm(font());
    return AngleLabelStart(FAngle, alignment(), fm.horizontalAdvance(text()), fm.height(), width(), height());
}

void TAngleLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!FTransparent) p.fillRect(rect(), palette().color(backgroundRole()));
    p.setFont(font());
    const QString caption = text(); // an "&" is drawn as it stands
    const QPoint start = TextStart();
    const int ascent = QFontMetrics(font()).ascent();
    auto pass = [&](const QPoint& at, const QColor& colour) {
        p.save();
        p.translate(at);
        p.rotate(-FAngle);
        p.setPen(colour);
        p.drawText(0, ascent, caption);
        p.restore();
    };
    QColor main = palette().color(QPalette::Active, QPalette::WindowText);
    if (!isEnabled()) {
        pass(start + QPoint(1, 1), palette().color(QPalette::Active, QPalette::Light));
        main = palette().color(QPalette::Active, QPalette::Dark);
    } else if (FStyle == TStyleLabel::slRaised) {
        pass(start - QPoint(1, 1), FShadowColor);
    } else if (FStyle == TStyleLabel::slLowered) {
        pass(start + QPoint(1, 1), FShadowColor);
    }
    pass(start, main);
}
