#include "controls/HelpWindow.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const char* const KTopicProperty = "helpTopic";
}

void SetHelpTopic(QWidget* widget, int topic)
{
    widget->setProperty(KTopicProperty, topic);
}

int HelpTopicOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant topic = w->property(KTopicProperty);
        if (topic.isValid()) return topic.toInt();
    }
    return 0;
}

int ContextHelpTopic()
{
    if (QWidget* under = QApplication::widgetAt(QCursor::pos())) return HelpTopicOf(under);
    return HelpTopicOf(QApplication::focusWidget());
}

THelpWindow::THelpWindow(QWidget* owner, THelpBook book) : QWidget(owner, Qt::Window), FBook(std::move(book))
{
    setObjectName("HelpWindow");
    setWindowTitle(FBook.Title);
    resize(620, 520);
    auto* buttons = new QHBoxLayout;
    auto button = [&](QToolButton*& b, const char* name, const char* text) {
        b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        buttons->addWidget(b);
    };
    button(ContentsBtn, "ContentsBtn", "&Contents");
    button(IndexBtn, "IndexBtn", "&Index");
    button(BackBtn, "BackBtn", "< &Back");
    button(ForwardBtn, "ForwardBtn", "&Forward >");
    buttons->addStretch();
    Browser = new QTextBrowser(this);
    Browser->setObjectName("HelpBrowser");
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Browser);
    BackBtn->setEnabled(false);
    ForwardBtn->setEnabled(false);
    connect(BackBtn, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(ForwardBtn, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(ContentsBtn, &QToolButton::clicked, this, [this] { Browser->setSource(FBook.Contents); });
    connect(IndexBtn, &QToolButton::clicked, this, [this] { Browser->setSource(FBook.Index); });
    connect(Browser, &QTextBrowser::backwardAvailable, BackBtn, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ForwardBtn, &QToolButton::setEnabled);
    // The book's title, then the page's own, unless the page is titled as the book (its contents
    // and index are) or not at all: the book's title stands once.
    connect(Browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString page = Browser->documentTitle();
        setWindowTitle(page.isEmpty() || page == FBook.Title ? FBook.Title : FBook.Title + " - " + page);
    });
    // Closes when the main window closes.
    if (owner) owner->installEventFilter(this);
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The main window hiding on its own (not minimised by the system) means it closed.
    if (watched == parent() && event->type() == QEvent::Hide && !event->spontaneous()) close();
    return QWidget::eventFilter(watched, event);
}

void THelpWindow::ShowTopic(int topic)
{
    Browser->setSource(FBook.PageFor ? FBook.PageFor(topic) : FBook.Contents);
    // Qt refuses input to other windows under a modal dialog: asked from one, help is modal itself.
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted = modal && modal != this ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != wanted) {
        hide();
        setWindowModality(wanted);
    }
    if (!FPlaced) {
        // First shown beside the middle of the window that asked, not at a corner of the screen.
        FPlaced = true;
        if (QWidget* asker = modal ? modal : parentWidget())
            move(asker->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

THelpWindow* ShowHelpTopic(QWidget* owner, const THelpBook& book, int topic)
{
    auto* window = owner ? owner->findChild<THelpWindow*>("HelpWindow", Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) window = new THelpWindow(owner, book);
    window->ShowTopic(topic);
    return window;
}
