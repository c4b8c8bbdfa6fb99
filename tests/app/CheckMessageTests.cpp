#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "GuiTestApp.h"
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
    struct
    {
        const char* Case;
        int Buttons;
        TCheckAnswer First;
        const char* Stored;  // value after the first call (nullptr: none)
        bool SecondShown;
    } const cases[] = {
        {"ticked Yes", 4, {mrYes, true}, "6", false},
        {"ticked No", 4, {mrNo, true}, "7", false},
        {"unticked Yes", 4, {mrYes, false}, nullptr, true},
        {"unticked No", 4, {mrNo, false}, nullptr, true},
        {"ticked OK", 0, {mrOk, true}, "1", false},
        {"ticked Cancel", 3, {mrCancel, true}, nullptr, true},
        {"ticked OK/Cancel Cancel", 1, {mrCancel, true}, nullptr, true},
    };
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        TRecordingMessageBox box;
        TScopedMessageBox scope(&box);
        box.Answer(c.First.Result, c.First.DontShowAgain);
        auto show = [&] { return ShowCheckMessage(nullptr, "?", &store, "Ask", 1, c.Buttons, 520, 120, -5); };
        EXPECT_EQ(show(), c.First.Result) << c.Case;
        EXPECT_EQ(store.ReadValue("Ask").value_or("none"), c.Stored ? c.Stored : "none") << c.Case;
        int later = show();
        if (!c.SecondShown) {
            EXPECT_EQ(later, c.First.Result) << c.Case;
        }
        EXPECT_EQ(box.Calls().size(), c.SecondShown ? 2u : 1u) << c.Case;
    }
}

TEST(ShowCheckMessage, PassesTheUseToTheBox)
{
    TMemorySettingsStore store;
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    box.Answer(mrYes, false);
    EXPECT_EQ(ShowCheckMessage(nullptr, &store, CmHelpOffer), mrYes);
    const auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    const auto& call = calls[0];
    EXPECT_TRUE(call.IsCheck);
    EXPECT_EQ(call.Caption, "Quillmark");
    const auto& m = call.Check;
    const auto& u = CmHelpOffer;
    EXPECT_EQ(std::tie(m.Text, m.Buttons, m.Width, m.Height, m.TopOffset, m.IconIndex),
              std::tie(u.Text, u.Buttons, u.Width, u.Height, u.TopOffset, u.IconIndex));
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
};

TEST_F(InfoCBoxTest, ButtonLayoutsFollowTheButtonsCode)
{
    struct
    {
        int Buttons;
        QString B1, B2;
        bool B2Shown, B3Shown;
        int Width, Row; // the row of shown buttons is centred
    } const cases[] = {
        {0, "&OK", "&No", false, false, 520, 80},   {1, "&OK", "&Cancel", true, false, 520, 165},
        {3, "&Yes", "&No", true, true, 520, 250},   {4, "&Yes", "&No", true, false, 520, 165},
        {9, "&OK", "&No", false, false, 430, 80},
    };
    for (const auto& c : cases) {
        TInfoCBoxForm form(nullptr, TCheckMessage{"Quillmark", "A\r\nB", 1, c.Buttons, c.Width, 120, -5});
        EXPECT_EQ(form.size(), QSize(c.Width, 120));
        EXPECT_EQ(form.TextLabel->text(), "A\nB");
        EXPECT_EQ(form.Button1->text(), c.B1) << c.Buttons;
        EXPECT_EQ(form.Button2->text(), c.B2) << c.Buttons;
        EXPECT_EQ(form.Button2->isVisibleTo(&form), c.B2Shown) << c.Buttons;
        EXPECT_EQ(form.Button3->isVisibleTo(&form), c.B3Shown) << c.Buttons;
        EXPECT_EQ(form.Button1->x(), (c.Width - c.Row) / 2) << c.Buttons;
        if (c.B2Shown) {
            EXPECT_EQ(form.Button2->x(), form.Button1->x() + 85) << c.Buttons;
        }
    }
}

TEST_F(InfoCBoxTest, ButtonsAnswerAndEscapeOrCloseMeansNoWithoutTheTick)
{
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
        EXPECT_EQ(form.Answer().Result, c.Expected.Result) << c.Case;
        EXPECT_EQ(form.Answer().DontShowAgain, c.Expected.DontShowAgain) << c.Case;
    }
}

TEST_F(InfoCBoxTest, TheQtBoxPassesATickedAnswerOnToBeStored)
{
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

} // namespace
