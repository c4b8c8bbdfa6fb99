#include <gtest/gtest.h>

#include "platform/MessageBox.h"

namespace {

// Without a window system the built-in box says No (Cancel, or OK for an OK-only box) at once and
// writes the box to stderr. (The recording box is used by every test of the windows' questions.)
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
