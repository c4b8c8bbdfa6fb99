#include "app/Splash.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSplashScreen>

#include "common/CheckMessage.h"
#include "common/SettingsAccess.h"
#include "common/StrRes.h"

QWidget* ShowSplash(TSettingsStore* settings)
{
    if (!ReadBoolSetting(settings, nullptr, "DisplaySplash", true)) return nullptr;
    QPixmap picture(360, 140);
    picture.fill(QColor(32, 48, 80));
    {
        QPainter p(&picture);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setPointSize(22);
        f.setBold(true);
        p.setFont(f);
        p.drawText(picture.rect(), Qt::AlignCenter, SProductName);
    }
    auto* splash = new QSplashScreen(picture);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    return splash;
}

void CheckColorDepth(TSettingsStore* settings)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    int depth = screen ? screen->depth() : 0;
    if (depth >= 1 && depth <= 14) ShowCheckMessage(nullptr, settings, CmColorDepth);
}
