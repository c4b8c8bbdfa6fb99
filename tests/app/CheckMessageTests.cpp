#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "GuiTestApp.h"
#include "app/CheckMessage.h"
#include "app/InfoCBox.h"
#include "app/QtMessageBox.h"
#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"

namespace {

// ---- The remembering rules, answered through the recording box ----

TEST(ShowCheckMessage, RemembersOnlyTickedAnswersAndATickedNoStaysNo)
{
    struct
    {
        const char* Case;
        int Buttons;
        TCheckAnswer First;
        const char* Stored;  // value after the first call (nullptr: none)
        int Later;           // answer of the second call
        bool SecondShown;
    } const cases[] = {
        {"ticked Yes", 4, {mrYes, true}, "6", mrYes, false},
        {"ticked No", 4, {mrNo, true}, "7", mrNo, false},
        {"unticked Yes", 4, {mrYes, false}, nullptr, mrNo, true},
        {"unticked No", 4, {mrNo, false}, nullptr, mrNo, true},
        {"ticked OK", 0, {mrOk, true}, "1", mrOk, false},
        {"ticked Cancel", 3, {mrCancel, true}, nullptr, mrNo, true},
        {"ticked OK/Cancel Cancel", 1, {mrCancel, true}, nullptr, mrCancel, true},
    };
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        TRecordingMessageBox box;
        box.DefaultAnswer = {c.Buttons == 1 ? mrCancel : c.Buttons == 0 ? mrOk : mrNo, false};
        TScopedMessageBox scope(&box);
        box.Answer(c.First.Result, c.First.DontShowAgain);
        EXPECT_EQ(ShowCheckMessage(nullptr, "Overwrite?", &store, "ConfirmOverwrite", 1, c.Buttons, 520, 120, -5),
                  c.First.Result)
            << c.Case;
        auto stored = store.ReadValue("ConfirmOverwrite");
        if (c.Stored)
            EXPECT_EQ(stored, c.Stored) << c.Case;
        else
            EXPECT_FALSE(stored.has_value()) << c.Case;
        int later = ShowCheckMessage(nullptr, "Overwrite?", &store, "ConfirmOverwrite", 1, c.Buttons, 520, 120, -5);
        if (!c.SecondShown) {
            EXPECT_EQ(later, c.Later) << c.Case;
        }
        EXPECT_EQ(box.Calls().size(), c.SecondShown ? 2u : 1u) << c.Case;
    }
}

TEST(ShowCheckMessage, PassesTheUseToTheBoxAndOnlyYesOrOkIsConsent)
{
    TMemorySettingsStore store;
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    box.Answer(mrYes, false);
    EXPECT_TRUE(IsConsent(ShowCheckMessage(nullptr, &store, CmHelpOffer)));
    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].IsCheck);
    EXPECT_EQ(calls[0].Caption, "Quillmark");
    EXPECT_EQ(calls[0].Check.Text, CmHelpOffer.Text);
    EXPECT_EQ(calls[0].Check.Buttons, 4);
    EXPECT_EQ(calls[0].Check.Width, 430);
    EXPECT_EQ(calls[0].Check.Height, 155);
    EXPECT_EQ(calls[0].Check.TopOffset, -5);
    EXPECT_EQ(calls[0].Check.IconIndex, 0);

    for (int answer : {mrNo, mrCancel, mrNone}) EXPECT_FALSE(IsConsent(answer)) << answer;
}

TEST(ShowCheckMessage, AFlagStoredByEarlierVersionsStillMeansYesAndGarbageShowsTheBox)
{
    TMemorySettingsStore store;
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    store.WriteValue("ConfirmOverwrite", "1");
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrYes);
    store.WriteValue("ConfirmOverwrite", "abc");
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo); // shown, default answer
    EXPECT_EQ(box.Calls().size(), 1u);
}

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

class InfoCBoxTest : public ::testing::Test
{
protected:
    void SetUp() override { EnsureGuiTestApp(); }

    // Runs the modal box and lets act drive it once it is shown.
    static TCheckAnswer Drive(TInfoCBoxForm& form, std::function<void(TInfoCBoxForm&)> act)
    {
        QTimer::singleShot(0, &form, [&form, act] { act(form); });
        form.exec();
        return form.Answer();
    }
};

TEST_F(InfoCBoxTest, ButtonLayoutsFollowTheButtonsCode)
{
    struct
    {
        int Buttons;
        QString B1, B2;
        bool B2Shown, B3Shown;
        int B1Left;
    } const cases[] = {
        {0, "&OK", "&No", false, false, (520 - 80) / 2},
        {1, "&OK", "&Cancel", true, false, (520 - 165) / 2},
        {3, "&Yes", "&No", true, true, (520 - 250) / 2},
        {4, "&Yes", "&No", true, false, (520 - 165) / 2},
        {9, "&OK", "&No", false, false, (430 - 80) / 2},
    };
    for (const auto& c : cases) {
        TCheckMessage m{"Quillmark", "Text\r\nmore", 1, c.Buttons, 520, 120, -5};
        TInfoCBoxForm form(nullptr, m);
        EXPECT_EQ(form.windowTitle(), "Quillmark");
        EXPECT_EQ(form.size(), QSize(520, 120));
        EXPECT_EQ(form.TextLabel->text(), "Text\nmore");
        EXPECT_EQ(form.ShowMesCheckBox->text(), "  Don't show this message again");
        EXPECT_EQ(form.Button1->text(), c.B1) << c.Buttons;
        EXPECT_EQ(form.Button2->text(), c.B2) << c.Buttons;
        EXPECT_EQ(form.Button2->isVisibleTo(&form), c.B2Shown) << c.Buttons;
        EXPECT_EQ(form.Button3->isVisibleTo(&form), c.B3Shown) << c.Buttons;
        EXPECT_EQ(form.Button1->x(), c.B1Left) << c.Buttons;
        if (c.B2Shown) {
            EXPECT_EQ(form.Button2->x(), form.Button1->x() + 85) << c.Buttons;
        }
    }
}

TEST_F(InfoCBoxTest, ButtonsAnswerAndEscapeOrCloseMeansNoWithoutTheTick)
{
    struct
    {
        const char* Case;
        int Buttons;
        std::function<void(TInfoCBoxForm&)> Act;
        TCheckAnswer Expected;
    } const cases[] = {
        {"ticked No", 4, [](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); f.Button2->click(); },
         {mrNo, true}},
        {"Yes", 4, [](TInfoCBoxForm& f) { f.Button1->click(); }, {mrYes, false}},
        {"Enter takes the default", 4, [](TInfoCBoxForm& f) { QTest::keyClick(&f, Qt::Key_Return); }, {mrYes, false}},
        {"ticked Esc", 4, [](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); QTest::keyClick(&f, Qt::Key_Escape); },
         {mrNo, false}},
        {"ticked close", 4, [](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); f.close(); }, {mrNo, false}},
        {"Esc with Cancel", 3, [](TInfoCBoxForm& f) { QTest::keyClick(&f, Qt::Key_Escape); }, {mrCancel, false}},
        {"Cancel of OK/Cancel", 1, [](TInfoCBoxForm& f) { f.Button2->click(); }, {mrCancel, false}},
        {"ticked OK", 0, [](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); f.Button1->click(); }, {mrOk, true}},
    };
    for (const auto& c : cases) {
        TInfoCBoxForm form(nullptr, TCheckMessage{"Quillmark", "?", 0, c.Buttons, 0, 0, 0});
        TCheckAnswer a = Drive(form, c.Act);
        EXPECT_EQ(a.Result, c.Expected.Result) << c.Case;
        EXPECT_EQ(a.DontShowAgain, c.Expected.DontShowAgain) << c.Case;
    }
}

TEST_F(InfoCBoxTest, TheQtBoxStoresATickedAnswerAndAnEscapedBoxStoresNothing)
{
    TQtMessageBox qtBox;
    TScopedMessageBox scope(&qtBox);
    TMemorySettingsStore store;

    auto pressLater = [](std::function<void(TInfoCBoxForm&)> act) {
        QTimer::singleShot(0, [act] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<TInfoCBoxForm*>(w); f && f->isVisible()) act(*f);
        });
    };
    pressLater([](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); QTest::keyClick(&f, Qt::Key_Escape); });
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo);
    EXPECT_FALSE(store.ValueExists("ConfirmOverwrite"));

    pressLater([](TInfoCBoxForm& f) { f.ShowMesCheckBox->setChecked(true); f.Button2->click(); });
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo);
    EXPECT_EQ(store.ReadValue("ConfirmOverwrite"), "7");
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmConfirmOverwrite), mrNo); // not shown: nothing drives it
}

} // namespace
