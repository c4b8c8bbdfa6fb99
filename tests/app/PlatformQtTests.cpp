// Exceptions that escape event handlers.
#include <QTimer>
#include <gtest/gtest.h>

#include "app/QuillmarkApplication.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"

namespace {

TQuillmarkApplication& App()
{
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    static TQuillmarkApplication* app = new TQuillmarkApplication(argc, argv);
    return *app;
}

TEST(QuillmarkApplication, ExceptionsFromHandlersAreShownAbortsAreSilent)
{
    App();
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    QTimer::singleShot(0, [] { throw EInvalidGraphic("Bitmap image is not valid"); });
    QTimer::singleShot(0, [] { throw EAbort("stopped"); });
    QTimer::singleShot(5, [] { QCoreApplication::quit(); });
    App().exec();
    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Caption, "Quillmark");
    EXPECT_EQ(calls[0].Text, "Bitmap image is not valid");
    EXPECT_EQ(calls[0].Kind, TMsgKind::mkError);
}

} // namespace
