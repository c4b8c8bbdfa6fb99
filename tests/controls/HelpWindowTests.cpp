// The help window shows the pages and the title its program gives it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <fstream>

#include "support/GuiTestApp.h"
#include "controls/HelpWindow.h"

namespace {

// A book of three pages of its own: a topic leads to its page, the buttons to the book's contents
// and index, and the window's title is the book's with the page's title after it.
TEST(HelpWindow, ShowsTheBookItIsGiven)
{
    EnsureGuiTestApp();
    QTemporaryDir dir;
    const auto page = [&](const char* name, const char* title) {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path) << "<html><head><title>" << title << "</title></head><body>" << title
                            << "</body></html>";
        return QUrl::fromLocalFile(QString::fromStdString(path));
    };
    THelpBook book;
    book.Title = "Sketch Help";
    book.Contents = page("start.html", "Start");
    book.Index = page("words.html", "Words");
    const QUrl tools = page("tools.html", "Tools");
    book.PageFor = [&](int topic) { return topic == 7 ? tools : book.Contents; };

    QWidget owner;
    THelpWindow* help = ShowHelpTopic(&owner, book, 7);
    EXPECT_EQ(help->Browser->documentTitle(), "Tools");
    EXPECT_EQ(help->windowTitle(), "Sketch Help - Tools");
    help->IndexBtn->click();
    EXPECT_EQ(help->windowTitle(), "Sketch Help - Words");
    help->ContentsBtn->click();
    EXPECT_EQ(help->windowTitle(), "Sketch Help - Start");
    // A page titled as the book, or not titled at all, shows the book's title once.
    for (const char* title : {"Sketch Help", ""}) {
        help->Browser->setSource(page(title[0] ? "book.html" : "untitled.html", title));
        EXPECT_EQ(help->windowTitle(), "Sketch Help") << title;
    }
    EXPECT_EQ(ShowHelpTopic(&owner, book, 3), help); // one window for every topic
    EXPECT_EQ(help->Browser->source(), book.Contents);
}

} // namespace
