#pragma once
// The about box, also the splash shown while the program starts. In splash mode it is a bare
// picture; in about mode the picture carries a darkened strip in which the credits scroll, with
// the maker's mail address and web page as links, and a click on the picture closes it.
#include <QDialog>

class QLabel;
class QTimer;
class TSettingsStore;

class TAboutBox : public QDialog
{
    Q_OBJECT
  public:
    TAboutBox(QWidget* owner, bool splash);

    // Splash mode: warns first when the screen shows 1 to 14 bits per pixel (until the warning's box
    // is ticked), then shows the splash unless "DisplaySplash" is false. depth: the screen's colour
    // depth (tests give their own).
    void ShowSplash(TSettingsStore* settings, int depth);
    // Whether the last ShowSplash showed the form.
    bool SplashShown() const { return FShown; }

    bool Splash;
    QLabel* SplashImage = nullptr;
    QWidget* AboutPanel = nullptr;
    QLabel* ShadImage = nullptr;
    QLabel* AboutText0 = nullptr;
    QLabel* AboutText1 = nullptr;
    QLabel* AboutText2 = nullptr;
    QLabel* AboutEmailText = nullptr;
    // The two links, the maker's addresses (common/StrRes.h), open through the program's launcher
    // (MailLauncher).
    QLabel* AboutEmailLabel = nullptr;
    QLabel* AboutWebText = nullptr;
    QLabel* AboutWebLabel = nullptr;
    QTimer* ScrollTimer = nullptr;

    // One step of the credits scroll.
    void ScrollTick();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool FShown = false;
};

// The splash and about picture, drawn by the program: 352 x 270.
QPixmap AboutPicture();

// The splash at start: made, the colour check run and shown (unless switched off). The first idle
// pass of the main window closes it, which frees it.
TAboutBox* CreateSplash(TSettingsStore* settings, int depth);
