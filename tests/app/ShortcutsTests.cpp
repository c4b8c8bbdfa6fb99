// The keys of the main window and its image windows: every shortcut belongs to one action where it
// applies, a command's key is never taken by a menu title's Alt key, and the menus stay reachable
// from the keyboard.
#include <gtest/gtest.h>

#include <map>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include "MainFormTestKit.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class ShortcutsTest : public TMainFormTest
{
  protected:
    TImageForm* Open(const char* name)
    {
        WriteBmp(Path(name), 64, 48);
        TImageForm* form = Form->NewImageWindow({Path(name)});
        EXPECT_TRUE(PumpUntil([form] { return !form->Busy && form->ResultSize > 0; }));
        Form->AppIdle();
        QApplication::setActiveWindow(Form.get());
        return form;
    }
    // The Alt keys of the menu bar's titles, with the titles.
    std::map<QKeySequence, QString> MenuKeys() const
    {
        std::map<QKeySequence, QString> keys;
        for (QAction* m : Form->menuBar()->actions())
            keys[QKeySequence::mnemonic(m->text())] = m->text();
        return keys;
    }
    // Sends a key to the widget with the focus in the main window, as the keyboard would.
    void Press(const QKeySequence& key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
        QTest::keySequence(target, key);
    }
    static void CloseMenus()
    {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QCoreApplication::processEvents();
    }
};

TEST_F(ShortcutsTest, NoTwoActionsOfTheMainWindowAndTheActiveImageWindowShareAKey)
{
    TImageForm* a = Open("a.bmp");
    // The main window's actions, the image window's own (its frame menu) among them.
    std::map<QKeySequence, QStringList> owners;
    for (QAction* action : Form->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            owners[key] << (action->objectName().isEmpty() ? action->text() : action->objectName());
    for (const auto& [key, names] : owners)
        EXPECT_EQ(names.size(), 1) << key.toString().toStdString() << ": " << names.join(", ").toStdString();
    // The frame menu's Close keeps the usual key of a document window.
    ASSERT_TRUE(a->systemMenu());
    int closeItems = 0;
    for (QAction* action : a->systemMenu()->actions())
        if (action->text() == "&Close") {
            ++closeItems;
            EXPECT_EQ(action->shortcuts(), QList<QKeySequence>{QKeySequence("Ctrl+F4")});
        }
    EXPECT_EQ(closeItems, 1);
}

TEST_F(ShortcutsTest, ACommandsKeyReachesTheCommandBeforeAMenusKey)
{
    Open("a.bmp");
    TImageForm* b = Open("b.bmp");
    ASSERT_EQ(Form->ActiveImage(), b);
    // key, action, image window layout after it (-1: no layout)
    struct
    {
        const char* Key;
        QAction* Action;
        int Layout;
    } const rows[] = {
        {"Alt+V", Form->ViewArrVertAction, 1},
        {"Alt+R", Form->ViewArrResAction, 2},
        {"Alt+H", Form->ViewArrHorzAction, 0},
        {"Ctrl+W", Form->WindowFitAction, -1},
    };
    // Every command whose key is also a menu's Alt key has a row here.
    const auto menuKeys = MenuKeys();
    for (QAction* action : Form->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            if (menuKeys.count(key)) {
                bool listed = false;
                for (const auto& r : rows)
                    listed |= r.Action == action && QKeySequence(r.Key) == key;
                EXPECT_TRUE(listed) << action->objectName().toStdString();
            }
    b->resize(500, 400);
    for (const auto& r : rows) {
        QSignalSpy ran(r.Action, &QAction::triggered);
        Press(QKeySequence(r.Key));
        EXPECT_EQ(ran.count(), 1) << r.Key;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << r.Key;
        if (r.Layout >= 0) EXPECT_EQ(b->ViewLayout, r.Layout) << r.Key;
        CloseMenus();
    }
    EXPECT_NE(b->size(), QSize(500, 400)); // fitted to its picture
    EXPECT_EQ(Form->ActiveImage(), b);
    EXPECT_EQ(Form->ImageWindows().size(), 2u); // Ctrl+W closed nothing
}

TEST_F(ShortcutsTest, EveryMenuStaysReachableFromTheKeyboard)
{
    Open("a.bmp");
    const QList<QAction*> titles = Form->menuBar()->actions();
    // F10 opens the first menu; the left arrow walks along the menu bar (from the last) to every
    // other one.
    Press(QKeySequence(Qt::Key_F10));
    for (qsizetype i = 0; i < titles.size(); ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_TRUE(popup) << i;
        const QAction* title = titles[i == 0 ? 0 : titles.size() - i];
        EXPECT_EQ(popup, title->menu()) << title->text().toStdString();
        QTest::keyClick(popup, Qt::Key_Left);
    }
    CloseMenus();
    // An Alt key that no command takes opens its menu; so does a command's key while the command
    // is disabled.
    QApplication::setActiveWindow(Form.get());
    Press(QKeySequence("Alt+F"));
    EXPECT_EQ(QApplication::activePopupWidget(), titles[0]->menu());
    CloseMenus();
    for (TImageForm* f : Form->ImageWindows())
        f->SetSaved(true), f->close();
    Form->AppIdle();
    ASSERT_FALSE(Form->ViewArrVertAction->isEnabled());
    QApplication::setActiveWindow(Form.get());
    Press(QKeySequence("Alt+V"));
    EXPECT_EQ(QApplication::activePopupWidget(), titles[4]->menu());
    CloseMenus();
}

} // namespace
