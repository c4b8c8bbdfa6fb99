// The help for the main controls: F1 over a panel opens its page, the menu item and the toolbar
// button the contents; every link of the pages (the index's among them) leads to a page.
#include <gtest/gtest.h>

#include <QCursor>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <map>
#include <set>

#include "MainFormTestKit.h"
#include "app/ParamWidgets.h"
#include "controls/EnhScrollBox.h"
#include "app/ProgramHelp.h"
#include "controls/HelpWindow.h"
#include "controls/Toolbar.h"

namespace {

using namespace testkit;
using ContextHelpTest = TMainFormTest;

TEST_F(ContextHelpTest, F1OverAPanelOpensItsPage)
{
    std::vector<int> topics;
    Form->OnHelp = [&](int topic) { topics.push_back(topic); };
    Form->setGeometry(Form->screen()->availableGeometry().adjusted(0, 0, 0, -30)); // where the mouse can be
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    WriteBmp(Path("a.bmp"), 64, 48);
    TImageForm* a = Form->NewImageWindow({Path("a.bmp")});
    ASSERT_TRUE(PumpUntil([a] { return !a->Busy && a->ResultSize > 0; }));
    // F1 with the mouse over the middle of the widget (nowhere: over no window of the program).
    auto f1 = [&](QWidget* over) {
        QCursor::setPos(over ? over->mapToGlobal(over->rect().center()) : QPoint(-5000, -5000));
        topics.clear();
        QTest::keyClick(Form.get(), Qt::Key_F1);
        return topics.size() == 1 ? topics[0] : -1;
    };

    TMainForm& f = *Form;
    // A control takes the topic of the nearest panel that has one.
    const std::pair<QWidget*, int> rows[] = {
        {f.LumTrackBar, htCompressionLevels},
        {f.ComprRatioEdit, htHoldAndKeep}, // a topic of its own inside the levels' panel
        {f.EqTrackBar[2], htEqualizer},
        {f.FiltBtn[4], htPrefilters},
        {f.SelectionToolbar, htSelectiveCompression},
        {a->SrcScrollBox, htImageWindows},
        {a->StatusBar, htStatusBars}, // inside the image window
        {f.StatusPanels[1], htStatusBars},
        {f.menuBar(), htContents},
    };
    for (const auto& [widget, topic] : rows) {
        ASSERT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
        EXPECT_EQ(f1(widget), topic) << widget->objectName().toStdString();
    }
    f.ComprTabControl->setCurrentIndex(1); // the Selected tab's own panel
    EXPECT_EQ(f1(f.SThresholdTrackBar), htSelectiveCompression);
    f.ComprTabControl->setCurrentIndex(0);

    // Help > Contents (menu or button) is the contents, wherever the mouse is.
    topics.clear();
    f.HelpContentsAction->trigger();
    EXPECT_EQ(topics, std::vector<int>{htContents});
    // With the mouse outside the program, the control with the keyboard focus decides.
    f.FiltTrackBar[0]->setFocus();
    ASSERT_TRUE(PumpUntil([&] { return f.FiltTrackBar[0]->hasFocus(); }));
    EXPECT_EQ(f1(nullptr), htPrefilters);
}

// Every page, every link between pages (the index's entries and their anchors) and every topic.
TEST(HelpPages, EveryLinkAndEveryTopicLeadsToAPage)
{
    EnsureGuiTestApp();
    THelpWindow window(nullptr, ProgramHelpBook()); // the pages are ready
    std::map<QString, QString> pages; // name, text
    for (QDirIterator it(":/help"); it.hasNext();) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        pages[QFileInfo(file).fileName()] = QString::fromUtf8(file.readAll());
    }
    const QRegularExpression href("href=\"([^\"#]*)(#([^\"]*))?\"");
    int indexEntries = 0;
    for (const auto& [page, text] : pages)
        for (auto m = href.globalMatch(text); m.hasNext();) {
            const auto link = m.next();
            const QString target = link.captured(1).isEmpty() ? page : link.captured(1);
            const QString where = page + " -> " + target + "#" + link.captured(3);
            ASSERT_TRUE(pages.count(target)) << where.toStdString();
            if (!link.captured(3).isEmpty()) {
                EXPECT_TRUE(pages[target].contains("name=\"" + link.captured(3) + "\""))
                    << where.toStdString();
            }
            indexEntries += page == "index.html";
        }
    EXPECT_GE(indexEntries, 50);

    // Each panel's topic has a page of its own.
    std::set<QString> titles;
    for (int topic : {htCompressionLevels, htHoldAndKeep, htEqualizer, htPrefilters, htSelectiveCompression,
                      htImageWindows, htStatusBars, htContents}) {
        window.ShowTopic(topic);
        titles.insert(window.Browser->documentTitle());
    }
    EXPECT_EQ(titles.size(), 8u);
}

} // namespace
