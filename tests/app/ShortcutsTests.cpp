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
    auto open = [this](const char* name) {
        WriteBmp(Path(name), 64, 48);
        TImageForm* form = Form->NewImageWindow({Path(name)});
        EXPECT_TRUE(PumpUntil([form] { return !form->Busy && form->ResultSize > 0; }));
        Form->AppIdle();
        return form;
    };
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
    open("a.bmp");
    // No two actions share a key: the main window's and the image window's own (its frame menu).
    std::map<QKeySequence, QStringList> owners;
    for (QAction* action : Form->findChildren<QAction*>())
        for (const QKeySequence& key : action->shortcuts())
            owners[key] << (action->objectName().isEmpty() ? action->text() : action->objectName());
    for (const auto& [key, names] : owners)
        EXPECT_EQ(names.size(), 1) << key.toString().toStdString() << ": " << names.join(", ").toStdString();
    // The frame menu's Close keeps the usual key of a document window, not Ctrl+W.
    EXPECT_EQ(owners[QKeySequence("Ctrl+F4")], QStringList{"&Close"});

    // Keys of commands that are also a menu title's Alt key.
    std::set<QKeySequence> menuKeys;
    for (QAction* title : Form->menuBar()->actions())
        menuKeys.insert(QKeySequence::mnemonic(title->text()));
    QStringList shared;
    for (const auto& [key, names] : owners)
        if (menuKeys.count(key)) shared << key.toString();
    EXPECT_EQ(shared, QStringList({"Alt+H", "Alt+V"}));
    TImageForm* b = open("b.bmp");
    ASSERT_EQ(Form->ActiveImage(), b);
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
        EXPECT_EQ(b->ViewLayout, layout) << key;
    }
    EXPECT_EQ(Form->ImageWindows().size(), 2u); // Ctrl+W closed nothing

    // F10 opens the first menu; the left arrow walks along the menu bar (from the last) to every
    // other one.
    const QList<QAction*> titles = Form->menuBar()->actions();
    QWidget* popup = press(QKeySequence(Qt::Key_F10));
    for (qsizetype i = 0; i < titles.size(); ++i) {
        ASSERT_TRUE(popup) << i;
        EXPECT_EQ(popup, titles[i == 0 ? 0 : titles.size() - i]->menu()) << i;
        QTest::keyClick(popup, Qt::Key_Left);
        popup = QApplication::activePopupWidget();
    }
    // An Alt key no command takes opens its menu; so does a command's key while the command is
    // disabled.
    EXPECT_EQ(press(QKeySequence("Alt+F")), titles[0]->menu());
    for (TImageForm* f : Form->ImageWindows())
        f->SetSaved(true), f->close();
    Form->AppIdle();
    ASSERT_FALSE(Form->ViewArrVertAction->isEnabled());
    EXPECT_EQ(press(QKeySequence("Alt+V")), titles[4]->menu());
}

} // namespace
