// The angled label: where the turned text starts, the angle's stored values, and the passes drawn.
#include <gtest/gtest.h>

#include <QPainter>

#include "controls/AngleLabel.h"
#include "support/GuiTestApp.h"

namespace {

const int KAngles[8] = {0, 90, 91, 180, 181, 270, 271, 359};

// Text 40 x 10 in a label of 100 x 60; the truncated terms worked out by hand from the sines and
// cosines (cos 90 is a tiny positive number and truncates to 0; cos 91 = -0.01745, sin 91 = 0.99985).
TEST(AngleLabelStart, NineAlignmentsAtEightAngles)
{
    struct TRow { Qt::Alignment align; int v[8]; };
    const TRow xs[] = {
        {Qt::AlignLeft, {0, 0, 0, 40, 39, 10, 9, 0}},
        {Qt::AlignRight, {60, 90, 91, 100, 100, 100, 100, 61}},
        {Qt::AlignHCenter, {30, 45, 46, 70, 69, 55, 54, 31}},
    };
    const TRow ys[] = {
        {Qt::AlignTop, {0, 40, 39, 10, 9, 0, 0, 0}},
        {Qt::AlignBottom, {50, 60, 60, 60, 60, 20, 21, 51}},
        {Qt::AlignVCenter, {25, 50, 49, 35, 34, 10, 11, 26}},
    };
    for (const TRow& x : xs)
        for (const TRow& y : ys)
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(AngleLabelStart(KAngles[i], x.align | y.align, 40, 10, 100, 60), QPoint(x.v[i], y.v[i]))
                    << "angle " << KAngles[i] << " alignment " << int(x.align | y.align);
}

TEST(AngleLabelStart, BoundsKeepTheStartInsideTheLabel)
{
    // 90 degrees, left and top: x 0, y the text width or the label's height if that is smaller.
    EXPECT_EQ(AngleLabelStart(90, Qt::AlignLeft | Qt::AlignTop, 40, 10, 100, 30), QPoint(0, 30));
    EXPECT_EQ(AngleLabelStart(90, Qt::AlignLeft | Qt::AlignTop, 40, 10, 100, 60), QPoint(0, 40));
    EXPECT_EQ(AngleLabelStart(180, Qt::AlignLeft | Qt::AlignTop, 40, 10, 25, 60), QPoint(25, 10));
    EXPECT_EQ(AngleLabelStart(0, Qt::AlignRight | Qt::AlignBottom, 40, 10, 20, 5), QPoint(0, 0));
}

TEST(AngleLabel, AngleOutsideTheCircleStoresZero)
{
    EnsureGuiTestApp();
    TAngleLabel label("Max");
    for (auto [set, stored] : {std::pair{359, 359}, {360, 0}, {90, 90}, {-90, 0}, {720, 0}, {0, 0}}) {
        label.SetAngle(set);
        EXPECT_EQ(label.Angle(), stored) << set;
    }
    EXPECT_EQ(label.Style(), TStyleLabel::slRaised);
    EXPECT_EQ(label.font().family(), QStringLiteral("Arial"));
}

struct TInk { int count = 0; QRect box; };

TInk InkOf(const QImage& img, const QColor& c)
{
    TInk ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == c) {
                ++ink.count;
                ink.box |= QRect(x, y, 1, 1);
            }
    return ink;
}

QImage Draw(TAngleLabel& label)
{
    QPalette pal = label.palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Disabled, QPalette::Inactive}) {
        pal.setColor(g, QPalette::Window, Qt::white);
        pal.setColor(g, QPalette::WindowText, Qt::black);
        pal.setColor(g, QPalette::Light, Qt::red);
        pal.setColor(g, QPalette::Dark, Qt::blue);
    }
    label.setPalette(pal);
    QFont f = label.font();
    f.setPixelSize(14);
    f.setStyleStrategy(QFont::NoAntialias);
    label.setFont(f);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.resize(80, 80);
    return label.grab().toImage();
}

TEST(AngleLabel, PassesByStyleAndState)
{
    EnsureGuiTestApp();
    const QColor green(0, 255, 0);
    struct TCase { TStyleLabel style; bool enabled; QPoint shadowShift; } cases[] = {
        {TStyleLabel::slNormal, true, {0, 0}},
        {TStyleLabel::slRaised, true, {-1, -1}},
        {TStyleLabel::slLowered, true, {1, 1}},
        {TStyleLabel::slNormal, false, {1, 1}},  // disabled: the highlight copy, whatever the style
        {TStyleLabel::slRaised, false, {1, 1}},
    };
    for (const TCase& c : cases) {
        TAngleLabel label("HH&H");
        label.SetStyle(c.style);
        label.SetShadowColor(green);
        label.setEnabled(c.enabled);
        const QImage img = Draw(label);
        const TInk main = InkOf(img, c.enabled ? QColor(Qt::black) : QColor(Qt::blue));
        const TInk copy = InkOf(img, c.enabled ? green : QColor(Qt::red));
        ASSERT_GT(main.count, 30);
        if (c.style == TStyleLabel::slNormal && c.enabled) {
            EXPECT_EQ(copy.count, 0);
            EXPECT_EQ(InkOf(img, green).count + InkOf(img, Qt::red).count + InkOf(img, Qt::blue).count, 0);
            continue;
        }
        EXPECT_GT(copy.count, 0);
        if (!c.enabled) EXPECT_EQ(InkOf(img, Qt::black).count + InkOf(img, green).count, 0);
        // The copy's far corner is the main text's moved by one pixel, where the main pass leaves it.
        if (c.shadowShift.x() < 0) EXPECT_EQ(copy.box.topLeft(), main.box.topLeft() + c.shadowShift);
        else EXPECT_EQ(copy.box.bottomRight(), main.box.bottomRight() + c.shadowShift);
    }
}

TEST(AngleLabel, TurnedByNinetyDegreesTheTextRunsUpFromItsWidth)
{
    EnsureGuiTestApp();
    TAngleLabel label("Large");
    label.SetStyle(TStyleLabel::slNormal);
    label.SetAngle(90);
    const QImage img = Draw(label);
    const TInk ink = InkOf(img, Qt::black);
    const QFontMetrics fm(label.font());
    EXPECT_GT(ink.box.height(), ink.box.width());
    EXPECT_GE(ink.box.left(), 0);
    EXPECT_LE(ink.box.right(), fm.height());
    EXPECT_LE(ink.box.bottom(), fm.horizontalAdvance("Large"));
    EXPECT_EQ(label.TextStart(), QPoint(0, fm.horizontalAdvance("Large")));
}

} // namespace
