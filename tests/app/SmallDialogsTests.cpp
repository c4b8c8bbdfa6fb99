// The small dialogs of the main window, the splash and the help pages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <QTemporaryDir>

#include "app/AboutBox.h"
#include "RecordingLauncher.h"
#include "app/MainForm.h"
#include "app/QtSettingsStore.h"
#include "app/CommentsForm.h"
#include "app/ProgramHelp.h"
#include "controls/HelpWindow.h"
#include "app/InfoForm.h"
#include "app/MailImage.h"
#include "app/IntMarksForm.h"
#include "resample/ui/ResolutionForm.h"
#include "common/CheckMessage.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "support/GuiTestApp.h"

namespace {

class SmallDialogs : public ::testing::Test
{
  protected:
    void SetUp() override { EnsureGuiInvoker(); }
    TRecordingMessageBox Box;
    TScopedMessageBox UseBox{&Box};
};

TEST_F(SmallDialogs, IntegrityMarksGiveTheIntervalOnlyWhenTheBoxIsTicked)
{
    TIntMarksForm form(nullptr, {});
    form.SetInterval(0);
    EXPECT_FALSE(form.InsertCheckBox->isChecked());
    EXPECT_FALSE(form.IntervalUpDown->isEnabled());
    EXPECT_EQ(form.Interval(), 0);
    form.InsertCheckBox->click();
    EXPECT_TRUE(form.IntervalUpDown->isEnabled());
    EXPECT_EQ(form.Interval(), 24); // the designed start
    form.SetInterval(7);
    EXPECT_EQ(form.Interval(), 7);
    form.InsertCheckBox->click();
    EXPECT_EQ(form.Interval(), 0);
}

TEST_F(SmallDialogs, ResolutionFollowsTheEqualBox)
{
    TResolutionForm form(nullptr, {});
    form.HorzDPI = 72;
    form.VertDPI = 72;
    form.show();
    EXPECT_TRUE(form.EqualCheckBox->isChecked());
    // Typing 300 in "Horizontal:" sets "Vertical:" too.
    QLineEdit* edit = form.HorzUpDown->findChild<QLineEdit*>();
    ASSERT_TRUE(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "300");
    EXPECT_EQ(form.VertUpDown->value(), 300);
    // Unticked, the two go their own ways; ticked again, both take the larger.
    form.EqualCheckBox->click();
    form.VertUpDown->setValue(150);
    EXPECT_EQ(form.HorzUpDown->value(), 300);
    form.HorzUpDown->setValue(96);
    form.EqualCheckBox->click();
    EXPECT_EQ(form.HorzUpDown->value(), 150);
    EXPECT_EQ(form.VertUpDown->value(), 150);
    form.ProfileCheckBox->setChecked(true);
    form.accept();
    EXPECT_EQ(form.HorzDPI, 150);
    EXPECT_EQ(form.VertDPI, 150);
    EXPECT_TRUE(form.DefaultForProfile);

    TResolutionForm unequal(nullptr, {});
    unequal.HorzDPI = 200;
    unequal.VertDPI = 100;
    unequal.show();
    EXPECT_FALSE(unequal.EqualCheckBox->isChecked());
    EXPECT_FALSE(unequal.ProfileCheckBox->isChecked());
    EXPECT_EQ(unequal.VertUpDown->value(), 100);
}

TEST_F(SmallDialogs, InformationShowsItsFormats)
{
    TInfoForm form(nullptr);
    TImageInfoFacts f;
    f.Width = 640;
    f.Height = 480;
    f.SourceFileSize = 12345;
    f.SourceBits = 24;
    form.Fill(f); // no ratios, no result
    struct
    {
        const char* name;
        const char* text;
    } empty[] = {
        {"SrcRatio", "-"},
        {"ResRatio", "1:??"},
        {"Saved", "-"},
        {"SrcFileSize", "12345 bytes"},
        {"SrcBits", "24 bits"},
        {"ResBits", "24 bits"},
        {"ResType", "JPEG [JFIF] compliant"},
        {"Width", "640"},
    };
    for (const auto& r : empty)
        EXPECT_EQ(form.Value(r.name)->text(), r.text) << r.name;

    f.SourceRatio = 3.04;
    f.ResultRatio = 12.25;
    f.HasResult = true;
    f.ResultGray = true;
    form.Fill(f);
    EXPECT_EQ(form.Value("SrcRatio")->text(), "1:  3.0");
    EXPECT_EQ(form.Value("ResRatio")->text(), "1: 12.2"); // an exact tie goes to the even digit
    EXPECT_EQ(form.Value("ResBits")->text(), "8 bits");
    EXPECT_EQ(form.Value("Saved")->text(), "No");
    EXPECT_TRUE(form.Value("Saved")->styleSheet().contains("red"));
    f.Saved = true;
    form.Fill(f);
    EXPECT_EQ(form.Value("Saved")->text(), "Yes");
    EXPECT_TRUE(form.Value("Saved")->styleSheet().contains("teal"));
}

TEST_F(SmallDialogs, ACommentLineTooLongForTheFileIsRefusedAndTheDialogStays)
{
    TCommentsForm form(nullptr, {});
    form.SetText("short\r\n" + std::string(70000, 'x') + "\r\n");
    form.show();
    form.accept();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_NE(Box.Calls()[0].Text.find("Line 2"), std::string::npos) << Box.Calls()[0].Text;
    EXPECT_NE(Box.Calls()[0].Text.find("70000"), std::string::npos);

    // Lines of exactly the limit pass, and the text comes back with CR LF between the lines.
    form.SetText("one\r\n" + std::string(65533, 'y'));
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Text(), "one\r\n" + std::string(65533, 'y'));
    EXPECT_EQ(Box.Calls().size(), 1u);
}

TEST_F(SmallDialogs, DialogHelpButtonsAskForTheirTopics)
{
    std::vector<int> asked;
    auto onHelp = [&](int topic) { asked.push_back(topic); };
    TCommentsForm comments(nullptr, onHelp);
    TResolutionForm resolution(nullptr, onHelp);
    TIntMarksForm marks(nullptr, onHelp);
    for (QDialog* d : std::initializer_list<QDialog*>{&comments, &resolution, &marks})
        d->findChild<QPushButton*>("HelpBtn")->click();
    EXPECT_EQ(asked, (std::vector<int>{92, 91, 104}));
}

TEST_F(SmallDialogs, SplashSwitchedOffIsNeverShownAndTheFirstCloseFreesIt)
{
    TMemorySettingsStore settings;
    settings.WriteValue("DisplaySplash", "0");
    QPointer<TAboutBox> splash = CreateSplash(&settings, 24);
    ASSERT_TRUE(splash);
    EXPECT_FALSE(splash->isVisible());
    EXPECT_FALSE(splash->SplashShown());
    EXPECT_TRUE(Box.Calls().empty()); // 24 bits need no warning
    // The main window's first idle pass frees it.
    QTemporaryDir dir;
    TMainForm form({}, std::make_unique<TQtSettingsStore>(dir.filePath("QMK.conf").toStdString()),
                   dir.filePath("sock").toStdString());
    form.Splash = splash;
    EXPECT_TRUE(PumpUntil([&] { return splash.isNull(); }, 2000));
}

TEST_F(SmallDialogs, AFewColoursWarnBeforeTheSplashUntilTheBoxIsTicked)
{
    TMemorySettingsStore settings;
    Box.Answer(mrOk, true); // ticked
    QPointer<TAboutBox> splash = CreateSplash(&settings, 8);
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Check.Text, CmColorDepth.Text);
    EXPECT_TRUE(splash->isVisible());
    splash->close();
    splash = CreateSplash(&settings, 8);
    EXPECT_EQ(Box.Calls().size(), 1u); // never again
    splash->close();
    // 15 bits and more, or an unknown depth, need no warning.
    TMemorySettingsStore fresh;
    for (int depth : {0, 15, 16, 32}) {
        splash = CreateSplash(&fresh, depth);
        splash->close();
    }
    EXPECT_EQ(Box.Calls().size(), 1u);
}

TEST_F(SmallDialogs, AboutModeScrollsTheCreditsAndOpensTheLinks)
{
    testkit::TRecordingLauncher launcher;
    testkit::TScopedLauncher use(&launcher);
    {
        TAboutBox about(nullptr, false);
        EXPECT_EQ(about.size(), QSize(352 - 5, 270 - 32));
        about.ScrollTick(); // the column starts below the strip
        const int top = about.AboutText0->y();
        EXPECT_EQ(top, about.AboutPanel->height());
        about.ScrollTick();
        EXPECT_EQ(about.AboutText0->y(), top - 1);
        EXPECT_EQ(about.AboutWebLabel->y(), about.AboutWebText->y());
        EXPECT_EQ(about.AboutWebText->y(), about.AboutEmailText->y() + about.AboutEmailText->height() + 10);
        about.show();
        QTest::mouseClick(about.AboutEmailLabel, Qt::LeftButton);
        QTest::mouseClick(about.AboutWebLabel, Qt::LeftButton);
        EXPECT_TRUE(about.isVisible()); // a link is no close
        QTest::mouseClick(&about, Qt::LeftButton, {}, QPoint(20, 20));
        EXPECT_FALSE(about.isVisible());
        EXPECT_EQ(about.result(), QDialog::Accepted);
    }
    EXPECT_EQ(launcher.Urls,
              (std::vector<std::string>{"mailto:support@example.com", "https://www.example.com/quillmark/"}));
}

TEST_F(SmallDialogs, EveryHelpTopicHasATitledPageAndOneWindowServesThemAll)
{
    QWidget owner;
    owner.show();
    THelpWindow* first = nullptr;
    struct
    {
        int topic;
        const char* title;
    } rows[] = {
        {htContents, "Quillmark Help"},
        {htIndex, "Help Index"},
        {90, "Toolbars"},
        {91, "Resolution and Resizing"},
        {92, "Text Comments"},
        {104, "Integrity Marks"},
        {135, "Program Preferences"},
        {136, "Compression Profiles"},
        {139, "Opening and Saving Pictures"},
        {140, "Batch Processing Options"},
        {146, "Frequently Asked Questions"},
        {777, "Quillmark Help"},
        {-5, "Quillmark Help"},
    };
    for (const auto& r : rows) {
        THelpWindow* w = ShowProgramHelp(&owner, r.topic);
        if (!first) first = w;
        EXPECT_EQ(w, first);
        EXPECT_EQ(w->Browser->documentTitle(), r.title) << r.topic;
        EXPECT_FALSE(w->Browser->toPlainText().trimmed().isEmpty()) << r.topic;
    }
    // Every link of the contents leads to a page of its own.
    ShowProgramHelp(&owner, htContents);
    EXPECT_TRUE(first->BackBtn->isEnabled());
    first->BackBtn->click();
    EXPECT_EQ(first->Browser->documentTitle(), "Frequently Asked Questions");
    first->ForwardBtn->click();
    EXPECT_EQ(first->Browser->documentTitle(), "Quillmark Help");
    EXPECT_TRUE(first->isVisible());
    owner.close();
    EXPECT_FALSE(first->isVisible()); // closes with its owner
}

TEST_F(SmallDialogs, HelpAskedFromAModalDialogIsModalItself)
{
    QWidget owner;
    owner.show();
    TIntMarksForm marks(&owner, [&](int topic) { ShowProgramHelp(&owner, topic); });
    THelpWindow* help = nullptr;
    QTimer::singleShot(0, &marks, [&] {
        marks.findChild<QPushButton*>("HelpBtn")->click();
        help = owner.findChild<THelpWindow*>();
        marks.reject();
    });
    marks.exec();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(help->Browser->documentTitle(), "Integrity Marks");
    help->close();
    ShowProgramHelp(&owner, htContents); // without a dialog it is an ordinary window again
    EXPECT_EQ(help->windowModality(), Qt::NonModal);
}

} // namespace
