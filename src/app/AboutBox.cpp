#include "app/AboutBox.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/MailImage.h"
#include "common/CheckMessage.h"
#include "common/CommLib.h"
#include "common/SettingsAccess.h"
#include "common/StrRes.h"
#include "controls/BitmapImage.h"

namespace {

constexpr int KPictureW = 352, KPictureH = 270;
constexpr int KPanelLeft = 5, KPanelTop = 192, KPanelW = 336, KPanelH = 41;
constexpr int KScrollMs = 45;
constexpr int KFadeMs = 200;

} // namespace

QPixmap AboutPicture()
{
    QImage picture(KPictureW, KPictureH, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, KPictureH);
    sky.setColorAt(0, QColor(28, 46, 84));
    sky.setColorAt(1, QColor(96, 140, 178));
    p.fillRect(picture.rect(), sky);
    // A row of squares growing finer toward the right: blocks at four compression levels.
    for (int level = 0; level < 4; ++level) {
        const int cell = 24 >> level;
        const int x0 = 24 + level * 78;
        for (int y = 0; y < 48; y += cell)
            for (int x = 0; x < 72; x += cell) {
                const int shade = 120 + ((x / cell + y / cell) % 2) * 60 + level * 10;
                p.fillRect(x0 + x, 118 + y, cell - 1, cell - 1, QColor(shade, shade + 20, 255));
            }
    }
    // A quill stroke over the name.
    QPainterPath quill;
    quill.moveTo(336, 14);
    quill.cubicTo(296, 30, 272, 62, 258, 84);
    quill.cubicTo(284, 60, 312, 40, 336, 14);
    p.fillPath(quill, QColor(240, 232, 200));
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPointSize(26);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(20, 40, 300, 50), Qt::AlignLeft | Qt::AlignVCenter, SProductName);
    f.setPointSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(22, 86, 300, 20), Qt::AlignLeft | Qt::AlignVCenter, "JPEG compression workbench  4.5");
    p.end();
    return QPixmap::fromImage(picture);
}

TAboutBox::TAboutBox(QWidget* owner, bool splash)
    : QDialog(owner, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), Splash(splash)
{
    setObjectName("AboutBox");
    setWindowTitle(QString("About ") + SProductName);
    const QPixmap picture = AboutPicture();
    SplashImage = new QLabel(this);
    SplashImage->setObjectName("SplashImage");
    SplashImage->setPixmap(picture);
    SplashImage->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.size());
    if (splash) {
        setWindowFlag(Qt::SplashScreen);
        return;
    }
    // About mode: a tool window whose picture is shifted to hide its margins.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    AboutPanel = new QWidget(this);
    AboutPanel->setObjectName("AboutPanel");
    AboutPanel->setGeometry(KPanelLeft, KPanelTop, KPanelW, KPanelH);
    ShadImage = new QLabel(AboutPanel);
    ShadImage->setObjectName("ShadImage");
    ShadImage->setGeometry(0, 0, KPanelW, KPanelH);
    // The part of the picture under the panel, 30 % darker.
    QImage strip(KPanelW, KPanelH, QImage::Format_RGB32);
    {
        QPainter p(&strip);
        p.drawPixmap(-3 - KPanelLeft, -2 - KPanelTop, picture);
    }
    TBitmap shade = BitmapFromQImage(strip);
    AdjustBrightness(shade, -30, shade);
    ShadImage->setPixmap(QPixmap::fromImage(BitmapAsQImage(shade).copy()));
    SplashImage->move(-3, -2);
    setFixedSize(picture.width() - 5, picture.height() - 32);

    auto label = [this](QLabel*& l, const char* name, const QString& text, bool link) {
        l = new QLabel(text, AboutPanel);
        l->setObjectName(name);
        l->setStyleSheet(link ? "color: #ffe890; text-decoration: underline;" : "color: white;");
        l->adjustSize();
        if (link) {
            l->setCursor(Qt::PointingHandCursor);
            l->installEventFilter(this);
        }
        l->move(l->x(), -1000);
    };
    label(AboutText0, "AboutText0", QString("%1 4.5").arg(SProductName), false);
    label(AboutText1, "AboutText1", "Interactive JPEG compression with selective quality", false);
    label(AboutText2, "AboutText2", "Copyright (C) Tarnwick. All rights reserved.", false);
    label(AboutEmailText, "AboutEmailText", "Our E-mail: ", false);
    label(AboutEmailLabel, "AboutEmailLabel", SMakerSupportAddress, true);
    label(AboutWebText, "AboutWebText", "Web site: ", false);
    label(AboutWebLabel, "AboutWebLabel", SMakerWebAddress, true);
    for (QLabel* l : {AboutText0, AboutText1, AboutText2, AboutEmailText, AboutWebText})
        l->move(8, -1000);
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(KScrollMs);
    connect(ScrollTimer, &QTimer::timeout, this, [this] { ScrollTick(); });
    ScrollTimer->start();
}

void TAboutBox::ScrollTick()
{
    AboutPanel->setUpdatesEnabled(false);
    auto levelLinks = [this] {
        AboutEmailLabel->move(AboutEmailText->x() + AboutEmailText->width(), AboutEmailText->y());
        AboutWebLabel->move(AboutWebText->x() + AboutWebText->width(), AboutWebText->y());
    };
    if (AboutWebText->y() + AboutWebText->height() >= 0) {
        for (QLabel* l : {AboutText0, AboutText1, AboutText2, AboutEmailText, AboutWebText})
            l->move(l->x(), l->y() - 1);
    } else {
        // The column has left the top: it starts again below the strip.
        AboutText0->move(AboutText0->x(), AboutPanel->height());
        AboutText1->move(AboutText1->x(), AboutText0->y() + AboutText0->height());
        AboutText2->move(AboutText2->x(), AboutText1->y() + AboutText1->height());
        AboutEmailText->move(AboutEmailText->x(), AboutText2->y() + AboutText2->height());
        AboutWebText->move(AboutWebText->x(), AboutEmailText->y() + AboutEmailText->height() + 10);
    }
    levelLinks();
    AboutPanel->setUpdatesEnabled(true);
    AboutPanel->show();
}

void TAboutBox::mousePressEvent(QMouseEvent* event)
{
    if (!Splash && event->button() == Qt::LeftButton) {
        accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == AboutEmailLabel) {
            OpenAddress(this, std::string("mailto:") + SMakerSupportAddress);
            return true;
        }
        if (watched == AboutWebLabel) {
            OpenAddress(this, SMakerWebAddress);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress && (watched == AboutEmailLabel || watched == AboutWebLabel))
        return true; // the link, not the picture's close
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::ShowSplash(TSettingsStore* settings, int depth)
{
    if (depth >= 1 && depth <= 14) ShowCheckMessage(static_cast<QWidget*>(this), settings, CmColorDepth);
    FShown = false;
    if (!ReadBoolSetting(settings, nullptr, "DisplaySplash", true)) return;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(width() / 2, height() / 2));
    // Fading needs a window system that draws translucent windows; elsewhere a plain show.
    const QString platform = QGuiApplication::platformName();
    const bool fades = platform != "offscreen" && platform != "minimal" && platform != "vnc";
    if (fades) {
        setWindowOpacity(0.0);
        show();
        auto* fade = new QPropertyAnimation(this, "windowOpacity", this);
        fade->setDuration(KFadeMs);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        show();
    }
    FShown = true;
    repaint();
}

TAboutBox* CreateSplash(TSettingsStore* settings, int depth)
{
    auto* box = new TAboutBox(nullptr, true);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->ShowSplash(settings, depth);
    return box;
}
