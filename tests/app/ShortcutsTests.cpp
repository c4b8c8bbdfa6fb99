// The keys of the main window and its image windows: every shortcut belongs to one action where it
// applies, a command's key is never taken by a menu title's Alt key, and the menus stay reachable
// from the keyboard.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <map>
#include <set>

#include "MainFormTestKit.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

using ShortcutsTest = TMainFormTest;

TEST_F(ShortcutsTest, EveryKeyReachesItsCommandOrItsMenu)
{
    // Closes any open menu and sends a key to the widget with the focus in the main window, as the
    // keyboard would; the menu the key opened, if any.
    auto press = [this](const QKeySequence& key) {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QCoreApplication::processEvents();
        QApplication::setActiveWindow(Form.get());
        QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : Form.get(), key);
        return QApplication::activePopupWidget();
    };
    WriteBmp(Path("a.bmp"), 64, 48);
    TImageForm* a = Form->NewImageWindow({Path("a.bmp")});
    ASSERT_TRUE(PumpUntil([a] { return !a->Busy && a->ResultSize > 0; }));
    Form->AppIdle();
    const QList<QAction*> titles = Form->menuBar()->actions();
    std::set<QKeySequence> menuKeys;
    for (QAction* title : titles)
        menuKeys.insert(QKeySequence::mnemonic(title->text()));
    // No two actions share a key: the main window's and the image window's own (its frame menu).
    std::map<QKeySequence, QStringList> owners;
    for (QAction* action : Form->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            owners[key] << (action->objectName().isEmpty() ? action->text() : action->objectName());
    QStringList shared; // keys of commands that are also a menu title's Alt key
    for (const auto& [key, names] : owners) {
        EXPECT_EQ(names.size(), 1) << key.toString().toStdString() << ": " << names.join(", ").toStdString();
        if (menuKeys.count(key)) shared << key.toString();
    }
    EXPECT_EQ(shared, QStringList({"Alt+H", "Alt+V"}));
    // The frame menu's Close keeps the usual key of a document window, not Ctrl+W.
    EXPECT_EQ(owners[QKeySequence("Ctrl+F4")], QStringList{"&Close"});

    // Each of them, and Ctrl+W, runs its command: key, command, the image window's layout after it.
    const std::tuple<const char*, QAction*, int> rows[] = {
        {"Alt+V", Form->ViewArrVertAction, 1},
        {"Alt+H", Form->ViewArrHorzAction, 0},
        {"Ctrl+W", Form->WindowFitAction, 0}, // left to it by the frame menu's Close
    };
    for (const auto& [key, action, layout] : rows) {
        QSignalSpy ran(action, &QAction::triggered);
        EXPECT_EQ(press(QKeySequence(key)), nullptr) << key; // no menu opened instead
        EXPECT_EQ(ran.count(), 1) << key;
        EXPECT_EQ(a->ViewLayout, layout) << key;
    }
    EXPECT_EQ(Form->ImageWindows().size(), 1u); // Ctrl+W closed nothing

    // F10 opens the first menu; the left arrow walks along the menu bar (from the last) to every
    // other one.
    QWidget* popup = press(QKeySequence(Qt::Key_F10));
    for (qsizetype i = 0; i < titles.size(); ++i) {
        ASSERT_EQ(popup, titles[(titles.size() - i) % titles.size()]->menu()) << i;
        QTest::keyClick(popup, Qt::Key_Left);
        popup = QApplication::activePopupWidget();
    }
    // An Alt key no command takes opens its menu; so does a command's key while the command is
    // disabled.
    EXPECT_EQ(press(QKeySequence("Alt+F")), titles[0]->menu());
    a->SetSaved(true);
    a->close();
    Form->AppIdle();
    ASSERT_FALSE(Form->ViewArrVertAction->isEnabled());
    EXPECT_EQ(press(QKeySequence("Alt+V")), titles[4]->menu());
}

} // namespace
