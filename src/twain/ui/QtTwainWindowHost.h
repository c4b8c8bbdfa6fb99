#pragma once
// The acquisition's windows on Qt: handles are QWidget pointers (checked against the live
// widgets before use), the parent is disabled with setEnabled, and a quit of the application or
// the end of the session ends a running acquisition. Create it on the main thread after the
// QApplication and install it with SetTwainWindowHost.
#include <QObject>

#include "twain/SourceManager.h"

class TQtTwainWindowHost : public QObject, public ITwainWindowHost
{
public:
    TQtTwainWindowHost();
    bool IsWindow(TWindowHandle window) override;
    void EnableWindow(TWindowHandle window, bool enable) override;
    bool QuitRequested() override { return FQuit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FQuit = false;
};
