#pragma once
// The program's help: short HTML pages built into the program, shown by one help window that is
// reused for every topic. The window belongs to the main window and closes with it.
#include <QWidget>

class QTextBrowser;
class QToolButton;

// Topic numbers the program asks for; besides these, the contents and the keyword index.
enum : int
{
    htContents = 0,
    htIndex = 1,
    htToolbars = 90,
    htResolution = 91,
    htComments = 92,
    htIntegrityMarks = 104,
    htPreferences = 135,
    htProfiles = 136,
    htPictureDialogs = 139,
    htBatchOptions = 140,
    htHelpOffer = 146,
    // The main controls: the parameter panels, the image windows and the status bars.
    htCompressionLevels = 150,
    htHoldAndKeep = 151,
    htEqualizer = 152,
    htPrefilters = 153,
    htSelectiveCompression = 154,
    htImageWindows = 155,
    htStatusBars = 156,
};

// The page of a topic ("qrc:/help/....html"); the contents for a topic without a page.
QString HelpPageFor(int topic);

// Context help: a widget's topic is its own or that of its nearest parent that has one; the
// contents for a widget without one.
void SetHelpTopic(QWidget* widget, int topic);
int HelpTopicOf(const QWidget* widget);
// The topic F1 asks for: that of the widget under the mouse; with the mouse outside the program's
// windows, that of the widget with the keyboard focus.
int ContextHelpTopic();

class THelpWindow : public QWidget
{
    Q_OBJECT
  public:
    explicit THelpWindow(QWidget* owner);
    void ShowTopic(int topic);
    QTextBrowser* Browser = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* ForwardBtn = nullptr;
    QToolButton* ContentsBtn = nullptr;
    QToolButton* IndexBtn = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool FPlaced = false;
};

// Shows topic in owner's help window, made on first use. Asked while a modal dialog is open, the
// window opens modal itself, so that it can be used above the dialog.
THelpWindow* ShowHelpTopic(QWidget* owner, int topic);
