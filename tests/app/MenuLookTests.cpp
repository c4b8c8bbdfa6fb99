// The main window's painted menus and its equalizer captions.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>

#include "ImageTestKit.h"
#include "app/MainForm.h"
#include "app/MenuLook.h"
#include "app/QtSettingsStore.h"
#include "controls/AngleLabel.h"
#include "controls/MenuPainter.h"
#include "controls/MenuStyle.h"

namespace {

using namespace testkit;

class MenuLookTest : public TFolderTest
{
protected:
    void SetUp() override
    {
        TFolderTest::SetUp();
        Form = std::make_unique<TMainForm>(std::vector<std::string>{},
                                           std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
    }
    void TearDown() override { Form.reset(); }
    std::unique_ptr<TMainForm> Form;
};

TEST_F(MenuLookTest, EveryMenuOfTheMainWindowCarriesThePaintersLook)
{
    TMenuPainter* painter = MenuPainterOf(*Form);
    ASSERT_NE(painter, nullptr);
    EXPECT_TRUE(painter->Active());
    EXPECT_FALSE(painter->FlatMenu());
    EXPECT_EQ(painter->Font().pixelSize(), 11);
    EXPECT_EQ(painter->DimLevel(), 30);
    EXPECT_EQ(painter->GrayLevel(), 10);
    EXPECT_EQ(painter->PaintControls(), (1u << TMenuPainter::pcMainMenu) | (1u << TMenuPainter::pcPopupMenu));
    EXPECT_EQ(TMenuPainter::ActivePainter(), painter);

    EXPECT_EQ(Form->menuBar()->style(), painter->Style());
    int menus = 0;
    for (QMenu* m : Form->menuBar()->findChildren<QMenu*>()) {
        m->ensurePolished(); // menus made later are taken over when polished, before they show
        EXPECT_EQ(m->style(), painter->Style()) << m->title().toStdString();
        ++menus;
    }
    EXPECT_GE(menus, 6); // File, Edit, Selection, Options and its sub-menus, View, Window
    ASSERT_NE(Form->ImageMenu, nullptr);
    EXPECT_EQ(Form->ImageMenu->style(), painter->Style());
    // Every popup the window owns (the image popup, the profile list, their sub-menus).
    for (QMenu* m : Form->findChildren<QMenu*>()) {
        QWidget* owner = m->parentWidget();
        if (owner != Form.get() && !qobject_cast<QMenu*>(owner) && !qobject_cast<QMenuBar*>(owner)) continue;
        m->ensurePolished();
        EXPECT_EQ(m->style(), painter->Style()) << m->objectName().toStdString() << m->title().toStdString();
    }
    // The menus measure with the painter's font.
    EXPECT_EQ(Form->ImageMenu->font().pixelSize(), 11);
}

TEST_F(MenuLookTest, TheEqualizerHasSixTurnedCaptionsOfFourTexts)
{
    QStringList texts;
    for (TAngleLabel* l : Form->ComprEqPanel->findChildren<TAngleLabel*>()) {
        texts << l->text();
        EXPECT_EQ(l->Angle(), 90);
        const bool scale = l->text() == "Max" || l->text() == "Min";
        EXPECT_EQ(l->Style(), scale ? TStyleLabel::slNormal : TStyleLabel::slLowered) << l->text().toStdString();
        if (!scale) EXPECT_EQ(l->ShadowColor(), QColor(Qt::white));
    }
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"Large", "Max", "Max", "Min", "Min", "Small"}));
}

} // namespace
