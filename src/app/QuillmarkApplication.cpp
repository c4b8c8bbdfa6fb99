#include "app/QuillmarkApplication.h"

#include <exception>

#include "app/CommandPictures.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"

TQuillmarkApplication::TQuillmarkApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Every window without an icon of its own (the main window, the image windows, the dialogs)
    // shows the program's.
    setWindowIcon(ProgramIcon());
}

bool TQuillmarkApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
    }
    return false;
}

void TQuillmarkApplication::ShowCurrentException()
{
    try {
        throw;
    } catch (const EAbort&) {
        // Cancelling is never reported.
    } catch (const std::exception& e) {
        CurrentMessageBox().Show(nullptr, TMsgKind::mkError, SProductName, e.what());
    } catch (...) {
        CurrentMessageBox().Show(nullptr, TMsgKind::mkError, SProductName, SUnexpectedError);
    }
}
