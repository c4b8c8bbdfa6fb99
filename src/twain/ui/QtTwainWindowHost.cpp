#include "twain/ui/QtTwainWindowHost.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

TQtTwainWindowHost::TQtTwainWindowHost()
{
    qApp->installEventFilter(this);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { FQuit = true; });
}

bool TQtTwainWindowHost::IsWindow(TWindowHandle window)
{
    if (window == nullptr) return false;
    for (QWidget* w : QApplication::allWidgets())
        if (w == window) return true;
    return false;
}

void TQtTwainWindowHost::EnableWindow(TWindowHandle window, bool enable)
{
    if (IsWindow(window)) static_cast<QWidget*>(window)->setEnabled(enable);
}

bool TQtTwainWindowHost::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qApp && event->type() == QEvent::Quit) FQuit = true;
    return false;
}
