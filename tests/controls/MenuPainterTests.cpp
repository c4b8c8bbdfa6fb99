// The painted menus: measuring against the font's own metrics, the painted pixels of a grabbed
// menu, the plain look of Tag 999 and of an inactive painter, and the flat frame's shape.
#include <gtest/gtest.h>

#include <QActionGroup>
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

} // namespace
