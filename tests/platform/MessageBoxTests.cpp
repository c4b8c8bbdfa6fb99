#include <gtest/gtest.h>

#include "platform/MessageBox.h"

namespace {

TEST(RecordingMessageBox, AnswersQuestionsFromTheScriptAndRecordsEveryBox)
{
    TRecordingMessageBox box;
    box.Answer(mrYes);
    box.Answer(mrNo, true);
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkWarning, "C", "warn"), mrOk); // takes no answer
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkYesNo, "C", "ask"), mrYes);
    TCheckMessage m;
    m.Buttons = 4;
    TCheckAnswer a = box.ShowCheck(nullptr, m);
    EXPECT_EQ(a.Result, mrNo);
    EXPECT_TRUE(a.DontShowAgain);
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkYesNo, "C", "again"), mrNo); // the script is used up: No

    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].Answer.Result, mrYes);
    EXPECT_TRUE(calls[2].IsCheck);
    EXPECT_EQ(calls[2].Check.Buttons, 4);
    EXPECT_EQ(calls[3].Text, "again");
}

TEST(MessageBox, BuiltInImplementationSaysNoWithoutBlocking)
{
    ::testing::internal::CaptureStderr();
    IMessageBox& box = CurrentMessageBox();
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkYesNo, "Cap", "Question"), mrNo);
    TCheckMessage m;
    m.Buttons = 1;
    EXPECT_EQ(box.ShowCheck(nullptr, m).Result, mrCancel);
    m.Buttons = 0;
    EXPECT_EQ(box.ShowCheck(nullptr, m).Result, mrOk);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Cap: Question"), std::string::npos);
}

} // namespace
