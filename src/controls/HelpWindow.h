#pragma once
// A help window: HTML pages by topic, with Contents, Index, Back and Forward buttons. One window is
// reused for every topic; it belongs to the main window and closes with it. The program gives the
// pages and the title (THelpBook).
#include <QUrl>
#include <QWidget>
#include <functional>

class QTextBrowser;
class QToolButton;

// What a help window shows, given by the program: its pages by topic and its title.
struct THelpBook
{
    QString Title;                          // the window's; " - " and the page's own title follow it
                                            // when the page has one of its own
    std::function<QUrl(int topic)> PageFor; // the page of a topic
    QUrl Contents;                          // the pages of the Contents and Index buttons
    QUrl Index;
};

// Context help: a widget's topic is its own or that of its nearest parent that has one; 0 (the
// contents) for a widget without one.
void SetHelpTopic(QWidget* widget, int topic);
int HelpTopicOf(const QWidget* widget);
// The topic F1 asks for: that of the widget under the mouse; with the mouse outside the program's
// windows, that of the widget with the keyboard focus.
int ContextHelpTopic();

class THelpWindow : public QWidget
{
    Q_OBJECT
  public:
    THelpWindow(QWidget* owner, THelpBook book);
    void ShowTopic(int topic);
    QTextBrowser* Browser = nullptr;
    QToolButton* BackBtn = nullptr;
    QToolButton* ForwardBtn = nullptr;
    QToolButton* ContentsBtn = nullptr;
    QToolButton* IndexBtn = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    THelpBook FBook;
    bool FPlaced = false;
};

// Shows topic in owner's help window, made with the book on first use. Asked while a modal dialog
// is open, the window opens modal itself, so that it can be used above the dialog.
THelpWindow* ShowHelpTopic(QWidget* owner, const THelpBook& book, int topic);
