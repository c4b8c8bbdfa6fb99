#include <gtest/gtest.h>

#include "platform/MessageBox.h"

namespace {

// The recording box answers from its script (No once it is used up) and records every box; the
// built-in one says No (Cancel, or OK for an OK-only box) without blocking and writes to stderr.
TEST(MessageBox, RecordingAndBuiltInAnswers)
{
    TRecordingMessageBox box;
    box.Answer(mrYes);
    box.Answer(mrNo, true);
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkWarning, "C", "warn"), mrOk); // takes no answer
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkYesNo, "C", "ask"), mrYes);
    TCheckMessage m;
    m.Buttons = 1;
    const TCheckAnswer a = box.ShowCheck(nullptr, m);
    EXPECT_TRUE(a.Result == mrNo && a.DontShowAgain);
    EXPECT_EQ(box.Show(nullptr, TMsgKind::mkYesNo, "C", "again"), mrNo);
    ASSERT_EQ(box.Calls().size(), 4u);
    EXPECT_TRUE(box.Calls()[2].IsCheck);

    ::testing::internal::CaptureStderr();
    IMessageBox& builtIn = CurrentMessageBox();
    EXPECT_EQ(builtIn.Show(nullptr, TMsgKind::mkYesNo, "Cap", "Question"), mrNo);
    EXPECT_EQ(builtIn.ShowCheck(nullptr, m).Result, mrCancel);
    m.Buttons = 0;
    EXPECT_EQ(builtIn.ShowCheck(nullptr, m).Result, mrOk);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Cap: Question"), std::string::npos);
}

} // namespace
