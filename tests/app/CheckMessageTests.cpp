#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "support/GuiTestApp.h"
#include "common/CheckMessage.h"
#include "app/InfoCBox.h"
#include "app/QtMessageBox.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"

namespace {

using TBoxAction = std::function<void(TInfoCBoxForm&)>;

// ---- The remembering rules, answered through the recording box ----

TEST(ShowCheckMessage, RemembersOnlyTickedAnswersAndATickedNoStaysNo)
{
    // Before and Stored: the value before and after the first call (nullptr: none).
    struct { const char* Case; const char* Before; int Buttons; TCheckAnswer First; const char* Stored;
             bool Shown, SecondShown; } const cases[] = {
        {"ticked Yes", nullptr, 4, {mrYes, true}, "6", true, false},
        {"ticked No", nullptr, 4, {mrNo, true}, "7", true, false},
        {"unticked Yes", nullptr, 4, {mrYes, false}, nullptr, true, true},
        {"unticked No", nullptr, 4, {mrNo, false}, nullptr, true, true},
        {"ticked OK", nullptr, 0, {mrOk, true}, "1", true, false},
        {"ticked Cancel", nullptr, 3, {mrCancel, true}, nullptr, true, true},
        {"ticked OK/Cancel Cancel", nullptr, 1, {mrCancel, true}, nullptr, true, true},
        {"the flag of earlier versions reads as Yes", "1", 4, {mrYes, false}, "1", false, false},
        {"garbage shows the box", "abc", 4, {mrNo, false}, "abc", true, true},
    };
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        if (c.Before) store.WriteValue("Ask", c.Before);
        TRecordingMessageBox box;
        TScopedMessageBox scope(&box);
        box.Answer(c.First.Result, c.First.DontShowAgain);
        bool shown = false;
        auto show = [&] { return ShowCheckMessage(nullptr, "?", &store, "Ask", 1, c.Buttons, 520, 120, -5, &shown); };
        EXPECT_EQ(show(), c.First.Result) << c.Case;
        EXPECT_EQ(shown, c.Shown) << c.Case;
        EXPECT_EQ(store.ReadValue("Ask").value_or("none"), c.Stored ? c.Stored : "none") << c.Case;
        int later = show();
        if (!c.SecondShown) {
            EXPECT_EQ(later, c.First.Result) << c.Case;
        }
        EXPECT_EQ(shown, c.SecondShown) << c.Case;
    }
}

// A ticked answer the store refuses to keep is not lost silently: the store's error is raised.
TEST(ShowCheckMessage, AStoreThatRefusesTheAnswerRaises)
{
    TMemorySettingsStore store;
    store.SetReadOnly(true);
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    box.Answer(mrYes, true);
    EXPECT_THROW(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), ERegistryException);
}

// ---- The dialog itself, driven offscreen ----

TEST(InfoCBox, ButtonsAnswerAndEscapeOrCloseMeansNoWithoutTheTick)
{
    EnsureGuiTestApp();
    auto tickThen = [](TBoxAction act) {
        return [act](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); act(f); };
    };
    auto esc = [](TInfoCBoxForm& f) { QTest::keyClick(&f, Qt::Key_Escape); };
    struct { const char* Case; int Buttons; TBoxAction Act; TCheckAnswer Expected; } const cases[] = {
        {"ticked No", 4, tickThen([](TInfoCBoxForm& f) { f.Button2->click(); }), {mrNo, true}},
        {"Yes", 4, [](TInfoCBoxForm& f) { f.Button1->click(); }, {mrYes, false}},
        {"Enter takes the default", 4, [](TInfoCBoxForm& f) { QTest::keyClick(&f, Qt::Key_Return); }, {mrYes, false}},
        {"ticked Esc", 4, tickThen(esc), {mrNo, false}},
        {"ticked close", 4, tickThen([](TInfoCBoxForm& f) { f.close(); }), {mrNo, false}},
        {"Esc with Cancel", 3, esc, {mrCancel, false}},
        {"Cancel of OK/Cancel", 1, [](TInfoCBoxForm& f) { f.Button2->click(); }, {mrCancel, false}},
        {"ticked OK", 0, tickThen([](TInfoCBoxForm& f) { f.Button1->click(); }), {mrOk, true}},
    };
    for (const auto& c : cases) {
        TInfoCBoxForm form(nullptr, TCheckMessage{"Quillmark", "?", 0, c.Buttons, 0, 0, 0});
        QTimer::singleShot(0, &form, [&form, &c] { c.Act(form); });
        form.exec();
        EXPECT_EQ(std::tuple(form.Answer().Result, form.Answer().DontShowAgain),
                  std::tuple(c.Expected.Result, c.Expected.DontShowAgain)) << c.Case;
    }
}

TEST(InfoCBox, TheQtBoxPassesATickedAnswerOnToBeStored)
{
    EnsureGuiTestApp();
    TQtMessageBox qtBox;
    TScopedMessageBox scope(&qtBox);
    TMemorySettingsStore store;
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TInfoCBoxForm*>(w); f && f->isVisible()) {
                f->ShowMesCheckBox->setChecked(true);
                f->Button2->click();
            }
    });
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo);
    EXPECT_EQ(store.ReadValue("ConfirmOverwrite"), "7");
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo); // not shown: nothing drives it
}

// The buttons code gives the texts and shown buttons; the form takes the message's size, its text
// with the line breaks of the running system, and centres the row of shown buttons (85 apart).
TEST(InfoCBox, ButtonLayoutsFollowTheButtonsCode)
{
    EnsureGuiTestApp();
    struct
    {
        int Buttons;
        QString B1, B2;
        bool B2Shown, B3Shown;
        int Width, Row; // the row of shown buttons is centred
    } const cases[] = {
        {0, "&OK", "&No", false, false, 520, 80}, {1, "&OK", "&Cancel", true, false, 520, 165},
        {3, "&Yes", "&No", true, true, 520, 250}, {4, "&Yes", "&No", true, false, 520, 165},
        {9, "&OK", "&No", false, false, 430, 80},
    };
    for (const auto& c : cases) {
        TInfoCBoxForm form(nullptr, TCheckMessage{"Quillmark", "A\r\nB", 1, c.Buttons, c.Width, 120, -5});
        EXPECT_EQ(std::tuple(form.size(), form.TextLabel->text()),
                  std::tuple(QSize(c.Width, 120), QString("A\nB")));
        EXPECT_EQ(std::tuple(form.Button1->text(), form.Button2->text()), std::tuple(c.B1, c.B2))
            << c.Buttons;
        EXPECT_EQ(std::tuple(form.Button2->isVisibleTo(&form), form.Button3->isVisibleTo(&form)),
                  std::tuple(c.B2Shown, c.B3Shown))
            << c.Buttons;
        EXPECT_EQ(form.Button1->x(), (c.Width - c.Row) / 2) << c.Buttons;
        if (c.B2Shown) {
            EXPECT_EQ(form.Button2->x(), form.Button1->x() + 85) << c.Buttons;
        }
    }
}

} // namespace
