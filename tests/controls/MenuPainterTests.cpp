// The painted menus: measuring against the font's own metrics, the painted pixels of a grabbed
// menu, the plain look of Tag 999 and of an inactive painter, and the flat frame's shape.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QMouseEvent>
#include <QMainWindow>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <memory>

#include "controls/MenuPainter.h"
#include "controls/MenuStyle.h"
#include "controls/PaintedMenu.h"
#include "support/GuiTestApp.h"

namespace {

// The classic palette: face 192, highlight navy, button shadow 128, black text.
QPalette ClassicPalette()
{
    QPalette pal;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Button, QColor(192, 192, 192));
        pal.setColor(g, QPalette::Window, QColor(192, 192, 192));
        pal.setColor(g, QPalette::Highlight, QColor(0, 0, 128));
        pal.setColor(g, QPalette::Dark, QColor(128, 128, 128));
        pal.setColor(g, QPalette::WindowText, QColor(0, 0, 0));
        pal.setColor(g, QPalette::Light, QColor(255, 255, 255));
    }
    return pal;
}

// Colours worked out by hand from the classic palette.
const QColor KItemBack(246, 246, 246);  // 192 + 63 x 0.86 = 246.18
const QColor KIconBack(218, 218, 218);  // 192 + 63 x 0.16 = 202.08, i.e. 0xCACACA, shown as 0xDADADA
const QColor KSelectFill(198, 211, 239);
const QColor KNavy(0, 0, 128);
const QColor KCheckFill1(204, 204, 230); // 255 x 0.8; 128 + 127 x 0.8 = 229.6
const QColor KDisabled(141, 141, 141);   // 128 + 127 x 0.1 = 140.7
const QColor KSeparator(160, 160, 160);  // 128 + 127 x 0.25 = 159.75
const QColor KShadow(116, 118, 116);     // 192 - 76, 192 - 76 + 2
const QColor KFrame(102, 104, 102);      // 192 - 90, 192 - 90 + 2

QIcon RedSquare()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.fillRect(4, 4, 8, 8, QColor(255, 0, 0));
    return QIcon(pm);
}

struct TFixture {
    std::unique_ptr<QMainWindow> form;
    TMenuPainter* painter = nullptr;
    QFont font;

    TFixture()
    {
        EnsureGuiTestApp();
        form = std::make_unique<QMainWindow>();
        form->setPalette(ClassicPalette());
        painter = new TMenuPainter(form.get());
        font = QApplication::font();
        font.setPixelSize(11);
        font.setStyleStrategy(QFont::NoAntialias);
        painter->SetFont(font);
        painter->SetFontColor(Qt::black);
        painter->SetDisplayDepth(24);
        painter->SetActive(true);
    }
    ~TFixture() { form.reset(); }
};

QImage Grab(QWidget* w)
{
    w->adjustSize();
    w->ensurePolished();
    return w->grab().toImage();
}

QSize ItemSize(QMenu* menu, QAction* a) { return menu->actionGeometry(a).size(); }

TEST(MenuPainterMeasure, ItemsMeasureTheirCaptionShortcutIconAndSubMenu)
{
    TFixture f;
    const QFontMetrics fm(f.font);
    const int th = fm.height();
    const int rowH = th + int(std::lround(0.75 * th)); // no ties: heights here are whole pixels
    auto* menu = new TPaintedMenu(f.form.get());
    QAction* plain = menu->addAction("&Open");
    QAction* keyed = menu->addAction("&Save");
    keyed->setShortcut(QKeySequence("Ctrl+S"));
    QAction* icon = menu->addAction(RedSquare(), "Zoom");
    QAction* sep = menu->addSeparator();
    QMenu* sub = menu->addMenu("&Recent");
    menu->adjustSize();
    const QString ctrlS = QKeySequence("Ctrl+S").toString(QKeySequence::NativeText);

    // Every item is as wide as the menu's inner width: the widest item and the 12 pixels that every
    // measured item gets for its text to breathe.
    const int widest = 12 + std::max({fm.horizontalAdvance("&Open") + 5 - fm.horizontalAdvance("&") + 24,
                                 fm.horizontalAdvance("&SaveWWW" + ctrlS) + 5 - fm.horizontalAdvance("&") + 24,
                                 fm.horizontalAdvance("Zoom") + 5 + 24,
                                 fm.horizontalAdvance("&Recent") + 5 - fm.horizontalAdvance("&") + 6 + 24});
    for (QAction* a : {plain, keyed, icon, sub->menuAction(), sep}) EXPECT_EQ(ItemSize(menu, a).width(), widest);
    EXPECT_EQ(ItemSize(menu, plain).height(), std::max(rowH, 6));
    EXPECT_EQ(ItemSize(menu, icon).height(), std::max(rowH, 22));
    EXPECT_EQ(ItemSize(menu, sep).height(), 4);

    // The style's own answer for one item, before the menu adds its widest shortcut.
    QStyleOptionMenuItem opt;
    opt.initFrom(menu);
    opt.menuItemType = QStyleOptionMenuItem::SubMenu;
    opt.text = "&Recent";
    const int shortcutW = QFontMetrics(menu->font()).horizontalAdvance(ctrlS);
    EXPECT_EQ(f.painter->Style()->sizeFromContents(QStyle::CT_MenuItem, &opt, QSize(), menu).width(),
              fm.horizontalAdvance("&Recent") + 5 - fm.horizontalAdvance("&") + 6 + 24 + 12 - shortcutW);
}

TEST(MenuPainterMeasure, SeparatorIsFourPixelsInAnyFontAndIconColumnFollowsIconWidth)
{
    TFixture f;
    for (int px : {8, 11, 30}) {
        QFont big = f.font;
        big.setPixelSize(px);
        f.painter->SetFont(big);
        f.painter->SetIconWidth(40);
        auto* menu = new TPaintedMenu(f.form.get());
        QAction* a = menu->addAction("A");
        QAction* sep = menu->addSeparator();
        menu->addAction("B");
        menu->adjustSize();
        EXPECT_EQ(ItemSize(menu, sep).height(), 4) << px;
        EXPECT_EQ(ItemSize(menu, a).width(), std::max(QFontMetrics(big).horizontalAdvance("A"), QFontMetrics(big).horizontalAdvance("B")) + 5 + 40 + 12) << px;
    }
}

TEST(MenuPainterMeasure, TopItemsMeasureTheirCaptionAndRoomForTheShadowStrip)
{
    TFixture f;
    auto* bar = new TPaintedMenuBar(f.form.get());
    f.form->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    f.form->show();
    const QFontMetrics fm(f.font);
    // caption less the "&" plus 5, and the 4 pixels of the open item's strip
    EXPECT_EQ(bar->actionGeometry(file->menuAction()).width(), fm.horizontalAdvance("&File") + 5 - fm.horizontalAdvance("&") + 4);
}


// A plain menu with the application style's look, the same font and the same items, to compare with.
struct TReference {
    std::unique_ptr<QStyle> style{QStyleFactory::create(QApplication::style()->name())};
    std::unique_ptr<QMenu> menu = std::make_unique<QMenu>();
    explicit TReference(const QFont& font, const QStringList& items)
    {
        menu->setStyle(style.get());
        menu->setFont(font);
        for (const QString& t : items) menu->addAction(t);
    }
};

TEST(MenuPainterPaint, SelectionIconColumnMarksDisabledTextAndSeparator)
{
    TFixture f;
    auto* menu = new TPaintedMenu(f.form.get());
    QAction* sel = menu->addAction("Selected");
    QAction* radio = menu->addAction("Radio");
    radio->setCheckable(true);
    radio->setChecked(true);
    auto* group = new QActionGroup(menu);
    group->addAction(radio);
    QAction* tick = menu->addAction("Tick");
    tick->setCheckable(true);
    tick->setChecked(true);
    QAction* off = menu->addAction("WWWWWW");
    off->setEnabled(false);
    QAction* sep = menu->addSeparator();
    QAction* last = menu->addAction("Last");
    menu->adjustSize();
    menu->setActiveAction(sel);
    const QImage img = Grab(menu);

    const QRect rs = menu->actionGeometry(sel);
    EXPECT_EQ(img.pixelColor(rs.left(), rs.center().y()), KNavy) << "selection border";
    EXPECT_EQ(img.pixelColor(rs.left() + 5, rs.center().y()), KSelectFill) << "selection fill over the column";
    EXPECT_EQ(img.pixelColor(rs.right() - 3, rs.top()), KItemBack) << "the box leaves the item's top row";

    const QRect rl = menu->actionGeometry(last);
    EXPECT_EQ(img.pixelColor(rl.left() + 1, rl.top() + 1), KIconBack);
    EXPECT_EQ(img.pixelColor(rl.left() + 23, rl.top() + 1), KIconBack);
    EXPECT_EQ(img.pixelColor(rl.left() + 24, rl.top() + 1), KItemBack);
    EXPECT_EQ(img.pixelColor(rl.right() - 2, rl.center().y()), KItemBack);

    // The radio mark: a circle whose centre holds the inner circle in the border's colour.
    const QRect rr = menu->actionGeometry(radio);
    EXPECT_EQ(img.pixelColor(rr.left() + 12, rr.center().y()), KNavy);
    EXPECT_EQ(img.pixelColor(rr.left() + 1, rr.top() + 1), KIconBack) << "outside the circle";

    // The tick: a box in the first check colour outlined in the checked colour, black strokes inside.
    const QRect rt = menu->actionGeometry(tick);
    const int side = std::min(24, rt.height()) - 4;
    const QRect box(rt.left() + (24 - side) / 2, rt.top() + (rt.height() - side) / 2, side, side);
    EXPECT_EQ(img.pixelColor(box.topLeft()), KNavy);
    EXPECT_EQ(img.pixelColor(box.topLeft() + QPoint(1, 1)), KCheckFill1);
    int black = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) black += img.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_GE(black, 12);

    auto countIn = [&](const QRect& r, const QColor& c) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y) == c;
        return n;
    };
    const QRect ro = menu->actionGeometry(off);
    EXPECT_GT(countIn(ro.adjusted(24, 0, 0, 0), KDisabled), 20) << "disabled text";
    EXPECT_EQ(countIn(ro, QColor(Qt::black)), 0);

    const QRect rp = menu->actionGeometry(sep);
    EXPECT_EQ(rp.height(), 4);
    EXPECT_EQ(img.pixelColor(rp.left() + 24 + 7, rp.top() + 2), KSeparator);
    EXPECT_EQ(img.pixelColor(rp.left() + 24 + 5, rp.top() + 2), KItemBack) << "the line starts 7 pixels in";
    EXPECT_EQ(img.pixelColor(rp.right(), rp.top() + 2), KSeparator);
}

// The icon: full colour with a shadow 2 pixels right and below when selected, lightened by 30
// otherwise, greyed and lightened when disabled; on the column's colour around its shape.
TEST(MenuPainterPaint, AnItemWithABoldFontIsDrawnBold)
{
    // A menu's default item (the default profile) is marked by a bold font of its own.
    TFixture f;
    auto* menu = new TPaintedMenu(f.form.get());
    QAction* plain = menu->addAction("Fine");
    QAction* bold = menu->addAction("Fine");
    QFont boldFont = bold->font();
    boldFont.setBold(true);
    bold->setFont(boldFont);
    const QImage img = Grab(menu);
    auto ink = [&](QAction* a) {
        int n = 0;
        const QRect r = menu->actionGeometry(a);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left() + 24; x <= r.right(); ++x) n += img.pixelColor(x, y) == QColor(Qt::black);
        return n;
    };
    EXPECT_GT(ink(bold), ink(plain) + 5);
}

TEST(MenuPainterPaint, IconsByStateWithTheSelectedOnesShadow)
{
    TFixture f;
    auto* menu = new TPaintedMenu(f.form.get());
    QAction* sel = menu->addAction(RedSquare(), "Selected");
    QAction* plain = menu->addAction(RedSquare(), "Plain");
    QAction* off = menu->addAction(RedSquare(), "Off");
    off->setEnabled(false);
    menu->addAction("Last");
    menu->adjustSize();
    menu->setActiveAction(sel);
    const QImage img = Grab(menu);
    auto iconAt = [&](QAction* a) {
        const QRect r = menu->actionGeometry(a);
        return QPoint(r.left() + 4, r.top() + (r.height() - 16) / 2); // centred in the 24-pixel column
    };
    // The red square covers pixels 4..11 of the 16 x 16 picture.
    const QPoint s = iconAt(sel), p = iconAt(plain), o = iconAt(off);
    EXPECT_EQ(img.pixelColor(s + QPoint(8, 8)), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(s + QPoint(13, 13)), QColor(138, 153, 179)) << "shadow: the fill less 60, green 58";
    EXPECT_EQ(img.pixelColor(s + QPoint(13, 5)), KSelectFill) << "the shadow starts 2 rows down";
    EXPECT_EQ(img.pixelColor(p + QPoint(8, 8)), QColor(255, 76, 76)) << "lightened: 76.5 cut to 76";
    EXPECT_EQ(img.pixelColor(p + QPoint(13, 13)), KIconBack) << "no shadow";
    EXPECT_EQ(img.pixelColor(o + QPoint(8, 8)), QColor(143, 143, 143)) << "grey 95, then lightened";

    // On a double-density device a lone blue pixel of a 32 x 32 picture stays a lone pixel.
    QImage fine(32, 32, QImage::Format_ARGB32);
    fine.fill(Qt::transparent);
    fine.setPixel(2, 2, qRgb(0, 0, 255));
    fine.setDevicePixelRatio(2.0);
    plain->setIcon(QIcon(QPixmap::fromImage(fine)));
    QStyleOptionMenuItem opt; // a plain item with the picture
    opt.initFrom(menu);
    opt.icon = plain->icon();
    opt.rect = menu->actionGeometry(plain);
    QImage big(menu->size() * 2, QImage::Format_ARGB32);
    big.setDevicePixelRatio(2.0);
    big.fill(Qt::white);
    QPainter painter(&big);
    menu->style()->drawControl(QStyle::CE_MenuItem, &opt, &painter, menu);
    painter.end();
    EXPECT_EQ(big.pixelColor(p * 2 + QPoint(2, 2)), QColor(76, 76, 255)) << "lightened blue";
    EXPECT_EQ(big.pixelColor(p * 2 + QPoint(3, 3)), KIconBack);
}

TEST(MenuPainterPaint, TopItemOpenIsSelectedAndHoveredIsOutlined)
{
    TFixture f;
    auto* bar = new TPaintedMenuBar(f.form.get());
    f.form->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    file->addAction("Open");
    QMenu* edit = bar->addMenu("&Edit");
    edit->addAction("Copy");
    f.form->show();
    const QRect rf = bar->actionGeometry(file->menuAction());
    const QRect re = bar->actionGeometry(edit->menuAction());

    QMouseEvent move(QEvent::MouseMove, QPointF(re.center()), QPointF(bar->mapToGlobal(re.center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QImage img = bar->grab().toImage();
    EXPECT_EQ(img.pixelColor(re.left(), re.center().y()), KNavy) << "hover outline";
    EXPECT_EQ(img.pixelColor(re.left() + 2, re.top() + 2), QColor(192, 192, 192)) << "inside stays the bar colour";
    EXPECT_EQ(img.pixelColor(rf.left(), rf.center().y()), QColor(192, 192, 192)) << "other items plain";

    bar->setActiveAction(file->menuAction());
    PumpUntil([&] { return file->isVisible(); }, 2000);
    img = bar->grab().toImage();
    EXPECT_EQ(img.pixelColor(rf.left(), rf.center().y()), KNavy);
    EXPECT_EQ(img.pixelColor(rf.left() + 2, rf.top() + 2), KSelectFill) << "open: the selection box";
    // The strip right of the box: the bar colour darkened by 100, green by 98.
    EXPECT_EQ(img.pixelColor(rf.right() - 3, rf.bottom()), QColor(92, 94, 92));
    file->hide();
}

TEST(MenuPainterPlain, Tag999OnActionMenuOrFormKeepsTheBaseLook)
{
    TFixture f;
    const QStringList items = {"Alpha", "Beta"};
    TReference ref(f.font, items);
    const QImage refImg = Grab(ref.menu.get());

    // On the menu, and on the form that owns it: sizes and pixels of the base look.
    {
        auto* menu = new TPaintedMenu(f.form.get());
        menu->setProperty("Tag", 999);
        for (const QString& t : items) menu->addAction(t);
        menu->setFont(f.font);
        EXPECT_EQ(menu->sizeHint(), ref.menu->sizeHint());
        EXPECT_EQ(Grab(menu), refImg);
    }
    {
        QMainWindow plainForm;
        plainForm.setProperty("Tag", 999);
        auto* menu = new TPaintedMenu(&plainForm);
        for (const QString& t : items) menu->addAction(t);
        menu->setFont(f.font);
        EXPECT_EQ(menu->sizeHint(), ref.menu->sizeHint());
        EXPECT_EQ(Grab(menu), refImg);
    }
    // On one action: that item is measured and painted by the base, its neighbour by the painter.
    {
        auto* menu = new TPaintedMenu(f.form.get());
        QAction* a = menu->addAction("Alpha");
        a->setProperty("Tag", 999);
        QAction* b = menu->addAction("Beta");
        const QImage img = Grab(menu);
        EXPECT_EQ(menu->actionGeometry(a).height(), ref.menu->actionGeometry(ref.menu->actions()[0]).height());
        const QRect ra = menu->actionGeometry(a), rb = menu->actionGeometry(b);
        EXPECT_NE(img.pixelColor(ra.left() + 2, ra.center().y()), KIconBack);
        EXPECT_EQ(img.pixelColor(rb.left() + 2, rb.center().y()), KIconBack);
    }
}

TEST(MenuPainterPlain, InactivePainterGivesTheBaseLookAndActiveAgainThePaintedOne)
{
    TFixture f;
    auto* bar = new QMenuBar(f.form.get());
    f.form->setMenuBar(bar);
    QMenu* file = bar->addMenu("&File");
    file->addAction("Alpha");
    file->addAction("Beta");
    auto* popup = new QMenu(f.form.get());
    popup->addAction("Alpha");
    popup->addAction("Beta");
    auto* fieldMenu = new QMenu(new QWidget(f.form.get())); // a control's own menu keeps its look
    fieldMenu->addAction("Alpha");
    // Menus made before the painter is activated are taken over then.
    f.painter->SetActive(false);
    f.painter->SetActive(true);
    for (QWidget* w : {static_cast<QWidget*>(bar), static_cast<QWidget*>(file), static_cast<QWidget*>(popup)})
        EXPECT_EQ(w->style(), f.painter->Style()) << w->metaObject()->className();
    EXPECT_NE(fieldMenu->style(), f.painter->Style());
    auto* later = file->addMenu("Later"); // made after activation: taken over when it is polished
    later->addAction("Gamma");
    later->ensurePolished();
    EXPECT_EQ(later->style(), f.painter->Style());

    TReference ref(QApplication::font(), {"Alpha", "Beta"});
    f.painter->SetActive(false);
    for (QWidget* w : {static_cast<QWidget*>(bar), static_cast<QWidget*>(file), static_cast<QWidget*>(popup)})
        EXPECT_EQ(w->style(), QApplication::style());
    ref.menu->setFont(popup->font());
    EXPECT_EQ(Grab(popup), Grab(ref.menu.get()));
    auto* made = new TPaintedMenu(f.form.get());
    EXPECT_EQ(made->style(), QApplication::style()) << "no active painter: nothing to take";

    f.painter->SetActive(true);
    EXPECT_EQ(popup->style(), f.painter->Style());
    const QImage img = Grab(popup);
    EXPECT_EQ(img.pixelColor(popup->actionGeometry(popup->actions()[0]).topLeft() + QPoint(2, 2)), KIconBack);
}

TEST(MenuPainterFlat, ShapedPopupIsTheUnionOfFrameAndShadowUnshapedHasNeither)
{
    TFixture f;
    f.painter->SetFlatMenu(true);
    for (bool shaping : {true, false}) {
        f.painter->SetWindowShaping(shaping);
        auto* menu = new TPaintedMenu(f.form.get());
        menu->addAction("Alpha");
        menu->addAction("Beta");
        menu->popup(QPoint(20, 20));
        ASSERT_TRUE(PumpUntil([&] { return menu->isVisible(); }, 2000));
        const int w = menu->width(), h = menu->height();
        const QImage img = menu->grab().toImage();
        if (shaping) {
            const QRegion expect = QRegion(0, 0, w - 2, h - 2) + QRegion(2, 2, w - 2, h - 2);
            EXPECT_EQ(menu->mask(), expect);
            EXPECT_EQ(img.pixelColor(w - 1, h / 2), KShadow);
            EXPECT_EQ(img.pixelColor(w - 2, h / 2), KShadow);
            EXPECT_EQ(img.pixelColor(w / 2, h - 1), KShadow);
            EXPECT_EQ(img.pixelColor(w - 3, h / 2), KFrame);
            EXPECT_EQ(img.pixelColor(0, h / 2), KFrame);
            // The items sit inside the frame: one pixel in, two pixels short of the shadow.
            EXPECT_EQ(menu->actionGeometry(menu->actions()[0]).topLeft(), QPoint(1, 1));
            EXPECT_EQ(menu->actionGeometry(menu->actions()[0]).right(), w - 4);
        } else {
            EXPECT_TRUE(menu->mask().isEmpty());
            EXPECT_EQ(img.pixelColor(w - 1, h / 2), KFrame);
            EXPECT_EQ(img.pixelColor(w / 2, h - 1), KFrame);
            EXPECT_EQ(img.pixelColor(w - 1, 0), KFrame) << "no cut corner";
        }
        menu->hide();
    }
}

} // namespace
