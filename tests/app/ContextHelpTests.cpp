// The help for the main controls: F1 over a panel opens its page, the menu item and the toolbar
// button the contents; every link of the pages (the index's among them) leads to a page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QCursor>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTextBrowser>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <set>

#include "MainFormTestKit.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "controls/EnhScrollBox.h"
#include "controls/HelpWindow.h"
#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class ContextHelpTest : public TMainFormTest
{
  protected:
    void SetUp() override
    {
        TMainFormTest::SetUp();
        Form->OnHelp = [this](int topic) { Topics.push_back(topic); };
        // Wholly on the (offscreen) screen, where the mouse can be.
        const QRect screen = Form->screen()->availableGeometry();
        Form->setGeometry(screen.adjusted(0, 0, 0, -30));
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    }
    // F1 pressed with the mouse over the middle of the widget: the topic it asked for.
    int F1Over(QWidget* widget)
    {
        QCursor::setPos(widget->mapToGlobal(widget->rect().center()));
        Topics.clear();
        QTest::keyClick(Form.get(), Qt::Key_F1);
        return Topics.size() == 1 ? Topics[0] : -1;
    }
    std::vector<int> Topics;
};

TEST_F(ContextHelpTest, F1OverAPanelOpensItsPage)
{
    WriteBmp(Path("a.bmp"), 64, 48);
    TImageForm* a = Form->NewImageWindow({Path("a.bmp")});
    ASSERT_TRUE(PumpUntil([a] { return !a->Busy && a->ResultSize > 0; }));

    TMainForm& f = *Form;
    struct Row
    {
        const char* Over;
        QWidget* Widget;
        int Topic;
    };
    const Row rows[] = {
        {"luma slider", f.LumTrackBar, htCompressionLevels},
        {"chroma number", f.ChromUpDown, htCompressionLevels},
        {"tie", f.LumChromSyncBtn, htCompressionLevels},
        {"level reset", f.ComprOptResetBtn, htCompressionLevels},
        {"hold", f.HoldComprRatioBtn, htHoldAndKeep},
        {"ratio box", f.ComprRatioEdit, htHoldAndKeep},
        {"keep", f.GlobalProfileBtn, htHoldAndKeep},
        {"equalizer band", f.EqTrackBar[2], htEqualizer},
        {"equalizer reset", f.ComprEqResetBtn, htEqualizer},
        {"filter button", f.FiltBtn[4], htPrefilters},
        {"filter strength", f.FiltTrackBar[1], htPrefilters},
        {"radius", f.FiltRadTrackBar, htPrefilters},
        {"level tabs", f.ComprTabControl, htSelectiveCompression},
        {"prefilter tabs", f.PrefiltTabControl, htSelectiveCompression},
        {"selection toolbar", f.SelectionToolbar, htSelectiveCompression},
        {"source view", a->SrcScrollBox, htImageWindows},
        {"result view", a->ResScrollBox, htImageWindows},
        {"quick compare", f.ViewSrcAsResBtn, htImageWindows},
        {"view toolbar", f.ViewToolbar, htImageWindows},
        {"image status bar", a->StatusBar, htStatusBars},
        {"main status bar", f.StatusPanels[1], htStatusBars},
        {"menu bar", f.menuBar(), htContents},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(row.Widget->isVisible()) << row.Over;
        EXPECT_EQ(F1Over(row.Widget), row.Topic) << row.Over;
    }

    // The Selected tab's levels and threshold.
    f.ComprTabControl->setCurrentIndex(1);
    ASSERT_TRUE(f.SThresholdTrackBar->isVisible());
    EXPECT_EQ(F1Over(f.SThresholdTrackBar), htSelectiveCompression);

    // Help > Contents from the menu or the button is the contents, wherever the mouse is.
    QCursor::setPos(f.EqTrackBar[0]->mapToGlobal(f.EqTrackBar[0]->rect().center()));
    Topics.clear();
    f.HelpContentsAction->trigger();
    EXPECT_EQ(Topics, std::vector<int>{htContents});

    // With the mouse outside the program, the control with the keyboard focus decides.
    f.ComprTabControl->setCurrentIndex(0);
    f.FiltTrackBar[0]->setFocus();
    ASSERT_TRUE(PumpUntil([&] { return f.FiltTrackBar[0]->hasFocus(); }));
    QCursor::setPos(QPoint(-5000, -5000));
    Topics.clear();
    QTest::keyClick(Form.get(), Qt::Key_F1);
    EXPECT_EQ(Topics, std::vector<int>{htPrefilters});
}

// Every page, every link between pages (the index's entries and their anchors) and every topic.
TEST(HelpPages, EveryLinkAndEveryTopicLeadsToAPage)
{
    EnsureGuiTestApp();
    THelpWindow window(nullptr); // registers the pages
    auto read = [](const QString& page) {
        QFile file(":/help/" + page);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    std::set<QString> pages;
    for (QDirIterator it(":/help"); it.hasNext();)
        pages.insert(QFileInfo(it.next()).fileName());
    ASSERT_GE(pages.size(), 18u);

    const QRegularExpression href("href=\"([^\"#]*)(#([^\"]*))?\"");
    int indexEntries = 0;
    for (const QString& page : pages) {
        const QString text = read(page);
        EXPECT_TRUE(text.contains("<title>")) << page.toStdString();
        for (auto m = href.globalMatch(text); m.hasNext();) {
            const auto link = m.next();
            const QString target = link.captured(1).isEmpty() ? page : link.captured(1);
            const QString anchor = link.captured(3);
            ASSERT_TRUE(pages.count(target)) << page.toStdString() << " -> " << target.toStdString();
            if (!anchor.isEmpty())
                EXPECT_TRUE(read(target).contains("name=\"" + anchor + "\""))
                    << page.toStdString() << " -> " << target.toStdString() << "#" << anchor.toStdString();
            indexEntries += page == "index.html";
        }
    }
    EXPECT_GE(indexEntries, 50);

    // Each topic has a page of its own, which the window shows with its title.
    const std::pair<int, const char*> topics[] = {
        {htCompressionLevels, "Luma and Chroma Levels"},
        {htHoldAndKeep, "Hold and Keep"},
        {htEqualizer, "Detail Quality Equalizer"},
        {htPrefilters, "Prefilters"},
        {htSelectiveCompression, "Selective Compression"},
        {htImageWindows, "Image Windows"},
        {htStatusBars, "Status Bars"},
        {htResolution, "Resolution and Resizing"},
        {htIndex, "Help Index"},
        {htContents, "Quillmark Help"},
    };
    for (const auto& [topic, title] : topics) {
        window.ShowTopic(topic);
        EXPECT_EQ(window.Browser->documentTitle(), title) << topic;
    }
    window.close();
}

} // namespace
